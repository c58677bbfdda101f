// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A new snack from any picture: the picture fitted into the factory's
// templates, its mask made from its background, shown as the host draws it
// and written into the factory folder.
#include <QByteArray>
#include <QImage>
#include <QString>
#include <QWidget>

#include "snack/picturemaker.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
namespace ui {
class PicturePreview;
}

class Form6 : public QWidget {
  Q_OBJECT
 public:
  Form6();

 public slots:
  void Command1_Click();  // "絵を選ぶ…": a file dialog that fills Text1
  void Command2_Click();  // "作る": writes the snack shown
  void Command3_Click();  // "閉じる"
  void Check1_Click();    // the key colour turned on or off, by any means: the snack drawn anew
  void Text1_KeyPress();  // Enter: reads the picture Text1 names
  void Text1_Validate();  // leaving the box: reads its picture unless that was tried already

 protected:
  void closeEvent(QCloseEvent* e) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dropEvent(QDropEvent* e) override;

 private:
  void Form_Load();
  // A picture file dropped on the window: read as if typed into Text1.
  void Form_OLEDragDrop(const QString& path);
  // Reads the picture Text1 names and the templates; true when both were read.
  bool ReadPicture();
  // Fits the picture read into the templates' size.
  void FitPicture();
  // Makes the new snack's bytes for the state of Check1 and draws them.
  void ShowSnack();
  // Reads the templates and names them in Label1.
  bool ReadTemplates(QString* error);

  QLabel *Label1, *Label2, *Label3, *Label4;
  QLineEdit *Text1, *Text2;
  QPushButton *Command1, *Command2, *Command3;
  QCheckBox* Check1;
  ui::PicturePreview* Picture1;

  snack::PictureTemplates templates_;
  QString picturePath_;  // the picture read, as Text1 named it
  QString triedPath_;    // the last picture tried, read or not
  QImage picture_;       // the picture read, kept to fit it into parts replaced since
  QImage fitted_[2];     // the picture fitted, without and with the key colour
  QByteArray bytes_;     // the new snack, as Picture1 shows it
};
