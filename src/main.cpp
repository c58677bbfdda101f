#include <QApplication>

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
  return QApplication::exec();
}
