// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The header part of a snack file, described once in kFields: where each
// field is, how it is stored, its key (the name under which lists, exports and
// the command line know it), its part in the opened date and time, and where
// its value lives in HeaderValues and in the staging record. The decoder, the
// writer, the record conversions, the byte ranges a save writes, the opened
// rule and what a refresh clears all follow from that table. 16-bit numbers
// are little-endian; texts are Shift-JIS with a length byte in front of a
// 255-byte area.
#include <QByteArray>
#include <QString>
#include <QStringView>
#include <algorithm>
#include <array>
#include <cstdint>

namespace snack {

inline constexpr int kTextArea = 255;    // bytes in each text area
inline constexpr int kTextBuffer = 257;  // bytes a load reads from each area
inline constexpr int kHeaderSize = 904;  // a usable header part is at least this long
inline constexpr std::uint16_t kUnlimited = 0xFFFF;

// The staging record of header values as bytes. In memory each high byte
// comes before its low byte.
struct SnackRecordType {
  std::uint8_t NameLength = 0;
  std::array<std::uint8_t, kTextBuffer> NameBytes{};
  std::uint8_t DescriptionLength = 0;
  std::array<std::uint8_t, kTextBuffer> DescriptionBytes{};
  std::uint8_t AuthorLength = 0;
  std::array<std::uint8_t, kTextBuffer> AuthorBytes{};
  std::uint8_t NumberHigh = 0, NumberLow = 0;
  std::uint8_t QuantityHigh = 0, QuantityLow = 0;
  std::uint8_t BestBeforeHigh = 0, BestBeforeLow = 0;
  std::uint8_t CaloriesHigh = 0, CaloriesLow = 0;
  std::uint8_t TypeIndex = 0;
  std::uint8_t SoundIndex = 0;
  std::uint8_t YearHigh = 0, YearLow = 0;
  std::uint8_t Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0;

  bool operator==(const SnackRecordType&) const = default;
};

// Every header value a save writes, already converted from the editor's boxes.
struct HeaderValues {
  QByteArray name, description, author;  // Shift-JIS, at most 255 bytes each
  std::uint16_t number = 0, quantity = 0, bestBeforeDays = 0, calories = 0, year = 0;
  std::uint8_t typeIndex = 0, soundIndex = 0;
  std::uint8_t month = 0, day = 0, hour = 0, minute = 0, second = 0;

