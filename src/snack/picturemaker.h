// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A new snack from any picture. The new file is the factory's header part
// followed by a picture part and a mask part made in the layout of the
// factory's own Image.bmp and mask.bmp: each part keeps its template's length
// and every byte outside the pixel rows, and only the rows are written anew.
// No window code: the command line uses this as the window does.
//
// The steps, each usable on its own:
//   readTemplates   the three parts of the factory folder, checked
//   readPictureFile any picture the toolkit's image readers know
//   fitPicture      the picture fitted into the template's size, with its background
//   snackBytes      the new file's bytes
//   writeSnackFile  the bytes written into the factory folder under the factory's rules
// and makeSnackFromPicture does all of them for one picture file.
#include <QByteArray>
#include <QImage>
#include <QList>
#include <QSize>
#include <QString>

#include "platform/paths.h"
#include "snack/operations.h"

namespace snack {

// How the pixel rows of one bitmap file are coded. Offsets from the start of
// the bitmap file.
struct BitmapLayout {
  int width = 0, height = 0, bitDepth = 0;
  bool topDown = false;       // the top row is stored first
  qsizetype pixelOffset = 0;  // the first stored row
  qsizetype rowBytes = 0;     // each row padded to 4 bytes
  QList<QRgb> colours;        // the colour table of 1, 4 and 8 bits, opaque
  // Where each channel sits in a 16- or 32-bit pixel; alpha is 0 when the
  // pixel has none.
  quint32 red = 0, green = 0, blue = 0, alpha = 0;
};

// The factory's parts, as they are and as far as a picture goes into them.
struct PictureTemplates {
  QByteArray head, image, mask;
  BitmapLayout imageLayout, maskLayout;
  QSize size() const { return {imageLayout.width, imageLayout.height}; }
};

// Reads head.dat, Image.bmp and mask.bmp of `factoryFolder` and checks that a
// picture can go into the two bitmaps: uncompressed, headers that hold
// together, a mask of the picture's size whose colour table (if any) has
// distinct entries nearest white and nearest black. Refused with a message
// naming the part.
Outcome readTemplates(const QString& factoryFolder, PictureTemplates& templates);

// Pictures whose decoded image would pass this many MiB are not read.
inline constexpr int kPictureLimitMiB = 256;

// Reads the first image of a picture file in any format the toolkit's image
// readers know (turned upright as its own orientation says). A picture over
// the limit is refused before it is decoded.
Outcome readPictureFile(const QString& path, QImage& picture);

// Whether the key colour applies to `picture`: only when it has no alpha channel.
bool takesKeyColour(const QImage& picture);

// `picture` fitted into `size` (keeping its aspect ratio, centred, an odd
// spare pixel right and bottom; grown by whole factors when smaller in both
// directions, shrunk smoothly otherwise), as an ARGB32 image of exactly `size`
// whose pixels are either background (alpha 0, black) or shown (alpha 255).
// With `keyColour`, pixels of exactly the top-left pixel's colour become
// background first; it is ignored for a picture with an alpha channel. After
// fitting, a pixel with alpha below 128 is background; the others keep their
// colour as if opaque.
QImage fitPicture(QImage picture, QSize size, bool keyColour);

// The new file: head.dat, then the picture part with `fitted` (as fitPicture
// gives it, of the template's size) in Image.bmp's coding and its background
// black, then the mask part, white for background and black for shown pixels.
QByteArray snackBytes(const PictureTemplates& templates, const QImage& fitted);

// readTemplates, fitPicture and snackBytes for one picture.
Outcome makeSnackBytes(const QString& factoryFolder, QImage picture, bool keyColour,
                       QByteArray& bytes);

// Writes `bytes` as the file `outputName` of `factoryFolder` under the
// factory's rules: the names it refuses, never the snack being edited
// (`currentSnack`) nor one of its parts, never through a link; written beside
// its target, flushed to the disk and moved into place only when complete.
Outcome writeSnackFile(const QString& factoryFolder, const QString& outputName,
                       const QByteArray& bytes, const platform::NativePath& currentSnack = {},
                       HistoryAction* history = nullptr);

// The whole job: reads the picture file and the templates, makes the bytes
// and writes them. Nothing is written when any step is refused.
Outcome makeSnackFromPicture(const QString& factoryFolder, const QString& picturePath,
                             bool keyColour, const QString& outputName,
                             const platform::NativePath& currentSnack = {},
                             HistoryAction* history = nullptr);

}  // namespace snack
