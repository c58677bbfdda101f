// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Text <-> Shift-JIS as Windows code page 932 converts it.
#include <QByteArray>
#include <QString>

namespace platform {

struct SjisEncoding {
  QByteArray bytes;
  bool ok = true;
  QString badCharacter;  // the first character that has no code, when !ok
};

// Bytes 0x00-0x7F are themselves; every double-byte code gives the character
// Windows gives it; a byte or pair without a character, and a lone lead byte
// at the end, each become U+FFFD.
QString fromSjis(const QByteArray& bytes);

// Windows' own code for each character. The forms Linux input methods produce
// for code page 932 characters ("〜" U+301C and friends) are taken as those
// characters. Any other character without a code makes the result !ok.
SjisEncoding toSjis(const QString& text);

bool isSjisLeadByte(unsigned char b);

// Implemented by the platform's own converter (sjis_iconv.cpp, sjis_win32.cpp).
namespace detail {
// Converts one character (a UCS-4 code point); returns false when there is no code.
bool encodeCodePoint(char32_t cp, QByteArray& out);
// Decodes one single-byte or double-byte sequence; returns false when the
// sequence has no character.
bool decodeSequence(const char* seq, int len, QString& out);
}  // namespace detail

}  // namespace platform
