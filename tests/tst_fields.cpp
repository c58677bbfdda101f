// SPDX-License-Identifier: GPL-3.0-or-later
// The header's field table against bytes written out by hand, and the
// conversion between the editor's boxes and header values, without files or
// windows.
#include <QTest>
#include <functional>

#include "snack/fields.h"

using namespace snack;

namespace {
using Setter = std::function<void(HeaderValues&)>;

// Boxes holding a valid value each, as the editor would show a fresh snack.
BoxEntries validBoxes() {
  BoxEntries b;
  const char* texts[kFieldCount] = {"名",   "",   "作", "1",  "無制限", "100000", " ２０ ",
                                    "2000", "12", "31", "23", "59",     "30"};
  for (int i = 0; i < kFieldCount; ++i) {
    b[i].caption = QStringLiteral("欄%1").arg(i);
    b[i].text = QString::fromUtf8(texts[i]);
  }
  b[static_cast<int>(Field::Type)].position = 7;
  b[static_cast<int>(Field::Sound)].position = 255;
  return b;
}
}  // namespace

class TstFields : public QObject {
  Q_OBJECT
 private slots:
  void fieldBytes_data();
  void fieldBytes();
  void savedRanges();
  void boxesToValues_data();
  void boxesToValues();
  void valuesToBoxes();
};

Q_DECLARE_METATYPE(Setter)

// Each value put on a header of 0xAA bytes: exactly the listed bytes change.
void TstFields::fieldBytes_data() {
  QTest::addColumn<Setter>("set");
  QTest::addColumn<int>("offset");
  QTest::addColumn<QByteArray>("bytes");
  QTest::newRow("number unlimited")
      << Setter([](HeaderValues& v) { v.number = 0xFFFF; }) << 12 << QByteArray("\xff\xff");
  QTest::newRow("quantity 256") << Setter([](HeaderValues& v) { v.quantity = 256; }) << 881
                                << QByteArray("\x00\x01", 2);
  QTest::newRow("best-before 2") << Setter([](HeaderValues& v) { v.bestBeforeDays = 2; }) << 883
                                 << QByteArray("\x02\x00", 2);
  QTest::newRow("calories 4660") << Setter([](HeaderValues& v) { v.calories = 4660; }) << 885
                                 << QByteArray("\x34\x12");
  QTest::newRow("year 2000") << Setter([](HeaderValues& v) { v.year = 2000; }) << 889
                             << QByteArray("\xd0\x07");
  QTest::newRow("month in the low byte")
      << Setter([](HeaderValues& v) { v.month = 12; }) << 891 << QByteArray("\x0c");
  QTest::newRow("day") << Setter([](HeaderValues& v) { v.day = 31; }) << 893 << QByteArray("\x1f");
  QTest::newRow("hour") << Setter([](HeaderValues& v) { v.hour = 23; }) << 895
                        << QByteArray("\x17");
  QTest::newRow("minute") << Setter([](HeaderValues& v) { v.minute = 59; }) << 897
                          << QByteArray("\x3b");
  QTest::newRow("second") << Setter([](HeaderValues& v) { v.second = 30; }) << 899
                          << QByteArray("\x1e");
  QTest::newRow("type") << Setter([](HeaderValues& v) { v.typeIndex = 7; }) << 880
                        << QByteArray("\x07");
  QTest::newRow("sound") << Setter([](HeaderValues& v) { v.soundIndex = 200; }) << 903
                         << QByteArray("\xc8");
  QTest::newRow("name") << Setter([](HeaderValues& v) { v.name = "AB"; }) << 32
                        << QByteArray(
                               "\x02"
                               "AB");
  QTest::newRow("description") << Setter([](HeaderValues& v) { v.description = "\x82\xa0"; }) << 288
                               << QByteArray("\x02\x82\xa0");
  QTest::newRow("author") << Setter([](HeaderValues& v) { v.author = "C"; }) << 544
                          << QByteArray(
                                 "\x01"
                                 "C");
}

void TstFields::fieldBytes() {
  QFETCH(Setter, set);
  QFETCH(int, offset);
  QFETCH(QByteArray, bytes);
  HeaderValues v;
  set(v);
  // Every other field zero, so only this field's bytes differ from a zero header.
  QByteArray zeroed(904, '\xaa');
  putHeaderValues(zeroed, HeaderValues{});
  QByteArray header(904, '\xaa');
  putHeaderValues(header, v);
  for (int i = 0; i < 904; ++i) {
    const bool inField = i >= offset && i < offset + bytes.size();
    const char want = inField ? bytes[i - offset] : zeroed[i];
    if (header[i] != want) QFAIL(qPrintable(QStringLiteral("byte %1").arg(i)));
  }
  // Bytes no field owns keep what they held; the slots' high bytes too.
  for (int i : {0, 11, 14, 31, 800, 879, 887, 888, 892, 894, 896, 898, 900})
    QCOMPARE(zeroed[i], '\xaa');
  QCOMPARE(zeroed.mid(901, 2), QByteArray(2, 0));
  // Read back, the header gives the same values.
  QVERIFY(valuesOf(decodeHeader(header)) == v);
}

