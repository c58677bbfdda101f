// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The history of changes: every entry, newest first, and "元に戻す" on one.
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QWidget>

#include "snack/history.h"

class Form8 : public QWidget {
  Q_OBJECT
 public:
  Form8();

 public slots:
  void Command1_Click();  // "元に戻す": undoes the selected entry
  void Command2_Click();  // "閉じる"

 protected:
  void closeEvent(QCloseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;

 private:
  // Reads the history into the table (again, on F5 and after an undo).
  void Form_Load();
  void Grid1_SelChange();

  QLabel* Label1;
  QTableWidget* Grid1;
  QPushButton *Command1, *Command2;
  QList<snack::HistoryEntry> entries_;  // as the rows show them
};

// The editor's history folder: "履歴" in the working folder.
QString HistoryFolder();

// Before a whole-file write of `path` (the factory, the picture maker): when
// it would replace a file too large to keep in the history, asks whether to
// write it all the same. False when the user says no.
bool AskToReplaceUnkept(QWidget* parent, const QString& path, snack::HistoryAction& history);
