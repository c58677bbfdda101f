// SPDX-License-Identifier: GPL-3.0-or-later
#include <sys/stat.h>

#include "platform/fileid.h"

namespace platform {

bool sameFile(const NativePath& a, const NativePath& b) {
  struct stat sa {};
  struct stat sb {};
  // stat follows symbolic links, so a link compares as its target.
  if (::stat(a.bytes().constData(), &sa) != 0) return false;
  if (::stat(b.bytes().constData(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace platform
