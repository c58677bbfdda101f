// SPDX-License-Identifier: GPL-3.0-or-later
// crumbwright-cli run as a child process (under Wine, the Windows program):
// its output, exit status and every byte of every file afterwards.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <algorithm>
#include <filesystem>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

#include "header_table.h"
#include "platform/bytefile.h"
#include "platform/folders.h"
#include "snack/picturemaker.h"
#include "support.h"

class TstCli : public QObject {
  Q_OBJECT
 private slots:
  void run_data();
  void run();
  void thumbnail_data();
  void thumbnail();
  void csvRoundTrip();
#ifndef Q_OS_WIN
  void shiftJisBytesArgument();
  void historyAndUndo();  // not yet run under Wine
#endif
};

namespace {

struct Patch {
  QString file;
  int at;  // where `bytes` stand now, or one of the made files below
  QByteArray bytes;
};
// A new file: the factory's parts joined, or made from pic.png with the key
// colour on or off by the picture maker (tested on its own).
enum Made { kJoined = -1, kPicture = -2, kPictureNoKey = -3 };
using Patches = QList<Patch>;

// A header as the editor saves it (text areas zero after the text, spare zero)
// with the texts and, in `v`, number, quantity, best-before days, calories,
// type, sound and the opened year to second.
QByteArray header(const QByteArray& name, const QByteArray& description, const QByteArray& author,
                  std::array<int, 12> v) {
  QByteArray h = samplegen::headerTemplate(1024);
  for (auto [length, text] : {std::pair{hdr::NameLength, name},
                              {hdr::DescriptionLength, description},
                              {hdr::AuthorLength, author}}) {
    h.replace(length.at + 1, 255, QByteArray(255, '\0'));
    hdr::putText(h, length, text);
  }
  const hdr::Field fields[] = {hdr::Number,     hdr::Quantity,     hdr::BestBeforeDays,
                               hdr::Calories,   hdr::TypeIndex,    hdr::SoundIndex,
                               hdr::OpenedYear, hdr::OpenedMonth,  hdr::OpenedDay,
                               hdr::OpenedHour, hdr::OpenedMinute, hdr::OpenedSecond};
  for (int i = 0; i < 12; ++i) {
    if (i < 4 || i == 6)
      hdr::put16(h, fields[i], static_cast<std::uint16_t>(v[i]));
    else
      hdr::putByte(h, fields[i], v[i]);
  }
  hdr::put16(h, hdr::OpenedSpare, 0);
  return h;
}

QByteArray sj(const char* utf8) { return samplegen::sjis(QString::fromUtf8(utf8)); }

// The snack folder: an unopened snack with a picture (its year 2001 takes no
// part), an opened one without a picture, one whose author holds bytes that are
// no Shift-JIS and leftovers after it, a file too short for a header, and one
// named in Shift-JIS bytes on Linux. Beside it "odd/": a snack whose texts hold
// control characters and, on Linux, files whose names do; and on Linux "bytes/",
// names that show alike: caf\xe7.pac and caf\xe8.pac ("caf\uFFFD.pac"),
// \x81\xe0.pac and \x87\x90.pac ("\u2252.pac"), folders f\xe8 and f\xe9 with
// a snack each, and the picture p\xe9.png.
struct Fixture : testing::Workspace {
  Fixture() { writeSnacks(); }
  // QTemporaryDir leaves names that are not UTF-8 behind.
  ~Fixture() {
    std::error_code ignored;
    for (const char* folder : {"snacks", "odd", "bytes"})
      std::filesystem::remove_all(QFile::encodeName(path(folder)).toStdString(), ignored);
  }
  void writeSnacks();
};

void writeBytes(const platform::NativePath& path, const QByteArray& bytes) {
  platform::ByteFile f(path);
  QVERIFY(f.open(platform::ByteFile::Mode::CreateUpdate) && f.writeAt(0, bytes));
}

void Fixture::writeSnacks() {
  const Fixture& ws = *this;
  QDir(ws.path("snacks")).removeRecursively();
  QDir().mkpath(ws.path("snacks"));
  samplegen::writeFile(ws.path("cookenv.ini"), "snacks/\r\n");
  const QByteArray a =
      header(sj("いちご大福"), sj("もちもち"), sj("和菓子屋"), {101, 3, 7, 120, 1, 2, 2001});
  samplegen::writeFile(ws.snack("a.pac"),
                       a + samplegen::pictureBmp(1, 64, 64, 24) + samplegen::maskBmp(1, 64, 64, 1));
  samplegen::writeFile(ws.snack("b.pac"),
                       header(sj("ケーキ \"L\", 特大"), sj("一行目\r\n二行目"), "",
                              {65535, 65535, 65535, 0, 3, 255, 2000, 11, 30, 12, 34, 56}));
  QByteArray c = header("c", "", "\x82\xa0\x85\x40", {7, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 9});
  c.replace(hdr::AuthorText.at + 4, 3, "old");
  samplegen::writeFile(ws.snack("c.pac"), c);
  samplegen::writeFile(ws.snack("short.pac"), QByteArray(100, 'x'));
  // Changes for apply: one number, a file not in the folder; the same with a refused value.
  samplegen::writeFile(ws.path("edit.csv"),
                       "file,name,number,type\nsnacks/a.pac,いちご大福,102,あまいおやつ\n"
                       "snacks/b.pac,\"ケーキ \"\"L\"\", 特大\",65535,\nsnacks/none.pac,x,1,\n");
  samplegen::writeFile(ws.path("bad.csv"), "file,number\nsnacks/b.pac,1\nsnacks/a.pac,abc\n");
  QImage pic(8, 6, QImage::Format_RGB32);
  pic.fill(Qt::red);
  pic.setPixel(3, 2, qRgb(0, 0, 255));
  pic.save(ws.path("pic.png"));
  // On Windows names are Unicode: the same name, not the same bytes.
#ifdef Q_OS_WIN
  const platform::NativePath sjisName(ws.snack("おやつ.pac"));
#else
  const auto sjisName = platform::NativePath(ws.path("snacks/")).child(sj("おやつ.pac"));
#endif
  writeBytes(sjisName, header(sj("おやつ"), "", "", {1, 1, 1, 1}));
  QDir().mkpath(ws.path("odd"));
  samplegen::writeFile(ws.path("odd/esc.pac"),
                       header("\x1b[31m" + sj("あか") + "\x1b[0m", "x\ry", "a\tb", {1}));
  // A second folder: an opened snack beside a text file long enough for a
  // header and, but on Windows, a link to an opened snack outside it.
  QDir().mkpath(ws.path("mixed"));
  const QByteArray opened = header("o", "", "", {5, 0, 0, 0, 0, 0, 2000, 1, 2, 3, 4, 5}) +
                            samplegen::pictureBmp(2, 8, 8, 24) + samplegen::maskBmp(2, 8, 8, 1);
  samplegen::writeFile(ws.path("outside.pac"), opened);
  samplegen::writeFile(ws.path("mixed/a.pac"), opened);
  samplegen::writeFile(ws.path("mixed/memo.txt"), QByteArray("memo,=1+2\r\n").repeated(100));
#ifndef Q_OS_WIN
  QFile::link("../outside.pac", ws.path("mixed/link.pac"));
  const auto odd = platform::NativePath(ws.path("odd"));
  for (const char* name : {"l\nf.pac", "e\x1b.pac"})
    writeBytes(odd.child(name), header("n", "", "", {2}));
  const auto bytes = platform::NativePath(ws.path("bytes"));
  QDir().mkpath(ws.path("bytes"));
  int number = 7;
  for (const char* name : {"caf\xe7.pac", "caf\xe8.pac", "\x81\xe0.pac", "\x87\x90.pac"})
    writeBytes(bytes.child(name), header("x", "", "", {number++}));
  const QByteArray snack = samplegen::pictureBmp(1, 8, 8, 24) + samplegen::maskBmp(1, 8, 8, 1);
  for (const char* folder : {"f\xe8", "f\xe9"}) {
    QVERIFY(::mkdir(bytes.child(folder).bytes().constData(), 0777) == 0);
    writeBytes(bytes.child(folder).child("s.pac"),
               header(folder, "", "", {4, 0, 0, 0, 0, 0, 2001, 2, 3, 4, 5, 6}) + snack);
  }
  writeBytes(bytes.child("p\xe9.png"), samplegen::readFile(ws.path("pic.png")));
#endif
}

// The key of an entry of "bytes/": "hex:" and its name's bytes.
QString hexKey(const platform::FolderEntry& e) {
  const QByteArray& p = e.path.bytes();
  return "hex:" + p.mid(p.lastIndexOf('/') + 1).toHex();
}

// Every file of `folder`, by the name shown for it after `key` (in "bytes/" by
// hexKey, and its subfolders too).
void addFiles(QMap<QString, QByteArray>& all, const platform::NativePath& folder,
              const QString& key) {
  const bool hex = key == QLatin1String("bytes/");
  for (const platform::FolderEntry& e :
       platform::listFiles(folder).value_or(platform::FolderEntries{})) {
    platform::ByteFile f(e.path);
    QByteArray bytes;
    if (f.open(platform::ByteFile::Mode::Read) && f.size() > 0) f.readAt(0, f.size(), bytes);
    all.insert(key + (hex ? hexKey(e) : e.name), bytes);
  }
  if (hex)
    for (const platform::FolderEntry& e :
         platform::listSubfolders(folder).value_or(platform::FolderEntries{}))
      addFiles(all, e.path, key + hexKey(e) + '/');
}

// Every file of the working folder, the snack folder, the factory and the
// folders of odd names.
QMap<QString, QByteArray> contents(const Fixture& ws) {
  QMap<QString, QByteArray> all;
  for (const QString folder : {"", "snacks/", "おやつ工場/", "mixed/", "odd/", "bytes/"})
    addFiles(all, platform::NativePath(ws.path(folder)), folder);
  return all;
}

struct Result {
  int status = -1;
  QByteArray out, err;
};

QString cliProgram() {
  return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral(CRUMB_CLI));
}

