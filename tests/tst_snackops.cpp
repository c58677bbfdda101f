// SPDX-License-Identifier: GPL-3.0-or-later
// The snack file operations on real files, checked byte for byte.
#include <QRandomGenerator>
#include <QTest>

#include "header_table.h"
#include "platform/sjis.h"
#include "snack/fields.h"
#include "snack/operations.h"
#include "support.h"

using namespace snack;

class TstSnackOps : public QObject {
  Q_OBJECT
 private slots:
  void split_data();
  void split();
  void openedRule_data();
  void openedRule();
  void numberParsing_data();
  void numberParsing();
  void textEncoding_data();
  void textEncoding();
  void headerValuesRoundTrip();
  void saveWritesOnlyItsBytes();
  void saveVectors_data();
  void saveVectors();
  void saveRemovedFileCreates904Bytes();
  void loadDecodes();
  void headerLimits_data();
  void headerLimits();
  void randomRoundTrip();
  void refreshZeroesGroupOnly();
  void refreshMissingFileCreatesNothing();
  void factoryJoinsParts_data();
  void factoryJoinsParts();
  void factoryReplacesLongerOutput();
  void factoryRefuses_data();
  void factoryRefuses();
};

void TstSnackOps::split_data() {
  QTest::addColumn<int>("value");
  QTest::addColumn<QByteArray>("bytes");  // low, high
  QTest::newRow("256") << 256 << QByteArray("\x00\x01", 2);
  QTest::newRow("255") << 255 << QByteArray("\xff\x00", 2);
  QTest::newRow("2000") << 2000 << QByteArray("\xd0\x07");
  QTest::newRow("unlimited") << 65535 << QByteArray("\xff\xff");
  QTest::newRow("4660") << 4660 << QByteArray("\x34\x12");
}

void TstSnackOps::split() {
  QFETCH(int, value);
  QFETCH(QByteArray, bytes);
  const Split16 s = split16(static_cast<std::uint16_t>(value));
  QCOMPARE(static_cast<char>(s.low), bytes[0]);
  QCOMPARE(static_cast<char>(s.high), bytes[1]);
  QCOMPARE(int(join16(s.high, s.low)), value);
}

void TstSnackOps::openedRule_data() {
  QTest::addColumn<QByteArray>("group");  // offsets 889 to 902
  QTest::addColumn<bool>("opened");
  auto only = [](int offset, int value) {
    QByteArray g(14, 0);
    g[offset - 889] = static_cast<char>(value);
    return g;
  };
  QTest::newRow("all zero") << QByteArray(14, 0) << false;
  QTest::newRow("year only") << QByteArray("\xd0\x07", 2) + QByteArray(12, 0) << false;
  QTest::newRow("month only (891)") << only(891, 1) << true;
  QTest::newRow("day only (893)") << only(893, 1) << true;
  QTest::newRow("hour only (895)") << only(895, 1) << true;
  QTest::newRow("minute only (897)") << only(897, 1) << true;
  QTest::newRow("second only (899)") << only(899, 1) << true;
  QTest::newRow("high byte of month only") << only(892, 5) << false;
  QTest::newRow("spare only") << only(901, 1) << false;
  QTest::newRow("200 everywhere") << QByteArray(14, char(200)) << true;
}

void TstSnackOps::openedRule() {
  QFETCH(QByteArray, group);
  QFETCH(bool, opened);
  QByteArray h = samplegen::headerTemplate();
  h.replace(hdr::OpenedGroup.at, hdr::OpenedGroup.size, group);
  QCOMPARE(isOpened(decodeHeader(h)), opened);
}

