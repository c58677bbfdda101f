// SPDX-License-Identifier: GPL-3.0-or-later
// A new snack from any picture: the bytes made in each template's coding,
// what is refused, and the window.
#include <QApplication>
#include <QTest>

#include "snack/picturemaker.h"
#include "ui/look.h"
#include "window_support.h"

using samplegen::bmp;

namespace {

// 7 × 6 templates: a picture whose first colours are red and white (so a
// 1-bit table has no black) and a mask whose first colours are black and white.
QImage templateImage(QRgb first, QRgb second) {
  QImage image(7, 6, QImage::Format_RGB32);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 7; ++x) image.setPixel(x, y, (x + y) % 2 ? second : first);
  return image;
}

const QRgb kRed = qRgb(255, 0, 0), kWhite = qRgb(255, 255, 255), kBlack = qRgb(0, 0, 0),
           kGreen = qRgb(0, 255, 0);
const QByteArray kTail = "TAIL!";  // bytes after the rows, kept

QImage picture(int w, int h, const QList<QRgb>& pixels) {
  QImage image(w, h, QImage::Format_ARGB32);
  for (int i = 0; i < pixels.size(); ++i) image.setPixel(i % w, i / w, pixels[i]);
  return image;
}

// One letter a pixel: R red, W white, K black, G green (the key colour).
QImage opaque(const QStringList& rows) {
  QImage image(int(rows[0].size()), int(rows.size()), QImage::Format_RGB32);
  for (int y = 0; y < rows.size(); ++y)
    for (int x = 0; x < rows[y].size(); ++x) {
      const char c = rows[y][x].toLatin1();
      image.setPixel(x, y, c == 'R' ? kRed : c == 'W' ? kWhite : c == 'K' ? kBlack : kGreen);
    }
  return image;
}

// A picture of `rows`, each letter a square of `side` pixels.
QImage blocks(const QStringList& rows, int side) {
  const QImage small = opaque(rows);
  return small.scaled(small.size() * side);
}

}  // namespace

class TstPictureMaker : public QObject {
  Q_OBJECT
 private slots:
  void cleanup() { testing::unloadDialogs(); }
  void bytes_data();
  void bytes();
};

// Columns: the template's coding; where its pixel rows lie; the colours the
// toolkit's reader gives back for red, white and black (background) in the
// picture part and for white in the mask part (same coding); the picture, the
// key colour, and the snack expected: '.' background, R W K shown.
void TstPictureMaker::bytes_data() {
  QTest::addColumn<int>("bits");
  QTest::addColumn<bool>("topDown");
  QTest::addColumn<bool>("fields565");
  QTest::addColumn<int>("rowsFrom");
  QTest::addColumn<int>("rowsTo");
  QTest::addColumn<QColor>("red");
  QTest::addColumn<QColor>("white");
  QTest::addColumn<QColor>("black");
  QTest::addColumn<QColor>("maskWhite");
  QTest::addColumn<QImage>("picture");
  QTest::addColumn<bool>("key");
  QTest::addColumn<QStringList>("expected");
  const QColor red(255, 0, 0), white(255, 255, 255), black(0, 0, 0);
  const struct {
    const char* name;
    int bits;
    bool topDown, fields565;
    int from, to;
    QColor red, white, black, maskWhite;
  } templates[] = {
      // 1 bit: the table is red, white; black maps to red.
      {"1 bit", 1, false, false, 62, 86, red, white, red, white},
      {"4 bits", 4, false, false, 118, 142, red, white, black, white},
      {"8 bits", 8, false, false, 1078, 1126, red, white, black, white},
      {"16 bits 5-5-5",
       16,
       false,
       false,
       54,
       150,
       {248, 0, 0},
       {248, 248, 248},
       black,
       {248, 248, 248}},
      {"16 bits 5-6-5",
       16,
       false,
       true,
       66,
       162,
       {248, 0, 0},
       {248, 252, 248},
       black,
       {248, 252, 248}},
      {"24 bits", 24, false, false, 54, 198, red, white, black, white},
      {"32 bits", 32, false, false, 54, 222, red, white, black, white},
      {"24 bits top-down", 24, true, false, 54, 198, red, white, black, white},
  };
  const QRgb none = qRgba(255, 0, 0, 0);
  const struct {
    const char* name;
    QImage picture;
    bool key;
    QStringList expected;
  } pictures[] = {
      // 3 × 3 grows twice; alpha below 128 is background, partial alpha shows
      // its colour as opaque. The key colour does not apply with alpha.
      {"alpha",
       picture(3, 3,
               {kRed, none, kWhite, qRgba(255, 0, 0, 200), qRgba(255, 255, 255, 100), kBlack,
                kWhite, qRgba(255, 0, 0, 127), qRgba(255, 0, 0, 128)}),
       true,
       {"RR..WW.", "RR..WW.", "RR..KK.", "RR..KK.", "WW..RR.", "WW..RR."}},
      // As large as it fits: the spare row goes to the bottom.
      {"key colour",
       opaque({"GGRRRGG", "GWWWWWG", "GKKGKKG", "GRWRWRG", "GGGGGGG"}),
       true,
       {"..RRR..", ".WWWWW.", ".KK.KK.", ".RWRWR.", ".......", "......."}},
      // 8 × 24 shrinks to 2 × 6: two columns spare on the left, three on the right.
      {"larger",
       blocks({"RW", "WR", "KK", "RR", "WK", "RW"}, 4),
       false,
       {"..RW...", "..WR...", "..KK...", "..RR...", "..WK...", "..RW..."}},
      // 2 × 3 grows twice to 4 × 6.
      {"smaller",
       opaque({"RW", "KR", "WW"}),
       false,
       {".RRWW..", ".RRWW..", ".KKRR..", ".KKRR..", ".WWWW..", ".WWWW.."}},
  };
  for (const auto& t : templates)
    for (const auto& p : pictures)
      QTest::addRow("%s, %s", t.name, p.name)
          << t.bits << t.topDown << t.fields565 << t.from << t.to << t.red << t.white << t.black
          << t.maskWhite << p.picture << p.key << p.expected;
}