// What a test gives a "-" argument: the names of files, one a line (the
// second line ends in CR LF, as a list made on Windows does), an empty line and
// a missing file.
const QByteArray kStandardInput = "snacks/a.pac\nsnacks/c.pac\r\n\nsnacks/none.pac\n";

Result runCli(const QString& program, const QStringList& args, const QString& dir) {
  QProcess p;
  p.setWorkingDirectory(dir);
  if (std::any_of(args.begin(), args.end(), [](const QString& a) { return a.contains("\\x"); })) {
    QString script = "exec \"$0\"";
    for (const QString& a : args) {
      QByteArray bytes = a.toUtf8();
      for (qsizetype at; (at = bytes.indexOf("\\x")) >= 0;)
        bytes.replace(at, 4, QByteArray::fromHex(bytes.mid(at + 2, 2)));
      QString octal;
      for (const char c : bytes) octal += QStringLiteral("\\%1").arg(uchar(c), 3, 8, QChar('0'));
      script += " \"$(printf '" + octal + "')\"";
    }
    p.start("/bin/sh", {"-c", script, program});
  } else {
    p.start(program, args);
  }
  if (args.contains(QStringLiteral("-"))) p.write(kStandardInput);
  p.closeWriteChannel();
  if (!p.waitForFinished(60000)) return {};
  return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
          p.readAllStandardError()};
}

