// SPDX-License-Identifier: GPL-3.0-or-later
// Faults against real files, driven through the windows: snack files that
// change between listing and use or are of the wrong kind, read-only files,
// writes that fail part-way (a file size limit, a full device), broken
// settings files, factory names and parts, and bad texts in every box.
// Every case checks the checksums of every file of the working folder (only
// the bytes the operation owns may change), that the program has not ended,
// and that its windows still load and save afterwards.
#include <fcntl.h>
#include <grp.h>
#include <linux/fs.h>
#include <pwd.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QProcess>
#include <QTest>
#include <functional>
#include <memory>
#include <vector>

#include "app/settings.h"
#include "header_table.h"
#include "snack/operations.h"
#include "ui/form1.h"
#include "window_support.h"

using namespace snack;

namespace {

// ---- Faults made with the kernel's own means ------------------------------

// Makes a file or folder read-only, and writable again on destruction: with
// the immutable flag (read-only even for root; ext4 and most other Linux file
// systems), or by clearing its write permissions as chmod a-w does, which
// binds only a user who is not root (see runAsNobody).
class ReadOnly {
 public:
  explicit ReadOnly(const QString& path, bool immutable = true)
      : path_(path), immutable_(immutable), old_(QFile::permissions(path)) {
    const auto write = QFile::WriteOwner | QFile::WriteUser | QFile::WriteGroup | QFile::WriteOther;
    ok_ = immutable ? setFlag(true) : QFile::setPermissions(path, old_ & ~write);
  }
  ~ReadOnly() {
    if (ok_) immutable_ ? setFlag(false) : QFile::setPermissions(path_, old_);
  }
  ReadOnly(const ReadOnly&) = delete;
  ReadOnly& operator=(const ReadOnly&) = delete;
  bool ok() const { return ok_; }

 private:
  bool setFlag(bool on) {
    const int fd = ::open(QFile::encodeName(path_).constData(), O_RDONLY | O_NONBLOCK);
    if (fd < 0) return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
      flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
      done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
  }
  QString path_;
  bool immutable_;
  QFile::Permissions old_;
  bool ok_ = false;
};

// While it lives, no file of the process can grow past `bytes`: a write that
// crosses the limit stops there and the next one fails (EFBIG), for files
// written in place as much as for new ones.
using WriteLimit = testing::FileSizeLimit;

// A small memory file system mounted over a folder, with its contents kept,
// then filled so that only `room` bytes are left. Needs CAP_SYS_ADMIN.
class FullDevice {
 public:
  FullDevice(const QString& folder, qint64 room) : folder_(folder) {
    QMap<QString, QByteArray> saved;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
      const QString p = it.next();
      saved.insert(QDir(folder).relativeFilePath(p), samplegen::readFile(p));
    }
    const QByteArray path = QFile::encodeName(folder);
    if (::mount("tmpfs", path.constData(), "tmpfs", 0, "size=1m,mode=0755") != 0) return;
    mounted_ = true;
    QDir::setCurrent(QDir::currentPath());  // the working folder may be this folder
    for (auto i = saved.cbegin(); i != saved.cend(); ++i) {
      QDir(folder).mkpath(QFileInfo(i.key()).path());
      if (!samplegen::writeFile(QDir(folder).filePath(i.key()), i.value())) return;
    }
    ok_ = fill(room);
  }
  // Fills the device, then gives back `room` bytes.
  bool fill(qint64 room) {
    QFile filler(QDir(folder_).filePath(QStringLiteral("filler.bin")));
    if (!filler.open(QIODevice::Append | QIODevice::Unbuffered)) return false;
    const QByteArray block(4096, 'F');
    while (filler.write(block) == block.size()) {
    }
    filler.close();
    return room == 0 || filler.resize(std::max<qint64>(0, filler.size() - room));
  }
  ~FullDevice() {
    if (!mounted_) return;
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(QDir::rootPath());
    ::umount2(QFile::encodeName(folder_).constData(), MNT_DETACH);
    QDir::setCurrent(cwd);
  }
  FullDevice(const FullDevice&) = delete;
  FullDevice& operator=(const FullDevice&) = delete;
  bool ok() const { return ok_; }

 private:
  QString folder_;
  bool mounted_ = false;
  bool ok_ = false;
};

// ---- Changes to a file between listing and use ------------------------------

// Replaces the file at `path` by something else: "vanished", "folder",
// "short" (903 bytes), "empty", "device" (a link to /dev/full), "dangling"
// (a link to nothing), "loop" (a link to itself), "fifo" (a named pipe);
// "chmod000" keeps it but takes every permission away.
bool spoil(const QString& path, const QString& how) {
  const QByteArray p = QFile::encodeName(path);
  if (how == QLatin1String("chmod000")) return QFile::setPermissions(path, {});
  if (how == QLatin1String("short")) return QFile::resize(path, hdr::kUsable - 1);
  if (how == QLatin1String("empty")) return QFile::resize(path, 0);
  if (!QFile::remove(path)) return false;
  if (how == QLatin1String("vanished")) return true;
  if (how == QLatin1String("folder")) return QDir().mkdir(path);
  if (how == QLatin1String("device")) return ::symlink("/dev/full", p.constData()) == 0;
  if (how == QLatin1String("dangling"))
    return ::symlink((p + ".gone").constData(), p.constData()) == 0;
  if (how == QLatin1String("loop")) return ::symlink(p.constData(), p.constData()) == 0;
  if (how == QLatin1String("fifo")) return ::mkfifo(p.constData(), 0644) == 0;
  return false;
}

// ---- Driving the windows -----------------------------------------------------