void TstSnackOps::numberParsing_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<bool>("unlimitedField");
  QTest::addColumn<int>("value");  // -1: refused
  QTest::newRow("plain") << "256" << true << 256;
  QTest::newRow("unlimited") << "無制限" << true << 65535;
  QTest::newRow("unlimited in year") << "無制限" << false << -1;
  QTest::newRow("unlimited, blanks around") << " 無制限\t" << true << 65535;
  QTest::newRow("unlimited, full-width blanks") << "　無制限　" << true << 65535;
  QTest::newRow("above 65535") << "100000" << true << 65535;
  QTest::newRow("huge") << "99999999999999999999999" << false << 65535;
  QTest::newRow("full-width digits") << "１２３" << true << 123;
  QTest::newRow("full-width 9 and 0") << "９０" << true << 90;
  QTest::newRow("blanks") << " 7 　" << true << 7;
  QTest::newRow("empty") << "" << true << -1;
  QTest::newRow("negative") << "-1" << true << -1;
  QTest::newRow("decimal") << "7.5" << true << -1;
  QTest::newRow("letters") << "12a" << true << -1;
  QTest::newRow("sign only") << "-" << true << -1;
}

void TstSnackOps::numberParsing() {
  QFETCH(QString, text);
  QFETCH(bool, unlimitedField);
  QFETCH(int, value);
  QString error;
  const auto v = parseNumber(text, "おやつの数量", unlimitedField, &error);
  if (value < 0) {
    QVERIFY(!v);
    QVERIFY(error.contains("おやつの数量"));
  } else {
    QCOMPARE(int(v.value_or(0)), value);
  }
  const auto b = parseByte(text, "月", &error);
  if (value >= 0 && value <= 255 && text != "無制限")
    QCOMPARE(int(b.value_or(0)), value);
  else
    QVERIFY(!b);
}

void TstSnackOps::textEncoding_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<int>("bytes");  // -1: refused
  QTest::newRow("three double-byte") << "おやつ" << 6;
  QTest::newRow("254") << QString(127, QChar(0x3042)) << 254;
  QTest::newRow("255") << QString(127, QChar(0x3042)) + "a" << 255;
  QTest::newRow("256") << QString(128, QChar(0x3042)) << -1;
  QTest::newRow("line break as CR LF") << "a\nb" << 4;
  QTest::newRow("no Shift-JIS form") << "😀" << -1;
}

void TstSnackOps::textEncoding() {
  QFETCH(QString, text);
  QFETCH(int, bytes);
  QString error;
  const auto e = encodeText(text, "おやつの名前", &error);
  if (bytes < 0) {
    QVERIFY(!e);
    QVERIFY(error.contains("おやつの名前"));
    if (text.size() > 100) QVERIFY(error.contains("256"));
  } else {
    QCOMPARE(e.value_or("?").size(), bytes);
  }
}

// The header a save makes and the record a load fills, against headers
// written byte by byte from the file format.
void TstSnackOps::headerValuesRoundTrip() {
  for (const samplegen::SampleSnack& sample : samplegen::sampleSnacks()) {
    const HeaderValues v = samplegen::values(sample);
    QCOMPARE(headerImage(v), samplegen::withFields(QByteArray(hdr::kUsable, 0), sample));
    QVERIFY(valuesOf(decodeHeader(samplegen::header(sample))) == v);
  }
}

void TstSnackOps::saveWritesOnlyItsBytes() {
  testing::Workspace ws;
  const QString path = ws.snack("mugen.pac");
  const QByteArray before = samplegen::readFile(path);
  samplegen::SampleSnack sample;
  sample.name = "み";  // shorter than the old name
  sample.description = "";
  sample.author = "さくしゃ";
  QVERIFY(saveSnack(path, samplegen::values(sample)).ok);
  const QByteArray after = samplegen::readFile(path);
  CHECKED(testing::compareOutside(before, after, testing::savedOffsets()));
  QCOMPARE(after.mid(hdr::NameLength.at, 3), QByteArray("\x02\x82\xdd"));
  QCOMPARE(after.mid(hdr::NameText.at + 2, 253), QByteArray(253, 0));
  QCOMPARE(after.mid(hdr::DescriptionLength.at, 256), QByteArray(256, 0));
  QCOMPARE(after.mid(hdr::OpenedSpare.at, 2), QByteArray(2, 0));
  // Saving twice gives the same file.
  QVERIFY(saveSnack(path, samplegen::values(sample)).ok);
  QCOMPARE(samplegen::readFile(path), after);
}

