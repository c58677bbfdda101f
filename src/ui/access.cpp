// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/access.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>

namespace ui {

namespace {

// A combo box as the toolkit presents it (children: the drop-down list, then
// the edit field of an editable one), except that its name is its caption
// whatever item is selected.
class NamedComboBox : public QAccessibleWidget {
 public:
  explicit NamedComboBox(QComboBox* combo) : QAccessibleWidget(combo, QAccessible::ComboBox) {}

  QComboBox* comboBox() const { return static_cast<QComboBox*>(widget()); }

  int childCount() const override { return comboBox()->isEditable() ? 2 : 1; }

  QAccessibleInterface* child(int index) const override {
    if (index == 0) return QAccessible::queryAccessibleInterface(comboBox()->view());
    if (index == 1 && comboBox()->isEditable())
      return QAccessible::queryAccessibleInterface(comboBox()->lineEdit());
    return nullptr;
  }

  int indexOfChild(const QAccessibleInterface* child) const override {
    if (!child) return -1;
    if (child->object() == comboBox()->view()) return 0;
    if (comboBox()->isEditable() && child->object() == comboBox()->lineEdit()) return 1;
    return -1;
  }

  QAccessibleInterface* childAt(int x, int y) const override {
    const QLineEdit* edit = comboBox()->isEditable() ? comboBox()->lineEdit() : nullptr;
    if (edit && QRect(edit->mapToGlobal(QPoint(0, 0)), edit->size()).contains(x, y))
      return child(1);
    return nullptr;
  }

  // The edit field never has the focus itself (the combo box is its focus
  // proxy), but it is where typing goes.
  QAccessibleInterface* focusChild() const override {
    return comboBox()->isEditable() ? child(1) : nullptr;
  }

  QString text(QAccessible::Text t) const override {
    switch (t) {
      case QAccessible::Value:
        return comboBox()->isEditable() ? comboBox()->lineEdit()->text()
                                        : comboBox()->currentText();
      case QAccessible::Accelerator:
        return QKeySequence(Qt::Key_Down).toString(QKeySequence::NativeText);
      default:
        // The name: the accessible name set from the caption, else the buddy label.
        return QAccessibleWidget::text(t);
    }
  }

  QAccessible::State state() const override {
    QAccessible::State s = QAccessibleWidget::state();
    s.expandable = true;
    s.expanded = isValid() && comboBox()->view()->isVisible();
    return s;
  }

  QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }

  QString localizedActionDescription(const QString& action) const override {
    if (action == showMenuAction() || action == pressAction())
      return QComboBox::tr("Open the combo box selection popup");
    return {};
  }

  void doAction(const QString& action) override {
    if (action != showMenuAction() && action != pressAction()) return;
    if (comboBox()->view()->isVisible())
      comboBox()->hidePopup();
    else
      comboBox()->showPopup();
  }

  QStringList keyBindingsForAction(const QString&) const override { return {}; }
};

// A label that is pressed by a double-click, Enter or Space (its signal
// doubleClicked): a button to a screen reader, named by its accessible name,
// with the text it shows as its description and value.
class PressableLabel : public QAccessibleWidget {
 public:
  explicit PressableLabel(QLabel* label) : QAccessibleWidget(label, QAccessible::Button) {}

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Description || t == QAccessible::Value)
      return static_cast<QLabel*>(widget())->text();
    return QAccessibleWidget::text(t);
  }

  QStringList actionNames() const override { return {pressAction()}; }

  void doAction(const QString& action) override {
    if (action == pressAction()) QMetaObject::invokeMethod(widget(), "doubleClicked");
  }

  QStringList keyBindingsForAction(const QString& action) const override {
    if (action != pressAction()) return {};
    return {QKeySequence(Qt::Key_Return).toString(QKeySequence::NativeText),
            QKeySequence(Qt::Key_Space).toString(QKeySequence::NativeText)};
  }
};

QAccessibleInterface* namedInputs(const QString& className, QObject* object) {
  if (className == QLatin1String("QComboBox")) {
    if (auto* combo = qobject_cast<QComboBox*>(object)) return new NamedComboBox(combo);
  }
  if (className == QLatin1String("ClickLabel")) {
    if (auto* label = qobject_cast<QLabel*>(object)) return new PressableLabel(label);
  }
  return nullptr;
}

}  // namespace

void installInputNames() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  QAccessible::installFactory(namedInputs);
}

namespace {
std::function<void(QAccessibleEvent*)>& accessibilityRecorder() {
  static std::function<void(QAccessibleEvent*)> r;
  return r;
}
void send(QAccessibleEvent* e) {
  if (accessibilityRecorder()) accessibilityRecorder()(e);
  QAccessible::updateAccessibility(e);
}
}  // namespace

void SetAccessibilityRecorder(std::function<void(QAccessibleEvent*)> recorder) {
  accessibilityRecorder() = std::move(recorder);
}

void announceShownText(QWidget* label, const QString& text) {
  QAccessibleEvent described(label, QAccessible::DescriptionChanged);
  send(&described);
  QAccessibleValueChangeEvent value(label, text);
  send(&value);
}

void nameInput(QWidget* input, const QString& caption) {
  input->setAccessibleName(caption);
  if (auto* combo = qobject_cast<QComboBox*>(input)) {
    installInputNames();
    combo->view()->setAccessibleName(caption);
    if (QLineEdit* edit = combo->lineEdit()) edit->setAccessibleName(caption);
  }
}

}  // namespace ui