// FILE_READ, select the file in the list, Apply.
void loadFile(Form1& form, const QString& name) {
  testing::child<QAction>(&form, "FILE_READ")->trigger();
  Form3* f3 = Form3Window.get();
  QVERIFY(f3 && f3->isVisible());
  const int row = testing::names(f3)->stringList().indexOf(name);
  QVERIFY2(row >= 0, qPrintable(name));
  testing::child<QListView>(f3, "File1")
      ->selectionModel()
      ->setCurrentIndex(testing::names(f3)->index(row),
                        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  QVERIFY(testing::child<QPushButton>(f3, "Command1")->isEnabled());
  testing::child<QPushButton>(f3, "Command1")->click();
  testing::processDeletes();
}

// Everything a failed command must leave as it was: the boxes, the lists, the
// label and the shared state.
QStringList windowState(const Form1& form) {
  const SnackRecordType& r = Module1::SnackRecord;
  QByteArray record;
  record.append(reinterpret_cast<const char*>(&r), sizeof r);
  return testing::boxTexts(form) +
         QStringList{testing::child<QLineEdit>(&form, "Text14")->text(),
                     testing::child<ClickLabel>(&form, "Label18")->text(),
                     QString::number(testing::child<QComboBox>(&form, "Combo1")->currentIndex()),
                     QString::number(testing::child<QComboBox>(&form, "Combo2")->currentIndex()),
                     Module1::SnackFolder,
                     Module1::SnackFileName,
                     QString::fromLatin1(record.toHex())};
}

QByteArray bytesOf(const QString& path) { return samplegen::readFile(path); }

// The program still runs and its windows still work: whatever dialog the
// fault left open is closed with its own button, the main window is shown,
// and a load followed by a save of another file goes through without a
// message.
void checkUsable(testing::WindowWorkspace& ws, Form1& form) {
  QCOMPARE(ws.endCalls, 0);
  if (Form3Window.loaded()) testing::child<QPushButton>(Form3Window.get(), "Command2")->click();
  if (Form4Window.loaded()) testing::child<QPushButton>(Form4Window.get(), "Command2")->click();
  if (Form2Window.loaded() && Form2Window.get()->isVisible()) {
    QCOMPARE(Module1::DialogMode, Module1::kModeFolderAgain);
    testing::child<QPushButton>(Form2Window.get(), "Command2")->click();
  }
  testing::processDeletes();
  QVERIFY(form.isVisible());
  const qsizetype messages = ws.messages.size();
  if (form.HasUnsavedEdits()) ws.answers << QStringLiteral("保存しない");  // what the fault left
  CHECKED(loadFile(form, QStringLiteral("mugen.pac")));
  QCOMPARE(Module1::SnackFileName, QStringLiteral("mugen.pac"));
  QCOMPARE(testing::child<QPlainTextEdit>(&form, "Text1")->toPlainText(),
           QStringLiteral("むげんクッキー"));
  testing::child<QLineEdit>(&form, "Text4")->setText(QStringLiteral("77"));
  testing::child<QAction>(&form, "FILE_SAVE")->trigger();
  QCOMPARE(ws.messages.mid(messages), QStringList());
  QCOMPARE(bytesOf(ws.snack(QStringLiteral("mugen.pac"))).mid(hdr::Number.at, 2),
           QByteArray("\x4d\x00", 2));
  QCOMPARE(ws.endCalls, 0);
}

// Every entry below the working folder: a regular file by the SHA-256 of its
// bytes, a link by its target, a folder or special file by its kind. (Links
// to devices and named pipes are not read: /dev/full never ends and a pipe
// blocks.)
QMap<QString, QByteArray> snapshot(const testing::WindowWorkspace& ws) {
  QMap<QString, QByteArray> sums;
  const QDir root(ws.path(QString()));
  QDirIterator it(root.path(),
                  QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString p = it.next();
    struct stat st {};
    QByteArray v;
    if (::lstat(QFile::encodeName(p).constData(), &st) != 0) {
      v = "unreadable";
    } else if (S_ISLNK(st.st_mode)) {
      v = "link to " + QFile::encodeName(QFileInfo(p).symLinkTarget());
    } else if (S_ISDIR(st.st_mode)) {
      v = "folder";
    } else if (S_ISREG(st.st_mode)) {
      v = QCryptographicHash::hash(samplegen::readFile(p), QCryptographicHash::Sha256).toHex();
    } else {
      v = "special " + QByteArray::number(st.st_mode, 8);
    }
    sums.insert(root.relativeFilePath(p), v);
  }
  return sums;
}

// The same with `owned` (relative paths) left out.
QMap<QString, QByteArray> sumsWithout(const testing::WindowWorkspace& ws,
                                      const QStringList& owned) {
  QMap<QString, QByteArray> sums = snapshot(ws);
  for (const QString& p : owned) sums.remove(p);
  return sums;
}

// ---- The table of cases --------------------------------------------------------

// Rows of a Markdown table: test, message, what was written.
QStringList& caseRows() {
  static QStringList rows;
  return rows;
}

// Notes the current case for docs/reliability.md: the message the user saw
// (the working folder shown as "…") and what was written.
void noteCase(const testing::WindowWorkspace& ws, const QString& written) {
  QString message = ws.messages.join(QStringLiteral(" ／ "));
  message.replace(ws.path(QString()), QStringLiteral("…"));
  message.replace(QLatin1Char('\n'), QLatin1Char(' '));
  message.replace(QLatin1Char('|'), QStringLiteral("\\|"));
  // Long runs of one character (a 300-character name) shown with their count.
  for (qsizetype i = 0; i < message.size(); ++i) {
    qsizetype run = 1;
    while (i + run < message.size() && message[i + run] == message[i]) ++run;
    if (run >= 20)
      message.replace(i, run, QStringLiteral("%1…（%2 文字）").arg(message[i]).arg(run));
  }
  caseRows().append(QStringLiteral("| `%1(%2)` | %3 | %4 |")
                        .arg(QString::fromLatin1(QTest::currentTestFunction()),
                             QString::fromUtf8(QTest::currentDataTag()),
                             message.isEmpty() ? QStringLiteral("（なし）") : message, written));
}

// ---- Permissions as a user meets them ------------------------------------------

// root writes through permission bits. A case that takes permissions away
// ("chmod…") is therefore run, when this program runs as root, by a child
// process of this program that runs that case alone as the user "nobody": it
// gives up root at start (TstFaults::initMain) and then makes its own working
// folder and files.
const char kAsNobody[] = "CRUMB_TEST_AS_NOBODY";

bool needsChild(const QString& how) {
  return how.startsWith(QLatin1String("chmod")) && ::geteuid() == 0;
}

// Runs the current case in that child and takes over the rows it noted.
void runAsNobody() {
  const QString rows = QDir::temp().filePath(QStringLiteral("crumb-rows-%1.md").arg(::getpid()));
  QFile::remove(rows);
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QString::fromLatin1(kAsNobody), QStringLiteral("1"));
  env.insert(QStringLiteral("CRUMB_RELIABILITY_TABLE"), rows);
  QProcess child;
  child.setProcessEnvironment(env);
  child.setProcessChannelMode(QProcess::MergedChannels);
  const QString function = QString::fromLatin1(QTest::currentTestFunction());
  const QString tag = QString::fromUtf8(QTest::currentDataTag());
  child.start(QCoreApplication::applicationFilePath(), {function + QLatin1Char(':') + tag});
  const bool finished = child.waitForFinished(60000);
  const QString out = QString::fromUtf8(child.readAll());
  caseRows() += QString::fromUtf8(samplegen::readFile(rows)).split('\n', Qt::SkipEmptyParts);
  QFile::remove(rows);
  QVERIFY2(finished && child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0 &&
               out.contains(QStringLiteral("PASS   : TstFaults::%1(%2)").arg(function, tag)),
           qPrintable(out));
}

const QString kNothing = QStringLiteral("nothing");
const QString kPutBack =
    QStringLiteral("nothing left changed (what was written before the failure is put back)");

}  // namespace

class TstFaults : public QObject {
  Q_OBJECT
 public:
  // In the child of runAsNobody: gives up root for good before anything else.
  static void initMain() {
    if (!qEnvironmentVariableIsSet(kAsNobody) || ::geteuid() != 0) return;
    const passwd* nobody = ::getpwnam("nobody");
    if (!nobody || ::setgroups(0, nullptr) != 0 || ::setgid(nobody->pw_gid) != 0 ||
        ::setuid(nobody->pw_uid) != 0) {
      std::fprintf(stderr, "cannot become the user nobody\n");
      std::_Exit(3);
    }
  }