const QByteArray kJsonA =
    R"({"file":"snacks/a.pac","name":"いちご大福","description":"もちもち","author":"和菓子屋","number":101,"quantity":3,"best_before":7,"calories":120,"type":{"index":1,"name":"あまいおやつ"},"sound":{"index":2,"name":"ぱりぽり"},"opened":null,"picture":{"width":64,"height":64,"bits":24}})"
    "\n";
const QByteArray kJsonB =
    R"({"file":"snacks/b.pac","name":"ケーキ \"L\", 特大","description":"一行目\r\n二行目","author":"","number":65535,"quantity":65535,"best_before":65535,"calories":0,"type":{"index":3,"name":""},"sound":{"index":255,"name":""},"opened":{"year":2000,"month":11,"day":30,"hour":12,"minute":34,"second":56},"picture":null})"
    "\n";
const QByteArray kJsonC =
    R"({"file":"snacks/c.pac","name":"c","description":"","author":"あ�","author_hex":"82a08540","number":7,"quantity":0,"best_before":0,"calories":0,"type":{"index":0,"name":"ふつうのおやつ"},"sound":{"index":0,"name":"なし"},"opened":{"year":0,"month":0,"day":0,"hour":0,"minute":0,"second":9},"picture":null})"
    "\n";
// On Linux the name is Shift-JIS bytes, which its text does not give.
const QByteArray kJsonSjis =
#ifdef Q_OS_WIN
    R"({"file":"snacks/おやつ.pac","name":"おやつ","description":"","author":"","number":1,"quantity":1,"best_before":1,"calories":1,"type":{"index":0,"name":"ふつうのおやつ"},"sound":{"index":0,"name":"なし"},"opened":null,"picture":null})"
#else
    R"({"file":"snacks/おやつ.pac","file_hex":"736e61636b732f82a882e282c22e706163","name":"おやつ","description":"","author":"","number":1,"quantity":1,"best_before":1,"calories":1,"type":{"index":0,"name":"ふつうのおやつ"},"sound":{"index":0,"name":"なし"},"opened":null,"picture":null})"
#endif
    "\n";

}  // namespace

