// SPDX-License-Identifier: GPL-3.0-or-later
// The command-line program over a folder of 10,000 snacks, run inside this
// process with its standard output going to /dev/null: `ls --json` against a
// floor that lists the folder and reads the 904 header bytes of each file, and
// `refresh --all` against a floor that writes the same 14 zero bytes into each
// file and flushes it, as the refresh does. Then a thumbnail of a 256 × 256
// snack, as a file manager runs it (a process of its own), against the same
// program's start and end with `--version`.
#include "cli/cli.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <cstdio>

#include "cli_bench.h"
#include "samplegen.h"
#include "snack/collection.h"
#include "snack/history.h"
#include "snack/operations.h"

namespace bench {

namespace {

// Runs the command line with standard output thrown away.
int quietly(const QStringList& args) {
  QList<platform::CommandArgument> list;
  for (const QString& a : args) list.append({a, platform::NativePath(a)});
  std::fflush(stdout);
  const int saved = ::dup(STDOUT_FILENO);
  const int null = ::open("/dev/null", O_WRONLY);
  ::dup2(null, STDOUT_FILENO);
  ::close(null);
  const int status = cli::run(list);
  std::fflush(stdout);
  ::dup2(saved, STDOUT_FILENO);
  ::close(saved);
  return status;
}

// Every regular file of the folder, opened one after another; `each` gets
// its descriptor. Returns how many there were.
template <class Each>
int eachFile(const QByteArray& dir, int flags, Each each) {
  DIR* d = ::opendir(dir.constData());
  if (!d) return -1;
  int n = 0;
  while (const dirent* e = ::readdir(d)) {
    if (e->d_name[0] == '.') continue;
    const int fd = ::openat(::dirfd(d), e->d_name, flags | O_CLOEXEC);
    if (fd < 0) continue;
    if (each(fd)) ++n;
    ::close(fd);
  }
  ::closedir(d);
  return n;
}

}  // namespace

void commandLine(Table& table, const QString& work, const std::function<void(const QString&)>& say,
                 const std::function<void(const QString&)>& fail) {
  const int count = 10000;
  // A working folder with the settings files, its snack folder the 10,000 snacks.
  const QString ws = QDir(work).filePath(QStringLiteral("cli"));
  const QString dir = QDir(ws).filePath(QStringLiteral("snacks"));
  if (!samplegen::writeWorkspace(ws)) fail(QStringLiteral("cannot write the workspace ") + ws);
  for (const QString& name : QDir(dir).entryList(QDir::Files))
    QFile::remove(QDir(dir).filePath(name));
  say(QStringLiteral("command line: writing %1 snack files").arg(count));
  const QList<samplegen::SampleSnack> samples = samplegen::sampleSnacks();
  for (int i = 0; i < count; ++i) {
    samplegen::SampleSnack s = samples[i % samples.size()];
    s.number = static_cast<std::uint16_t>(i);
    s.month = static_cast<std::uint8_t>(i % 13);
    const QString p = QDir(dir).filePath(QStringLiteral("おやつ%1.pac").arg(i));
    if (!samplegen::writeFile(p, samplegen::snackFile(s, i % 16, 8, 1)))
      fail(QStringLiteral("cannot write ") + p);
  }
  const QByteArray native = QFile::encodeName(dir);
  // One run of a subcommand in the working folder, timed; a failure ends the bench.
  auto timedRun = [&](const QStringList& command) {
    const Clock::time_point start = Clock::now();
    const int status = quietly(QStringList{QStringLiteral("--workdir"), ws} + command);
    const double s = secondsSince(start);
    if (status != cli::kDone)
      fail(QStringLiteral("%1 ended with %2").arg(command.join(QLatin1Char(' '))).arg(status));
    return s;
  };

  const Pair ls = alternate(
      2, 15,
      [&] {
        return timedRun({QStringLiteral("ls"), QStringLiteral("--json")});
      },
      [&] {
        char header[904];
        const Clock::time_point start = Clock::now();
        const int n =
            eachFile(native, O_RDONLY, [&](int fd) { return ::pread(fd, header, 904, 0) == 904; });
        const double s = secondsSince(start);
        if (n != count) fail(QStringLiteral("the floor read %1 headers").arg(n));
        return s;
      });
  table.addRatio(QStringLiteral("ls --json, 10,000 snacks"), ms(ls.ours), ms(ls.floor),
                 ls.ours / ls.floor, 2.0);

  // Every refresh waits for the disk; three runs of each.
  const char zeros[14] = {};
  ::sync();
  const Pair refresh = alternate(
      0, 3,
      [&] {
        return timedRun({QStringLiteral("refresh"), QStringLiteral("--all")});
      },
      [&] {
        const Clock::time_point start = Clock::now();
        const int n = eachFile(native, O_RDWR, [&](int fd) {
          return ::pwrite(fd, zeros, sizeof zeros, 889) == sizeof zeros && ::fsync(fd) == 0;
        });
        const double s = secondsSince(start);
        if (n != count) fail(QStringLiteral("the floor refreshed %1 files").arg(n));
        return s;
      });
  // apply --dry-run of the folder's own CSV with a field changed in every row,
  // against reading the CSV and each file's 904 header bytes.
  QString error;
  const auto rows = snack::readCollection(dir, &error);
  if (!rows) fail(error);
  QByteArray csv = snack::collectionCsv(*rows, QStringLiteral("snacks/"), {});
  csv.replace(",65535,", ",65534,");
  csv.replace("snacks/", "");  // each file by its name alone
  // Written without the name tables: the list columns by position alone.
  csv.replace(",type,", ",type_name,").replace(",sound,", ",sound_name,");
  const QString csvPath = QDir(ws).filePath(QStringLiteral("a.csv"));
  if (!samplegen::writeFile(csvPath, csv)) fail(QStringLiteral("cannot write ") + csvPath);
  const QByteArray csvNative = QFile::encodeName(csvPath);
  const Pair apply = alternate(
      1, 9,
      [&] {
        return timedRun({QStringLiteral("apply"), QStringLiteral("--dry-run"), csvPath});
      },
      [&] {
        char header[904];
        std::vector<char> bytes(std::size_t(csv.size()));
        const Clock::time_point start = Clock::now();
        const int fd = ::open(csvNative.constData(), O_RDONLY | O_CLOEXEC);
        const bool read = fd >= 0 && ::read(fd, bytes.data(), bytes.size()) == csv.size();
        if (fd >= 0) ::close(fd);
        const int n =
            eachFile(native, O_RDONLY, [&](int f) { return ::pread(f, header, 904, 0) == 904; });
        const double s = secondsSince(start);
        if (!read || n != count) fail(QStringLiteral("the floor read %1 headers").arg(n));
        return s;
      });
  table.addRatio(QStringLiteral("apply --dry-run, 10,000-row CSV"), ms(apply.ours), ms(apply.floor),
                 apply.ours / apply.floor, 2.0);

  table.addRatio(QStringLiteral("refresh --all, 10,000 snacks (flush each)"), ms(refresh.ours),
                 ms(refresh.floor), refresh.ours / refresh.floor, 1.5);

  // The thumbnailer: the program built beside this one, each run a process.
  const QString program =
      QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../crumbwright-cli"));
  const QString big = QDir(work).filePath(QStringLiteral("big.pac"));
  if (!samplegen::writeFile(big, samplegen::headerTemplate(1024) +
                                     samplegen::pictureBmp(3, 256, 256, 24) +
                                     samplegen::maskBmp(3, 256, 256, 1)))
    fail(QStringLiteral("cannot write ") + big);
  const QString png = QDir(work).filePath(QStringLiteral("big.png"));
  auto child = [&](const QStringList& argv) {
    const ChildRun r = runChild(QStringList{program} + argv, work, {});
    if (!r.ok) fail(argv.join(QLatin1Char(' ')) + QStringLiteral(" failed"));
    return r.seconds;
  };
  const Pair thumbnail = alternate(
      2, 15,
      [&] {
        return child({QStringLiteral("thumbnail"), big, png});
      },
      [&] { return child({QStringLiteral("--version")}); });
  if (QImage(png).size() != QSize(128, 128)) fail(QStringLiteral("the thumbnail is not 128 × 128"));
  table.addRatio(QStringLiteral("thumbnail of a 256 × 256 snack (floor: --version)"),
                 ms(thumbnail.ours), ms(thumbnail.floor), thumbnail.ours / thumbnail.floor, 2.0);

  // A full history: 10,000 entries of one save each (one written, copied
  // under the other ids), listed as JSON against reading every entry file.
  const QString history = QDir(ws).filePath(snack::kHistoryFolder);
  QDir(history).removeRecursively();
  {
    snack::HistoryAction action(history, QStringLiteral("保存"));
    snack::HeaderValues v;
    v.name = samplegen::sjis(QStringLiteral("いちご大福"));
    snack::SaveOptions options;
    options.history = &action;
    if (!snack::saveSnack(QDir(dir).filePath(QStringLiteral("おやつ0.pac")), v, options).ok)
      fail(QStringLiteral("cannot save into the history"));
  }
  for (int i = 2; i <= count; ++i)
    QFile::copy(QDir(history).filePath(QStringLiteral("1.entry")),
                QDir(history).filePath(QStringLiteral("%1.entry").arg(i)));
  const QByteArray historyNative = QFile::encodeName(history);
  const Pair list = alternate(
      1, 7,
      [&] {
        return timedRun({QStringLiteral("history"), QStringLiteral("--json")});
      },
      [&] {
        char buffer[65536];
        const Clock::time_point start = Clock::now();
        const int n = eachFile(historyNative, O_RDONLY, [&](int fd) {
          while (::read(fd, buffer, sizeof buffer) > 0) {
          }
          return true;
        });
        const double s = secondsSince(start);
        if (n != count) fail(QStringLiteral("the floor read %1 entries").arg(n));
        return s;
      });
  table.addRatio(QStringLiteral("history --json, 10,000 entries"), ms(list.ours), ms(list.floor),
                 list.ours / list.floor, 2.0);
}

}  // namespace bench
