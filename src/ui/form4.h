// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Refresh confirmation: clears the opened date and time of the current snack file.
#include <QLabel>
#include <QPushButton>
#include <QWidget>

class Form4 : public QWidget {
  Q_OBJECT
 public:
  Form4();

  QLabel *Label1, *Label2;
  QPushButton *Command1, *Command2;

 public slots:
  void Command1_Click();
  void Command2_Click();

 protected:
  void closeEvent(QCloseEvent* e) override;
};