void TstCli::run_data() {
  QTest::addColumn<QStringList>("args");
  QTest::addColumn<int>("status");
  QTest::addColumn<QByteArray>("out");  // exact; "*" then text: contains the text
  QTest::addColumn<QString>("err");     // contained in standard error; empty: nothing there
  QTest::addColumn<Patches>("patches");
  const QByteArray bom = "\xef\xbb\xbf";
  const QByteArray zeros14(14, '\0');
  const QString refused = QStringLiteral("crumbwright-cli help ");

  QTest::newRow("show json") << QStringList{"show", "--json", "snacks/a.pac"} << 0 << kJsonA
                             << QString() << Patches{};
  QTest::newRow("show json escapes, hex")
      << QStringList{"show", "--json", "snacks/b.pac", "snacks/c.pac"} << 0 << kJsonB + kJsonC
      << QString() << Patches{};
  QTest::newRow("show text")
      << QStringList{"show", "snacks/b.pac"} << 0
      << QByteArray(
             "おやつファイル: snacks/b.pac\nおやつの名前: ケーキ \"L\", 特大\n"
             "おやつの説明: 一行目\n二行目\nおやつの作者: \nおやつの番号: 65535\n"
             "おやつの数量: 無制限\n賞味期限: 無制限\nおやつの熱量: 0\n"
             "おやつの種類: --------\n食事音: --------\n"
             "おやつ開封日時: 2000/11/30 12:34:56\n絵: 絵がありません\n")
      << QString() << Patches{};
  QTest::newRow("show goes on after failures")
      << QStringList{"show", "--json", "snacks/short.pac", "snacks/none.pac", "snacks/a.pac"} << 1
      << kJsonA << QStringLiteral("100 バイトしかありません") << Patches{};
  QTest::newRow("workdir") << QStringList{"--workdir", "..", "show", "--json", "../snacks/a.pac"}
                           << 0 << QByteArray(kJsonA).replace("snacks/", "../snacks/") << QString()
                           << Patches{};
  QTest::newRow("ls json") << QStringList{"ls", "--json"} << 1
                           << kJsonA + kJsonB + kJsonC + kJsonSjis << QStringLiteral("short.pac")
                           << Patches{};
  QTest::newRow("ls csv")
      << QStringList{"ls", "--csv", "snacks/"} << 1
      << bom +
             "file,name,description,author,number,type_index,type,quantity,calories,best_before,"
             "sound_index,sound,opened,picture\r\n"
             "snacks/"
             "a.pac,いちご大福,もちもち,和菓子屋,101,1,あまいおやつ,3,120,7,2,ぱりぽり,,64x64\r\n"
             "snacks/b.pac,\"ケーキ \"\"L\"\", 特大\",\"一行目\r\n二行目\",,65535,3,,65535,0,65535,"
             "255,,2000-11-30 12:34:56,\r\n"
             "snacks/c.pac,c,,あ\xef\xbf\xbd,7,0,ふつうのおやつ,0,0,0,0,なし,0000-00-00 "
             "00:00:09,\r\n"
             "snacks/おやつ.pac,おやつ,,,1,0,ふつうのおやつ,1,1,1,0,なし,,\r\n"
      << QStringLiteral("short.pac") << Patches{};
  QTest::newRow("ls text") << QStringList{"ls", "snacks/"} << 1
                           << QByteArray(
                                  "snacks/a.pac\tいちご大福\t和菓子屋\nsnacks/b.pac\tケーキ "
                                  "\"L\", 特大\t\nsnacks/c.pac\tc\tあ\xef\xbf\xbd\n"
                                  "snacks/おやつ.pac\tおやつ\t\n")
                           << QStringLiteral("short.pac") << Patches{};

  // A set writes the editor's save: every text area zero after its text.
  QTest::newRow("set") << QStringList{"set",           "snacks/a.pac",
                                      "name=大福",     "quantity=無制限",
                                      "type=くだもの", "sound=10"}
                       << 0 << QByteArray() << QString()
                       << Patches{{"snacks/a.pac", 32,
                                   QByteArray::fromHex("0491e5959f") + QByteArray(6, '\0')},
                                  {"snacks/a.pac", 880, QByteArray::fromHex("05ffff")},
                                  {"snacks/a.pac", 903, QByteArray::fromHex("0a")}};
  QTest::newRow("set keeps bytes, zeroes leftovers")
      << QStringList{"set", "snacks/c.pac", "number=７７"} << 0 << QByteArray() << QString()
      << Patches{{"snacks/c.pac", 12, QByteArray::fromHex("4d00")},
                 {"snacks/c.pac", 544, QByteArray::fromHex("0482a0854000000000")}};
  QTest::newRow("set shown Shift-JIS name")
      << QStringList{"set", "snacks/おやつ.pac", "calories=5"} << 0 << QByteArray() << QString()
      << Patches{{"snacks/おやつ.pac", 885, QByteArray::fromHex("0500")}};
  QTest::newRow("set too long")
      << QStringList{"set", "snacks/a.pac", "name=" + QString(128, QChar(0x3042))} << 2
      << QByteArray() << QStringLiteral("「おやつの名前（name）」はシフトJISで 256 バイトあります")
      << Patches{};
  QTest::newRow("set one refused, none written")
      << QStringList{"set", "snacks/a.pac", "name=ok", "calories=abc"} << 2 << QByteArray()
      << QStringLiteral("「おやつの熱量（calories）」の「abc」は整数ではありません") << Patches{};
  QTest::newRow("set negative") << QStringList{"set", "snacks/a.pac", "quantity=-1"} << 2
                                << QByteArray() << QStringLiteral("負の数") << Patches{};
  QTest::newRow("set no such type")
      << QStringList{"set", "snacks/a.pac", "type=ないもの"} << 2 << QByteArray()
      << QStringLiteral("「おやつの種類（type）」で項目が選ばれていません") << Patches{};
  QTest::newRow("set sound index too large")
      << QStringList{"set", "snacks/a.pac", "sound=256"} << 2 << QByteArray()
      << QStringLiteral("大きすぎます") << Patches{};
  QTest::newRow("set unknown key")
      << QStringList{"set", "snacks/a.pac", "colour=red"} << 2 << QByteArray()
      << QStringLiteral("「colour」という項目はありません") << Patches{};
  QTest::newRow("set opened year is no key") << QStringList{"set", "snacks/a.pac", "opened_year=1"}
                                             << 2 << QByteArray() << refused << Patches{};
  QTest::newRow("set missing file")
      << QStringList{"set", "snacks/none.pac", "name=x"} << 1 << QByteArray()
      << QStringLiteral("ファイルがありません") << Patches{};

  QTest::newRow("set several files")
      << QStringList{"set", "snacks/a.pac", "snacks/b.pac", "calories=5"} << 0 << QByteArray()
      << QString()
      << Patches{{"snacks/a.pac", 885, QByteArray::fromHex("0500")},
                 {"snacks/b.pac", 885, QByteArray::fromHex("0500")}};
  QTest::newRow("set several, one refused, none written")
      << QStringList{"set", "snacks/a.pac", "snacks/b.pac", "number=x"} << 2 << QByteArray()
      << QStringLiteral("「おやつの番号（number）」の「x」は整数ではありません") << Patches{};
  // Over a folder only snacks with a picture and its mask: b.pac and c.pac are left out.
  QTest::newRow("set all") << QStringList{"set", "--all", "sound=0"} << 1 << QByteArray()
                           << QStringLiteral("short.pac")
                           << Patches{{"snacks/a.pac", 903, QByteArray(1, '\0')}};
  const QByteArray listed =
      "ファイル\t項目\tいまの値\t新しい値\nsnacks/a.pac\tおやつの番号\t101\t102\n";
  QTest::newRow("apply dry run")
      << QStringList{"apply", "--dry-run", "edit.csv"} << 1
      << listed + "1 個のファイルの 1 項目を変更します（--dry-run: 何も書き込みませんでした）。\n"
      << QStringLiteral("「snacks/none.pac」（4 行目）：フォルダにありません。") << Patches{};
  QTest::newRow("apply dry run json")
      << QStringList{"apply", "--json", "--dry-run", "edit.csv"} << 1
      << QByteArray(
             R"({"file":"snacks/a.pac","ignored":false,"item":"おやつの番号","key":"number","new":"102","old":"101"})"
             "\n")
      << QStringLiteral("none.pac") << Patches{};
  QTest::newRow("apply") << QStringList{"apply", "edit.csv"} << 1
                         << listed + "1 個のファイルを変更しました。\n"
                         << QStringLiteral("none.pac")
                         << Patches{{"snacks/a.pac", 12, QByteArray::fromHex("6600")}};
  QTest::newRow("apply refused, none written")
      << QStringList{"apply", "bad.csv"} << 2 << QByteArray()
      << QStringLiteral("「おやつの番号」の「abc」は整数ではありません") << Patches{};

  QTest::newRow("refresh") << QStringList{"refresh", "snacks/none.pac", "snacks/b.pac"} << 1
                           << QByteArray("未開封に戻しました: snacks/b.pac\n")
                           << QStringLiteral("none.pac") << Patches{{"snacks/b.pac", 889, zeros14}};
  // Over a folder only snacks with a picture and its mask are written.
  QTest::newRow("refresh all")
      << QStringList{"refresh", "--all"} << 1 << QByteArray("未開封に戻しました: snacks/a.pac\n")
      << QStringLiteral("「snacks/c.pac」は未開封に戻しませんでした：おやつファイルではありません")
      << Patches{{"snacks/a.pac", 889, zeros14}};
  QTest::newRow("refresh all leaves a text")
      << QStringList{"refresh", "--all", "mixed/"} << 1
      << QByteArray("未開封に戻しました: mixed/a.pac\n")
      << QStringLiteral(
             "「mixed/memo.txt」は未開封に戻しませんでした：おやつファイルではありません")
      << Patches{{"mixed/a.pac", 889, zeros14}};
#ifndef Q_OS_WIN
  QTest::newRow("refresh all leaves a link")
      << QStringList{"refresh", "--all", "mixed/"} << 1
      << QByteArray("未開封に戻しました: mixed/a.pac\n")
      << QStringLiteral("「mixed/link.pac」は未開封に戻しませんでした：リンクです")
      << Patches{{"mixed/a.pac", 889, zeros14}};
#endif

  QTest::newRow("make") << QStringList{"make", "new.pac"} << 0 << QByteArray() << QString()
                        << Patches{{"おやつ工場/new.pac", kJoined, {}}};
  QTest::newRow("make picture") << QStringList{"make", "--picture", "pic.png", "new.pac"} << 0
                                << QByteArray() << QString()
                                << Patches{{"おやつ工場/new.pac", kPicture, {}}};
  QTest::newRow("make picture, no key colour")
      << QStringList{"make", "--picture", "pic.png", "--no-key-colour", "new.pac"} << 0
      << QByteArray() << QString() << Patches{{"おやつ工場/new.pac", kPictureNoKey, {}}};
  QTest::newRow("make missing picture")
      << QStringList{"make", "--picture", "none.png", "x.pac"} << 1 << QByteArray()
      << QStringLiteral("none.png") << Patches{};
  QTest::newRow("make part name") << QStringList{"make", "mask.bmp"} << 2 << QByteArray()
                                  << QStringLiteral("部品の名前") << Patches{};
  QTest::newRow("make without factory")
      << QStringList{"--workdir", "snacks", "make", "x.pac"} << 2 << QByteArray()
      << QStringLiteral("おやつ工場のフォルダ") << Patches{};

  // Control characters of texts and names shown as escapes; a cell's tab and
  // line breaks as blanks.
  QTest::newRow("show escapes controls")
      << QStringList{"show", "odd/esc.pac"} << 0
      << QByteArray(
             "*おやつの名前: \\x1b[31mあか\\x1b[0m\nおやつの説明: x\\x0dy\n"
             "おやつの作者: a\\x09b\n")
      << QString() << Patches{};
  // A name given as its text's U+FFFD: the bytes it stands for are unknown.
  QTest::newRow("set U+FFFD names nothing")
      << QStringList{"set", "bytes/caf\uFFFD.pac", "name=y"} << 1 << QByteArray()
      << QStringLiteral("見つかりません") << Patches{};
  QTest::newRow("hex: not hex") << QStringList{"show", "hex:7g"} << 2 << QByteArray()
                                << QStringLiteral("hex:") << Patches{};
#ifndef Q_OS_WIN
  // Names of bytes that are no UTF-8: Linux's (on Windows names are UTF-16).
  QTest::newRow("ls cleans and escapes file names")
      << QStringList{"ls", "odd/"} << 0
      << QByteArray(
             "odd/e\\x1b.pac\tn\t\nodd/esc.pac\t\\x1b[31mあか\\x1b[0m\ta b\n"
             "odd/l f.pac\tn\t\n")
      << QString() << Patches{};
  QTest::newRow("set removed look-alike")
      << QStringList{"set", "bytes/caf\\xe9.pac", "name=y"} << 1 << QByteArray()
      << QStringLiteral("見つかりません") << Patches{};
  QTest::newRow("set text shown by two") << QStringList{"set", "bytes/\u2252.pac", "name=y"} << 2
                                         << QByteArray() << QStringLiteral("二つ以上") << Patches{};
  QTest::newRow("set hex:") << QStringList{"set", "hex:62797465732f636166e82e706163", "calories=5"}
                            << 0 << QByteArray() << QString()
                            << Patches{{"bytes/hex:636166e82e706163", 885,
                                        QByteArray::fromHex("0500")}};
  QTest::newRow("show json file_hex")
      << QStringList{"show", "--json", "bytes/caf\\xe8.pac"} << 0
      << QByteArray(
             R"({"file":"bytes/caf�.pac","file_hex":"62797465732f636166e82e706163","name":"x","description":"","author":"","number":8,"quantity":0,"best_before":0,"calories":0,"type":{"index":0,"name":"ふつうのおやつ"},"sound":{"index":0,"name":"なし"},"opened":null,"picture":null})"
             "\n")
      << QString() << Patches{};
  QTest::newRow("refresh all of a folder by bytes")
      << QStringList{"refresh", "--all", "bytes/f\\xe9"} << 0
      << QByteArray("未開封に戻しました: bytes/f\uFFFD/s.pac\n") << QString()
      << Patches{{"bytes/hex:66e9/s.pac", 889, zeros14}};
  QTest::newRow("make picture by bytes")
      << QStringList{"make", "--picture", "bytes/p\\xe9.png", "new.pac"} << 0 << QByteArray()
      << QString() << Patches{{"おやつ工場/new.pac", kPicture, {}}};
#endif

  QTest::newRow("version") << QStringList{"--version"} << 0 << QByteArray("crumbwright-cli 1.0.1\n")
                           << QString() << Patches{};
  QTest::newRow("help set") << QStringList{"help", "set"} << 0
                            << QByteArray("*使い方: crumbwright-cli set FILE... FIELD=VALUE...")
                            << QString() << Patches{};
  QTest::newRow("no subcommand") << QStringList{} << 2 << QByteArray() << QStringLiteral("--help")
                                 << Patches{};
  QTest::newRow("unknown subcommand")
      << QStringList{"list"} << 2 << QByteArray() << QStringLiteral("「list」") << Patches{};
  QTest::newRow("json and csv") << QStringList{"ls", "--json", "--csv"} << 2 << QByteArray()
                                << refused + "ls" << Patches{};

  // The option forms typed from habit; "-" reads the names of files, one a
  // line, from standard input (kStandardInput).
  QTest::newRow("-V") << QStringList{"-V"} << 0 << QByteArray("crumbwright-cli 1.0.1\n")
                      << QString() << Patches{};
  QTest::newRow("-h") << QStringList{"-h"} << 0 << QByteArray("*サブコマンド:") << QString()
                      << Patches{};
  QTest::newRow("workdir=") << QStringList{"--workdir=..", "show", "--json", "../snacks/a.pac"} << 0
                            << QByteArray(kJsonA).replace("snacks/", "../snacks/") << QString()
                            << Patches{};
  QTest::newRow("workdir= missing folder")
      << QStringList{"--workdir=nowhere", "ls"} << 2 << QByteArray()
      << QStringLiteral("作業フォルダ「nowhere」") << Patches{};
  QTest::newRow("show -") << QStringList{"show", "--json", "-"} << 1 << kJsonA + kJsonC
                          << QStringLiteral("none.pac") << Patches{};
  QTest::newRow("refresh - and a file")
      << QStringList{"refresh", "snacks/b.pac", "-"} << 1
      << QByteArray(
             "未開封に戻しました: snacks/b.pac\n未開封に戻しました: snacks/a.pac\n"
             "未開封に戻しました: snacks/c.pac\n")
      << QStringLiteral("none.pac")
      << Patches{{"snacks/a.pac", 889, zeros14},
                 {"snacks/b.pac", 889, zeros14},
                 {"snacks/c.pac", 889, zeros14}};

  // A thumbnail writes nothing when it cannot be made, nor over a file that is
  // not a PNG picture (the pixels of one that is made: thumbnail()).
  QTest::newRow("thumbnail without picture")
      << QStringList{"thumbnail", "snacks/b.pac", "b.png"} << 1 << QByteArray()
      << QStringLiteral("「snacks/b.pac」には絵がありません") << Patches{};
  QTest::newRow("thumbnail too short")
      << QStringList{"thumbnail", "snacks/short.pac", "s.png"} << 1 << QByteArray()
      << QStringLiteral("snacks/short.pac") << Patches{};
  QTest::newRow("thumbnail over a snack")
      << QStringList{"thumbnail", "snacks/a.pac", "snacks/c.pac"} << 2 << QByteArray()
      << QStringLiteral("「snacks/c.pac」は PNG ファイルではない") << Patches{};
  QTest::newRow("thumbnail over itself")
      << QStringList{"thumbnail", "snacks/a.pac", "snacks/a.pac"} << 2 << QByteArray()
      << QStringLiteral("おやつファイルそのもの") << Patches{};
  QTest::newRow("thumbnail size 0") << QStringList{"thumbnail", "-s", "0", "snacks/a.pac", "a.png"}
                                    << 2 << QByteArray() << QStringLiteral("-s") << Patches{};
  QTest::newRow("thumbnail size 4097")
      << QStringList{"thumbnail", "-s", "4097", "snacks/a.pac", "a.png"} << 2 << QByteArray()
      << QStringLiteral("1 から 4096") << Patches{};
  QTest::newRow("thumbnail no output") << QStringList{"thumbnail", "snacks/a.pac"} << 2
                                       << QByteArray() << refused + "thumbnail" << Patches{};
}