void TstSnackOps::saveVectors_data() {
  QTest::addColumn<int>("field");
  QTest::addColumn<int>("value");
  QTest::addColumn<QByteArray>("stored");
  QTest::newRow("quantity 256") << hdr::Quantity.at << 256 << QByteArray("\x00\x01", 2);
  QTest::newRow("quantity 0") << hdr::Quantity.at << 0 << QByteArray("\x00\x00", 2);
  QTest::newRow("calories unlimited") << hdr::Calories.at << 65535 << QByteArray("\xff\xff");
  QTest::newRow("number unlimited") << hdr::Number.at << 65535 << QByteArray("\xff\xff");
  QTest::newRow("year 2000") << hdr::OpenedYear.at << 2000 << QByteArray("\xd0\x07");
}

void TstSnackOps::saveVectors() {
  QFETCH(int, field);
  QFETCH(int, value);
  QFETCH(QByteArray, stored);
  testing::Workspace ws;
  HeaderValues v = samplegen::values(samplegen::sampleSnacks().first());
  const auto u = static_cast<std::uint16_t>(value);
  if (field == hdr::Quantity.at) v.quantity = u;
  if (field == hdr::Calories.at) v.calories = u;
  if (field == hdr::Number.at) v.number = u;
  if (field == hdr::OpenedYear.at) v.year = u;
  QVERIFY(saveSnack(ws.snack("ichigo.pac"), v).ok);
  QCOMPARE(samplegen::readFile(ws.snack("ichigo.pac")).mid(field, 2), stored);
}

void TstSnackOps::saveRemovedFileCreates904Bytes() {
  testing::Workspace ws;
  QVERIFY(QFile::remove(ws.snack("ichigo.pac")));
  const HeaderValues v = samplegen::values(samplegen::sampleSnacks().first());
  QVERIFY(saveSnack(ws.snack("ichigo.pac"), v).ok);
  QCOMPARE(samplegen::readFile(ws.snack("ichigo.pac")),
           samplegen::withFields(QByteArray(hdr::kUsable, 0), samplegen::sampleSnacks().first()));
}

void TstSnackOps::loadDecodes() {
  testing::Workspace ws;
  const QByteArray before = samplegen::readFile(ws.snack("houjicha.pac"));
  SnackRecordType r;
  QVERIFY(loadSnack(ws.snack("houjicha.pac"), r).ok);
  QCOMPARE(samplegen::readFile(ws.snack("houjicha.pac")), before);
  QCOMPARE(displayText(textBytes(r.NameBytes, r.NameLength)), QString("ほうじ茶ラテ"));
  QCOMPARE(int(join16(r.NumberHigh, r.NumberLow)), 4660);
  QCOMPARE(int(join16(r.YearHigh, r.YearLow)), 2000);
  QCOMPARE(int(r.Second), 56);
  QVERIFY(isOpened(r));
  // The buffer holds 257 bytes: the area and the next two bytes.
  QCOMPARE(r.NameBytes[255], static_cast<std::uint8_t>(before[hdr::DescriptionLength.at]));
  QCOMPARE(r.AuthorBytes[256], static_cast<std::uint8_t>(before[801]));
}

