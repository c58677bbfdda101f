// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli.h"

#include <QFileInfo>

#include "cli/commands.h"
#include "cli/context.h"

#ifndef CRUMB_VERSION
#define CRUMB_VERSION "0"
#endif

namespace cli {

namespace {

using platform::CommandArgument;

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
                      "  --json  1 ファイルを 1 行の JSON で表示する（JSON Lines）\n"
                      "FILE が - なら、ファイルの名前を標準入力から 1 行に 1 つずつ読みます。\n"),
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
       QStringLiteral("set FILE... FIELD=VALUE...\nset --all [FOLDER] FIELD=VALUE..."),
       QStringLiteral(
           "おやつファイルの項目を書き換えて、エディターの「おやつファイルの書込」と同じように\n"
           "保存します。ほかの項目はファイルのままです。最初の FIELD=VALUE より前の引数は\n"
           "すべてファイルです。値が一つでも受け付けられなければ、どのファイルにも何も\n"
           "書き込みません。\n"
           "  --all  フォルダ（省略すると cookenv.ini のおやつフォルダ）のすべての\n"
           "         おやつファイル\n"
           "  FIELD: %1\n"
           "  type と sound は番号（0〜255）か一覧の名前、数の項目は「無制限」も使えます。\n"),
       {QStringLiteral("--all")},
       {},
       Set_Run},
      {QStringLiteral("apply"),
       QStringLiteral("apply [--dry-run] [--json] FILE.csv [FOLDER]"),
       QStringLiteral(
           "ls --csv（「CSVに書き出す…」）の形の CSV を読み、違う項目をフォルダ（省略すると\n"
           "cookenv.ini のおやつフォルダ）のおやつファイルに書き込みます。列は見出しの行の\n"
           "名前で選び、file とある列だけを使います。type と sound は名前、type_index と\n"
           "sound_index は番号で、両方あって食い違う行は受け付けません。opened と picture\n"
           "は比べるだけで書き込みません（読み込まない列）。受け付けられない行が一つでも\n"
           "あれば、何も書き込みません。\n"
           "  --dry-run  変更を一覧にするだけで、何も書き込まない\n"
           "  --json     変更を 1 行に 1 つの JSON で表示する（JSON Lines）\n"),
       {QStringLiteral("--dry-run"), QStringLiteral("--json")},
       {},
       Apply_Run},
      {QStringLiteral("refresh"),
       QStringLiteral("refresh FILE...\nrefresh --all [FOLDER]"),
       QStringLiteral("おやつを未開封に戻します（開封日時をすべて 0 にします）。\n"
                      "  --all  フォルダ（省略すると cookenv.ini のおやつフォルダ）のすべての\n"
                      "         おやつファイル\n"
                      "FILE が - なら、ファイルの名前を標準入力から 1 行に 1 つずつ読みます。\n"),
       {QStringLiteral("--all")},
       {},
       Refresh_Run},
      {QStringLiteral("make"),
       QStringLiteral(
           "make [--no-history] NAME\nmake --picture FILE [--no-key-colour] [--no-history] NAME"),
       QStringLiteral(
           "作業フォルダの「おやつ工場」の head.dat、Image.bmp、mask.bmp をつないで、\n"
           "「おやつ工場」に NAME のおやつファイルを作ります（おやつの工場と同じ）。\n"
           "同じ名前のファイルは書き換えます。\n"
           "  --picture FILE   絵のファイルからおやつを作る（「絵からおやつを作る」と同じ）\n"
           "  --no-key-colour  左上の色を背景にしない\n"
           "  --no-history     変更の履歴に残さない（16 MiB を超えるファイルを置き換えるとき）\n"),
       {QStringLiteral("--no-key-colour"), QStringLiteral("--no-history")},
       {QStringLiteral("--picture")},
       Make_Run},
      {QStringLiteral("thumbnail"),
       QStringLiteral("thumbnail [-s SIZE] FILE OUTPUT"),
       QStringLiteral(
           "おやつの絵をファイル選択の窓と同じように（マスクの背景は透明に）SIZE × SIZE\n"
           "ピクセルに収めて描き、PNG ファイル OUTPUT に書きます（全部書くか、何も書かないか）。\n"
           "収まる絵は整数倍に拡大します。絵のないファイルでは何も書かずに 1 で終わります。\n"
           "ファイルマネージャーのサムネイルはこれで描きます。\n"
           "  -s SIZE  大きさ（1〜4096、省略すると 128）\n"),
       {},
       {QStringLiteral("-s")},
       Thumbnail_Run},
      {QStringLiteral("history"),
       QStringLiteral("history [--json] [FILE...]"),
       QStringLiteral(
           "変更の履歴（作業フォルダの「履歴」）を新しい順に、1 行に 1 回の変更（番号、日時、\n"
           "操作）と、その下に書き込んだファイルと変わった項目を表示します。\n"
           "  FILE    そのファイルを書き込んだ変更だけ\n"
           "  --json  1 回の変更を 1 行の JSON で表示する（JSON Lines）\n"),
       {QStringLiteral("--json")},
       {},
       History_Run},
      {QStringLiteral("undo"),
       QStringLiteral("undo ID..."),
       QStringLiteral(
           "変更の履歴の番号 ID の変更を元に戻します。ファイルがその変更のあとで変わって\n"
           "いれば、そのファイルはそのままにします。元に戻すことも履歴に残ります。\n"
           "終了コード: 0 すべて戻した、1 戻せないファイルがある、2 ない番号\n"),
       {},
       {},
       Undo_Run},
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
                     "POSTPET のおやつファイルを表示し、一覧にし、書き換え、絵を描きます。\n\n"
                     "サブコマンド:\n")
                     .arg(kProgram);
  for (const Subcommand& s : subcommands())
    for (const QString& form : s.synopsis.split(QLatin1Char('\n')))
      text += QStringLiteral("  ") + form + '\n';
  text += QStringLiteral(
      "  help [SUBCOMMAND]\n\n"
      "オプション（サブコマンドの前に）:\n"
      "  --workdir DIR, --workdir=DIR\n"
      "                 Foodtype.ini、sound.ini、cookenv.ini と「おやつ工場」のあるフォルダ\n"
      "                 （省略すると現在のフォルダ）\n"
      "  -h, --help     この使い方を表示する\n"
      "  -V, --version  版を表示する\n\n"
      "終了コード: 0 すべて済んだ、1 失敗したファイルがある（ほかのファイルは済んでいる）、\n"
      "            2 使い方の誤りか、受け付けられない値（何も書き込んでいない）\n");
  return text;
}

