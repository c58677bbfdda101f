// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Sample data of our own: snack files, factory parts and settings files.
// The demo workspace and the test fixtures both come from here.
#include <QByteArray>
#include <QImage>
#include <QList>
#include <QPair>
#include <QSize>
#include <QString>
#include <cstdint>

#include "snack/layout.h"

namespace samplegen {

struct SampleSnack {
  QString name, description, author;
  std::uint16_t number = 1, quantity = 3, bestBeforeDays = 7, calories = 120, year = 0;
  std::uint8_t typeIndex = 1, soundIndex = 1;
  std::uint8_t month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// The values a save of this snack would write.
snack::HeaderValues values(const SampleSnack& sample);

// A header part of `size` bytes (at least 904). Bytes the editor does not
// interpret hold a pattern, never zero runs, so a stray write shows.
QByteArray headerTemplate(int size = 1024);
// A header with the fields of `sample` set; text areas keep pattern bytes after
// the text, as a file not written by the editor may.
QByteArray header(const SampleSnack& sample, int size = 1024);
// The factory's head.dat of a new working folder: 1024 bytes, empty texts,
// unopened, number 0, one piece, 7 days, 100 Kcal, type 0, sound 1; the
// bytes the editor does not interpret hold the pattern.
QByteArray factoryHeader();
// `base` with the fields of `sample` written into it, byte by byte.
QByteArray withFields(QByteArray base, const SampleSnack& sample);
// Bitmap files written byte by byte: 1, 4 or 8 bits per pixel with a palette
// of the image's first colours in reading order (a later colour takes the
// nearest of them), 16 (5 bits a channel), 24 or 32 bits. With `coreHeader` the
// old 12-byte info header (1, 4, 8 and 24 bits only); with `topDown` a negative
// height and the top row first; with `bitFields565` 16 bits as 5-6-5 bit fields.
struct BmpOptions {
  int bitDepth = 24;
  bool topDown = false;
  bool coreHeader = false;
  bool bitFields565 = false;
};
QByteArray bmp(const QImage& image, BmpOptions options = {});
inline constexpr int kBitDepths[] = {1, 4, 8, 16, 24, 32};

// A snack drawn in a few flat colours on black, of one of four kinds by
// seed % 4: a slice of strawberry cake, a cookie, a cup, a fruit plate.
QImage snackImage(int seed, int width, int height);
// Its mask: black where the snack is, white around it.
QImage snackMask(int seed, int width, int height);
QByteArray pictureBmp(int seed, int width = 64, int height = 64, int bitDepth = 24);
QByteArray maskBmp(int seed, int width = 64, int height = 64, int bitDepth = 24);
// A whole snack file: header, picture, mask.
QByteArray snackFile(const SampleSnack& sample, int seed, int pictureBits = 24, int maskBits = 24,
                     QSize size = QSize(64, 64));

// A name file: "%03d" index, one blank, the name; Shift-JIS, CR LF.
QByteArray nameFile(const QList<QPair<int, QString>>& entries);
QList<QPair<int, QString>> sampleFoodTypes();
QList<QPair<int, QString>> sampleSounds();
QList<SampleSnack> sampleSnacks();

// Shift-JIS bytes of a text; aborts on a character without a code (our own data).
QByteArray sjis(const QString& text);

bool writeFile(const QString& path, const QByteArray& bytes);
QByteArray readFile(const QString& path);

// A complete working folder: cookenv.ini naming `dir`/snacks/ (or "NONE"),
// Foodtype.ini, sound.ini, the snack folder and the factory "おやつ工場".
bool writeWorkspace(const QString& dir, bool firstRun = false);

}  // namespace samplegen
