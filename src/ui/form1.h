// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The editor window: every header field of the current snack file, and the
// menus from which every command starts. Other windows use the methods
// below; the controls are Form1's own and carry their names as object names.
#include <QByteArray>
#include <QLabel>
#include <QMainWindow>
#include <array>
#include <optional>

#include "platform/paths.h"
#include "snack/fields.h"
#include "snack/names.h"

class QComboBox;
class QGroupBox;
class QLineEdit;

// A label that reports double-clicks, and takes the keyboard focus so that
// Enter or Space does the same; it shows a focus frame while it has the focus.
class ClickLabel : public QLabel {
  Q_OBJECT
 public:
  explicit ClickLabel(const QString& text, QWidget* parent = nullptr);
 signals:
  void doubleClicked();

 protected:
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
};

class Form1 : public QMainWindow {
  Q_OBJECT
 public:
  Form1();
  ~Form1() override;

  // True when the load step hid the window (first run).
  bool hiddenByLoad() const { return hiddenByLoad_; }

  // The position of the selected item, or -1 when the edit field shows text
  // that names no item.
  static int SelectedPosition(const QComboBox* combo);

  // Shows every field of SnackRecord and the file's name (after a load).
  void ShowSnackRecord(const QString& fileName);
  // Shows the opened date and time as cleared (after a refresh).
  void ShowUnopened();
  // After a refresh of the current snack file: shows it as unopened and
  // leaves in SnackRecord what a refresh leaves there.
  void ShowRefreshed();
  // Apply of the file selection: after the unsaved-edits question, loads the
  // file `path` (shown as `name`) into SnackRecord and the boxes and makes it
  // the current snack file. False, with nothing changed, on Cancel or failure
  // (its message shown over `parent`).
  bool LoadSnackFile(QWidget* parent, const QString& name, const platform::NativePath& path);
  // The values of the boxes as a save writes them, or nullopt with `error`
  // naming the first box whose content the header cannot hold.
  std::optional<snack::HeaderValues> CollectValues(QString* error) const;
  // True when a box differs from what the last load, save or refresh left
  // there (by value: a value typed and restored is no change).
  bool HasUnsavedEdits() const;
  // Before edits would be thrown away: asks whether to save them. True when
  // the caller may go on (nothing to ask, saved, or not to be saved); false
  // on Cancel or when the save was refused or failed (its message shown).
  bool SettleUnsavedEdits(QWidget* parent);

 public slots:
  void FILE_READ_Click();
  void FILE_LIST_Click();
  void FILE_HISTORY_Click();
  void FILE_SAVE_Click();
  void FILE_REFRESH_Click();
  void FILE_FOLDER_Click();
  void FILE_NEW_Click();
  void FILE_PICTURE_Click();
  void FILE_QUIT_Click();
  void HELP_INFO_Click();
  void Label18_DblClick();

 protected:
  void closeEvent(QCloseEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void BuildControls();
  void BuildMenus();
  void Form_Load();
  // "開封" or "未開封" in Label18, and screen readers told of the change.
  void ShowOpenedState(bool opened);
  static void FillList(QComboBox* combo, const snack::NameList& table);
  // What the boxes show now, in the order of the header fields.
  snack::BoxEntries Boxes() const;
  // Runs the save of FILE_SAVE with messages over `parent`; true when saved.
  bool Save(QWidget* parent);

  // The box or list that shows each header field (none for the spare).
  std::array<QWidget*, snack::kFieldCount> boxes_{};
  QLineEdit* Text14 = nullptr;
  ClickLabel* Label18 = nullptr;
  QComboBox *Combo1 = nullptr, *Combo2 = nullptr;
  QList<QAction*> menuItems_;

  snack::BoxEntries saved_;  // what the last load, save or refresh left in the boxes
  bool hiddenByLoad_ = false;
  // The bytes of each text as loaded, and the text the box showed for them:
  // an unchanged text is saved as its original bytes (before any load, both
  // empty: an empty box is saved as no bytes either way).
  std::array<QByteArray, 3> loadedBytes_;
  std::array<QString, 3> loadedText_;
};
