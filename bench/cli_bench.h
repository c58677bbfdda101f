// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The command-line program's benchmarks (cli.cpp).
#include <QString>
#include <functional>

#include "measure.h"

namespace bench {

// `ls --json`, `refresh --all` and `apply --dry-run` over 10,000 snacks in
// `work`, each against its floor, and a thumbnail against the program's own
// start and end.
void commandLine(Table& table, const QString& work, const std::function<void(const QString&)>& say,
                 const std::function<void(const QString&)>& fail);

// "まとめて変更" over 1,000 snacks in `work` against the same saves through the core.
void manyFiles(Table& table, const QString& work, const std::function<void(const QString&)>& say,
               const std::function<void(const QString&)>& fail);

}  // namespace bench
