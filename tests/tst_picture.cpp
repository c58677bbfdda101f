// SPDX-License-Identifier: GPL-3.0-or-later
// The snack's picture: finding the picture and mask parts, drawing them, and
// the preview of the file selection window.
#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QListView>
#include <QTest>
#include <cstdlib>

#include "snack/picture.h"
#include "ui/form1.h"
#include "ui/look.h"
#include "ui/preview.h"
#include "window_support.h"

using samplegen::bmp;
using samplegen::headerTemplate;
using samplegen::maskBmp;
using samplegen::pictureBmp;
using samplegen::snackImage;

namespace {

QColor at(const QImage& image, int x, int y) { return QColor::fromRgba(image.pixel(x, y)); }

bool similar(const QColor& a, const QColor& b) {
  return std::abs(a.red() - b.red()) <= 8 && std::abs(a.green() - b.green()) <= 8 &&
         std::abs(a.blue() - b.blue()) <= 8 && a.alpha() == b.alpha();
}

const QColor kLeaf(40, 160, 60);  // the cake's leaf, at (32, 4) of a 64 × 48 picture
const QColor kBlack(0, 0, 0);
const QColor kNone(0, 0, 0, 0);

}  // namespace

class TstPicture : public QObject {
  Q_OBJECT
 private slots:
  void cleanup() { testing::unloadDialogs(); }
  void locateAndDraw_data();
  void locateAndDraw();
  void previewOverCheckerboard();
  void readRefusals();
  void formFollowsSelection();
};

// Columns: the file; where the picture and mask are found (-1: not found) and
// the picture's size; the colour drawn at (32, 4) and at the corner (0, 0).
void TstPicture::locateAndDraw_data() {
  QTest::addColumn<QByteArray>("file");
  QTest::addColumn<int>("picture");
  QTest::addColumn<int>("pictureSize");
  QTest::addColumn<int>("mask");
  QTest::addColumn<QColor>("snack");
  QTest::addColumn<QColor>("corner");
  const QByteArray head = headerTemplate(1024);
  const QByteArray mask1 = maskBmp(0, 64, 48, 1);  // 446 bytes
  // Palettes take the first colours in reading order: black, then the leaf.
  const struct {
    int bits, size;
  } depths[] = {{1, 446}, {4, 1654}, {8, 4150}, {16, 6198}, {24, 9270}, {32, 12342}};
  for (const auto& d : depths)
    QTest::addRow("%d bits, masked", d.bits) << head + pictureBmp(0, 64, 48, d.bits) + mask1 << 1024
                                             << d.size << 1024 + d.size << kLeaf << kNone;
  const QByteArray picture = pictureBmp(0, 64, 48, 24);
  QTest::newRow("24-bit mask") << head + picture + maskBmp(0, 64, 48, 24) << 1024 << 9270
                               << 1024 + 9270 << kLeaf << kNone;
  QTest::newRow("top row first") << head + bmp(snackImage(0, 64, 48), {24, true}) + mask1 << 1024
                                 << 9270 << 1024 + 9270 << kLeaf << kNone;
  QTest::newRow("old 12-byte header") << head + bmp(snackImage(0, 64, 48), {8, false, true}) + mask1
                                      << 1024 << 3866 << 1024 + 3866 << kLeaf << kNone;
  QTest::newRow("no mask") << head + picture << 1024 << 9270 << -1 << kLeaf << kBlack;
  QTest::newRow("mask of another size")
      << head + picture + maskBmp(0, 32, 32, 1) << 1024 << 9270 << 1024 + 9270 << kLeaf << kBlack;
  QTest::newRow("mask of many colours") << head + picture + pictureBmp(0, 64, 48, 24) << 1024
                                        << 9270 << 1024 + 9270 << kLeaf << kBlack;
  QTest::newRow("file ends inside the picture")
      << head + picture.left(5000) << -1 << 0 << -1 << QColor() << QColor();
  QTest::newRow("mask cut short") << head + picture + mask1.left(300) << 1024 << 9270 << -1 << kLeaf
                                  << kBlack;
  QTest::newRow("904-byte file") << headerTemplate(904) << -1 << 0 << -1 << QColor() << QColor();
  QTest::newRow("picture right after 904 bytes")
      << headerTemplate(904) + picture + mask1 << 904 << 9270 << 904 + 9270 << kLeaf << kNone;
  QTest::newRow("header of 3000 bytes")
      << headerTemplate(3000) + picture + mask1 << 3000 << 9270 << 3000 + 9270 << kLeaf << kNone;
  // "BM" in the header's rest: loose letters, a header whose size runs past the
  // file, and a whole small bitmap that is not followed by a mask at the end.
  QByteArray trap = headerTemplate(1200);
  trap.replace(905, 2, "BM");
  trap.replace(920, 18,
               QByteArray("BM\xff\xff\x00\x00\x00\x00\x00\x00\x36\x00\x00\x00(\0\0\0", 18));
  trap.replace(940, 102, pictureBmp(1, 4, 4, 24));
  QTest::newRow("BM in the header's rest")
      << trap + picture + mask1 << 1200 << 9270 << 1200 + 9270 << kLeaf << kNone;
  QTest::newRow("BM in the header's rest, no picture after it")
      << trap << 940 << 102 << -1 << QColor() << QColor();
  QTest::newRow("bitmap before offset 904")
      << pictureBmp(0, 64, 48, 24) + QByteArray(2000, 'x') << -1 << 0 << -1 << QColor() << QColor();
}

