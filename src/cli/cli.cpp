// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QSet>
#include <functional>

#include "app/settings.h"
#include "cli/report.h"
#include "platform/bytefile.h"
#include "platform/folders.h"
#include "platform/paths.h"
#include "snack/fields.h"
#include "snack/operations.h"

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

// ---------------------------------------------------------------- settings

// The working folder of the settings files and the factory, and what was read
// from it.
struct Context {
  QString workdir;  // empty: the current folder
  NameTable foodTypes, sounds;
  bool namesRead = false;

  QString inWorkdir(const QString& name) const {
    return workdir.isEmpty() ? name : platform::joinPath(workdir, name);
  }

  // Foodtype.ini and sound.ini, read once; a missing file leaves its names
  // empty, with the editor's message.
  void readNames() {
    if (namesRead) return;
    namesRead = true;
    QString error;
    if (!ReadNameTable(inWorkdir(kFoodTypeFile), foodTypes, &error))
      message(error + QStringLiteral("\nおやつの種類はすべて「--------」になります。"));
    if (!ReadNameTable(inWorkdir(kSoundFile), sounds, &error))
      message(error + QStringLiteral("\n食事音はすべて「--------」になります。"));
  }

  // The snack folder of cookenv.ini as its text, relative texts taken from the
  // working folder; nullopt after a message.
  std::optional<QString> snackFolder() const {
    QString error;
    const auto folder = ReadSnackFolder(&error, workdir);
    if (!folder) {
      message(error);
      return std::nullopt;
    }
    if (*folder == kNoFolder) {
      message(QStringLiteral("設定ファイル「%1」におやつフォルダがまだ選ばれていません（%2）。"
                             "フォルダを指定するか、エディターでおやつフォルダを選んでください。")
                  .arg(inWorkdir(kCookenvFile), kNoFolder));
      return std::nullopt;
    }
    if (workdir.isEmpty() || QDir::isAbsolutePath(*folder)) return *folder;
    return platform::joinPath(workdir, *folder);
  }
};

// A file named on the command line: the bytes given when they name something,
// else the entry that shows as the text (a name in code page 932 given as
// the name the listings show).
NativePath fileArgument(const CommandArgument& arg) {
  if (platform::exists(arg.path)) return arg.path;
  return platform::resolveShownPath(arg.text);
}

// ---------------------------------------------------------------- options

struct Usage {
  QString text;
};

struct Options {
  QSet<QString> flags;
  QMap<QString, CommandArgument> values;
  QList<CommandArgument> operands;
};

struct Subcommand {
  QString name;
  QString synopsis;  // the lines after "使い方: crumbwright-cli"
  QString help;
  QStringList flags;         // options without a value
  QStringList valueOptions;  // options that take the next argument
  std::function<int(Context&, const Options&)> run;
};

// Splits a subcommand's arguments into options and operands. "--" ends the
// options; "-h" and "--help" are recognised by the caller first.
std::optional<Options> parseOptions(const Subcommand& sub, const QList<CommandArgument>& args,
                                    Usage* usage) {
  Options o;
  bool optionsEnded = false;
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString& a = args[i].text;
    if (optionsEnded || !a.startsWith(QLatin1Char('-')) || a == QLatin1String("-")) {
      o.operands.append(args[i]);
      continue;
    }
    if (a == QLatin1String("--")) {
      optionsEnded = true;
      continue;
    }
    if (sub.flags.contains(a)) {
      o.flags.insert(a);
      continue;
    }
    if (sub.valueOptions.contains(a)) {
      if (i + 1 >= args.size()) {
        usage->text = QStringLiteral("オプション %1 の後に値がありません。").arg(a);
        return std::nullopt;
      }
      o.values.insert(a, args[++i]);
      continue;
    }
    usage->text = QStringLiteral("「%1」は %2 のオプションではありません。").arg(a, sub.name);
    return std::nullopt;
  }
  return o;
}

