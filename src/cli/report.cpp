// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/report.h"

#include <charconv>
#include <cstdio>
#include <string>
#include <string_view>

#include "snack/fields.h"
#include "snack/layout.h"

namespace cli {

namespace {

using snack::FieldLayout;
using snack::Kind;

// One JSON object written as UTF-8 into `out`, its keys in the order given:
// no separators beyond the commas and colons JSON needs.
class JsonObject {
 public:
  explicit JsonObject(std::string& out) : out_(out) { out_ += '{'; }
  ~JsonObject() { out_ += '}'; }
  JsonObject(const JsonObject&) = delete;
  JsonObject& operator=(const JsonObject&) = delete;

  std::string& key(std::string_view k) {
    if (!first_) out_ += ',';
    first_ = false;
    out_ += '"';
    out_ += k;
    out_ += "\":";
    return out_;
  }
  void number(std::string_view k, int n) {
    char digits[12];
    const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
    key(k).append(digits, end - digits);
  }
  // Quotes, backslashes and control characters escaped, the rest as UTF-8;
  // written through a pointer into room for the longest form (6 bytes a unit).
  void string(std::string_view k, QStringView s) {
    std::string& out = key(k);
    const std::size_t start = out.size();
    out.resize(start + 2 + 6 * std::size_t(s.size()));
    char* d = out.data() + start;
    *d++ = '"';
    for (qsizetype i = 0; i < s.size(); ++i) {
      char32_t c = s[i].unicode();
      if (c < 0x80) {
        if (c >= 0x20 && c != '"' && c != '\\') {
          *d++ = char(c);
          continue;
        }
        *d++ = '\\';
        switch (c) {
          case '"':
          case '\\':
            *d++ = char(c);
            break;
          case '\b':
            *d++ = 'b';
            break;
          case '\f':
            *d++ = 'f';
            break;
          case '\n':
            *d++ = 'n';
            break;
          case '\r':
            *d++ = 'r';
            break;
          case '\t':
            *d++ = 't';
            break;
          default:
            d += std::snprintf(d, 6, "u%04x", unsigned(c));
            break;
        }
        continue;
      }
      if (c <= 0x9F) {  // C1 controls, escaped as C0 ones are
        d += std::snprintf(d, 7, "\\u%04x", unsigned(c));
        continue;
      }
      if (QChar::isHighSurrogate(c) && i + 1 < s.size() && s[i + 1].isLowSurrogate())
        c = QChar::surrogateToUcs4(char16_t(c), s[++i].unicode());
      else if (QChar::isSurrogate(c))
        c = 0xFFFD;
      if (c < 0x800) {
        *d++ = char(0xC0 | c >> 6);
      } else {
        if (c < 0x10000) {
          *d++ = char(0xE0 | c >> 12);
        } else {
          *d++ = char(0xF0 | c >> 18);
          *d++ = char(0x80 | (c >> 12 & 0x3F));
        }
        *d++ = char(0x80 | (c >> 6 & 0x3F));
      }
      *d++ = char(0x80 | (c & 0x3F));
    }
    *d++ = '"';
    out.resize(std::size_t(d - out.data()));
  }

 private:
  std::string& out_;
  bool first_ = true;
};

// A text's value: the bytes the length byte counts, as read from the file.
QByteArray textOf(const snack::SnackRecordType& r, const FieldLayout& f) {
  return snack::textBytes(r.*f.buffer, r.*f.length);
}

// The opened date and time is one object, its parts keyed as in the table
// without the group's name.
constexpr std::string_view kOpenedKey = "opened";

int wordOf(const snack::SnackRecordType& r, const FieldLayout& f) {
  return snack::join16(r.*f.high, r.*f.low);
}

}  // namespace

QString visible(const QString& text, QStringView kept) {
  auto control = [](char16_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); };
  QString out;
  for (const QChar c : text) {
    if (!control(c.unicode()) || kept.contains(c))
      out += c;
    else
      out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
  }
  return out;
}

