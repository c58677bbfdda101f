// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The header part of a snack file as the tests and the sample generator know
// it, written out once from the file format and never taken from the code
// under test: every field's offset and size, the bytes a save writes, and
// byte-level writers to build sample headers with. 16-bit numbers are stored
// low byte first.
#include <QByteArray>
#include <cstdint>

namespace hdr {

struct Field {
  int at;
  int size;
};

inline constexpr Field Number{12, 2};
inline constexpr Field NameLength{32, 1};
inline constexpr Field NameText{33, 255};
inline constexpr Field DescriptionLength{288, 1};
inline constexpr Field DescriptionText{289, 255};
inline constexpr Field AuthorLength{544, 1};
inline constexpr Field AuthorText{545, 255};
inline constexpr Field TypeIndex{880, 1};
inline constexpr Field Quantity{881, 2};
inline constexpr Field BestBeforeDays{883, 2};
inline constexpr Field Calories{885, 2};
inline constexpr Field OpenedYear{889, 2};
inline constexpr Field OpenedMonth{891, 2};  // value in the low byte
inline constexpr Field OpenedDay{893, 2};
inline constexpr Field OpenedHour{895, 2};
inline constexpr Field OpenedMinute{897, 2};
inline constexpr Field OpenedSecond{899, 2};
inline constexpr Field OpenedSpare{901, 2};
inline constexpr Field SoundIndex{903, 1};
inline constexpr Field OpenedGroup{889, 14};  // year to spare, what a refresh zeroes
inline constexpr int kUsable = 904;           // the smallest usable header part

// Every byte a save writes: 12, 13, 32 to 799, 880 to 886, 889 to 891, 893,
// 895, 897, 899, 901 to 903.
inline constexpr Field kSaved[] = {{12, 2},  {32, 768}, {880, 7}, {889, 3}, {893, 1},
                                   {895, 1}, {897, 1},  {899, 1}, {901, 3}};

inline void putByte(QByteArray& h, Field f, int value) { h[f.at] = static_cast<char>(value); }
inline void put16(QByteArray& h, Field f, std::uint16_t value) {
  h[f.at] = static_cast<char>(value & 0xFF);
  h[f.at + 1] = static_cast<char>(value >> 8);
}
// The length byte, then the bytes from the start of the area that follows it;
// the rest of the area keeps what it held.
inline void putText(QByteArray& h, Field length, const QByteArray& bytes) {
  h[length.at] = static_cast<char>(bytes.size());
  h.replace(length.at + 1, bytes.size(), bytes);
}

}  // namespace hdr
