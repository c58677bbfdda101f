// SPDX-License-Identifier: GPL-3.0-or-later
// Paths and roots in each platform's own notation, the order of names in the
// lists, and byte access to files.
#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "platform/bytefile.h"
#include "platform/folders.h"
#include "platform/paths.h"
#include "samplegen.h"

using platform::ByteFile;

namespace {

// 300 bytes, each different from its neighbours and none of them zero.
QByteArray pattern() {
  QByteArray b(300, Qt::Uninitialized);
  for (int i = 0; i < b.size(); ++i) b[i] = static_cast<char>((i * 7) % 255 + 1);
  return b;
}

}  // namespace

class TstPlatform : public QObject {
  Q_OBJECT
 private slots:
  void paths_data();
  void paths();
  void roots();
  void sortKey_data();
  void sortKey();
  void sortNames();
  void listsKinds();
  void reads_data();
  void reads();
  void writes_data();
  void writes();
  void opens_data();
  void opens();
};

void TstPlatform::paths_data() {
  QTest::addColumn<QString>("folder");
  QTest::addColumn<QString>("text");    // the folder text, one separator at the end ("": none)
  QTest::addColumn<QString>("joined");  // with the file "a.pac"
#ifdef Q_OS_WIN
  QTest::newRow("drive root") << "C:\\"
                              << "C:\\"
                              << "C:\\a.pac";
  QTest::newRow("root with slash") << "C:/"
                                   << "C:\\"
                                   << "C:/a.pac";
  QTest::newRow("folder") << "C:\\おやつ"
                          << "C:\\おやつ\\"
                          << "C:\\おやつ\\a.pac";
  QTest::newRow("folder with separator") << "D:\\x\\"
                                         << "D:\\x\\"
                                         << "D:\\x\\a.pac";
  QTest::newRow("slashes") << "C:/p/q"
                           << "C:\\p\\q\\"
                           << "C:/p/q\\a.pac";
  QTest::newRow("drive without separator") << "C:"
                                           << "C:\\"
                                           << "C:\\a.pac";
#else
  QTest::newRow("root") << "/"
                        << "/"
                        << "/a.pac";
  QTest::newRow("relative folder") << "おやつ工場"
                                   << "おやつ工場/"
                                   << "おやつ工場/a.pac";
  QTest::newRow("backslash is part of a name") << "/x\\"
                                               << "/x\\/"
                                               << "/x\\/a.pac";
  QTest::newRow("folder") << "/home/おやつ"
                          << "/home/おやつ/"
                          << "/home/おやつ/a.pac";
  QTest::newRow("folder with separator") << "/x/"
                                         << "/x/"
                                         << "/x/a.pac";
#endif
  QTest::newRow("empty: the working folder") << ""
                                             << ""
                                             << "a.pac";
}

void TstPlatform::paths() {
  QFETCH(QString, folder);
  QFETCH(QString, text);
  QFETCH(QString, joined);
  if (!text.isEmpty()) QCOMPARE(platform::folderText(folder), text);
  QCOMPARE(platform::joinPath(folder, "a.pac"), joined);
}

void TstPlatform::roots() {
  const QStringList roots = platform::fileSystemRoots();
  QVERIFY(!roots.isEmpty());
#ifdef Q_OS_WIN
  // Drive letters, each with its separator; Wine shows C: and Z:.
  for (const QString& r : roots)
    QVERIFY2(QRegularExpression("^[A-Z]:\\\\$").match(r).hasMatch(), qPrintable(r));
  QVERIFY(roots.contains("C:\\"));
#else
  QCOMPARE(roots.first(), QString("/"));
#endif
}

