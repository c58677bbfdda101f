// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/commands.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

#include "cli/cli.h"
#include "cli/report.h"
#include "platform/bytefile.h"
#include "snack/collection.h"
#include "snack/csvread.h"
#include "snack/drawing.h"
#include "snack/fields.h"
#include "snack/history.h"
#include "snack/many.h"
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
        snack::readSnackRow(t.entry(), snack::RowParts::WithPicture, t.listed);
    if (!row.readable) {
      message(row.reason);
      all = false;
      continue;
    }
    if (form == Form::Json)
      platform::writeOut(jsonLine(t.shown, t.inexactBytes(), row, ctx.names));
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
  const auto files = withStandardInput(o.operands);
  if (!files) return kFailed;
  QList<Target> targets;
  const int named = namedFiles(*files, targets);
  if (named == kRefused) return kRefused;
  const bool all = printRows(ctx, targets, o.has("--json") ? Form::Json : Form::Text);
  return all && named == kDone ? kDone : kFailed;
}

int Ls_Run(Context& ctx, const Options& o) {
  if (o.has("--json") && o.has("--csv"))
    return usageError(QStringLiteral("--json と --csv は一緒に使えません。"), QStringLiteral("ls"));
  if (o.operands.size() > 1)
    return usageError(QStringLiteral("フォルダは一つだけ指定してください。"), QStringLiteral("ls"));
  QString folder;
  int status = kFailed;
  const auto targets = listedFiles(ctx, o.operands, &folder, &status);
  if (!targets) return status;
  if (!o.has("--csv"))
    return printRows(ctx, *targets, o.has("--json") ? Form::Json : Form::Line) ? kDone : kFailed;
  // The bytes "CSVに書き出す…" writes for every row, in the listing's order.
  ctx.readNames();
  QList<snack::SnackRow> rows;
  bool all = true;
  for (const Target& t : *targets) {
    rows.append(snack::readSnackRow(t.entry(), snack::RowParts::WithPicture, true));
    if (!rows.last().readable) {
      message(rows.last().reason);
      all = false;
    }
  }
  platform::writeOut(snack::collectionCsv(rows, folder, ctx.names));
  return all ? kDone : kFailed;
}

namespace {

// Whether an argument is a KEY=VALUE: a key of lower case letters and
// underscores before the first '='. Every argument before the first is a file.
bool isAssignment(const QString& a) {
  const qsizetype eq = a.indexOf(QLatin1Char('='));
  return eq > 0 && std::all_of(a.begin(), a.begin() + eq, [](QChar c) {
           return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || c == QLatin1Char('_');
         });
}

// Writes the planned saves; each failure named on standard error.
// One action: one entry of the history holds every file written.
int writePlan(const snack::ManyPlan& plan, snack::HistoryAction& history, int* written = nullptr) {
  bool all = plan.notWritten.isEmpty();
  if (written) *written = 0;
  for (const QString& m : plan.notWritten) message(m);
  snack::SaveOptions options;
  options.history = &history;
  for (const snack::FileOutcome& done : snack::saveMany(plan.edits, options)) {
    if (done.outcome.ok) {
      if (written) ++*written;
      continue;
    }
    message(done.outcome.message);
    all = false;
  }
  return all ? kDone : kFailed;
}

}  // namespace

