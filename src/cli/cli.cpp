// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QSet>
#include <algorithm>

#include "app/settings.h"
#include "cli/report.h"
#include "platform/bytefile.h"
#include "platform/paths.h"
#include "snack/collection.h"
#include "snack/fields.h"
#include "snack/operations.h"
#include "snack/picturemaker.h"

#ifndef CRUMB_VERSION
#define CRUMB_VERSION "0"
#endif

namespace cli {

namespace {

using platform::CommandArgument;
using platform::NativePath;

const QString kProgram = QStringLiteral("crumbwright-cli");

void say(const QString& text) { platform::writeOut(text.toUtf8()); }
void message(const QString& text) { platform::writeErr((kProgram + ": " + text + '\n').toUtf8()); }

// A usage error: the message, then where the usage is shown. Nothing is done.
int usageError(const QString& text, const QString& subcommand = {}) {
  message(text);
  message(subcommand.isEmpty()
              ? QStringLiteral("使い方は「%1 --help」で表示します。").arg(kProgram)
              : QStringLiteral("使い方は「%1 help %2」で表示します。").arg(kProgram, subcommand));
  return kRefused;
}

// ---------------------------------------------------------------- the working folder

// Where the settings files and the factory are, and the names read from there.
struct Context {
  QString workdir;  // empty: the current folder
  NameTable foodTypes, sounds;
  bool namesRead = false;

  QString inWorkdir(const QString& name) const {
    return workdir.isEmpty() ? name : platform::joinPath(workdir, name);
  }

  // Foodtype.ini and sound.ini, read once; as in the editor, a file that
  // cannot be read leaves its names empty, with the editor's message.
  void readNames() {
    if (namesRead) return;
    namesRead = true;
    QString error;
    if (!ReadNameTable(inWorkdir(kFoodTypeFile), foodTypes, &error))
      message(error + QStringLiteral("\nおやつの種類はすべて「--------」になります。"));
    if (!ReadNameTable(inWorkdir(kSoundFile), sounds, &error))
      message(error + QStringLiteral("\n食事音はすべて「--------」になります。"));
  }

