// SPDX-License-Identifier: GPL-3.0-or-later
// A new snack from any picture: the bytes made in each template's coding,
// what is refused, and the window.
#include <QAccessible>
#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QTest>

#include "snack/picturemaker.h"
#include "ui/look.h"
#include "window_support.h"

using samplegen::bmp;

namespace {

const QRgb kRed = qRgb(255, 0, 0), kWhite = qRgb(255, 255, 255), kBlack = qRgb(0, 0, 0),
           kGreen = qRgb(0, 255, 0), kNone = qRgba(255, 0, 0, 0);
const QByteArray kTail = "TAIL!";  // bytes after the rows, kept

QImage picture(int w, int h, const QList<QRgb>& pixels) {
  QImage image(w, h, QImage::Format_ARGB32);
  for (int i = 0; i < pixels.size(); ++i) image.setPixel(i % w, i / w, pixels[i]);
  return image;
}

// One letter a pixel: R red, W white, K black, G green (the key colour).
QImage opaque(const QStringList& rows) {
  QList<QRgb> pixels;
  for (const QString& row : rows)
    for (QChar c : row)
      pixels << (c == 'R' ? kRed : c == 'W' ? kWhite : c == 'K' ? kBlack : kGreen);
  return picture(int(rows[0].size()), int(rows.size()), pixels)
      .convertToFormat(QImage::Format_RGB32);
}

// As opaque(), read back from a PNG of 16 bits a channel in which G, the key
// colour, is black and K differs from it only below the top 8 bits.
QImage png16(const QStringList& rows) {
  QImage image(int(rows[0].size()), int(rows.size()), QImage::Format_RGBX64);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const char c = rows[y][x].toLatin1();
      image.setPixelColor(x, y,
                          QColor::fromRgba64(c == 'R'   ? qRgba64(0xffff, 0, 0, 0xffff)
                                             : c == 'W' ? qRgba64(0xffff, 0xffff, 0xffff, 0xffff)
                                             : c == 'K' ? qRgba64(0x60, 0x60, 0x60, 0xffff)
                                                        : qRgba64(0, 0, 0, 0xffff)));
    }
  QByteArray png;
  QBuffer out(&png);
  out.open(QIODevice::WriteOnly);
  image.save(&out, "PNG");
  return QImage::fromData(png, "PNG");
}

// The template's coding; where its pixel rows lie; the colours the toolkit's
// reader gives back for red, white and black (background) in the picture part
// and for white in the mask part (of the same coding).
const QColor kR(255, 0, 0), kW(255, 255, 255), kK(0, 0, 0), kR5(248, 0, 0), kW5(248, 248, 248),
    kW565(248, 252, 248);
const struct {
  const char* name;
  samplegen::BmpOptions coding;
  int from, to;
  QColor red, white, black, maskWhite;
} kTemplates[] = {
    {"1 bit", {1}, 62, 86, kR, kW, kR, kW},  // the table is red, white: black maps to red
    {"4 bits", {4}, 118, 142, kR, kW, kK, kW},
    {"8 bits", {8}, 1078, 1126, kR, kW, kK, kW},
    {"16 bits 5-5-5", {16}, 54, 150, kR5, kW5, kK, kW5},
    {"16 bits 5-6-5", {16, false, false, true}, 66, 162, kR5, kW565, kK, kW565},
    {"24 bits", {24}, 54, 198, kR, kW, kK, kW},
    {"32 bits", {32}, 54, 222, kR, kW, kK, kW},
    {"24 bits top-down", {24, true}, 54, 198, kR, kW, kK, kW},
};

