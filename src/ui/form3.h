// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Snack file selection: the files of the snack folder, Apply loads one.
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QStringListModel>
#include <QWidget>

#include "platform/folders.h"

namespace ui {
class PicturePreview;
}

class Form3 : public QWidget {
  Q_OBJECT
 public:
  Form3();
  // Lists the snack folder's files in File1, as the window does when it is made.
  void Form_Load();

 public slots:
  void Command1_Click();  // Apply: loads the selected file
  void Command2_Click();  // Cancel

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  QListView* File1;
  QStringListModel* File1Names;
  QLabel* Label1;
  QPushButton *Command1, *Command2;

  // Shows the picture of the selected file, read for that file only.
  void File1_Click();
  ui::PicturePreview* Picture1;
  // The file each row of File1 stands for, under its exact path.
  platform::FolderEntries files_;
};
