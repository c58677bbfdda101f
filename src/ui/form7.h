// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The collection: every snack file of the snack folder in one table, with its
// picture and fields; sorted, filtered, opened, refreshed and exported as CSV.
#include <QLabel>
#include <QLineEdit>
#include <QModelIndex>
#include <QPushButton>
#include <QTableView>
#include <QWidget>

#include "snack/many.h"

namespace ui {
class CollectionModel;
class CollectionFilter;
}  // namespace ui

class Form7 : public QWidget {
  Q_OBJECT
 public:
  Form7();

 public slots:
  void Command1_Click();  // "開く": loads the selected snack into Form1
  void Command2_Click();  // "未開封に戻す": refreshes every selected snack
  void Command3_Click();  // "CSVに書き出す…"
  void Command4_Click();  // "閉じる"
  void Command5_Click();  // "まとめて変更…": Form9 for the selected snacks
  void Command6_Click();  // "CSVから読み込む…": Form10 for a CSV's changes
  void Text1_Change();    // the filter

 public:
  // Saves the files as one action, each with its boxes changed (planSaves),
  // after the unsaved-edits question when the snack loaded in Form1 is among
  // them. A refused value (its message shown over `parent`) writes nothing.
  // The rows show the result, one message names every file not written, and
  // Form1 shows the loaded snack's new values. False when nothing was written
  // because of a refusal or Cancel.
  bool WriteChanges(QWidget* parent, const QList<snack::FileChanges>& files, bool sameForAll);

 protected:
  void closeEvent(QCloseEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  // Reads the snack folder into the table (again, on F5).
  void Form_Load();
  // F5 reads the folder again; Enter in the table or the filter opens; Down in
  // the filter selects the first shown row; Escape closes.
  bool Form_KeyDown(int key);
  void Grid1_DblClick(const QModelIndex& index);
  void Grid1_SelChange();
  // Sorts by a column as a click on its header does (Ctrl+1 to Ctrl+8).
  void SortBy(int column);
  void ShowCount();
  // The rows of the model behind each selected, readable row, in the shown order.
  QList<int> SelectedRows() const;
  // The row of the model behind the current row, when it is selected and readable; else -1.
  int CurrentRow() const;

  QLabel *Label1, *Label2;
  QLineEdit* Text1;
  QTableView* Grid1;
  QPushButton *Command1, *Command2, *Command3, *Command4, *Command5, *Command6;
  ui::CollectionModel* rows_;
  ui::CollectionFilter* shown_;
  QString folder_;  // the snack folder as it was when the rows were read
};