void TstCli::run() {
  QFETCH(QStringList, args);
  QFETCH(int, status);
  QFETCH(QByteArray, out);
  QFETCH(QString, err);
  QFETCH(Patches, patches);
  Fixture ws;
  if (QTest::currentTestFailed()) return;
  QDir().mkpath(ws.path("sub"));
  QMap<QString, QByteArray> expected = contents(ws);
  const Result r =
      runCli(cliProgram(), args,
             ws.path(args.contains("..") || args.contains("--workdir=..") ? "sub" : ""));

  QCOMPARE(r.status, status);
  if (out.startsWith('*'))
    QVERIFY2(r.out.contains(out.mid(1)), r.out.constData());
  else
    QCOMPARE(r.out, out);
  if (err.isEmpty())
    QCOMPARE(r.err, QByteArray());
  else
    // Paths in messages are shown with the system's separators.
    QVERIFY2(QString::fromUtf8(r.err).replace(QLatin1Char('\\'), QLatin1Char('/')).contains(err),
             r.err.constData());
  // Every file as it was but for the patches; a new snack is the factory's parts.
  for (const Patch& p : patches) {
    if (p.at >= 0) {
      expected[p.file].replace(p.at, p.bytes.size(), p.bytes);
    } else if (p.at == kJoined) {
      expected[p.file] = expected["おやつ工場/head.dat"] + expected["おやつ工場/Image.bmp"] +
                         expected["おやつ工場/mask.bmp"];
    } else {
      QVERIFY(snack::makeSnackBytes(ws.path("おやつ工場"), QImage(ws.path("pic.png")),
                                    p.at == kPicture, expected[p.file])
                  .ok);
    }
  }
  const QMap<QString, QByteArray> after = contents(ws);
  QCOMPARE(after.keys(), expected.keys());
  for (const QString& file : after.keys())
    QVERIFY2(after[file] == expected[file], qPrintable(file));
}

