// SPDX-License-Identifier: GPL-3.0-or-later
// The collection without windows: a folder listed and read into rows, and the
// rows written out as CSV, checked against literal bytes.
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <fstream>

#include "header_table.h"
#include "samplegen.h"
#include "snack/collection.h"

using namespace snack;

class TstCollection : public QObject {
  Q_OBJECT
 private slots:
  void init();
  void cleanup();
  void rowsAndCsv();
  void formulaCells_data();
  void formulaCells();
  void writeWhole();

 private:
  std::optional<QTemporaryDir> dir_;
  QString folder_;        // ends in a separator
  std::string sjisFile_;  // removed by hand: QDir cannot remove a name that is not UTF-8
};

namespace {

// A header with the texts as bytes and the numbers at their offsets.
QByteArray header(const QByteArray& name, const QByteArray& description, const QByteArray& author,
                  std::uint16_t number, int type, std::uint16_t quantity, std::uint16_t calories,
                  std::uint16_t bestBefore, int sound, const QByteArray& opened) {
  QByteArray h = samplegen::headerTemplate(1024);
  hdr::putText(h, hdr::NameLength, name);
  hdr::putText(h, hdr::DescriptionLength, description);
  hdr::putText(h, hdr::AuthorLength, author);
  hdr::put16(h, hdr::Number, number);
  hdr::putByte(h, hdr::TypeIndex, type);
  hdr::put16(h, hdr::Quantity, quantity);
  hdr::put16(h, hdr::Calories, calories);
  hdr::put16(h, hdr::BestBeforeDays, bestBefore);
  hdr::putByte(h, hdr::SoundIndex, sound);
  h.replace(hdr::OpenedGroup.at, hdr::OpenedGroup.size, opened);
  return h;
}

}  // namespace

void TstCollection::init() {
  dir_.emplace();
  QVERIFY(dir_->isValid());
  folder_ = QDir::toNativeSeparators(dir_->path()) + QDir::separator();
}

void TstCollection::cleanup() {
  if (!sjisFile_.empty()) std::remove(sjisFile_.c_str());
  sjisFile_.clear();
}

void TstCollection::rowsAndCsv() {
  // いちご, "特製" / 一行目 CR LF 二行目 / こむぎ工房; opened 2000-01-02 03:04:05.
  const QByteArray a =
      header("\x82\xa2\x82\xbf\x82\xb2, \"\x93\xc1\x90\xbb\"",
             "\x88\xea\x8d\x73\x96\xda\r\n\x93\xf1\x8d\x73\x96\xda",
             "\x82\xb1\x82\xde\x82\xac\x8d\x48\x96\x5b", 101, 1, 0xFFFF, 120, 7, 2,
             QByteArray("\xd0\x07\x01\x00\x02\x00\x03\x00\x04\x00\x05\x00\x00\x00", 14)) +
      samplegen::pictureBmp(1, 64, 48, 8) + samplegen::maskBmp(1, 64, 48, 1);
  // ほうじ茶, no description, no author; year 2001 alone: unopened; no picture.
  const QByteArray b = header("\x82\xd9\x82\xa4\x82\xb6\x92\x83", {}, {}, 65535, 3, 0, 65535, 65535,
                              0, QByteArray("\xd1\x07", 2) + QByteArray(12, 0));
  QVERIFY(samplegen::writeFile(folder_ + "a.pac", a));
  QVERIFY(samplegen::writeFile(folder_ + "short.pac", a.left(903)));
  QVERIFY(QDir(dir_->path()).mkdir("sub.pac"));
  QVERIFY(samplegen::writeFile(folder_ + ".hidden.pac", a));
#ifdef Q_OS_WIN
  QVERIFY(samplegen::writeFile(folder_ + "おやつ.pac", b));
#else
  // おやつ.pac, its name in code page 932 bytes.
  sjisFile_ = QFile::encodeName(folder_).toStdString() + "\x82\xa8\x82\xe2\x82\xc2.pac";
  std::ofstream(sjisFile_, std::ios::binary).write(b.constData(), b.size());
#endif

  QString error;
  const auto rows = readCollection(folder_, &error);
  QVERIFY2(rows, qPrintable(error));
  QCOMPARE(rows->size(), 3);
  QCOMPARE((*rows)[0].file, QString("a.pac"));
  QCOMPARE((*rows)[1].file, QString("short.pac"));
  QCOMPARE((*rows)[2].file, QString("おやつ.pac"));
  const SnackRow& first = (*rows)[0];
  QVERIFY(first.readable && first.picture);
  QCOMPARE(first.picture->offset, 1024);
  QCOMPARE(first.picture->width, 64);
  QCOMPARE(first.picture->height, 48);
  QCOMPARE(first.picture->bitDepth, 8);
  const SnackRow& shortRow = (*rows)[1];
  QVERIFY(!shortRow.readable);
  QCOMPARE(shortRow.reason,
           "おやつファイル「" + folder_ +
               "short.pac」は 903 バイトしかありません。おやつファイルのヘッダーには 904 "
               "バイト以上が必要です。");
  QVERIFY((*rows)[2].readable && !(*rows)[2].picture);
  // Only a file with a picture and its mask is a snack an action over many writes.
  QCOMPARE(first.leftOut, QString());
  QCOMPARE(shortRow.leftOut, QString("おやつファイルではありません"));
  QCOMPARE((*rows)[2].leftOut, QString("おやつファイルではありません"));
  // Read without its picture, a file is no snack until the picture is found.
  SnackRow headerOnly = readSnackRow({"a.pac", first.path}, RowParts::HeaderOnly);
  QCOMPARE(headerOnly.leftOut, QString("おやつファイルではありません"));
  locateRowPicture(headerOnly);
  QCOMPARE(headerOnly.leftOut, QString());
#ifndef Q_OS_WIN
  // A link to a snack: readable, never written in an action over many.
  QVERIFY(QFile::link("../a.pac", folder_ + "sub.pac/link.pac"));
  const SnackRow link = readSnackRow({"link.pac", QString(folder_ + "sub.pac/link.pac")});
  QVERIFY(link.readable && link.picture);
  QCOMPARE(link.leftOut, QString("リンクです"));
#endif

  NameTables names;
  names.types[1] = "ケーキ";
  names.sounds[2] = "ぽり,ぽり";
  names.sounds[0] = "";
  const QByteArray csv = collectionCsv(*rows, folder_, names);
  const QByteArray expected =
      "\xEF\xBB\xBF"
      "file,name,description,author,number,type_index,type,quantity,calories,best_before,"
      "sound_index,sound,opened,picture\r\n" +
      folder_.toUtf8() +
      "a.pac,\"いちご, \"\"特製\"\"\",\"一行目\r\n二行目\",こむぎ工房,101,1,ケーキ,65535,120,7,2,"
      "\"ぽり,ぽり\",2000-01-02 03:04:05,64x48\r\n" +
      folder_.toUtf8() + "おやつ.pac,ほうじ茶,,,65535,3,,0,65535,65535,0,,,\r\n";
  QCOMPARE(csv, expected);
  // Read in another order, written in that order.
  const QList<SnackRow> reversed = {(*rows)[2], (*rows)[0]};
  QVERIFY(collectionCsv(reversed, folder_, names).endsWith("64x48\r\n"));
}