void TstPlatform::sortKey_data() {
  QTest::addColumn<QString>("a");
  QTest::addColumn<QString>("b");
  QTest::addColumn<int>("order");  // -1: a sorts first, 0: the keys are equal
  auto row = [](const char* tag, const char* a, const char* b, int order) {
    QTest::newRow(tag) << QString::fromUtf8(a) << QString::fromUtf8(b) << order;
  };
  row("punctuation before digits", "_a", "1a", -1);
  row("blank before digits", " 9", "0", -1);
  row("punctuation before letters", "!z", "a", -1);
  row("full-width blank before letters", "\u3000a", "a", -1);
  row("Japanese brackets are punctuation", "「あ」", "あ", -1);
  row("digits before letters", "9", "a", -1);
  row("a.pac before a9.pac", "a.pac", "a9.pac", -1);
  row("a9 before a10", "a9.pac", "a10.pac", -1);
  row("a10 before B", "a10.pac", "B.pac", -1);
  row("B. before b1", "B.pac", "b1.pac", -1);
  row("digit runs by value", "x2y", "x10a", -1);
  row("a number longer than any integer", "x99", "x123456789012345678901234", -1);
  row("leading zeros do not count", "a009", "a9", 0);
  row("zeros alone", "a00", "a0", 0);
  row("case is ignored", "ABC.PAC", "abc.pac", 0);
  row("a before B", "a", "B", -1);
  row("full-width letters, case ignored", "Ａ", "ａ", 0);
  row("full-width letters after ASCII letters", "z", "ａ", -1);
  row("full-width digits count as characters", "ａ２", "ａ１０", 1);
  row("Latin before kana", "z", "あ", -1);
  row("hiragana in code order", "あ", "い", -1);
  row("hiragana before katakana", "ん", "ア", -1);
  row("kana before kanji", "ア", "漢", -1);
  row("Japanese names with numbers", "おやつ2", "おやつ10", -1);
  row("a prefix first", "おやつ", "おやつ2", -1);
}

void TstPlatform::sortKey() {
  QFETCH(QString, a);
  QFETCH(QString, b);
  QFETCH(int, order);
  const int c = platform::sortKey(a).compare(platform::sortKey(b));
  QCOMPARE((c > 0) - (c < 0), order);
  const int back = platform::sortKey(b).compare(platform::sortKey(a));
  QCOMPARE((back > 0) - (back < 0), -order);
}

// Equal keys fall back to the names themselves, so the order never depends on
// the order the names came in.
void TstPlatform::sortNames() {
  const QStringList sorted = {"_x",    "a.pac",  "A9.pac", "a10.pac", "B.pac",
                              "b.pac", "b1.pac", "あ",     "ア"};
  QStringList names = sorted;
  std::reverse(names.begin(), names.end());
  platform::sortNames(names);
  QCOMPARE(names, sorted);
  names = {"b.pac", "ア", "a10.pac", "_x", "B.pac", "あ", "b1.pac", "A9.pac", "a.pac"};
  platform::sortNames(names);
  QCOMPARE(names, sorted);
}

// Files and links to files in one list, folders and links to folders in the
// other; broken links, named pipes and hidden names in neither.
void TstPlatform::listsKinds() {
#ifndef Q_OS_UNIX
  QSKIP("links and named pipes are made with POSIX calls");
#else
  QTemporaryDir dir;
  auto at = [&](const char* name) { return QFile::encodeName(dir.filePath(name)); };
  QVERIFY(samplegen::writeFile(dir.filePath("file.pac"), "x"));
  QVERIFY(samplegen::writeFile(dir.filePath(".hidden.pac"), "x"));
  QVERIFY(QDir().mkdir(dir.filePath("folder")));
  QCOMPARE(::symlink("file.pac", at("link.pac").constData()), 0);
  QCOMPARE(::symlink("folder", at("link-folder").constData()), 0);
  QCOMPARE(::symlink("none", at("broken.pac").constData()), 0);
  QCOMPARE(::mkfifo(at("pipe.pac").constData(), 0644), 0);
  QCOMPARE(platform::shownNames(*platform::listFiles(dir.path())),
           QStringList({"file.pac", "link.pac"}));
  QCOMPARE(platform::shownNames(*platform::listSubfolders(dir.path())),
           QStringList({"folder", "link-folder"}));
#endif
}

