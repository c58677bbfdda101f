// SPDX-License-Identifier: GPL-3.0-or-later
#include "snack/layout.h"

namespace snack {

namespace {
constexpr bool inFieldOrder() {
  for (int i = 0; i < kFieldCount; ++i)
    if (static_cast<int>(kFields[i].field) != i) return false;
  return true;
}
static_assert(inFieldOrder(), "kFields is indexed by Field");

std::uint8_t at(const QByteArray& h, int offset) { return static_cast<std::uint8_t>(h[offset]); }
}  // namespace

bool isOpened(const SnackRecordType& r) {
  return r.Month != 0 || r.Day != 0 || r.Hour != 0 || r.Minute != 0 || r.Second != 0;
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
