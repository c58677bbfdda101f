// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Windows that exist at most once, shown without a modal loop, hidden, and
// unloaded (destroyed, so the next show creates them again and runs their load step).
#include <QWidget>
#include <functional>

namespace ui {

template <class W>
class SingleWindow {
 public:
  W* get() const { return window_; }
  bool loaded() const { return window_ != nullptr; }

  // Creates the window when it is not loaded (its constructor is its load
  // step), shows it and brings it to the front.
  W* show() {
    if (!window_) {
      window_ = new W;
      window_->setAttribute(Qt::WA_DeleteOnClose, false);
    }
    window_->show();
    window_->raise();
    window_->activateWindow();
    return window_;
  }

  void hide() {
    if (window_) window_->hide();
  }

  // Destroys the window once control has returned to the event loop, so a
  // handler of the window itself may unload it; from now on it counts as not loaded.
  void unload() {
    if (!window_) return;
    W* w = window_;
    window_ = nullptr;
    w->hide();
    w->deleteLater();
  }

 private:
  W* window_ = nullptr;
};

// Ends the program at once: every window closes, no further handler runs.
void endProgram();
// Tests replace the ending with a recorder.
void setEndProgramHook(std::function<void()> hook);

// For start-up measurements: with CRUMBWRIGHT_QUIT_WHEN_IDLE set, the program
// quits as soon as `window` is on screen (or hidden) and the event loop has
// nothing left to do.
void quitWhenShownIfAsked(const QWidget& window);

}  // namespace ui
