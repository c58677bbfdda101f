// SPDX-License-Identifier: GPL-3.0-or-later
// Runs every benchmark of ./bench.sh and prints one table: our program and
// its floor, measured side by side in the same run, and their ratio.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QStringListModel>
#include <QSysInfo>
#include <QTableView>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <optional>
#include <vector>

#include "app/module1.h"
#include "app/settings.h"
#include "cli_bench.h"
#include "measure.h"
#include "platform/folders.h"
#include "samplegen.h"
#include "snack/history.h"
#include "snack/layout.h"
#include "snack/operations.h"
#include "snack/picturemaker.h"
#include "ui/form1.h"
#include "ui/form3.h"
#include "ui/form6.h"
#include "ui/form7.h"
#include "ui/look.h"
#include "ui/messages.h"

using namespace bench;

namespace {

void say(const QString& text) {
  std::fprintf(stderr, "%s\n", qPrintable(text));
  std::fflush(stderr);
}

[[noreturn]] void fail(const QString& text) {
  say(QStringLiteral("bench: ") + text);
  std::exit(2);
}

QString at(const QString& dir, const QString& name) { return QDir(dir).filePath(name); }

// ---------------------------------------------------------------- start-up

// Runs every one of `programs` `runs` times after `warmUp` unmeasured rounds,
// one after another in rounds that each start with the next program, so that
// none always follows the same one. Returns each program's median seconds.
std::vector<double> rotate(int warmUp, int runs,
                           const std::vector<std::function<double()>>& programs) {
  const size_t n = programs.size();
  for (int i = 0; i < warmUp; ++i)
    for (const auto& p : programs) p();
  std::vector<std::vector<double>> seconds(n);
  for (int i = 0; i < runs; ++i)
    for (size_t k = 0; k < n; ++k) {
      const size_t p = (i + k) % n;
      seconds[p].push_back(programs[p]());
    }
  std::vector<double> medians;
  for (const std::vector<double>& s : seconds) medians.push_back(median(s));
  return medians;
}

QString ratio(double r) { return QStringLiteral("%1×").arg(r, 0, 'f', 2); }

// Whether the same-pixels floor shows what the main window shows, pixel for
// pixel, both drawn here (offscreen) on the start-up workspace.
void samePixels(Table& table, const QImage& main, const QString& ws, const QString& sameApp) {
  const QString shot = at(ws, QStringLiteral("same-pixels.png"));
  const ChildRun r = runChild({sameApp, QStringLiteral("--grab"), shot}, ws,
                              {QStringLiteral("QT_QPA_PLATFORM=offscreen")});
  const QImage floor(shot);
  if (!r.ok || floor.isNull())
    fail(QStringLiteral("the same-pixels floor did not save its pixels"));
  QFile::remove(shot);
  const QImage a = main.convertToFormat(QImage::Format_RGB32),
               b = floor.convertToFormat(QImage::Format_RGB32);
  qint64 unlike = std::abs(qint64(a.width()) * a.height() - qint64(b.width()) * b.height());
  for (int y = 0; y < std::min(a.height(), b.height()); ++y)
    for (int x = 0; x < std::min(a.width(), b.width()); ++x)
      unlike += a.pixel(x, y) != b.pixel(x, y);
  auto size = [](const QImage& i) {
    return QStringLiteral("%1 × %2").arg(i.width()).arg(i.height());
  };
  table.add({QStringLiteral("same-pixels floor, pixels unlike the main window"), size(a), size(b),
             QString::number(unlike), QStringLiteral("0"),
             unlike == 0 ? QStringLiteral("yes") : QStringLiteral("NO")});
}

void startUp(Table& table, const QString& work, const QString& app, const QString& sameApp,
             const QString& floorApp, const QString& statsTool) {
  const QString ws = at(work, QStringLiteral("startup"));
  if (!samplegen::writeWorkspace(ws)) fail(QStringLiteral("cannot write the workspace ") + ws);

  // The empty floor shows one window of the main window's size.
  QSize size;
  QImage mainPixels;
  {
    const QString here = QDir::currentPath();
    QDir::setCurrent(ws);
    Form1 form;
    form.show();
    QCoreApplication::processEvents();
    size = form.size();
    mainPixels = form.grab().toImage();
    say(QStringLiteral("start-up: the main window is %1 × %2")
            .arg(size.width())
            .arg(size.height()));
    QDir::setCurrent(here);
  }
  samePixels(table, mainPixels, ws, sameApp);

  QStringList platforms = {QStringLiteral("offscreen")};
  if (!qEnvironmentVariable("DISPLAY").isEmpty()) platforms.append(QStringLiteral("xcb"));
  for (const QString& platform : platforms) {
    const QString shown = platform == QLatin1String("xcb") ? QStringLiteral("Xvfb") : platform;
    const QStringList env = {QStringLiteral("QT_QPA_PLATFORM=") + platform,
                             QStringLiteral("CRUMBWRIGHT_QUIT_WHEN_IDLE=1")};
    const QStringList empty = {floorApp, QString::number(size.width()),
                               QString::number(size.height())};
    // The editor, the same-pixels floor, the empty window and the empty window
    // with one Japanese caption, in turn.
    const std::vector<QStringList> argvs = {
        {app}, {sameApp}, empty, empty + QStringList{QStringLiteral("--label")}};
    std::vector<std::vector<double>> mem(argvs.size());
    std::vector<std::function<double()>> programs;
    for (size_t k = 0; k < argvs.size(); ++k)
      programs.push_back([&, k] {
        const ChildRun r = runMeasured(statsTool, argvs[k], ws, env);
        if (!r.ok)
          fail(QStringLiteral("%1 did not start and quit cleanly (%2)").arg(argvs[k][0], platform));
        mem[k].push_back(static_cast<double>(r.peakKiB) * 1024);
        return r.seconds;
      });
    const int warmUp = 2;
    const std::vector<double> t = rotate(warmUp, 15, programs);
    std::vector<double> m;  // the measured runs only, after the warm-up rounds
    for (const std::vector<double>& runs : mem)
      m.push_back(median(std::vector<double>(runs.begin() + warmUp, runs.end())));
    table.addRatio(QStringLiteral("start-up to idle, %1").arg(shown), ms(t[0]), ms(t[1]),
                   t[0] / t[1], 1.1);
    table.addRatio(QStringLiteral("start-up peak memory, %1").arg(shown), mib(m[0]), mib(m[1]),
                   m[0] / m[1], 1.1);
    // For scale: an empty window of the same size, and the same with a single
    // Japanese caption.
    table.addReport(QStringLiteral("start-up to idle vs empty window, %1").arg(shown), ms(t[0]),
                    ms(t[2]), ratio(t[0] / t[2]));
    table.addReport(QStringLiteral("start-up peak memory vs empty window, %1").arg(shown),
                    mib(m[0]), mib(m[2]), ratio(m[0] / m[2]));
    table.addReport(QStringLiteral("start-up, empty window + 1 Japanese label, %1").arg(shown),
                    ms(t[3]), ms(t[2]), ratio(t[3] / t[2]));
  }
}

// ---------------------------------------------------------------- name tables

void nameTables(Table& table, const QString& work) {
  const QString ws = at(work, QStringLiteral("names"));
  if (!samplegen::writeWorkspace(ws)) fail(QStringLiteral("cannot write the workspace ") + ws);
  QList<QPair<int, QString>> types, sounds;
  for (int i = 0; i <= 256; ++i) {
    types.append({i, QStringLiteral("おやつの種類その%1").arg(i)});
    sounds.append({i, QStringLiteral("食事音その%1").arg(i)});
  }
  samplegen::writeFile(at(ws, kFoodTypeFile), samplegen::nameFile(types));
  samplegen::writeFile(at(ws, kSoundFile), samplegen::nameFile(sounds));

  const QString here = QDir::currentPath();
  QDir::setCurrent(ws);
  {
    Form1 form;
    // What Form_Load does after the snack folder: read each table, then fill
    // its list with entries 0 to 255 in index order (as Form1::FillList).
    auto fill = [](QComboBox* combo, const snack::NameList& names) {
      QStringList items;
      items.reserve(256);
      for (int i = 0; i <= 255; ++i)
        items.append(names[i].isEmpty() ? QStringLiteral("--------") : names[i]);
      combo->addItems(items);
      combo->setCurrentIndex(-1);
    };
    auto* combo1 = form.findChild<QComboBox*>(QStringLiteral("Combo1"));
    auto* combo2 = form.findChild<QComboBox*>(QStringLiteral("Combo2"));
    std::vector<double> runs;
    for (int i = 0; i < 53; ++i) {
      combo1->clear();
      combo2->clear();
      snack::NameList food, sound;
      QString error;
      const Clock::time_point start = Clock::now();
      const bool ok =
          ReadNameTable(kFoodTypeFile, food, &error) && ReadNameTable(kSoundFile, sound, &error);
      fill(combo2, food);
      fill(combo1, sound);
      const double s = secondsSince(start);
      if (!ok || combo1->count() != 256 || food[256].isEmpty())
        fail(QStringLiteral("name tables: ") + error);
      if (i >= 3) runs.push_back(s);
    }
    table.addReport(QStringLiteral("name tables, 2 × 257 lines into 2 lists"), us(median(runs)),
                    QStringLiteral("-"));
  }
  QDir::setCurrent(here);
}

// ---------------------------------------------------------------- folder listing

QString listedName(int i) {
  switch (i % 5) {
    case 0:
      return QStringLiteral("おやつ%1.pac").arg(i);
    case 1:
      return QStringLiteral("Snack%1.PAC").arg(i);
    case 2:
      return QStringLiteral("snack_%1.pac").arg(i, 6, 10, QLatin1Char('0'));
    case 3:
      return QStringLiteral("ケーキ %1 号.dat").arg(i);
    default:
      return QStringLiteral("cookie-%1-v%2.pac").arg(i / 7).arg(i % 7);
  }
}

// A snack folder of n files, plus what a listing must leave out: a subfolder
// and hidden files. A listing reads names only, so the files are empty: writing
// a header into each would only make the 251,000 files slower to write and remove.
QString makeFolder(const QString& work, int n) {
  const QString dir = at(work, QStringLiteral("list-%1").arg(n));
  QDir().mkpath(at(dir, QStringLiteral("sub")));
  for (int i = 0; i < n; ++i) {
    if (!samplegen::writeFile(at(dir, listedName(i)), QByteArray()))
      fail(QStringLiteral("cannot write into ") + dir);
  }
  samplegen::writeFile(at(dir, QStringLiteral(".hidden")), "x");
  samplegen::writeFile(at(dir, QStringLiteral(".hidden2.pac")), "x");
  return dir;
}

// The file selection window costs two things, each measured against its own
// floor: its fill, the snack folder's files listed and sorted as shown in its
// list, against readdir and the same sort of the same names; and its making, against a
// window of the same controls with none of its logic.

// The fill: Form_Load of a window made on an empty folder, for `dir`.
double timeFill(const QString& emptyDir, const QString& dir, int count) {
  Module1::SnackFolder = emptyDir + QLatin1Char('/');
  Form3 form;
  Module1::SnackFolder = dir + QLatin1Char('/');
  const Clock::time_point start = Clock::now();
  form.Form_Load();
  const double s = secondsSince(start);
  if (form.findChild<QListView*>(QStringLiteral("File1"))->model()->rowCount() != count)
    fail(QStringLiteral("Form3 listed a wrong count"));
  return s;
}

// The listing's floor: readdir, leaving out hidden names and what is not a
// regular file, and the same names in the same order as the list shows them
// (the program's own natural sort), with nothing else.
double timeReaddirSorted(const QString& dir, int count) {
  const QByteArray path = QFile::encodeName(dir);
  const Clock::time_point start = Clock::now();
  QStringList names;
  DIR* d = ::opendir(path.constData());
  if (!d) fail(QStringLiteral("cannot read ") + dir);
  while (const dirent* e = ::readdir(d)) {
    if (e->d_name[0] == '.') continue;
    bool regular = e->d_type == DT_REG;
    if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) {
      struct stat st {};
      regular = ::fstatat(::dirfd(d), e->d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
    }
    if (regular) names.append(QString::fromUtf8(e->d_name));
  }
  ::closedir(d);
  platform::sortNames(names);
  const double s = secondsSince(start);
  if (names.size() != count) fail(QStringLiteral("readdir listed a wrong count"));
  return s;
}

// The floor of the window's making: the controls of the file selection
// window with their captions, places and list model, the program's icon made
// once, and nothing else: no names, no connections, no folder read.
double timeFloorWindow(const QIcon& icon) {
  using ui::px;
  const Clock::time_point start = Clock::now();
  QWidget window;
  window.setWindowTitle(QStringLiteral("おやつファイル選択"));
  window.setWindowIcon(icon);
  window.setFixedSize(px(7350), px(3195));
  auto* list = new QListView(&window);
  list->setGeometry(px(120), px(480), px(4335), px(1890));
  list->setModel(new QStringListModel(&window));
  list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list->setUniformItemSizes(true);
  (new QLabel(&window))->setGeometry(px(120), px(120), px(4335), px(255));
  (new QPushButton(QStringLiteral("適　用"), &window))
      ->setGeometry(px(2280), px(2640), px(975), px(375));
  (new QPushButton(QStringLiteral("キャンセル"), &window))
      ->setGeometry(px(3600), px(2640), px(975), px(375));
  auto* picture = new QLabel(&window);
  picture->setGeometry(px(4695), px(480), px(2535), px(2535));
  picture->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  return secondsSince(start);
}

void listing(Table& table, const QString& work) {
  Module1::DialogMode = Module1::kModeSnackFile;
  const QString empty = at(work, QStringLiteral("list-empty"));
  QDir().mkpath(empty);
  const QIcon icon = ui::programIcon();
  const Pair made = alternate(
      3, 41,
      [&] {
        Module1::SnackFolder = empty + QLatin1Char('/');
        const Clock::time_point start = Clock::now();
        Form3 form;
        return secondsSince(start);
      },
      [&] { return timeFloorWindow(icon); });
  table.addRatio(QStringLiteral("file selection window made, no files"), us(made.ours),
                 us(made.floor), made.ours / made.floor, 1.5);

  struct Size {
    int n, runs;
  };
  const Size sizes[] = {{1000, 41}, {50000, 9}, {200000, 5}};
  std::vector<std::pair<int, Pair>> results;
  for (const Size& size : sizes) {
    say(QStringLiteral("listing: writing %1 files").arg(size.n));
    const QString dir = makeFolder(work, size.n);
    const Pair t = alternate(
        2, size.runs, [&] { return timeFill(empty, dir, size.n); },
        [&] { return timeReaddirSorted(dir, size.n); });
    table.addRatio(QStringLiteral("snack folder listing, %1 files")
                       .arg(QLocale(QLocale::English).toString(size.n)),
                   ms(t.ours), ms(t.floor), t.ours / t.floor, 1.5);
    results.push_back({size.n, t});
  }
  // Growth: time(n2)/time(n1) against (n2 log n2)/(n1 log n1), 10 % allowed for
  // noise. Reading a large folder costs the file system more per entry than a
  // small one, so the floor itself may grow faster than n log n; the bound is
  // then the floor's growth.
  for (size_t i = 1; i < results.size(); ++i) {
    const double n1 = results[i - 1].first, n2 = results[i].first;
    const double nlogn = (n2 * std::log(n2)) / (n1 * std::log(n1));
    const double ours = results[i].second.ours / results[i - 1].second.ours;
    const double floor = results[i].second.floor / results[i - 1].second.floor;
    const double bound = std::max(nlogn, floor);
    table.add({QStringLiteral("listing growth %1k → %2k (n log n: ×%3)")
                   .arg(n1 / 1000)
                   .arg(n2 / 1000)
                   .arg(nlogn, 0, 'f', 1),
               QStringLiteral("×%1").arg(ours, 0, 'f', 1),
               QStringLiteral("×%1").arg(floor, 0, 'f', 1),
               QStringLiteral("%1×").arg(ours / bound, 0, 'f', 2),
               QStringLiteral("≤ 1.1× max(n log n, floor)"),
               ours / bound <= 1.1 ? QStringLiteral("yes") : QStringLiteral("NO")});
  }
}

// ---------------------------------------------------------------- load and save

// The paths as the editor holds them, in the file system's own bytes (the
// floor's too), so that neither side converts a path while it is timed.
// With `history`, each save is one action kept there, as the editor's save is.
double oursLoadSave(const std::vector<platform::NativePath>& paths, bool flush,
                    const QString& history = {}) {
  const Clock::time_point start = Clock::now();
  for (const platform::NativePath& p : paths) {
    snack::SnackRecordType record;
    if (!snack::loadSnack(p, record).ok) fail(QStringLiteral("cannot load ") + p.shown());
    std::optional<snack::HistoryAction> action;
    snack::SaveOptions options{flush};
    if (!history.isEmpty()) options.history = &action.emplace(history, QStringLiteral("保存"));
    if (!snack::saveSnack(p, snack::valuesOf(record), options).ok)
      fail(QStringLiteral("cannot save ") + p.shown());
  }
  return secondsSince(start);
}

// Plain system calls: read the 904 header bytes, write the saved ranges back.
double floorLoadSave(const std::vector<QByteArray>& paths, bool flush) {
  const Clock::time_point start = Clock::now();
  char header[snack::kHeaderSize];
  for (const QByteArray& p : paths) {
    const int fd = ::open(p.constData(), O_RDWR);
    if (fd < 0 || ::pread(fd, header, sizeof header, 0) != snack::kHeaderSize)
      fail(QStringLiteral("floor cannot read ") + QString::fromLocal8Bit(p));
    for (const snack::ByteRange& r : snack::kSavedRanges) {
      if (::pwrite(fd, header + r.offset, r.size, r.offset) != r.size)
        fail(QStringLiteral("floor cannot write ") + QString::fromLocal8Bit(p));
    }
    if (flush) ::fsync(fd);
    ::close(fd);
  }
  return secondsSince(start);
}

void loadSave(Table& table, const QString& work) {
  const int count = 10000;
  say(QStringLiteral("load and save: writing %1 snack files").arg(count));
  const QString dir = at(work, QStringLiteral("snacks"));
  QDir().mkpath(dir);
  const QList<samplegen::SampleSnack> samples = samplegen::sampleSnacks();
  std::vector<platform::NativePath> paths;
  std::vector<QByteArray> native;
  for (int i = 0; i < count; ++i) {
    samplegen::SampleSnack s = samples[i % samples.size()];
    s.number = static_cast<std::uint16_t>(i);
    const QString p = at(dir, QStringLiteral("おやつ%1.pac").arg(i));
    if (!samplegen::writeFile(p, samplegen::snackFile(s, i % 16)))
      fail(QStringLiteral("cannot write ") + p);
    paths.push_back(p);
    native.push_back(paths.back().bytes());
  }
  const Pair t = alternate(
      1, 11, [&] { return oursLoadSave(paths, false); },
      [&] { return floorLoadSave(native, false); });
  table.addRatio(QStringLiteral("load + save 10,000 files, no flush"), ms(t.ours), ms(t.floor),
                 t.ours / t.floor, 2.0);

  // Flushed: every save waits for the disk, so a sample of the files does.
  const int flushed = 100;
  const std::vector<platform::NativePath> somePaths(paths.begin(), paths.begin() + flushed);
  const std::vector<QByteArray> someNative(native.begin(), native.begin() + flushed);
  ::sync();
  const Pair f = alternate(
      0, 3, [&] { return oursLoadSave(somePaths, true); },
      [&] { return floorLoadSave(someNative, true); });
  table.addReport(QStringLiteral("load + save with flush, per file (fsync each)"),
                  us(f.ours / flushed), us(f.floor / flushed),
                  QStringLiteral("%1×").arg(f.ours / f.floor, 0, 'f', 2));

  // The same saves, each kept in the history first (its own flush), against
  // the saves without it; both flushed.
  const QString history = at(work, QStringLiteral("履歴"));
  QDir(history).removeRecursively();
  ::sync();
  const Pair h = alternate(
      0, 3, [&] { return oursLoadSave(somePaths, true, history); },
      [&] { return oursLoadSave(somePaths, true); });
  table.addRatio(QStringLiteral("load + save with flush, with the history / without"), ms(h.ours),
                 ms(h.floor), h.ours / h.floor, 1.3);
}

// ---------------------------------------------------------------- factory

void factory(Table& table, const QString& work) {
  const QString dir = at(work, QStringLiteral("factory"));
  QDir().mkpath(dir);
  say(QStringLiteral("factory: writing 256 MiB of parts"));
  // Two 24-bit pictures of 4096 × 10922 and a header part that brings the
  // three to exactly 256 MiB.
  const QByteArray image = samplegen::pictureBmp(3, 4096, 10922);
  const QByteArray mask = samplegen::maskBmp(3, 4096, 10922);
  const qint64 total = qint64(256) << 20;
  const QByteArray head =
      samplegen::headerTemplate(static_cast<int>(total - image.size() - mask.size()));
  if (!samplegen::writeFile(at(dir, QStringLiteral("head.dat")), head) ||
      !samplegen::writeFile(at(dir, QStringLiteral("Image.bmp")), image) ||
      !samplegen::writeFile(at(dir, QStringLiteral("mask.bmp")), mask))
    fail(QStringLiteral("cannot write the factory parts"));
  const QString oursOut = at(dir, QStringLiteral("out.pac")),
                catOut = at(dir, QStringLiteral("out"));
  auto settle = [&] {
    QFile::remove(oursOut);
    QFile::remove(catOut);
    ::sync();
  };
  // buildSnack flushes the new file to the disk before it takes its name, so
  // its floor is cat followed by sync of the same file. cat alone, which
  // leaves its file in the page cache, is shown for scale.
  auto cat = [&](const QString& command) {
    settle();
    const ChildRun r =
        runChild({QStringLiteral("/bin/sh"), QStringLiteral("-c"), command}, dir, {});
    if (!r.ok || QFileInfo(catOut).size() != total) fail(QStringLiteral("failed: ") + command);
    return r.seconds;
  };
  const std::vector<double> t = rotate(
      1, 5,
      {[&] {
         settle();
         const Clock::time_point start = Clock::now();
         if (!snack::buildSnack(dir, QStringLiteral("out.pac")).ok)
           fail(QStringLiteral("buildSnack failed"));
         const double s = secondsSince(start);
         if (QFileInfo(oursOut).size() != total)
           fail(QStringLiteral("buildSnack wrote a wrong size"));
         return s;
       },
       [&] { return cat(QStringLiteral("cat head.dat Image.bmp mask.bmp > out && sync out")); },
       [&] { return cat(QStringLiteral("cat head.dat Image.bmp mask.bmp > out")); }});
  const double ours = total / t[0], flushed = total / t[1], unflushed = total / t[2];
  table.addRatio(QStringLiteral("factory vs cat + sync (both flushed), 256 MiB"),
                 mib(ours) + QStringLiteral("/s"), mib(flushed) + QStringLiteral("/s"),
                 ours / flushed, 0.9, true);
  table.addReport(QStringLiteral("factory vs cat (not flushed), 256 MiB"),
                  mib(ours) + QStringLiteral("/s"), mib(unflushed) + QStringLiteral("/s"),
                  ratio(ours / unflushed));
  settle();
}

// ---------------------------------------------------------------- preview

// The picture of the selected snack: from the selection to the preview
// painted, for a 256 × 256 picture with its mask; its floor is decoding the
// same picture alone. And a folder of 10,000 snack files with pictures lists
// as fast as the plain listing: no picture is read before a file is selected.
void preview(Table& table, const QString& work) {
  const QString dir = at(work, QStringLiteral("preview"));
  QDir().mkpath(dir);
  const int count = 10000;
  say(QStringLiteral("preview: writing %1 snack files").arg(count));
  const QList<samplegen::SampleSnack> samples = samplegen::sampleSnacks();
  for (int i = 0; i < count; ++i) {
    const QByteArray bytes = samplegen::snackFile(samples[i % samples.size()], i % 16, 8, 1);
    if (!samplegen::writeFile(at(dir, QStringLiteral("おやつ%1.pac").arg(i)), bytes))
      fail(QStringLiteral("cannot write into ") + dir);
  }
  QByteArray big[2];
  for (int i = 0; i < 2; ++i) {
    big[i] = samplegen::snackFile(samples[i], i, 24, 1, QSize(256, 256));
    if (!samplegen::writeFile(at(dir, QStringLiteral("0-big%1.pac").arg(i)), big[i]))
      fail(QStringLiteral("cannot write into ") + dir);
  }
  Module1::DialogMode = Module1::kModeSnackFile;
  const QString empty = at(work, QStringLiteral("preview-empty"));
  QDir().mkpath(empty);
  const Pair list = alternate(
      2, 15, [&] { return timeFill(empty, dir, count + 2); },
      [&] { return timeReaddirSorted(dir, count + 2); });
  table.addRatio(QStringLiteral("snack folder listing, 10,000 snacks with pictures"), ms(list.ours),
                 ms(list.floor), list.ours / list.floor, 1.5);
  Module1::SnackFolder = dir + QLatin1Char('/');

  Form3 form;
  form.show();
  QCoreApplication::processEvents();
  auto* files = form.findChild<QListView*>();
  auto* picture = form.findChild<QLabel*>(QStringLiteral("Picture1"));
  if (!files || !picture) fail(QStringLiteral("Form3 has no file list or no preview"));
  int row = 0;
  const Pair shown = alternate(
      3, 41,
      [&] {
        row = 1 - row;  // the two large snacks in turn
        const Clock::time_point start = Clock::now();
        files->setCurrentIndex(files->model()->index(row, 0));
        picture->repaint();
        const double s = secondsSince(start);
        if (picture->pixmap().isNull()) fail(QStringLiteral("the preview shows no picture"));
        return s;
      },
      [&] {
        const Clock::time_point start = Clock::now();
        const QImage image = QImage::fromData(big[row].mid(1024, 196662), "BMP");
        const double s = secondsSince(start);
        if (image.size() != QSize(256, 256)) fail(QStringLiteral("the floor decoded nothing"));
        return s;
      });
  table.add({QStringLiteral("preview of a 256 × 256 snack after a selection"), ms(shown.ours),
             ms(shown.floor), QStringLiteral("%1×").arg(shown.ours / shown.floor, 0, 'f', 2),
             QStringLiteral("≤ 16 ms"),
             shown.ours <= 0.016 ? QStringLiteral("yes") : QStringLiteral("NO")});
}

// ---------------------------------------------------------------- picture maker

// A new snack from a 4,000 × 3,000 PNG into the demo's 64 × 64 template, read,
// fitted, coded and written (flushed); its floor reads the same picture and
// scales it to the same size. And Picture1 drawn anew after Check1 changes.
void pictureMaker(Table& table, const QString& work) {
  const QString ws = at(work, QStringLiteral("picture"));
  if (!samplegen::writeWorkspace(ws)) fail(QStringLiteral("cannot write the workspace ") + ws);
  const QString png = at(ws, QStringLiteral("large.png"));
  say(QStringLiteral("picture maker: writing a 4,000 × 3,000 PNG"));
  if (!samplegen::snackImage(2, 4000, 3000).save(png)) fail(QStringLiteral("cannot write ") + png);
  const QString here = QDir::currentPath();
  QDir::setCurrent(ws);
  const Pair made = alternate(
      1, 9,
      [&] {
        const Clock::time_point start = Clock::now();
        const snack::Outcome done = snack::makeSnackFromPicture(snack::kFactoryFolder, png, true,
                                                                QStringLiteral("large.pac"));
        const double s = secondsSince(start);
        if (!done.ok) fail(done.message);
        return s;
      },
      [&] {
        const Clock::time_point start = Clock::now();
        QImage image = QImageReader(png).read();
        image = image.scaled(64, 48, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const double s = secondsSince(start);
        if (image.size() != QSize(64, 48)) fail(QStringLiteral("the floor read nothing"));
        return s;
      });
  table.addRatio(QStringLiteral("snack from a 4,000 × 3,000 PNG"), ms(made.ours), ms(made.floor),
                 made.ours / made.floor, 1.3);

  ui::SetMessageRecorder([](const QString& m) { fail(m); });
  {
    Module1::Reset();
    Form6 form;
    form.show();
    QCoreApplication::processEvents();
    auto* text1 = form.findChild<QLineEdit*>(QStringLiteral("Text1"));
    auto* check1 = form.findChild<QCheckBox*>(QStringLiteral("Check1"));
    auto* picture = form.findChild<QLabel*>(QStringLiteral("Picture1"));
    if (!text1 || !check1 || !picture)
      fail(QStringLiteral("Form6 has no Text1, Check1 or Picture1"));
    text1->setText(png);
    form.Text1_KeyPress();
    if (!check1->isEnabled()) fail(QStringLiteral("Form6 did not read the picture"));
    std::vector<double> redraw;
    for (int i = 0; i < 43; ++i) {
      const qint64 before = picture->pixmap().cacheKey();
      const Clock::time_point start = Clock::now();
      check1->click();
      picture->repaint();
      const double s = secondsSince(start);
      if (picture->pixmap().cacheKey() == before)
        fail(QStringLiteral("Picture1 was not drawn anew"));
      if (i >= 3) redraw.push_back(s);
    }
    const double r = median(redraw);
    table.add({QStringLiteral("Picture1 drawn anew after Check1, 4,000 × 3,000 picture"), ms(r),
               QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("≤ 16 ms"),
               r <= 0.016 ? QStringLiteral("yes") : QStringLiteral("NO")});
  }
  ui::SetMessageRecorder({});
  QDir::setCurrent(here);
}

// ---------------------------------------------------------------- collection

// Counts the paints of a widget.
class PaintCounter : public QObject {
 public:
  int paints = 0;

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) ++paints;
    return false;
  }
};

