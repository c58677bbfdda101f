// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/form6.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSignalBlocker>

#include "app/module1.h"
#include "platform/paths.h"
#include "snack/operations.h"
#include "snack/picture.h"
#include "ui/access.h"
#include "ui/form8.h"
#include "ui/forms.h"
#include "ui/look.h"
#include "ui/messages.h"
#include "ui/preview.h"

using namespace ui;

namespace {

const QString kNoPicture = QStringLiteral("絵のファイルを選ぶと、できあがりがここに出ます。");

// The local file a drag carries, if it carries exactly one.
QString droppedFile(const QMimeData* data) {
  if (!data->hasUrls() || data->urls().size() != 1 || !data->urls().first().isLocalFile())
    return {};
  return platform::nativePath(data->urls().first().toLocalFile());
}

}  // namespace

Form6::Form6() {
  setObjectName(QStringLiteral("Form6"));
  setUpWindow(this, QStringLiteral("絵からおやつを作る"), 7350, 3255);
  Label3 = placed(new QLabel(QStringLiteral("絵のファイル"), this), "Label3", 120, 150, 1095, 255);
  Text1 = placed(new QLineEdit(this), "Text1", 1320, 120, 4335, 300);
  Command1 =
      placed(new QPushButton(QStringLiteral("絵を選ぶ…"), this), "Command1", 5775, 83, 1455, 375);
  Picture1 = placed(new PicturePreview(this), "Picture1", 120, 600, 2535, 2535);
  Label1 = placed(new QLabel(this), "Label1", 2880, 600, 4350, 255);
  Check1 = placed(new QCheckBox(QStringLiteral("左上の色を背景にする"), this), "Check1", 2880, 960,
                  4350, 300);
  Label4 = placed(new QLabel(QStringLiteral("新しいおやつファイルの名前"), this), "Label4", 2880,
                  1440, 4350, 255);
  Text2 = placed(new QLineEdit(this), "Text2", 2880, 1740, 4350, 300);
  Label2 = placed(new QLabel(this), "Label2", 2880, 2160, 4350, 495);
  Label2->setWordWrap(true);
  Command2 =
      placed(new QPushButton(QStringLiteral("作る"), this), "Command2", 4800, 2760, 1095, 375);
  Command3 =
      placed(new QPushButton(QStringLiteral("閉じる"), this), "Command3", 6135, 2760, 1095, 375);
  for (QPushButton* b : {Command1, Command2, Command3}) {
    b->setAutoDefault(false);
    b->setDefault(false);
  }
  for (QLabel* l : {Label3, Label4}) setTextColour(l, kNavy);
  Label3->setBuddy(Text1);
  Label4->setBuddy(Text2);
  nameInput(Text1, QStringLiteral("絵のファイル"));
  nameInput(Text2, QStringLiteral("新しいおやつファイルの名前"));
  Picture1->setAccessibleName(QStringLiteral("できあがりの絵"));
  Picture1->showText(kNoPicture);
  Check1->setEnabled(false);
  Command2->setEnabled(false);  // until a picture has been read
  // A file dropped anywhere on the window, the boxes included, is a picture to read.
  setAcceptDrops(true);
  Text1->setAcceptDrops(false);
  Text2->setAcceptDrops(false);
  setTabOrder(Text1, Command1);
  setTabOrder(Command1, Check1);
  setTabOrder(Check1, Text2);
  setTabOrder(Text2, Command2);
  setTabOrder(Command2, Command3);
  // Enter gives returnPressed, then editingFinished: the second finds its picture tried.
  connect(Text1, &QLineEdit::returnPressed, this, &Form6::Text1_KeyPress);
  connect(Text1, &QLineEdit::editingFinished, this, &Form6::Text1_Validate);
  connect(Command1, &QPushButton::clicked, this, &Form6::Command1_Click);
  // toggled: also a change by a screen reader's action or by the program.
  connect(Check1, &QCheckBox::toggled, this, &Form6::Check1_Click);
  connect(Command2, &QPushButton::clicked, this, &Form6::Command2_Click);
  connect(Command3, &QPushButton::clicked, this, &Form6::Command3_Click);
  Form_Load();
}

void Form6::Form_Load() {
  QString error;
  ReadTemplates(&error);
}

bool Form6::ReadTemplates(QString* error) {
  const snack::Outcome read = snack::readTemplates(snack::kFactoryFolder, templates_);
  if (!read.ok) {
    *error = read.message;
    Label1->setText(QStringLiteral("型：読み込めません"));
    Label1->setToolTip(read.message);
    Label1->setAccessibleDescription(read.message);
    return false;
  }
  Label1->setText(QStringLiteral("型：%1 × %2、%3ビット")
                      .arg(templates_.imageLayout.width)
                      .arg(templates_.imageLayout.height)
                      .arg(templates_.imageLayout.bitDepth));
  Label1->setToolTip({});
  Label1->setAccessibleDescription({});
  return true;
}

