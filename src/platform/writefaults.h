// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Write faults made inside the process, for tests on every platform: the file
// layer's writes (ByteFile and appendFile) can be made to stop after a number
// of bytes, and a flush to the disk (syncHandle) to fail, as a full disk or a
// failing device would. Nothing is armed unless a test arms it, and then the
// file layer asks one flag per write.
#include <QString>
#include <QtGlobal>

namespace platform {

namespace testing {

// While it lives, the next `bytes` bytes written to files go through. The
// write that crosses that point writes what fits and returns short, and the
// next one fails with the system's text for a full disk. A file that grows by
// resize() takes its new bytes from the same budget, all or none.
//   Recover: after that one failure writes go through again (what was written
//   can be put back), as when space is freed at once.
//   KeepFailing: every later write fails too.
class FailWritesAfter {
 public:
  enum class Then { Recover, KeepFailing };
  explicit FailWritesAfter(qint64 bytes, Then then = Then::Recover);
  ~FailWritesAfter();
  FailWritesAfter(const FailWritesAfter&) = delete;
  FailWritesAfter& operator=(const FailWritesAfter&) = delete;
  // Whether a write was cut short or refused.
  bool struck() const;
};

// While it lives, the next flush to the disk fails as an I/O error would;
// later ones go through.
class FailNextSync {
 public:
  FailNextSync();
  ~FailNextSync();
  FailNextSync(const FailNextSync&) = delete;
  FailNextSync& operator=(const FailNextSync&) = delete;
  // Whether that flush came.
  bool struck() const;
};

}  // namespace testing

// For the file layer. How many of the `n` bytes of a write may go through
// now: n when nothing is armed; -1 with `error` set when the write fails.
// `whole`: the n bytes go through all together or not at all.
qint64 permittedWrite(qint64 n, QString* error, bool whole = false);
// Whether the next flush to the disk is to fail (only ever in a test).
bool syncFaultStrikes();

}  // namespace platform