void TstFields::savedRanges() {
  const std::pair<int, int> expected[] = {{12, 2},  {32, 768}, {880, 7}, {889, 3}, {893, 1},
                                          {895, 1}, {897, 1},  {899, 1}, {901, 3}};
  QCOMPARE(int(kSavedRanges.size()), 9);
  for (int i = 0; i < 9; ++i) {
    QCOMPARE(kSavedRanges[i].offset, expected[i].first);
    QCOMPARE(kSavedRanges[i].size, expected[i].second);
  }
  QCOMPARE(kOpenedGroup.offset, 889);
  QCOMPARE(kOpenedGroup.size, 14);
}

// One box spoiled at a time: the first box in the order of the save names
// itself; a later spoiled box is not reached.
void TstFields::boxesToValues_data() {
  QTest::addColumn<int>("box");
  QTest::addColumn<QString>("text");
  QTest::addColumn<int>("position");
  QTest::addColumn<QString>("error");  // empty when the boxes are accepted
  QTest::newRow("valid") << -1 << QString() << 0 << QString();
  QTest::newRow("name not Shift-JIS") << 0 << "😀" << 0 << "欄0";
  QTest::newRow("name 256 bytes") << 0 << QString(256, 'a') << 0 << "欄0";
  QTest::newRow("number not a number") << 3 << "abc" << 0 << "欄3";
  QTest::newRow("year unlimited") << 7 << "無制限" << 0 << "欄7";
  QTest::newRow("month 256") << 8 << "256" << 0 << "欄8";
  QTest::newRow("second empty") << 12 << "" << 0 << "欄12";
  QTest::newRow("type not chosen") << 13 << QString() << -1 << "欄13";
  QTest::newRow("sound 256") << 14 << QString() << 256 << "欄14";
}

void TstFields::boxesToValues() {
  QFETCH(int, box);
  QFETCH(QString, text);
  QFETCH(int, position);
  QFETCH(QString, error);
  BoxEntries boxes = validBoxes();
  if (box >= 0) {
    boxes[box].text = text;
    boxes[box].position = position;
    if (box != 14) boxes[14].position = -1;  // also spoiled, but later in the order
  }
  QString message;
  const auto v = valuesFromBoxes(boxes, &message);
  if (!error.isEmpty()) {
    QVERIFY(!v);
    QVERIFY2(message.contains(u'「' + error + u'」'), qPrintable(message));
    return;
  }
  QVERIFY2(v, qPrintable(message));
  HeaderValues want;
  want.name = "\x96\xbc";
  want.author = "\x8d\xec";
  want.number = 1;
  want.quantity = 0xFFFF;
  want.bestBeforeDays = 0xFFFF;
  want.calories = 20;
  want.year = 2000;
  want.month = 12;
  want.day = 31;
  want.hour = 23;
  want.minute = 59;
  want.second = 30;
  want.typeIndex = 7;
  want.soundIndex = 255;
  QVERIFY(*v == want);
  // A text still showing what was loaded is saved as the bytes it came from,
  // even where they are no Shift-JIS text.
  boxes[0].text = QStringLiteral("\uFFFD");
  boxes[0].keptBytes = QByteArray("\x85\x40", 2);
  QCOMPARE(valuesFromBoxes(boxes, &message).value().name, QByteArray("\x85\x40", 2));
}

void TstFields::valuesToBoxes() {
  SnackRecordType r;
  r.NumberHigh = r.NumberLow = 0xFF;
  r.QuantityHigh = r.QuantityLow = 0xFF;
  r.CaloriesHigh = 0x12;
  r.CaloriesLow = 0x34;
  r.YearHigh = 0x07;
  r.YearLow = 0xD0;
  r.Month = 9;
  r.TypeIndex = 3;
  r.SoundIndex = 250;
  r.NameLength = 4;
  const char name[] = "a\r\nb";
  std::copy(name, name + 4, r.NameBytes.begin());
  const BoxEntries b = shownBoxes(r);
  QCOMPARE(b[0].text, QStringLiteral("a\nb"));
  QCOMPARE(b[3].text, QStringLiteral("65535"));  // the number has no "無制限"
  QCOMPARE(b[4].text, QStringLiteral("無制限"));
  QCOMPARE(b[6].text, QStringLiteral("4660"));
  QCOMPARE(b[7].text, QStringLiteral("2000"));
  QCOMPARE(b[8].text, QStringLiteral("9"));
  QCOMPARE(b[13].position, 3);
  QCOMPARE(b[14].position, 250);
}

QTEST_GUILESS_MAIN(TstFields)
#include "tst_fields.moc"
