// SPDX-License-Identifier: GPL-3.0-or-later
#include "snack/layout.h"

#include <string_view>

namespace snack {

namespace {
constexpr bool inFieldOrder() {
  for (int i = 0; i < kFieldCount; ++i)
    if (static_cast<int>(kFields[i].field) != i) return false;
  return true;
}
static_assert(inFieldOrder(), "kFields is indexed by Field");

constexpr bool keysUnique() {
  for (int i = 0; i < kFieldCount; ++i)
    for (int j = 0; j < i; ++j)
      if (std::string_view(kFields[i].key) == std::string_view(kFields[j].key)) return false;
  return true;
}
static_assert(keysUnique(), "every field has its own key");

std::uint8_t at(const QByteArray& h, int offset) { return static_cast<std::uint8_t>(h[offset]); }
}  // namespace

bool isOpened(const SnackRecordType& r) {
  for (const FieldLayout& f : kFields)
    if (f.opened == Opened::Rule && r.*f.low != 0) return true;
  return false;
}

void storeRefreshed(SnackRecordType& r) {
  for (const FieldLayout& f : kFields) {
    if (f.opened != Opened::Group) continue;
    if (f.high) r.*f.high = 0;
    if (f.low) r.*f.low = 0;
  }
}

std::array<int, 6> openedValues(const SnackRecordType& r) {
  std::array<int, 6> values{};
  std::size_t n = 0;
  for (const FieldLayout& f : kFields) {
    if (f.opened == Opened::No || !f.low) continue;
    Q_ASSERT(n < values.size());
    values[n++] = f.high ? join16(r.*f.high, r.*f.low) : r.*f.low;
  }
  Q_ASSERT(n == values.size());
  return values;
}

QString openedStamp(const SnackRecordType& r, QChar dateSeparator) {
  if (!isOpened(r)) return {};
  const std::array<int, 6> v = openedValues(r);
  auto two = [](int n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); };
  return QStringLiteral("%1%2%3%2%4 %5:%6:%7")
      .arg(QStringLiteral("%1").arg(v[0], 4, 10, QLatin1Char('0')), QString(dateSeparator),
           two(v[1]), two(v[2]), two(v[3]), two(v[4]), two(v[5]));
}

int fieldValue(const SnackRecordType& record, Field field) {
  const FieldLayout& f = layoutOf(field);
  Q_ASSERT(f.low);
  return f.high ? join16(record.*f.high, record.*f.low) : record.*f.low;
}

const FieldLayout* fieldByKey(QStringView key) {
  for (const FieldLayout& f : kFields)
    if (key == QLatin1String(f.key)) return &f;
  return nullptr;
}

SnackRecordType decodeHeader(const QByteArray& h) {
  Q_ASSERT(h.size() >= kHeaderSize);
  SnackRecordType r;
  for (const FieldLayout& f : kFields) {
    switch (f.kind) {
      case Kind::Text: {
        r.*f.length = at(h, f.offset);
        const auto* p = reinterpret_cast<const std::uint8_t*>(h.constData()) + f.offset + 1;
        std::copy(p, p + kTextBuffer, (r.*f.buffer).begin());
        break;
      }
      case Kind::Word:
      case Kind::Unlimited:
        r.*f.low = at(h, f.offset);
        r.*f.high = at(h, f.offset + 1);
        break;
      case Kind::Byte:
      case Kind::SlotLow:
        r.*f.low = at(h, f.offset);
        break;
      case Kind::Zero:
        break;
    }
  }
  return r;
}

void putHeaderValues(QByteArray& h, const HeaderValues& v) {
  Q_ASSERT(h.size() >= kHeaderSize);
  for (const FieldLayout& f : kFields) {
    switch (f.kind) {
      case Kind::Text: {
        const QByteArray& text = v.*f.text;
        h[f.offset] = static_cast<char>(text.size());
        h.replace(f.offset + 1, text.size(), text);
        break;
      }
      case Kind::Word:
      case Kind::Unlimited: {
        const Split16 s = split16(v.*f.word);
        h[f.offset] = static_cast<char>(s.low);
        h[f.offset + 1] = static_cast<char>(s.high);
        break;
      }
      case Kind::Byte:
      case Kind::SlotLow:
        h[f.offset] = static_cast<char>(v.*f.byte);
        break;
      case Kind::Zero:
        h[f.offset] = 0;
        h[f.offset + 1] = 0;
        break;
    }
  }
}

QByteArray headerImage(const HeaderValues& v) {
  QByteArray h(kHeaderSize, '\0');
  putHeaderValues(h, v);
  return h;
}

HeaderValues valuesOf(const SnackRecordType& r) {
  HeaderValues v;
  for (const FieldLayout& f : kFields) {
    switch (f.kind) {
      case Kind::Text:
        v.*f.text = textBytes(r.*f.buffer, r.*f.length);
        break;
      case Kind::Word:
      case Kind::Unlimited:
        v.*f.word = join16(r.*f.high, r.*f.low);
        break;
      case Kind::Byte:
      case Kind::SlotLow:
        v.*f.byte = r.*f.low;
        break;
      case Kind::Zero:
        break;
    }
  }
  return v;
}

void storeSaved(const HeaderValues& v, SnackRecordType& r) {
  for (const FieldLayout& f : kFields) {
    switch (f.kind) {
      case Kind::Text:
        r.*f.length = static_cast<std::uint8_t>((v.*f.text).size());
        break;
      case Kind::Word:
      case Kind::Unlimited: {
        const Split16 s = split16(v.*f.word);
        r.*f.high = s.high;
        r.*f.low = s.low;
        break;
      }
      case Kind::Byte:
      case Kind::SlotLow:
        r.*f.low = v.*f.byte;
        break;
      case Kind::Zero:
        break;
    }
  }
}

QByteArray textBytes(const std::array<std::uint8_t, kTextBuffer>& buffer, std::uint8_t length) {
  return QByteArray(reinterpret_cast<const char*>(buffer.data()), length);
}

}  // namespace snack
