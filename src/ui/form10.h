// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "CSVから読み込む": every change a CSV would make to the collection's files,
// listed before anything is written; "適用" writes them, "閉じる" nothing.
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QWidget>

#include "snack/csvread.h"

class Form7;

class Form10 : public QWidget {
  Q_OBJECT
 public:
  // A window of `owner` (which writes the files) for the changes of the CSV `csvName`.
  Form10(Form7* owner, const QString& csvName, snack::CsvPlan plan);

 public slots:
  void Command1_Click();  // "適用"
  void Command2_Click();  // "閉じる"

 protected:
  void keyPressEvent(QKeyEvent* e) override;

 private:
  Form7* owner_;
  snack::CsvPlan plan_;
  QLabel *Label1, *Label2;
  QTableWidget* Grid1;  // the changes: ファイル, 項目, いまの値, 新しい値
  QListWidget* List1;   // what is not written, and why
  QPushButton *Command1, *Command2;
};
