// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/form4.h"

#include <QCloseEvent>

#include "app/module1.h"
#include "platform/bytefile.h"
#include "platform/paths.h"
#include "snack/operations.h"
#include "ui/form1.h"
#include "ui/form8.h"
#include "ui/forms.h"
#include "ui/look.h"
#include "ui/messages.h"

using namespace ui;

Form4::Form4() {
  setObjectName(QStringLiteral("Form4"));
  setUpWindow(this, QStringLiteral("リフレッシュ（未開封）処理"), 4680, 1515);
  Label1 = placed(new QLabel(QStringLiteral("おやつのリフレッシュ処理を行います。"), this),
                  "Label1", 840, 120, 3015, 255);
  Label2 =
      placed(new QLabel(QStringLiteral("よろしいですか？"), this), "Label2", 1680, 600, 1335, 255);
  Command1 = placed(new QPushButton(QStringLiteral("リフレッシュする"), this), "Command1", 120, 960,
                    1815, 375);
  Command2 = placed(new QPushButton(QStringLiteral("リフレッシュしない"), this), "Command2", 2640,
                    960, 1815, 375);
  for (QPushButton* b : {Command1, Command2}) {
    b->setAutoDefault(false);
    b->setDefault(false);
  }
  setTabOrder(Command1, Command2);
  connect(Command1, &QPushButton::clicked, this, &Form4::Command1_Click);
  connect(Command2, &QPushButton::clicked, this, &Form4::Command2_Click);
}

void Form4::Command1_Click() {
  Form1* main = MainForm();
  const platform::NativePath path = Module1::SnackFilePath;
  if (path.isEmpty()) {
    ShowError(
        this,
        QStringLiteral("おやつファイルがまだ読み込まれていません。"
                       "「おやつファイルの読込」でファイルを選んでからリフレッシュしてください。"));
    Form4Window.unload();
    return;
  }
  if (!platform::exists(path)) {
    ShowError(this, QStringLiteral("おやつファイル「%1」がありません。読み込んだ後に移されたか"
                                   "消されたようです。ファイルを読み込み直してください。")
                        .arg(path.shown()));
    Form4Window.unload();
    return;
  }
  snack::HistoryAction history(HistoryFolder(), QStringLiteral("未開封に戻す"));
  const snack::Outcome done = snack::refreshSnack(path, snack::Reach::Named, &history);
  if (!done.ok) {
    ShowError(this, done.message);
    Form4Window.unload();
    return;
  }
  main->ShowRefreshed();
  Form4Window.unload();
}

void Form4::Command2_Click() { Form4Window.unload(); }

void Form4::closeEvent(QCloseEvent* e) {
  Form4Window.unload();
  e->accept();
}