 private slots:
  void cleanup() { testing::unloadDialogs(); }
  void cleanupTestCase();
  void loadSpoiledFile_data();
  void loadSpoiledFile();
  void saveSpoiledFile_data();
  void saveSpoiledFile();
  void saveFailsPartWay_data();
  void saveFailsPartWay();
  void saveOnFullDevice_data();
  void saveOnFullDevice();
  void refreshSpoiledFile_data();
  void refreshSpoiledFile();
  void factoryRefuses_data();
  void factoryRefuses();
  void factoryFailsPartWay_data();
  void factoryFailsPartWay();
  void folderApplyFails_data();
  void folderApplyFails();
  void settingsAtStart_data();
  void settingsAtStart();
  void boxTexts_data();
  void boxTexts();
};

// Writes the cases tried to the file CRUMB_RELIABILITY_TABLE names, as the
// rows of a Markdown table.
void TstFaults::cleanupTestCase() {
  const QString out = qEnvironmentVariable("CRUMB_RELIABILITY_TABLE");
  if (out.isEmpty()) return;
  QVERIFY(samplegen::writeFile(out, (caseRows().join(QLatin1Char('\n')) + '\n').toUtf8()));
}

// ---- Loading -----------------------------------------------------------------------

void TstFaults::loadSpoiledFile_data() {
  QTest::addColumn<QString>("how");
  QTest::addColumn<QString>("says");  // part of the message
  QTest::newRow("vanished") << "vanished"
                            << "ありません";
  QTest::newRow("folder") << "folder"
                          << "フォルダです";
  QTest::newRow("903 bytes") << "short"
                             << "903 バイトしかありません";
  QTest::newRow("empty") << "empty"
                         << "0 バイトしかありません";
  QTest::newRow("link to /dev/full") << "device"
                                     << "通常のファイルではありません";
  QTest::newRow("dangling link") << "dangling"
                                 << "ありません";
  QTest::newRow("link loop") << "loop"
                             << "ありません";
  QTest::newRow("named pipe") << "fifo"
                              << "通常のファイルではありません";
  QTest::newRow("unreadable (chmod 000, as a user)") << "chmod000"
                                                     << "読み込めません";
}

