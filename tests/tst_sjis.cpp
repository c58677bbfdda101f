// SPDX-License-Identifier: GPL-3.0-or-later
// Code page 932 conversion, table-driven both ways.
#include <QTest>

#include "platform/sjis.h"

using platform::fromSjis;
using platform::toSjis;

class TstSjis : public QObject {
  Q_OBJECT
 private slots:
  void decode_data();
  void decode();
  void encode_data();
  void encode();
  void encodeRefuses_data();
  void encodeRefuses();
  void roundTripEveryDoubleByteCode();
};

void TstSjis::decode_data() {
  QTest::addColumn<QByteArray>("bytes");
  QTest::addColumn<QString>("text");
  QTest::newRow("ascii, controls kept")
      << QByteArray("A\x00\x1a\x7f\\~", 6) << QString::fromUcs4(U"A\u0000\u001a\u007f\\~", 6);
  QTest::newRow("0x8160 fullwidth tilde") << QByteArray("\x81\x60") << QStringLiteral("\uFF5E");
  QTest::newRow("hiragana") << QByteArray("\x82\xa8\x82\xe2\x82\xc2") << QStringLiteral("おやつ");
  QTest::newRow("half-width katakana") << QByteArray("\xb1\xdf") << QStringLiteral("ｱﾟ");
  QTest::newRow("NEC row 13") << QByteArray("\x87\x90") << QStringLiteral("≒");
  QTest::newRow("NEC-selected IBM = IBM")
      << QByteArray("\xed\x40\xfa\x5c") << QStringLiteral("纊纊");
  QTest::newRow("IBM roman numeral") << QByteArray("\xfa\x40") << QStringLiteral("ⅰ");
  QTest::newRow("lone lead byte at end") << QByteArray("A\x82") << QStringLiteral("A\uFFFD");
  QTest::newRow("lead byte before ascii") << QByteArray("\x82\x20Z") << QStringLiteral("\uFFFD Z");
  QTest::newRow("undefined single bytes")
      << QByteArray("\x80\xa0\xfd\xfe\xff") << QStringLiteral("\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD");
  QTest::newRow("unassigned pair") << QByteArray("\x85\x40Q") << QStringLiteral("\uFFFDQ");
  QTest::newRow("user-defined area") << QByteArray("\xf0\x40") << QStringLiteral("\uE000");
}

void TstSjis::decode() {
  QFETCH(QByteArray, bytes);
  QFETCH(QString, text);
  QCOMPARE(fromSjis(bytes), text);
}

void TstSjis::encode_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<QByteArray>("bytes");
  QTest::newRow("empty") << QString() << QByteArray();
  QTest::newRow("ascii and CR LF") << QStringLiteral("a\r\nb") << QByteArray("a\r\nb");
  QTest::newRow("fullwidth tilde") << QStringLiteral("～") << QByteArray("\x81\x60");
  QTest::newRow("wave dash from IME") << QStringLiteral("〜") << QByteArray("\x81\x60");
  QTest::newRow("double vertical line") << QStringLiteral("‖") << QByteArray("\x81\x61");
  QTest::newRow("minus sign") << QStringLiteral("−") << QByteArray("\x81\x7c");
  QTest::newRow("cent pound not") << QStringLiteral("¢£¬")
                                  << QByteArray("\x81\x91\x81\x92\x81\xca");
  QTest::newRow("NEC row 13 over IBM")
      << QStringLiteral("Ⅰ∵≒") << QByteArray("\x87\x54\x81\xe6\x81\xe0");
  QTest::newRow("IBM over NEC-selected")
      << QStringLiteral("纊ⅰ￤") << QByteArray("\xfa\x5c\xfa\x40\xfa\x55");
  QTest::newRow("kanji") << QStringLiteral("無制限") << QByteArray("\x96\xb3\x90\xa7\x8c\xc0");
}

void TstSjis::encode() {
  QFETCH(QString, text);
  QFETCH(QByteArray, bytes);
  const auto e = toSjis(text);
  QVERIFY(e.ok);
  QCOMPARE(e.bytes, bytes);
}

void TstSjis::encodeRefuses_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<QString>("bad");
  QTest::newRow("emoji") << QStringLiteral("ab😀c") << QStringLiteral("😀");
  QTest::newRow("hangul") << QStringLiteral("한") << QStringLiteral("한");
  QTest::newRow("replacement char") << QStringLiteral("x\uFFFD") << QStringLiteral("\uFFFD");
  QTest::newRow("accented latin") << QStringLiteral("café") << QStringLiteral("é");
}

void TstSjis::encodeRefuses() {
  QFETCH(QString, text);
  QFETCH(QString, bad);
  const auto e = toSjis(text);
  QVERIFY(!e.ok);
  QCOMPARE(e.badCharacter, bad);
  QVERIFY(e.bytes.isEmpty());
}

// Every code that decodes to a character encodes back to itself, unless
// Windows prefers another code for that character (NEC row 13 duplicates,
// NEC-selected IBM extensions); then the preferred code decodes the same.
void TstSjis::roundTripEveryDoubleByteCode() {
  int exact = 0, preferred = 0;
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (lead >= 0xA0 && lead <= 0xDF) continue;
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      if (trail == 0x7F) continue;
      QByteArray code;
      code.append(static_cast<char>(lead)).append(static_cast<char>(trail));
      const QString text = fromSjis(code);
      QVERIFY2(text.size() == 1, qPrintable(code.toHex()));
      if (text == QStringLiteral("\uFFFD")) continue;
      const auto e = toSjis(text);
      QVERIFY2(e.ok, qPrintable(code.toHex()));
      if (e.bytes == code) {
        ++exact;
        continue;
      }
      ++preferred;
      QCOMPARE(fromSjis(e.bytes), text);
      // Windows' choice: the lowest code outside the NEC-selected IBM block.
      const auto first = static_cast<unsigned char>(e.bytes[0]);
      QVERIFY2(first != 0xED && first != 0xEE, qPrintable(code.toHex()));
      if (lead != 0xED && lead != 0xEE) QVERIFY2(e.bytes < code, qPrintable(code.toHex()));
    }
  }
  QVERIFY(exact > 7000);
  QVERIFY(preferred > 300);
}

QTEST_GUILESS_MAIN(TstSjis)
#include "tst_sjis.moc"
