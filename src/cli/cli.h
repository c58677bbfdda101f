// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// crumbwright-cli: the snack operations of the editor from the command line.
// Results go to standard output, messages to standard error.
#include <QList>

#include "platform/console.h"

namespace cli {

// Exit statuses.
inline constexpr int kDone = 0;     // everything asked was done
inline constexpr int kFailed = 1;   // some file failed; the others were done
inline constexpr int kRefused = 2;  // a usage error or a refused value; nothing written

// Runs one command line (the arguments after the program's name).
int run(const QList<platform::CommandArgument>& args);

}  // namespace cli
