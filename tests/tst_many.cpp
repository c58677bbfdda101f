// SPDX-License-Identifier: GPL-3.0-or-later
// Saves over many files and a CSV read back, without windows: every byte of
// every file after a save, and the changes a CSV makes, against literal
// expectations.
#include <QTemporaryDir>
#include <QTest>

#include "header_table.h"
#include "samplegen.h"
#include "snack/collection.h"
#include "snack/csvread.h"
#include "snack/many.h"

using namespace snack;

class TstMany : public QObject {
  Q_OBJECT
 private slots:
  void init();
  void saveMany_data();
  void saveMany();
  void csv_data();
  void csv();
  void roundTrip();

 private:
  QList<SnackRow> rows() const;
  std::optional<QTemporaryDir> dir_;
  QString folder_;  // ends in a separator
  QMap<QString, QByteArray> files_;
};

namespace {

QByteArray sj(const char* utf8) { return samplegen::sjis(QString::fromUtf8(utf8)); }

// A header on the pattern bytes of the generator: texts, then number, type,
// quantity, calories, best-before days, sound and the 14 opened bytes.
QByteArray header(const QByteArray& name, const QByteArray& description, const QByteArray& author,
                  std::array<int, 6> v, const QByteArray& opened = QByteArray(14, '\0')) {
  QByteArray h = samplegen::headerTemplate(1024);
  hdr::putText(h, hdr::NameLength, name);
  hdr::putText(h, hdr::DescriptionLength, description);
  hdr::putText(h, hdr::AuthorLength, author);
  hdr::put16(h, hdr::Number, std::uint16_t(v[0]));
  hdr::putByte(h, hdr::TypeIndex, v[1]);
  hdr::put16(h, hdr::Quantity, std::uint16_t(v[2]));
  hdr::put16(h, hdr::Calories, std::uint16_t(v[3]));
  hdr::put16(h, hdr::BestBeforeDays, std::uint16_t(v[4]));
  hdr::putByte(h, hdr::SoundIndex, v[5]);
  h.replace(889, 14, opened);
  return h;
}

// What every save leaves besides the values: each text area zero after its
// text, the spare (901, 902) zero.
QByteArray editorSaved(QByteArray bytes) {
  for (int length : {32, 288, 544}) {
    const int n = uchar(bytes[length]);
    bytes.replace(length + 1 + n, 255 - n, QByteArray(255 - n, '\0'));
  }
  bytes[901] = 0;
  bytes[902] = 0;
  return bytes;
}

NameTables names() {
  NameTables n;
  n.types[1] = QStringLiteral("ケーキ");
  n.types[3] = QStringLiteral("のみもの");
  n.sounds[2] = QStringLiteral("ぽり");
  n.sounds[5] = QStringLiteral("ごく");
  return n;
}

struct Patch {
  QString file;
  int at;
  QByteArray bytes;
};
using Patches = QList<Patch>;

}  // namespace

void TstMany::init() {
  dir_.emplace();
  QVERIFY(dir_->isValid());
  folder_ = QDir::toNativeSeparators(dir_->path()) + QDir::separator();
  // a: unopened; b: a formula-like name, two lines, opened (both with a picture);
  // c: an author whose second character is no Shift-JIS; short: no header.
  files_ = {
      {"a.pac", header(sj("あ"), "x", sj("わたし"), {5, 1, 3, 120, 7, 2}) +
                    samplegen::pictureBmp(1, 8, 8, 8) + samplegen::maskBmp(1, 8, 8, 1)},
      {"b.pac", header("=1+2", sj("一行目\r\n二行目"), "", {65535, 3, 65535, 0, 65535, 0},
                       QByteArray::fromHex("d0070b001e000c0022003800aaaa")) +
                    samplegen::pictureBmp(2, 8, 8, 24) + samplegen::maskBmp(2, 8, 8, 1)},
      {"c.pac", header("c", "", "\x82\xa0\x85\x40", {7, 0, 0, 0, 0, 0})},
      {"short.pac", QByteArray(100, 'x')},
  };
  for (auto it = files_.begin(); it != files_.end(); ++it)
    QVERIFY(samplegen::writeFile(folder_ + it.key(), it.value()));
}

QList<SnackRow> TstMany::rows() const {
  QString error;
  const auto all = readCollection(folder_, &error);
  return all ? *all : QList<SnackRow>();
}

