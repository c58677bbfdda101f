// SPDX-License-Identifier: GPL-3.0-or-later
// Code page 932 conversion, table-driven both ways, and file names in it.
#include <QTemporaryDir>
#include <QTest>

#include "platform/folders.h"
#include "platform/paths.h"
#include "platform/sjis.h"

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#endif

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
  void shownName_data();
  void shownName();
  void listsNamesAsTheirBytes();
  void resolvesShownPath_data();
  void resolvesShownPath();
};

namespace {

#ifndef Q_OS_WIN
// Makes a folder (name ending in "/") or an empty file under raw bytes.
bool makeEntry(const QByteArray& path) {
  if (path.endsWith('/')) return ::mkdir(path.constData(), 0755) == 0;
  const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
  return fd >= 0 && ::close(fd) == 0;
}

// A temporary folder removed with whatever names it holds: QTemporaryDir
// leaves names that are not UTF-8 behind.
struct RawDir {
  QTemporaryDir dir;
  QByteArray root = dir.path().toUtf8() + '/';
  ~RawDir() {
    std::error_code ignored;
    std::filesystem::remove_all(root.toStdString(), ignored);
  }
};
#endif

}  // namespace

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
  QTest::newRow("yen sign and overline") << QStringLiteral("¥‾") << QByteArray("\x5c\x7e");
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

void TstSjis::shownName_data() {
  QTest::addColumn<QByteArray>("bytes");
  QTest::addColumn<QString>("shown");
  QTest::newRow("UTF-8") << QByteArray("\xe3\x81\xb7\xe3\x82\x8a\xe3\x82\x93.pac")
                         << QStringLiteral("ぷりん.pac");
  QTest::newRow("code page 932") << QByteArray("\x82\xd5\x82\xe8\x82\xf1.pac")
                                 << QStringLiteral("ぷりん.pac");
  QTest::newRow("half-width katakana") << QByteArray("\xb1\xb2") << QStringLiteral("ｱｲ");
  QTest::newRow("overlong UTF-8 reads as 932") << QByteArray("\xc0\xaf") << QStringLiteral("ﾀｯ");
  QTest::newRow("UTF-8 before 932") << QByteArray("\xc3\xa9") << QStringLiteral("é");
  QTest::newRow("neither") << QByteArray("\xff\xfe.pac") << QStringLiteral("\uFFFD\uFFFD.pac");
  QTest::newRow("neither, UTF-8 part kept")
      << QByteArray("\xe3\x81\xb7\xff") << QStringLiteral("ぷ\uFFFD");
  QTest::newRow("neither, cut-off sequence")
      << QByteArray("\xe3\x81\xff") << QStringLiteral("\uFFFD\uFFFD\uFFFD");
  QTest::newRow("neither, UTF-8 surrogate")
      << QByteArray("\xed\xa0\x80") << QStringLiteral("\uFFFD\uFFFD\uFFFD");
}

void TstSjis::shownName() {
  QFETCH(QByteArray, bytes);
  QFETCH(QString, shown);
  QCOMPARE(platform::shownName(bytes), shown);
}

void TstSjis::listsNamesAsTheirBytes() {
#ifdef Q_OS_WIN
  QSKIP("file names are Unicode on Windows, never code page 932 bytes");
#else
  const RawDir dir;
  const QByteArray& root = dir.root;
  const QList<QByteArray> names = {"b.pac",
                                   "\xe3\x81\x82\xe3\x82\x81.pac",  // あめ.pac
                                   "\x82\xd5\x82\xe8\x82\xf1.pac",  // ぷりん.pac
                                   "\xff\x41.pac",                  // neither
                                   ".hidden",
                                   "\x82\xa8\x82\xe2\x82\xc2/",               // おやつ
                                   "\xe3\x82\xb1\xe3\x83\xbc\xe3\x82\xad/"};  // ケーキ
  for (const QByteArray& name : names) QVERIFY(makeEntry(root + name));
  const auto files = platform::listFiles(platform::NativePath::fromBytes(root));
  QVERIFY(files);
  QCOMPARE(platform::shownNames(*files),
           QStringList({"\uFFFDA.pac", "b.pac", "あめ.pac", "ぷりん.pac"}));
  const int order[] = {3, 0, 1, 2};
  for (int i = 0; i < 4; ++i) QCOMPARE((*files)[i].path.bytes(), root + names[order[i]]);
  const auto folders = platform::listSubfolders(platform::NativePath::fromBytes(root));
  QVERIFY(folders);
  QCOMPARE(platform::shownNames(*folders), QStringList({"おやつ", "ケーキ"}));
  QCOMPARE((*folders)[0].path.bytes(), root + names[5].chopped(1));
#endif
}

void TstSjis::resolvesShownPath_data() {
  QTest::addColumn<QString>("shown");
  QTest::addColumn<QByteArray>("bytes");
  QTest::newRow("932 folder, UTF-8 inside")
      << QStringLiteral("おやつ/ぷりん/")
      << QByteArray("\x82\xa8\x82\xe2\x82\xc2/\xe3\x81\xb7\xe3\x82\x8a\xe3\x82\x93/");
  QTest::newRow("both forms: UTF-8 first")
      << QStringLiteral("ケーキ") << QByteArray("\xe3\x82\xb1\xe3\x83\xbc\xe3\x82\xad");
  QTest::newRow("neither, by its shown name")
      << QStringLiteral("\uFFFDA") << QByteArray("\xff\x41");
  QTest::newRow("second code of a character") << QStringLiteral("纊") << QByteArray("\xed\x40");
  QTest::newRow("missing keeps UTF-8")
      << QStringLiteral("none/おやつ") << QByteArray("none/\xe3\x81\x8a\xe3\x82\x84\xe3\x81\xa4");
  QTest::newRow("parent step") << QStringLiteral("おやつ/../纊/")
                               << QByteArray("\x82\xa8\x82\xe2\x82\xc2/../\xed\x40/");
}

void TstSjis::resolvesShownPath() {
#ifdef Q_OS_WIN
  QSKIP("file names are Unicode on Windows, never code page 932 bytes");
#else
  QFETCH(QString, shown);
  QFETCH(QByteArray, bytes);
  const RawDir dir;
  const QByteArray& root = dir.root;
  for (const char* name :
       {"\x82\xa8\x82\xe2\x82\xc2/",                                       // おやつ
        "\x82\xa8\x82\xe2\x82\xc2/\xe3\x81\xb7\xe3\x82\x8a\xe3\x82\x93/",  // ぷりん
        "\xe3\x82\xb1\xe3\x83\xbc\xe3\x82\xad/",                           // ケーキ in UTF-8
        "\x83\x50\x81\x5b\x83\x4c/",                                       // and in 932
        "\xff\x41/", "\xed\x40/"})
    QVERIFY(makeEntry(root + name));
  const platform::NativePath path = platform::resolveShownPath(QString::fromUtf8(root) + shown);
  QCOMPARE(path.bytes(), root + bytes);
  QCOMPARE(path.shown(), QString::fromUtf8(root) + shown);
#endif
}

QTEST_GUILESS_MAIN(TstSjis)
#include "tst_sjis.moc"