// Splits a subcommand's arguments into options and operands; "--" ends the
// options. A long option's value may follow it after "=" (--picture=FILE).
// The value of "--option=VALUE", `eq` being the index of "=" in the text: as
// text and, on POSIX, as the bytes after the first "=" of the argument.
CommandArgument valueAfterEquals(const CommandArgument& arg, qsizetype eq) {
  const QString text = arg.text.mid(eq + 1);
#ifdef Q_OS_WIN
  return {text, platform::NativePath(text)};
#else
  const QByteArray& bytes = arg.path.bytes();
  return {text, platform::NativePath::fromBytes(bytes.mid(bytes.indexOf('=') + 1))};
#endif
}

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
    } else if (const qsizetype eq = a.indexOf(QLatin1Char('='));
               a.startsWith(QLatin1String("--")) && eq > 0 &&
               sub.valueOptions.contains(a.left(eq))) {
      o.values.insert(a.left(eq), valueAfterEquals(args[i], eq));
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
    if (a == QLatin1String("--version") || a == QLatin1String("-V")) {
      say(QStringLiteral("%1 %2\n").arg(kProgram, QStringLiteral(CRUMB_VERSION)));
      return kDone;
    }
    if (a.startsWith(QLatin1String("--workdir="))) {
      ctx.workdir = valueAfterEquals(args[i], a.indexOf(QLatin1Char('='))).text;
    } else if (a == QLatin1String("--workdir")) {
      if (i + 1 >= args.size())
        return usageError(QStringLiteral("--workdir の後にフォルダがありません。"));
      ctx.workdir = args[++i].text;
    } else {
      break;
    }
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
