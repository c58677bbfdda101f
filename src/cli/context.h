// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What every subcommand works with: the working folder and its names, the
// files named or listed, the parsed options, and the two output streams.
#include <QList>
#include <QMap>
#include <QSet>
#include <QString>
#include <memory>
#include <optional>

#include "platform/console.h"
#include "platform/folders.h"
#include "platform/paths.h"
#include "snack/history.h"
#include "snack/names.h"

namespace cli {

inline const QString kProgram = QStringLiteral("crumbwright-cli");

// A result on standard output.
void say(const QString& text);
// A message on standard error, after the program's name.
void message(const QString& text);
// A usage error: the message, then where the usage is shown. Nothing is done;
// the exit status for it.
int usageError(const QString& text, const QString& subcommand = {});

// Where the settings files and the factory are, and the names read from there.
struct Context {
  QString workdir;  // empty: the current folder
  snack::NameTables names;
  bool namesRead = false;

  QString inWorkdir(const QString& name) const {
    return workdir.isEmpty() ? name : platform::joinPath(workdir, name);
  }

  // Foodtype.ini and sound.ini, read once; as in the editor, a file that
  // cannot be read leaves its names empty, with the editor's message.
  void readNames();

  // The snack folder of cookenv.ini, a relative one taken from the working
  // folder; nullopt after a message.
  std::optional<QString> snackFolder() const;
};

// The operands with each "-" replaced by the names read from standard input,
// one a line; nullopt after a message when standard input cannot be read.
std::optional<QList<platform::CommandArgument>> withStandardInput(
    const QList<platform::CommandArgument>& operands);

// The history of changes: "履歴" in the working folder.
inline QString historyFolder(const Context& ctx) { return ctx.inWorkdir(snack::kHistoryFolder); }

// The files a subcommand works on, each under the text it is shown by (and,
// when listed, its name as the listing shows it and the folder held open).
struct Target {
  QString shown;
  platform::NativePath path;
  QString name;
  bool listed = false;  // from a listing made just now
  std::shared_ptr<const platform::OpenFolder> folder = {};

  platform::FolderEntry entry() const { return {name, path, folder}; }
  // The bytes of the path when the shown text does not give them exactly (a
  // name that is not UTF-8, or one found by how it shows); else empty.
  QByteArray inexactBytes() const {
    return platform::NativePath(shown) == path ? QByteArray() : path.bytes();
  }
};

// The prefix of an operand that gives a path as the hex digits of its bytes.
inline const QString kHexPrefix = QStringLiteral("hex:");

// A file or folder named on the command line: "hex:" and the bytes of its
// path in hex digits; else the argument's bytes when they name something;
// else the one entry that shows as the text (a name in code page 932 given as
// the listings show it). A text holding U+FFFD names nothing by itself: the
// character only stands for bytes that are no character. nullopt after a
// message, with `status`: kFailed when nothing is named, kRefused when several
// entries show as the text or the hex digits are not a path.
std::optional<Target> fileArgument(const platform::CommandArgument& arg, int* status);

// fileArgument for each operand, in order, into `targets`. kRefused when one
// is refused (then nothing is to be done); kFailed when one names nothing (it
// is left out, after its message; the others are to be done); else kDone.
int namedFiles(const QList<platform::CommandArgument>& operands, QList<Target>& targets);

// The files the file selection window lists for a folder (by default the
// snack folder), shown as the folder text (into `folderText`) joined with the
// shown name; nullopt after a message, with `status` as fileArgument gives it
// (kFailed when the folder cannot be read).
std::optional<QList<Target>> listedFiles(Context& ctx,
                                         const QList<platform::CommandArgument>& operands,
                                         QString* folderText = nullptr, int* status = nullptr);

// A subcommand's arguments, split.
struct Options {
  QSet<QString> flags;
  QMap<QString, platform::CommandArgument> values;
  QList<platform::CommandArgument> operands;
  bool has(const char* flag) const { return flags.contains(QLatin1String(flag)); }
};

}  // namespace cli
