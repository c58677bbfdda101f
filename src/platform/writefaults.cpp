// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/writefaults.h"

#include <cerrno>

namespace platform {

namespace {

struct WriteFault {
  bool armed = false;
  bool keepFailing = false;
  bool struck = false;
  qint64 left = 0;
};
WriteFault writeFault;
bool syncFault = false;

// What the system says when a disk is full.
QString diskFull() {
#ifdef Q_OS_WIN
  return qt_error_string(112);  // ERROR_DISK_FULL
#else
  return qt_error_string(ENOSPC);
#endif
}

}  // namespace

qint64 permittedWrite(qint64 n, QString* error, bool whole) {
  if (!writeFault.armed) return n;
  if (writeFault.left >= n) {
    writeFault.left -= n;
    return n;
  }
  writeFault.struck = true;
  if (writeFault.left > 0 && !whole) {
    const qint64 some = writeFault.left;
    writeFault.left = 0;
    return some;
  }
  if (!writeFault.keepFailing) writeFault.armed = false;
  *error = diskFull();
  return -1;
}

bool syncFaultStrikes() {
  if (!syncFault) return false;
  syncFault = false;
  return true;
}

namespace testing {

FailWritesAfter::FailWritesAfter(qint64 bytes, Then then) {
  writeFault = {true, then == Then::KeepFailing, false, bytes};
}

FailWritesAfter::~FailWritesAfter() { writeFault = {}; }

bool FailWritesAfter::struck() const { return writeFault.struck; }

FailNextSync::FailNextSync() { syncFault = true; }

FailNextSync::~FailNextSync() { syncFault = false; }

bool FailNextSync::struck() const { return !syncFault; }

}  // namespace testing

}  // namespace platform
