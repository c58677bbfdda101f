// SPDX-License-Identifier: GPL-3.0-or-later
// The history of changes: each kind of write undone byte for byte, files
// changed or removed since left alone, the history written ahead of the snack
// (a failing history write leaves the snack untouched), and the bounds.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "platform/writefaults.h"
#include "samplegen.h"
#include "snack/history.h"
#include "snack/operations.h"

using namespace snack;
using platform::testing::FailWritesAfter;

namespace {

// 1,000 bytes: "ab" repeated, the opened date bytes (889 to 902) not zero.
QByteArray original() {
  QByteArray b;
  for (int i = 0; i < 500; ++i) b.append("ab");
  return b;
}

HeaderValues named(const char* name) {
  HeaderValues v;
  v.name = name;
  v.number = 0x0102;
  return v;
}

}  // namespace

class HistoryTest : public QObject {
  Q_OBJECT
  QTemporaryDir dir_;
  QString hist_, a_, b_, out_;

  QByteArray read(const QString& p) { return samplegen::readFile(p); }
  // The newest entry's id.
  qint64 newest() {
    const HistoryListing l = readHistory(hist_);
    return l.entries.isEmpty() ? 0 : l.entries.first().id;
  }

 private slots:
  void init() {
    QVERIFY(dir_.isValid());
    QDir(dir_.path()).removeRecursively();
    QDir().mkpath(dir_.path() + "/おやつ工場");
    hist_ = dir_.filePath("履歴");
    a_ = dir_.filePath("a.pac");
    b_ = dir_.filePath("b.pac");
    out_ = dir_.filePath("おやつ工場/out.pac");
    for (const char* part : kFactoryParts)
      QVERIFY(samplegen::writeFile(dir_.filePath("おやつ工場/") + part, QByteArray(part) + "|"));
  }

  // Each kind of write, then (perhaps) a change by someone else, then undo.
  void undo_data() {
    QTest::addColumn<QString>("write");
    QTest::addColumn<QString>("since");
    QTest::addColumn<QString>("problem");       // the reason the undo gives, or empty
    QTest::addColumn<QByteArray>("expectA");    // a.pac afterwards; "-" for none
    QTest::addColumn<QByteArray>("expectOut");  // the factory output afterwards
    const QByteArray o = original();
    QByteArray touched = o;  // the save, then byte 950 changed by hand
    QTest::newRow("save, undone") << "save"
                                  << ""
                                  << "" << o << QByteArray("-");
    QTest::newRow("refresh, undone") << "refresh"
                                     << ""
                                     << "" << o << QByteArray("-");
    QTest::newRow("save of a new file, removed") << "create"
                                                 << ""
                                                 << "" << QByteArray("-") << QByteArray("-");
    QTest::newRow("factory replaces, old file back") << "factory"
                                                     << ""
                                                     << "" << o << QByteArray("old snack");
    QTest::newRow("factory creates, removed") << "factory new"
                                              << ""
                                              << "" << o << QByteArray("-");
    QTest::newRow("changed since: left")
        << "save"
        << "poke"
        << "このあとで変更されています" << QByteArray("*") << QByteArray("-");
    QTest::newRow("removed since") << "save"
                                   << "remove"
                                   << "見つかりません" << QByteArray("-") << QByteArray("-");
    QTest::newRow("created file changed: kept")
        << "factory new"
        << "out"
        << "このあとで変更されています" << o << QByteArray("mine");
    QTest::newRow("undo of the undo: the save again") << "save"
                                                      << "undo"
                                                      << "" << QByteArray("=") << QByteArray("-");
  }
  void undo() {
    QFETCH(QString, write);
    QFETCH(QString, since);
    QFETCH(QString, problem);
    QFETCH(QByteArray, expectA);
    QFETCH(QByteArray, expectOut);
    if (write != "create") QVERIFY(samplegen::writeFile(a_, original()));
    if (write == "factory") QVERIFY(samplegen::writeFile(out_, "old snack"));
    {
      HistoryAction h(hist_, QStringLiteral("保存"));
      SaveOptions options;
      options.history = &h;
      if (write == "save" || write == "create")
        QVERIFY(saveSnack(a_, named("x"), options).ok);
      else if (write == "refresh")
        QVERIFY(refreshSnack(a_, Reach::Named, &h).ok);
      else
        QVERIFY(buildSnack(dir_.filePath("おやつ工場"), "out.pac", {}, 4, &h).ok);
    }
    // What the write left.
    if (write == "factory" || write == "factory new")
      QCOMPARE(read(out_), QByteArray("head.dat|Image.bmp|mask.bmp|"));
    const QByteArray saved = read(a_);
    QByteArray poked = saved;
    if (since == "poke") {
      poked[950] = 'Z';
      QVERIFY(samplegen::writeFile(a_, poked));
    }
    if (since == "remove") QVERIFY(QFile::remove(a_));
    if (since == "out") QVERIFY(samplegen::writeFile(out_, "mine"));
    QString error;
    const auto entry = readEntry(hist_, newest(), &error);
    QVERIFY2(entry, qPrintable(error));
    UndoResult r = undoEntry(hist_, *entry);
    if (since == "undo") {
      QVERIFY(r.ok());
      r = undoEntry(hist_, *readEntry(hist_, newest(), &error));
      QCOMPARE(readHistory(hist_).entries.first().operation, QStringLiteral("元に戻す"));
    }
    QCOMPARE(r.problems.isEmpty() ? QString() : r.problems.first().section("：", 1), problem);
    QCOMPARE(r.undone, problem.isEmpty() ? 1 : 0);
    const QByteArray wantA = expectA == "*" ? poked : expectA == "=" ? saved : expectA;
    QCOMPARE(QFile::exists(a_) ? read(a_) : QByteArray("-"), wantA);
    QCOMPARE(QFile::exists(out_) ? read(out_) : QByteArray("-"), expectOut);
  }

