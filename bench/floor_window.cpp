// The start-up floor: the least a Qt Widgets program does to put one window of
// a given size on screen. Built and run exactly as crumbwright is, and ends the
// same way (CRUMBWRIGHT_QUIT_WHEN_IDLE, see src/main.cpp).
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QWidget>
#include <QWindow>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QStringList args = QCoreApplication::arguments();
  const int width = args.size() > 2 ? args[1].toInt() : 640;
  const int height = args.size() > 2 ? args[2].toInt() : 480;
  QWidget window;
  window.setWindowTitle(QStringLiteral("floor"));
  window.setFixedSize(width, height);
  window.show();
  if (qEnvironmentVariableIsSet("CRUMBWRIGHT_QUIT_WHEN_IDLE")) {
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                     &app, [&window] {
                       const QWindow* w = window.windowHandle();
                       if (window.isHidden() || (w && w->isExposed())) QCoreApplication::quit();
                     });
  }
  return QApplication::exec();
}
