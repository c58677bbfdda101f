// SPDX-License-Identifier: GPL-3.0-or-later
// Code page 932 through the Windows API.
#include <windows.h>

#include "platform/sjis.h"

namespace platform::detail {

bool encodeCodePoint(char32_t cp, QByteArray& out) {
  const QString s = QString::fromUcs4(&cp, 1);
  char buf[8];
  BOOL usedDefault = FALSE;
  const int n =
      WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, reinterpret_cast<LPCWCH>(s.utf16()),
                          static_cast<int>(s.size()), buf, sizeof buf, nullptr, &usedDefault);
  if (n <= 0 || usedDefault) return false;
  out.append(buf, n);
  return true;
}

bool decodeSequence(const char* seq, int len, QString& out) {
  wchar_t buf[4];
  const int n = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, seq, len, buf, 4);
  if (n <= 0) return false;
  out.append(QString::fromWCharArray(buf, n));
  return true;
}

}  // namespace platform::detail