void TstSnackOps::headerLimits_data() {
  QTest::addColumn<QString>("op");
  QTest::addColumn<int>("size");      // -1: missing, -2: a folder, -3: a link to 904 bytes
  QTest::addColumn<QString>("says");  // empty: goes through
  for (const char* op : {"load", "save", "refresh"}) {
    QTest::addRow("%s 904 bytes", op) << op << 904 << QString();
    QTest::addRow("%s 903 bytes", op) << op << 903 << "903 バイトしかありません";
  }
  QTest::newRow("load empty") << "load" << 0 << "0 バイトしかありません";
  QTest::newRow("load missing") << "load" << -1 << "ありません";
  QTest::newRow("load folder") << "load" << -2 << "フォルダです";
  QTest::newRow("save missing, not to be made") << "save existing" << -1 << "ファイルがありません";
#ifndef Q_OS_WIN
  QTest::newRow("refresh one of many, a link") << "refresh many" << -3 << "リンクです";
#endif
}

// The smallest usable header is 904 bytes: a file of exactly that size is
// loaded, saved and refreshed up to its last byte (the sound at 903) and keeps
// its length; one byte less is refused with a message and left as it was.
void TstSnackOps::headerLimits() {
  QFETCH(QString, op);
  QFETCH(int, size);
  QFETCH(QString, says);
  testing::Workspace ws;
  const QString path = ws.snack("limit.pac");
  samplegen::SampleSnack old, edited;
  old.soundIndex = 9;
  edited.soundIndex = 10;
  const QByteArray file = samplegen::header(old, hdr::kUsable).left(size < 0 ? hdr::kUsable : size);
  if (size == -2) QVERIFY(QDir().mkpath(path));
  if (size >= 0) QVERIFY(samplegen::writeFile(path, file));
  if (size == -3)
    QVERIFY(samplegen::writeFile(ws.snack("target.pac"), file) && QFile::link("target.pac", path));
  SnackRecordType r;
  r.NameLength = 9;
  Outcome o;
  if (op == "load") o = loadSnack(path, r);
  if (op == "save") o = saveSnack(path, samplegen::values(edited));
  if (op == "save existing") o = saveSnack(path, samplegen::values(edited), {true, false});
  if (op == "refresh") o = refreshSnack(path);
  if (op == "refresh many") o = refreshSnack(path, Reach::OneOfMany);
  const QByteArray after = samplegen::readFile(path);
  if (!says.isEmpty()) {
    QVERIFY(!o.ok);
    QVERIFY2(o.message.contains("limit.pac") && o.message.contains(says), qPrintable(o.message));
    QCOMPARE(after, size >= 0 || size == -3 ? file : QByteArray());
    QCOMPARE(QFileInfo::exists(path), size != -1);
    QCOMPARE(int(r.NameLength), 9);
    return;
  }
  QVERIFY2(o.ok, qPrintable(o.message));
  std::set<int> owned;
  if (op == "save") owned = testing::savedOffsets();
  for (int i = 889; op == "refresh" && i <= 902; ++i) owned.insert(i);
  CHECKED(testing::compareOutside(file, after, owned));
  if (op == "load") QCOMPARE(int(r.SoundIndex), 9);
  if (op == "save") QCOMPARE(int(after[hdr::SoundIndex.at]), 10);
  if (op == "refresh") QCOMPARE(after.mid(hdr::OpenedGroup.at), QByteArray(14, 0) + "\x09");
}

