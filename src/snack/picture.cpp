// SPDX-License-Identifier: GPL-3.0-or-later
#include "snack/picture.h"

#include <algorithm>

#include "platform/bytefile.h"

namespace snack {

namespace {

constexpr int kLargestSide = 4096;
constexpr qsizetype kFileHeader = 14;

quint32 u32(QByteArrayView b, qsizetype at) {
  return quint32(quint8(b[at])) | quint32(quint8(b[at + 1])) << 8 |
         quint32(quint8(b[at + 2])) << 16 | quint32(quint8(b[at + 3])) << 24;
}
quint16 u16(QByteArrayView b, qsizetype at) {
  return quint16(quint8(b[at]) | quint8(b[at + 1]) << 8);
}

bool knownInfoSize(quint32 size) {
  return size == 12 || size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

// BI_RGB, BI_RLE8, BI_RLE4, BI_BITFIELDS, each with the depths it is defined for.
bool knownCoding(int bits, quint32 compression) {
  switch (compression) {
    case 0:
      return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    case 1:
      return bits == 8;
    case 2:
      return bits == 4;
    case 3:
      return bits == 16 || bits == 32;
    default:
      return false;
  }
}

// The bytes of the two headers a bitmap needs looked at: the file header and
// the info header up to its compression.
constexpr qsizetype kLookedAt = kFileHeader + 20;

// The bitmap at offset `at` of a file, `left` bytes before its end, whose
// headers are the first bytes of `file` (at least kLookedAt of them, or all
// that are left).
std::optional<BitmapSlice> bitmapIn(QByteArrayView file, qint64 left, qsizetype at) {
  if (left < kFileHeader + 4 || file.size() < std::min<qint64>(left, kLookedAt))
    return std::nullopt;
  if (file[0] != 'B' || file[1] != 'M') return std::nullopt;
  const qint64 size = u32(file, 2);
  const qint64 pixels = u32(file, 10);
  const quint32 info = u32(file, kFileHeader);
  if (!knownInfoSize(info) || size > left) return std::nullopt;
  const qint64 headers = kFileHeader + qint64(info);
  if (pixels < headers || pixels >= size) return std::nullopt;
  const qsizetype h = kFileHeader;
  qint64 width, height;
  int planes, bits;
  quint32 compression = 0;
  if (info == 12) {
    width = u16(file, h + 4);
    height = u16(file, h + 6);
    planes = u16(file, h + 8);
    bits = u16(file, h + 10);
    if (bits == 16 || bits == 32) return std::nullopt;  // not defined for the old header
  } else {
    width = qint32(u32(file, h + 4));
    height = qint32(u32(file, h + 8));
    planes = u16(file, h + 12);
    bits = u16(file, h + 14);
    compression = u32(file, h + 16);
    if (height < 0) height = -height;  // top row first
  }
  if (planes != 1 || !knownCoding(bits, compression)) return std::nullopt;
  if (width < 1 || width > kLargestSide || height < 1 || height > kLargestSide) return std::nullopt;
  if (compression == 0 || compression == 3) {
    const qint64 row = (width * bits + 31) / 32 * 4;
    if (row * height > size - pixels) return std::nullopt;
  }
  return BitmapSlice{at, static_cast<qsizetype>(size), int(width), int(height), bits};
}

}  // namespace

std::optional<BitmapSlice> bitmapAt(QByteArrayView file, qsizetype at) {
  if (at < 0 || at >= file.size()) return std::nullopt;
  return bitmapIn(file.sliced(at), file.size() - at, at);
}

PictureParts locatePicture(QByteArrayView file) {
  std::optional<BitmapSlice> first, endsAtEnd;
  const qsizetype n = file.size();
  for (qsizetype at = file.indexOf(QByteArrayView("BM"), kPictureSearchStart); at >= 0;
       at = file.indexOf(QByteArrayView("BM"), at + 1)) {
    const std::optional<BitmapSlice> picture = bitmapAt(file, at);
    if (!picture) continue;
    const qsizetype end = at + picture->size;
    if (const std::optional<BitmapSlice> mask = bitmapAt(file, end); mask && end + mask->size == n)
      return {picture, mask};
    if (!first) first = picture;
    if (!endsAtEnd && end == n) endsAtEnd = picture;
  }
  if (endsAtEnd) return {endsAtEnd, std::nullopt};
  if (first) return {first, bitmapAt(file, first->offset + first->size)};
  return {};
}

PictureParts locatePicture(qint64 size, QByteArrayView start, const ReadBytes& read) {
  auto headerAt = [&](qsizetype at) -> std::optional<BitmapSlice> {
    if (at < 0 || at >= size) return std::nullopt;
    const qint64 n = std::min<qint64>(size - at, kLookedAt);
    if (at + n <= start.size()) return bitmapIn(start.sliced(at, n), size - at, at);
    return bitmapIn(read(at, n), size - at, at);
  };
  // The pictures whose headers lie in `start`, in the order the whole search takes them.
  for (qsizetype at = start.indexOf(QByteArrayView("BM"), kPictureSearchStart);
       at >= 0 && at + kLookedAt <= start.size();
       at = start.indexOf(QByteArrayView("BM"), at + 1)) {
    const std::optional<BitmapSlice> picture = headerAt(at);
    if (!picture) continue;
    const qsizetype end = at + picture->size;
    if (const std::optional<BitmapSlice> mask = headerAt(end); mask && end + mask->size == size)
      return {picture, mask};
  }
  if (size > kPictureFileLimit) return {};
  const QByteArray whole = size == start.size() ? start.toByteArray() : read(0, size);
  return locatePicture(whole);
}

PictureFile readPicture(const platform::NativePath& path) {
  PictureFile out;
  const QString name = path.shownFileName();
  platform::ByteFile f(path);
  auto unreadable = [&] {
    out.status = PictureFile::Status::Unreadable;
    out.message = QStringLiteral("「%1」を読み込めません：%2").arg(name, f.errorString());
    out.bytes.clear();
    return out;
  };
  if (!f.open(platform::ByteFile::Mode::Read)) return unreadable();
  const qint64 size = f.size();
  if (size > kPictureFileLimit) {
    out.status = PictureFile::Status::TooLarge;
    out.message = QStringLiteral("「%1」は %2 MB より大きいので、絵を表示しません。")
                      .arg(name)
                      .arg(kPictureFileLimit >> 20);
    return out;
  }
  if (size > 0 && !f.readAt(0, size, out.bytes)) return unreadable();
  f.close();
  out.parts = locatePicture(out.bytes);
  out.status = out.parts.picture ? PictureFile::Status::Found : PictureFile::Status::NotFound;
  return out;
}

}  // namespace snack