// A snack whose picture is 2 × 2 pixels, bottom row first: red, green; top row:
// blue, white. Its mask leaves the top right pixel out.
const QByteArray kTinySnack =
    QByteArray(904, '\0') +
    QByteArray::fromHex(
        "424d4600000000000000360000002800000002000000020000000100180000000000"
        "1000000000000000000000000000000000000000" /* headers */
        "0000ff00ff000000"
        "ff0000ffffff0000" /* rows */) +
    QByteArray::fromHex(
        "424d46000000000000003e0000002800000002000000020000000100010000000000"
        "0800000000000000000000000000000000000000" /* headers; table: */
        "00000000ffffff00"
        "00000000"
        "40000000" /* rows */);

// Pixels as x, y and ARGB.
using Pixels = QList<std::array<uint, 3>>;

void TstCli::thumbnail_data() {
  QTest::addColumn<QStringList>("size");
  QTest::addColumn<QSize>("expected");
  QTest::addColumn<Pixels>("pixels");
  const uint red = 0xffff0000, green = 0xff00ff00, blue = 0xff0000ff, none = 0;
  // Pixel art grows by whole factors only: 2 × 2 in 7 × 7 is 6 × 6.
  QTest::newRow("-s 7") << QStringList{"-s", "7"} << QSize(6, 6)
                        << Pixels{{0, 0, blue}, {2, 2, blue}, {3, 0, none},  {5, 2, none},
                                  {0, 3, red},  {2, 5, red},  {3, 3, green}, {5, 5, green}};
  QTest::newRow("default 128") << QStringList{} << QSize(128, 128)
                               << Pixels{{63, 63, blue},
                                         {64, 63, none},
                                         {63, 64, red},
                                         {127, 127, green}};
  QTest::newRow("-s 1 shrinks") << QStringList{"-s", "1"} << QSize(1, 1) << Pixels{};
}

