// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// About the program.
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>

class Form5 : public QWidget {
  Q_OBJECT
 public:
  Form5();

  static const QString kNotice;
  static const QString kMailAddress;

 public slots:
  void Command1_Click();

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  QLabel *Label1, *Label2, *Label4;
  QPlainTextEdit* Text1;
  QPushButton* Command1;
};
