// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The console of a command-line program: its arguments and its two output
// streams.
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <optional>

#include "platform/paths.h"

namespace platform {

// One argument as text (for options and values) and as the path it names.
// On Windows both come from the Unicode command line
// (QCoreApplication::arguments()). On POSIX the path is the argument's bytes,
// which need not be UTF-8 (names in code page 932), and the text shows each
// name of it as shownName does.
struct CommandArgument {
  QString text;
  NativePath path;
};

// The arguments after the program's name. Needs the application object.
QList<CommandArgument> commandArguments(int argc, char** argv);

// The lines of standard input as arguments, for a "-" that stands for a list
// of names: each line without its LF or CR LF, empty lines left out. A line is
// a path's bytes on POSIX and UTF-8 text on Windows, as an argument would be.
// Nullopt when standard input cannot be read.
std::optional<QList<CommandArgument>> standardInputLines();
// The whole of standard input, as bytes; nullopt when it cannot be read.
std::optional<QByteArray> standardInput();

// Standard output and error take UTF-8 bytes as they are: on Windows the
// console's output code page becomes UTF-8 and neither stream turns LF into
// CR LF, so a CSV's CR LF arrives unchanged.
void setUpConsole();

// Writes bytes to standard output or standard error; false when the stream
// failed (a closed pipe, a full disk).
bool writeOut(QByteArrayView bytes);
bool writeErr(QByteArrayView bytes);
// Pushes what standard output holds; false when that failed.
bool flushOut();

}  // namespace platform
