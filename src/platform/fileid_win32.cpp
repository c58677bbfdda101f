// SPDX-License-Identifier: GPL-3.0-or-later
#include <windows.h>

#include <QDir>
#include <optional>

#include "platform/fileid.h"

namespace platform {

namespace {

struct FileId {
  DWORD volume;
  DWORD indexHigh;
  DWORD indexLow;
};

// Opening with no access right reads only the file's attributes and is
// allowed while another program has the file open; links are followed.
std::optional<FileId> fileId(const QString& path) {
  const std::wstring native = QDir::toNativeSeparators(path).toStdWString();
  const HANDLE h =
      CreateFileW(native.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool ok = GetFileInformationByHandle(h, &info) != 0;
  CloseHandle(h);
  if (!ok) return std::nullopt;
  return FileId{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

}  // namespace

bool sameFile(const NativePath& a, const NativePath& b) {
  const auto ia = fileId(a.text());
  const auto ib = fileId(b.text());
  return ia && ib && ia->volume == ib->volume && ia->indexHigh == ib->indexHigh &&
         ia->indexLow == ib->indexLow;
}

}  // namespace platform