// The file is listed, then changes before Apply: a message that names it,
// the selection window stays open, nothing else changes.
void TstFaults::loadSpoiledFile() {
  QFETCH(QString, how);
  QFETCH(QString, says);
  if (needsChild(how)) return runAsNobody();
  testing::WindowWorkspace ws;
  Form1 form;
  form.show();
  CHECKED(loadFile(form, QStringLiteral("ichigo.pac")));
  const QStringList shown = windowState(form);
  testing::child<QAction>(&form, "FILE_READ")->trigger();
  Form3* f3 = Form3Window.get();
  const int row = testing::names(f3)->stringList().indexOf(QStringLiteral("houjicha.pac"));
  testing::child<QListView>(f3, "File1")
      ->selectionModel()
      ->setCurrentIndex(testing::names(f3)->index(row),
                        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  QVERIFY(spoil(ws.snack(QStringLiteral("houjicha.pac")), how));
  const auto before = snapshot(ws);
  testing::child<QPushButton>(f3, "Command1")->click();
  testing::processDeletes();

  QCOMPARE(snapshot(ws), before);
  QCOMPARE(ws.messages.size(), 1);
  QVERIFY2(ws.messages[0].contains(QStringLiteral("houjicha.pac")), qPrintable(ws.messages[0]));
  QVERIFY2(ws.messages[0].contains(says), qPrintable(ws.messages[0]));
  QVERIFY(f3->isVisible());
  QCOMPARE(windowState(form), shown);
  noteCase(ws, kNothing);
  CHECKED(checkUsable(ws, form));
}

// ---- Saving --------------------------------------------------------------------------

void TstFaults::saveSpoiledFile_data() {
  QTest::addColumn<QString>("how");
  QTest::addColumn<QString>("says");
  QTest::newRow("read-only") << "readonly"
                             << "書き込めません";
  QTest::newRow("folder") << "folder"
                          << "フォルダです";
  QTest::newRow("903 bytes") << "short"
                             << "903 バイトしかありません";
  QTest::newRow("empty") << "empty"
                         << "0 バイトしかありません";
  QTest::newRow("link to /dev/full") << "device"
                                     << "通常のファイルではありません";
  QTest::newRow("named pipe") << "fifo"
                              << "通常のファイルではありません";
  QTest::newRow("link loop") << "loop"
                             << "書き込めません";
  QTest::newRow("snack folder removed") << "nofolder"
                                        << "書き込めません";
  QTest::newRow("read-only (chmod 444, as a user)") << "chmod"
                                                    << "書き込めません";
  QTest::newRow("removed from a read-only folder (as a user)") << "chmodfolder"
                                                               << "書き込めません";
}

// The current file changes after loading; the save is refused with a message
// and writes nothing anywhere. The boxes keep what the user typed.
void TstFaults::saveSpoiledFile() {
  QFETCH(QString, how);
  QFETCH(QString, says);
  if (needsChild(how)) return runAsNobody();
  testing::WindowWorkspace ws;
  Form1 form;
  form.show();
  CHECKED(loadFile(form, QStringLiteral("ichigo.pac")));
  testing::child<QPlainTextEdit>(&form, "Text1")->setPlainText(QStringLiteral("新しい名前"));
  testing::child<QLineEdit>(&form, "Text5")->setText(QStringLiteral("9"));
  const QString path = ws.snack(QStringLiteral("ichigo.pac"));
  std::unique_ptr<ReadOnly> readOnly;
  if (how == QLatin1String("readonly")) {
    readOnly = std::make_unique<ReadOnly>(path);
    if (!readOnly->ok()) QSKIP("this file system cannot make a file immutable");
  } else if (how == QLatin1String("chmod")) {
    readOnly = std::make_unique<ReadOnly>(path, false);
  } else if (how == QLatin1String("chmodfolder")) {
    QVERIFY(QFile::remove(path));
    readOnly = std::make_unique<ReadOnly>(ws.path(QStringLiteral("snacks")), false);
  } else if (how == QLatin1String("nofolder")) {
    QVERIFY(QDir(ws.path(QStringLiteral("snacks"))).removeRecursively());
  } else {
    QVERIFY(spoil(path, how));
  }
  const QStringList shown = windowState(form);
  const auto before = snapshot(ws);
  testing::child<QAction>(&form, "FILE_SAVE")->trigger();

  QCOMPARE(snapshot(ws), before);
  QCOMPARE(ws.messages.size(), 1);
  QVERIFY2(ws.messages[0].contains(QStringLiteral("ichigo.pac")), qPrintable(ws.messages[0]));
  QVERIFY2(ws.messages[0].contains(says), qPrintable(ws.messages[0]));
  QCOMPARE(windowState(form), shown);
  noteCase(ws, kNothing);
  readOnly.reset();
  if (how == QLatin1String("nofolder")) QVERIFY(samplegen::writeWorkspace(ws.path(QString())));
  CHECKED(checkUsable(ws, form));
}

void TstFaults::saveFailsPartWay_data() {
  QTest::addColumn<bool>("vanished");
  QTest::addColumn<qint64>("limit");  // no file may grow past this offset
  // The kernel's own EFBIG; tst_writefaults tries a spread of offsets in process.
  QTest::newRow("stops inside the name (100)") << false << qint64(100);
}

// Writes that fail part-way, at the kernel: the message names the file and
// the file is as it was before the save (a removed file stays removed).
void TstFaults::saveFailsPartWay() {
  QFETCH(bool, vanished);
  QFETCH(qint64, limit);
  testing::WindowWorkspace ws;
  Form1 form;
  form.show();
  CHECKED(loadFile(form, QStringLiteral("houjicha.pac")));
  // New values in every field, so any byte that got through would show.
  testing::child<QPlainTextEdit>(&form, "Text1")->setPlainText(QStringLiteral("かわった名前"));
  testing::child<QPlainTextEdit>(&form, "Text2")->setPlainText(QString(120, QChar(0x3044)));
  testing::child<QPlainTextEdit>(&form, "Text3")->setPlainText(QStringLiteral("だれか"));
  testing::child<QLineEdit>(&form, "Text4")->setText(QStringLiteral("999"));
  testing::child<QLineEdit>(&form, "Text5")->setText(QStringLiteral("5"));
  testing::child<QLineEdit>(&form, "Text8")->setText(QStringLiteral("1999"));
  testing::child<QLineEdit>(&form, "Text13")->setText(QStringLiteral("1"));
  testing::child<QComboBox>(&form, "Combo1")->setCurrentIndex(9);
  const QString path = ws.snack(QStringLiteral("houjicha.pac"));
  if (vanished) QVERIFY(QFile::remove(path));
  const QStringList shown = windowState(form);
  const auto before = snapshot(ws);
  {
    WriteLimit cap(limit);
    testing::child<QAction>(&form, "FILE_SAVE")->trigger();
  }
  QCOMPARE(snapshot(ws), before);
  QCOMPARE(ws.messages.size(), 1);
  QVERIFY2(ws.messages[0].contains(QStringLiteral("houjicha.pac")), qPrintable(ws.messages[0]));
  QCOMPARE(windowState(form), shown);
  noteCase(ws, vanished ? QStringLiteral("nothing (the file it made is removed)") : kPutBack);

  // Without the limit the same save goes through.
  testing::child<QAction>(&form, "FILE_SAVE")->trigger();
  QCOMPARE(ws.messages.size(), 1);
  QCOMPARE(bytesOf(path).mid(hdr::Number.at, 2), QByteArray("\xe7\x03", 2));
  CHECKED(checkUsable(ws, form));
}

void TstFaults::saveOnFullDevice_data() {
  QTest::addColumn<bool>("vanished");
  QTest::addColumn<qint64>("room");
  QTest::newRow("in place, device full") << false << qint64(0);
  QTest::newRow("new file, device full") << true << qint64(0);
}

// A full device: saving in place needs no new space and goes through with
// exactly the saved bytes; a removed file cannot be made again, and nothing
// is left behind.
void TstFaults::saveOnFullDevice() {
  QFETCH(bool, vanished);
  QFETCH(qint64, room);
  testing::WindowWorkspace ws;
  FullDevice device(ws.path(QStringLiteral("snacks")), room);
  if (!device.ok()) QSKIP("cannot mount a small tmpfs here (needs CAP_SYS_ADMIN)");
  Form1 form;
  form.show();
  CHECKED(loadFile(form, QStringLiteral("houjicha.pac")));
  testing::child<QLineEdit>(&form, "Text4")->setText(QStringLiteral("999"));
  const QString path = ws.snack(QStringLiteral("houjicha.pac"));
  const QByteArray old = bytesOf(path);
  if (vanished) QVERIFY(QFile::remove(path) && device.fill(room));
  const auto before = sumsWithout(ws, {QStringLiteral("snacks/houjicha.pac")});
  testing::child<QAction>(&form, "FILE_SAVE")->trigger();
  // (The save in place is kept in the history of the working folder.)
  QCOMPARE(sumsWithout(ws, {QStringLiteral("snacks/houjicha.pac"), QStringLiteral("履歴"),
                            QStringLiteral("履歴/1.entry")}),
           before);
  if (vanished) {
    QCOMPARE(ws.messages.size(), 1);
    QVERIFY2(ws.messages[0].contains(QStringLiteral("houjicha.pac")), qPrintable(ws.messages[0]));
    QVERIFY(!QFileInfo::exists(path));
    noteCase(ws, kNothing);
  } else {
    QCOMPARE(ws.messages, QStringList());
    const QByteArray now = bytesOf(path);
    QCOMPARE(now.size(), old.size());
    QCOMPARE(now.mid(hdr::Number.at, 2), QByteArray("\xe7\x03", 2));
    QCOMPARE(now.left(hdr::Number.at), old.left(hdr::Number.at));
    QCOMPARE(now.mid(hdr::kUsable), old.mid(hdr::kUsable));
    noteCase(ws, QStringLiteral("the saved ranges only (12–13 now E7 03)"));
  }
  QVERIFY(QFile::remove(ws.path(QStringLiteral("snacks/filler.bin"))));
  CHECKED(checkUsable(ws, form));
}

// ---- Refresh -------------------------------------------------------------------------

void TstFaults::refreshSpoiledFile_data() {
  QTest::addColumn<QString>("how");
  QTest::addColumn<qint64>("limit");
  QTest::addColumn<QString>("says");
  QTest::newRow("nothing loaded") << "unloaded" << qint64(-1) << "まだ読み込まれていません";
  QTest::newRow("vanished") << "vanished" << qint64(-1) << "ありません";
  QTest::newRow("folder") << "folder" << qint64(-1) << "フォルダです";
  QTest::newRow("903 bytes") << "short" << qint64(-1) << "903 バイトしかありません";
  QTest::newRow("empty") << "empty" << qint64(-1) << "0 バイトしかありません";
  QTest::newRow("read-only") << "readonly" << qint64(-1) << "リフレッシュできません";
  QTest::newRow("read-only (chmod 444, as a user)")
      << "chmod" << qint64(-1) << "リフレッシュできません";
  QTest::newRow("link to /dev/full") << "device" << qint64(-1) << "通常のファイルではありません";
  QTest::newRow("named pipe") << "fifo" << qint64(-1) << "通常のファイルではありません";
  // The kernel's own EFBIG; tst_writefaults tries a spread of offsets in process.
  QTest::newRow("write stops at 895") << "" << qint64(895) << "リフレッシュできません";
}

// Double-click on Label18, then "リフレッシュする": a message, no file made
// or changed, the label and the date boxes as they were.
void TstFaults::refreshSpoiledFile() {
  QFETCH(QString, how);
  QFETCH(qint64, limit);
  QFETCH(QString, says);
  if (needsChild(how)) return runAsNobody();
  testing::WindowWorkspace ws;
  Form1 form;
  QVERIFY(testing::showActive(&form));
  if (how != QLatin1String("unloaded")) loadFile(form, QStringLiteral("houjicha.pac"));
  const QString path = ws.snack(QStringLiteral("houjicha.pac"));
  std::unique_ptr<ReadOnly> readOnly;
  if (how == QLatin1String("readonly")) {
    readOnly = std::make_unique<ReadOnly>(path);
    if (!readOnly->ok()) QSKIP("this file system cannot make a file immutable");
  } else if (how == QLatin1String("chmod")) {
    readOnly = std::make_unique<ReadOnly>(path, false);
  } else if (!how.isEmpty() && how != QLatin1String("unloaded")) {
    QVERIFY(spoil(path, how));
  }
  const QStringList shown = windowState(form);
  const auto before = snapshot(ws);
  QTest::mouseDClick(testing::child<ClickLabel>(&form, "Label18"), Qt::LeftButton);
  Form4* f4 = Form4Window.get();
  QVERIFY(f4 && f4->isVisible());
  {
    std::unique_ptr<WriteLimit> cap;
    if (limit >= 0) cap = std::make_unique<WriteLimit>(limit);
    testing::child<QPushButton>(f4, "Command1")->click();
  }
  testing::processDeletes();
  QCOMPARE(snapshot(ws), before);
  QCOMPARE(ws.messages.size(), 1);
  QVERIFY2(ws.messages[0].contains(says), qPrintable(ws.messages[0]));
  QCOMPARE(windowState(form), shown);
  QVERIFY(!Form4Window.loaded());
  QVERIFY(form.isVisible());
  noteCase(ws, limit > hdr::OpenedYear.at ? kPutBack : kNothing);
  readOnly.reset();
  CHECKED(checkUsable(ws, form));
}

// ---- Factory -------------------------------------------------------------------------

void TstFaults::factoryRefuses_data() {
  QTest::addColumn<QString>("name");  // Text14
  QTest::addColumn<QString>("fault");
  QTest::addColumn<QString>("says");
  const QString none;
  QTest::newRow("empty name") << "" << none << "空です";
  QTest::newRow("name with /") << "sub/x.pac" << none << "ファイル名として使えません";
  QTest::newRow("name with \\") << "..\\x.pac" << none << "ファイル名として使えません";
  QTest::newRow("name ..") << ".." << none << "ファイル名として使えません";
  QTest::newRow("name .") << "." << none << "ファイル名として使えません";
  QTest::newRow("names head.dat") << "head.dat" << none << "部品の名前です";
  QTest::newRow("names IMAGE.BMP") << "IMAGE.BMP" << none << "部品の名前です";
  QTest::newRow("names mask.bmp") << "mask.bmp" << none << "部品の名前です";
  QTest::newRow("name of 300 characters") << QString(300, QLatin1Char('n')) << none << "作れません";
  QTest::newRow("no factory folder") << "x.pac"
                                     << "nofactory"
                                     << "フォルダ「おやつ工場」がありません";
  QTest::newRow("no head.dat") << "x.pac"
                               << "head.dat"
                               << "部品「おやつ工場/head.dat」がありません";
  QTest::newRow("no Image.bmp") << "x.pac"
                                << "Image.bmp"
                                << "部品「おやつ工場/Image.bmp」がありません";
  QTest::newRow("no mask.bmp") << "x.pac"
                               << "mask.bmp"
                               << "部品「おやつ工場/mask.bmp」がありません";
  QTest::newRow("mask.bmp is a folder") << "x.pac"
                                        << "maskfolder"
                                        << "mask.bmp」がありません";
  QTest::newRow("output is a folder") << "x.pac"
                                      << "outfolder"
                                      << "同じ名前のフォルダがあります";
  QTest::newRow("older output read-only") << "old.pac"
                                          << "readonlyout"
                                          << "old.pac";
  QTest::newRow("factory folder read-only") << "x.pac"
                                            << "readonlyfactory"
                                            << "x.pac";
  QTest::newRow("older output chmod 444 (as a user)") << "old.pac"
                                                      << "chmodout"
                                                      << "書き込みが禁止されています";
  QTest::newRow("factory folder chmod 555 (as a user)") << "x.pac"
                                                        << "chmodfactory"
                                                        << "x.pac";
  // The new file would replace a link's target, or a part under another name.
  QTest::newRow("output links to head.dat") << "x.pac"
                                            << "symlink:head.dat"
                                            << "「おやつ工場/x.pac」はシンボリックリンクです";
  QTest::newRow("output links to a snack") << "x.pac"
                                           << "symlink:../snacks/ichigo.pac"
                                           << "シンボリックリンクです";
  QTest::newRow("output links to nothing") << "x.pac"
                                           << "symlink:gone.pac"
                                           << "シンボリックリンクです";
  QTest::newRow("output is a hard link to Image.bmp")
      << "x.pac"
      << "hardlink:Image.bmp"
      << "部品「おやつ工場/Image.bmp」と同じファイルです";
}

// Ctrl+N with a bad name or a broken factory: a message, and neither the
// parts nor an older output change; no file is made.
void TstFaults::factoryRefuses() {
  QFETCH(QString, name);
  QFETCH(QString, fault);
  QFETCH(QString, says);
  if (needsChild(fault)) return runAsNobody();
  testing::WindowWorkspace ws;
  const QString factory = ws.path(kFactoryFolder);
  QVERIFY(samplegen::writeFile(factory + QStringLiteral("/old.pac"), QByteArray(5000, 'o')));
  std::unique_ptr<ReadOnly> readOnly;
  if (fault == QLatin1String("nofactory")) {
    QVERIFY(QDir(factory).removeRecursively());
  } else if (fault == QLatin1String("maskfolder")) {
    QVERIFY(QFile::remove(factory + QStringLiteral("/mask.bmp")));
    QVERIFY(QDir(factory).mkdir(QStringLiteral("mask.bmp")));
  } else if (fault == QLatin1String("outfolder")) {
    QVERIFY(QDir(factory).mkdir(name));
    QVERIFY(
        samplegen::writeFile(factory + QStringLiteral("/") + name + QStringLiteral("/keep"), "k"));
  } else if (fault == QLatin1String("readonlyout")) {
    readOnly = std::make_unique<ReadOnly>(factory + QStringLiteral("/old.pac"));
  } else if (fault == QLatin1String("readonlyfactory")) {
    readOnly = std::make_unique<ReadOnly>(factory);
  } else if (fault == QLatin1String("chmodout")) {
    readOnly = std::make_unique<ReadOnly>(factory + QStringLiteral("/old.pac"), false);
  } else if (fault == QLatin1String("chmodfactory")) {
    readOnly = std::make_unique<ReadOnly>(factory, false);
  } else if (fault.contains(QLatin1Char(':'))) {
    const QByteArray to = QFile::encodeName(fault.section(QLatin1Char(':'), 1));
    const QByteArray at = QFile::encodeName(factory + QStringLiteral("/") + name);
    QVERIFY(fault.startsWith(QLatin1String("symlink"))
                ? ::symlink(to.constData(), at.constData()) == 0
                : ::link(QFile::encodeName(factory + "/" + to).constData(), at.constData()) == 0);
  } else if (!fault.isEmpty()) {
    QVERIFY(QFile::remove(factory + QStringLiteral("/") + fault));
  }
  if (readOnly && !readOnly->ok()) QSKIP("this file system cannot make a file immutable");
  Form1 form;
  QVERIFY(testing::showActive(&form));
  testing::child<QLineEdit>(&form, "Text14")->setText(name);
  const QStringList shown = windowState(form);
  const auto before = snapshot(ws);
  QTest::keyClick(testing::child<QLineEdit>(&form, "Text14"), Qt::Key_N, Qt::ControlModifier);
  QCOMPARE(snapshot(ws), before);
  QCOMPARE(ws.messages.size(), 1);
  QVERIFY2(ws.messages[0].contains(says), qPrintable(ws.messages[0]));
  QCOMPARE(windowState(form), shown);
  noteCase(ws, kNothing);
  readOnly.reset();
  if (fault == QLatin1String("nofactory")) QVERIFY(samplegen::writeWorkspace(ws.path(QString())));
  CHECKED(checkUsable(ws, form));
}

void TstFaults::factoryFailsPartWay_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<qint64>("limit");  // -1: a full device instead
  QTest::addColumn<qint64>("room");
  // The kernel's own EFBIG and ENOSPC; tst_writefaults tries a spread of offsets in process.
  QTest::newRow("limit 1500, older output kept") << "old.pac" << qint64(1500) << qint64(0);
  QTest::newRow("full device, new output") << "x.pac" << qint64(-1) << qint64(8192);
  QTest::newRow("full device, older output kept") << "old.pac" << qint64(-1) << qint64(8192);
}

