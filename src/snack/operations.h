#pragma once
// The four operations on snack files. Each takes paths and values and returns
// success, or a Japanese message that names the file and what went wrong.
#include <QByteArray>
#include <QString>
#include <cstdint>

#include "snack/layout.h"

namespace snack {

struct Outcome {
  bool ok = true;
  QString message;
  static Outcome success() { return {}; }
  static Outcome failure(QString m) { return {false, std::move(m)}; }
};

// Everything a save writes, already converted from the boxes.
struct HeaderValues {
  QByteArray name, description, author;  // Shift-JIS, at most 255 bytes each
  std::uint16_t number = 0, quantity = 0, bestBeforeDays = 0, calories = 0, year = 0;
  std::uint8_t typeIndex = 0, soundIndex = 0;
  std::uint8_t month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// Reads the header of an existing file of at least 904 bytes into `record`.
// On failure `record` is left as it was. Never writes.
Outcome loadSnack(const QString& path, SnackRecordType& record);

// Writes exactly the saved byte ranges in place, flushes them to the disk and
// reads them back. A missing file is created 904 bytes long.
Outcome saveSnack(const QString& path, const HeaderValues& values);

// The 904-byte image of the header a save would produce on a zero-filled file.
QByteArray headerImage(const HeaderValues& values);

// What a save leaves in the record: the three lengths and every number field.
void storeSaved(const HeaderValues& values, SnackRecordType& record);

// Zeroes offsets 889 to 902 of an existing snack file.
Outcome refreshSnack(const QString& path);

inline const QString kFactoryFolder = QStringLiteral("おやつ工場");
inline const char* const kFactoryParts[3] = {"head.dat", "Image.bmp", "mask.bmp"};

// Joins head.dat, Image.bmp and mask.bmp of `factoryFolder` into
// `factoryFolder`/`outputName`. The output is written beside its target and
// moved into place only when complete.
Outcome buildSnack(const QString& factoryFolder, const QString& outputName,
                   qint64 piece = 1 << 20);

}  // namespace snack
