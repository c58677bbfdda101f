// SPDX-License-Identifier: GPL-3.0-or-later
// Code page 932 through the Windows API.
#include <windows.h>

#include "platform/sjis.h"

namespace platform::detail {

namespace {

// Code page 932 leaves the single bytes 0x80, 0xA0 and 0xFD to 0xFF unassigned, but
// the Windows API maps some of them (0x80 to U+0080, 0xA0 to U+F8F0 ...). They decode
// to U+FFFD and are never written, as everywhere else.
bool unassignedSingleByte(unsigned char b) { return b == 0x80 || b == 0xA0 || b >= 0xFD; }

}  // namespace

bool encodeCodePoint(char32_t cp, QByteArray& out) {
  const QString s = QString::fromUcs4(&cp, 1);
  char buf[8];
  BOOL usedDefault = FALSE;
  const int n =
      WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, reinterpret_cast<LPCWCH>(s.utf16()),
                          static_cast<int>(s.size()), buf, sizeof buf, nullptr, &usedDefault);
  if (n <= 0 || usedDefault) return false;
  if (n == 1 && unassignedSingleByte(static_cast<unsigned char>(buf[0]))) return false;
  out.append(buf, n);
  return true;
}

bool decodeSequence(const char* seq, int len, QString& out) {
  if (len == 1 && unassignedSingleByte(static_cast<unsigned char>(seq[0]))) return false;
  wchar_t buf[4];
  const int n = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, seq, len, buf, 4);
  if (n <= 0) return false;
  out.append(QString::fromWCharArray(buf, n));
  return true;
}

}  // namespace platform::detail