void TstMany::saveMany_data() {
  QTest::addColumn<QStringList>("files");  // "name" or "name:why it is left out"
  QTest::addColumn<QList<BoxChange>>("changes");
  QTest::addColumn<QString>("refused");
  QTest::addColumn<int>("notWritten");
  QTest::addColumn<Patches>("patches");  // on top of the editor's zeroes in each file written
  const QStringList ab = {"a.pac", "b.pac"};
  QTest::newRow("author and quantity")
      << ab << QList<BoxChange>{{Field::Author, {}, "Bo"}, {Field::Quantity, {}, " 無制限 "}}
      << QString() << 0
      << Patches{{"a.pac", 544,
                  QByteArray("\x02"
                             "Bo\0\0\0\0",
                             7)},
                 {"a.pac", 881, "\xff\xff"},
                 {"b.pac", 544,
                  QByteArray("\x02"
                             "Bo",
                             3)},
                 {"b.pac", 881, "\xff\xff"}};
  QTest::newRow("list positions, full-width digits")
      << QStringList{"c.pac"}
      << QList<BoxChange>{{Field::Type, {}, {}, 3},
                          {Field::Sound, {}, {}, 255},
                          {Field::Number, {}, "７７"}}
      << QString() << 0
      << Patches{{"c.pac", 880, "\x03"},
                 {"c.pac", 903, "\xff"},
                 {"c.pac", 12, QByteArray("\x4d\x00", 2)}};
  QTest::newRow("left out, missing and short files named, the others written")
      << QStringList{"a.pac:リンクです", "none.pac", "short.pac", "c.pac"}
      << QList<BoxChange>{{Field::Calories, {}, "9"}} << QString() << 3
      << Patches{{"c.pac", 885, QByteArray("\x09\x00", 2)}};
  QTest::newRow("refused number: nothing written")
      << ab << QList<BoxChange>{{Field::Author, {}, "ok"}, {Field::Calories, {}, "abc"}}
      << QString(
             "「おやつの熱量」の「abc」は整数ではありません。0 以上の整数か「無制限」を入力"
             "してください。")
      << 0 << Patches{};
}

void TstMany::saveMany() {
  QFETCH(QStringList, files);
  QFETCH(QList<BoxChange>, changes);
  QFETCH(QString, refused);
  QFETCH(int, notWritten);
  QFETCH(Patches, patches);
  QList<SnackRow> rows;
  for (const QString& f : files) {
    SnackRow row;
    row.file = f.section(':', 0, 0);
    row.path = platform::NativePath(folder_ + row.file);
    row.leftOut = f.section(':', 1);
    rows.append(row);
  }
  const ManyPlan plan = planSaves(rows, changes);
  QCOMPARE(plan.refused, refused);
  QCOMPARE(plan.notWritten.size(), notWritten);
  const QList<FileOutcome> done = snack::saveMany(plan.edits, SaveOptions{});
  QMap<QString, QByteArray> expected = files_;
  for (const FileOutcome& d : done) {
    QVERIFY2(d.outcome.ok, qPrintable(d.outcome.message));
    expected[d.file] = editorSaved(expected[d.file]);
  }
  for (const Patch& p : patches) expected[p.file].replace(p.at, p.bytes.size(), p.bytes);
  for (auto it = expected.begin(); it != expected.end(); ++it)
    QVERIFY2(samplegen::readFile(folder_ + it.key()) == it.value(), qPrintable(it.key()));
  QVERIFY(!QFile::exists(folder_ + "none.pac"));
}

