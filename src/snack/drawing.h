// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The snack's picture, drawn from the picture and mask parts of its file the
// way Windows draws a sprite: the mask's black pixels are the snack, its white
// pixels the background. No window code: the file selection window draws its
// preview from this, the command line its thumbnails.
#include <QByteArrayView>
#include <QImage>
#include <QSize>

#include "platform/paths.h"
#include "snack/operations.h"
#include "snack/picture.h"

namespace snack {

// The bitmap `slice` of `file`, decoded by the toolkit's bitmap reader; a null
// image when the reader refuses it.
QImage decodeBitmap(QByteArrayView file, const BitmapSlice& slice);

struct SnackDrawing {
  QImage image;  // premultiplied ARGB; null when there is no picture
  bool masked = false;
};

// Where `mask` is a two-colour image (black and white only) of the picture's
// size, its white pixels become transparent; otherwise the picture as it is.
SnackDrawing drawSnack(const QImage& picture, const QImage& mask);
// Decodes the located parts of a snack file and draws them.
SnackDrawing drawSnack(QByteArrayView file, const PictureParts& parts);

// `image` scaled to fit in `room`, keeping its proportions: by the largest
// whole factor when it grows, so that its pixels stay sharp; smoothly when it
// shrinks. A null image for an empty room.
QImage fitDrawing(const QImage& image, QSize room);

// The largest side `writeThumbnail` draws.
inline constexpr int kThumbnailLimit = 4096;

// Draws the snack of the file at `snackPath` fitted in `size` × `size` pixels,
// the background transparent, and writes it as a PNG file to `pngPath`, whole
// or not at all. Refused, with nothing written, when the file has no picture,
// or when `pngPath` is the snack file itself or another file that is not
// empty and not a PNG file.
Outcome writeThumbnail(const platform::NativePath& snackPath, int size, const QString& pngPath);

}  // namespace snack
