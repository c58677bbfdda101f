// SPDX-License-Identifier: GPL-3.0-or-later
// The settings files: entry reader, name tables, the snack folder file.
#include <QTest>

#include "app/settings.h"
#include "support.h"

using IndexNames = QMap<int, QString>;

class TstSettings : public QObject {
  Q_OBJECT
 private slots:
  void entries_data();
  void entries();
  void nameTable_data();
  void nameTable();
  void nameTableFromGeneratedFile();
  void missingNameFile();
  void readSnackFolder_data();
  void readSnackFolder();
  void writeSnackFolderIsByteExact();
  void writeSnackFolderRefusesUnencodable();
  void writeSnackFolderFailureKeepsOldFile();
};

void TstSettings::entries_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<QStringList>("entries");
  QTest::newRow("CR LF lines") << "001 a\r\n002 b\r\n" << QStringList{"001 a", "002 b"};
  QTest::newRow("last line without CR LF") << "001 a\r\n002 b" << QStringList{"001 a", "002 b"};
  QTest::newRow("comma splits") << "001 a,b\r\n" << QStringList{"001 a", "b"};
  QTest::newRow("quotes dropped") << "\"001 a\"\r\n" << QStringList{"001 a"};
  QTest::newRow("blank line is an empty entry") << "\r\n001 a\r\n" << QStringList{"", "001 a"};
  QTest::newRow("empty file") << "" << QStringList{};
  QTest::newRow("LF only") << "x\ny\n" << QStringList{"x", "y"};
  QTest::newRow("CR only, also at the end") << "x\ry\r" << QStringList{"x", "y"};
}

void TstSettings::entries() {
  QFETCH(QString, text);
  QFETCH(QStringList, entries);
  QCOMPARE(ReadEntries(text), entries);
}

void TstSettings::nameTable_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<IndexNames>("expected");
  using M = IndexNames;
  QTest::newRow("index and blank") << "012 あめ\r\n" << M{{12, "あめ"}};
  QTest::newRow("full-width separator") << "012　あめ\r\n" << M{{12, "あめ"}};
  QTest::newRow("four characters: empty name") << "012 old\r\n012 \r\n003 x\r\n" << M{{3, "x"}};
  QTest::newRow("later line wins") << "005 a\r\n005 b\r\n" << M{{5, "b"}};
  QTest::newRow("index 256 stored") << "256 last\r\n" << M{{256, "last"}};
  QTest::newRow("comma makes a second entry") << "001 a,002 b\r\n" << M{{1, "a"}, {2, "b"}};
  QTest::newRow("letters give index 0") << "abc name\r\n" << M{{0, "name"}};
  QTest::newRow("separator is a digit") << "0019x\r\n" << M{{1, "x"}};
  // A bad line comes after the good one it could overwrite.
  QTest::newRow("short lines skipped") << "002 ok\r\n002\r\n01\r\n\r\n" << M{{2, "ok"}};
  QTest::newRow("index 257 skipped") << "001 yes\r\n257 no\r\n" << M{{1, "yes"}};
  QTest::newRow("index 999 skipped") << "001 yes\r\n999 no\r\n" << M{{1, "yes"}};
  QTest::newRow("index -1 skipped") << "001 yes\r\n-1 no\r\n" << M{{1, "yes"}};
  QTest::newRow("index -01 skipped") << "001 yes\r\n-01 no\r\n" << M{{1, "yes"}};
  QTest::newRow("any order") << "009 z\r\n001 a\r\n" << M{{1, "a"}, {9, "z"}};
}

void TstSettings::nameTable() {
  QFETCH(QString, text);
  QFETCH(IndexNames, expected);
  snack::NameList table;
  ReadNameTableText(text, table);
  for (int i = 0; i < 257; ++i) QCOMPARE(table[i], expected.value(i));
}

void TstSettings::nameTableFromGeneratedFile() {
  testing::Workspace ws;
  snack::NameList table;
  QString error;
  QVERIFY(ReadNameTable(kFoodTypeFile, table, &error));
  for (const auto& [index, name] : samplegen::sampleFoodTypes()) QCOMPARE(table[index], name);
  QCOMPARE(table[3], QString());
}

