// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/windows.h"

#include <QApplication>

namespace platform {

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

}  // namespace platform