// The PNG file a thumbnail writes: its size and pixels.
void TstCli::thumbnail() {
  QFETCH(QStringList, size);
  QFETCH(QSize, expected);
  QFETCH(Pixels, pixels);
  testing::Workspace ws;
  samplegen::writeFile(ws.path("tiny.pac"), kTinySnack);
  const Result r =
      runCli(cliProgram(), QStringList{"thumbnail"} + size + QStringList{"tiny.pac", "tiny.png"},
             ws.path(""));
  QCOMPARE(r.status, 0);
  QCOMPARE(r.err, QByteArray());
  QFile png(ws.path("tiny.png"));
  QVERIFY(png.open(QIODevice::ReadOnly));
  QCOMPARE(png.read(8), QByteArray("\x89PNG\r\n\x1a\n"));
  const QImage image(ws.path("tiny.png"));
  QCOMPARE(image.size(), expected);
  for (const auto& [x, y, argb] : pixels)
    QCOMPARE(QString::number(image.pixel(int(x), int(y)), 16), QString::number(argb, 16));
}

// ls --csv read back by apply changes no byte of any file, and says so.
void TstCli::csvRoundTrip() {
  Fixture ws;
  if (QTest::currentTestFailed()) return;
  QDir().mkpath(ws.path("sub"));
  const QMap<QString, QByteArray> before = contents(ws);
  const Result ls = runCli(cliProgram(), {"ls", "--csv"}, ws.path(""));
  QCOMPARE(ls.status, 1);  // short.pac
  QVERIFY(samplegen::writeFile(ws.path("sub/a.csv"), ls.out));
  const Result apply = runCli(cliProgram(), {"apply", "sub/a.csv"}, ws.path(""));
  QCOMPARE(apply.status, 0);
  QCOMPARE(apply.out, QByteArray("変更はありません。何も書き込みませんでした。\n"));
  QCOMPARE(contents(ws), before);
}

