// SPDX-License-Identifier: GPL-3.0-or-later
// A new snack from any picture: the bytes made in each template's coding,
// what is refused, and the window.
#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
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
  void refusals_data();
  void refusals();
  void window();
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

// Columns: a factory part replaced ("missing": removed, "huge": 257 MiB), the
// picture file (none when null), the output name, and what the message says.
// The snack being edited is おやつ工場/loaded.pac.
void TstPictureMaker::refusals_data() {
  QTest::addColumn<QString>("part");
  QTest::addColumn<QByteArray>("bytes");
  QTest::addColumn<QByteArray>("picture");
  QTest::addColumn<QString>("name");
  QTest::addColumn<QStringList>("says");
  QByteArray png;
  QBuffer buffer(&png);
  samplegen::snackImage(1, 40, 30).save(&buffer, "PNG");
  auto patched = [](QByteArray b, int at, QByteArray with) {
    return b.replace(at, with.size(), with);
  };
  const QByteArray rle8 = patched(samplegen::pictureBmp(7, 64, 64, 8), 30, QByteArray("\x01", 1));
  const QByteArray jpegCoded = patched(samplegen::maskBmp(7), 30, QByteArray("\x04", 1));
  const QByteArray sameMasks =
      patched(bmp(samplegen::snackImage(7, 64, 64), {16, false, false, true}), 58,
              QByteArray("\x00\xf8", 2));
  // A bitmap header of 9000 × 8000 pixels: 288 MB decoded.
  QByteArray large = samplegen::bmp(QImage(1, 1, QImage::Format_RGB32)).left(54);
  large.replace(18, 8, QByteArray("\x28\x23\0\0\x40\x1f\0\0", 8));
  QImage redGreen(64, 64, QImage::Format_RGB32);
  redGreen.fill(kRed);
  redGreen.setPixel(1, 0, kGreen);
  const QString ok = "new.pac";
  auto row = [&](const char* name, QString part, QByteArray bytes, QByteArray picture,
                 QString output, QStringList says) {
    QTest::newRow(name) << part << bytes << picture << output << says;
  };
  row("empty name", {}, {}, png, "", {"「おやつファイル」が空です"});
  row("a part's name", {}, {}, png, "image.BMP", {"「image.BMP」はおやつ工場の部品の名前です"});
  row("folder in the name", {}, {}, png, "a/b.pac", {"「a/b.pac」はファイル名として使えません"});
  row("the snack being edited", {}, {}, png, "loaded.pac", {"いま読み込んでいるおやつファイル"});
  row("missing part", "mask.bmp", "missing", png, ok, {"mask.bmp」がありません"});
  row("part over 256 MiB", "head.dat", "huge", png, ok, {"head.dat」は 256 MiB より大きい"});
  row("RLE8", "Image.bmp", rle8, png, ok, {"Image.bmp」に絵を入れられません：RLE8 で圧縮"});
  row("other compression", "mask.bmp", jpegCoded, png, ok, {"mask.bmp」", "圧縮形式 4"});
  row("header", "Image.bmp", samplegen::pictureBmp(7).left(9000), png, ok,
      {"Image.bmp」", "つじつまが合っていません"});
  row("bit fields", "Image.bmp", sameMasks, png, ok,
      {"Image.bmp」", "ビットマスクが正しくありません"});
  row("mask size", "mask.bmp", samplegen::maskBmp(7, 32, 48), png, ok,
      {"mask.bmp」", "32 × 48 が Image.bmp の 64 × 64 と違います"});
  row("mask table", "mask.bmp", bmp(redGreen, {1}), png, ok,
      {"mask.bmp」", "白に近い色と黒に近い色が別々にありません"});
  row("no picture", {}, {}, {}, ok, {"絵のファイル「", "pic.png」がありません"});
  row("not a picture", {}, {}, "no picture here", ok, {"pic.png」を読み込めません："});
  row("picture over 256 MiB", {}, {}, large, ok, {"pic.png」は 9000 × 8000 ピクセル", "256 MiB"});
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
  if (bytes == "missing") {
    QVERIFY(QFile::remove(factory + "/" + part));
  } else if (bytes == "huge") {
    QFile f(factory + "/" + part);
    QVERIFY(f.open(QIODevice::ReadWrite) && f.resize((qint64(257) << 20)));
  } else if (!part.isEmpty()) {
    QVERIFY(samplegen::writeFile(factory + "/" + part, bytes));
  }
  if (!picture.isNull()) QVERIFY(samplegen::writeFile(ws.path("pic.png"), picture));
  // Nothing written: no new file, and (but for the 257 MiB part) every byte as it was.
  const QStringList listed = QDir(factory).entryList(QDir::Files);
  const bool huge = bytes == "huge";
  const auto before = huge ? QMap<QString, QByteArray>() : ws.checksums();
  const snack::Outcome done = snack::makeSnackFromPicture(snack::kFactoryFolder, ws.path("pic.png"),
                                                          true, name, factory + "/loaded.pac");
  QVERIFY(!done.ok);
  for (const QString& s : says) QVERIFY2(done.message.contains(s), qPrintable(done.message));
  QCOMPARE(QDir(factory).entryList(QDir::Files), listed);
  if (!huge) QCOMPARE(ws.checksums(), before);
}

