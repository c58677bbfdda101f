// SPDX-License-Identifier: GPL-3.0-or-later
#include "snack/layout.h"

#include <algorithm>

namespace snack {

bool isOpened(const SnackRecordType& r) {
  return r.Month != 0 || r.Day != 0 || r.Hour != 0 || r.Minute != 0 || r.Second != 0;
}

namespace {
std::uint8_t at(const QByteArray& h, int offset) { return static_cast<std::uint8_t>(h[offset]); }

void copyBuffer(const QByteArray& h, int offset, std::array<std::uint8_t, kTextBuffer>& out) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(h.constData()) + offset;
  std::copy(p, p + kTextBuffer, out.begin());
}
}  // namespace

SnackRecordType decodeHeader(const QByteArray& h) {
  Q_ASSERT(h.size() >= kHeaderSize);
  SnackRecordType r;
  r.NameLength = at(h, kNameLength);
  copyBuffer(h, kNameText, r.NameBytes);
  r.DescriptionLength = at(h, kDescriptionLength);
  copyBuffer(h, kDescriptionText, r.DescriptionBytes);
  r.AuthorLength = at(h, kAuthorLength);
  copyBuffer(h, kAuthorText, r.AuthorBytes);
  r.NumberLow = at(h, kNumber);
  r.NumberHigh = at(h, kNumber + 1);
  r.QuantityLow = at(h, kQuantity);
  r.QuantityHigh = at(h, kQuantity + 1);
  r.BestBeforeLow = at(h, kBestBeforeDays);
  r.BestBeforeHigh = at(h, kBestBeforeDays + 1);
  r.CaloriesLow = at(h, kCalories);
  r.CaloriesHigh = at(h, kCalories + 1);
  r.TypeIndex = at(h, kTypeIndex);
  r.SoundIndex = at(h, kSoundIndex);
  r.YearLow = at(h, kOpenedYear);
  r.YearHigh = at(h, kOpenedYear + 1);
  r.Month = at(h, kOpenedMonth);
  r.Day = at(h, kOpenedDay);
  r.Hour = at(h, kOpenedHour);
  r.Minute = at(h, kOpenedMinute);
  r.Second = at(h, kOpenedSecond);
  return r;
}

namespace {
void put16(QByteArray& h, int offset, std::uint16_t v) {
  const Split16 s = split16(v);
  h[offset] = static_cast<char>(s.low);
  h[offset + 1] = static_cast<char>(s.high);
}

void putText(QByteArray& h, int lengthOffset, const QByteArray& text) {
  h[lengthOffset] = static_cast<char>(text.size());
  h.replace(lengthOffset + 1, text.size(), text);
}
}  // namespace

void putHeaderValues(QByteArray& h, const HeaderValues& v) {
  Q_ASSERT(h.size() >= kHeaderSize);
  putText(h, kNameLength, v.name);
  putText(h, kDescriptionLength, v.description);
  putText(h, kAuthorLength, v.author);
  put16(h, kNumber, v.number);
  put16(h, kQuantity, v.quantity);
  put16(h, kBestBeforeDays, v.bestBeforeDays);
  put16(h, kCalories, v.calories);
  h[kTypeIndex] = static_cast<char>(v.typeIndex);
  h[kSoundIndex] = static_cast<char>(v.soundIndex);
  put16(h, kOpenedYear, v.year);
  h[kOpenedMonth] = static_cast<char>(v.month);
  h[kOpenedDay] = static_cast<char>(v.day);
  h[kOpenedHour] = static_cast<char>(v.hour);
  h[kOpenedMinute] = static_cast<char>(v.minute);
  h[kOpenedSecond] = static_cast<char>(v.second);
}

HeaderValues valuesOf(const SnackRecordType& r) {
  HeaderValues v;
  v.name = textBytes(r.NameBytes, r.NameLength);
  v.description = textBytes(r.DescriptionBytes, r.DescriptionLength);
  v.author = textBytes(r.AuthorBytes, r.AuthorLength);
  v.number = join16(r.NumberHigh, r.NumberLow);
  v.quantity = join16(r.QuantityHigh, r.QuantityLow);
  v.bestBeforeDays = join16(r.BestBeforeHigh, r.BestBeforeLow);
  v.calories = join16(r.CaloriesHigh, r.CaloriesLow);
  v.year = join16(r.YearHigh, r.YearLow);
  v.typeIndex = r.TypeIndex;
  v.soundIndex = r.SoundIndex;
  v.month = r.Month;
  v.day = r.Day;
  v.hour = r.Hour;
  v.minute = r.Minute;
  v.second = r.Second;
  return v;
}

QByteArray textBytes(const std::array<std::uint8_t, kTextBuffer>& buffer, std::uint8_t length) {
  return QByteArray(reinterpret_cast<const char*>(buffer.data()), length);
}

}  // namespace snack
