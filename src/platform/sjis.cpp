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
// snacks repeats the same few hundred characters thousands of times.
void appendDecoded(QString& out, const char* seq, int len) {
  static std::array<char16_t, 0x100> singles{};  // 0: not asked yet
  static std::array<char16_t, 0x10000> pairs{};
  const auto lead = static_cast<unsigned char>(seq[0]);
  char16_t& known =
      len == 1 ? singles[lead] : pairs[lead << 8 | static_cast<unsigned char>(seq[1])];
  if (known == 0) {
    QString one;
    if (!detail::decodeSequence(seq, len, one)) {
      known = 0xFFFD;
    } else if (one.size() == 1 && one[0].unicode() != 0) {
      known = one[0].unicode();
    } else {
      out.append(one);
      return;
    }
  }
  out.append(QChar(known));
}

}  // namespace

bool isSjisLeadByte(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

QString fromSjis(const QByteArray& bytes) {
  QString out;
  out.reserve(bytes.size());
  const char* p = bytes.constData();
  const qsizetype n = bytes.size();
  qsizetype i = 0;
  while (i < n) {
    const auto b = static_cast<unsigned char>(p[i]);
    if (b < 0x80) {
      out.append(QChar(b));
      ++i;
    } else if (isSjisLeadByte(b)) {
      if (i + 1 < n && isTrailByte(static_cast<unsigned char>(p[i + 1]))) {
        appendDecoded(out, p + i, 2);
        i += 2;
      } else {
        // A lead byte without its trail byte: the next byte is read on its own.
        out.append(QChar(0xFFFD));
        ++i;
      }
    } else {
      appendDecoded(out, p + i, 1);
      ++i;
    }
  }
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
