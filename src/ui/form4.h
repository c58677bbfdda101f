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

 public slots:
  void Command1_Click();  // "リフレッシュする": clears the opened date and time
  void Command2_Click();  // "リフレッシュしない"

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  QLabel *Label1, *Label2;
  QPushButton *Command1, *Command2;
};