void Form6::Text1_KeyPress() { ReadPicture(); }

void Form6::Text1_Validate() {
  if (Text1->text() != triedPath_) ReadPicture();
}

bool Form6::ReadPicture() {
  triedPath_ = Text1->text();
  // A path pasted from a file manager may come in quotes.
  QString path = Text1->text().trimmed();
  if (path.size() >= 2 && path.startsWith(QLatin1Char('"')) && path.endsWith(QLatin1Char('"')))
    path = path.mid(1, path.size() - 2);
  if (path.isEmpty()) return false;
  QImage picture;
  const snack::Outcome read = snack::readPictureFile(path, picture);
  if (!read.ok) {
    ShowError(this, read.message);
    return false;
  }
  QString error;
  if (!ReadTemplates(&error)) {
    ShowError(this, error);
    return false;
  }
  picturePath_ = Text1->text();
  picture_ = std::move(picture);
  const bool keyed = snack::takesKeyColour(picture_);
  {
    const QSignalBlocker quiet(Check1);  // drawn once, below
    Check1->setChecked(keyed);
  }
  Check1->setEnabled(keyed);
  FitPicture();
  Text2->setText(QFileInfo(path).completeBaseName() + QStringLiteral(".pac"));
  Label2->clear();
  Label2->setToolTip({});
  ShowSnack();
  Command2->setEnabled(true);
  return true;
}

void Form6::FitPicture() {
  fitted_[1] = snack::takesKeyColour(picture_)
                   ? snack::fitPicture(picture_, templates_.size(), true)
                   : QImage();
  fitted_[0] = snack::fitPicture(picture_, templates_.size(), false);
}

void Form6::ShowSnack() {
  const QImage& fitted = fitted_[Check1->isChecked() ? 1 : 0];
  bytes_ = snack::snackBytes(templates_, fitted);
  const qsizetype image = templates_.head.size(), mask = image + templates_.image.size();
  Picture1->showSnack(bytes_, {snack::bitmapAt(bytes_, image), snack::bitmapAt(bytes_, mask)});
}

void Form6::Check1_Click() {
  if (!bytes_.isEmpty()) ShowSnack();
}

void Form6::Command1_Click() {
  QStringList patterns;
  for (const QByteArray& format : QImageReader::supportedImageFormats())
    patterns.append(QStringLiteral("*.") + QString::fromLatin1(format));
  const QString filter = QStringLiteral("絵 (%1);;すべてのファイル (*)").arg(patterns.join(' '));
  const QString start = QFileInfo(Text1->text().trimmed()).absolutePath();
  const QString chosen =
      QFileDialog::getOpenFileName(this, QStringLiteral("絵を選ぶ"), start, filter);
  if (chosen.isEmpty()) return;
  Text1->setText(platform::nativePath(chosen));
  ReadPicture();
}

void Form6::Form_OLEDragDrop(const QString& path) {
  Text1->setText(path);
  ReadPicture();
}

void Form6::dragEnterEvent(QDragEnterEvent* e) {
  if (!droppedFile(e->mimeData()).isEmpty()) e->acceptProposedAction();
}

void Form6::dropEvent(QDropEvent* e) {
  const QString path = droppedFile(e->mimeData());
  if (path.isEmpty()) return;
  e->acceptProposedAction();
  Form_OLEDragDrop(path);
}

void Form6::Command2_Click() {
  // The snack is made of the picture Text1 names, also when the box was not left.
  if (Text1->text().trimmed().isEmpty()) {
    ShowError(this, QStringLiteral("「絵のファイル」が空です。絵のファイルを選んでください。"));
    return;
  }
  if ((Text1->text() != picturePath_ || bytes_.isEmpty()) && !ReadPicture()) return;
  // The parts as they are now: one may have been replaced since the picture was read.
  QString error;
  const QSize size = templates_.size();
  if (!ReadTemplates(&error)) {
    Label2->clear();
    ShowError(this, error);
    return;
  }
  if (templates_.size() != size) FitPicture();
  ShowSnack();
  const QString name = Text2->text();
  snack::HistoryAction history(HistoryFolder(), QStringLiteral("絵から作成"));
  if (!AskToReplaceUnkept(this, platform::joinPath(snack::kFactoryFolder, name), history)) return;
  const snack::Outcome done =
      snack::writeSnackFile(snack::kFactoryFolder, name, bytes_, Module1::SnackFilePath, &history);
  if (!done.ok) {
    Label2->clear();
    ShowError(this, done.message);
    return;
  }
  // The snack folder's file list does not show it: say where it is.
  Label2->setText(QStringLiteral("「%1」を作りました。おやつ工場のフォルダにあります。").arg(name));
  Label2->setToolTip(platform::nativePath(
      QFileInfo(platform::joinPath(snack::kFactoryFolder, name)).absoluteFilePath()));
}

void Form6::Command3_Click() { Form6Window.unload(); }

void Form6::closeEvent(QCloseEvent* e) {
  Form6Window.unload();
  e->accept();
}
