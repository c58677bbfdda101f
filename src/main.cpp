// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>

#include "ui/form1.h"
#include "ui/look.h"
#include "ui/singlewindow.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  ui::setUpApplication();
  Form1 form1;
  if (!form1.hiddenByLoad()) form1.show();
  // Start-up measurements: end as soon as the main window is on screen and the
  // event loop has nothing left to do.
  ui::quitWhenShownIfAsked(form1);
  return QApplication::exec();
}
