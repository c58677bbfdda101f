// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/sjis.h"

#include <QHash>
#include <array>

namespace platform {

namespace {

// Characters that input methods on Linux type where Windows has a code page 932
// character of another code point, and the two that code page 932 keeps in
// single bytes shared with ASCII.
char32_t windowsForm(char32_t cp) {
  switch (cp) {
    case 0x301C:
      return 0xFF5E;  // WAVE DASH -> FULLWIDTH TILDE
    case 0x2016:
      return 0x2225;  // DOUBLE VERTICAL LINE -> PARALLEL TO
    case 0x2212:
      return 0xFF0D;  // MINUS SIGN -> FULLWIDTH HYPHEN-MINUS
    case 0x00A2:
      return 0xFFE0;  // CENT SIGN
    case 0x00A3:
      return 0xFFE1;  // POUND SIGN
    case 0x00AC:
      return 0xFFE2;  // NOT SIGN
    // Japanese fonts draw the bytes 5C and 7E as these two.
    case 0x00A5:
      return 0x005C;  // YEN SIGN -> 5C
    case 0x203E:
      return 0x007E;  // OVERLINE -> 7E
    default:
      return cp;
  }
}

bool isTrailByte(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

// Code page 932 turns a byte or a byte pair into the same character every
// time, so the platform's converter is asked about each one once: a folder of
// snacks repeats the same few hundred characters thousands of times. The
// character, or 0 when the converter gives something other than one UTF-16
// unit (never for code page 932 itself).
char16_t decodedUnit(const char* seq, int len) {
  static std::array<char16_t, 0x100> singles{};  // 0: not asked yet
  static std::array<char16_t, 0x10000> pairs{};
  static std::array<bool, 0x10000> odd{};  // asked, and not one unit
  const auto lead = static_cast<unsigned char>(seq[0]);
  const int index = len == 1 ? lead : lead << 8 | static_cast<unsigned char>(seq[1]);
  char16_t& known = len == 1 ? singles[index] : pairs[index];
  if (known != 0 || (len == 2 && odd[index])) return known;
  QString one;
  if (!detail::decodeSequence(seq, len, one))
    known = 0xFFFD;
  else if (one.size() == 1 && one[0].unicode() != 0)
    known = one[0].unicode();
  else if (len == 2)
    odd[index] = true;
  return known;
}

// Byte by byte, for a text with a sequence that is not one UTF-16 unit.
QString fromSjisUnitByUnit(const QByteArray& bytes) {
  QString out;
  const char* p = bytes.constData();
  const qsizetype n = bytes.size();
  for (qsizetype i = 0; i < n;) {
    const auto b = static_cast<unsigned char>(p[i]);
    int len = 1;
    if (b >= 0x80 && isSjisLeadByte(b)) {
      if (i + 1 >= n || !isTrailByte(static_cast<unsigned char>(p[i + 1]))) {
        out.append(QChar(0xFFFD));
        ++i;
        continue;
      }
      len = 2;
    }
    if (b < 0x80) {
      out.append(QChar(b));
    } else if (const char16_t c = decodedUnit(p + i, len)) {
      out.append(QChar(c));
    } else {
      QString one;
      detail::decodeSequence(p + i, len, one);
      out.append(one);
    }
    i += len;
  }
  return out;
}

}  // namespace

bool isSjisLeadByte(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

QString fromSjis(const QByteArray& bytes) {
  // Each byte or byte pair is at most one UTF-16 unit: the text is written
  // straight into a string of the bytes' length, then cut to what it took.
  const qsizetype n = bytes.size();
  QString out(n, Qt::Uninitialized);
  auto* d = reinterpret_cast<char16_t*>(out.data());
  const char* p = bytes.constData();
  qsizetype i = 0, o = 0;
  while (i < n) {
    const auto b = static_cast<unsigned char>(p[i]);
    if (b < 0x80) {
      d[o++] = b;
      ++i;
      continue;
    }
    int len = 1;
    if (isSjisLeadByte(b)) {
      if (i + 1 >= n || !isTrailByte(static_cast<unsigned char>(p[i + 1]))) {
        // A lead byte without its trail byte: the next byte is read on its own.
        d[o++] = 0xFFFD;
        ++i;
        continue;
      }
      len = 2;
    }
    const char16_t c = decodedUnit(p + i, len);
    if (c == 0) return fromSjisUnitByUnit(bytes);
    d[o++] = c;
    i += len;
  }
  out.truncate(o);
  return out;
}

SjisEncoding toSjis(const QString& text) {
  SjisEncoding result;
  result.bytes.reserve(text.size() * 2);
  for (const char32_t cp : text.toUcs4()) {
    if (cp < 0x80) {
      result.bytes.append(static_cast<char>(cp));
      continue;
    }
    if (!detail::encodeCodePoint(windowsForm(cp), result.bytes)) {
      result.ok = false;
      result.badCharacter = QString::fromUcs4(&cp, 1);
      result.bytes.clear();
      return result;
    }
  }
  return result;
}

}  // namespace platform
