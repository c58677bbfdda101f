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

}  // namespace

QImage previewImage(const SnackDrawing& drawing, QSize box, qreal pixelRatio) {
  const QSize room = (QSizeF(box) * pixelRatio).toSize();
  const QImage scaled = snack::fitDrawing(drawing.image, room);
  if (scaled.isNull()) return {};
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
