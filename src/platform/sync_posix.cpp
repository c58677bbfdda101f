// SPDX-License-Identifier: GPL-3.0-or-later
#include <string.h>
#include <unistd.h>

#include "platform/bytefile.h"

namespace platform {

bool syncHandle(int handle, QString* error) {
  if (handle < 0 || ::fsync(handle) != 0) {
    if (error) *error = QString::fromLocal8Bit(strerror(errno));
    return false;
  }
  return true;
}

}  // namespace platform