// The picture, the key colour, and the snack expected: '.' background, R W K shown.
const struct {
  const char* name;
  QImage picture;
  bool key;
  QStringList expected;
} kPictures[] = {
    // 3 × 3 grows twice; alpha below 128 is background, partial alpha shows its
    // colour as opaque. The key colour does not apply with alpha.
    {"alpha",
     picture(3, 3,
             {kRed, kNone, kWhite, qRgba(255, 0, 0, 200), qRgba(255, 255, 255, 100), kBlack, kWhite,
              qRgba(255, 0, 0, 127), qRgba(255, 0, 0, 128)}),
     true,
     {"RR..WW.", "RR..WW.", "RR..KK.", "RR..KK.", "WW..RR.", "WW..RR."}},
    // As large as it fits: the spare row goes to the bottom.
    {"key colour",
     opaque({"GGRRRGG", "GWWWWWG", "GKKGKKG", "GRWRWRG", "GGGGGGG"}),
     true,
     {"..RRR..", ".WWWWW.", ".KK.KK.", ".RWRWR.", ".......", "......."}},
    {"16-bit key colour",
     png16({"GGRRRGG", "GWWWWWG", "GKKGKKG", "GRWRWRG", "GGGGGGG"}),
     true,
     {"..RRR..", ".WWWWW.", ".KK.KK.", ".RWRWR.", ".......", "......."}},
    // 8 × 24 shrinks to 2 × 6: two columns spare on the left, three on the right.
    {"larger",
     opaque({"RW", "WR", "KK", "RR", "WK", "RW"}).scaled(8, 24),
     false,
     {"..RW...", "..WR...", "..KK...", "..RR...", "..WK...", "..RW..."}},
    // 2 × 3 grows twice to 4 × 6.
    {"smaller",
     opaque({"RW", "KR", "WW"}),
     false,
     {".RRWW..", ".RRWW..", ".KKRR..", ".KKRR..", ".WWWW..", ".WWWW.."}},
};

}  // namespace

class TstPictureMaker : public QObject {
  Q_OBJECT
 private slots:
  void cleanup() { testing::unloadDialogs(); }
  void bytes_data();
  void bytes();
  void refusals_data();
  void refusals();
  void window();
};

void TstPictureMaker::bytes_data() {
  QTest::addColumn<int>("t");
  QTest::addColumn<int>("p");
  for (int t = 0; t < int(std::size(kTemplates)); ++t)
    for (int p = 0; p < int(std::size(kPictures)); ++p)
      QTest::addRow("%s, %s", kTemplates[t].name, kPictures[p].name) << t << p;
}

void TstPictureMaker::bytes() {
  QFETCH(int, t);
  QFETCH(int, p);
  const auto& tm = kTemplates[t];
  const QByteArray head = samplegen::headerTemplate(1000);
  // 7 × 6 templates: a picture whose first colours are red and white (so a
  // 1-bit table has no black) and a mask whose first colours are black and white.
  const QByteArray image = bmp(opaque({"RW"}).scaled(7, 6), tm.coding) + kTail;
  const QByteArray mask = bmp(opaque({"KW"}).scaled(7, 6), tm.coding) + kTail;
  QTemporaryDir dir;
  QVERIFY(samplegen::writeFile(dir.filePath("head.dat"), head));
  QVERIFY(samplegen::writeFile(dir.filePath("Image.bmp"), image));
  QVERIFY(samplegen::writeFile(dir.filePath("mask.bmp"), mask));

  QByteArray made;
  const snack::Outcome done =
      snack::makeSnackBytes(dir.path(), kPictures[p].picture, kPictures[p].key, made);
  QVERIFY2(done.ok, qPrintable(done.message));
  const int part = tm.to + kTail.size();
  QCOMPARE(made.size(), 1000 + 2 * part);
  QCOMPARE(made.left(1000), head);
  // Outside the rows every byte is the template's; inside, the bits after the
  // last pixel of a row are zero.
  const int rowBytes = (tm.to - tm.from) / 6;
  for (const auto& [at, bitmap] : {std::pair{1000, image}, std::pair{1000 + part, mask}}) {
    const QByteArray made1 = made.mid(at, part);
    QCOMPARE(made1.left(tm.from), bitmap.left(tm.from));
    QCOMPARE(made1.mid(tm.to), bitmap.mid(tm.to));
    for (int r = 0; r < 6; ++r)
      for (int bit = 7 * tm.coding.bitDepth; bit < rowBytes * 8; ++bit)
        QVERIFY2(!(quint8(made1[tm.from + r * rowBytes + bit / 8]) & (0x80 >> bit % 8)),
                 qPrintable(QString("row %1, bit %2").arg(r).arg(bit)));
  }
  const QImage shown = QImage::fromData(made.mid(1000, part), "BMP");
  const QImage masked = QImage::fromData(made.mid(1000 + part, part), "BMP");
  QVERIFY(shown.size() == QSize(7, 6) && masked.size() == QSize(7, 6));
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 7; ++x) {
      const char c = kPictures[p].expected[y][x].toLatin1();
      const QColor want = c == 'R' ? tm.red : c == 'W' ? tm.white : tm.black;
      QVERIFY2(shown.pixelColor(x, y) == want &&
                   masked.pixelColor(x, y) == (c == '.' ? tm.maskWhite : kK),
               qPrintable(QString("(%1, %2)").arg(x).arg(y)));
    }
}

