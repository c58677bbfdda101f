// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary text in the editor's boxes, through the conversions a save uses.
// A text that is accepted has at most 255 Shift-JIS bytes and shows again as
// the same text (line breaks as the box keeps them); a refused text names its
// field. A number is accepted only as blanks, digits (plain or full-width)
// and, for "-0" alone, a minus; never a negative value, a fraction or an
// empty box. A byte box accepts exactly the numbers 0 to 255.
#include <optional>

#include "fuzz_common.h"
#include "platform/sjis.h"
#include "snack/fields.h"

using namespace snack;

namespace {

const QString kCaption = QStringLiteral("おやつの熱量");

bool isBlank(QChar c) {
  return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QChar(0x3000);
}
bool isMinus(QChar c) { return c == QLatin1Char('-') || c == QChar(0xFF0D) || c == QChar(0x2212); }
int digit(QChar c) {
  if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) return c.unicode() - '0';
  if (c.unicode() >= 0xFF10 && c.unicode() <= 0xFF19) return c.unicode() - 0xFF10;
  return -1;
}

QString trimmed(const QString& t) {
  qsizetype b = 0, e = t.size();
  while (b < e && isBlank(t[b])) ++b;
  while (e > b && isBlank(t[e - 1])) --e;
  return t.mid(b, e - b);
}

// The value of a text of digits with an optional leading minus, saturated at
// 65536; nullopt for anything else.
struct Whole {
  bool negative;
  std::uint32_t value;
};
std::optional<Whole> whole(const QString& t) {
  if (t.isEmpty()) return std::nullopt;
  const bool negative = isMinus(t[0]);
  std::uint32_t v = 0;
  qsizetype digits = 0;
  for (qsizetype i = negative ? 1 : 0; i < t.size(); ++i) {
    const int d = digit(t[i]);
    if (d < 0) return std::nullopt;
    v = std::min<std::uint32_t>(v * 10 + static_cast<std::uint32_t>(d), 65536);
    ++digits;
  }
  if (digits == 0) return std::nullopt;
  return Whole{negative, v};
}

// The text a box shows after a save and a load: line breaks as LF, and the
// characters that code page 932 stores under another code point.
QString stored(const QString& text) {
  QString s = text;
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return platform::fromSjis(platform::toSjis(s).bytes);
}

void checkText(const QString& text) {
  QString error;
  const auto bytes = encodeText(text, kCaption, &error);
  QString breaks = text;
  breaks.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  breaks.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  breaks.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  const platform::SjisEncoding enc = platform::toSjis(breaks);
  if (!bytes) {
    FUZZ_CHECK(error.contains(kCaption));
    FUZZ_CHECK(!enc.ok || enc.bytes.size() > 255);
    return;
  }
  FUZZ_CHECK(bytes->size() <= 255);
  FUZZ_CHECK(enc.ok && enc.bytes == *bytes);
  const QString shown = displayText(*bytes);
  FUZZ_CHECK(!shown.contains(QChar(0xFFFD)));
  FUZZ_CHECK(shown == stored(text));
  QString again;
  const auto second = encodeText(shown, kCaption, &again);
  FUZZ_CHECK(second && *second == *bytes);
}

void checkNumbers(const QString& text) {
  const QString t = trimmed(text);
  const auto w = whole(t);
  for (const bool unlimited : {false, true}) {
    QString error;
    const auto n = parseNumber(text, kCaption, unlimited, &error);
    if (unlimited && t == kUnlimitedText) {
      FUZZ_CHECK(n && *n == 0xFFFF);
      continue;
    }
    if (!w || (w->negative && w->value != 0)) {
      FUZZ_CHECK(!n);
      FUZZ_CHECK(error.contains(kCaption));
      continue;
    }
    FUZZ_CHECK(n && *n == std::min<std::uint32_t>(w->value, 65535));
  }
  QString error;
  const auto b = parseByte(text, kCaption, &error);
  if (w && !(w->negative && w->value != 0) && w->value <= 255) {
    FUZZ_CHECK(b && *b == w->value);
  } else {
    FUZZ_CHECK(!b);
    FUZZ_CHECK(error.contains(kCaption));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QString text = fuzz::text(data, size);
  checkText(text);
  checkNumbers(text);
  return 0;
}
