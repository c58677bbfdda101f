// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Timing, child processes and the result table of the benchmark runner.
// The runner is a Linux tool: it spawns children with posix_spawn and reads
// their peak memory from wait4.
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

inline double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double median(std::vector<double> values);

// Runs `ours` and `floor` alternately, `runs` times each after `warmUp`
// unmeasured runs of each, and returns the median seconds of each.
struct Pair {
  double ours = 0, floor = 0;
};
Pair alternate(int warmUp, int runs, const std::function<double()>& ours,
               const std::function<double()>& floor);

// A child process run to its end: wall time from spawn to reaped, peak
// resident memory in KiB, and whether it exited with status 0.
struct ChildRun {
  double seconds = 0;
  long peakKiB = 0;
  bool ok = false;
};
// `env` entries ("NAME=value") replace or extend the runner's environment;
// standard output and error go to /dev/null.
ChildRun runChild(const QStringList& argv, const QString& workingDir, const QStringList& env);
// The same through crumb-child-stats (`statsTool`), whose own small footprint
// is all the peak memory shares with anything else.
ChildRun runMeasured(const QString& statsTool, const QStringList& argv, const QString& workingDir,
                     const QStringList& env);

struct Row {
  QString benchmark, ours, floor, ratio, target, met;
};

class Table {
 public:
  void add(Row row) { rows_.push_back(std::move(row)); }
  // One row with a measured ratio against a bound: met when ratio <= bound
  // (or >= bound when `atLeast`).
  void addRatio(const QString& benchmark, const QString& ours, const QString& floor, double ratio,
                double bound, bool atLeast = false);
  void addReport(const QString& benchmark, const QString& ours, const QString& floor,
                 const QString& ratio = QStringLiteral("-"));
  // A Markdown table, columns padded to line up.
  QString text() const;
  int missed() const;

 private:
  std::vector<Row> rows_;
};

QString ms(double seconds);
QString us(double seconds);
QString mib(double bytes);

}  // namespace bench