void TstPlatform::reads_data() {
  QTest::addColumn<qint64>("offset");
  QTest::addColumn<qint64>("n");
  QTest::addColumn<bool>("ok");  // the file has 300 bytes
  QTest::newRow("1 byte at 0") << qint64(0) << qint64(1) << true;
  QTest::newRow("2 bytes at 10") << qint64(10) << qint64(2) << true;
  QTest::newRow("150 bytes at 100") << qint64(100) << qint64(150) << true;
  QTest::newRow("the whole file") << qint64(0) << qint64(300) << true;
  QTest::newRow("the last byte") << qint64(299) << qint64(1) << true;
  QTest::newRow("nothing, at the end") << qint64(300) << qint64(0) << true;
  QTest::newRow("one byte past the end") << qint64(299) << qint64(2) << false;
  QTest::newRow("at the end") << qint64(300) << qint64(1) << false;
  QTest::newRow("far past the end") << qint64(4096) << qint64(1) << false;
  QTest::newRow("more than the file") << qint64(0) << qint64(301) << false;
}

// Reads give exactly the bytes asked for, or fail and say so; a short read is
// never passed off as the data.
void TstPlatform::reads() {
  QFETCH(qint64, offset);
  QFETCH(qint64, n);
  QFETCH(bool, ok);
  QTemporaryDir dir;
  const QString path = dir.filePath("f.bin");
  QVERIFY(samplegen::writeFile(path, pattern()));
  ByteFile f(path);
  QVERIFY(f.open(ByteFile::Mode::Read));
  QCOMPARE(f.size(), 300);
  QByteArray out;
  QCOMPARE(f.readAt(offset, n, out), ok);
  if (ok) {
    QCOMPARE(out, pattern().mid(offset, n));
  } else {
    const QString says = QStringLiteral("%1 バイト目から %2 バイトを読めません").arg(offset).arg(n);
    QVERIFY2(f.errorString().contains(says), qPrintable(f.errorString()));
  }
  f.close();
  QCOMPARE(samplegen::readFile(path), pattern());
}

void TstPlatform::writes_data() {
  QTest::addColumn<QString>("how");  // "bytes", "byte" or "u16"
  QTest::addColumn<qint64>("offset");
  QTest::addColumn<int>("value");      // for "byte" and "u16"
  QTest::addColumn<QByteArray>("at");  // what then stands at the offset
  QTest::newRow("1 byte at 0") << "byte" << qint64(0) << 0xAB << QByteArray("\xab");
  QTest::newRow("16-bit 2000 at 12") << "u16" << qint64(12) << 2000 << QByteArray("\xd0\x07");
  QTest::newRow("16-bit 256 at 13") << "u16" << qint64(13) << 256 << QByteArray("\x00\x01", 2);
  QTest::newRow("16-bit 65535 at 281") << "u16" << qint64(281) << 65535 << QByteArray("\xff\xff");
  QTest::newRow("255 bytes at 32") << "bytes" << qint64(32) << 0 << QByteArray(255, 'n');
  QTest::newRow("the last byte") << "bytes" << qint64(299) << 0 << QByteArray("L");
  QTest::newRow("at the end: the file grows") << "bytes" << qint64(300) << 0 << QByteArray("xy");
  QTest::newRow("past the end: zeros between")
      << "bytes" << qint64(310) << 0 << QByteArray(10, '\0') + "z";
}

// Writes at an offset change those bytes only; a write at or past the end
// lengthens the file (zeros in the gap).
void TstPlatform::writes() {
  QFETCH(QString, how);
  QFETCH(qint64, offset);
  QFETCH(int, value);
  QFETCH(QByteArray, at);
  QTemporaryDir dir;
  const QString path = dir.filePath("f.bin");
  QVERIFY(samplegen::writeFile(path, pattern()));
  ByteFile f(path);
  QVERIFY(f.open(ByteFile::Mode::Update));
  if (how == QLatin1String("byte")) {
    QVERIFY(f.writeByteAt(offset, static_cast<quint8>(value)));
  } else if (how == QLatin1String("u16")) {
    QVERIFY(f.writeU16At(offset, static_cast<quint16>(value)));
  } else {
    // A gap row writes its last byte only.
    const qint64 gap = offset > 300 ? offset - 300 : 0;
    QVERIFY(f.writeAt(offset, at.mid(gap)));
    offset -= gap;
  }
  f.close();
  QByteArray expected = pattern();
  expected.replace(offset, at.size(), at);
  QCOMPARE(samplegen::readFile(path), expected);
}

