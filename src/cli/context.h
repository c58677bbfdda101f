// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What every subcommand works with: the working folder and its names, the
// files named or listed, the parsed options, and the two output streams.
#include <QList>
#include <QMap>
#include <QSet>
#include <QString>
#include <optional>

#include "platform/console.h"
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

// The history of changes: "履歴" in the working folder.
inline QString historyFolder(const Context& ctx) { return ctx.inWorkdir(snack::kHistoryFolder); }

// A file named on the command line: the bytes given when they name something,
// else the entry that shows as the text (a name in code page 932 given as the
// listings show it).
platform::NativePath fileArgument(const platform::CommandArgument& arg);

// The files a subcommand works on, each under the text it is shown by (and,
// when listed, its name as the listing shows it).
struct Target {
  QString shown;
  platform::NativePath path;
  QString name;
  bool listed = false;  // from a listing made just now
};

// The files the file selection window lists for a folder (by default the
// snack folder, whose text goes to `folderText`), shown as the folder text
// joined with the shown name; nullopt after a message.
std::optional<QList<Target>> listedFiles(Context& ctx,
                                         const QList<platform::CommandArgument>& operands,
                                         QString* folderText = nullptr);

// A subcommand's arguments, split.
struct Options {
  QSet<QString> flags;
  QMap<QString, platform::CommandArgument> values;
  QList<platform::CommandArgument> operands;
  bool has(const char* flag) const { return flags.contains(QLatin1String(flag)); }
};

}  // namespace cli
