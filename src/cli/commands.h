// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The subcommands, one procedure each: the status they end with (kDone,
// kFailed or kRefused), with their results on standard output and their
// messages on standard error.
#include <QString>

#include "cli/context.h"

namespace cli {

int Show_Run(Context& ctx, const Options& o);
int Ls_Run(Context& ctx, const Options& o);
int Set_Run(Context& ctx, const Options& o);
int Apply_Run(Context& ctx, const Options& o);
int Refresh_Run(Context& ctx, const Options& o);
int Make_Run(Context& ctx, const Options& o);
int Thumbnail_Run(Context& ctx, const Options& o);
int History_Run(Context& ctx, const Options& o);
int Undo_Run(Context& ctx, const Options& o);

// The keys set takes, separated by commas.
QString settableKeys();

}  // namespace cli