// Columns: a factory part replaced ("missing": removed, "huge": 257 MiB), the
// picture file (none when null), the output name, and what the message says.
// The snack being edited is おやつ工場/loaded.pac.
void TstPictureMaker::refusals_data() {
  QTest::addColumn<QString>("part");
  QTest::addColumn<QByteArray>("bytes");
  QTest::addColumn<QByteArray>("picture");
  QTest::addColumn<QString>("name");
  QTest::addColumn<QStringList>("says");
  const QByteArray pic = samplegen::pictureBmp(1, 40, 30);
  // Compressions 1 and 4; green's bit mask made red's.
  QByteArray rle8 = samplegen::pictureBmp(7, 64, 64, 8), jpegCoded = samplegen::maskBmp(7),
             sameMasks = bmp(samplegen::snackImage(7, 64, 64), {16, false, false, true});
  rle8[30] = 1;
  jpegCoded[30] = 4;
  sameMasks[58] = 0;
  sameMasks[59] = char(0xf8);
  // A bitmap header of 9000 × 8000 pixels: 288 MB decoded.
  QByteArray large = samplegen::bmp(QImage(1, 1, QImage::Format_RGB32)).left(54);
  large.replace(18, 8, QByteArray("\x28\x23\0\0\x40\x1f\0\0", 8));
  const QString ok = "new.pac";
  auto row = [&](const char* name, QString part, QByteArray bytes, QByteArray picture,
                 QString output, QStringList says) {
    QTest::newRow(name) << part << bytes << picture << output << says;
  };
  row("empty name", {}, {}, pic, "", {"「おやつファイル」が空です"});
  row("a part's name", {}, {}, pic, "image.BMP", {"「image.BMP」はおやつ工場の部品の名前です"});
  row("the snack being edited", {}, {}, pic, "loaded.pac", {"いま読み込んでいるおやつファイル"});
  row("missing part", "mask.bmp", "missing", pic, ok, {"mask.bmp」がありません"});
  row("part over 256 MiB", "head.dat", "huge", pic, ok, {"head.dat」は 256 MiB より大きい"});
  row("RLE8", "Image.bmp", rle8, pic, ok, {"Image.bmp」に絵を入れられません：RLE8 で圧縮"});
  row("other compression", "mask.bmp", jpegCoded, pic, ok, {"mask.bmp」", "圧縮形式 4"});
  row("header", "Image.bmp", samplegen::pictureBmp(7).left(9000), pic, ok,
      {"Image.bmp」", "つじつまが合っていません"});
  row("bit fields", "Image.bmp", sameMasks, pic, ok,
      {"Image.bmp」", "ビットマスクが正しくありません"});
  row("mask size", "mask.bmp", samplegen::maskBmp(7, 32, 48), pic, ok,
      {"mask.bmp」", "32 × 48 が Image.bmp の 64 × 64 と違います"});
  row("mask table", "mask.bmp", bmp(opaque({"RG"}).scaled(64, 64), {1}), pic, ok,
      {"mask.bmp」", "白に近い色と黒に近い色が別々にありません"});
  row("no picture", {}, {}, {}, ok, {"絵のファイル「", "pic.bmp」がありません"});
  row("not a picture", {}, {}, "no picture here", ok,
      {"pic.bmp」を読み込めません：", "絵のファイルの形式ではないか、読めない形式です"});
  QByteArray png;
  QBuffer pngOut(&png);
  pngOut.open(QIODevice::WriteOnly);
  samplegen::snackImage(1, 40, 30).save(&pngOut, "PNG");
  row("picture cut short", {}, {}, png.left(png.size() / 2), ok,
      {"pic.bmp」を読み込めません：", "絵のデータが壊れているか、途中で切れています"});
  row("picture over 256 MiB", {}, {}, large, ok, {"pic.bmp」は 9000 × 8000 ピクセル", "256 MiB"});
}

