// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/messages.h"

#include <QMessageBox>

namespace ui {

namespace {
std::function<void(const QString&)>& recorder() {
  static std::function<void(const QString&)> r;
  return r;
}
}  // namespace

void SetMessageRecorder(std::function<void(const QString&)> r) { recorder() = std::move(r); }

// A message quoting a huge text (a folder line of a megabyte) would take the
// message box seconds to lay out; such a message is shortened in the middle.
QString Shortened(const QString& text) {
  constexpr qsizetype kMax = 2000;
  if (text.size() <= kMax) return text;
  return text.left(kMax - 500) + QStringLiteral(" … ") + text.right(400);
}

void ShowError(QWidget* parent, const QString& text) {
  if (recorder()) {
    recorder()(Shortened(text));
    return;
  }
  QMessageBox box(QMessageBox::Warning, QStringLiteral("Crumbwright"), Shortened(text),
                  QMessageBox::Ok, parent);
  box.exec();
}

}  // namespace ui
