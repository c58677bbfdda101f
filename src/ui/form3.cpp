// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/form3.h"

#include <QCloseEvent>

#include "app/module1.h"
#include "platform/folders.h"
#include "platform/paths.h"
#include "snack/collection.h"
#include "snack/operations.h"
#include "ui/form1.h"
#include "ui/forms.h"
#include "ui/look.h"
#include "ui/messages.h"
#include "ui/preview.h"

using namespace ui;

Form3::Form3() {
  setObjectName(QStringLiteral("Form3"));
  // The controls keep the places of a 4680-twip-wide window; the snack's
  // picture takes a column of its own on the right.
  setUpWindow(this, QStringLiteral("おやつファイル選択"), 7350, 3195);
  File1 = placed(new QListView(this), "File1", 120, 480, 4335, 1890);
  File1Names = new QStringListModel(this);
  File1->setModel(File1Names);
  File1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  File1->setSelectionMode(QAbstractItemView::SingleSelection);
  File1->setUniformItemSizes(true);
  Label1 = placed(new QLabel(this), "Label1", 120, 120, 4335, 255);
  Command1 =
      placed(new QPushButton(QStringLiteral("適　用"), this), "Command1", 2280, 2640, 975, 375);
  Command2 =
      placed(new QPushButton(QStringLiteral("キャンセル"), this), "Command2", 3600, 2640, 975, 375);
  for (QPushButton* b : {Command1, Command2}) {
    b->setAutoDefault(false);
    b->setDefault(false);
  }
  Picture1 = placed(new PicturePreview(this), "Picture1", 4695, 480, 2535, 2535);
  File1->setAccessibleName(QStringLiteral("おやつファイル"));
  setTabOrder(File1, Command1);
  setTabOrder(Command1, Command2);
  Command1->setEnabled(false);
  connect(File1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &Form3::File1_Click);
  connect(Command1, &QPushButton::clicked, this, &Form3::Command1_Click);
  connect(Command2, &QPushButton::clicked, this, &Form3::Command2_Click);
  Form_Load();
}

void Form3::Form_Load() {
  // The folder text is as the user saw it; its names may be code page 932 bytes on disk.
  QString error;
  if (const auto files = snack::listSnackFolder(Module1::SnackFolder, &error)) {
    files_ = *files;
    File1Names->setStringList(platform::shownNames(files_));
  } else {
    ShowError(this, error + QStringLiteral("\n"
                                           "「ファイル」メニューの「おやつフォルダ再設定」（Ctrl+"
                                           "O）でフォルダを選び直してください。"));
  }
  if (Module1::DialogMode == Module1::kModeSnackFile)
    Label1->setText(QStringLiteral("ＰＯＳＴＰＥＴのおやつを選択してね。"));
}

void Form3::File1_Click() {
  const QModelIndexList rows = File1->selectionModel()->selectedRows();
  const bool chosen = !rows.isEmpty() && rows.first().row() < files_.size();
  Command1->setEnabled(chosen);
  if (chosen)
    Picture1->showFile(files_[rows.first().row()].path);
  else
    Picture1->clearPicture();
}

void Form3::Command1_Click() {
  const QModelIndexList rows = File1->selectionModel()->selectedRows();
  if (rows.isEmpty() || rows.first().row() >= files_.size()) return;
  const QString name = files_[rows.first().row()].name;
  const platform::NativePath path = files_[rows.first().row()].path;
  Form1* main = MainForm();
  if (!main->LoadSnackFile(this, name, path)) return;
  Form3Window.hide();
  main->show();
  Form3Window.unload();
}

void Form3::Command2_Click() {
  Form3Window.hide();
  MainForm()->show();
  Form3Window.unload();
}

void Form3::closeEvent(QCloseEvent* e) {
  Command2_Click();
  e->accept();
}
