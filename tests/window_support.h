// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Fixtures of the window tests: messages and the program's end recorded
// instead of shown, controls found by their names, dialogs unloaded.
#include <QAbstractItemView>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringListModel>

#include "support.h"
#include "ui/form1.h"
#include "ui/form2.h"
#include "ui/form3.h"
#include "ui/form4.h"
#include "ui/form5.h"
#include "ui/form6.h"
#include "ui/form7.h"
#include "ui/forms.h"
#include "ui/messages.h"
#include "ui/singlewindow.h"

namespace testing {

// A working folder in which messages and questions are recorded and the
// program's end is counted instead of done. Questions take the answers given
// in advance, in turn, and then the last answer offered (Cancel).
class WindowWorkspace : public Workspace {
 public:
  explicit WindowWorkspace(bool firstRun = false) : Workspace(firstRun) {
    ui::SetMessageRecorder([this](const QString& m) { messages.append(m); });
    ui::SetQuestionAnswerer([this](const QString& q, const QStringList& offered) {
      questions.append(q);
      const int given = answers.isEmpty() ? -1 : int(offered.indexOf(answers.takeFirst()));
      return given >= 0 ? given : int(offered.size()) - 1;
    });
    ui::setEndProgramHook([this] { ++endCalls; });
  }
  ~WindowWorkspace() {
    ui::SetMessageRecorder({});
    ui::SetQuestionAnswerer({});
    ui::setEndProgramHook({});
  }

  QStringList messages;
  QStringList questions;
  QStringList answers;  // given in advance, by the text of the button
  int endCalls = 0;
};

// The control of a window with the given name. A missing control ends the run
// with its name, since every later step would use it.
template <class T>
T* child(const QObject* window, const char* name) {
  if (!window) qFatal("no window to look for %s in", name);
  T* found = window->findChild<T*>(QLatin1String(name));
  if (!found)
    qFatal("%s has no %s named %s", qPrintable(window->objectName()),
           T::staticMetaObject.className(), name);
  return found;
}

// The names a window's file list File1 shows.
inline QStringListModel* names(const QObject* window) {
  return qobject_cast<QStringListModel*>(child<QAbstractItemView>(window, "File1")->model());
}

// The texts of the main window's boxes Text1 to Text13, in that order.
inline QStringList boxTexts(const Form1& form) {
  QStringList texts;
  for (int i = 1; i <= 13; ++i) {
    const QByteArray name = "Text" + QByteArray::number(i);
    if (i <= 3)
      texts << child<QPlainTextEdit>(&form, name.constData())->toPlainText();
    else
      texts << child<QLineEdit>(&form, name.constData())->text();
  }
  return texts;
}

// Lets deferred deletions (unloaded windows) happen.
inline void processDeletes() {
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QCoreApplication::processEvents();
}

// Shows a window and makes it the active one, so its shortcuts work.
inline bool showActive(QWidget* w) {
  w->show();
  w->activateWindow();
  return QTest::qWaitForWindowActive(w);
}

// Lays out an item view so its items have their places on screen.
inline void layOut(QAbstractItemView* view) {
  view->doItemsLayout();
  QCoreApplication::processEvents();
}

// Unloads every dialog window, so the next test starts with none.
inline void unloadDialogs() {
  Form2Window.unload();
  Form3Window.unload();
  Form4Window.unload();
  Form5Window.unload();
  Form6Window.unload();
  Form7Window.unload();
  processDeletes();
}

}  // namespace testing
