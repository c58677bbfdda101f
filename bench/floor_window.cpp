// SPDX-License-Identifier: GPL-3.0-or-later
// The start-up floor: the least a Qt Widgets program does to put one window of
// a given size on screen. Built and run exactly as crumbwright is, and ends the
// same way (ui::quitWhenShownIfAsked). Arguments: width,
// height and optionally --label.
#include <QApplication>
#include <QLabel>
#include <QWidget>

#include "ui/singlewindow.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QStringList args = QCoreApplication::arguments();
  const int width = args.size() > 2 ? args[1].toInt() : 640;
  const int height = args.size() > 2 ? args[2].toInt() : 480;
  QWidget window;
  window.setWindowTitle(QStringLiteral("floor"));
  window.setFixedSize(width, height);
  // --label: the same window with one Japanese caption in the font the editor's
  // captions get, to show what drawing any Japanese text costs.
  if (args.contains(QStringLiteral("--label"))) {
    auto* label = new QLabel(QStringLiteral("おやつの名前"), &window);
    label->setFont(QFont(QStringLiteral("IPAPMincho"), 9));
    label->move(8, 8);
  }
  window.show();
  ui::quitWhenShownIfAsked(window);
  return QApplication::exec();
}
