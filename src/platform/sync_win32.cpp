// SPDX-License-Identifier: GPL-3.0-or-later
#include <io.h>
#include <windows.h>

#include "platform/bytefile.h"

namespace platform {

bool syncHandle(int handle, QString* error) {
  const auto h = reinterpret_cast<HANDLE>(_get_osfhandle(handle));
  if (h == INVALID_HANDLE_VALUE || !FlushFileBuffers(h)) {
    if (error) *error = QStringLiteral("FlushFileBuffers: %1").arg(GetLastError());
    return false;
  }
  return true;
}

}  // namespace platform