void TstPictureMaker::refusals() {
  QFETCH(QString, part);
  QFETCH(QByteArray, bytes);
  QFETCH(QByteArray, picture);
  QFETCH(QString, name);
  QFETCH(QStringList, says);
  testing::Workspace ws;
  const QString factory = ws.path(snack::kFactoryFolder);
  QVERIFY(samplegen::writeFile(factory + "/loaded.pac", "edited"));
  const QString at = factory + "/" + part;
  if (bytes == "missing")
    QVERIFY(QFile::remove(at));
  else if (bytes == "huge")
    QVERIFY(QFile::resize(at, qint64(257) << 20));
  else if (!part.isEmpty())
    QVERIFY(samplegen::writeFile(at, bytes));
  if (!picture.isNull()) QVERIFY(samplegen::writeFile(ws.path("pic.bmp"), picture));
  // Nothing written: no new file, and (but for the 257 MiB part) every byte as it was.
  const QStringList listed = QDir(factory).entryList(QDir::Files);
  const bool huge = bytes == "huge";
  const auto before = huge ? QMap<QString, QByteArray>() : ws.checksums();
  const snack::Outcome done = snack::makeSnackFromPicture(snack::kFactoryFolder, ws.path("pic.bmp"),
                                                          true, name, factory + "/loaded.pac");
  QVERIFY(!done.ok);
  for (const QString& s : says) QVERIFY2(done.message.contains(s), qPrintable(done.message));
  QCOMPARE(QDir(factory).entryList(QDir::Files), listed);
  if (!huge) QCOMPARE(ws.checksums(), before);
}