// The output cannot be written whole: a message, no output, an older output
// as it was, the parts untouched and no temporary file left behind.
void TstFaults::factoryFailsPartWay() {
  QFETCH(QString, name);
  QFETCH(qint64, limit);
  QFETCH(qint64, room);
  testing::WindowWorkspace ws;
  const QString factory = ws.path(kFactoryFolder);
  QVERIFY(samplegen::writeFile(factory + QStringLiteral("/old.pac"), QByteArray(5000, 'o')));
  std::unique_ptr<FullDevice> device;
  if (limit < 0) {
    device = std::make_unique<FullDevice>(factory, room);
    if (!device->ok()) QSKIP("cannot mount a small tmpfs here (needs CAP_SYS_ADMIN)");
  }
  Form1 form;
  QVERIFY(testing::showActive(&form));
  testing::child<QLineEdit>(&form, "Text14")->setText(name);
  const auto before = snapshot(ws);
  {
    std::unique_ptr<WriteLimit> cap;
    if (limit >= 0) cap = std::make_unique<WriteLimit>(limit);
    testing::child<QAction>(&form, "FILE_NEW")->trigger();
  }
  QCOMPARE(snapshot(ws), before);
  QCOMPARE(ws.messages.size(), 1);
  QVERIFY2(ws.messages[0].contains(name), qPrintable(ws.messages[0]));
  noteCase(ws, QStringLiteral("nothing (the unfinished output beside it is removed)"));
  if (device) QVERIFY(QFile::remove(factory + QStringLiteral("/filler.bin")));
  // With room again, the same command makes the whole output.
  testing::child<QAction>(&form, "FILE_NEW")->trigger();
  QCOMPARE(ws.messages.size(), 1);
  QCOMPARE(bytesOf(factory + QStringLiteral("/") + name),
           bytesOf(factory + QStringLiteral("/head.dat")) +
               bytesOf(factory + QStringLiteral("/Image.bmp")) +
               bytesOf(factory + QStringLiteral("/mask.bmp")));
  CHECKED(checkUsable(ws, form));
}