void TstSettings::missingNameFile() {
  testing::Workspace ws;
  QVERIFY(QFile::remove(kSoundFile));
  snack::NameList table;
  table[4] = "kept";
  QString error;
  QVERIFY(!ReadNameTable(kSoundFile, table, &error));
  QVERIFY(error.contains(kSoundFile));
  QCOMPARE(table[4], QString("kept"));
}

void TstSettings::readSnackFolder_data() {
  QTest::addColumn<QByteArray>("bytes");
  QTest::addColumn<QString>("folder");  // "?": refused
  QTest::newRow("NONE with more lines") << QByteArray("NONE\r\nC:\\x\\\r\n") << "NONE";
  QTest::newRow("lower-case marker is a path") << QByteArray("none\r\n") << "none";
  QTest::newRow("comma and quote kept") << QByteArray("/a,b\"c/\r\n") << "/a,b\"c/";
  QTest::newRow("Shift-JIS path") << QByteArray("/\x82\xa8\x82\xe2\x82\xc2/\r\n") << "/おやつ/";
  QTest::newRow("no line end") << QByteArray("/snacks/") << "/snacks/";
  QTest::newRow("empty file") << QByteArray() << "?";
  QTest::newRow("empty first line: working folder") << QByteArray("\r\n/x/\r\n") << "";
  QTest::newRow("lone LF: working folder") << QByteArray("\n") << "";
}

void TstSettings::readSnackFolder() {
  QFETCH(QByteArray, bytes);
  QFETCH(QString, folder);
  testing::Workspace ws;
  QVERIFY(samplegen::writeFile(kCookenvFile, bytes));
  QString error;
  const auto read = ReadSnackFolder(&error);
  if (folder == "?") {
    QVERIFY(!read);
    QVERIFY(error.contains(kCookenvFile));
  } else {
    QCOMPARE(read.value_or("?"), folder);
  }
}

void TstSettings::writeSnackFolderIsByteExact() {
  testing::Workspace ws;
  QString error;
  QVERIFY(WriteSnackFolder("/home/ポスペ/おやつ", &error));
  QCOMPARE(samplegen::readFile(kCookenvFile),
           samplegen::sjis("/home/ポスペ/おやつ") + QByteArray("\r\n"));
  QCOMPARE(ReadSnackFolder(&error).value_or("?"), QString("/home/ポスペ/おやつ"));
  // A folder as Windows writes it: drive letter, backslashes, one at the end.
  QVERIFY(WriteSnackFolder("C:\\ポスペ\\おやつ\\", &error));
  QCOMPARE(samplegen::readFile(kCookenvFile),
           QByteArray("C:\\\x83\x7c\x83\x58\x83\x79\\\x82\xa8\x82\xe2\x82\xc2\\\r\n"));
  QCOMPARE(ReadSnackFolder(&error).value_or("?"), QString("C:\\ポスペ\\おやつ\\"));
}

void TstSettings::writeSnackFolderRefusesUnencodable() {
  testing::Workspace ws;
  const QByteArray before = samplegen::readFile(kCookenvFile);
  QString error;
  QVERIFY(!WriteSnackFolder("/home/한/", &error));
  QVERIFY(error.contains("한"));
  QCOMPARE(samplegen::readFile(kCookenvFile), before);
}

void TstSettings::writeSnackFolderFailureKeepsOldFile() {
  testing::Workspace ws;
  const QByteArray before = samplegen::readFile(kCookenvFile);
  QString error;
  // A folder where the file should be cannot be replaced.
  QVERIFY(QFile::rename(kCookenvFile, "kept.ini"));
  QVERIFY(QDir().mkdir(kCookenvFile));
  QVERIFY(!WriteSnackFolder("/x/", &error));
  QVERIFY(error.contains(kCookenvFile));
  QVERIFY(QFileInfo(kCookenvFile).isDir());
  QVERIFY(QDir().rmdir(kCookenvFile) && QFile::rename("kept.ini", kCookenvFile));
#ifndef Q_OS_UNIX
  QSKIP("a write that stops part-way needs a file size limit (POSIX setrlimit)");
#else
  {
    // The new text cannot be written out whole: the old file stays as it was.
    testing::FileSizeLimit limit(2);
    QVERIFY(!WriteSnackFolder("/x/", &error));
  }
  QVERIFY(error.contains(kCookenvFile));
  QCOMPARE(samplegen::readFile(kCookenvFile), before);
#endif
}

QTEST_GUILESS_MAIN(TstSettings)
#include "tst_settings.moc"
