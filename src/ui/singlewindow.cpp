// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/singlewindow.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QWindow>

namespace ui {

namespace {
std::function<void()>& hook() {
  static std::function<void()> h;
  return h;
}
}  // namespace

void setEndProgramHook(std::function<void()> h) { hook() = std::move(h); }

void endProgram() {
  if (hook()) {
    hook()();
    return;
  }
  for (QWidget* w : QApplication::topLevelWidgets()) w->hide();
  QCoreApplication::exit(0);
}

void quitWhenShownIfAsked(const QWidget& window) {
  if (!qEnvironmentVariableIsSet("CRUMBWRIGHT_QUIT_WHEN_IDLE")) return;
  QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                   qApp, [&window] {
                     const QWindow* w = window.windowHandle();
                     if (window.isHidden() || (w && w->isExposed())) QCoreApplication::quit();
                   });
}

}  // namespace ui
