// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/messages.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace ui {

namespace {
std::function<void(const QString&)>& recorder() {
  static std::function<void(const QString&)> r;
  return r;
}
}  // namespace

std::function<int(const QString&, const QStringList&)>& answerer() {
  static std::function<int(const QString&, const QStringList&)> a;
  return a;
}

namespace {
std::function<QString(const QString&)>& saveFileChooser() {
  static std::function<QString(const QString&)> c;
  return c;
}
}  // namespace

void SetSaveFileChooser(std::function<QString(const QString&)> c) {
  saveFileChooser() = std::move(c);
}

QString ChooseSaveFile(QWidget* parent, const QString& title, const QString& suggested,
                       const QString& filter) {
  if (saveFileChooser()) return saveFileChooser()(suggested);
  return QFileDialog::getSaveFileName(parent, title, suggested, filter);
}

namespace {
std::function<QString()>& openFileChooser() {
  static std::function<QString()> c;
  return c;
}
}  // namespace

void SetOpenFileChooser(std::function<QString()> c) { openFileChooser() = std::move(c); }

QString ChooseOpenFile(QWidget* parent, const QString& title, const QString& filter) {
  if (openFileChooser()) return openFileChooser()();
  return QFileDialog::getOpenFileName(parent, title, {}, filter);
}

void SetMessageRecorder(std::function<void(const QString&)> r) { recorder() = std::move(r); }

void SetQuestionAnswerer(std::function<int(const QString&, const QStringList&)> a) {
  answerer() = std::move(a);
}

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

int Ask(QWidget* parent, const QString& text, const QStringList& answers) {
  Q_ASSERT(!answers.isEmpty());
  if (answerer()) return answerer()(text, answers);
  QMessageBox box(QMessageBox::Question, QStringLiteral("Crumbwright"), Shortened(text),
                  QMessageBox::NoButton, parent);
  QList<QAbstractButton*> buttons;
  for (const QString& answer : answers) {
    const auto role = buttons.isEmpty()                     ? QMessageBox::AcceptRole
                      : buttons.size() + 1 < answers.size() ? QMessageBox::DestructiveRole
                                                            : QMessageBox::RejectRole;
    buttons.append(box.addButton(answer, role));
  }
  box.setDefaultButton(static_cast<QPushButton*>(buttons.first()));
  box.setEscapeButton(buttons.last());
  box.exec();
  const int chosen = static_cast<int>(buttons.indexOf(box.clickedButton()));
  return chosen < 0 ? static_cast<int>(answers.size()) - 1 : chosen;
}

}  // namespace ui
