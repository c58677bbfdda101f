// SPDX-License-Identifier: GPL-3.0-or-later
// Writes that fail part-way, made inside the process so they run anywhere
// without privileges: a save, a refresh and the factory whose file writes
// stop after N bytes, or whose flush to the disk fails. Afterwards every file
// is byte for byte as before, and the message names the file and says
// whether it is as it was.
#include <QDir>
#include <QDirIterator>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

#include "header_table.h"
#include "platform/writefaults.h"
#include "samplegen.h"
#include "snack/operations.h"

using platform::testing::FailNextSync;
using platform::testing::FailWritesAfter;

namespace {

constexpr qint64 kSync = -1;  // "after": the flush to the disk fails instead

// Every file below a folder, by relative path, with its bytes.
QMap<QString, QByteArray> contents(const QString& folder) {
  QMap<QString, QByteArray> files;
  QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString p = it.next();
    files.insert(QDir(folder).relativeFilePath(p), samplegen::readFile(p));
  }
  return files;
}

// The fault of a row, armed while it lives.
struct Fault {
  Fault(qint64 after, bool lasting) {
    if (after == kSync)
      sync.emplace();
    else
      writes.emplace(after,
                     lasting ? FailWritesAfter::Then::KeepFailing : FailWritesAfter::Then::Recover);
  }
  bool struck() const { return writes ? writes->struck() : sync->struck(); }
  std::optional<FailWritesAfter> writes;
  std::optional<FailNextSync> sync;
};

// `original` with the first `n` bytes a save writes (the saved ranges in
// order) taken from `saved`.
QByteArray partlySaved(QByteArray original, const QByteArray& saved, qint64 n) {
  for (const hdr::Field& r : hdr::kSaved) {
    for (int i = r.at; i < r.at + r.size && n > 0; ++i, --n) original[i] = saved[i];
  }
  return original;
}

const QString kAsItWas = QStringLiteral("\nファイルは書き込む前のままです。");
const QString kNotAsItWas = QStringLiteral(
    "\nファイルを書き込む前の内容に戻せませんでした。一部だけが書き換わっています。");

// The message starts with `head`, gives a reason after it and ends with `tail`
// (nothing more when it is empty).
void checkMessage(const QString& message, const QString& head, const QString& tail) {
  QVERIFY2(message.startsWith(head), qPrintable(message));
  QVERIFY2(message.endsWith(tail), qPrintable(message));
  const QString reason = message.mid(head.size(), message.size() - head.size() - tail.size());
  QVERIFY2(!reason.trimmed().isEmpty() && !reason.contains(QLatin1Char('\n')), qPrintable(message));
}

}  // namespace

class TstWriteFaults : public QObject {
  Q_OBJECT
 private slots:
  void save_data();
  void save();
  void refresh_data();
  void refresh();
  void factory_data();
  void factory();
};

void TstWriteFaults::save_data() {
  QTest::addColumn<bool>("existing");
  QTest::addColumn<qint64>("after");  // bytes that go through
  QTest::addColumn<bool>("lasting");  // every later write fails too
  QTest::addColumn<bool>("link");     // the path is a link to a missing file
  // A save writes 787 bytes in place: 12-13, 32-799 (770 so far), 880-886, ...
  QTest::newRow("0") << true << qint64(0) << false << false;
  QTest::newRow("1, inside the number") << true << qint64(1) << false << false;
  QTest::newRow("2, number written, name refused") << true << qint64(2) << false << false;
  QTest::newRow("100, inside the name") << true << qint64(100) << false << false;
  QTest::newRow("770, texts written, type refused") << true << qint64(770) << false << false;
  QTest::newRow("786, all but the last byte") << true << qint64(786) << false << false;
  QTest::newRow("flush fails") << true << kSync << false << false;
  QTest::newRow("lasting at 0: nothing written") << true << qint64(0) << true << false;
  QTest::newRow("lasting at 100: cannot put back") << true << qint64(100) << true << false;
  // A file made anew first grows to 904 bytes, then takes the same writes.
  QTest::newRow("new file, 0") << false << qint64(0) << false << false;
  QTest::newRow("new file, 903: cannot grow") << false << qint64(903) << false << false;
  QTest::newRow("new file, 904: first range refused") << false << qint64(904) << false << false;
  QTest::newRow("new file, 1004") << false << qint64(1004) << false << false;
  QTest::newRow("new file, flush fails") << false << kSync << false << false;
#ifdef Q_OS_UNIX
  // The link's target is made, and removed again; the link stays.
  QTest::newRow("through a link, 904") << false << qint64(904) << false << true;
  QTest::newRow("through a link, flush fails") << false << kSync << false << true;
#endif
}