void TstPicture::locateAndDraw() {
  QFETCH(QByteArray, file);
  QFETCH(int, picture);
  QFETCH(int, pictureSize);
  QFETCH(int, mask);
  QFETCH(QColor, snack);
  QFETCH(QColor, corner);
  const snack::PictureParts parts = snack::locatePicture(file);
  QCOMPARE(parts.picture ? int(parts.picture->offset) : -1, picture);
  QCOMPARE(parts.picture ? int(parts.picture->size) : 0, pictureSize);
  QCOMPARE(parts.mask ? int(parts.mask->offset) : -1, mask);
  if (!snack.isValid()) return;
  QCOMPARE(parts.picture->width, 64);
  QCOMPARE(parts.picture->height, 48);
  const ui::SnackDrawing drawing = ui::drawSnack(file, parts);
  QCOMPARE(drawing.image.size(), QSize(64, 48));
  QVERIFY2(similar(at(drawing.image, 32, 4), snack), qPrintable(at(drawing.image, 32, 4).name()));
  QCOMPARE(at(drawing.image, 0, 0), corner);
  QCOMPARE(drawing.masked, corner.alpha() == 0);
}

// A 64 × 48 drawing in a 169 × 169 box grows twice and sits at (20, 36).
void TstPicture::previewOverCheckerboard() {
  const QByteArray file = headerTemplate(1024) + pictureBmp(0, 64, 48, 24) + maskBmp(0, 64, 48, 1);
  const ui::SnackDrawing drawing = ui::drawSnack(file, snack::locatePicture(file));
  const QImage box = ui::previewImage(drawing, QSize(169, 169));
  QCOMPARE(box.size(), QSize(169, 169));
  QCOMPARE(at(box, 19, 36), kNone);                  // left of the picture
  QCOMPARE(at(box, 20, 36), QColor(255, 255, 255));  // background: a light square
  QCOMPARE(at(box, 28, 36), QColor(221, 221, 221));  // the next square is darker
  QCOMPARE(at(box, 20, 44), QColor(221, 221, 221));
  QCOMPARE(at(box, 20 + 64, 36 + 8), kLeaf);  // picture (32, 4)
  QCOMPARE(at(box, 20 + 65, 36 + 9), kLeaf);
  QCOMPARE(at(box, 84, 36 + 96), kNone);  // below the picture
  // A drawing larger than the box shrinks to fit, keeping its proportions.
  const QByteArray big = headerTemplate(1024) + pictureBmp(1, 400, 200, 24);
  const QImage shrunk = ui::previewImage(ui::drawSnack(big, snack::locatePicture(big)), {100, 100});
  QCOMPARE(at(shrunk, 50, 24), kNone);
  QCOMPARE(at(shrunk, 0, 50), kBlack);  // the picture as it is, without a mask
  QCOMPARE(at(shrunk, 50, 74), kBlack);
  QCOMPARE(at(shrunk, 50, 75), kNone);
}

