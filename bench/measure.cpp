// SPDX-License-Identifier: GPL-3.0-or-later
#include "measure.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QProcess>
#include <algorithm>
#include <string>

extern char** environ;

namespace bench {

double median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

Pair alternate(int warmUp, int runs, const std::function<double()>& ours,
               const std::function<double()>& floor) {
  for (int i = 0; i < warmUp; ++i) {
    ours();
    floor();
  }
  std::vector<double> a, b;
  for (int i = 0; i < runs; ++i) {
    // Swap the order every run so neither side always follows the other.
    if (i % 2) {
      a.push_back(ours());
      b.push_back(floor());
    } else {
      b.push_back(floor());
      a.push_back(ours());
    }
  }
  return {median(a), median(b)};
}

ChildRun runChild(const QStringList& argv, const QString& workingDir, const QStringList& env) {
  std::vector<std::string> args, vars;
  for (const QString& a : argv) args.push_back(a.toStdString());
  for (char** e = environ; *e; ++e) {
    const std::string entry(*e);
    const std::string name = entry.substr(0, entry.find('='));
    bool replaced = false;
    for (const QString& v : env)
      replaced = replaced || v.startsWith(QString::fromStdString(name + "="));
    if (!replaced) vars.push_back(entry);
  }
  for (const QString& v : env) vars.push_back(v.toStdString());
  std::vector<char*> cargs, cvars;
  for (std::string& a : args) cargs.push_back(a.data());
  cargs.push_back(nullptr);
  for (std::string& v : vars) cvars.push_back(v.data());
  cvars.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  const std::string dir = workingDir.toStdString();
  posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());

  ChildRun run;
  const Clock::time_point start = Clock::now();
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, cargs[0], &actions, nullptr, cargs.data(), cvars.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return run;
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid) return run;
  run.seconds = secondsSince(start);
  run.peakKiB = usage.ru_maxrss;
  run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return run;
}

ChildRun runMeasured(const QString& statsTool, const QStringList& argv, const QString& workingDir,
                     const QStringList& env) {
  QProcess p;
  p.setWorkingDirectory(workingDir);
  QProcessEnvironment vars = QProcessEnvironment::systemEnvironment();
  for (const QString& v : env)
    vars.insert(v.section(QLatin1Char('='), 0, 0), v.section(QLatin1Char('='), 1));
  p.setProcessEnvironment(vars);
  p.start(statsTool, argv);
  ChildRun run;
  if (!p.waitForFinished(60000) || p.exitCode() != 0) return run;
  const QStringList fields = QString::fromLatin1(p.readAllStandardOutput()).split(QLatin1Char(' '));
  if (fields.size() != 3) return run;
  run.seconds = fields[0].toDouble();
  run.peakKiB = fields[1].toLong();
  run.ok = fields[2].trimmed() == QLatin1String("0");
  return run;
}

void Table::addRatio(const QString& benchmark, const QString& ours, const QString& floor,
                     double ratio, double bound, bool atLeast) {
  const bool met = atLeast ? ratio >= bound : ratio <= bound;
  add({benchmark, ours, floor, QStringLiteral("%1×").arg(ratio, 0, 'f', 2),
       QStringLiteral("%1 %2×").arg(atLeast ? QStringLiteral("≥") : QStringLiteral("≤")).arg(bound),
       met ? QStringLiteral("yes") : QStringLiteral("NO")});
}

void Table::addReport(const QString& benchmark, const QString& ours, const QString& floor,
                      const QString& ratio) {
  add({benchmark, ours, floor, ratio, QStringLiteral("report"), QStringLiteral("-")});
}

QString Table::text() const {
  const QStringList head = {QStringLiteral("benchmark"), QStringLiteral("ours"),
                            QStringLiteral("floor"),     QStringLiteral("ratio"),
                            QStringLiteral("target"),    QStringLiteral("met")};
  std::vector<QStringList> lines = {head};
  for (const Row& r : rows_)
    lines.push_back({r.benchmark, r.ours, r.floor, r.ratio, r.target, r.met});
  std::vector<qsizetype> width(head.size(), 0);
  for (const QStringList& l : lines)
    for (qsizetype c = 0; c < l.size(); ++c) width[c] = std::max(width[c], l[c].size());
  auto line = [&](const QStringList& cells) {
    QString s = QStringLiteral("|");
    for (qsizetype c = 0; c < cells.size(); ++c)
      s += QLatin1Char(' ') + cells[c].leftJustified(width[c]) + QStringLiteral(" |");
    return s + QLatin1Char('\n');
  };
  QString out = line(lines[0]);
  QStringList rule;
  for (qsizetype w : width) rule.append(QString(w, QLatin1Char('-')));
  out += line(rule);
  for (size_t i = 1; i < lines.size(); ++i) out += line(lines[i]);
  return out;
}

int Table::missed() const {
  return static_cast<int>(std::count_if(rows_.begin(), rows_.end(),
                                        [](const Row& r) { return r.met == QLatin1String("NO"); }));
}

QString ms(double seconds) { return QStringLiteral("%1 ms").arg(seconds * 1e3, 0, 'f', 1); }
QString us(double seconds) { return QStringLiteral("%1 µs").arg(seconds * 1e6, 0, 'f', 0); }
QString mib(double bytes) {
  return QStringLiteral("%1 MiB").arg(bytes / (1024.0 * 1024.0), 0, 'f', 1);
}

}  // namespace bench
