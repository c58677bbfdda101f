// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The snack's picture, drawn from the picture and mask parts of its file the
// way Windows draws a sprite: the mask's black pixels are the snack, its white
// pixels the background.
#include <QByteArrayView>
#include <QImage>
#include <QLabel>
#include <QSize>

#include "platform/paths.h"
#include "snack/picture.h"

namespace ui {

// The bitmap `slice` of `file`, decoded by the toolkit's bitmap reader; a null
// image when the reader refuses it.
QImage decodeBitmap(QByteArrayView file, const snack::BitmapSlice& slice);

struct SnackDrawing {
  QImage image;  // premultiplied ARGB; null when there is no picture
  bool masked = false;
};

// Where `mask` is a two-colour image (black and white only) of the picture's
// size, its white pixels become transparent; otherwise the picture as it is.
SnackDrawing drawSnack(const QImage& picture, const QImage& mask);
// Decodes the located parts of a snack file and draws them.
SnackDrawing drawSnack(QByteArrayView file, const snack::PictureParts& parts);

// An image of `box` pixels: the drawing scaled to fit (whole multiples when it
// grows, so its pixels stay sharp; smoothly when it shrinks), centred, over a
// light checkerboard of 8-pixel squares where the snack lets the background
// show. Transparent around the picture.
QImage previewImage(const SnackDrawing& drawing, QSize box, qreal pixelRatio = 1);

// The preview box of the file selection window. Reads the file it is given
// and never writes it.
class PicturePreview : public QLabel {
  Q_OBJECT
 public:
  explicit PicturePreview(QWidget* parent = nullptr);

  void showFile(const platform::NativePath& path);
  // Shows the snack whose parts `parts` locates in `file`, already read.
  void showSnack(QByteArrayView file, const snack::PictureParts& parts);
  // Shows nothing, as before any file is selected.
  void clearPicture();
  // Shows a text instead of a picture.
  void showText(const QString& text);
};

}  // namespace ui
