// SPDX-License-Identifier: GPL-3.0-or-later
#include <string.h>
#include <unistd.h>

#include <cerrno>

#include "platform/bytefile.h"
#include "platform/writefaults.h"

namespace platform {

bool syncHandle(int handle, QString* error) {
  // A test's FailNextSync fails this flush as a failing device would.
  const bool failed =
      syncFaultStrikes() ? (errno = EIO, true) : (handle < 0 || ::fsync(handle) != 0);
  if (failed) {
    if (error) *error = QString::fromLocal8Bit(strerror(errno));
    return false;
  }
  return true;
}

}  // namespace platform