  bool operator==(const HeaderValues&) const = default;
};

// How a field is stored.
enum class Kind {
  Text,       // length byte, then a 255-byte area; a save zero-fills the area
  Word,       // 16-bit number
  Unlimited,  // 16-bit number; a box may say "無制限" for 0xFFFF
  Byte,       // one byte, the position of an item in a list
  SlotLow,    // the low byte of a 2-byte slot; the high byte is neither read nor written
  Zero,       // 2 bytes a save writes as zero; never read
};

// The fields in the order a save checks the boxes.
// clang-format off
enum class Field {
  Name, Description, Author, Number, Quantity, BestBeforeDays, Calories,
  Year, Month, Day, Hour, Minute, Second, Type, Sound, Spare,
};
// clang-format on
inline constexpr int kFieldCount = 16;

// A field's part in the opened date and time.
enum class Opened {
  No,     // not part of it
  Group,  // in the group a refresh zeroes (year to spare), not in the opened rule
  Rule,   // in the group, and a non-zero value makes the snack opened
};

struct FieldLayout {
  Field field;
  int offset;  // of the length byte, for a text
  Kind kind;
  const char* key;  // the field's key: lower case ASCII, unique
  Opened opened = Opened::No;
  bool showsUnlimited = false;  // shown as "無制限" for 0xFFFF
  // Where the value lives in HeaderValues (one of three) ...
  QByteArray HeaderValues::*text = nullptr;
  std::uint16_t HeaderValues::*word = nullptr;
  std::uint8_t HeaderValues::*byte = nullptr;
  // ... and in the record: a text's length byte and buffer, a number's high
  // and low byte, a byte's `low`.
  std::uint8_t SnackRecordType::*length = nullptr;
  std::array<std::uint8_t, kTextBuffer> SnackRecordType::*buffer = nullptr;
  std::uint8_t SnackRecordType::*high = nullptr;
  std::uint8_t SnackRecordType::*low = nullptr;
};

namespace detail {
using H = HeaderValues;
using R = SnackRecordType;
// clang-format off
inline constexpr std::array<FieldLayout, kFieldCount> fields = {{
  // field               offset kind             key               opened         "無制限"  value in HeaderValues  in the record
  {Field::Name,             32, Kind::Text,      "name",           Opened::No,    false, &H::name,        {}, {}, &R::NameLength,        &R::NameBytes},
  {Field::Description,     288, Kind::Text,      "description",    Opened::No,    false, &H::description, {}, {}, &R::DescriptionLength, &R::DescriptionBytes},
  {Field::Author,          544, Kind::Text,      "author",         Opened::No,    false, &H::author,      {}, {}, &R::AuthorLength,      &R::AuthorBytes},
  {Field::Number,           12, Kind::Unlimited, "number",         Opened::No,    false, {}, &H::number,         {}, {}, {}, &R::NumberHigh,     &R::NumberLow},
  {Field::Quantity,        881, Kind::Unlimited, "quantity",       Opened::No,    true,  {}, &H::quantity,       {}, {}, {}, &R::QuantityHigh,   &R::QuantityLow},
  {Field::BestBeforeDays,  883, Kind::Unlimited, "best_before",    Opened::No,    true,  {}, &H::bestBeforeDays, {}, {}, {}, &R::BestBeforeHigh, &R::BestBeforeLow},
  {Field::Calories,        885, Kind::Unlimited, "calories",       Opened::No,    true,  {}, &H::calories,       {}, {}, {}, &R::CaloriesHigh,   &R::CaloriesLow},
  {Field::Year,            889, Kind::Word,      "opened_year",    Opened::Group, false, {}, &H::year,           {}, {}, {}, &R::YearHigh,       &R::YearLow},
  {Field::Month,           891, Kind::SlotLow,   "opened_month",   Opened::Rule,  false, {}, {}, &H::month,      {}, {}, {}, &R::Month},
  {Field::Day,             893, Kind::SlotLow,   "opened_day",     Opened::Rule,  false, {}, {}, &H::day,        {}, {}, {}, &R::Day},
  {Field::Hour,            895, Kind::SlotLow,   "opened_hour",    Opened::Rule,  false, {}, {}, &H::hour,       {}, {}, {}, &R::Hour},
  {Field::Minute,          897, Kind::SlotLow,   "opened_minute",  Opened::Rule,  false, {}, {}, &H::minute,     {}, {}, {}, &R::Minute},
  {Field::Second,          899, Kind::SlotLow,   "opened_second",  Opened::Rule,  false, {}, {}, &H::second,     {}, {}, {}, &R::Second},
  {Field::Type,            880, Kind::Byte,      "type",           Opened::No,    false, {}, {}, &H::typeIndex,  {}, {}, {}, &R::TypeIndex},
  {Field::Sound,           903, Kind::Byte,      "sound",          Opened::No,    false, {}, {}, &H::soundIndex, {}, {}, {}, &R::SoundIndex},
  {Field::Spare,           901, Kind::Zero,      "opened_spare",   Opened::Group},
}};
// clang-format on
}  // namespace detail
inline constexpr const auto& kFields = detail::fields;

constexpr const FieldLayout& layoutOf(Field f) { return kFields[static_cast<int>(f)]; }

// Byte range [offset, offset + size).
struct ByteRange {
  int offset;
  int size;
  constexpr int end() const { return offset + size; }
};

// The bytes a save writes for one field.
constexpr ByteRange savedRange(const FieldLayout& f) {
  switch (f.kind) {
    case Kind::Text:
      return {f.offset, 1 + kTextArea};
    case Kind::Word:
    case Kind::Unlimited:
    case Kind::Zero:
      return {f.offset, 2};
    case Kind::Byte:
    case Kind::SlotLow:
      return {f.offset, 1};
  }
  return {f.offset, 0};
}

namespace detail {
constexpr std::array<ByteRange, kFieldCount> rangesByOffset() {
  std::array<ByteRange, kFieldCount> all{};
  for (int i = 0; i < kFieldCount; ++i) all[i] = savedRange(kFields[i]);
  std::sort(all.begin(), all.end(),
            [](const ByteRange& a, const ByteRange& b) { return a.offset < b.offset; });
  return all;
}
constexpr int joinedCount() {
  const auto all = rangesByOffset();
  int n = 1;
  for (int i = 1; i < kFieldCount; ++i)
    if (all[i].offset != all[i - 1].end()) ++n;
  return n;
}
}  // namespace detail

// The byte ranges a save writes, in file order, touching ranges joined.
inline constexpr auto kSavedRanges = [] {
  const auto all = detail::rangesByOffset();
  std::array<ByteRange, detail::joinedCount()> joined{};
  int n = 0;
  joined[0] = all[0];
  for (int i = 1; i < kFieldCount; ++i) {
    if (all[i].offset == joined[n].end())
      joined[n].size += all[i].size;
    else
      joined[++n] = all[i];
  }
  return joined;
}();

// The opened date and time group, year to spare: what a refresh zeroes. Its
// fields lie side by side.
inline constexpr ByteRange kOpenedGroup = [] {
  int first = kFields[0].offset + 0x10000, end = 0;
  for (const FieldLayout& f : kFields) {
    if (f.opened == Opened::No) continue;
    first = std::min(first, f.offset);
    end = std::max(end, savedRange(f).end());
  }
  return ByteRange{first, end - first};
}();

// high = v / 256, low = v - 256 * high.
struct Split16 {
  std::uint8_t high;
  std::uint8_t low;
};
constexpr Split16 split16(std::uint16_t v) {
  const auto high = static_cast<std::uint8_t>(v / 256);
  return {high, static_cast<std::uint8_t>(v - 256 * high)};
}
constexpr std::uint16_t join16(std::uint8_t high, std::uint8_t low) {
  return static_cast<std::uint16_t>(high * 256 + low);
}

// Opened when a field of the opened rule (month, day, hour, minute, second)
// is not zero; the year takes no part.
bool isOpened(const SnackRecordType& r);

// What a refresh leaves in the record: the fields of the opened group outside
// the opened rule (the year) become zero; the rest keeps what the last load read.
void storeRefreshed(SnackRecordType& record);

// The opened date and time group's values in table order (year, month, day,
// hour, minute, second), each as stored.
std::array<int, 6> openedValues(const SnackRecordType& record);

// "YYYY/MM/DD hh:mm:ss" (with `dateSeparator` between the date's parts), each
// value as stored and zero-padded; empty when the snack is unopened.
QString openedStamp(const SnackRecordType& record, QChar dateSeparator);

// The value of a number or list field (Kind::Word, Unlimited, Byte or SlotLow)
// as the record holds it.
int fieldValue(const SnackRecordType& record, Field field);

// The field with this key, or nullptr.
const FieldLayout* fieldByKey(QStringView key);

// Fills every field of a record from the first kHeaderSize bytes of a header.
SnackRecordType decodeHeader(const QByteArray& header);

// Puts the values at their offsets in a header of at least kHeaderSize bytes:
// each text's length byte and bytes (the rest of its area is left as it is),
// the numbers low byte first, the list positions, the low bytes of the opened
// month to second slots and the zero spare.
void putHeaderValues(QByteArray& header, const HeaderValues& values);

// The 904-byte image of the header a save would produce on a zero-filled file.
QByteArray headerImage(const HeaderValues& values);

// The values a record holds, as a save of them would write them back.
HeaderValues valuesOf(const SnackRecordType& record);

// What a save leaves in the record: the three lengths and every number field;
// the text buffers are left as they are.
void storeSaved(const HeaderValues& values, SnackRecordType& record);

// The length-byte-many bytes of a text buffer.
QByteArray textBytes(const std::array<std::uint8_t, kTextBuffer>& buffer, std::uint8_t length);

}  // namespace snack
