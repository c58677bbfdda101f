// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/form9.h"

#include <QKeyEvent>

#include "app/module1.h"
#include "snack/fields.h"
#include "snack/many.h"
#include "ui/access.h"
#include "ui/form1.h"
#include "ui/form7.h"
#include "ui/look.h"
#include "ui/messages.h"

using namespace ui;

namespace {

constexpr snack::Field kOffered[Form9::kFields] = {
    snack::Field::Author,   snack::Field::Type,     snack::Field::Sound,
    snack::Field::Quantity, snack::Field::Calories, snack::Field::BestBeforeDays,
    snack::Field::Number,
};
constexpr int kRowHeight = 420, kTop = 480;

}  // namespace

Form9::Form9(Form7* owner, QList<snack::SnackRow> rows)
    : QWidget(owner, Qt::Dialog), owner_(owner), rows_(std::move(rows)) {
  setObjectName(QStringLiteral("Form9"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowModality(Qt::WindowModal);
  setUpWindow(this, QStringLiteral("まとめて変更"), 6840, kTop + kFields * kRowHeight + 660);
  Label8 = placed(new QLabel(QStringLiteral("選んだ %1 個のおやつの、「変更する」にチェックした"
                                            "項目を変えます。")
                                 .arg(rows_.size()),
                             this),
                  "Label8", 120, 120, 6600, 255);
  QWidget* previous = nullptr;
  int texts = 0, lists = 0;
  for (int i = 0; i < kFields; ++i) {
    const snack::Field field = kOffered[i];
    const QString caption = snack::fieldCaption(field);
    const int top = kTop + i * kRowHeight;
    const QByteArray n = QByteArray::number(i + 1);
    checks_[i] = placed(new QCheckBox(QStringLiteral("変更する"), this), ("Check" + n).constData(),
                        120, top, 1215, 300);
    checks_[i]->setAccessibleName(caption + QStringLiteral("を変更する"));
    labels_[i] =
        placed(new QLabel(caption, this), ("Label" + n).constData(), 1440, top + 30, 1575, 255);
    QWidget* input;
    if (snack::layoutOf(field).kind == snack::Kind::Byte) {
      auto* combo = placed(new QComboBox(this), ("Combo" + QByteArray::number(++lists)).constData(),
                           3120, top, 3600, 300);
      combo->setEditable(true);
      combo->setInsertPolicy(QComboBox::NoInsert);
      combo->setMaxVisibleItems(16);
      for (int p = 0; p <= 255; ++p)
        combo->addItem(snack::listItemText(Module1::Names.of(field)[p]));
      combo->setCurrentIndex(-1);
      connect(combo, &QComboBox::activated, checks_[i], [c = checks_[i]] { c->setChecked(true); });
      connect(combo->lineEdit(), &QLineEdit::textEdited, checks_[i],
              [c = checks_[i]] { c->setChecked(true); });
      input = combo;
    } else {
      const bool text = snack::layoutOf(field).kind == snack::Kind::Text;
      auto* box = placed(new QLineEdit(this), ("Text" + QByteArray::number(++texts)).constData(),
                         3120, top, text ? 3600 : 1335, 300);
      connect(box, &QLineEdit::textEdited, checks_[i], [c = checks_[i]] { c->setChecked(true); });
      input = box;
    }
    nameInput(input, caption);
    labels_[i]->setBuddy(input);
    inputs_[i] = input;
    if (previous) setTabOrder(previous, checks_[i]);
    setTabOrder(checks_[i], input);
    previous = input;
  }
  const int buttons = kTop + kFields * kRowHeight + 120;
  Command1 =
      placed(new QPushButton(QStringLiteral("変更"), this), "Command1", 3120, buttons, 1695, 375);
  Command2 =
      placed(new QPushButton(QStringLiteral("閉じる"), this), "Command2", 5025, buttons, 1695, 375);
  setTabOrder(previous, Command1);
  setTabOrder(Command1, Command2);
  Command1->setDefault(true);
  connect(Command1, &QPushButton::clicked, this, &Form9::Command1_Click);
  connect(Command2, &QPushButton::clicked, this, &Form9::Command2_Click);
  checks_[0]->setFocus();
}

void Form9::Command1_Click() {
  QList<snack::BoxChange> changes;
  for (int i = 0; i < kFields; ++i) {
    if (!checks_[i]->isChecked()) continue;
    snack::BoxChange c{kOffered[i], snack::fieldCaption(kOffered[i]), {}};
    if (const auto* combo = qobject_cast<QComboBox*>(inputs_[i]))
      c.position = Form1::SelectedPosition(combo);
    else
      c.text = static_cast<QLineEdit*>(inputs_[i])->text();
    changes.append(c);
  }
  if (changes.isEmpty()) {
    ShowError(this, QStringLiteral("変更する項目がありません。変える項目の「変更する」に"
                                   "チェックを付けてください。"));
    return;
  }
  const int answer =
      Ask(this, QStringLiteral("選んだ %1 個のおやつを変更しますか？").arg(rows_.size()),
          {QStringLiteral("はい"), QStringLiteral("いいえ")});
  if (answer != 0) return;
  QList<snack::FileChanges> files;
  files.reserve(rows_.size());
  for (const snack::SnackRow& row : rows_) files.append({row, changes});
  // A refused value keeps the window open, its values there to be corrected.
  if (owner_->WriteChanges(this, files, true)) close();
}

void Form9::Command2_Click() { close(); }

void Form9::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
    close();
    return;
  }
  QWidget::keyPressEvent(e);
}