// A text cell a spreadsheet would take for a formula gets one more apostrophe;
// numbers never do.
void TstCollection::formulaCells_data() {
  QTest::addColumn<QByteArray>("name");
  QTest::addColumn<QByteArray>("cells");  // name,description,author,number
  QTest::newRow("plain") << QByteArray("a=1") << QByteArray("a=1,'=d,'@a,7");
  QTest::newRow("equals") << QByteArray("=HYPERLINK(\"x\")")
                          << QByteArray("\"'=HYPERLINK(\"\"x\"\")\",'=d,'@a,7");
  QTest::newRow("plus") << QByteArray("+1") << QByteArray("'+1,'=d,'@a,7");
  QTest::newRow("minus") << QByteArray("-1") << QByteArray("'-1,'=d,'@a,7");
  QTest::newRow("tab") << QByteArray("\tx") << QByteArray("'\tx,'=d,'@a,7");
  QTest::newRow("CR") << QByteArray("\rx") << QByteArray("\"'\rx\",'=d,'@a,7");
  QTest::newRow("after apostrophes") << QByteArray("''-1") << QByteArray("'''-1,'=d,'@a,7");
  QTest::newRow("apostrophe alone") << QByteArray("'x") << QByteArray("'x,'=d,'@a,7");
}

void TstCollection::formulaCells() {
  QFETCH(QByteArray, name);
  QFETCH(QByteArray, cells);
  QVERIFY(samplegen::writeFile(folder_ + "f.pac",
                               header(name, "=d", "@a", 7, 0, 0, 0, 0, 0, QByteArray(14, 0))));
  QString error;
  const auto rows = readCollection(folder_, &error);
  QVERIFY2(rows && rows->size() == 1, qPrintable(error));
  const QByteArray csv = collectionCsv(*rows, "=x/", NameTables{});
  const QByteArray expected = "'=x/f.pac," + cells + ",0,,0,0,0,0,,,\r\n";
  QVERIFY2(csv.endsWith(expected), csv.constData());
}

void TstCollection::writeWhole() {
  const QString path = folder_ + "out.csv";
  QVERIFY(samplegen::writeFile(path, "old"));
  QVERIFY(writeWholeFile(path, "a,b\r\n").ok);
  QCOMPARE(samplegen::readFile(path), QByteArray("a,b\r\n"));
  // Into a folder that is not there: refused, naming the file; nothing made.
  const QString missing = folder_ + "none" + QDir::separator() + "out.csv";
  const Outcome refused = writeWholeFile(missing, "x");
  QVERIFY(!refused.ok);
  QVERIFY2(refused.message.startsWith("ファイル「" + missing + "」に書き出せません："),
           qPrintable(refused.message));
  QVERIFY(!QFile::exists(missing));
}

QTEST_GUILESS_MAIN(TstCollection)
#include "tst_collection.moc"