QString textBlock(const QString& file, const snack::SnackRow& row, const snack::NameTables& names) {
  const snack::SnackRecordType& r = row.record;
  QString text = QStringLiteral("%1: %2\n").arg(snack::kFileCaption, file);
  for (const FieldLayout& f : snack::kFields) {
    if (f.opened != snack::Opened::No) continue;
    QString value;
    switch (f.kind) {
      case Kind::Text:
        value = snack::displayText(textOf(r, f));
        break;
      case Kind::Word:
      case Kind::Unlimited:
        value = snack::numberText(static_cast<std::uint16_t>(wordOf(r, f)), f.showsUnlimited);
        break;
      case Kind::Byte:
        value = snack::listItemText(names.of(f.field)[r.*f.low]);
        break;
      default:
        continue;
    }
    text += QStringLiteral("%1: %2\n").arg(snack::fieldCaption(f.field), value);
  }
  const QString opened = snack::openedStamp(r, QLatin1Char('/'));
  text += QStringLiteral("%1: %2\n")
              .arg(snack::kOpenedCaption, opened.isEmpty() ? snack::kUnopenedText : opened);
  text += QStringLiteral("絵: %1\n")
              .arg(row.picture ? QStringLiteral("%1 × %2、%3ビット")
                                     .arg(row.picture->width)
                                     .arg(row.picture->height)
                                     .arg(row.picture->bitDepth)
                               : QStringLiteral("絵がありません"));
  return visible(text, u"\n");
}

QString textLine(const QString& file, const snack::SnackRow& row) {
  QStringList cells;
  for (QString value :
       {file, snack::rowText(row, snack::Field::Name), snack::rowText(row, snack::Field::Author)}) {
    // One line per file, one cell per column.
    value.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    for (const char c : {'\r', '\n', '\t'}) value.replace(QLatin1Char(c), QLatin1Char(' '));
    cells.append(visible(value));
  }
  return cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
}

QByteArray jsonLine(const QString& file, const QByteArray& fileBytes, const snack::SnackRow& row,
                    const snack::NameTables& names) {
  const snack::SnackRecordType& r = row.record;
  std::string out;
  out.reserve(512);
  {
    JsonObject line(out);
    line.string("file", file);
    if (!fileBytes.isEmpty()) line.key("file_hex") += '"' + fileBytes.toHex().toStdString() + '"';
    for (const FieldLayout& f : snack::kFields) {
      if (f.opened != snack::Opened::No) continue;
      switch (f.kind) {
        case Kind::Text: {
          const QString text = snack::rowText(row, f.field);
          line.string(f.key, text);
          // Code page 932 has no code for U+FFFD: one in the text marks bytes
          // that are no character.
          if (text.contains(QChar(0xFFFD)))
            line.key(std::string(f.key) + "_hex") += '"' + textOf(r, f).toHex().toStdString() + '"';
          break;
        }
        case Kind::Word:
        case Kind::Unlimited:
          line.number(f.key, wordOf(r, f));
          break;
        case Kind::Byte: {
          line.key(f.key);
          JsonObject item(out);
          item.number("index", r.*f.low);
          item.string("name", names.of(f.field)[r.*f.low]);
          break;
        }
        default:
          break;
      }
    }
    if (!snack::isOpened(r)) {
      line.key(kOpenedKey) += "null";
    } else {
      line.key(kOpenedKey);
      JsonObject opened(out);
      const std::array<int, 6> values = snack::openedValues(r);
      std::size_t n = 0;
      for (const FieldLayout& f : snack::kFields) {
        if (f.opened == snack::Opened::No || !f.low) continue;  // the spare is never read
        opened.number(std::string_view(f.key).substr(kOpenedKey.size() + 1), values[n++]);
      }
    }
    if (!row.picture) {
      line.key("picture") += "null";
    } else {
      line.key("picture");
      JsonObject picture(out);
      picture.number("width", row.picture->width);
      picture.number("height", row.picture->height);
      picture.number("bits", row.picture->bitDepth);
    }
  }
  out += '\n';
  return QByteArray(out.data(), qsizetype(out.size()));
}

}  // namespace cli
