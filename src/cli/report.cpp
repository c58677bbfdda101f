// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/report.h"

#include <cstdio>

#include "snack/fields.h"
#include "snack/layout.h"

namespace cli {

namespace {

using snack::FieldLayout;
using snack::Kind;

const QString kEmptyItem = QStringLiteral("--------");

// A JSON string: quotes, backslashes and control characters escaped, the
// rest as UTF-8.
void appendString(QByteArray& out, QStringView s) {
  out += '"';
  qsizetype run = 0;
  for (qsizetype i = 0; i < s.size(); ++i) {
    const char16_t c = s[i].unicode();
    char escaped[8];
    switch (c) {
      case '"':
        qstrcpy(escaped, "\\\"");
        break;
      case '\\':
        qstrcpy(escaped, "\\\\");
        break;
      case '\b':
        qstrcpy(escaped, "\\b");
        break;
      case '\f':
        qstrcpy(escaped, "\\f");
        break;
      case '\n':
        qstrcpy(escaped, "\\n");
        break;
      case '\r':
        qstrcpy(escaped, "\\r");
        break;
      case '\t':
        qstrcpy(escaped, "\\t");
        break;
      default:
        if (c >= 0x20) continue;
        std::snprintf(escaped, sizeof escaped, "\\u%04x", unsigned(c));
    }
    out += s.sliced(run, i - run).toUtf8();
    out += escaped;
    run = i + 1;
  }
  out += s.sliced(run).toUtf8();
  out += '"';
}

void appendKey(QByteArray& out, const char* key) {
  if (!out.endsWith('{')) out += ',';
  out += '"';
  out += key;
  out += "\":";
}

QByteArray number(int n) { return QByteArray::number(n); }

// A text's value: the bytes the length byte counts, as read from the file.
QByteArray textOf(const snack::SnackRecordType& r, const FieldLayout& f) {
  return snack::textBytes(r.*f.buffer, r.*f.length);
}

// The opened date and time is one object, its parts keyed as in the table
// without the group's name.
const QByteArray kOpenedKey = "opened";

int wordOf(const snack::SnackRecordType& r, const FieldLayout& f) {
  return snack::join16(r.*f.high, r.*f.low);
}

}  // namespace

QString textBlock(const QString& file, const snack::SnackRow& row, const NameTable& types,
                  const NameTable& sounds) {
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
        value = snack::listItemText((f.field == snack::Field::Type ? types : sounds)[r.*f.low]);
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
  return text;
}

QString textLine(const QString& file, const snack::SnackRow& row) {
  QStringList cells = {file};
  for (snack::Field f : {snack::Field::Name, snack::Field::Author}) {
    // One line per file, one cell per column.
    QString value = snack::rowText(row, f);
    value.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    for (const char c : {'\r', '\n', '\t'}) value.replace(QLatin1Char(c), QLatin1Char(' '));
    cells.append(value);
  }
  return cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
}

QByteArray jsonLine(const QString& file, const snack::SnackRow& row, const NameTable& types,
                    const NameTable& sounds) {
  const snack::SnackRecordType& r = row.record;
  QByteArray out = "{";
  appendKey(out, "file");
  appendString(out, file);
  for (const FieldLayout& f : snack::kFields) {
    if (f.opened != snack::Opened::No) continue;
    switch (f.kind) {
      case Kind::Text: {
        const QByteArray bytes = textOf(r, f);
        const QString text = snack::rowText(row, f.field);
        appendKey(out, f.key);
        appendString(out, text);
        // Code page 932 has no code for U+FFFD: one in the text marks bytes
        // that are no character.
        if (text.contains(QChar(0xFFFD))) {
          appendKey(out, (QByteArray(f.key) + "_hex").constData());
          out += '"' + bytes.toHex() + '"';
        }
        break;
      }
      case Kind::Word:
      case Kind::Unlimited:
        appendKey(out, f.key);
        out += number(wordOf(r, f));
        break;
      case Kind::Byte: {
        const int index = r.*f.low;
        appendKey(out, f.key);
        out += "{\"index\":" + number(index) + ",\"name\":";
        appendString(out, (f.field == snack::Field::Type ? types : sounds)[index]);
        out += '}';
        break;
      }
      default:
        break;
    }
  }
  appendKey(out, kOpenedKey.constData());
  if (!snack::isOpened(r)) {
    out += "null";
  } else {
    out += '{';
    const std::array<int, 6> values = snack::openedValues(r);
    std::size_t n = 0;
    for (const FieldLayout& f : snack::kFields) {
      if (f.opened == snack::Opened::No || !f.low) continue;  // the spare is never read
      appendKey(out, QByteArrayView(f.key).sliced(kOpenedKey.size() + 1).toByteArray().constData());
      out += number(values[n++]);
    }
    out += '}';
  }
  appendKey(out, "picture");
  if (!row.picture) {
    out += "null";
  } else {
    out += "{\"width\":" + number(row.picture->width) +
           ",\"height\":" + number(row.picture->height) +
           ",\"bits\":" + number(row.picture->bitDepth) + '}';
  }
  out += "}\n";
  return out;
}

}  // namespace cli