int Set_Run(Context& ctx, const Options& o) {
  const QString sub = QStringLiteral("set");
  const auto first = std::find_if(o.operands.begin(), o.operands.end(),
                                  [](const CommandArgument& a) { return isAssignment(a.text); });
  const QList<CommandArgument> files(o.operands.begin(), first);
  const QList<CommandArgument> assignments(first, o.operands.end());
  const bool all = o.has("--all");
  if (assignments.isEmpty() || (files.isEmpty() && !all))
    return usageError(
        QStringLiteral("おやつファイルか --all と、一つ以上の 項目=値 を指定してください。"), sub);
  if (all && files.size() > 1)
    return usageError(QStringLiteral("フォルダは一つだけ指定してください。"), sub);
  QString error;
  const auto changes = parseAssignments(assignments, &error);
  if (!changes) return usageError(error, sub);
  ctx.readNames();
  // The same boxes changed in every file; a list's entry is found once.
  QList<snack::BoxChange> boxes;
  for (const auto& [field, value] : *changes) {
    snack::BoxChange c{field, fieldName(field), value};
    if (snack::layoutOf(field).kind == snack::Kind::Byte) {
      const auto position = listPosition(value, ctx.names.of(field), c.caption, &error);
      if (!position) {
        message(error + QStringLiteral("\n何も書き込みませんでした。"));
        return kRefused;
      }
      c.position = *position;
    }
    boxes.append(c);
  }
  // Named files are written as named; a listing's files only when they are snacks.
  QList<snack::SnackRow> rows;
  int namedStatus = kDone;  // kFailed when a named file was not found
  if (all) {
    const auto listed = listedFiles(ctx, files);
    if (!listed) return kFailed;
    for (const Target& t : *listed)
      rows.append(snack::readSnackRow({t.name, t.path}, snack::RowParts::WithPicture, true));
  } else {
    const auto named = withStandardInput(files);
    if (!named) return kFailed;
    QList<Target> targets;
    namedStatus = namedFiles(*named, targets);
    if (namedStatus == kRefused) return kRefused;
    for (const Target& t : targets) {
      snack::SnackRow row;
      row.file = t.shown;
      row.path = t.path;
      rows.append(row);
    }
  }
  const snack::ManyPlan plan = snack::planSaves(rows, boxes);
  if (!plan.refused.isEmpty()) {
    const QString where = rows.size() == 1
                              ? QStringLiteral("おやつファイル「%1」：").arg(rows.first().file)
                              : QString();
    message(where + plan.refused + QStringLiteral("\n何も書き込みませんでした。"));
    return kRefused;
  }
  snack::HistoryAction history(historyFolder(ctx), QStringLiteral("コマンド: set"));
  const int written = writePlan(plan, history);
  return written == kDone ? namedStatus : written;
}

namespace {

// A value on one line: backslashes, tabs and line breaks as escapes.
QString oneLine(QString text) {
  text.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
  text.replace(QLatin1Char('\t'), QStringLiteral("\\t"));
  text.replace(QLatin1Char('\r'), QStringLiteral("\\r"));
  text.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
  return text;
}

QByteArray changeJson(const snack::CsvChange& c) {
  QJsonObject o;
  o.insert(QStringLiteral("file"), c.file);
  o.insert(QStringLiteral("key"), c.key);
  o.insert(QStringLiteral("item"), c.item);
  o.insert(QStringLiteral("old"), c.before);
  o.insert(QStringLiteral("new"), c.after);
  o.insert(QStringLiteral("ignored"), c.ignored);
  return QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n';
}

// The problems of a plan, each on standard error: "「FILE」（N 行目）：why".
void tellProblems(const QString& csv, const snack::CsvPlan& plan) {
  for (const QString& column : plan.unusedColumns)
    message(QStringLiteral("CSV「%1」の列「%2」は使いません。").arg(csv, column));
  for (const auto* list : {&plan.notInFolder, &plan.refused, &plan.notWritten})
    for (const snack::CsvProblem& p : *list)
      message(QStringLiteral("「%1」（%2 行目）：%3").arg(p.file).arg(p.line).arg(p.why));
}

}  // namespace

