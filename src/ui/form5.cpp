// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/form5.h"

#include <QCloseEvent>

#include "ui/access.h"
#include "ui/forms.h"
#include "ui/look.h"

using namespace ui;

const QString Form5::kMailAddress = QStringLiteral("crumbwright@example.org");

const QString Form5::kNotice = QStringLiteral(
    "このプログラムはポストペットのおやつを作るために書いたもので、いまあるおやつのデータを"
    "変えることもできます。\r\n"
    "おやつのデータの形は発売元から公開されておらず、中身を調べて作ったものなので、"
    "調べ違いがあるかもしれません。\r\n"
    "このプログラムを使って起きた不具合や損害について、作者は一切の責任を負いません。"
    "使うときはご自分の責任でお使いください。\r\n"
    "\r\n"
    "雑誌などへの掲載や収録をご希望の方は、あらかじめ作者までメールで許可を取ってください。\r\n");

Form5::Form5() {
  setObjectName(QStringLiteral("Form5"));
  setUpWindow(this, QStringLiteral("このプログラムについて"), 5745, 3465);
  Label1 = placed(new QLabel(QStringLiteral("ポストペット用おやつ変造まし～ん"), this), "Label1",
                  120, 120, 2655, 255);
  Label2 = placed(new QLabel(QStringLiteral("Crumbwright　Ver1.0 "), this), "Label2", 3240, 120,
                  2295, 255);
  Label2->setFont(japaneseFont(kGothic, 11.25));
  Text1 = placed(new QPlainTextEdit(this), "Text1", 120, 480, 5415, 1935);
  Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Text1->setPlainText(QString(kNotice).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  nameInput(Text1, QStringLiteral("使用上の注意"));
  Label4 = placed(new QLabel(QStringLiteral("MailAddress : ") + kMailAddress, this), "Label4", 2160,
                  2520, 3375, 255);
  Label4->setFont(japaneseFont(kGothic, 11.25));
  Command1 = placed(new QPushButton(QStringLiteral("もう結構、みたくないです。"), this), "Command1",
                    480, 3000, 4455, 375);
  Command1->setAutoDefault(false);
  setTabOrder(Text1, Command1);
  connect(Command1, &QPushButton::clicked, this, &Form5::Command1_Click);
}

void Form5::Command1_Click() { Form5Window.unload(); }

void Form5::closeEvent(QCloseEvent* e) {
  Form5Window.unload();
  e->accept();
}
