// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shared fixtures: a working folder made by our generator, with messages and
// the program's end recorded instead of shown.
#include <QAbstractItemView>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QMap>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <set>
#ifdef Q_OS_UNIX
#include <sys/resource.h>

#include <csignal>
#endif

#include "app/module1.h"
#include "header_table.h"
#include "platform/windows.h"
#include "samplegen.h"
#include "ui/form2.h"
#include "ui/form3.h"
#include "ui/form4.h"
#include "ui/form5.h"
#include "ui/forms.h"
#include "ui/messages.h"

namespace testing {

#ifdef Q_OS_UNIX
// While it lives, writes past `bytes` bytes of any file fail ("File too large").
class FileSizeLimit {
 public:
  explicit FileSizeLimit(qint64 bytes) {
    ::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &old_);
    const rlimit limit{static_cast<rlim_t>(bytes), old_.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &old_); }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit old_{};
};
#endif

// A fresh working folder, made current; the process goes back on destruction.
class Workspace {
 public:
  explicit Workspace(bool firstRun = false) : previous_(QDir::currentPath()) {
    QVERIFY(dir_.isValid());
    QVERIFY(samplegen::writeWorkspace(dir_.path(), firstRun));
    QDir::setCurrent(dir_.path());
    Module1::Reset();
    ui::SetMessageRecorder([this](const QString& m) { messages.append(m); });
    platform::setEndProgramHook([this] { ++endCalls; });
  }
  ~Workspace() {
    ui::SetMessageRecorder({});
    platform::setEndProgramHook({});
    QDir::setCurrent(previous_);
  }
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;

  QString path(const QString& relative) const { return dir_.filePath(relative); }
  QString snackFolder() const {
    return QDir::toNativeSeparators(dir_.filePath("snacks")) + QDir::separator();
  }
  QString snack(const QString& name) const { return dir_.filePath("snacks/" + name); }

  // SHA-256 of every file below the working folder, by relative path.
  QMap<QString, QByteArray> checksums() const {
    QMap<QString, QByteArray> sums;
    QDirIterator it(dir_.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
      const QString p = it.next();
      sums.insert(QDir(dir_.path()).relativeFilePath(p),
                  QCryptographicHash::hash(samplegen::readFile(p), QCryptographicHash::Sha256));
    }
    return sums;
  }

  QStringList messages;
  int endCalls = 0;

 private:
  QTemporaryDir dir_;
  QString previous_;
};

// Offsets a save may change.
inline std::set<int> savedOffsets() {
  std::set<int> s;
  for (const hdr::Field& r : hdr::kSaved)
    for (int i = r.at; i < r.at + r.size; ++i) s.insert(i);
  return s;
}

// Every byte outside `owned`, and the length, are the same.
inline void compareOutside(const QByteArray& before, const QByteArray& after,
                           const std::set<int>& owned) {
  QCOMPARE(after.size(), before.size());
  for (int i = 0; i < before.size(); ++i)
    if (!owned.count(i) && before[i] != after[i])
      QFAIL(qPrintable(QStringLiteral("byte %1 changed").arg(i)));
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
  processDeletes();
}

}  // namespace testing
