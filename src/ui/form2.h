// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Folder selection: drive list, folder list, file list and the folder text.
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QStringListModel>
#include <QWidget>

#include "platform/paths.h"

// A folder list in the classic style: the path from the root down to the
// current folder, then its subfolders. Opening an entry moves there.
class FolderList : public QListWidget {
  Q_OBJECT
 public:
  explicit FolderList(QWidget* parent);
  // The current folder as shown (with "/" as Qt writes paths), and as the
  // file system holds it.
  QString path() const { return QDir::fromNativeSeparators(folder_.shown()); }
  const platform::NativePath& folder() const { return folder_; }
  // Moves to a folder; false (and no change) when it cannot be read.
  bool setPath(const platform::NativePath& folder);
 signals:
  void changed();
  // An entry was opened whose folder cannot be read; the list stays as it was.
  void refused(const QString& folder);

 private:
  platform::NativePath folder_;
  QList<platform::NativePath> targets_;  // the folder each row opens
};

class Form2 : public QWidget {
  Q_OBJECT
 public:
  Form2();

 public slots:
  void Drive1_Change();
  void Dir1_Change();
  void File1_Click();
  void Command1_Click();
  void Command2_Click();

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  QComboBox* Drive1;
  FolderList* Dir1;
  QListView* File1;
  QStringListModel* File1Names;
  QLabel *Label1, *Label2;
  QLineEdit* Text1;
  QPushButton *Command1, *Command2;

  void Form_Load();
  void selectDriveOf(const QString& folder);

  int shownDrive_ = -1;  // the entry of Drive1 whose folders the lists show
};
