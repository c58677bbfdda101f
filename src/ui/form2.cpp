// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/form2.h"

#include <QCloseEvent>
#include <QDir>

#include "app/module1.h"
#include "app/settings.h"
#include "platform/folders.h"
#include "platform/paths.h"
#include "ui/access.h"
#include "ui/form1.h"
#include "ui/forms.h"
#include "ui/look.h"
#include "ui/messages.h"

using namespace ui;

FolderList::FolderList(QWidget* parent) : QListWidget(parent) {
  connect(this, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
    const int r = row(item);
    if (r < 0 || r >= targets_.size()) return;
    const platform::NativePath target = targets_[r];
    if (target == folder_) return;
    if (setPath(target))
      emit changed();
    else
      emit refused(target.shown());
  });
}

bool FolderList::setPath(const platform::NativePath& folder) {
  const platform::NativePath absolute = folder.absolute();
  const auto subfolders = platform::listSubfolders(absolute);
  if (!subfolders) return false;
  folder_ = absolute;
  clear();
  targets_.clear();
  // The chain of folders from the root down to this one.
  const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
  const QIcon closed = style()->standardIcon(QStyle::SP_DirIcon);
  int depth = 0;
  for (const platform::NativePath& p : absolute.chain()) {
    new QListWidgetItem(open, QString(depth * 2, QLatin1Char(' ')) + p.shownFileName(), this);
    targets_.append(p);
    ++depth;
  }
  setCurrentRow(count() - 1);
  for (const platform::FolderEntry& sub : *subfolders) {
    new QListWidgetItem(closed, QString(depth * 2, QLatin1Char(' ')) + sub.name, this);
    targets_.append(sub.path);
  }
  return true;
}

Form2::Form2() {
  setObjectName(QStringLiteral("Form2"));
  installInputNames();
  setUpWindow(this, QStringLiteral("フォルダ選択"), 5565, 3825);
  Drive1 = placed(new QComboBox(this), "Drive1", 120, 480, 2775, 300);
  Dir1 = placed(new FolderList(this), "Dir1", 120, 840, 2775, 1980);
  File1 = placed(new QListView(this), "File1", 3000, 480, 2295, 2430);
  File1Names = new QStringListModel(this);
  File1->setModel(File1Names);
  File1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  File1->setUniformItemSizes(true);
  Label1 = placed(new QLabel(QStringLiteral("フォルダ名"), this), "Label1", 120, 3000, 855, 255);
  Text1 = placed(new QLineEdit(this), "Text1", 1080, 3000, 4215, 270);
  Label1->setBuddy(Text1);
  nameInput(Text1, Label1->text());
  // The three lists have no caption of their own; they are named by what they list.
  nameInput(Drive1, QStringLiteral("ドライブ"));
  nameInput(Dir1, QStringLiteral("フォルダ"));
  nameInput(File1, QStringLiteral("ファイル"));
  Command1 =
      placed(new QPushButton(QStringLiteral("適用"), this), "Command1", 2880, 3360, 1215, 375);
  Command2 = placed(new QPushButton(QStringLiteral("キャンセル"), this), "Command2", 4320, 3360,
                    1095, 375);
  Label2 = placed(new QLabel(this), "Label2", 120, 120, 5175, 255);
  for (QPushButton* b : {Command1, Command2}) {
    b->setAutoDefault(false);
    b->setDefault(false);
  }
  setTabOrder(Drive1, Dir1);
  setTabOrder(Dir1, File1);
  setTabOrder(File1, Text1);
  setTabOrder(Text1, Command1);
  setTabOrder(Command1, Command2);

  Drive1->addItems(platform::fileSystemRoots());
  // Choosing the drive the lists already show keeps the folder opened on it.
  connect(Drive1, &QComboBox::activated, this, [this](int index) {
    if (index != shownDrive_) Drive1_Change();
  });
  connect(Dir1, &FolderList::changed, this, &Form2::Dir1_Change);
  connect(Dir1, &FolderList::refused, this, [this](const QString& folder) {
    ShowError(this, QStringLiteral("フォルダ「%1」を読み込めません。別のフォルダを選んでください。")
                        .arg(folder));
  });
  connect(File1, &QListView::clicked, this, &Form2::File1_Click);
  connect(Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
  connect(Command2, &QPushButton::clicked, this, &Form2::Command2_Click);
  Form_Load();
}

void Form2::selectDriveOf(const QString& folder) {
  int best = -1;
  qsizetype bestLength = -1;
  const QString path = QDir::fromNativeSeparators(folder);
  for (int i = 0; i < Drive1->count(); ++i) {
    QString root = QDir::fromNativeSeparators(Drive1->itemText(i));
    if (!root.endsWith(QLatin1Char('/'))) root += QLatin1Char('/');
    if ((path + QLatin1Char('/')).startsWith(root, Qt::CaseInsensitive) &&
        root.size() > bestLength) {
      best = i;
      bestLength = root.size();
    }
  }
  Drive1->setCurrentIndex(best);
  shownDrive_ = best;
}

void Form2::Form_Load() {
  // The lists start on the working folder, whatever SnackFolder holds.
  if (Dir1->setPath(platform::currentFolder())) {
    File1Names->setStringList(platform::shownNames(
        platform::listFiles(Dir1->folder()).value_or(platform::FolderEntries())));
  }
  selectDriveOf(Dir1->path());
  Text1->setText(platform::folderText(Dir1->path()));
  if (Module1::DialogMode == Module1::kModeFirstRun ||
      Module1::DialogMode == Module1::kModeFolderAgain)
    Label2->setText(QStringLiteral("ＰＯＳＴＰＥＴのおやつフォルダを選択してね。"));
}

void Form2::Drive1_Change() {
  const QString root = Drive1->currentText();
  if (!Dir1->setPath(root)) {
    ShowError(this, QStringLiteral("「%1」を読み込めません。別の場所を選んでください。").arg(root));
    selectDriveOf(Dir1->path());
    return;
  }
  Dir1_Change();
  Text1->setText(platform::folderText(root));
}

void Form2::Dir1_Change() {
  const auto files = platform::listFiles(Dir1->folder());
  File1Names->setStringList(platform::shownNames(files.value_or(platform::FolderEntries())));
  selectDriveOf(Dir1->path());
  Text1->setText(platform::folderText(Dir1->path()));
}

void Form2::File1_Click() { Text1->setText(platform::folderText(Dir1->path())); }

void Form2::Command1_Click() {
  const QString folder = Text1->text();
  QString error;
  if (!WriteSnackFolder(folder, &error)) {
    ShowError(this, error);
    return;
  }
  Module1::SnackFolder = folder;
  Form2Window.hide();
  MainForm()->show();
}

void Form2::Command2_Click() {
  if (Module1::DialogMode == Module1::kModeFirstRun) {
    ui::endProgram();
  } else if (Module1::DialogMode == Module1::kModeFolderAgain) {
    Form2Window.hide();
    MainForm()->show();
    Form2Window.unload();
  }
}

void Form2::closeEvent(QCloseEvent* e) {
  const std::int16_t mode = Module1::DialogMode;
  if (mode != Module1::kModeFirstRun && mode != Module1::kModeFolderAgain) {
    // Never leave the program without a visible window.
    Form2Window.hide();
    MainForm()->show();
  }
  Command2_Click();
  e->accept();
}