#ifndef Q_OS_WIN
// A name in Shift-JIS bytes given as those bytes, as a shell's completion gives it.
void TstCli::shiftJisBytesArgument() {
  Fixture ws;
  if (QTest::currentTestFailed()) return;
  QString octal;
  for (const char c : sj("おやつ.pac"))
    octal += QStringLiteral("\\%1").arg(uchar(c), 3, 8, QChar('0'));
  const Result r = runCli(
      "/bin/sh",
      {"-c", "exec \"$0\" set \"snacks/$(printf '" + octal + "')\" calories=5", cliProgram()},
      ws.path(""));
  QCOMPARE(r.status, 0);
  QCOMPARE(contents(ws)["snacks/おやつ.pac"].mid(885, 2), QByteArray::fromHex("0500"));
}
#endif

#ifndef Q_OS_WIN
// Each command is one entry of the history; history --json lists it, undo
// puts the file back, and refuses an unknown id or a file changed since.
void TstCli::historyAndUndo() {
  Fixture ws;
  if (QTest::currentTestFailed()) return;
  const QString dir = ws.path("");
  const QByteArray a = samplegen::readFile(ws.snack("a.pac"));
  const QByteArray b = samplegen::readFile(ws.snack("b.pac"));
  QCOMPARE(runCli(cliProgram(), {"set", "snacks/a.pac", "name=大福"}, dir).status, 0);
  QCOMPARE(runCli(cliProgram(), {"refresh", "snacks/b.pac"}, dir).status, 0);
  Result r = runCli(cliProgram(), {"history", "--json", "snacks/a.pac"}, dir);
  QCOMPARE(r.status, 0);
  QCOMPARE(r.out.count('\n'), 1);
  const QJsonObject e = QJsonDocument::fromJson(r.out).object();
  QCOMPARE(e["id"].toInt(), 1);
  QCOMPARE(e["operation"].toString(), QString("コマンド: set"));
  QVERIFY(QRegularExpression("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ$")
              .match(e["time"].toString())
              .hasMatch());
  const QJsonObject file = e["files"].toArray().first().toObject();
  QCOMPARE(file["file"].toString(), QDir::toNativeSeparators(ws.snack("a.pac")));
  QCOMPARE(file["kind"].toString(), QString("changed"));
  QCOMPARE(QJsonDocument(file["fields"].toObject()).toJson(QJsonDocument::Compact),
           QByteArray(R"({"name":{"new":"大福","old":"いちご大福"}})"));
  r = runCli(cliProgram(), {"history"}, dir);
  QVERIFY2(r.out.contains("開封日時: 2000/11/30 12:34:56 → 未開封"), r.out.constData());

  QCOMPARE(runCli(cliProgram(), {"undo", "1"}, dir).status, 0);
  QCOMPARE(samplegen::readFile(ws.snack("a.pac")), a);
  r = runCli(cliProgram(), {"undo", "99", "2"}, dir);
  QCOMPARE(r.status, 2);
  QVERIFY2(QString::fromUtf8(r.err).contains("変更の履歴に 99 はありません"), r.err.constData());
  QByteArray poked = samplegen::readFile(ws.snack("b.pac"));
  poked[950] = 'Z';
  QVERIFY(samplegen::writeFile(ws.snack("b.pac"), poked));
  r = runCli(cliProgram(), {"undo", "2"}, dir);
  QCOMPARE(r.status, 1);
  QVERIFY2(QString::fromUtf8(r.err).contains("このあとで変更されています"), r.err.constData());
  QCOMPARE(samplegen::readFile(ws.snack("b.pac")), poked);
  poked[950] = b[950];
  QVERIFY(samplegen::writeFile(ws.snack("b.pac"), poked));
  QCOMPARE(runCli(cliProgram(), {"undo", "2"}, dir).status, 0);
  QCOMPARE(samplegen::readFile(ws.snack("b.pac")), b);

  // A replaced file over 16 MiB is not kept: make refuses unless told.
  const QByteArray big((16 << 20) + 1, 'x');
  QVERIFY(samplegen::writeFile(ws.path("おやつ工場/big.pac"), big));
  r = runCli(cliProgram(), {"make", "big.pac"}, dir);
  QCOMPARE(r.status, 2);
  QVERIFY2(QString::fromUtf8(r.err).contains("16 MiB"), r.err.constData());
  QCOMPARE(samplegen::readFile(ws.path("おやつ工場/big.pac")), big);
  QCOMPARE(runCli(cliProgram(), {"make", "--no-history", "big.pac"}, dir).status, 0);
  QVERIFY(samplegen::readFile(ws.path("おやつ工場/big.pac")) != big);
}
#endif

QTEST_MAIN(TstCli)
#include "tst_cli.moc"