// ---- cookenv.ini ---------------------------------------------------------------------

void TstFaults::folderApplyFails_data() {
  QTest::addColumn<QString>("folder");  // typed into Text1 of Form2
  QTest::addColumn<QString>("fault");
  QTest::addColumn<QString>("says");
  QTest::newRow("no Shift-JIS form") << "/home/😀/"
                                     << ""
                                     << "「😀」";
  QTest::newRow("read-only cookenv.ini") << "/tmp/x/"
                                         << "readonly"
                                         << "cookenv.ini";
  QTest::newRow("read-only working folder") << "/tmp/x/"
                                            << "readonlyfolder"
                                            << "cookenv.ini";
  QTest::newRow("cookenv.ini chmod 444 (as a user)") << "/tmp/x/"
                                                     << "chmod"
                                                     << "cookenv.ini";
  QTest::newRow("working folder chmod 555 (as a user)") << "/tmp/x/"
                                                        << "chmodfolder"
                                                        << "cookenv.ini";
  QTest::newRow("cookenv.ini is a folder") << "/tmp/x/"
                                           << "folder"
                                           << "cookenv.ini";
  QTest::newRow("write stops at 0") << "/tmp/x/"
                                    << "limit0"
                                    << "cookenv.ini";
  QTest::newRow("write stops at 3") << "/tmp/x/"
                                    << "limit3"
                                    << "cookenv.ini";
  QTest::newRow("full device") << "/tmp/x/"
                               << "full"
                               << "cookenv.ini";
}

// Apply in the folder window cannot store the folder: a message, the window
// stays open, SnackFolder and cookenv.ini as they were.
void TstFaults::folderApplyFails() {
  QFETCH(QString, folder);
  QFETCH(QString, fault);
  QFETCH(QString, says);
  if (needsChild(fault)) return runAsNobody();
  testing::WindowWorkspace ws;
  std::unique_ptr<ReadOnly> readOnly;
  std::unique_ptr<FullDevice> device;
  const QString cookenv = ws.path(kCookenvFile);
  Form1 form;
  form.show();
  if (fault == QLatin1String("readonly")) readOnly = std::make_unique<ReadOnly>(cookenv);
  if (fault == QLatin1String("readonlyfolder"))
    readOnly = std::make_unique<ReadOnly>(ws.path(QString()));
  if (fault == QLatin1String("chmod")) readOnly = std::make_unique<ReadOnly>(cookenv, false);
  if (fault == QLatin1String("chmodfolder"))
    readOnly = std::make_unique<ReadOnly>(ws.path(QString()), false);
  if (readOnly && !readOnly->ok()) QSKIP("this file system cannot make a file immutable");
  if (fault == QLatin1String("folder")) {
    QVERIFY(QFile::remove(cookenv));
    QVERIFY(QDir().mkdir(cookenv));
  }
  if (fault == QLatin1String("full")) {
    device = std::make_unique<FullDevice>(ws.path(QString()), 0);
    if (!device->ok()) QSKIP("cannot mount a small tmpfs here (needs CAP_SYS_ADMIN)");
  }
  const QString snackFolder = Module1::SnackFolder;
  testing::child<QAction>(&form, "FILE_FOLDER")->trigger();
  Form2* f2 = Form2Window.get();
  QVERIFY(f2 && f2->isVisible());
  testing::child<QLineEdit>(f2, "Text1")->setText(folder);
  const auto before = snapshot(ws);
  {
    std::unique_ptr<WriteLimit> cap;
    if (fault.startsWith(QLatin1String("limit")))
      cap = std::make_unique<WriteLimit>(fault.mid(5).toLongLong());
    testing::child<QPushButton>(f2, "Command1")->click();
  }
  QCOMPARE(snapshot(ws), before);
  QCOMPARE(ws.messages.size(), 1);
  QVERIFY2(ws.messages[0].contains(says), qPrintable(ws.messages[0]));
  QVERIFY(f2->isVisible());
  QVERIFY(!form.isVisible());
  QCOMPARE(Module1::SnackFolder, snackFolder);
  noteCase(ws, kNothing);
  readOnly.reset();
  if (device) QVERIFY(QFile::remove(ws.path(QStringLiteral("filler.bin"))));
  testing::child<QPushButton>(f2, "Command2")->click();
  testing::processDeletes();
  CHECKED(checkUsable(ws, form));
}