int Apply_Run(Context& ctx, const Options& o) {
  const QString sub = QStringLiteral("apply");
  if (o.operands.isEmpty() || o.operands.size() > 2)
    return usageError(
        QStringLiteral("CSVファイルを一つ（と、フォルダを一つまで）指定してください。"), sub);
  const CommandArgument& csvArg = o.operands.first();
  QByteArray csv;
  if (csvArg.text == QLatin1String("-")) {
    const auto in = platform::standardInput();
    if (!in) {
      message(QStringLiteral("標準入力から CSV を読めません。"));
      return kFailed;
    }
    csv = *in;
  } else {
    int status = kFailed;
    const auto named = fileArgument(csvArg, &status);
    if (!named) return status;
    platform::ByteFile file(named->path);
    if (!file.open(platform::ByteFile::Mode::Read) || !file.readAt(0, file.size(), csv)) {
      message(QStringLiteral("CSV「%1」を読み込めません：%2").arg(csvArg.text, file.errorString()));
      return kFailed;
    }
  }
  ctx.readNames();
  QString folder;
  const auto targets = listedFiles(ctx, o.operands.mid(1), &folder);
  if (!targets) return kFailed;
  QList<snack::SnackRow> rows;
  rows.reserve(targets->size());
  for (const Target& t : *targets)
    rows.append(snack::readSnackRow({t.name, t.path}, snack::RowParts::WithPicture, true));
  const snack::CsvPlan plan = snack::planCsv(csv, rows, folder, ctx.names);
  if (!plan.error.isEmpty()) {
    message(QStringLiteral("CSV「%1」を読み込めません：%2\n何も書き込みませんでした。")
                .arg(csvArg.text, plan.error));
    return kRefused;
  }
  const bool json = o.has("--json");
  if (!json && !plan.changes.isEmpty()) say(QStringLiteral("ファイル\t項目\tいまの値\t新しい値\n"));
  for (const snack::CsvChange& c : plan.changes) {
    if (json)
      platform::writeOut(changeJson(c));
    else
      say(QStringLiteral("%1\t%2\t%3\t%4\n")
              .arg(oneLine(c.file), c.item, oneLine(c.before), oneLine(c.after)));
  }
  tellProblems(csvArg.text, plan);
  if (plan.isRefused()) {
    message(QStringLiteral("受け付けられない行があるため、何も書き込みませんでした。"));
    return kRefused;
  }
  const bool problems = !plan.notInFolder.isEmpty() || !plan.notWritten.isEmpty();
  const int count = plan.written();
  if (count == 0 || o.has("--dry-run")) {
    if (!json)
      say(count == 0 ? QStringLiteral("変更はありません。何も書き込みませんでした。\n")
                     : QStringLiteral("%1 個のファイルの %2 項目を変更します（--dry-run: "
                                      "何も書き込みませんでした）。\n")
                           .arg(plan.files.size())
                           .arg(count));
    return problems ? kFailed : kDone;
  }
  const snack::ManyPlan saves = snack::planSaves(plan.files, false);
  if (!saves.refused.isEmpty()) {
    message(saves.refused + QStringLiteral("\n何も書き込みませんでした。"));
    return kRefused;
  }
  int written = 0;
  snack::HistoryAction history(historyFolder(ctx), QStringLiteral("コマンド: apply"));
  const int status = writePlan(saves, history, &written);
  if (!json) say(QStringLiteral("%1 個のファイルを変更しました。\n").arg(written));
  return problems ? kFailed : status;
}

int Refresh_Run(Context& ctx, const Options& o) {
  const QString sub = QStringLiteral("refresh");
  QList<Target> targets;
  int named = kDone;
  if (o.has("--all")) {
    if (o.operands.size() > 1)
      return usageError(QStringLiteral("フォルダは一つだけ指定してください。"), sub);
    int status = kFailed;
    const auto listed = listedFiles(ctx, o.operands, nullptr, &status);
    if (!listed) return status;
    targets = *listed;
  } else {
    if (o.operands.isEmpty())
      return usageError(QStringLiteral("おやつファイルか --all を指定してください。"), sub);
    const auto files = withStandardInput(o.operands);
    if (!files) return kFailed;
    named = namedFiles(*files, targets);
    if (named == kRefused) return kRefused;
  }
  const bool many = o.has("--all");
  bool all = named == kDone;
  snack::HistoryAction history(historyFolder(ctx), QStringLiteral("コマンド: refresh"));
  for (const Target& t : targets) {
    // Over a whole folder, only the snacks of the folder itself are written.
    if (many) {
      const snack::SnackRow row =
          snack::readSnackRow({t.name, t.path}, snack::RowParts::WithPicture, t.listed);
      if (!row.leftOut.isEmpty()) {
        message(QStringLiteral("「%1」は未開封に戻しませんでした：%2").arg(t.shown, row.leftOut));
        all = false;
        continue;
      }
    }
    const snack::Outcome done =
        snack::refreshSnack(t.path, many ? snack::Reach::OneOfMany : snack::Reach::Named, &history);
    if (done.ok) {
      say(QStringLiteral("未開封に戻しました: %1\n").arg(t.shown));
    } else {
      message(done.message);
      all = false;
    }
  }
  return all ? kDone : kFailed;
}

}  // namespace cli
