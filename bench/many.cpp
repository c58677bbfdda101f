// SPDX-License-Identifier: GPL-3.0-or-later
// Many files at once: the collection window's "まとめて変更" of one field over
// 1,000 snacks against the same count of saves through the core, each flushed;
// and `apply --dry-run` of a 10,000-row CSV against reading the CSV and the
// 10,000 headers.
#include "snack/many.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <QDir>

#include "app/module1.h"
#include "cli_bench.h"
#include "samplegen.h"
#include "snack/collection.h"
#include "ui/form7.h"

namespace bench {

namespace {

// Writes `count` snacks into `dir`, made anew.
void writeSnacks(const QString& dir, int count, const std::function<void(const QString&)>& fail) {
  QDir(dir).removeRecursively();
  QDir().mkpath(dir);
  const QList<samplegen::SampleSnack> samples = samplegen::sampleSnacks();
  for (int i = 0; i < count; ++i) {
    samplegen::SampleSnack s = samples[i % samples.size()];
    s.number = static_cast<std::uint16_t>(i);
    const QString p = QDir(dir).filePath(QStringLiteral("おやつ%1.pac").arg(i));
    if (!samplegen::writeFile(p, samplegen::snackFile(s, i % 16, 8, 1)))
      fail(QStringLiteral("cannot write ") + p);
  }
}

}  // namespace

void manyFiles(Table& table, const QString& work, const std::function<void(const QString&)>& say,
               const std::function<void(const QString&)>& fail) {
  const int count = 1000;
  const QString dir = QDir(work).filePath(QStringLiteral("many"));
  say(QStringLiteral("many files: writing %1 snack files").arg(count));
  writeSnacks(dir, count, fail);
  Module1::SnackFolder = dir + QLatin1Char('/');
  QString error;
  const auto rows = snack::readCollection(dir, &error, snack::RowParts::HeaderOnly);
  if (!rows || rows->size() != count) fail(QStringLiteral("cannot read ") + dir);
  // Each run writes another author, so that every run changes every file.
  int run = 0;
  auto author = [&] { return QStringLiteral("作者%1").arg(++run); };
  Form7 form;
  ::sync();
  const Pair t = alternate(
      0, 3,
      [&] {
        QList<snack::FileChanges> files;
        for (const snack::SnackRow& row : *rows)
          files.append({row, {{snack::Field::Author, {}, author()}}});
        const Clock::time_point start = Clock::now();
        if (!form.WriteChanges(&form, files, true)) fail(QStringLiteral("まとめて変更 failed"));
        return secondsSince(start);
      },
      [&] {
        std::vector<snack::HeaderValues> values;
        const QByteArray name = samplegen::sjis(author());
        for (const snack::SnackRow& row : *rows) {
          values.push_back(snack::valuesOf(row.record));
          values.back().author = name;
        }
        const Clock::time_point start = Clock::now();
        for (int i = 0; i < count; ++i)
          if (!snack::saveSnack((*rows)[i].path, values[i]).ok) fail(QStringLiteral("save failed"));
        return secondsSince(start);
      });
  table.addRatio(QStringLiteral("まとめて変更, one field of 1,000 snacks (flush each)"), ms(t.ours),
                 ms(t.floor), t.ours / t.floor, 1.5);
}

}  // namespace bench