// The collection window for a folder of 10,000 snacks, from its creation to
// its first rows painted with their pictures; its floor reads the folder and
// the first 904 bytes of each file with plain system calls. Then one scroll
// step (a wheel step of lines never shown before) redrawn.
void collection(Table& table, const QString& work) {
  const QString dir = at(work, QStringLiteral("collection"));
  QDir().mkpath(dir);
  const int count = 10000;
  say(QStringLiteral("collection: writing %1 snack files").arg(count));
  const QList<samplegen::SampleSnack> samples = samplegen::sampleSnacks();
  for (int i = 0; i < count; ++i) {
    samplegen::SampleSnack s = samples[i % samples.size()];
    s.number = static_cast<std::uint16_t>(i);
    const QByteArray bytes = samplegen::snackFile(s, i % 16, 8, 1);
    if (!samplegen::writeFile(at(dir, QStringLiteral("おやつ%1.pac").arg(i)), bytes))
      fail(QStringLiteral("cannot write into ") + dir);
  }
  Module1::SnackFolder = dir + QLatin1Char('/');
  const QByteArray native = QFile::encodeName(dir);

  auto show = [&](Form7& form) {
    auto* grid = form.findChild<QTableView*>(QStringLiteral("Grid1"));
    PaintCounter counter;
    grid->viewport()->installEventFilter(&counter);
    form.show();
    QCoreApplication::processEvents();
    if (counter.paints == 0) grid->viewport()->repaint();
    grid->viewport()->removeEventFilter(&counter);
    if (grid->model()->rowCount() != count) fail(QStringLiteral("Form7 listed a wrong count"));
    return grid;
  };
  const Pair shown = alternate(
      1, 9,
      [&] {
        const Clock::time_point start = Clock::now();
        Form7 form;
        show(form);
        return secondsSince(start);
      },
      [&] {
        const Clock::time_point start = Clock::now();
        DIR* d = ::opendir(native.constData());
        if (!d) fail(QStringLiteral("floor cannot read ") + dir);
        char header[snack::kHeaderSize];
        int read = 0;
        while (const dirent* e = ::readdir(d)) {
          if (e->d_name[0] == '.') continue;
          const int fd = ::openat(::dirfd(d), e->d_name, O_RDONLY);
          if (fd >= 0 && ::pread(fd, header, sizeof header, 0) == snack::kHeaderSize) ++read;
          if (fd >= 0) ::close(fd);
        }
        ::closedir(d);
        const double s = secondsSince(start);
        if (read != count) fail(QStringLiteral("the floor read a wrong count"));
        return s;
      });
  table.addRatio(QStringLiteral("collection window, 10,000 snacks, to first paint"), ms(shown.ours),
                 ms(shown.floor), shown.ours / shown.floor, 2.0);

  Form7 form;
  QTableView* grid = show(form);
  QScrollBar* bar = grid->verticalScrollBar();
  const int step = QApplication::wheelScrollLines() * bar->singleStep();
  std::vector<double> steps;
  for (int i = 0; i < 60 && bar->value() + step <= bar->maximum(); ++i) {
    const Clock::time_point start = Clock::now();
    bar->setValue(bar->value() + step);
    grid->viewport()->repaint();
    if (i >= 5) steps.push_back(secondsSince(start));
  }
  const double s = median(steps);
  table.add({QStringLiteral("collection window, one scroll step (%1 new rows)")
                 .arg(QApplication::wheelScrollLines()),
             ms(s), QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("≤ 16 ms"),
             s <= 0.016 ? QStringLiteral("yes") : QStringLiteral("NO")});
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ui::installFontSubstitutes();
  QCommandLineParser parser;
  parser.addOption({QStringLiteral("work"), QStringLiteral("Empty folder for the data."),
                    QStringLiteral("dir")});
  parser.addOption(
      {QStringLiteral("app"), QStringLiteral("The crumbwright program."), QStringLiteral("path")});
  parser.addOption({QStringLiteral("same-pixels"),
                    QStringLiteral("The floor showing the main window's pixels."),
                    QStringLiteral("path")});
  parser.addOption({QStringLiteral("floor-window"), QStringLiteral("The empty window."),
                    QStringLiteral("path")});
  parser.addOption(
      {QStringLiteral("only"),
       QStringLiteral(
           "Comma-separated: "
           "startup,names,listing,loadsave,factory,preview,collection,picture,cli,many."),
       QStringLiteral("list")});
  parser.addHelpOption();
  parser.process(app);
  const QString work = parser.value(QStringLiteral("work"));
  if (work.isEmpty() || !QFileInfo(work).isDir()) fail(QStringLiteral("--work must name a folder"));
  const QStringList only =
      parser.value(QStringLiteral("only")).split(QLatin1Char(','), Qt::SkipEmptyParts);
  auto wanted = [&](const char* name) {
    return only.isEmpty() || only.contains(QLatin1String(name));
  };

  Table table;
  const Clock::time_point start = Clock::now();
  if (wanted("startup")) {
    say(QStringLiteral("start-up"));
    startUp(table, work, parser.value(QStringLiteral("app")),
            parser.value(QStringLiteral("same-pixels")),
            parser.value(QStringLiteral("floor-window")),
            QCoreApplication::applicationDirPath() + QStringLiteral("/crumb-child-stats"));
  }
  if (wanted("listing")) listing(table, work);
  if (wanted("loadsave")) loadSave(table, work);
  if (wanted("factory")) factory(table, work);
  if (wanted("names")) nameTables(table, work);
  if (wanted("preview")) preview(table, work);
  if (wanted("picture")) pictureMaker(table, work);
  if (wanted("collection")) collection(table, work);
  if (wanted("cli")) commandLine(table, work, say, fail);
  if (wanted("many")) manyFiles(table, work, say, fail);

  std::printf("%s", qPrintable(table.text()));
  std::printf("\n%d target(s) missed. Medians; %s, %d cores, Qt %s; %.0f s.\n", table.missed(),
              qPrintable(QSysInfo::prettyProductName()),
              static_cast<int>(sysconf(_SC_NPROCESSORS_ONLN)), qVersion(), secondsSince(start));
  return 0;
}
