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

void ShowError(QWidget* parent, const QString& text) {
  if (recorder()) {
    recorder()(text);
    return;
  }
  QMessageBox box(QMessageBox::Warning, QStringLiteral("Crumbwright"), text, QMessageBox::Ok,
                  parent);
  box.exec();
}

}  // namespace ui