// Ctrl+M, a path typed into Text1 and Enter, 作る; then Check1 off and on
// again redraws the snack without the picture file, and parts replaced since
// the picture was read are the ones 作る uses.
void TstPictureMaker::window() {
  testing::WindowWorkspace ws;
  // A cookie on black, 40 × 30: at (12, 17) of the 64 × 64 template.
  QVERIFY(samplegen::snackImage(1, 40, 30).save(ws.path("cookie.png")));
  Form1 form;
  QVERIFY(testing::showActive(&form));
  QTest::keyClick(&form, Qt::Key_M, Qt::ControlModifier);
  Form6* f6 = Form6Window.get();
  QVERIFY(f6 && testing::showActive(f6) && form.isVisible());
  QCOMPARE(testing::child<QLabel>(f6, "Label1")->text(), QString("型：64 × 64、24ビット"));
  auto* text1 = testing::child<QLineEdit>(f6, "Text1");
  auto* check1 = testing::child<QCheckBox>(f6, "Check1");
  auto* picture1 = testing::child<QLabel>(f6, "Picture1");
  auto* command2 = testing::child<QPushButton>(f6, "Command2");
  auto* label2 = testing::child<QLabel>(f6, "Label2");
  QVERIFY(text1->accessibleName() == "絵のファイル" &&
          picture1->accessibleName() == "できあがりの絵");
  QVERIFY(!check1->isEnabled() && !command2->isEnabled());

  text1->setFocus();
  QTest::keyClicks(text1, QDir::toNativeSeparators(ws.path("cookie.png")));
  QVERIFY(!command2->isEnabled());
  QTest::keyClick(text1, Qt::Key_Return);
  QVERIFY(command2->isEnabled());
  QTest::mouseClick(command2, Qt::LeftButton);
  QCOMPARE(ws.messages, QStringList());
  QCOMPARE(testing::child<QLineEdit>(f6, "Text2")->text(), QString("cookie.pac"));
  QVERIFY(check1->isEnabled() && check1->isChecked());
  QCOMPARE(label2->text(), QString("「cookie.pac」を作りました。おやつ工場のフォルダにあります。"));
  QCOMPARE(label2->toolTip(), QDir::toNativeSeparators(ws.path("おやつ工場/cookie.pac")));
  const QByteArray made = samplegen::readFile(ws.path("おやつ工場/cookie.pac"));
  QCOMPARE(made.size(), 1024 + 2 * 12342);
  const QImage mask = QImage::fromData(made.mid(1024 + 12342), "BMP");
  QCOMPARE(mask.pixelColor(12, 17), QColor(255, 255, 255));  // the black corner: background
  QCOMPARE(mask.pixelColor(32, 32), QColor(0, 0, 0));        // the cookie

  // Drawn twice as large at (19, 19) of the box: template (12, 17) at (43, 53),
  // a dark square of the checkerboard, then the picture's own black.
  QCOMPARE(picture1->pixmap().toImage().pixelColor(43, 53), QColor(221, 221, 221));
  QVERIFY(QFile::remove(ws.path("cookie.png")));
  check1->setFocus();
  QTest::keyClick(check1, Qt::Key_Space);
  QVERIFY(!check1->isChecked());
  QCOMPARE(picture1->pixmap().toImage().pixelColor(43, 53), QColor(0, 0, 0));
  // A screen reader's toggle action, which gives no click.
  QAccessible::queryAccessibleInterface(check1)->actionInterface()->doAction(
      QAccessibleActionInterface::toggleAction());
  QVERIFY(check1->isChecked());
  QCOMPARE(picture1->pixmap().toImage().pixelColor(43, 53), QColor(221, 221, 221));

  // New parts: a header of 1000 bytes, 32 × 32 bitmaps (54 + 32 × 96 bytes).
  QVERIFY(samplegen::writeFile(ws.path("おやつ工場/head.dat"), samplegen::headerTemplate(1000)));
  QVERIFY(samplegen::writeFile(ws.path("おやつ工場/Image.bmp"), samplegen::pictureBmp(2, 32, 32)));
  QVERIFY(samplegen::writeFile(ws.path("おやつ工場/mask.bmp"), samplegen::maskBmp(2, 32, 32)));
  testing::child<QLineEdit>(f6, "Text2")->setText("small.pac");
  QTest::mouseClick(command2, Qt::LeftButton);
  QCOMPARE(ws.messages, QStringList());
  const QByteArray small = samplegen::readFile(ws.path("おやつ工場/small.pac"));
  QCOMPARE(small.size(), 1000 + 2 * 3126);
  QCOMPARE(small.left(1000), samplegen::headerTemplate(1000));
  // The cookie 32 × 24 at (0, 4): its black corner background, its middle shown.
  const QImage smallMask = QImage::fromData(small.mid(1000 + 3126), "BMP");
  QCOMPARE(smallMask.pixelColor(0, 4), QColor(255, 255, 255));
  QCOMPARE(smallMask.pixelColor(16, 16), QColor(0, 0, 0));
  QCOMPARE(testing::child<QLabel>(f6, "Label1")->text(), QString("型：32 × 32、24ビット"));
}

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  ui::installFontSubstitutes();
  TstPictureMaker t;
  return QTest::qExec(&t, argc, argv);
}
#include "tst_picturemaker.moc"
