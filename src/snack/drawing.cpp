// SPDX-License-Identifier: GPL-3.0-or-later
#include "snack/drawing.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>

#include "platform/bytefile.h"

namespace snack {

namespace {

// Whether every pixel of `mask` (32-bit RGB) is black or white.
bool twoColours(const QImage& mask) {
  for (int y = 0; y < mask.height(); ++y) {
    const QRgb* line = reinterpret_cast<const QRgb*>(mask.constScanLine(y));
    for (int x = 0; x < mask.width(); ++x)
      if (line[x] != 0xff000000u && line[x] != 0xffffffffu) return false;
  }
  return true;
}

}  // namespace

QImage decodeBitmap(QByteArrayView file, const BitmapSlice& slice) {
  if (slice.offset < 0 || slice.size <= 0 || slice.offset + slice.size > file.size()) return {};
  return QImage::fromData(file.sliced(slice.offset, slice.size), "BMP");
}

SnackDrawing drawSnack(const QImage& picture, const QImage& mask) {
  SnackDrawing out;
  if (picture.isNull()) return out;
  // The picture's own alpha (32-bit files) takes no part: a picture is opaque.
  out.image = picture.convertToFormat(QImage::Format_RGB32);
  out.image.convertTo(QImage::Format_ARGB32_Premultiplied);  // in place: both 32 bits
  if (mask.isNull() || mask.size() != picture.size()) return out;
  const QImage m = mask.convertToFormat(QImage::Format_RGB32);
  if (!twoColours(m)) return out;
  for (int y = 0; y < m.height(); ++y) {
    const QRgb* from = reinterpret_cast<const QRgb*>(m.constScanLine(y));
    QRgb* to = reinterpret_cast<QRgb*>(out.image.scanLine(y));
    for (int x = 0; x < m.width(); ++x)
      if (from[x] == 0xffffffffu) to[x] = 0;
  }
  out.masked = true;
  return out;
}

SnackDrawing drawSnack(QByteArrayView file, const PictureParts& parts) {
  if (!parts.picture) return {};
  const BitmapSlice& p = *parts.picture;
  // A mask of another size is not used, so it is not decoded either.
  const bool sameSize =
      parts.mask && parts.mask->width == p.width && parts.mask->height == p.height;
  return drawSnack(decodeBitmap(file, p), sameSize ? decodeBitmap(file, *parts.mask) : QImage());
}

QImage fitDrawing(const QImage& image, QSize room) {
  if (image.isNull() || room.isEmpty()) return {};
  const QSize own = image.size();
  const double fit =
      std::min(double(room.width()) / own.width(), double(room.height()) / own.height());
  if (fit >= 1) {
    const int times = int(fit);
    return times == 1 ? image : image.scaled(own * times);
  }
  return image.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

Outcome writeThumbnail(const platform::NativePath& snackPath, int size, const QString& pngPath) {
  const QString shown = snackPath.shown();
  auto refused = [&](const QString& why) { return Outcome::refusal(why); };
  // The output first: a thumbnail never takes the place of a snack or of any
  // other file that is not a picture of this kind.
  const QFileInfo out(pngPath);
  if (out.exists()) {
    const QFileInfo in(QFile::decodeName(snackPath.bytes()));
    if (in.exists() && out.canonicalFilePath() == in.canonicalFilePath())
      return refused(QStringLiteral("出力先「%1」はおやつファイルそのものです。").arg(pngPath));
    QFile existing(pngPath);
    if (!out.isFile() || !existing.open(QIODevice::ReadOnly))
      return refused(QStringLiteral("出力先「%1」はファイルではないか、読めません。").arg(pngPath));
    const QByteArray start = existing.read(8);
    if (!start.isEmpty() && start != QByteArrayLiteral("\x89PNG\r\n\x1a\n"))
      return refused(
          QStringLiteral("出力先「%1」は PNG ファイルではないので、書き換えません。").arg(pngPath));
  }

  const PictureFile file = readPicture(snackPath);
  if (file.status == PictureFile::Status::TooLarge ||
      file.status == PictureFile::Status::Unreadable)
    return Outcome::failure(file.message);
  const SnackDrawing drawing = drawSnack(file.bytes, file.parts);
  if (drawing.image.isNull())
    return Outcome::failure(QStringLiteral("おやつファイル「%1」には絵がありません。").arg(shown));
  const QImage thumbnail = fitDrawing(drawing.image, QSize(size, size));

  auto writeFailed = [&](const QString& reason) {
    return Outcome::failure(
        QStringLiteral("サムネイル「%1」を書き込めません：%2").arg(pngPath, reason));
  };
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  if (!thumbnail.save(&buffer, "PNG")) return writeFailed(QStringLiteral("PNG に変換できません。"));
  QSaveFile save(pngPath);
  save.setDirectWriteFallback(false);
  if (!save.open(QIODevice::WriteOnly)) return writeFailed(save.errorString());
  if (save.write(png) != png.size() || !save.flush()) {
    const QString reason = platform::writeFailure(save);
    save.cancelWriting();
    return writeFailed(reason);
  }
  if (!save.commit()) return writeFailed(platform::writeFailure(save));
  return Outcome::success();
}

}  // namespace snack
