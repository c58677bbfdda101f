// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/commands.h"

#include <algorithm>

#include "cli/cli.h"
#include "cli/report.h"
#include "platform/bytefile.h"
#include "snack/collection.h"
#include "snack/fields.h"
#include "snack/history.h"
#include "snack/operations.h"
#include "snack/picturemaker.h"

namespace cli {

using platform::CommandArgument;
using platform::NativePath;

namespace {

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
      platform::writeOut(jsonLine(t.shown, row, ctx.names));
    else if (form == Form::Line)
      say(textLine(t.shown, row));
    else  // blocks of lines, an empty line between two
      say((first ? QString() : QStringLiteral("\n")) + textBlock(t.shown, row, ctx.names));
    first = false;
  }
  return all;
}

// A set may change the fields a box of the editor edits, but for the opened
// date and time, which only a refresh clears.
bool isSettable(const snack::FieldLayout& f) {
  return f.opened == snack::Opened::No && f.kind != snack::Kind::Zero;
}

}  // namespace

QString settableKeys() {
  QStringList keys;
  for (const snack::FieldLayout& f : snack::kFields)
    if (isSettable(f)) keys.append(QLatin1String(f.key));
  return keys.join(QStringLiteral(", "));
}

namespace {

// A field as the messages of the command line name it: caption and key.
QString fieldName(snack::Field field) {
  return QStringLiteral("%1（%2）")
      .arg(snack::fieldCaption(field), QLatin1String(snack::layoutOf(field).key));
}

// The list position a value names: a whole number is the index, any other
// text the first item showing it, as an item typed into the editor's list is
// found (an empty name shows as "--------"). -1 when no item shows it;
// nullopt, with `error`, for an index outside 0 to 255.
std::optional<int> listPosition(const QString& value, const snack::NameList& names,
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

// The KEY=VALUE arguments of set: each field once, in the order given;
// nullopt, with `error`, for an argument of another form or an unknown key.
std::optional<QList<std::pair<snack::Field, QString>>> parseAssignments(
    const QList<CommandArgument>& args, QString* error) {
  QList<std::pair<snack::Field, QString>> changes;
  for (const CommandArgument& arg : args) {
    const QString& a = arg.text;
    const qsizetype eq = a.indexOf(QLatin1Char('='));
    if (eq < 0) {
      *error = QStringLiteral("「%1」は 項目=値 の形ではありません。").arg(a);
      return std::nullopt;
    }
    const QString key = a.left(eq);
    const snack::FieldLayout* f = snack::fieldByKey(key);
    if (!f || !isSettable(*f)) {
      *error =
          QStringLiteral("「%1」という項目はありません。項目は %2 です。").arg(key, settableKeys());
      return std::nullopt;
    }
    for (const auto& c : changes) {
      if (c.first == f->field) {
        *error = QStringLiteral("項目 %1 が二度指定されています。").arg(key);
        return std::nullopt;
      }
    }
    changes.append({f->field, a.mid(eq + 1)});
  }
  return changes;
}

}  // namespace

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
  platform::writeOut(snack::collectionCsv(rows, folder, ctx.names));
  return all ? kDone : kFailed;
}

int Set_Run(Context& ctx, const Options& o) {
  const QString sub = QStringLiteral("set");
  if (o.operands.size() < 2)
    return usageError(QStringLiteral("おやつファイルと、一つ以上の 項目=値 を指定してください。"),
                      sub);
  QString error;
  const auto changes = parseAssignments(o.operands.mid(1), &error);
  if (!changes) return usageError(error, sub);
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
  for (const auto& [field, value] : *changes) {
    snack::BoxEntry& box = boxes[static_cast<int>(field)];
    if (snack::layoutOf(field).kind != snack::Kind::Byte) {
      box.text = value;
      box.keptBytes.reset();
      continue;
    }
    const auto position = listPosition(value, ctx.names.of(field), box.caption, &error);
    if (!position) return refused(error);
    box.position = *position;
  }
  const auto values = snack::valuesFromBoxes(boxes, &error);
  if (!values) return refused(error);
  // A file removed since it was read is not made anew.
  snack::HistoryAction history(historyFolder(ctx), QStringLiteral("コマンド: set"));
  snack::SaveOptions options;
  options.createMissing = false;
  options.history = &history;
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
  snack::HistoryAction history(historyFolder(ctx), QStringLiteral("コマンド: refresh"));
  for (const Target& t : targets) {
    const snack::Outcome done = snack::refreshSnack(t.path, &history);
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
  std::optional<snack::HistoryAction> history;
  if (!o.has("--no-history")) history.emplace(historyFolder(ctx), QStringLiteral("コマンド: make"));
  snack::HistoryAction* kept = history ? &*history : nullptr;
  const snack::Outcome done =
      picture ? snack::makeSnackFromPicture(factory, o.values[QStringLiteral("--picture")].text,
                                            !o.has("--no-key-colour"), name, {}, kept)
              : snack::buildSnack(factory, name, {}, 1 << 20, kept);
  if (done.ok) return kDone;
  message(done.message);
  return done.refused ? kRefused : kFailed;
}

}  // namespace cli