void TstSnackOps::randomRoundTrip() {
  testing::Workspace ws;
  QRandomGenerator rng(20261207);
  const QString chars = "あいうえおアイウエオ漢字無制限ＡＢＣabc123 ｱｲｳ～〜‖－";
  for (int n = 0; n < 300; ++n) {
    const QString path = ws.snack(QStringLiteral("r%1.pac").arg(n));
    samplegen::SampleSnack base;
    base.name = "x";
    const QByteArray original = samplegen::snackFile(base, n % 5);
    QVERIFY(samplegen::writeFile(path, original));
    HeaderValues v;
    QString texts[3];
    for (QString& t : texts) {
      const int len = rng.bounded(0, 100);
      for (int i = 0; i < len; ++i) t += chars[rng.bounded(chars.size())];
    }
    QString error;
    v.name = *encodeText(texts[0], "n", &error);
    v.description = *encodeText(texts[1], "d", &error);
    v.author = *encodeText(texts[2], "a", &error);
    v.number = static_cast<std::uint16_t>(rng.bounded(65536));
    v.quantity = static_cast<std::uint16_t>(rng.bounded(65536));
    v.bestBeforeDays = static_cast<std::uint16_t>(rng.bounded(65536));
    v.calories = static_cast<std::uint16_t>(rng.bounded(65536));
    v.year = static_cast<std::uint16_t>(rng.bounded(65536));
    v.typeIndex = static_cast<std::uint8_t>(rng.bounded(256));
    v.soundIndex = static_cast<std::uint8_t>(rng.bounded(256));
    v.month = static_cast<std::uint8_t>(rng.bounded(256));
    v.second = static_cast<std::uint8_t>(rng.bounded(2) ? 0 : rng.bounded(256));
    QVERIFY(saveSnack(path, v).ok);
    SnackRecordType r;
    QVERIFY(loadSnack(path, r).ok);
    QCOMPARE(platform::fromSjis(textBytes(r.NameBytes, r.NameLength)),
             QString(texts[0]).replace("〜", "～").replace("‖", "∥"));
    QCOMPARE(textBytes(r.DescriptionBytes, r.DescriptionLength), v.description);
    QCOMPARE(textBytes(r.AuthorBytes, r.AuthorLength), v.author);
    QCOMPARE(join16(r.NumberHigh, r.NumberLow), v.number);
    QCOMPARE(join16(r.QuantityHigh, r.QuantityLow), v.quantity);
    QCOMPARE(join16(r.BestBeforeHigh, r.BestBeforeLow), v.bestBeforeDays);
    QCOMPARE(join16(r.CaloriesHigh, r.CaloriesLow), v.calories);
    QCOMPARE(join16(r.YearHigh, r.YearLow), v.year);
    QCOMPARE(r.TypeIndex, v.typeIndex);
    QCOMPARE(r.SoundIndex, v.soundIndex);
    QCOMPARE(r.Month, v.month);
    QCOMPARE(isOpened(r), v.month != 0 || v.second != 0);
    CHECKED(testing::compareOutside(original, samplegen::readFile(path), testing::savedOffsets()));
  }
}

void TstSnackOps::refreshZeroesGroupOnly() {
  testing::Workspace ws;
  const QString path = ws.snack("houjicha.pac");
  QByteArray before = samplegen::readFile(path);
  before[892] = 7;  // high bytes and spare, which only the refresh clears
  before[901] = 1;
  QVERIFY(samplegen::writeFile(path, before));
  QVERIFY(refreshSnack(path).ok);
  const QByteArray after = samplegen::readFile(path);
  std::set<int> group;
  for (int i = 889; i <= 902; ++i) group.insert(i);
  CHECKED(testing::compareOutside(before, after, group));
  QCOMPARE(after.mid(hdr::OpenedGroup.at, hdr::OpenedGroup.size), QByteArray(14, 0));
}

void TstSnackOps::refreshMissingFileCreatesNothing() {
  testing::Workspace ws;
  QVERIFY(!refreshSnack(ws.snack("gone.pac")).ok);
  QVERIFY(!QFile::exists(ws.snack("gone.pac")));
}

void TstSnackOps::factoryJoinsParts_data() {
  QTest::addColumn<QByteArray>("head");
  QTest::addColumn<QByteArray>("image");
  QTest::addColumn<QByteArray>("mask");
  QTest::addColumn<int>("piece");
  QTest::newRow("generated parts") << samplegen::headerTemplate() << samplegen::pictureBmp(1)
                                   << samplegen::maskBmp(1) << (1 << 20);
  QTest::newRow("odd lengths, small pieces")
      << QByteArray(905, 'h') << QByteArray(1, 'i') << QByteArray(77, 'm') << 16;
  QTest::newRow("empty middle part")
      << QByteArray(904, 'h') << QByteArray() << QByteArray(3, 'm') << 7;
}