  // One action over two files, the second changed since: the first is undone.
  void groupWithOneFailure() {
    QVERIFY(samplegen::writeFile(a_, original()));
    QVERIFY(samplegen::writeFile(b_, original()));
    {
      HistoryAction h(hist_, QStringLiteral("未開封に戻す"));
      QVERIFY(refreshSnack(a_, Reach::Named, &h).ok);
      QVERIFY(refreshSnack(b_, Reach::Named, &h).ok);
      QVERIFY(!refreshSnack(dir_.filePath("missing.pac"), Reach::Named, &h).ok);
    }
    const HistoryEntry e = readHistory(hist_).entries.first();
    QCOMPARE(e.files.size(), 2);  // the failed one is not in it
    QCOMPARE(e.files[0].patches.first().offset, 889);
    QCOMPARE(e.files[0].patches.first().after, QByteArray(14, '\0'));
    QCOMPARE(changeSummary(e.files[0]), QStringLiteral("開封日時: 24930/98/98 98:98:98 → 未開封"));
    QVERIFY(samplegen::writeFile(b_, "other"));
    const UndoResult r = undoEntry(hist_, e);
    QCOMPARE(r.undone, 1);
    QCOMPARE(r.problems, QStringList{QStringLiteral("「%1」：このあとで変更されています")
                                         .arg(QDir::toNativeSeparators(b_))});
    QCOMPARE(read(a_), original());
    QCOMPARE(read(b_), QByteArray("other"));
  }

