// SPDX-License-Identifier: GPL-3.0-or-later
#include "snack/fields.h"

#include <QList>

#include "platform/sjis.h"
#include "snack/layout.h"

namespace snack {

namespace {

bool isBlank(QChar c) {
  return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QChar(0x3000);
}

QString trimBlanks(const QString& text) {
  qsizetype b = 0, e = text.size();
  while (b < e && isBlank(text[b])) ++b;
  while (e > b && isBlank(text[e - 1])) --e;
  return text.mid(b, e - b);
}

int digitValue(QChar c) {
  if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) return c.unicode() - '0';
  if (c.unicode() >= 0xFF10 && c.unicode() <= 0xFF19) return c.unicode() - 0xFF10;
  return -1;
}

bool isMinus(QChar c) { return c == QLatin1Char('-') || c == QChar(0xFF0D) || c == QChar(0x2212); }

// A whole number not below 0, saturated at `limit + 1` so huge inputs stay cheap.
std::optional<std::uint32_t> parseWhole(const QString& text, const QString& caption,
                                        const QString& expected, std::uint32_t limit,
                                        QString* error) {
  const QString t = trimBlanks(text);
  if (t.isEmpty()) {
    *error = QStringLiteral("「%1」が空です。%2を入力してください。").arg(caption, expected);
    return std::nullopt;
  }
  const bool negative = isMinus(t[0]);
  std::uint32_t v = 0;
  bool digits = false;
  for (qsizetype i = negative ? 1 : 0; i < t.size(); ++i) {
    const int d = digitValue(t[i]);
    if (d < 0) {
      *error = QStringLiteral("「%1」の「%2」は整数ではありません。%3を入力してください。")
                   .arg(caption, text, expected);
      return std::nullopt;
    }
    digits = true;
    v = std::min<std::uint32_t>(v * 10 + static_cast<std::uint32_t>(d), limit + 1);
  }
  if (!digits) {
    *error = QStringLiteral("「%1」の「%2」は整数ではありません。%3を入力してください。")
                 .arg(caption, text, expected);
    return std::nullopt;
  }
  if (negative && v != 0) {
    *error = QStringLiteral("「%1」に負の数「%2」は使えません。%3を入力してください。")
                 .arg(caption, text, expected);
    return std::nullopt;
  }
  return v;
}

}  // namespace

std::optional<std::uint16_t> parseNumber(const QString& text, const QString& caption,
                                         bool allowUnlimited, QString* error) {
  if (allowUnlimited && trimBlanks(text) == kUnlimitedText) return kUnlimited;
  const QString expected =
      allowUnlimited ? QStringLiteral("0 以上の整数か「無制限」") : QStringLiteral("0 以上の整数");
  const auto v = parseWhole(text, caption, expected, 65535, error);
  if (!v) return std::nullopt;
  return static_cast<std::uint16_t>(std::min<std::uint32_t>(*v, 65535));
}

std::optional<std::uint8_t> parseByte(const QString& text, const QString& caption, QString* error) {
  const QString expected = QStringLiteral("0 から 255 までの整数");
  const auto v = parseWhole(text, caption, expected, 255, error);
  if (!v) return std::nullopt;
  if (*v > 255) {
    *error = QStringLiteral("「%1」の「%2」は大きすぎます。%3を入力してください。")
                 .arg(caption, text, expected);
    return std::nullopt;
  }
  return static_cast<std::uint8_t>(*v);
}

std::optional<QByteArray> encodeText(const QString& text, const QString& caption, QString* error) {
  QString stored = text;
  stored.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  stored.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  stored.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  const platform::SjisEncoding enc = platform::toSjis(stored);
  if (!enc.ok && enc.badCharacter == QStringLiteral("\uFFFD")) {
    // Loading shows each byte that is no Shift-JIS character as U+FFFD; an
    // unchanged text is saved as its original bytes, an edited one cannot be.
    *error = QStringLiteral(
                 "「%1」の「\uFFFD」は、ファイルの中の文字ではないバイトを表す印です。"
                 "このバイトは書き戻せないため保存できません。"
                 "「\uFFFD」を消すか、文字を入力し直すと保存できます。")
                 .arg(caption);
    return std::nullopt;
  }
  if (!enc.ok) {
    const char32_t cp = enc.badCharacter.toUcs4().value(0);
    *error = QStringLiteral("「%1」の文字「%2」（U+%3）はシフトJISで表せないため保存できません。")
                 .arg(caption, enc.badCharacter,
                      QString::number(static_cast<uint>(cp), 16).toUpper().rightJustified(4, '0'));
    return std::nullopt;
  }
  if (enc.bytes.size() > kTextArea) {
    *error = QStringLiteral("「%1」はシフトJISで %2 バイトあります。%3 バイト以内にしてください。")
                 .arg(caption)
                 .arg(enc.bytes.size())
                 .arg(kTextArea);
    return std::nullopt;
  }
  return enc.bytes;
}