void TstPictureMaker::bytes() {
  QFETCH(int, bits);
  QFETCH(bool, topDown);
  QFETCH(bool, fields565);
  QFETCH(int, rowsFrom);
  QFETCH(int, rowsTo);
  QFETCH(QImage, picture);
  QFETCH(bool, key);
  QFETCH(QStringList, expected);
  const samplegen::BmpOptions options{bits, topDown, false, fields565};
  const QByteArray head = samplegen::headerTemplate(1000);
  const QByteArray image = bmp(templateImage(kRed, kWhite), options) + kTail;
  const QByteArray mask = bmp(templateImage(kBlack, kWhite), options) + kTail;
  QTemporaryDir dir;
  QVERIFY(samplegen::writeFile(dir.filePath("head.dat"), head));
  QVERIFY(samplegen::writeFile(dir.filePath("Image.bmp"), image));
  QVERIFY(samplegen::writeFile(dir.filePath("mask.bmp"), mask));

  QByteArray made;
  const snack::Outcome done = snack::makeSnackBytes(dir.path(), picture, key, made);
  QVERIFY2(done.ok, qPrintable(done.message));
  const int part = rowsTo + kTail.size();
  QCOMPARE(made.size(), 1000 + 2 * part);
  QCOMPARE(made.left(1000), head);
  // Outside the rows every byte is the template's; inside, the bits after the
  // last pixel of a row are zero.
  const int rowBytes = (rowsTo - rowsFrom) / 6;
  for (const auto& [at, bitmap] : {std::pair{1000, image}, std::pair{1000 + part, mask}}) {
    const QByteArray made1 = made.mid(at, part);
    QCOMPARE(made1.left(rowsFrom), bitmap.left(rowsFrom));
    QCOMPARE(made1.mid(rowsTo), bitmap.mid(rowsTo));
    for (int r = 0; r < 6; ++r)
      for (int bit = 7 * bits; bit < rowBytes * 8; ++bit)
        QVERIFY2(!(quint8(made1[rowsFrom + r * rowBytes + bit / 8]) & (0x80 >> bit % 8)),
                 qPrintable(QString("row %1, bit %2").arg(r).arg(bit)));
  }

  QFETCH(QColor, red);
  QFETCH(QColor, white);
  QFETCH(QColor, black);
  QFETCH(QColor, maskWhite);
  const QImage shown = QImage::fromData(made.mid(1000, part), "BMP");
  const QImage masked = QImage::fromData(made.mid(1000 + part, part), "BMP");
  QCOMPARE(shown.size(), QSize(7, 6));
  QCOMPARE(masked.size(), QSize(7, 6));
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 7; ++x) {
      const char c = expected[y][x].toLatin1();
      const QColor want = c == 'R' ? red : c == 'W' ? white : black;
      const QString where = QString("(%1, %2)").arg(x).arg(y);
      QCOMPARE(shown.pixelColor(x, y).rgb(), want.rgb());
      QVERIFY2(masked.pixelColor(x, y).rgb() == (c == '.' ? maskWhite : QColor(0, 0, 0)).rgb(),
               qPrintable(where));
    }
}

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  ui::installFontSubstitutes();
  TstPictureMaker t;
  return QTest::qExec(&t, argc, argv);
}
#include "tst_picturemaker.moc"