void TstPicture::readRefusals() {
  testing::WindowWorkspace ws;
  QFile big(ws.snack("big.pac"));
  QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(17 << 20));
  big.close();
  const snack::PictureFile tooLarge = snack::readPicture(ws.snack("big.pac"));
  QCOMPARE(tooLarge.status, snack::PictureFile::Status::TooLarge);
  QVERIFY(tooLarge.message.contains("「big.pac」") && tooLarge.message.contains("16 MB"));
  QVERIFY(tooLarge.bytes.isEmpty());
  const snack::PictureFile gone = snack::readPicture(ws.snack("gone.pac"));
  QCOMPARE(gone.status, snack::PictureFile::Status::Unreadable);
  QVERIFY2(gone.message.startsWith("「gone.pac」を読み込めません："), qPrintable(gone.message));
}

// The preview follows the selection, by mouse and by keyboard, and reads only.
void TstPicture::formFollowsSelection() {
  testing::WindowWorkspace ws;
  QVERIFY(samplegen::writeFile(ws.snack("zzz.pac"), headerTemplate(904)));
  const auto before = ws.checksums();
  Form1 form;
  form.FILE_READ_Click();
  Form3* f3 = Form3Window.get();
  QVERIFY(testing::showActive(f3));
  auto* list = testing::child<QListView>(f3, "File1");
  auto* preview = testing::child<QLabel>(f3, "Picture1");
  // The window grew to the right; the controls kept their places.
  QCOMPARE(f3->size(), QSize(490, 213));
  QCOMPARE(list->geometry(), QRect(8, 32, 289, 126));
  QCOMPARE(preview->geometry(), QRect(313, 32, 169, 169));
  for (auto* b : f3->findChildren<QPushButton*>())
    QVERIFY(b->geometry() == QRect(152, 176, 65, 25) || b->geometry() == QRect(240, 176, 65, 25));
  QAccessibleInterface* access = QAccessible::queryAccessibleInterface(preview);
  QCOMPARE(access->text(QAccessible::Name), QString("おやつの絵"));
  QVERIFY(preview->pixmap().isNull());

  testing::layOut(list);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                    list->visualRect(list->model()->index(0, 0)).center());  // fruit10.pac
  QCOMPARE(access->text(QAccessible::Description), QString("幅 96 × 高さ 64 ピクセル"));
  QVERIFY(!preview->pixmap().isNull());
  QTest::keyClick(list, Qt::Key_Down);  // houjicha.pac, 48 × 64, twice as large at (35, 19)
  QCOMPARE(access->text(QAccessible::Description), QString("幅 48 × 高さ 64 ピクセル"));
  const QImage shown = preview->pixmap().toImage();
  QCOMPARE(shown.size(), QSize(167, 167));  // inside the frame
  QCOMPARE(at(shown, 34, 19), kNone);
  QCOMPARE(at(shown, 35, 19), QColor(255, 255, 255));           // background over the checkerboard
  QCOMPARE(at(shown, 35 + 48, 19 + 100), QColor(150, 90, 50));  // the cup at (24, 50)
  QTest::keyClick(list, Qt::Key_End);                           // zzz.pac: 904 bytes, no picture
  QCOMPARE(preview->text(), QString("絵がありません"));
  QVERIFY(preview->pixmap().isNull());
  QCOMPARE(access->text(QAccessible::Description), QString("絵がありません"));
  QCOMPARE(ws.checksums(), before);
}

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  ui::installFontSubstitutes();
  TstPicture t;
  return QTest::qExec(&t, argc, argv);
}
#include "tst_picture.moc"
