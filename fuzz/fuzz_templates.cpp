// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as the factory's Image.bmp and mask.bmp, for the picture
// maker. The first two bytes (low byte first) give the length of Image.bmp,
// the rest of the input after it is mask.bmp. When the parts are taken, a
// picture fitted into them gives a file of the parts' lengths in which every
// byte outside the pixel rows is the part's own, and the rows lie inside each
// part; when they are refused, the message names the part.
#include <QImage>
#include <algorithm>

#include "fuzz_common.h"
#include "snack/picturemaker.h"

namespace {

// Every byte of `made` outside the rows of `l` is that of `part`.
void checkPart(const QByteArray& made, const QByteArray& part, const snack::BitmapLayout& l) {
  FUZZ_CHECK(made.size() == part.size());
  FUZZ_CHECK(l.width >= 1 && l.height >= 1 && l.rowBytes > 0);
  const qsizetype end = l.pixelOffset + l.rowBytes * l.height;
  FUZZ_CHECK(l.pixelOffset >= 14 && end <= part.size());
  FUZZ_CHECK(made.first(l.pixelOffset) == part.first(l.pixelOffset));
  FUZZ_CHECK(made.sliced(end) == part.sliced(end));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const QByteArray rest = fuzz::bytesOf(data + 2, size - 2);
  const qsizetype split = std::min<qsizetype>(data[0] | data[1] << 8, rest.size());
  const QByteArray image = rest.first(split), mask = rest.sliced(split);
  const QByteArray head(904, '\x01');
  const QDir dir = fuzz::scratch();
  fuzz::writeFile(dir.filePath(QStringLiteral("head.dat")), head);
  fuzz::writeFile(dir.filePath(QStringLiteral("Image.bmp")), image);
  fuzz::writeFile(dir.filePath(QStringLiteral("mask.bmp")), mask);

  snack::PictureTemplates t;
  const snack::Outcome read = snack::readTemplates(dir.path(), t);
  if (!read.ok) {
    FUZZ_CHECK(read.message.contains(QStringLiteral("Image.bmp")) ||
               read.message.contains(QStringLiteral("mask.bmp")));
    return 0;
  }
  FUZZ_CHECK(t.head == head && t.image == image && t.mask == mask);
  FUZZ_CHECK(t.maskLayout.width == t.imageLayout.width &&
             t.maskLayout.height == t.imageLayout.height);
  // A picture with a key colour and one with alpha, of another shape.
  QImage picture(5, 3, QImage::Format_RGB32);
  for (int i = 0; i < 15; ++i) picture.setPixel(i % 5, i / 5, qRgb(i * 17, 255 - i * 9, i * 3));
  for (const bool alpha : {false, true}) {
    const QImage p = alpha ? picture.convertToFormat(QImage::Format_ARGB32) : picture;
    const QImage fitted = snack::fitPicture(p, t.size(), !alpha);
    FUZZ_CHECK(fitted.size() == t.size());
    const QByteArray made = snack::snackBytes(t, fitted);
    FUZZ_CHECK(made.size() == head.size() + image.size() + mask.size());
    FUZZ_CHECK(made.first(head.size()) == head);
    checkPart(made.sliced(head.size(), image.size()), image, t.imageLayout);
    checkPart(made.sliced(head.size() + image.size()), mask, t.maskLayout);
  }
  return 0;
}
