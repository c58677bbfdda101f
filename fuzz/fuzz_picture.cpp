// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as a snack file, for the picture preview. The first byte
// chooses how the rest is read: even as the whole file, odd as what follows a
// 904-byte header part. The bitmaps found lie inside the file from offset 904
// on, the mask right after the picture, each with sides of 1 to 4096 pixels;
// drawing them and fitting the drawing into a preview box never fails. Found
// from the first bytes and reads of pieces, the answer is the same.
#include <QImage>
#include <algorithm>

#include "fuzz_common.h"
#include "snack/picture.h"
#include "ui/preview.h"

namespace {

void checkSlice(const QByteArray& file, const snack::BitmapSlice& s) {
  FUZZ_CHECK(s.offset >= 904 && s.size > 0 && s.offset + s.size <= file.size());
  FUZZ_CHECK(s.width >= 1 && s.width <= 4096 && s.height >= 1 && s.height <= 4096);
  FUZZ_CHECK(file.mid(s.offset, 2) == "BM");
  const auto again = snack::bitmapAt(file, s.offset);
  FUZZ_CHECK(again && again->size == s.size);
}

bool same(const std::optional<snack::BitmapSlice>& a, const std::optional<snack::BitmapSlice>& b) {
  if (!a || !b) return !a && !b;
  return a->offset == b->offset && a->size == b->size && a->width == b->width &&
         a->height == b->height && a->bitDepth == b->bitDepth;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  QByteArray file = fuzz::bytesOf(data + 1, size - 1);
  if (data[0] & 1) file.prepend(QByteArray(904, '\x01'));
  const snack::PictureParts parts = snack::locatePicture(file);
  // Read in pieces from its first bytes on, the file gives the same answer.
  for (const qsizetype first : {qsizetype(0), qsizetype(1024), qsizetype(4096)}) {
    const snack::PictureParts pieces =
        snack::locatePicture(file.size(), QByteArrayView(file).first(std::min(first, file.size())),
                             [&](qint64 at, qint64 n) { return file.mid(at, n); });
    FUZZ_CHECK(same(pieces.picture, parts.picture) && same(pieces.mask, parts.mask));
  }
  if (!parts.picture) {
    FUZZ_CHECK(!parts.mask);
    return 0;
  }
  checkSlice(file, *parts.picture);
  if (parts.mask) {
    checkSlice(file, *parts.mask);
    FUZZ_CHECK(parts.mask->offset == parts.picture->offset + parts.picture->size);
  }
  const ui::SnackDrawing drawing = ui::drawSnack(file, parts);
  if (drawing.image.isNull()) return 0;
  FUZZ_CHECK(drawing.image.width() <= 4096 && drawing.image.height() <= 4096);
  const QImage box = ui::previewImage(drawing, QSize(169, 169));
  FUZZ_CHECK(box.size() == QSize(169, 169));
  return 0;
}
