// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as a snack file. Loading never writes and either refuses a
// file shorter than the header with a message, leaving the record as it was,
// or takes every field from its own offset. What the boxes would show parses
// back to the same values. Saving the loaded values into the same file
// changes no byte outside the saved ranges, keeps the length, and a second
// load shows what was saved.
#include <array>
#include <cstring>

#include "fuzz_common.h"
#include "header_table.h"
#include "platform/sjis.h"
#include "snack/fields.h"
#include "snack/layout.h"
#include "snack/operations.h"

using namespace snack;

namespace {

std::uint16_t le16(const QByteArray& b, int offset) {
  return static_cast<std::uint16_t>(static_cast<std::uint8_t>(b[offset]) |
                                    static_cast<std::uint8_t>(b[offset + 1]) << 8);
}
std::uint8_t byteAt(const QByteArray& b, int offset) {
  return static_cast<std::uint8_t>(b[offset]);
}

bool sameBuffer(const std::array<std::uint8_t, kTextBuffer>& buffer, const QByteArray& b,
                int offset) {
  return std::memcmp(buffer.data(), b.constData() + offset, 257) == 0;  // area and 2 more
}

// The text a box shows for stored bytes, and how code page 932 treats it.
void checkText(const QByteArray& stored) {
  const QString shown = displayText(stored);
  FUZZ_CHECK(shown.size() <= stored.size());
  const QString plain = platform::fromSjis(stored);
  if (plain.contains(QChar(0xFFFD))) return;
  // Every decoded character has a code that decodes to the same character.
  const platform::SjisEncoding again = platform::toSjis(plain);
  FUZZ_CHECK(again.ok);
  FUZZ_CHECK(platform::fromSjis(again.bytes) == plain);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray bytes = fuzz::bytesOf(data, size);
  const QString path = fuzz::scratch().filePath(QStringLiteral("snack.pac"));
  fuzz::writeFile(path, bytes);

  SnackRecordType record;
  record.NameLength = 0x5A;
  record.Second = 0xA5;
  const SnackRecordType before = record;
  const Outcome loaded = loadSnack(path, record);
  FUZZ_CHECK(fuzz::readFile(path) == bytes);
  if (size < static_cast<std::size_t>(hdr::kUsable)) {
    FUZZ_CHECK(!loaded.ok);
    FUZZ_CHECK(!loaded.message.isEmpty());
    FUZZ_CHECK(record == before);
    return 0;
  }
  FUZZ_CHECK(loaded.ok);
  // The last 904 bytes, without a copy: they end where libFuzzer's buffer
  // ends, so a read past the header is caught by AddressSanitizer.
  const SnackRecordType tail = decodeHeader(QByteArray::fromRawData(
      reinterpret_cast<const char*>(data) + size - hdr::kUsable, hdr::kUsable));
  FUZZ_CHECK(tail.Second == data[size - hdr::kUsable + hdr::OpenedSecond.at]);

  FUZZ_CHECK(record.NameLength == byteAt(bytes, hdr::NameLength.at));
  FUZZ_CHECK(record.DescriptionLength == byteAt(bytes, hdr::DescriptionLength.at));
  FUZZ_CHECK(record.AuthorLength == byteAt(bytes, hdr::AuthorLength.at));
  FUZZ_CHECK(sameBuffer(record.NameBytes, bytes, hdr::NameText.at));
  FUZZ_CHECK(sameBuffer(record.DescriptionBytes, bytes, hdr::DescriptionText.at));
  FUZZ_CHECK(sameBuffer(record.AuthorBytes, bytes, hdr::AuthorText.at));
  FUZZ_CHECK(join16(record.NumberHigh, record.NumberLow) == le16(bytes, hdr::Number.at));
  FUZZ_CHECK(join16(record.QuantityHigh, record.QuantityLow) == le16(bytes, hdr::Quantity.at));
  FUZZ_CHECK(join16(record.BestBeforeHigh, record.BestBeforeLow) ==
             le16(bytes, hdr::BestBeforeDays.at));
  FUZZ_CHECK(join16(record.CaloriesHigh, record.CaloriesLow) == le16(bytes, hdr::Calories.at));
  FUZZ_CHECK(join16(record.YearHigh, record.YearLow) == le16(bytes, hdr::OpenedYear.at));
  FUZZ_CHECK(record.TypeIndex == byteAt(bytes, hdr::TypeIndex.at));
  FUZZ_CHECK(record.SoundIndex == byteAt(bytes, hdr::SoundIndex.at));
  FUZZ_CHECK(record.Month == byteAt(bytes, hdr::OpenedMonth.at));
  FUZZ_CHECK(record.Day == byteAt(bytes, hdr::OpenedDay.at));
  FUZZ_CHECK(record.Hour == byteAt(bytes, hdr::OpenedHour.at));
  FUZZ_CHECK(record.Minute == byteAt(bytes, hdr::OpenedMinute.at));
  FUZZ_CHECK(record.Second == byteAt(bytes, hdr::OpenedSecond.at));
  const bool anyDateByte =
      (bytes[hdr::OpenedMonth.at] | bytes[hdr::OpenedDay.at] | bytes[hdr::OpenedHour.at] |
       bytes[hdr::OpenedMinute.at] | bytes[hdr::OpenedSecond.at]) != 0;
  FUZZ_CHECK(isOpened(record) == anyDateByte);

  // What a save of the unedited window writes: the boxes as a load fills
  // them, each text kept as the bytes it was loaded from. Every number a box
  // shows parses back to the stored value.
  const BoxEntries boxes = shownBoxes(record);
  for (const FieldLayout& f : kFields) {
    if (f.kind != Kind::Text) continue;
    const QByteArray loadedText = textBytes(record.*f.buffer, record.*f.length);
    checkText(loadedText);
    FUZZ_CHECK(boxes[static_cast<int>(f.field)].keptBytes == loadedText);
  }
  QString error;
  const std::optional<HeaderValues> collected = valuesFromBoxes(boxes, &error);
  FUZZ_CHECK(collected);
  const HeaderValues& v = *collected;
  FUZZ_CHECK(v == valuesOf(record));

  const Outcome saved = saveSnack(path, v);
  FUZZ_CHECK(saved.ok);
  const QByteArray after = fuzz::readFile(path);
  FUZZ_CHECK(after.size() == bytes.size());
  const QByteArray image = headerImage(v);
  std::array<bool, hdr::kUsable> owned{};
  for (const hdr::Field& r : hdr::kSaved)
    for (int i = r.at; i < r.at + r.size; ++i) owned[static_cast<std::size_t>(i)] = true;
  for (int i = 0; i < hdr::kUsable; ++i)
    FUZZ_CHECK(after[i] == (owned[static_cast<std::size_t>(i)] ? image[i] : bytes[i]));
  FUZZ_CHECK(after.mid(hdr::kUsable) == bytes.mid(hdr::kUsable));

  SnackRecordType reloaded;
  FUZZ_CHECK(loadSnack(path, reloaded).ok);
  FUZZ_CHECK(textBytes(reloaded.NameBytes, reloaded.NameLength) == v.name);
  FUZZ_CHECK(textBytes(reloaded.DescriptionBytes, reloaded.DescriptionLength) == v.description);
  FUZZ_CHECK(textBytes(reloaded.AuthorBytes, reloaded.AuthorLength) == v.author);
  SnackRecordType expected = reloaded;
  storeSaved(v, expected);
  FUZZ_CHECK(reloaded == expected);
  return 0;
}
