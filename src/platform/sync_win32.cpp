// SPDX-License-Identifier: GPL-3.0-or-later
#include <io.h>
#include <windows.h>

#include "platform/bytefile.h"
#include "platform/writefaults.h"

namespace platform {

bool syncHandle(int handle, QString* error) {
  const auto h = reinterpret_cast<HANDLE>(_get_osfhandle(handle));
  // A test's FailNextSync fails this flush as a failing device would.
  const bool failed = syncFaultStrikes() ? (SetLastError(ERROR_WRITE_FAULT), true)
                                         : (h == INVALID_HANDLE_VALUE || !FlushFileBuffers(h));
  if (failed) {
    if (error) *error = QStringLiteral("FlushFileBuffers: %1").arg(GetLastError());
    return false;
  }
  return true;
}

}  // namespace platform