void TstWriteFaults::save() {
  QFETCH(bool, existing);
  QFETCH(qint64, after);
  QFETCH(bool, lasting);
  QFETCH(bool, link);
  QTemporaryDir dir;
  QVERIFY(dir.isValid());
  const QString path = dir.filePath(QStringLiteral("houjicha.pac"));
  if (link) QVERIFY(QFile::link(QStringLiteral("gone.pac"), path));
  const QByteArray original = samplegen::snackFile(samplegen::sampleSnacks().at(2), 5);
  // New values in every field, so any byte that got through would show.
  samplegen::SampleSnack edit;
  edit.name = QStringLiteral("かわった名前");
  edit.description = QString(120, QChar(0x3044));
  edit.author = QStringLiteral("だれか");
  edit.number = 999;
  edit.quantity = 5;
  edit.year = 1999;
  edit.second = 1;
  edit.typeIndex = 9;
  const snack::HeaderValues values = samplegen::values(edit);
  // What the same save leaves when it goes through.
  const QString copy = dir.filePath(QStringLiteral("copy"));
  QVERIFY(samplegen::writeFile(copy, original));
  QVERIFY(snack::saveSnack(copy, values).ok);
  const QByteArray saved = samplegen::readFile(copy);
  QVERIFY(QFile::remove(copy));
  if (existing) QVERIFY(samplegen::writeFile(path, original));
  QMap<QString, QByteArray> expected = contents(dir.path());

  snack::Outcome outcome;
  {
    Fault fault(after, lasting);
    outcome = snack::saveSnack(path, values);
    QVERIFY(fault.struck());
  }
  QVERIFY(!outcome.ok);
  const QString head =
      QStringLiteral("おやつファイル「%1」を書き込めません：").arg(QDir::toNativeSeparators(path));
  QString tail = existing ? kAsItWas : QString();  // no file was there, none is left
  if (lasting && after > 0) {
    expected[QStringLiteral("houjicha.pac")] = partlySaved(original, saved, after);
    tail = kNotAsItWas;
  }
  QCOMPARE(contents(dir.path()), expected);
  QCOMPARE(QFileInfo(path).isSymLink(), link);
  checkMessage(outcome.message, head, tail);
}

void TstWriteFaults::refresh_data() {
  QTest::addColumn<qint64>("after");
  QTest::addColumn<bool>("lasting");
  // A refresh writes 14 zero bytes at 889.
  QTest::newRow("0") << qint64(0) << false;
  QTest::newRow("1, inside the year") << qint64(1) << false;
  QTest::newRow("7, month to day") << qint64(7) << false;
  QTest::newRow("13, all but the last byte") << qint64(13) << false;
  QTest::newRow("flush fails") << kSync << false;
  QTest::newRow("lasting at 7: cannot put back") << qint64(7) << true;
}