void TstSnackOps::factoryJoinsParts() {
  QFETCH(QByteArray, head);
  QFETCH(QByteArray, image);
  QFETCH(QByteArray, mask);
  QFETCH(int, piece);
  testing::Workspace ws;
  QVERIFY(samplegen::writeFile(ws.path("おやつ工場/head.dat"), head));
  QVERIFY(samplegen::writeFile(ws.path("おやつ工場/Image.bmp"), image));
  QVERIFY(samplegen::writeFile(ws.path("おやつ工場/mask.bmp"), mask));
  QVERIFY(buildSnack(kFactoryFolder, "おやつw.pac", {}, piece).ok);
  QCOMPARE(samplegen::readFile(ws.path("おやつ工場/おやつw.pac")), head + image + mask);
}

void TstSnackOps::factoryReplacesLongerOutput() {
  testing::Workspace ws;
  QVERIFY(samplegen::writeFile(ws.path("おやつ工場/new.pac"), QByteArray(100000, 'x')));
  QVERIFY(buildSnack(kFactoryFolder, "new.pac").ok);
  QCOMPARE(samplegen::readFile(ws.path("おやつ工場/new.pac")),
           samplegen::factoryHeader() + samplegen::pictureBmp(7) + samplegen::maskBmp(7));
}

void TstSnackOps::factoryRefuses_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QString>("remove");  // a part or the folder to remove first
  QTest::addColumn<QString>("mentioned");
  QTest::newRow("empty name") << ""
                              << ""
                              << "おやつファイル";
  QTest::newRow("separator") << "a/b.pac"
                             << ""
                             << "a/b.pac";
  QTest::newRow("names a part") << "head.dat"
                                << ""
                                << "head.dat";
  QTest::newRow("names a part, other case") << "MASK.BMP"
                                            << ""
                                            << "MASK.BMP";
  QTest::newRow("dot dot") << ".."
                           << ""
                           << "..";
  QTest::newRow("missing head") << "x.pac"
                                << "head.dat"
                                << "head.dat";
  QTest::newRow("missing picture") << "x.pac"
                                   << "Image.bmp"
                                   << "Image.bmp";
  QTest::newRow("missing mask") << "x.pac"
                                << "mask.bmp"
                                << "mask.bmp";
  QTest::newRow("missing folder") << "x.pac"
                                  << "*"
                                  << "おやつ工場";
#ifdef Q_OS_WIN
  // Windows would drop the final dot or blank and write the part itself.
  QTest::newRow("a part's name and a dot") << "head.dat."
                                           << ""
                                           << "「head.dat.」";
  QTest::newRow("a part's name and a blank") << "mask.bmp "
                                             << ""
                                             << "「mask.bmp 」";
  QTest::newRow("a device's name") << "nul.pac"
                                   << ""
                                   << "「nul.pac」";
#endif
}

void TstSnackOps::factoryRefuses() {
  QFETCH(QString, name);
  QFETCH(QString, remove);
  QFETCH(QString, mentioned);
  testing::Workspace ws;
  // An older output stays as it was.
  QVERIFY(samplegen::writeFile(ws.path("おやつ工場/x.pac"), "old"));
  if (remove == "*")
    QVERIFY(QDir(ws.path("おやつ工場")).removeRecursively());
  else if (!remove.isEmpty())
    QVERIFY(QFile::remove(ws.path("おやつ工場/" + remove)));
  const auto before = ws.checksums();
  const Outcome o = buildSnack(kFactoryFolder, name);
  QVERIFY(!o.ok);
  QVERIFY2(o.message.contains(mentioned), qPrintable(o.message));
  QCOMPARE(ws.checksums(), before);
}

QTEST_GUILESS_MAIN(TstSnackOps)
#include "tst_snackops.moc"
