// SPDX-License-Identifier: GPL-3.0-or-later
// The start-up floor that draws what the editor draws: the main window's
// captions in the same fonts and colours, the same boxes at the same places,
// the same two lists of 256 items and the same menus, built by the plainest
// code (plain Qt widgets, no settings, no files read, nothing connected). The
// font sizes are those the editor's caption fitting arrives at with the IPA P
// fonts; the runner checks that the two windows show the same pixels. Ends the
// same way as crumbwright (ui::quitWhenShownIfAsked).
// With --grab FILE it saves the window's pixels to FILE instead and quits.
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPixmap>
#include <QPlainTextEdit>

#include "ui/look.h"
#include "ui/singlewindow.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  ui::setUpApplication();

  QMainWindow window;
  window.setWindowTitle(QStringLiteral("Crumbwright for POSTPET　　Ver1.01    "));
  window.setWindowIcon(ui::programIcon());
  auto* c = new QWidget(&window);
  c->setFixedSize(426, 251);
  window.setCentralWidget(c);

  QFont mincho(ui::kMincho);
  mincho.setPointSizeF(9);
  QFont smallMincho(ui::kMincho);
  smallMincho.setPointSizeF(8.5);
  QFont boldGothic(ui::kGothic);
  boldGothic.setPointSizeF(9);
  boldGothic.setBold(true);
  QPalette navy = c->palette();
  navy.setColor(QPalette::WindowText, ui::kNavy);
  const QString navySheet = QStringLiteral("QLabel { color: rgb(0, 0, 128); }");

  // Left, top, width and height in twips, as the editor gives them.
  const struct {
    const char* text;
    int l, t, w, h;
  } captions[] = {{"おやつの名前", 120, 120, 1095, 255},
                  {"おやつの説明", 120, 480, 1095, 255},
                  {"おやつの作者", 120, 840, 1095, 255},
                  {"おやつの番号", 120, 1200, 1095, 255},
                  {"食事音", 3600, 1200, 615, 255},
                  {"おやつの数量", 120, 1680, 1095, 255},
                  {"おやつの熱量", 120, 2040, 1095, 255},
                  {"個", 2640, 1800, 255, 255},
                  {"Kcal", 2520, 2160, 375, 255},
                  {"賞味期限", 120, 2400, 855, 255},
                  {"日", 2640, 2520, 255, 255},
                  {"おやつの種類", 120, 2880, 1095, 255},
                  {"おやつファイル", 120, 3360, 1215, 255}};
  for (const auto& k : captions) {
    auto* label = new QLabel(QString::fromUtf8(k.text), c);
    ui::placeTwips(label, k.l, k.t, k.w, k.h);
    label->setFont(qstrcmp(k.text, "Kcal") == 0 ? smallMincho : mincho);
    label->setPalette(navy);
  }
  const struct {
    int l, t, w, h;
  } areas[] = {{1320, 120, 4935, 270}, {1320, 480, 4935, 270}, {1320, 840, 4935, 270}};
  for (const auto& k : areas) {
    auto* area = new QPlainTextEdit(c);
    ui::placeTwips(area, k.l, k.t, k.w, k.h);
    area->setLineWrapMode(QPlainTextEdit::NoWrap);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->document()->setDocumentMargin(1);
  }
  const struct {
    const char* text;
    int l, t, w, h;
  } boxes[] = {{"", 1320, 1200, 1695, 270},
               {"", 1320, 1680, 1095, 270},
               {"", 1320, 2460, 1095, 270},
               {"", 1320, 2100, 1095, 270},
               {"おやつw.pac", 1560, 3360, 4695, 270}};
  for (const auto& k : boxes)
    ui::placeTwips(new QLineEdit(QString::fromUtf8(k.text), c), k.l, k.t, k.w, k.h);
  const struct { int l, t, w, h; } lists[] = {{4200, 1200, 2055, 300}, {1320, 2880, 4935, 300}};
  QStringList items;
  for (int i = 0; i < 256; ++i) items.append(QStringLiteral("--------"));
  for (const auto& k : lists) {
    auto* combo = new QComboBox(c);
    ui::placeTwips(combo, k.l, k.t, k.w, k.h);
    combo->setEditable(true);
    combo->setMaxVisibleItems(16);
    combo->addItems(items);
    combo->setCurrentIndex(-1);
  }

  // The opening date: its caption on the top border line, its boxes in one
  // smaller size.
  auto* frame = new QGroupBox(QStringLiteral("おやつ開封日時"), c);
  ui::placeTwips(frame, 3120, 1680, 3135, 1095);
  frame->setStyleSheet(QStringLiteral(
      "QGroupBox { border: 1px solid palette(mid); border-radius: 3px; margin-top: 7px;"
      " color: rgb(0, 0, 128); }"
      "QGroupBox::title { subcontrol-origin: margin; left: 7px; padding: 0px 2px;"
      " background-color: palette(window); }"));
  QFont dateFont = frame->font();
  dateFont.setPointSizeF(7.75);
  const struct {
    const char* text;
    int l, t, w, h;
  } dates[] = {{"0000", 720, 240, 495, 270}, {"00", 1560, 240, 375, 270},
               {"00", 2280, 240, 375, 270},  {"00", 840, 600, 375, 270},
               {"00", 1560, 600, 375, 270},  {"00", 2280, 600, 375, 270}};
  for (const auto& k : dates) {
    auto* box = new QLineEdit(QString::fromUtf8(k.text), frame);
    ui::placeTwips(box, k.l, k.t, k.w, k.h);
    box->setFont(dateFont);
  }
  const struct {
    const char* text;
    int l, t;
  } units[] = {{"年", 1320, 360}, {"月", 2040, 360}, {"日", 2760, 360},
               {"時", 1320, 720}, {"分", 2040, 720}, {"秒", 2760, 720}};
  for (const auto& k : units) {
    auto* label = new QLabel(QString::fromUtf8(k.text), frame);
    ui::placeTwips(label, k.l, k.t, 255, 255);
    label->setStyleSheet(navySheet);
  }
  auto* unopened = new QLabel(QStringLiteral("未開封"), frame);
  ui::placeTwips(unopened, 120, 600, 615, 255);
  unopened->setFont(boldGothic);
  unopened->setStyleSheet(QStringLiteral("QLabel { color: rgb(128, 64, 0); }"));

  QMenu* file = window.menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
  file->addAction(QStringLiteral("おやつファイルの読込"))->setShortcut(Qt::CTRL | Qt::Key_L);
  file->addAction(QStringLiteral("おやつファイルの書込"))->setShortcut(Qt::CTRL | Qt::Key_S);
  file->addAction(QStringLiteral("おやつフォルダ再設定"))->setShortcut(Qt::CTRL | Qt::Key_O);
  file->addAction(QStringLiteral("おやつの工場"))->setShortcut(Qt::CTRL | Qt::Key_N);
  file->addAction(QStringLiteral("終了"))->setShortcut(Qt::CTRL | Qt::Key_Q);
  QMenu* help = window.menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
  help->addAction(QStringLiteral("このプロクラムについて"))->setShortcut(Qt::CTRL | Qt::Key_A);

  window.show();
  const QStringList args = QCoreApplication::arguments();
  if (const qsizetype grab = args.indexOf(QStringLiteral("--grab")); grab > 0) {
    QCoreApplication::processEvents();
    return window.grab().save(args.value(grab + 1), "PNG") ? 0 : 1;
  }
  ui::quitWhenShownIfAsked(window);
  return QApplication::exec();
}