// ---------------------------------------------------------------- show and ls

// One file's report in the chosen form; false after a message.
bool report(Context& ctx, const QString& shownPath, const NativePath& path, Format format) {
  SnackReport r;
  const snack::Outcome read = readReport(path, r);
  if (!read.ok) {
    message(read.message);
    return false;
  }
  say(format == Format::Json ? jsonLine(shownPath, r, ctx.foodTypes, ctx.sounds)
                             : textBlock(shownPath, r, ctx.foodTypes, ctx.sounds));
  return true;
}

int Show_Run(Context& ctx, const Options& o) {
  if (o.operands.isEmpty()) throw Usage{QStringLiteral("show にはおやつファイルを指定してください。")};
  ctx.readNames();
  const Format format = o.flags.contains(QStringLiteral("--json")) ? Format::Json : Format::Text;
  bool allDone = true;
  bool first = true;
  for (const CommandArgument& a : o.operands) {
    if (format == Format::Text && !first) say(QStringLiteral("\n"));
    first = false;
    allDone &= report(ctx, a.text, fileArgument(a), format);
  }
  return allDone ? kDone : kFailed;
}

// The snack files of the folder given (or of cookenv.ini's), each with the
// text scripts see: the folder as given joined with the shown name.
struct Listed {
  QString shown;
  NativePath path;
};
std::optional<QList<Listed>> listFolder(Context& ctx, const QList<CommandArgument>& operands) {
  if (operands.size() > 1) throw Usage{QStringLiteral("フォルダは一つだけ指定してください。")};
  QString folderText;
  NativePath folder;
  if (operands.isEmpty()) {
    const auto configured = ctx.snackFolder();
    if (!configured) return std::nullopt;
    folderText = *configured;
    folder = platform::resolveShownPath(folderText);
  } else {
    folderText = operands.first().text;
    folder = fileArgument(operands.first());
  }
  const auto files = platform::listFiles(folder);
  if (!files) {
    message(QStringLiteral("おやつフォルダ「%1」を開けません。").arg(folderText));
    return std::nullopt;
  }
  QList<Listed> listed;
  listed.reserve(files->size());
  for (const platform::FolderEntry& e : *files)
    listed.append({platform::joinPath(folderText, e.name), e.path});
  return listed;
}

int Ls_Run(Context& ctx, const Options& o) {
  const bool json = o.flags.contains(QStringLiteral("--json"));
  const bool csv = o.flags.contains(QStringLiteral("--csv"));
  if (json && csv) throw Usage{QStringLiteral("--json と --csv は一緒に使えません。")};
  const auto listed = listFolder(ctx, o.operands);
  if (!listed) return kFailed;
  ctx.readNames();
  bool allDone = true;
  if (csv) {
    QList<CsvRow> rows;
    for (const Listed& f : *listed) {
      SnackReport r;
      const snack::Outcome read = readReport(f.path, r);
      if (!read.ok) {
        message(read.message);
        allDone = false;
        continue;
      }
      rows.append({f.shown, r});
    }
    platform::writeOut(csvBytes(rows, ctx.foodTypes, ctx.sounds));
  } else {
    for (const Listed& f : *listed)
      allDone &= report(ctx, f.shown, f.path, json ? Format::Json : Format::Line);
  }
  return allDone ? kDone : kFailed;
}

// ---------------------------------------------------------------- set

// The field a key names, among those a set may change.
std::optional<snack::Field> settableField(const QString& key) {
  for (const snack::FieldLayout& f : snack::kFields)
    if (isSettable(f) && key == keyOf(f.field)) return f.field;
  return std::nullopt;
}

QString settableKeys() {
  QStringList keys;
  for (const snack::FieldLayout& f : snack::kFields)
    if (isSettable(f)) keys.append(keyOf(f.field));
  return keys.join(QStringLiteral(", "));
}

