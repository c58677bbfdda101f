// SPDX-License-Identifier: GPL-3.0-or-later
// crumbwright-cli run as a child process (under Wine, the Windows program):
// its output, exit status and every byte of every file afterwards.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <filesystem>

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
#ifndef Q_OS_WIN
  void shiftJisBytesArgument();
  void historyAndUndo();
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
// named in Shift-JIS bytes on Linux.
struct Fixture : testing::Workspace {
  Fixture() { writeSnacks(); }
  // QTemporaryDir leaves names that are not UTF-8 behind.
  ~Fixture() {
    std::error_code ignored;
    std::filesystem::remove_all(QFile::encodeName(path("snacks")).toStdString(), ignored);
  }
  void writeSnacks();
};

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
  platform::ByteFile f(sjisName);
  QVERIFY(f.open(platform::ByteFile::Mode::CreateUpdate) &&
          f.writeAt(0, header(sj("おやつ"), "", "", {1, 1, 1, 1})));
}

// Every file of the working folder, the snack folder and the factory, by the
// name shown for it.
QMap<QString, QByteArray> contents(const Fixture& ws) {
  QMap<QString, QByteArray> all;
  for (const QString folder : {"", "snacks/", "おやつ工場/"}) {
    const auto files = platform::listFiles(ws.path(folder));
    for (const platform::FolderEntry& e : *files) {
      platform::ByteFile f(e.path);
      QByteArray bytes;
      if (f.open(platform::ByteFile::Mode::Read) && f.size() > 0) f.readAt(0, f.size(), bytes);
      all.insert(folder + e.name, bytes);
    }
  }
  return all;
}

struct Result {
  int status = -1;
  QByteArray out, err;
};

QString cliProgram() {
  return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral(CRUMB_CLI));
}

Result runCli(const QString& program, const QStringList& args, const QString& dir) {
  QProcess p;
  p.setWorkingDirectory(dir);
  p.start(program, args);
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
const QByteArray kJsonSjis =
    R"({"file":"snacks/おやつ.pac","name":"おやつ","description":"","author":"","number":1,"quantity":1,"best_before":1,"calories":1,"type":{"index":0,"name":"ふつうのおやつ"},"sound":{"index":0,"name":"なし"},"opened":null,"picture":null})"
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

  QTest::newRow("refresh") << QStringList{"refresh", "snacks/none.pac", "snacks/b.pac"} << 1
                           << QByteArray("未開封に戻しました: snacks/b.pac\n")
                           << QStringLiteral("none.pac") << Patches{{"snacks/b.pac", 889, zeros14}};
  QTest::newRow("refresh all")
      << QStringList{"refresh", "--all"} << 1
      << QByteArray(
             "未開封に戻しました: snacks/a.pac\n未開封に戻しました: snacks/b.pac\n"
             "未開封に戻しました: snacks/c.pac\n未開封に戻しました: snacks/おやつ.pac\n")
      << QStringLiteral("short.pac")
      << Patches{{"snacks/a.pac", 889, zeros14},
                 {"snacks/b.pac", 889, zeros14},
                 {"snacks/c.pac", 889, zeros14},
                 {"snacks/おやつ.pac", 889, zeros14}};

  QTest::newRow("make") << QStringList{"make", "new.pac"} << 0 << QByteArray() << QString()
                        << Patches{{"おやつ工場/new.pac", kJoined, {}}};
  QTest::newRow("make picture") << QStringList{"make", "--picture", "pic.png", "new.pac"} << 0
                                << QByteArray() << QString()
                                << Patches{{"おやつ工場/new.pac", kPicture, {}}};
  QTest::newRow("make picture, no key colour")
      << QStringList{"make", "--picture", "pic.png", "--no-key-colour", "new.pac"} << 0
      << QByteArray() << QString() << Patches{{"おやつ工場/new.pac", kPictureNoKey, {}}};
  QTest::newRow("make missing picture")
      << QStringList{"make", "--picture", "none.png", "x.pac"} << 2 << QByteArray()
      << QStringLiteral("none.png") << Patches{};
  QTest::newRow("make part name") << QStringList{"make", "mask.bmp"} << 2 << QByteArray()
                                  << QStringLiteral("部品の名前") << Patches{};
  QTest::newRow("make without factory")
      << QStringList{"--workdir", "snacks", "make", "x.pac"} << 2 << QByteArray()
      << QStringLiteral("おやつ工場のフォルダ") << Patches{};

  QTest::newRow("version") << QStringList{"--version"} << 0 << QByteArray("crumbwright-cli 1.0.1\n")
                           << QString() << Patches{};
  QTest::newRow("help set") << QStringList{"help", "set"} << 0
                            << QByteArray("*使い方: crumbwright-cli set FILE FIELD=VALUE...")
                            << QString() << Patches{};
  QTest::newRow("no subcommand") << QStringList{} << 2 << QByteArray() << QStringLiteral("--help")
                                 << Patches{};
  QTest::newRow("unknown subcommand")
      << QStringList{"list"} << 2 << QByteArray() << QStringLiteral("「list」") << Patches{};
  QTest::newRow("json and csv") << QStringList{"ls", "--json", "--csv"} << 2 << QByteArray()
                                << refused + "ls" << Patches{};
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
  const Result r = runCli(cliProgram(), args, ws.path(args.contains("..") ? "sub" : ""));

  QCOMPARE(r.status, status);
  if (out.startsWith('*'))
    QVERIFY2(r.out.contains(out.mid(1)), r.out.constData());
  else
    QCOMPARE(r.out, out);
  if (err.isEmpty())
    QCOMPARE(r.err, QByteArray());
  else
    QVERIFY2(QString::fromUtf8(r.err).contains(err), r.err.constData());
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

QTEST_MAIN(TstCli)
#include "tst_cli.moc"
