// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "まとめて変更": the same fields given to every snack selected in the
// collection window; each field changed only when its "変更する" is checked.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QPushButton>
#include <QWidget>
#include <array>

#include "snack/collection.h"

class Form7;

class Form9 : public QWidget {
  Q_OBJECT
 public:
  // The fields offered, in the window's order.
  static constexpr int kFields = 7;

  // A window of `owner` (which writes the files) for the selected `rows`.
  Form9(Form7* owner, QList<snack::SnackRow> rows);

 public slots:
  void Command1_Click();  // "変更": asks, then writes every selected snack
  void Command2_Click();  // "閉じる"

 protected:
  void keyPressEvent(QKeyEvent* e) override;

 private:
  Form7* owner_;
  QList<snack::SnackRow> rows_;
  // Check1 to Check7 ("変更する") and their inputs: Text1 (author), Combo1
  // (type), Combo2 (sound), Text2 to Text5 (quantity, calories, best-before
  // days, number).
  std::array<QCheckBox*, kFields> checks_{};
  std::array<QLabel*, kFields> labels_{};
  std::array<QWidget*, kFields> inputs_{};
  QLabel* Label8;
  QPushButton *Command1, *Command2;
};