// The list position a value names: a whole number is an index, any other text
// the first item that shows it (an empty name shows as "--------"); -1 when
// no item does.
int listPosition(const QString& value, const NameTable& names, const QString& caption,
                 QString* error) {
  bool digits = !value.trimmed().isEmpty();
  for (const QChar c : value.trimmed())
    digits &= (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c.unicode() >= 0xFF10 &&
                                                                      c.unicode() <= 0xFF19);
  if (digits) {
    const auto index = snack::parseByte(value, caption, error);
    return index ? *index : -2;
  }
  for (int i = 0; i <= 255; ++i)
    if (listItemText(names[i]) == value) return i;
  return -1;
}

int Set_Run(Context& ctx, const Options& o) {
  if (o.operands.size() < 2)
    throw Usage{QStringLiteral("set にはおやつファイルと 項目=値 を指定してください。")};
  // Every change is checked as a usage before the file is read.
  QList<std::pair<snack::Field, QString>> changes;
  for (qsizetype i = 1; i < o.operands.size(); ++i) {
    const QString& a = o.operands[i].text;
    const qsizetype eq = a.indexOf(QLatin1Char('='));
    if (eq < 0)
      throw Usage{QStringLiteral("「%1」は 項目=値 の形ではありません。").arg(a)};
    const QString key = a.left(eq);
    const auto field = settableField(key);
    if (!field)
      throw Usage{QStringLiteral("「%1」という項目はありません。項目は %2 です。")
                      .arg(key, settableKeys())};
    for (const auto& c : changes)
      if (c.first == *field)
        throw Usage{QStringLiteral("項目 %1 が二度指定されています。").arg(key)};
    changes.append({*field, a.mid(eq + 1)});
  }
  ctx.readNames();
  const CommandArgument& fileArg = o.operands.first();
  const NativePath path = fileArgument(fileArg);
  // What a load of the file shows, then the named boxes changed, then the
  // editor's save.
  snack::SnackRecordType record;
  const snack::Outcome loaded = snack::loadSnack(path, record);
  if (!loaded.ok) {
    message(loaded.message);
    return kFailed;
  }
  snack::BoxEntries boxes = keptBoxes(record);
  for (const snack::FieldLayout& f : snack::kFields)
    boxes[static_cast<int>(f.field)].caption = fieldName(f.field);
  for (const auto& [field, value] : changes) {
    snack::BoxEntry& box = boxes[static_cast<int>(field)];
    const snack::FieldLayout& f = snack::layoutOf(field);
    if (f.kind == snack::Kind::Byte) {
      QString error;
      box.position = listPosition(value,
                                  field == snack::Field::Type ? ctx.foodTypes : ctx.sounds,
                                  box.caption, &error);
      if (box.position == -2) {
        message(QStringLiteral("おやつファイル「%1」：%2").arg(fileArg.text, error));
        return kRefused;
      }
    } else {
      box.text = value;
      box.keptBytes.reset();
    }
  }
  QString error;
  const auto values = snack::valuesFromBoxes(boxes, &error);
  if (!values) {
    message(QStringLiteral("おやつファイル「%1」：%2").arg(fileArg.text, error));
    return kRefused;
  }
  const snack::Outcome saved = snack::saveSnack(path, *values);
  if (!saved.ok) {
    message(saved.message);
    return kFailed;
  }
  return kDone;
}

// ---------------------------------------------------------------- refresh

int Refresh_Run(Context& ctx, const Options& o) {
  QList<Listed> files;
  if (o.flags.contains(QStringLiteral("--all"))) {
    const auto listed = listFolder(ctx, o.operands);
    if (!listed) return kFailed;
    files = *listed;
  } else {
    if (o.operands.isEmpty())
      throw Usage{
          QStringLiteral("refresh にはおやつファイルか --all を指定してください。")};
    for (const CommandArgument& a : o.operands) files.append({a.text, fileArgument(a)});
  }
  bool allDone = true;
  for (const Listed& f : files) {
    const snack::Outcome done = snack::refreshSnack(f.path);
    if (done.ok) {
      say(QStringLiteral("未開封に戻しました: %1\n").arg(f.shown));
    } else {
      message(done.message);
      allDone = false;
    }
  }
  return allDone ? kDone : kFailed;
}

