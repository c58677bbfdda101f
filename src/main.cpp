// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>

#include "platform/console.h"
#include "ui/form1.h"
#include "ui/look.h"
#include "ui/singlewindow.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);  // takes the toolkit's own options out of argv
  ui::setUpApplication();
  Form1 form1;
  if (!form1.hiddenByLoad()) {
    form1.show();
    // A snack file named on the command line (a file manager's "open with")
    // is loaded as the file selection window loads the file chosen there.
    const QList<platform::CommandArgument> args = platform::commandArguments(argc, argv);
    if (!args.isEmpty())
      form1.LoadSnackFile(&form1, args.first().path.shownFileName(), args.first().path);
  }
  // Start-up measurements: end as soon as the main window is on screen and the
  // event loop has nothing left to do.
  ui::quitWhenShownIfAsked(form1);
  return QApplication::exec();
}
