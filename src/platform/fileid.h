// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Whether two paths name one file, whatever their spelling.
#include "platform/paths.h"

namespace platform {

// True when both paths name existing files and these are one and the same
// file: another spelling of the path, a symbolic link or a hard link to it.
// Device and inode on POSIX, volume serial number and file index on Windows.
// False when either path names nothing or cannot be examined.
bool sameFile(const NativePath& a, const NativePath& b);

}  // namespace platform
