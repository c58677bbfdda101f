// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QWindow>

#include "ui/form1.h"
#include "ui/look.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Crumbwright"));
  QApplication::setDesktopFileName(QStringLiteral("crumbwright"));
  QApplication::setQuitOnLastWindowClosed(false);
  ui::installFontSubstitutes();
  Form1 form1;
  if (!form1.hiddenByLoad()) form1.show();
  // Start-up measurements: end as soon as the main window is on screen and the
  // event loop has nothing left to do.
  if (qEnvironmentVariableIsSet("CRUMBWRIGHT_QUIT_WHEN_IDLE")) {
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                     &app, [&form1] {
                       const QWindow* w = form1.windowHandle();
                       if (form1.isHidden() || (w && w->isExposed())) QCoreApplication::quit();
                     });
  }
  return QApplication::exec();
}