void TstWriteFaults::refresh() {
  QFETCH(qint64, after);
  QFETCH(bool, lasting);
  QTemporaryDir dir;
  QVERIFY(dir.isValid());
  const QString path = dir.filePath(QStringLiteral("ichigo.pac"));
  samplegen::SampleSnack opened = samplegen::sampleSnacks().at(0);
  opened.year = 2024;
  opened.month = 5;
  opened.day = 17;
  opened.hour = 9;
  opened.minute = 30;
  opened.second = 59;
  const QByteArray original = samplegen::snackFile(opened, 2);
  QVERIFY(samplegen::writeFile(path, original));
  QMap<QString, QByteArray> expected = contents(dir.path());

  snack::Outcome outcome;
  {
    Fault fault(after, lasting);
    outcome = snack::refreshSnack(path);
    QVERIFY(fault.struck());
  }
  QVERIFY(!outcome.ok);
  const QString head = QStringLiteral("おやつファイル「%1」をリフレッシュできません：")
                           .arg(QDir::toNativeSeparators(path));
  if (lasting) {
    QByteArray partly = original;
    partly.replace(hdr::OpenedGroup.at, after, QByteArray(after, '\0'));
    expected[QStringLiteral("ichigo.pac")] = partly;
  }
  QCOMPARE(contents(dir.path()), expected);
  checkMessage(outcome.message, head, lasting ? kNotAsItWas : kAsItWas);
}

void TstWriteFaults::factory_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<qint64>("after");
  // The parts: head.dat 1024 bytes, Image.bmp and mask.bmp 246 bytes each
  // (1516 in all), copied in pieces of 100 bytes.
  const struct {
    const char* label;
    qint64 after;
  } faults[] = {{"0", 0},
                {"1", 1},
                {"1000, inside head.dat", 1000},
                {"1024, head.dat written, Image.bmp refused", 1024},
                {"1515, all but the last byte", 1515},
                {"flush fails", kSync}};
  for (const auto& f : faults) {
    QTest::addRow("new output, %s", f.label) << "new.pac" << f.after;
    QTest::addRow("older output, %s", f.label) << "old.pac" << f.after;
  }
}

void TstWriteFaults::factory() {
  QFETCH(QString, name);
  QFETCH(qint64, after);
  QTemporaryDir dir;
  QVERIFY(dir.isValid());
  const QString factory = dir.filePath(QStringLiteral("おやつ工場"));
  QVERIFY(QDir().mkpath(factory));
  const QByteArray parts[] = {samplegen::headerTemplate(1024), samplegen::pictureBmp(3, 8, 8),
                              samplegen::maskBmp(3, 8, 8)};
  QCOMPARE(parts[0].size() + parts[1].size() + parts[2].size(), 1516);
  const char* names[] = {"head.dat", "Image.bmp", "mask.bmp"};
  for (int i = 0; i < 3; ++i)
    QVERIFY(samplegen::writeFile(factory + QLatin1Char('/') + QLatin1String(names[i]), parts[i]));
  QVERIFY(samplegen::writeFile(factory + QStringLiteral("/old.pac"), QByteArray(5000, 'o')));
  const QMap<QString, QByteArray> before = contents(dir.path());

  snack::Outcome outcome;
  {
    Fault fault(after, false);
    outcome = snack::buildSnack(factory, name, {}, 100);
    QVERIFY(fault.struck());
  }
  QVERIFY(!outcome.ok);
  const QString head = QStringLiteral("おやつファイル「%1」を作れません：")
                           .arg(QDir::toNativeSeparators(factory + QLatin1Char('/') + name));
  checkMessage(outcome.message, head, QString());
  if (QTest::currentTestFailed()) return;
  // No output, an older one as it was, the parts untouched, nothing left beside them.
  QCOMPARE(contents(dir.path()), before);

  // Nothing stays armed: the same command now makes the whole output.
  QVERIFY(snack::buildSnack(factory, name, {}, 100).ok);
  QCOMPARE(samplegen::readFile(factory + QLatin1Char('/') + name), parts[0] + parts[1] + parts[2]);
}

QTEST_GUILESS_MAIN(TstWriteFaults)
#include "tst_writefaults.moc"
