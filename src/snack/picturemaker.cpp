// SPDX-License-Identifier: GPL-3.0-or-later
#include "snack/picturemaker.h"

#include <QFileInfo>
#include <QImageReader>
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "platform/bytefile.h"
#include "platform/paths.h"
#include "snack/picture.h"

namespace snack {

namespace {

constexpr qsizetype kFileHeader = 14;
constexpr qint64 kPartLimit = qint64(256) << 20;

quint32 u32(QByteArrayView b, qsizetype at) {
  return quint32(quint8(b[at])) | quint32(quint8(b[at + 1])) << 8 |
         quint32(quint8(b[at + 2])) << 16 | quint32(quint8(b[at + 3])) << 24;
}

QString partPath(const QString& folder, const char* part) {
  return platform::nativePath(platform::joinPath(folder, QLatin1String(part)));
}

// A mask for one channel: one run of set bits, within the pixel.
bool channelMask(quint32 mask, int bits) {
  if (mask == 0 || (bits == 16 && mask > 0xffff)) return false;
  const quint32 run = mask >> std::countr_zero(mask);
  return (run & (run + 1)) == 0;
}

// The layout of the bitmap file `bytes`, or a reason why a picture cannot go into it.
std::optional<BitmapLayout> bitmapLayoutOf(const QByteArray& bytes, QString* why) {
  const qsizetype n = bytes.size();
  // Compressed bitmaps have rows of their own lengths; a picture cannot take their place.
  if (n >= kFileHeader + 20 && bytes.startsWith("BM") && u32(bytes, kFileHeader) >= 40) {
    const quint32 compression = u32(bytes, kFileHeader + 16);
    if (compression != 0 && compression != 3) {
      *why = compression == 1 ? QStringLiteral("RLE8 で圧縮されています")
             : compression == 2
                 ? QStringLiteral("RLE4 で圧縮されています")
                 : QStringLiteral("圧縮されています（圧縮形式 %1）").arg(compression);
      return std::nullopt;
    }
  }
  const std::optional<BitmapSlice> slice = bitmapAt(bytes, 0);
  if (!slice) {
    *why = QStringLiteral("BMP ファイルのヘッダーのつじつまが合っていません");
    return std::nullopt;
  }
  BitmapLayout l;
  l.width = slice->width;
  l.height = slice->height;
  l.bitDepth = slice->bitDepth;
  l.pixelOffset = u32(bytes, 10);
  l.rowBytes = (qsizetype(l.width) * l.bitDepth + 31) / 32 * 4;
  const quint32 info = u32(bytes, kFileHeader);
  const bool core = info == 12;
  const quint32 compression = core ? 0 : u32(bytes, kFileHeader + 16);
  l.topDown = !core && qint32(u32(bytes, kFileHeader + 8)) < 0;
  const qsizetype afterInfo = kFileHeader + info;
  if (l.bitDepth <= 8) {
    const quint32 used = core ? 0 : u32(bytes, kFileHeader + 32);
    const qsizetype count = std::min<qint64>(used ? used : 1 << l.bitDepth, 1 << l.bitDepth);
    const int entry = core ? 3 : 4;
    if (afterInfo + count * entry > l.pixelOffset) {
      *why = QStringLiteral("色表が画素のデータに重なっています");
      return std::nullopt;
    }
    for (qsizetype i = 0; i < count; ++i) {
      const char* e = bytes.constData() + afterInfo + i * entry;
      l.colours.append(qRgb(quint8(e[2]), quint8(e[1]), quint8(e[0])));
    }
    return l;
  }
  if (compression == 0) {
    if (l.bitDepth == 16) {
      l.red = 0x7c00, l.green = 0x03e0, l.blue = 0x001f;
    } else {
      l.red = 0xff0000, l.green = 0xff00, l.blue = 0xff;
      // A 32-bit pixel's fourth byte is alpha only when a newer header says so.
      if (info >= 56 && u32(bytes, kFileHeader + 52) == 0xff000000u) l.alpha = 0xff000000u;
    }
    return l;
  }
  // Bit fields: after a 40-byte info header, else inside the header.
  const qsizetype masks = info == 40 ? afterInfo : kFileHeader + 40;
  if (info == 40 && masks + 12 > l.pixelOffset) {
    *why = QStringLiteral("色のビットマスクが画素のデータに重なっています");
    return std::nullopt;
  }
  l.red = u32(bytes, masks);
  l.green = u32(bytes, masks + 4);
  l.blue = u32(bytes, masks + 8);
  l.alpha = info >= 56 ? u32(bytes, kFileHeader + 52) : 0;
  const bool separate = !(l.red & l.green) && !(l.red & l.blue) && !(l.green & l.blue) &&
                        !((l.red | l.green | l.blue) & l.alpha);
  if (!channelMask(l.red, l.bitDepth) || !channelMask(l.green, l.bitDepth) ||
      !channelMask(l.blue, l.bitDepth) || (l.alpha && !channelMask(l.alpha, l.bitDepth)) ||
      !separate) {
    *why = QStringLiteral("色のビットマスクが正しくありません");
    return std::nullopt;
  }
  return l;
}

// The position of the entry the toolkit maps each of `colours` to in `table`.
QList<int> entriesFor(const QList<QRgb>& table, const QList<QRgb>& colours) {
  QImage probe(int(colours.size()), 1, QImage::Format_RGB32);
  for (int i = 0; i < colours.size(); ++i) probe.setPixel(i, 0, colours[i]);
  const QImage mapped = probe.convertToFormat(QImage::Format_Indexed8, table, Qt::DiffuseDither);
  QList<int> out;
  for (int i = 0; i < colours.size(); ++i) out.append(mapped.pixelIndex(i, 0));
  return out;
}

Outcome readPart(const QString& folder, const char* name, QByteArray& bytes) {
  const QString shown = partPath(folder, name);
  platform::ByteFile f(platform::joinPath(folder, QLatin1String(name)));
  auto unreadable = [&] {
    return Outcome::refusal(
        QStringLiteral("おやつ工場の部品「%1」を読み込めません：%2").arg(shown, f.errorString()));
  };
  if (!f.open(platform::ByteFile::Mode::Read)) return unreadable();
  if (f.size() > kPartLimit)
    return Outcome::refusal(
        QStringLiteral("おやつ工場の部品「%1」は %2 MiB より大きいので使えません。")
            .arg(shown)
            .arg(kPartLimit >> 20));
  bytes.clear();
  if (f.size() > 0 && !f.readAt(0, f.size(), bytes)) return unreadable();
  return Outcome::success();
}

// The image reader's error in our own words: its own text is English.
QString readerError(QImageReader::ImageReaderError error) {
  switch (error) {
    case QImageReader::FileNotFoundError:
      return QStringLiteral("ファイルが見つかりません");
    case QImageReader::DeviceError:
      return QStringLiteral("ファイルを読み取れません");
    case QImageReader::UnsupportedFormatError:
      return QStringLiteral("絵のファイルの形式ではないか、読めない形式です");
    case QImageReader::InvalidDataError:
      return QStringLiteral("絵のデータが壊れているか、途中で切れています");
    default:
      return QStringLiteral("原因のわからないエラーで読み込めませんでした");
  }
}

// Channel value `c` (0 to 255) in the bits of `mask`, rounded.
quint32 channel(int c, quint32 mask) {
  if (!mask) return 0;
  const int shift = std::countr_zero(mask);
  const quint64 top = mask >> shift;
  return quint32((quint64(c) * top + 127) / 255) << shift;
}

// Writes every row of `part`'s pixels from `rgb` (opaque, of the layout's
// size), padding bytes zero.
void putRows(QByteArray& part, const BitmapLayout& l, const QImage& rgb) {
  QImage indexed;
  if (l.bitDepth <= 8)
    indexed = rgb.convertToFormat(QImage::Format_Indexed8, l.colours, Qt::DiffuseDither);
  uchar* data = reinterpret_cast<uchar*>(part.data()) + l.pixelOffset;
  for (int r = 0; r < l.height; ++r) {
    const int y = l.topDown ? r : l.height - 1 - r;
    uchar* d = data + qsizetype(r) * l.rowBytes;
    std::memset(d, 0, size_t(l.rowBytes));
    if (l.bitDepth <= 8) {
      const uchar* from = indexed.constScanLine(y);
      const int bits = l.bitDepth;
      for (int x = 0; x < l.width; ++x) {
        const int bit = x * bits;
        d[bit / 8] |= uchar(from[x] << (8 - bits - bit % 8));
      }
      continue;
    }
    const QRgb* from = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    const int bytes = l.bitDepth / 8;
    for (int x = 0; x < l.width; ++x) {
      const QRgb c = from[x];
      const quint32 v = channel(qRed(c), l.red) | channel(qGreen(c), l.green) |
                        channel(qBlue(c), l.blue) | l.alpha;
      for (int b = 0; b < bytes; ++b) d[x * bytes + b] = uchar(v >> (8 * b));
    }
  }
}

}  // namespace

Outcome readTemplates(const QString& factoryFolder, PictureTemplates& t) {
  PictureTemplates read;
  for (auto [name, bytes] : {std::pair{"head.dat", &read.head}, std::pair{"Image.bmp", &read.image},
                             std::pair{"mask.bmp", &read.mask}}) {
    if (Outcome o = readPart(factoryFolder, name, *bytes); !o.ok) return o;
  }
  QString why;
  const auto refused = [&](const char* part) {
    return Outcome::refusal(
        QStringLiteral(
            "おやつ工場の部品「%1」に絵を入れられません：%2。ファイルは作りませんでした。")
            .arg(partPath(factoryFolder, part), why));
  };
  const std::optional<BitmapLayout> image = bitmapLayoutOf(read.image, &why);
  if (!image) return refused("Image.bmp");
  const std::optional<BitmapLayout> mask = bitmapLayoutOf(read.mask, &why);
  if (!mask) return refused("mask.bmp");
  if (mask->width != image->width || mask->height != image->height) {
    why = QStringLiteral("大きさ %1 × %2 が Image.bmp の %3 × %4 と違います")
              .arg(mask->width)
              .arg(mask->height)
              .arg(image->width)
              .arg(image->height);
    return refused("mask.bmp");
  }
  if (!mask->colours.isEmpty()) {
    const QList<int> ends = entriesFor(mask->colours, {qRgb(255, 255, 255), qRgb(0, 0, 0)});
    if (ends[0] == ends[1]) {
      why = QStringLiteral("色表に、白に近い色と黒に近い色が別々にありません");
      return refused("mask.bmp");
    }
  }
  read.imageLayout = *image;
  read.maskLayout = *mask;
  t = std::move(read);
  return Outcome::success();
}

Outcome readPictureFile(const QString& path, QImage& picture) {
  const QString shown = platform::nativePath(path);
  if (!QFileInfo(path).isFile())
    return Outcome::refusal(QStringLiteral("絵のファイル「%1」がありません。").arg(shown));
  QImageReader reader(path);
  reader.setAutoTransform(true);
  const QSize size = reader.size();
  if (size.isValid()) {
    const QImage::Format format = reader.imageFormat();
    const int depth = std::max(
        format == QImage::Format_Invalid ? 32 : QImage::toPixelFormat(format).bitsPerPixel(), 32);
    if (qint64(size.width()) * size.height() * (depth / 8) > qint64(kPictureLimitMiB) << 20)
      return Outcome::refusal(
          QStringLiteral("絵のファイル「%1」は %2 × %3 ピクセルあり、読み込むと %4 MiB "
                         "を超えるので読み込みません。もっと小さな絵を選んでください。")
              .arg(shown)
              .arg(size.width())
              .arg(size.height())
              .arg(kPictureLimitMiB));
  }
  // The same limit for readers that learn the size only while decoding.
  const int previous = QImageReader::allocationLimit();
  QImageReader::setAllocationLimit(kPictureLimitMiB);
  QImage read;
  const bool ok = reader.read(&read);
  QImageReader::setAllocationLimit(previous);
  if (!ok)
    return Outcome::refusal(QStringLiteral("絵のファイル「%1」を読み込めません：%2")
                                .arg(shown, readerError(reader.error())));
  picture = std::move(read);
  return Outcome::success();
}

bool takesKeyColour(const QImage& picture) { return !picture.hasAlphaChannel(); }

QImage fitPicture(QImage picture, QSize size, bool keyColour) {
  QImage out(size, QImage::Format_ARGB32);
  out.fill(0);
  if (picture.isNull() || size.isEmpty()) return out;
  // Converted in place: a caller that keeps its picture passes a shared copy.
  QImage source = std::move(picture);
  if (!takesKeyColour(source)) {
    source.convertTo(QImage::Format_ARGB32);
  } else if (!keyColour) {
    source.convertTo(QImage::Format_RGB32);
  } else {
    // The key colour's pixels become transparent; every other pixel of a
    // 32-bit RGB image is opaque (alpha 0xff), so premultiplied as it is.
    // Pixels are compared in the picture's own coding: two colours of a
    // 16-bit picture may differ only below the top 8 bits of each channel.
    // A picture with a colour table is compared by colour, as one colour may
    // stand in the table twice.
    const QImage own = source;
    source = own.convertToFormat(QImage::Format_RGB32);
    const int width = source.width();
    const bool byColour = own.depth() < 8 || own.format() == QImage::Format_Indexed8;
    const qsizetype bytes = own.depth() / 8;
    const uchar* key = own.constScanLine(0);
    const QRgb keyRgb = reinterpret_cast<const QRgb*>(source.constScanLine(0))[0];
    for (int y = 0; y < source.height(); ++y) {
      QRgb* line = reinterpret_cast<QRgb*>(source.scanLine(y));
      const uchar* from = own.constScanLine(y);
      for (int x = 0; x < width; ++x) {
        const bool same =
            byColour ? line[x] == keyRgb : std::memcmp(from + x * bytes, key, size_t(bytes)) == 0;
        if (same) line[x] = 0;
      }
    }
    source.reinterpretAsFormat(QImage::Format_ARGB32_Premultiplied);
  }
  const int w = source.width(), h = source.height();
  QSize fitted;
  QImage scaled;
  if (w <= size.width() && h <= size.height()) {
    const int times = std::min(size.width() / w, size.height() / h);
    fitted = QSize(w * times, h * times);
    scaled = times == 1 ? source : source.scaled(fitted);
  } else {
    const double s = std::min(double(size.width()) / w, double(size.height()) / h);
    fitted = QSize(std::clamp(int(std::lround(w * s)), 1, size.width()),
                   std::clamp(int(std::lround(h * s)), 1, size.height()));
    scaled = source.scaled(fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  }
  // Colours as if opaque: premultiplied pixels are divided out again.
  scaled.convertTo(QImage::Format_ARGB32);
  const int left = (size.width() - fitted.width()) / 2;
  const int top = (size.height() - fitted.height()) / 2;
  for (int y = 0; y < fitted.height(); ++y) {
    const QRgb* from = reinterpret_cast<const QRgb*>(scaled.constScanLine(y));
    QRgb* to = reinterpret_cast<QRgb*>(out.scanLine(top + y)) + left;
    for (int x = 0; x < fitted.width(); ++x)
      to[x] = qAlpha(from[x]) < 128 ? 0 : (from[x] | 0xff000000u);
  }
  return out;
}

QByteArray snackBytes(const PictureTemplates& t, const QImage& fitted) {
  const QSize size = t.size();
  QImage picture(size, QImage::Format_RGB32), mask(size, QImage::Format_RGB32);
  const QImage shown = fitted.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < size.height(); ++y) {
    const QRgb* from =
        y < shown.height() ? reinterpret_cast<const QRgb*>(shown.constScanLine(y)) : nullptr;
    QRgb* p = reinterpret_cast<QRgb*>(picture.scanLine(y));
    QRgb* m = reinterpret_cast<QRgb*>(mask.scanLine(y));
    for (int x = 0; x < size.width(); ++x) {
      const bool on = from && x < shown.width() && qAlpha(from[x]) >= 128;
      p[x] = on ? (from[x] | 0xff000000u) : 0xff000000u;
      m[x] = on ? 0xff000000u : 0xffffffffu;
    }
  }
  QByteArray image = t.image, maskPart = t.mask;
  putRows(image, t.imageLayout, picture);
  putRows(maskPart, t.maskLayout, mask);
  return t.head + image + maskPart;
}

Outcome makeSnackBytes(const QString& factoryFolder, QImage picture, bool keyColour,
                       QByteArray& bytes) {
  PictureTemplates t;
  if (Outcome o = readTemplates(factoryFolder, t); !o.ok) return o;
  bytes = snackBytes(t, fitPicture(std::move(picture), t.size(), keyColour));
  return Outcome::success();
}

Outcome writeSnackFile(const QString& factoryFolder, const QString& outputName,
                       const QByteArray& bytes, const platform::NativePath& currentSnack,
                       HistoryAction* history) {
  FactoryTarget target;
  if (Outcome o = checkFactoryOutput(factoryFolder, outputName, currentSnack, target); !o.ok)
    return o;
  return writeFactoryOutput(
      target,
      [&](QIODevice& out, QString* error) {
        if (out.write(bytes) == bytes.size()) return true;
        *error = platform::writeFailure(out);
        return false;
      },
      history);
}

Outcome makeSnackFromPicture(const QString& factoryFolder, const QString& picturePath,
                             bool keyColour, const QString& outputName,
                             const platform::NativePath& currentSnack, HistoryAction* history) {
  // A name the factory refuses is told before any picture is read.
  FactoryTarget target;
  if (Outcome o = checkFactoryOutput(factoryFolder, outputName, currentSnack, target); !o.ok)
    return o;
  QImage picture;
  if (Outcome o = readPictureFile(picturePath, picture); !o.ok) return o;
  QByteArray bytes;
  if (Outcome o = makeSnackBytes(factoryFolder, std::move(picture), keyColour, bytes); !o.ok)
    return o;
  return writeSnackFile(factoryFolder, outputName, bytes, currentSnack, history);
}

}  // namespace snack
