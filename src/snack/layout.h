// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The header part of a snack file: every offset and size in one place.
// 16-bit numbers are little-endian; texts are Shift-JIS with a length byte
// in front of a 255-byte area.
#include <QByteArray>
#include <array>
#include <cstdint>

namespace snack {

inline constexpr int kNumber = 12;              // 2 bytes, SnackNumber
inline constexpr int kNameLength = 32;          // 1 byte
inline constexpr int kNameText = 33;            // 255 bytes
inline constexpr int kDescriptionLength = 288;  // 1 byte
inline constexpr int kDescriptionText = 289;    // 255 bytes
inline constexpr int kAuthorLength = 544;       // 1 byte
inline constexpr int kAuthorText = 545;         // 255 bytes
inline constexpr int kTypeIndex = 880;          // 1 byte
inline constexpr int kQuantity = 881;           // 2 bytes, 0xFFFF = unlimited
inline constexpr int kBestBeforeDays = 883;     // 2 bytes, 0xFFFF = unlimited
inline constexpr int kCalories = 885;           // 2 bytes, 0xFFFF = unlimited
inline constexpr int kOpenedYear = 889;         // 2 bytes
inline constexpr int kOpenedMonth = 891;        // 2-byte slot, value in the low byte
inline constexpr int kOpenedDay = 893;
inline constexpr int kOpenedHour = 895;
inline constexpr int kOpenedMinute = 897;
inline constexpr int kOpenedSecond = 899;
inline constexpr int kOpenedSpare = 901;  // 2 bytes, always written as 0
inline constexpr int kSoundIndex = 903;   // 1 byte

inline constexpr int kTextArea = 255;        // bytes in each text area
inline constexpr int kTextBuffer = 257;      // bytes a load reads from each area
inline constexpr int kOpenedGroupSize = 14;  // 889 to 902
inline constexpr int kHeaderSize = 904;      // a usable header part is at least this long

inline constexpr std::uint16_t kUnlimited = 0xFFFF;

// Byte ranges a save writes, as [offset, offset + size).
struct ByteRange {
  int offset;
  int size;
};
inline constexpr std::array<ByteRange, 9> kSavedRanges = {{
    {kNumber, 2},
    {kNameLength, kAuthorText + kTextArea - kNameLength},  // 32 to 799
    {kTypeIndex, 7},                                       // 880 to 886
    {kOpenedYear, 3},                                      // 889 to 891
    {kOpenedDay, 1},
    {kOpenedHour, 1},
    {kOpenedMinute, 1},
    {kOpenedSecond, 1},
    {kOpenedSpare, 3},  // 901 to 903
}};

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

// Unopened when month, day, hour, minute and second are all zero; the year
// takes no part.
bool isOpened(const SnackRecordType& r);

// Every header value a save writes, already converted from the editor's boxes.
struct HeaderValues {
  QByteArray name, description, author;  // Shift-JIS, at most 255 bytes each
  std::uint16_t number = 0, quantity = 0, bestBeforeDays = 0, calories = 0, year = 0;
  std::uint8_t typeIndex = 0, soundIndex = 0;
  std::uint8_t month = 0, day = 0, hour = 0, minute = 0, second = 0;

  bool operator==(const HeaderValues&) const = default;
};

// Puts the values at their offsets in a header of at least kHeaderSize bytes:
// each text's length byte and bytes (the rest of its area is left as it is),
// the numbers low byte first, the list positions, and the low bytes of the
// opened month to second slots.
void putHeaderValues(QByteArray& header, const HeaderValues& values);

// The values a record holds, as a save of them would write them back.
HeaderValues valuesOf(const SnackRecordType& record);

// Fills every field from the first kHeaderSize bytes of a header.
SnackRecordType decodeHeader(const QByteArray& header);

// The length-byte-many bytes of a text buffer.
QByteArray textBytes(const std::array<std::uint8_t, kTextBuffer>& buffer, std::uint8_t length);

}  // namespace snack