void TstMany::csv_data() {
  QTest::addColumn<QByteArray>("csv");  // %F: the folder
  // "file|key|now|new" per change ("|ignored" for a column never written),
  // "unused|column", "refused|line|file|why", "missing|line|file",
  // "unreadable|line|file", or "error|message".
  QTest::addColumn<QStringList>("plan");
  QTest::addColumn<int>("written");
  QTest::newRow("BOM, CR LF, full path") << QByteArray(
                                                "\xEF\xBB\xBF"
                                                "file,name\r\n%Fa.pac,いい\r\n")
                                         << QStringList{"%Fa.pac|name|あ|いい"} << 1;
  QTest::newRow("LF, reordered, no BOM")
      << QByteArray("quantity,file\n無制限,a.pac\n3,b.pac\n")
      << QStringList{"a.pac|quantity|3|無制限", "b.pac|quantity|65535|3"} << 2;
  QTest::newRow("quoted comma, quote and line break")
      << QByteArray("file,description\r\n\"a.pac\",\"x, \"\"y\"\"\r\nz\"\r\n")
      << QStringList{"a.pac|description|x|x, \"y\"\r\nz"} << 1;
  QTest::newRow("line breaks alone differ: no change")
      << QByteArray("file,description\nb.pac,\"一行目\n二行目\"\n") << QStringList{} << 0;
  QTest::newRow("unknown and missing columns")
      << QByteArray("file,colour,number\nb.pac,red,65535\n") << QStringList{"unused|colour"} << 0;
  QTest::newRow("guard apostrophe taken off")
      << QByteArray("file,name\nb.pac,'=1+2\n") << QStringList{} << 0;
  QTest::newRow("one of two apostrophes taken off, another kept")
      << QByteArray("file,name\na.pac,''=1\nb.pac,'x\n")
      << QStringList{"a.pac|name|あ|'=1", "b.pac|name|=1+2|'x"} << 2;
  QTest::newRow("file not in the folder, unreadable file")
      << QByteArray("file,number\nz.pac,1\na.pac,6\nshort.pac,1\n")
      << QStringList{"a.pac|number|5|6", "missing|2|z.pac", "unreadable|4|short.pac"} << 1;
  QTest::newRow("refused value")
      << QByteArray("file,number,calories\na.pac,6,abc\nb.pac,1,0\n")
      << QStringList{"b.pac|number|65535|1",
                     "refused|2|a.pac|「おやつの熱量」の「abc」は整数ではありません。0 以上の整数か"
                     "「無制限」を入力してください。"}
      << 1;
  QTest::newRow("type by index and name; disagreeing")
      << QByteArray("file,type_index,type\na.pac,3,のみもの\nb.pac,1,のみもの\n")
      << QStringList{"a.pac|type|ケーキ（1）|のみもの（3）",
                     "refused|3|b.pac|「おやつの種類」の番号 1（ケーキ）と名前「のみもの」が"
                     "一致しません。"}
      << 1;
  QTest::newRow("sound by name alone")
      << QByteArray("file,sound\na.pac,ごく\nc.pac,ないもの\n")
      << QStringList{"a.pac|sound|ぽり（2）|ごく（5）",
                     "refused|3|c.pac|「食事音」の「ないもの」は一覧にありません。"}
      << 1;
  QTest::newRow("opened and picture compared, never written")
      << QByteArray(
             "file,opened,picture,sound_index\na.pac,2001-01-01 00:00:00,9x9,2\n"
             "b.pac,2000-11-30 12:34:56,8x8,0\n")
      << QStringList{"a.pac|opened||2001-01-01 00:00:00|ignored", "a.pac|picture|8x8|9x9|ignored"}
      << 0;
  QTest::newRow("cells short of the header")
      << QByteArray("file,number\na.pac\n")
      << QStringList{"refused|2|a.pac|1 列あります。見出しの行は 2 列です。"} << 0;
  QTest::newRow("no file column") << QByteArray("name\nx\n")
                                  << QStringList{"error|見出しの行に列「file」がありません。"} << 0;
  QTest::newRow("quote left open")
      << QByteArray("file,name\na.pac,\"x\n")
      << QStringList{"error|2 行目から始まる引用符が閉じられていません。"} << 0;
  QTest::newRow("not UTF-8") << QByteArray("file,name\na.pac,\x82\xa0\n")
                             << QStringList{"error|UTF-8 の文字として読めないバイトがあります。"}
                             << 0;
}

void TstMany::csv() {
  QFETCH(QByteArray, csv);
  QFETCH(QStringList, plan);
  QFETCH(int, written);
  csv.replace("%F", folder_.toUtf8());
  const CsvPlan p = planCsv(csv, rows(), folder_, names());
  QStringList got;
  if (!p.error.isEmpty()) got << "error|" + p.error;
  for (const CsvChange& c : p.changes)
    got << QStringList{c.file, c.key, c.before, c.after}.join('|') + (c.ignored ? "|ignored" : "");
  for (const QString& u : p.unusedColumns) got << "unused|" + u;
  for (const CsvProblem& r : p.refused)
    got << QString("refused|%1|%2|%3").arg(r.line).arg(r.file, r.why);
  for (const CsvProblem& r : p.notInFolder) got << QString("missing|%1|%2").arg(r.line).arg(r.file);
  for (const CsvProblem& r : p.notWritten)
    got << QString("unreadable|%1|%2").arg(r.line).arg(r.file);
  got.replaceInStrings(folder_, "%F");
  QCOMPARE(got, plan);
  QCOMPARE(p.written(), written);
}

// The export read back changes nothing, guarded cells and odd bytes included;
// one edited cell is one change, saved as the editor saves it.
void TstMany::roundTrip() {
  const QList<SnackRow> all = rows();
  const QByteArray exported = collectionCsv(all, folder_, names());
  const CsvPlan same = planCsv(exported, all, folder_, names());
  QVERIFY(same.error.isEmpty() && same.isRefused() == false);
  QCOMPARE(same.changes.size(), 0);
  QCOMPARE(same.notWritten.size(), 0);

  QByteArray edited = exported;
  edited.replace(",わたし,", ",あなた,");
  const CsvPlan one = planCsv(edited, all, folder_, names());
  QCOMPARE(one.written(), 1);
  const ManyPlan saves = planSaves(one.files, false);
  QVERIFY(saves.refused.isEmpty());
  QCOMPARE(snack::saveMany(saves.edits, {}).size(), 1);
  QByteArray a = editorSaved(files_["a.pac"]);
  a.replace(544, 7, "\x06\x82\xa0\x82\xc8\x82\xbd");
  QCOMPARE(samplegen::readFile(folder_ + "a.pac"), a);
  // A file removed between the check and the write is not made anew.
  const ManyPlan gone = planSaves(QList<SnackRow>{all[1]}, {{Field::Author, {}, "x"}});
  QVERIFY(QFile::remove(folder_ + "b.pac"));
  QVERIFY(!snack::saveMany(gone.edits, {}).value(0).outcome.ok);
  QVERIFY(!QFile::exists(folder_ + "b.pac"));
}

QTEST_GUILESS_MAIN(TstMany)
#include "tst_many.moc"