QString fieldCaption(Field field) {
  switch (field) {
    case Field::Name:
      return QStringLiteral("おやつの名前");
    case Field::Description:
      return QStringLiteral("おやつの説明");
    case Field::Author:
      return QStringLiteral("おやつの作者");
    case Field::Number:
      return QStringLiteral("おやつの番号");
    case Field::Quantity:
      return QStringLiteral("おやつの数量");
    case Field::BestBeforeDays:
      return QStringLiteral("賞味期限");
    case Field::Calories:
      return QStringLiteral("おやつの熱量");
    case Field::Year:
      return kOpenedCaption + QStringLiteral("（年）");
    case Field::Month:
      return kOpenedCaption + QStringLiteral("（月）");
    case Field::Day:
      return kOpenedCaption + QStringLiteral("（日）");
    case Field::Hour:
      return kOpenedCaption + QStringLiteral("（時）");
    case Field::Minute:
      return kOpenedCaption + QStringLiteral("（分）");
    case Field::Second:
      return kOpenedCaption + QStringLiteral("（秒）");
    case Field::Type:
      return QStringLiteral("おやつの種類");
    case Field::Sound:
      return QStringLiteral("食事音");
    case Field::Spare:
      break;
  }
  return {};
}

QString listItemText(const QString& name) {
  return name.isEmpty() ? QStringLiteral("--------") : name;
}

QString displayText(const QByteArray& sjis) {
  QString text = platform::fromSjis(sjis);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return text;
}

QString numberText(std::uint16_t value, bool unlimited) {
  if (unlimited && value == kUnlimited) return kUnlimitedText;
  return QString::number(value);
}

std::optional<HeaderValues> valuesFromBoxes(const BoxEntries& boxes, QString* error) {
  HeaderValues v;
  for (const FieldLayout& f : kFields) {
    const BoxEntry& box = boxes[static_cast<int>(f.field)];
    switch (f.kind) {
      case Kind::Text: {
        const auto bytes = box.keptBytes ? box.keptBytes : encodeText(box.text, box.caption, error);
        if (!bytes) return std::nullopt;
        v.*f.text = *bytes;
        break;
      }
      case Kind::Word:
      case Kind::Unlimited: {
        const auto n = parseNumber(box.text, box.caption, f.kind == Kind::Unlimited, error);
        if (!n) return std::nullopt;
        v.*f.word = *n;
        break;
      }
      case Kind::SlotLow: {
        const auto b = parseByte(box.text, box.caption, error);
        if (!b) return std::nullopt;
        v.*f.byte = *b;
        break;
      }
      case Kind::Byte:
        if (box.position < 0 || box.position > 255) {
          *error = QStringLiteral("「%1」で項目が選ばれていません。一覧から選んでください。")
                       .arg(box.caption);
          return std::nullopt;
        }
        v.*f.byte = static_cast<std::uint8_t>(box.position);
        break;
      case Kind::Zero:
        break;
    }
  }
  return v;
}

bool sameValue(const FieldLayout& f, const BoxEntry& a, const BoxEntry& b) {
  if (a.text == b.text && a.position == b.position) return true;
  QString ignored;
  switch (f.kind) {
    case Kind::Text: {
      const auto x = a.keptBytes ? a.keptBytes : encodeText(a.text, a.caption, &ignored);
      const auto y = b.keptBytes ? b.keptBytes : encodeText(b.text, b.caption, &ignored);
      return x && y && *x == *y;
    }
    case Kind::Word:
    case Kind::Unlimited: {
      const bool unlimited = f.kind == Kind::Unlimited;
      const auto x = parseNumber(a.text, a.caption, unlimited, &ignored);
      const auto y = parseNumber(b.text, b.caption, unlimited, &ignored);
      return x && y && *x == *y;
    }
    case Kind::SlotLow: {
      const auto x = parseByte(a.text, a.caption, &ignored);
      const auto y = parseByte(b.text, b.caption, &ignored);
      return x && y && *x == *y;
    }
    case Kind::Byte:
    case Kind::Zero:
      return false;
  }
  return false;
}

BoxEntries shownBoxes(const SnackRecordType& r) {
  const HeaderValues v = valuesOf(r);
  BoxEntries boxes;
  for (const FieldLayout& f : kFields) {
    BoxEntry& box = boxes[static_cast<int>(f.field)];
    switch (f.kind) {
      case Kind::Text:
        box.text = displayText(v.*f.text);
        box.keptBytes = v.*f.text;
        break;
      case Kind::Word:
      case Kind::Unlimited:
        box.text = numberText(v.*f.word, f.showsUnlimited);
        break;
      case Kind::SlotLow:
        box.text = QString::number(v.*f.byte);
        break;
      case Kind::Byte:
        box.position = v.*f.byte;
        break;
      case Kind::Zero:
        break;
    }
  }
  return boxes;
}

}  // namespace snack