  // The snack folder of cookenv.ini, a relative one taken from the working
  // folder; nullopt after a message.
  std::optional<QString> snackFolder() const {
    QString error;
    const auto folder = ReadSnackFolder(&error, workdir);
    if (!folder) {
      message(error);
      return std::nullopt;
    }
    if (*folder == kNoFolder) {
      message(QStringLiteral("設定ファイル「%1」のおやつフォルダは「%2」（まだ選ばれていません）"
                             "です。フォルダを指定してください。")
                  .arg(inWorkdir(kCookenvFile), kNoFolder));
      return std::nullopt;
    }
    if (workdir.isEmpty() || QDir::isAbsolutePath(*folder)) return *folder;
    return platform::joinPath(workdir, *folder);
  }
};

// A file named on the command line: the bytes given when they name something,
// else the entry that shows as the text (a name in code page 932 given as the
// listings show it).
NativePath fileArgument(const CommandArgument& arg) {
  if (platform::exists(arg.path)) return arg.path;
  return platform::resolveShownPath(arg.text);
}

// The files a subcommand works on, each under the text it is shown by (and,
// when listed, its name as the listing shows it).
struct Target {
  QString shown;
  NativePath path;
  QString name;
  bool listed = false;  // from a listing made just now
};

// The files the file selection window lists for a folder (by default the
// snack folder, whose text goes to `folderText`), shown as the folder text
// joined with the shown name; nullopt after a message.
std::optional<QList<Target>> listedFiles(Context& ctx, const QList<CommandArgument>& operands,
                                         QString* folderText = nullptr) {
  const auto folder = operands.isEmpty() ? ctx.snackFolder() : operands.first().text;
  if (!folder) return std::nullopt;
  if (folderText) *folderText = *folder;
  QString error;
  const auto files = snack::listSnackFolder(*folder, &error);
  if (!files) {
    message(error);
    return std::nullopt;
  }
  QList<Target> targets;
  targets.reserve(files->size());
  for (const platform::FolderEntry& e : *files)
    targets.append({platform::joinPath(*folder, e.name), e.path, e.name, true});
  return targets;
}

// ---------------------------------------------------------------- subcommands

struct Options {
  QSet<QString> flags;
  QMap<QString, CommandArgument> values;
  QList<CommandArgument> operands;
  bool has(const char* flag) const { return flags.contains(QLatin1String(flag)); }
};

enum class Form { Text, Line, Json };

// Reads each file and prints it in the form asked; a file that cannot be
// read gets its message. False when one could not.
bool printRows(Context& ctx, const QList<Target>& targets, Form form) {
  ctx.readNames();
  bool all = true, first = true;
  for (const Target& t : targets) {
    const snack::SnackRow row =
        snack::readSnackRow({t.name, t.path}, snack::RowParts::WithPicture, t.listed);
    if (!row.readable) {
      message(row.reason);
      all = false;
      continue;
    }
    if (form == Form::Json)
      platform::writeOut(jsonLine(t.shown, row, ctx.foodTypes, ctx.sounds));
    else if (form == Form::Line)
      say(textLine(t.shown, row));
    else  // blocks of lines, an empty line between two
      say((first ? QString() : QStringLiteral("\n")) +
          textBlock(t.shown, row, ctx.foodTypes, ctx.sounds));
    first = false;
  }
  return all;
}

int Show_Run(Context& ctx, const Options& o) {
  if (o.operands.isEmpty())
    return usageError(QStringLiteral("おやつファイルを指定してください。"), QStringLiteral("show"));
  QList<Target> targets;
  for (const CommandArgument& a : o.operands) targets.append({a.text, fileArgument(a), {}});
  return printRows(ctx, targets, o.has("--json") ? Form::Json : Form::Text) ? kDone : kFailed;
}

int Ls_Run(Context& ctx, const Options& o) {
  if (o.has("--json") && o.has("--csv"))
    return usageError(QStringLiteral("--json と --csv は一緒に使えません。"), QStringLiteral("ls"));
  if (o.operands.size() > 1)
    return usageError(QStringLiteral("フォルダは一つだけ指定してください。"), QStringLiteral("ls"));
  QString folder;
  const auto targets = listedFiles(ctx, o.operands, &folder);
  if (!targets) return kFailed;
  if (!o.has("--csv"))
    return printRows(ctx, *targets, o.has("--json") ? Form::Json : Form::Line) ? kDone : kFailed;
  // The bytes "CSVに書き出す…" writes for every row, in the listing's order.
  ctx.readNames();
  QList<snack::SnackRow> rows;
  bool all = true;
  for (const Target& t : *targets) {
    rows.append(snack::readSnackRow({t.name, t.path}, snack::RowParts::WithPicture, true));
    if (!rows.last().readable) {
      message(rows.last().reason);
      all = false;
    }
  }
  platform::writeOut(snack::collectionCsv(rows, folder, ctx.foodTypes, ctx.sounds));
  return all ? kDone : kFailed;
}

// A set may change the fields a box of the editor edits, but for the opened
// date and time, which only a refresh clears.
bool isSettable(const snack::FieldLayout& f) {
  return f.opened == snack::Opened::No && f.kind != snack::Kind::Zero;
}

QString settableKeys() {
  QStringList keys;
  for (const snack::FieldLayout& f : snack::kFields)
    if (isSettable(f)) keys.append(QLatin1String(f.key));
  return keys.join(QStringLiteral(", "));
}

// A field as the messages of the command line name it: caption and key.
QString fieldName(snack::Field field) {
  return QStringLiteral("%1（%2）")
      .arg(snack::fieldCaption(field), QLatin1String(snack::layoutOf(field).key));
}

// The list position a value names: a whole number is the index, any other
// text the first item showing it, as an item typed into the editor's list is
// found (an empty name shows as "--------"). -1 when no item shows it;
// nullopt, with `error`, for an index outside 0 to 255.
std::optional<int> listPosition(const QString& value, const NameTable& names,
                                const QString& caption, QString* error) {
  const QString t = value.trimmed();
  const bool index = !t.isEmpty() && std::all_of(t.begin(), t.end(), [](QChar c) {
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
           (c.unicode() >= 0xFF10 && c.unicode() <= 0xFF19);
  });
  if (index) {
    const auto n = snack::parseByte(value, caption, error);
    if (!n) return std::nullopt;
    return int(*n);
  }
  for (int i = 0; i <= 255; ++i)
    if (snack::listItemText(names[i]) == value) return i;
  return -1;
}

int Set_Run(Context& ctx, const Options& o) {
  const QString sub = QStringLiteral("set");
  if (o.operands.size() < 2)
    return usageError(QStringLiteral("おやつファイルと、一つ以上の 項目=値 を指定してください。"),
                      sub);
  QList<std::pair<snack::Field, QString>> changes;
  for (qsizetype i = 1; i < o.operands.size(); ++i) {
    const QString& a = o.operands[i].text;
    const qsizetype eq = a.indexOf(QLatin1Char('='));
    if (eq < 0)
      return usageError(QStringLiteral("「%1」は 項目=値 の形ではありません。").arg(a), sub);
    const QString key = a.left(eq);
    const snack::FieldLayout* f = snack::fieldByKey(key);
    if (!f || !isSettable(*f))
      return usageError(
          QStringLiteral("「%1」という項目はありません。項目は %2 です。").arg(key, settableKeys()),
          sub);
    for (const auto& c : changes)
      if (c.first == f->field)
        return usageError(QStringLiteral("項目 %1 が二度指定されています。").arg(key), sub);
    changes.append({f->field, a.mid(eq + 1)});
  }
  ctx.readNames();
  const CommandArgument& fileArg = o.operands.first();
  const NativePath path = fileArgument(fileArg);
  // The editor's save of the file as a load shows it, with the named boxes
  // changed: every other text keeps its bytes.
  snack::SnackRecordType record;
  const snack::Outcome loaded = snack::loadSnack(path, record);
  if (!loaded.ok) {
    message(loaded.message);
    return kFailed;
  }
  snack::BoxEntries boxes = snack::shownBoxes(record);
  for (const snack::FieldLayout& f : snack::kFields)
    boxes[static_cast<int>(f.field)].caption = fieldName(f.field);
  auto refused = [&](const QString& error) {
    message(QStringLiteral("おやつファイル「%1」：%2\n何も書き込みませんでした。")
                .arg(fileArg.text, error));
    return kRefused;
  };
  for (const auto& [field, value] : changes) {
    snack::BoxEntry& box = boxes[static_cast<int>(field)];
    if (snack::layoutOf(field).kind != snack::Kind::Byte) {
      box.text = value;
      box.keptBytes.reset();
      continue;
    }
    QString error;
    const auto position = listPosition(
        value, field == snack::Field::Type ? ctx.foodTypes : ctx.sounds, box.caption, &error);
    if (!position) return refused(error);
    box.position = *position;
  }
  QString error;
  const auto values = snack::valuesFromBoxes(boxes, &error);
  if (!values) return refused(error);
  // A file removed since it was read is not made anew.
  snack::SaveOptions options;
  options.createMissing = false;
  const snack::Outcome saved = snack::saveSnack(path, *values, options);
  if (!saved.ok) {
    message(saved.message);
    return kFailed;
  }
  return kDone;
}

int Refresh_Run(Context& ctx, const Options& o) {
  const QString sub = QStringLiteral("refresh");
  QList<Target> targets;
  if (o.has("--all")) {
    if (o.operands.size() > 1)
      return usageError(QStringLiteral("フォルダは一つだけ指定してください。"), sub);
    const auto listed = listedFiles(ctx, o.operands);
    if (!listed) return kFailed;
    targets = *listed;
  } else {
    if (o.operands.isEmpty())
      return usageError(QStringLiteral("おやつファイルか --all を指定してください。"), sub);
    for (const CommandArgument& a : o.operands) targets.append({a.text, fileArgument(a), {}});
  }
  bool all = true;
  for (const Target& t : targets) {
    const snack::Outcome done = snack::refreshSnack(t.path);
    if (done.ok) {
      say(QStringLiteral("未開封に戻しました: %1\n").arg(t.shown));
    } else {
      message(done.message);
      all = false;
    }
  }
  return all ? kDone : kFailed;
}

int Make_Run(Context& ctx, const Options& o) {
  const QString sub = QStringLiteral("make");
  if (o.operands.size() != 1)
    return usageError(QStringLiteral("作るおやつファイルの名前を一つ指定してください。"), sub);
  const bool picture = o.values.contains(QStringLiteral("--picture"));
  if (!picture && o.has("--no-key-colour"))
    return usageError(QStringLiteral("--no-key-colour は --picture と一緒に使います。"), sub);
  const QString factory = ctx.inWorkdir(snack::kFactoryFolder);
  const QString name = o.operands.first().text;
  const snack::Outcome done =
      picture ? snack::makeSnackFromPicture(factory, o.values[QStringLiteral("--picture")].text,
                                            !o.has("--no-key-colour"), name)
              : snack::buildSnack(factory, name);
  if (done.ok) return kDone;
  message(done.message);
  return done.refused ? kRefused : kFailed;
}

// ---------------------------------------------------------------- the command line

struct Subcommand {
  QString name;
  QString synopsis;  // after "使い方: crumbwright-cli "; further forms on lines of their own
  QString help;
  QStringList flags;         // options without a value
  QStringList valueOptions;  // options followed by a value
  int (*run)(Context&, const Options&);
};

const QList<Subcommand>& subcommands() {
  static const QList<Subcommand> all = {
      {QStringLiteral("show"),
       QStringLiteral("show [--json] FILE..."),
       QStringLiteral("おやつファイルのヘッダーのすべての項目を表示します。\n"
                      "  --json  1 ファイルを 1 行の JSON で表示する（JSON Lines）\n"),
       {QStringLiteral("--json")},
       {},
       Show_Run},
      {QStringLiteral("ls"),
       QStringLiteral("ls [--json | --csv] [FOLDER]"),
       QStringLiteral(
           "フォルダ（省略すると cookenv.ini のおやつフォルダ）のおやつファイルを、\n"
           "ファイル選択の窓と同じ順に、1 行に 1 ファイル（ファイル、名前、作者をタブで\n"
           "区切って）表示します。\n"
           "  --json  各ファイルを show --json と同じ形で表示する\n"
           "  --csv   「おやつの一覧」の「CSVに書き出す…」と同じ CSV を書き出す\n"),
       {QStringLiteral("--json"), QStringLiteral("--csv")},
       {},
       Ls_Run},
      {QStringLiteral("set"),
       QStringLiteral("set FILE FIELD=VALUE..."),
       QStringLiteral(
           "おやつファイルの項目を書き換えて、エディターの「おやつファイルの書込」と同じように\n"
           "保存します。ほかの項目はファイルのままです。値が一つでも受け付けられなければ、\n"
           "何も書き込みません。\n"
           "  FIELD: %1\n"
           "  type と sound は番号（0〜255）か一覧の名前、数の項目は「無制限」も使えます。\n"),
       {},
       {},
       Set_Run},
      {QStringLiteral("refresh"),
       QStringLiteral("refresh FILE...\nrefresh --all [FOLDER]"),
       QStringLiteral("おやつを未開封に戻します（開封日時をすべて 0 にします）。\n"
                      "  --all  フォルダ（省略すると cookenv.ini のおやつフォルダ）のすべての\n"
                      "         おやつファイル\n"),
       {QStringLiteral("--all")},
       {},
       Refresh_Run},
      {QStringLiteral("make"),
       QStringLiteral("make NAME\nmake --picture FILE [--no-key-colour] NAME"),
       QStringLiteral(
           "作業フォルダの「おやつ工場」の head.dat、Image.bmp、mask.bmp をつないで、\n"
           "「おやつ工場」に NAME のおやつファイルを作ります（おやつの工場と同じ）。\n"
           "同じ名前のファイルは書き換えます。\n"
           "  --picture FILE   絵のファイルからおやつを作る（「絵からおやつを作る」と同じ）\n"
           "  --no-key-colour  左上の色を背景にしない\n"),
       {QStringLiteral("--no-key-colour")},
       {QStringLiteral("--picture")},
       Make_Run},
  };
  return all;
}

const Subcommand* findSubcommand(const QString& name) {
  for (const Subcommand& s : subcommands())
    if (s.name == name) return &s;
  return nullptr;
}

QString subcommandHelp(const Subcommand& s) {
  QStringList forms = s.synopsis.split(QLatin1Char('\n'));
  for (QString& form : forms) form.prepend(kProgram + ' ');
  const QString help = s.name == QLatin1String("set") ? s.help.arg(settableKeys()) : s.help;
  return QStringLiteral("使い方: %1\n\n%2").arg(forms.join(QStringLiteral("\n       ")), help);
}

QString programHelp() {
  QString text = QStringLiteral(
                     "使い方: %1 [--workdir DIR] SUBCOMMAND [ARGS...]\n\n"
                     "POSTPET のおやつファイルを表示し、一覧にし、書き換えます。\n\n"
                     "サブコマンド:\n")
                     .arg(kProgram);
  for (const Subcommand& s : subcommands())
    for (const QString& form : s.synopsis.split(QLatin1Char('\n')))
      text += QStringLiteral("  ") + form + '\n';
  text += QStringLiteral(
      "  help [SUBCOMMAND]\n\n"
      "オプション（サブコマンドの前に）:\n"
      "  --workdir DIR  Foodtype.ini、sound.ini、cookenv.ini と「おやつ工場」のあるフォルダ\n"
      "                 （省略すると現在のフォルダ）\n"
      "  -h, --help     この使い方を表示する\n"
      "  --version      版を表示する\n\n"
      "終了コード: 0 すべて済んだ、1 失敗したファイルがある（ほかのファイルは済んでいる）、\n"
      "            2 使い方の誤りか、受け付けられない値（何も書き込んでいない）\n");
  return text;
}

// Splits a subcommand's arguments into options and operands; "--" ends the
// options.
std::optional<Options> parseOptions(const Subcommand& sub, const QList<CommandArgument>& args) {
  Options o;
  bool ended = false;
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString& a = args[i].text;
    if (ended || !a.startsWith(QLatin1Char('-')) || a == QLatin1String("-")) {
      o.operands.append(args[i]);
    } else if (a == QLatin1String("--")) {
      ended = true;
    } else if (sub.flags.contains(a)) {
      o.flags.insert(a);
    } else if (sub.valueOptions.contains(a) && i + 1 < args.size()) {
      o.values.insert(a, args[++i]);
    } else {
      usageError(sub.valueOptions.contains(a)
                     ? QStringLiteral("%1 の後に値がありません。").arg(a)
                     : QStringLiteral("「%1」は %2 のオプションではありません。").arg(a, sub.name),
                 sub.name);
      return std::nullopt;
    }
  }
  return o;
}

}  // namespace