void TstPlatform::opens_data() {
  QTest::addColumn<QString>("what");  // "missing", "folder", "fifo", "device", "file"
  QTest::addColumn<int>("mode");
  QTest::addColumn<QString>("says");  // empty: it opens
  const int read = int(ByteFile::Mode::Read), update = int(ByteFile::Mode::Update),
            create = int(ByteFile::Mode::CreateUpdate);
  const QString missing = QStringLiteral("ファイルがありません"),
                folder = QStringLiteral("フォルダです"),
                special = QStringLiteral("通常のファイルではありません");
  QTest::newRow("missing, read") << "missing" << read << missing;
  QTest::newRow("missing, update: not made") << "missing" << update << missing;
  QTest::newRow("missing, create") << "missing" << create << QString();
  QTest::newRow("folder, read") << "folder" << read << folder;
  QTest::newRow("folder, update") << "folder" << update << folder;
  QTest::newRow("folder, create") << "folder" << create << folder;
  QTest::newRow("file, read") << "file" << read << QString();
  QTest::newRow("file, create: opened as it is") << "file" << create << QString();
  // The file open() made, removed again only while it is the one at the path.
  QTest::newRow("made, removed again") << "made, removed" << create << QString();
  QTest::newRow("made, replaced: kept") << "made, replaced" << create << QString();
#ifdef Q_OS_UNIX
  // Opening a named pipe would wait for a writer.
  QTest::newRow("named pipe, read") << "fifo" << read << special;
  QTest::newRow("named pipe, update") << "fifo" << update << special;
#endif
#ifdef Q_OS_LINUX
  QTest::newRow("device, read") << "device" << read << special;
  QTest::newRow("device, update") << "device" << update << special;
#endif
}

// Only regular files open; the rest are refused with their reason, and
// nothing is made unless asked for.
void TstPlatform::opens() {
  const int read = int(ByteFile::Mode::Read);
  QFETCH(QString, what);
  QFETCH(int, mode);
  QFETCH(QString, says);
  QTemporaryDir dir;
  QString path = dir.filePath("x");
  if (what == QLatin1String("folder")) QVERIFY(QDir().mkdir(path));
  if (what == QLatin1String("file")) QVERIFY(samplegen::writeFile(path, pattern()));
#ifdef Q_OS_UNIX
  if (what == QLatin1String("fifo"))
    QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
#endif
  if (what == QLatin1String("device")) path = QStringLiteral("/dev/null");
  ByteFile f(path);
  const bool opened = f.open(static_cast<ByteFile::Mode>(mode));
  QCOMPARE(f.errorString(), says);
  QCOMPARE(opened, says.isEmpty());
  const bool made = what.startsWith(QLatin1String("made"));
  QCOMPARE(f.created(), (what == QLatin1String("missing") || made) && opened);
  if (made) {
    QVERIFY(f.writeAt(0, "mine"));
    if (what == QLatin1String("made, replaced")) {
      if (!QFile::rename(path, path + ".moved")) QSKIP("an open file cannot be moved here");
      QVERIFY(samplegen::writeFile(path, pattern()));
    }
    f.removeCreated();
    QCOMPARE(samplegen::readFile(path), what == QLatin1String("made, replaced") ? pattern() : "");
    QCOMPARE(platform::exists(path), what == QLatin1String("made, replaced"));
  }
  if (what == QLatin1String("missing")) {
    QCOMPARE(platform::exists(path), opened);
    if (opened) QCOMPARE(f.size(), 0);
  }
  if (what == QLatin1String("file")) {
    // Opened for reading only: a write fails and says why.
    if (mode == read) QVERIFY(!f.writeAt(0, "x"));
    if (mode == read) QVERIFY(!f.errorString().isEmpty());
    f.close();
    QCOMPARE(samplegen::readFile(path), pattern());
  }
}

QTEST_GUILESS_MAIN(TstPlatform)
#include "tst_platform.moc"