// ---- Settings files at start ------------------------------------------------------------

void TstFaults::settingsAtStart_data() {
  QTest::addColumn<QString>("file");
  QTest::addColumn<QString>("how");
  QTest::addColumn<QString>("says");  // empty: no message
  QTest::addColumn<bool>("firstRun");
  for (const QString& file : {kCookenvFile, kFoodTypeFile, kSoundFile}) {
    const bool cookenv = file == kCookenvFile;
    const QString named = QStringLiteral("「%1」").arg(file);
    const QByteArray f = file.toLatin1();
    QTest::addRow("%s missing", f.constData())
        << file << "missing" << named + "がありません" << cookenv;
    QTest::addRow("%s empty", f.constData())
        << file << "empty" << (cookenv ? named : QString()) << cookenv;
    QTest::addRow("%s is a folder", f.constData())
        << file << "folder" << named + "を読み込めません" << cookenv;
    QTest::addRow("%s link loop", f.constData())
        << file << "loop" << named + "を読み込めません" << cookenv;
    QTest::addRow("%s unreadable (chmod 000, as a user)", f.constData())
        << file << "chmod000" << named + "を読み込めません" << cookenv;
    QTest::addRow("%s line of 1 MiB", f.constData()) << file << "long" << QString() << false;
    QTest::addRow("%s binary garbage", f.constData()) << file << "garbage" << QString() << false;
    QTest::addRow("%s CR only, lone lead byte", f.constData())
        << file << "odd" << QString() << false;
    if (!cookenv) {
      QTest::addRow("%s index 257, 999, -2 and -02", f.constData())
          << file << "index" << QString() << false;
      QTest::addRow("%s short lines", f.constData()) << file << "short" << QString() << false;
    }
  }
}

// Broken settings files at start: the program runs on (first run for a
// cookenv.ini without a folder), lists hold 256 items, a missing or
// unreadable file is named in a message, and no settings file is written.
void TstFaults::settingsAtStart() {
  QFETCH(QString, file);
  QFETCH(QString, how);
  QFETCH(QString, says);
  QFETCH(bool, firstRun);
  if (needsChild(how)) return runAsNobody();
  testing::WindowWorkspace ws;
  const QString path = ws.path(file);
  const bool cookenv = file == kCookenvFile;
  QByteArray content;
  if (how == QLatin1String("long")) {
    content = cookenv
                  ? QByteArray("/") + QByteArray(1 << 20, 'a') + "/\r\n"
                  : QByteArray("001 ") + samplegen::sjis(QString(1 << 19, QChar(0x3042))) + "\r\n";
  } else if (how == QLatin1String("garbage")) {
    content.resize(4096);
    quint32 x = 12345;
    for (char& c : content) {
      x = x * 1103515245u + 12345u;
      c = static_cast<char>(x >> 24);
    }
  } else if (how == QLatin1String("odd")) {
    content = cookenv ? QByteArray(ws.snackFolder().toUtf8()) + "\r/other/\x82"
                      : QByteArray("001 \x82\xa0\r002 two\r003 \x82");
  } else if (how == QLatin1String("index")) {
    // The good line first, so that no bad line can hide behind a later one.
    content = samplegen::sjis(
        QStringLiteral("002 ふつう\r\n257 大きい\r\n-02 負の番号\r\n-2 負\r\n999 大きすぎ\r\n"));
  } else if (how == QLatin1String("short")) {
    content = QByteArray("\r\n1\r\n12\r\n123\r\n002 two\r\n");
  }
  if (how == QLatin1String("missing")) {
    QVERIFY(QFile::remove(path));
  } else if (how == QLatin1String("folder")) {
    QVERIFY(QFile::remove(path));
    QVERIFY(QDir().mkdir(path));
  } else if (how == QLatin1String("loop")) {
    QVERIFY(QFile::remove(path));
    QVERIFY(::symlink(QFile::encodeName(path).constData(), QFile::encodeName(path).constData()) ==
            0);
  } else if (how == QLatin1String("chmod000")) {
    QVERIFY(spoil(path, how));
  } else {
    QVERIFY(samplegen::writeFile(path, content));
  }
  const auto before = snapshot(ws);
  Form1 form;
  if (!form.hiddenByLoad()) form.show();
  QCOMPARE(snapshot(ws), before);
  QCOMPARE(ws.endCalls, 0);
  if (says.isEmpty()) {
    QCOMPARE(ws.messages, QStringList());
  } else {
    QCOMPARE(ws.messages.size(), 1);
    QVERIFY2(ws.messages[0].contains(says), qPrintable(ws.messages[0]));
  }
  QCOMPARE(testing::child<QComboBox>(&form, "Combo1")->count(), 256);
  QCOMPARE(testing::child<QComboBox>(&form, "Combo2")->count(), 256);
  QCOMPARE(form.hiddenByLoad(), firstRun);
  if (firstRun) {
    QCOMPARE(Module1::SnackFolder, kNoFolder);
    QCOMPARE(Module1::DialogMode, Module1::kModeFirstRun);
    QVERIFY(Form2Window.loaded() && Form2Window.get()->isVisible());
  }
  if (how == QLatin1String("index")) {
    QComboBox* list = file == kFoodTypeFile ? testing::child<QComboBox>(&form, "Combo2")
                                            : testing::child<QComboBox>(&form, "Combo1");
    QCOMPARE(list->itemText(2), QStringLiteral("ふつう"));
    for (QComboBox* l :
         {testing::child<QComboBox>(&form, "Combo1"), testing::child<QComboBox>(&form, "Combo2")})
      for (const char* bad : {"大きい", "負の番号", "負", "大きすぎ"})
        QCOMPARE(l->findText(QString::fromUtf8(bad)), -1);
  }
  noteCase(ws, kNothing);
  if (firstRun || how == QLatin1String("long") || how == QLatin1String("garbage") ||
      (cookenv && how == QLatin1String("odd"))) {
    // The snack folder is unusable; choose it again as a user would.
    if (how == QLatin1String("folder")) QVERIFY(QDir().rmdir(path));
    if (how == QLatin1String("chmod000"))
      QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
    if (!Form2Window.loaded()) testing::child<QAction>(&form, "FILE_FOLDER")->trigger();
    Form2* f2 = Form2Window.get();
    testing::child<QLineEdit>(f2, "Text1")->setText(ws.snackFolder());
    testing::child<QPushButton>(f2, "Command1")->click();
    QVERIFY(form.isVisible());
    QCOMPARE(ws.endCalls, 0);
  }
  CHECKED(checkUsable(ws, form));
}

// ---- Texts in the boxes -----------------------------------------------------------------

