// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Finding the picture part and the mask part of a snack file. Both are
// Windows bitmap files joined after the header part, whose length comes with
// the template the snack was made from; so they are looked for, not assumed.
// Only the bitmap file and info headers are looked at here; decoding is left
// to the toolkit's bitmap reader.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <functional>
#include <optional>

#include "platform/paths.h"

namespace snack {

// One bitmap file inside a snack file: where it starts, its length (the file
// size its header gives) and the picture's size and bits per pixel.
struct BitmapSlice {
  qsizetype offset = 0, size = 0;
  int width = 0, height = 0, bitDepth = 0;
};

// The bitmap whose header starts at `at`, when that header holds together:
// "BM"; a file size that fits in the rest of `file`; a pixel-data offset after
// the headers and inside the file size; an info header of 12, 40, 52, 56, 108
// or 124 bytes; one plane; 1, 4, 8, 16, 24 or 32 bits per pixel with a
// compression the depth allows; width and height 1 to 4096 (a negative height
// is a picture stored top row first); uncompressed rows that fit in the file size.
std::optional<BitmapSlice> bitmapAt(QByteArrayView file, qsizetype at);

struct PictureParts {
  std::optional<BitmapSlice> picture, mask;
};

// The first offset at which the picture part may start: the header part is at
// least this long.
inline constexpr qsizetype kPictureSearchStart = 904;

// Looks from offset 904 on. Preferred, in this order: a picture with a mask
// right after it that ends exactly at the end of the file; a picture that ends
// exactly there; the first bitmap found, with the bitmap right after it as mask
// when there is one. Each offset is looked at once, in constant time.
PictureParts locatePicture(QByteArrayView file);

// Files above this size are not read for their picture.
inline constexpr qint64 kPictureFileLimit = qint64(16) << 20;

// Gives `n` bytes of a file from `offset` on (fewer at its end), or none when
// they cannot be read.
using ReadBytes = std::function<QByteArray(qint64 offset, qint64 n)>;

// The same answer as locatePicture on the whole file, for a file of `size`
// bytes whose first bytes are `start`: when a picture in `start` has a mask
// right after it that ends at the end of the file, only the mask's header is
// read through `read`; otherwise the whole file is (and nothing is found in a
// file above kPictureFileLimit).
PictureParts locatePicture(qint64 size, QByteArrayView start, const ReadBytes& read);

struct PictureFile {
  enum class Status { Found, NotFound, TooLarge, Unreadable };
  Status status = Status::NotFound;
  QByteArray bytes;  // the whole file, when it was read
  PictureParts parts;
  QString message;  // for TooLarge and Unreadable, naming the file
};

// Reads a snack file (never writes it) and locates its picture and mask.
PictureFile readPicture(const platform::NativePath& path);

}  // namespace snack