// ---------------------------------------------------------------- make

int Make_Run(Context& ctx, const Options& o) {
  if (o.operands.size() != 1)
    throw Usage{QStringLiteral("make には作るおやつファイルの名前を一つ指定してください。")};
  const QString factory = ctx.inWorkdir(snack::kFactoryFolder);
  const QString name = o.operands.first().text;
  if (o.values.contains(QStringLiteral("--picture")))
    return makeFromPicture(factory, name, fileArgument(o.values[QStringLiteral("--picture")]),
                           !o.flags.contains(QStringLiteral("--no-key-colour")));
  if (o.flags.contains(QStringLiteral("--no-key-colour")))
    throw Usage{QStringLiteral("--no-key-colour は --picture と一緒に使います。")};
  const snack::Outcome done = snack::buildSnack(factory, name);
  if (!done.ok) {
    message(done.message);
    return done.refused ? kRefused : kFailed;
  }
  return kDone;
}

// ---------------------------------------------------------------- help

const QList<Subcommand>& subcommands() {
  static const QList<Subcommand> all = {
      {QStringLiteral("show"), QStringLiteral("show [--json] FILE..."),
       QStringLiteral(
           "おやつファイルのヘッダーのすべての項目を表示します。\n"
           "  --json  1 ファイル 1 行の JSON（JSON Lines）で表示する\n"),
       {QStringLiteral("--json")},
       {},
       Show_Run},
      {QStringLiteral("ls"), QStringLiteral("ls [--json | --csv] [FOLDER]"),
       QStringLiteral(
           "おやつフォルダ（省略すると cookenv.ini のおやつフォルダ）のおやつファイルを、\n"
           "ファイル選択の窓と同じ順に一覧にします。1 行に 1 ファイル：ファイル、名前、作者をタブで区切ります。\n"
           "  --json  各ファイルを show --json と同じ形で表示する\n"
           "  --csv   「おやつの一覧」の「CSVに書き出す…」と同じバイトを書き出す\n"),
       {QStringLiteral("--json"), QStringLiteral("--csv")},
       {},
       Ls_Run},
      {QStringLiteral("set"), QStringLiteral("set FILE FIELD=VALUE..."),
       QStringLiteral(
           "おやつファイルの項目を書き換えて、エディターの「おやつファイルの書込」と同じように\n"
           "保存します。指定しない項目はファイルのままです。値が一つでも受け付けられなければ、\n"
           "何も書き込みません。\n"
           "項目: %1\n"
           "  type と sound は番号か一覧の名前で指定します。数量・熱量・賞味期限・番号には\n"
           "  「無制限」も使えます。\n"),
       {},
       {},
       Set_Run},
      {QStringLiteral("refresh"),
       QStringLiteral("refresh FILE...\n       crumbwright-cli refresh --all [FOLDER]"),
       QStringLiteral(
           "おやつを未開封に戻します（開封日時を 0 にします）。\n"
           "  --all  フォルダ（省略すると cookenv.ini のおやつフォルダ）のすべてのおやつファイル\n"),
       {QStringLiteral("--all")},
       {},
       Refresh_Run},
      {QStringLiteral("make"),
       QStringLiteral("make NAME\n       crumbwright-cli make --picture FILE [--no-key-colour] NAME"),
       QStringLiteral(
           "おやつ工場（作業フォルダの「おやつ工場」）の head.dat、Image.bmp、mask.bmp をつないで、\n"
           "「おやつ工場」に NAME のおやつファイルを作ります。同じ名前のファイルは書き換えます。\n"
           "  --picture FILE    絵のファイルからおやつを作る（「絵からおやつを作る」と同じ）\n"
           "  --no-key-colour   左上の色を背景にしない\n"),
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
  QString help = s.help;
  if (s.name == QLatin1String("set")) help = help.arg(settableKeys());
  return QStringLiteral("使い方: %1 %2\n\n%3").arg(kProgram, s.synopsis, help);
}

QString programHelp() {
  QString text = QStringLiteral("使い方: %1 [--workdir DIR] SUBCOMMAND [ARGS...]\n\n"
                                "POSTPET のおやつファイルを読み書きします。\n\n"
                                "サブコマンド:\n")
                     .arg(kProgram);
  for (const Subcommand& s : subcommands()) {
    for (const QString& line : s.synopsis.split(QLatin1Char('\n')))
      text += QStringLiteral("  ") + line.trimmed().remove(kProgram + ' ') + '\n';
  }
  text += QStringLiteral(
      "  help [SUBCOMMAND]\n\n"
      "全体のオプション（サブコマンドの前に）:\n"
      "  --workdir DIR  Foodtype.ini、sound.ini、cookenv.ini と「おやつ工場」のあるフォルダ\n"
      "                 （省略すると現在のフォルダ）\n"
      "  -h, --help     この使い方を表示する\n"
      "  --version      版を表示する\n\n"
      "終了コード: 0 すべて済んだ、1 失敗したファイルがある（ほかのファイルは済んでいる）、\n"
      "            2 使い方の誤りか受け付けられない値（何も書き込んでいない）\n");
  return text;
}

int usageError(const QString& text, const QString& sub = {}) {
  message(text);
  message(sub.isEmpty()
              ? QStringLiteral("使い方は「%1 --help」で表示します。").arg(kProgram)
              : QStringLiteral("使い方は「%1 help %2」で表示します。").arg(kProgram, sub));
  return kRefused;
}

}  // namespace

int run(const QList<CommandArgument>& args) {
  Context ctx;
  qsizetype i = 0;
  // Global options, before the subcommand.
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
    if (a == QLatin1String("--workdir")) {
      if (i + 1 >= args.size()) return usageError(QStringLiteral("--workdir の後にフォルダがありません。"));
      ctx.workdir = args[++i].text;
      if (!QFileInfo(ctx.workdir).isDir())
        return usageError(QStringLiteral("作業フォルダ「%1」がありません。").arg(ctx.workdir));
      continue;
    }
    if (a.startsWith(QLatin1Char('-')))
      return usageError(QStringLiteral("「%1」というオプションはありません。").arg(a));
    break;
  }
  if (i >= args.size()) return usageError(QStringLiteral("サブコマンドを指定してください。"));
  const QString name = args[i].text;
  const QList<CommandArgument> rest = args.mid(i + 1);
  if (name == QLatin1String("help")) {
    if (rest.isEmpty()) {
      say(programHelp());
      return kDone;
    }
    const Subcommand* s = findSubcommand(rest.first().text);
    if (!s)
      return usageError(QStringLiteral("「%1」というサブコマンドはありません。").arg(rest.first().text));
    say(subcommandHelp(*s));
    return kDone;
  }
  const Subcommand* s = findSubcommand(name);
  if (!s) return usageError(QStringLiteral("「%1」というサブコマンドはありません。").arg(name));
  for (const CommandArgument& a : rest) {
    if (a.text == QLatin1String("--")) break;
    if (a.text == QLatin1String("--help") || a.text == QLatin1String("-h")) {
      say(subcommandHelp(*s));
      return kDone;
    }
  }
  Usage usage;
  const auto options = parseOptions(*s, rest, &usage);
  if (!options) return usageError(usage.text, s->name);
  int status;
  try {
    status = s->run(ctx, *options);
  } catch (const Usage& u) {
    return usageError(u.text, s->name);
  }
  if (!platform::flushOut()) {
    message(QStringLiteral("標準出力に書き込めません。"));
    return kFailed;
  }
  return status;
}

}  // namespace cli