// Ctrl+M, a path typed into Text1, 作る; then Check1 off redraws the snack
// without the picture file.
void TstPictureMaker::window() {
  testing::WindowWorkspace ws;
  // A cookie on black, 40 × 30: at (12, 17) of the 64 × 64 template.
  QVERIFY(samplegen::snackImage(1, 40, 30).save(ws.path("cookie.png")));
  Form1 form;
  QVERIFY(testing::showActive(&form));
  QTest::keyClick(&form, Qt::Key_M, Qt::ControlModifier);
  Form6* f6 = Form6Window.get();
  QVERIFY(f6 && testing::showActive(f6));
  QVERIFY(form.isVisible());
  QCOMPARE(testing::child<QLabel>(f6, "Label1")->text(), QString("型：64 × 64、24ビット"));
  auto* text1 = testing::child<QLineEdit>(f6, "Text1");
  auto* check1 = testing::child<QCheckBox>(f6, "Check1");
  auto* picture1 = testing::child<QLabel>(f6, "Picture1");
  auto* label2 = testing::child<QLabel>(f6, "Label2");
  QCOMPARE(text1->accessibleName(), QString("絵のファイル"));
  QCOMPARE(picture1->accessibleName(), QString("できあがりの絵"));
  QVERIFY(!check1->isEnabled());

  text1->setFocus();
  QTest::keyClicks(text1, QDir::toNativeSeparators(ws.path("cookie.png")));
  QTest::mouseClick(testing::child<QPushButton>(f6, "Command2"), Qt::LeftButton);
  QCOMPARE(ws.messages, QStringList());
  QCOMPARE(testing::child<QLineEdit>(f6, "Text2")->text(), QString("cookie.pac"));
  QVERIFY(check1->isEnabled() && check1->isChecked());
  QCOMPARE(label2->text(), QString("「cookie.pac」を作りました。"));
  const QByteArray made = samplegen::readFile(ws.path("おやつ工場/cookie.pac"));
  QCOMPARE(made.size(), 1024 + 2 * 12342);
  QCOMPARE(made.left(1024 + 54), samplegen::readFile(ws.path("おやつ工場/head.dat")) +
                                     samplegen::readFile(ws.path("おやつ工場/Image.bmp")).left(54));
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
  QCOMPARE(ws.messages, QStringList());
}

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  ui::installFontSubstitutes();
  TstPictureMaker t;
  return QTest::qExec(&t, argc, argv);
}
#include "tst_picturemaker.moc"