int run(const QList<CommandArgument>& args) {
  Context ctx;
  qsizetype i = 0;
  for (; i < args.size(); ++i) {
    const QString& a = args[i].text;
    if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
      say(programHelp());
      return kDone;
    }
    if (a == QLatin1String("--version")) {
      say(QStringLiteral("%1 %2\n").arg(kProgram, QStringLiteral(CRUMB_VERSION)));
      return kDone;
    }
    if (a != QLatin1String("--workdir")) break;
    if (i + 1 >= args.size())
      return usageError(QStringLiteral("--workdir の後にフォルダがありません。"));
    ctx.workdir = args[++i].text;
    if (!QFileInfo(ctx.workdir).isDir())
      return usageError(QStringLiteral("作業フォルダ「%1」がありません。").arg(ctx.workdir));
  }
  if (i >= args.size()) return usageError(QStringLiteral("サブコマンドを指定してください。"));
  const QString name = args[i].text;
  const QList<CommandArgument> rest = args.mid(i + 1);
  const Subcommand* sub = findSubcommand(name);
  if (name == QLatin1String("help")) {
    sub = rest.isEmpty() ? nullptr : findSubcommand(rest.first().text);
    if (!rest.isEmpty() && !sub)
      return usageError(
          QStringLiteral("「%1」というサブコマンドはありません。").arg(rest.first().text));
    say(sub ? subcommandHelp(*sub) : programHelp());
    return kDone;
  }
  if (!sub && name.startsWith(QLatin1Char('-')))
    return usageError(QStringLiteral("「%1」というオプションはありません。").arg(name));
  if (!sub) return usageError(QStringLiteral("「%1」というサブコマンドはありません。").arg(name));
  for (const CommandArgument& a : rest) {
    if (a.text == QLatin1String("--")) break;
    if (a.text == QLatin1String("--help") || a.text == QLatin1String("-h")) {
      say(subcommandHelp(*sub));
      return kDone;
    }
  }
  const auto options = parseOptions(*sub, rest);
  if (!options) return kRefused;
  const int status = sub->run(ctx, *options);
  if (!platform::flushOut()) {
    message(QStringLiteral("標準出力に書き込めません。"));
    return kFailed;
  }
  return status;
}

}  // namespace cli
