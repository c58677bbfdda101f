// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The snack's picture in the file selection window and the snack list.
#include <QByteArrayView>
#include <QImage>
#include <QLabel>
#include <QSize>

#include "platform/paths.h"
#include "snack/drawing.h"
#include "snack/picture.h"

namespace ui {

// The drawing itself is the core's (snack/drawing.h), shared with the
// command line's thumbnails.
using snack::decodeBitmap;
using snack::drawSnack;
using snack::SnackDrawing;

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