void TstFaults::boxTexts_data() {
  QTest::addColumn<QString>("box");
  QTest::addColumn<QString>("text");
  QTest::addColumn<QByteArray>("stored");  // empty: refused
  QTest::addColumn<QString>("says");
  struct Box {
    const char* name;
    int offset;
    bool twoBytes;
  };
  const Box numbers[] = {
      {"Text4", hdr::Number.at, true},         {"Text5", hdr::Quantity.at, true},
      {"Text6", hdr::BestBeforeDays.at, true}, {"Text7", hdr::Calories.at, true},
      {"Text8", hdr::OpenedYear.at, true},     {"Text9", hdr::OpenedMonth.at, false},
      {"Text10", hdr::OpenedDay.at, false},    {"Text11", hdr::OpenedHour.at, false},
      {"Text12", hdr::OpenedMinute.at, false}, {"Text13", hdr::OpenedSecond.at, false}};
  for (const Box& b : numbers) {
    auto row = [&](const char* label, const QString& text, const QByteArray& two,
                   const QByteArray& one, const char* says) {
      const QByteArray stored = b.twoBytes ? two : one;
      QTest::addRow("%s %s", b.name, label)
          << QString::fromLatin1(b.name) << text << stored
          << (stored.isEmpty() ? QString::fromUtf8(says) : QString());
    };
    row("65535", QStringLiteral("65535"), QByteArray("\xff\xff", 2), {}, "大きすぎます");
    row("65536", QStringLiteral("65536"), QByteArray("\xff\xff", 2), {}, "大きすぎます");
    row("-1", QStringLiteral("-1"), {}, {}, "負の数");
    row("full-width 123", QStringLiteral("１２３"), QByteArray("\x7b\x00", 2), QByteArray("\x7b"),
        "");
    row("blanks around 7", QStringLiteral(" 7 "), QByteArray("\x07\x00", 2), QByteArray("\x07"),
        "");
    row("7.5", QStringLiteral("7.5"), {}, {}, "整数ではありません");
    row("empty", QString(), {}, {}, "空です");
  }
  const char* texts[] = {"Text1", "Text2", "Text3"};
  for (const char* t : texts) {
    const QString a127(127, QChar(0x3042));
    const QByteArray sjis127 = samplegen::sjis(a127);
    auto area = [](const QByteArray& bytes) {
      return QByteArray(1, static_cast<char>(bytes.size())) + bytes +
             QByteArray(hdr::NameText.size - bytes.size(), '\0');
    };
    QTest::addRow("%s 254 bytes", t)
        << QString::fromLatin1(t) << a127 << area(sjis127) << QString();
    QTest::addRow("%s 255 bytes", t)
        << QString::fromLatin1(t) << a127 + "x" << area(sjis127 + "x") << QString();
    QTest::addRow("%s 256 bytes", t)
        << QString::fromLatin1(t) << a127 + "あ" << QByteArray() << QStringLiteral("256 バイト");
    QTest::addRow("%s emoji", t) << QString::fromLatin1(t) << QStringLiteral("おやつ😀")
                                 << QByteArray() << QStringLiteral("「😀」（U+1F600）");
    QTest::addRow("%s hangul", t) << QString::fromLatin1(t) << QStringLiteral("한") << QByteArray()
                                  << QStringLiteral("「한」（U+D55C）");
    QTest::addRow("%s wave dash typed on Linux", t)
        << QString::fromLatin1(t) << QStringLiteral("〜") << area(QByteArray("\x81\x60"))
        << QString();
  }
  QTest::addRow("Combo1 typed text") << "Combo1"
                                     << "たべる音" << QByteArray() << "「食事音」";
  QTest::addRow("Combo2 typed text") << "Combo2"
                                     << "べつの種類" << QByteArray() << "「おやつの種類」";
}

// One box gets an unusual text and the file is saved: an accepted text
// changes exactly that field's bytes; a refused one changes no byte and the
// message names the field by its caption.
void TstFaults::boxTexts() {
  QFETCH(QString, box);
  QFETCH(QString, text);
  QFETCH(QByteArray, stored);
  QFETCH(QString, says);
  testing::WindowWorkspace ws;
  Form1 form;
  QVERIFY(testing::showActive(&form));
  CHECKED(loadFile(form, QStringLiteral("ichigo.pac")));
  testing::child<QAction>(&form, "FILE_SAVE")->trigger();  // the stored form of what was loaded
  QCOMPARE(ws.messages, QStringList());
  const QString path = ws.snack(QStringLiteral("ichigo.pac"));
  const QByteArray saved = bytesOf(path);

  const QMap<QString, int> offsets = {
      {"Text1", hdr::NameLength.at},   {"Text2", hdr::DescriptionLength.at},
      {"Text3", hdr::AuthorLength.at}, {"Text4", hdr::Number.at},
      {"Text5", hdr::Quantity.at},     {"Text6", hdr::BestBeforeDays.at},
      {"Text7", hdr::Calories.at},     {"Text8", hdr::OpenedYear.at},
      {"Text9", hdr::OpenedMonth.at},  {"Text10", hdr::OpenedDay.at},
      {"Text11", hdr::OpenedHour.at},  {"Text12", hdr::OpenedMinute.at},
      {"Text13", hdr::OpenedSecond.at}};
  QWidget* w = testing::child<QWidget>(&form, qPrintable(box));
  QString caption;
  if (auto* line = qobject_cast<QLineEdit*>(w)) {
    line->setText(text);
    caption = line->accessibleName();
  } else if (auto* area = qobject_cast<QPlainTextEdit*>(w)) {
    area->setPlainText(text);
    caption = area->accessibleName();
  } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
    combo->setEditText(text);
    caption = combo->accessibleName();
  }
  QVERIFY2(!caption.isEmpty(), qPrintable(box));
  const auto before = snapshot(ws);
  QVERIFY(testing::showActive(&form));
  QTest::keyClick(testing::child<QLineEdit>(&form, "Text14"), Qt::Key_S, Qt::ControlModifier);
  if (stored.isEmpty()) {
    QCOMPARE(snapshot(ws), before);
    QCOMPARE(ws.messages.size(), 1);
    QVERIFY2(ws.messages[0].contains(QStringLiteral("「%1」").arg(caption)),
             qPrintable(ws.messages[0]));
    QVERIFY2(ws.messages[0].contains(says), qPrintable(ws.messages[0]));
    noteCase(ws, kNothing);
  } else {
    QCOMPARE(ws.messages, QStringList());
    const int at = offsets.value(box);
    QByteArray expected = saved;
    expected.replace(at, stored.size(), stored);
    QCOMPARE(bytesOf(path), expected);
    noteCase(ws, QStringLiteral("%1 to %2: %3")
                     .arg(at)
                     .arg(at + stored.size() - 1)
                     .arg(stored.size() > 8
                              ? QStringLiteral("length byte %1, the %1 text bytes%2, then zeros")
                                    .arg(static_cast<unsigned char>(stored[0]))
                                    .arg(stored[0] == 2 ? QStringLiteral(" (81 60)") : QString())
                              : QString::fromLatin1(stored.toHex(' ').toUpper())));
  }
  QCOMPARE(ws.endCalls, 0);
  CHECKED(checkUsable(ws, form));
}

QTEST_MAIN(TstFaults)
#include "tst_faults.moc"