  // Written ahead: when the history cannot be written nothing is written to
  // the snack; a snack write that fails leaves no entry, and a crash between
  // the two leaves one the undo finds already undone.
  void writeAhead_data() {
    QTest::addColumn<QString>("fault");
    QTest::newRow("history folder is a file") << "file";
    QTest::newRow("history write fails") << "history";
    QTest::newRow("snack write fails") << "snack";
    QTest::newRow("crash after the history") << "crash";
  }
  void writeAhead() {
    QFETCH(QString, fault);
    QVERIFY(samplegen::writeFile(a_, original()));
    QVERIFY(samplegen::writeFile(b_, original()));
    // The size of the entry a save of b.pac leaves, without its last record (14 bytes).
    {
      HistoryAction h(dir_.filePath("measure"), QStringLiteral("保存"));
      SaveOptions options;
      options.history = &h;
      QVERIFY(saveSnack(b_, named("x"), options).ok);
    }
    const qint64 ahead = QFileInfo(dir_.filePath("measure/1.entry")).size() - 14;
    if (fault == "file") QVERIFY(samplegen::writeFile(hist_, "x"));
    Outcome o;
    {
      HistoryAction h(hist_, QStringLiteral("保存"));
      SaveOptions options;
      options.history = &h;
      if (fault == "crash") {
        const HistoryFile part = inPlacePart(a_, original(), {{32, "ab", "\1x"}});
        QVERIFY(h.keep(part).ok);
        QVERIFY(QFile::copy(hist_ + "/1.entry", dir_.filePath("crash.entry")));
      } else {
        std::optional<FailWritesAfter> f;
        if (fault != "file") f.emplace(fault == "history" ? 20 : ahead);
        o = saveSnack(a_, named("x"), options);
        QVERIFY(!o.ok);
      }
    }
    QCOMPARE(read(a_), original());
    if (fault == "file" || fault == "history")
      QVERIFY2(o.message.startsWith(
                   QStringLiteral("変更の履歴を残せないため、「%1」には何も書き込み"
                                  "ませんでした。履歴のフォルダ「%2」：")
                       .arg(QDir::toNativeSeparators(a_), QDir::toNativeSeparators(hist_))),
               qPrintable(o.message));
    if (fault != "crash") {
      QCOMPARE(readHistory(hist_).entries.size(), 0);
      return;
    }
    QVERIFY(QDir().mkpath(hist_));
    QVERIFY(QFile::copy(dir_.filePath("crash.entry"), hist_ + "/1.entry"));
    const HistoryListing l = readHistory(hist_);
    QCOMPARE(l.entries.size(), 1);
    const UndoResult r = undoEntry(hist_, l.entries.first());
    QCOMPARE(r.undone, 1);
    QVERIFY(r.written.isEmpty());
    QCOMPARE(read(a_), original());
  }

  // The oldest entries go first; damaged and foreign files are skipped, and
  // named once.
  void bounds() {
    QVERIFY(samplegen::writeFile(a_, original()));
    HistoryBounds b;
    b.maxEntries = 3;
    for (int i = 0; i < 5; ++i) {
      HistoryAction h(hist_, QStringLiteral("未開封に戻す"), b);
      QVERIFY(refreshSnack(a_, Reach::Named, &h).ok);
    }
    QStringList names = QDir(hist_).entryList(QDir::Files, QDir::Name);
    QCOMPARE(names, (QStringList{"3.entry", "4.entry", "5.entry"}));
    const qint64 one = QFileInfo(hist_ + "/5.entry").size();
    b.maxEntries = 100;
    b.maxBytes = 2 * one;
    {
      HistoryAction h(hist_, QStringLiteral("未開封に戻す"), b);
      QVERIFY(refreshSnack(a_, Reach::Named, &h).ok);
    }
    names = QDir(hist_).entryList(QDir::Files, QDir::Name);
    QCOMPARE(names, (QStringList{"5.entry", "6.entry"}));
    // A record cut short at the end is left out; a damaged record elsewhere
    // skips the file.
    QFile cut(hist_ + "/6.entry");
    QVERIFY(cut.resize(cut.size() - 3));
    QByteArray damaged = read(hist_ + "/5.entry");
    damaged[20] = char(damaged[20] ^ 1);
    QVERIFY(samplegen::writeFile(hist_ + "/5.entry", damaged));
    QVERIFY(samplegen::writeFile(hist_ + "/notes.txt", "hello"));
    const HistoryListing l = readHistory(hist_);
    QCOMPARE(l.entries.size(), 1);
    QCOMPARE(l.entries.first().id, 6);
    QCOMPARE(l.skipped.size(), 2);
    QVERIFY(l.skipped.join("\n").contains("5.entry"));
    QVERIFY(l.skipped.join("\n").contains("notes.txt"));
  }
};

QTEST_GUILESS_MAIN(HistoryTest)
#include "tst_history.moc"
