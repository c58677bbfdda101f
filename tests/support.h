// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shared fixtures of every test: a working folder made by our generator and
// byte comparisons. Window tests add window_support.h.
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
#include "samplegen.h"

// Runs a helper that checks with QVERIFY or QCOMPARE, and ends the test
// function when the helper failed.
#define CHECKED(call)                       \
  do {                                      \
    call;                                   \
    if (QTest::currentTestFailed()) return; \
  } while (false)

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
// A folder that cannot be made ends the run: no test can go on without it.
class Workspace {
 public:
  explicit Workspace(bool firstRun = false) : previous_(QDir::currentPath()) {
    if (!dir_.isValid() || !samplegen::writeWorkspace(dir_.path(), firstRun))
      qFatal("cannot make a working folder in %s", qPrintable(QDir::tempPath()));
    QDir::setCurrent(dir_.path());
    Module1::Reset();
  }
  ~Workspace() { QDir::setCurrent(previous_); }
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

// Every byte outside `owned`, and the length, are the same (use with CHECKED).
inline void compareOutside(const QByteArray& before, const QByteArray& after,
                           const std::set<int>& owned) {
  QCOMPARE(after.size(), before.size());
  for (int i = 0; i < before.size(); ++i)
    if (!owned.count(i) && before[i] != after[i])
      QFAIL(qPrintable(QStringLiteral("byte %1 changed").arg(i)));
}

}  // namespace testing
