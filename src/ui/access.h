// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The names under which a screen reader announces the inputs of the windows.
#include <QString>
#include <functional>

class QAccessibleEvent;
class QWidget;

namespace ui {

// From now on every combo box is announced by its own name (its caption), with
// the selected item as its value. The toolkit's own combo box takes the
// selected item as its name on Linux, so the caption was never read out.
// A label that is pressed like a button (the opened state, Label18) is
// announced as a button with the text it shows as its value.
// Called before the first window is built; further calls do nothing.
void installInputNames();

// Tells screen readers that the text `label` shows has changed: its description
// and its value (as a pressable label presents it).
void announceShownText(QWidget* label, const QString& text);
// While set, every event announceShownText sends is also handed to the
// recorder: a test platform has no screen reader and drops the events.
void SetAccessibilityRecorder(std::function<void(QAccessibleEvent*)> recorder);

// Names an input after its caption, the label beside it or the frame around
// it. A combo box's edit field and drop-down list get the same name.
void nameInput(QWidget* input, const QString& caption);

}  // namespace ui
