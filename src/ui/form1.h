// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The editor window: every header field of the current snack file, and the
// menus from which every command starts.
#include <QByteArray>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <array>

// A label that reports double-clicks.
class ClickLabel : public QLabel {
  Q_OBJECT
 public:
  using QLabel::QLabel;
 signals:
  void doubleClicked();

 protected:
  void mouseDoubleClickEvent(QMouseEvent* e) override;
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

  // Shows every field of SnackRecord in the boxes (after a load).
  void ShowSnackRecord();

  QLabel *Label1, *Label2, *Label3, *Label4, *Label5, *Label6, *Label7, *Label8, *Label9, *Label10,
      *Label11, *Label12, *Label13, *Label14, *Label15, *Label16, *Label17, *Label19, *Label20;
  ClickLabel* Label18;
  QPlainTextEdit *Text1, *Text2, *Text3;
  QLineEdit *Text4, *Text5, *Text6, *Text7, *Text8, *Text9, *Text10, *Text11, *Text12, *Text13,
      *Text14;
  QComboBox *Combo1, *Combo2;
  QGroupBox* Frame1;
  QMenu *MENU_FILE, *MENU_HELP;
  QAction *FILE_READ, *FILE_SAVE, *FILE_FOLDER, *FILE_NEW, *FILE_QUIT, *HELP_INFO;

 public slots:
  void FILE_READ_Click();
  void FILE_SAVE_Click();
  void FILE_FOLDER_Click();
  void FILE_NEW_Click();
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
  static void FillList(QComboBox* combo, const std::array<QString, 257>& table);

  bool hiddenByLoad_ = false;
  // The bytes of each text as loaded, and the text the box showed for them:
  // an unchanged text is saved as its original bytes.
  std::array<QByteArray, 3> loadedBytes_;
  std::array<QString, 3> loadedText_;
  std::array<bool, 3> loaded_{};
};
