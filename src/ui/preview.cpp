// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/preview.h"

#include <QPainter>
#include <QPixmap>
#include <algorithm>

namespace ui {

namespace {

constexpr int kSquare = 8;
const QColor kLightSquare(255, 255, 255);
const QColor kDarkSquare(221, 221, 221);

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

QImage decodeBitmap(QByteArrayView file, const snack::BitmapSlice& slice) {
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

SnackDrawing drawSnack(QByteArrayView file, const snack::PictureParts& parts) {
  if (!parts.picture) return {};
  const snack::BitmapSlice& p = *parts.picture;
  // A mask of another size is not used, so it is not decoded either.
  const bool sameSize =
      parts.mask && parts.mask->width == p.width && parts.mask->height == p.height;
  return drawSnack(decodeBitmap(file, p), sameSize ? decodeBitmap(file, *parts.mask) : QImage());
}

QImage previewImage(const SnackDrawing& drawing, QSize box, qreal pixelRatio) {
  const QSize room = (QSizeF(box) * pixelRatio).toSize();
  if (drawing.image.isNull() || room.isEmpty()) return {};
  const QSize own = drawing.image.size();
  const double fit =
      std::min(double(room.width()) / own.width(), double(room.height()) / own.height());
  QImage scaled;
  if (fit >= 1) {
    const int times = int(fit);
    scaled = times == 1 ? drawing.image : drawing.image.scaled(own * times);
  } else {
    scaled = drawing.image.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  }
  QImage out(room, QImage::Format_ARGB32_Premultiplied);
  out.fill(Qt::transparent);
  const QRect place(
      QPoint((room.width() - scaled.width()) / 2, (room.height() - scaled.height()) / 2),
      scaled.size());
  QPainter p(&out);
  if (drawing.masked) {
    const int square = std::max(1, int(kSquare * pixelRatio));
    p.fillRect(place, kLightSquare);
    for (int y = 0; y < place.height(); y += square)
      for (int x = (y / square + 1) % 2 * square; x < place.width(); x += 2 * square)
        p.fillRect(QRect(place.topLeft() + QPoint(x, y), QSize(square, square)) & place,
                   kDarkSquare);
  }
  p.drawImage(place.topLeft(), scaled);
  p.end();
  out.setDevicePixelRatio(pixelRatio);
  return out;
}

PicturePreview::PicturePreview(QWidget* parent) : QLabel(parent) {
  setAlignment(Qt::AlignCenter);
  setWordWrap(true);
  setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  setAccessibleName(QStringLiteral("おやつの絵"));
}

void PicturePreview::showText(const QString& text) {
  setPixmap(QPixmap());
  setText(text);
  setAccessibleDescription(text);
}

void PicturePreview::clearPicture() { showText(QString()); }

void PicturePreview::showFile(const platform::NativePath& path) {
  const snack::PictureFile file = snack::readPicture(path);
  if (file.status == snack::PictureFile::Status::TooLarge ||
      file.status == snack::PictureFile::Status::Unreadable) {
    showText(file.message);
    return;
  }
  showSnack(file.bytes, file.parts);
}

void PicturePreview::showSnack(QByteArrayView file, const snack::PictureParts& parts) {
  const SnackDrawing drawing = drawSnack(file, parts);
  if (drawing.image.isNull()) {
    showText(QStringLiteral("絵がありません"));
    return;
  }
  setText(QString());
  setPixmap(QPixmap::fromImage(previewImage(drawing, contentsRect().size(), devicePixelRatioF())));
  setAccessibleDescription(QStringLiteral("幅 %1 × 高さ %2 ピクセル")
                               .arg(drawing.image.width())
                               .arg(drawing.image.height()));
}

}  // namespace ui
