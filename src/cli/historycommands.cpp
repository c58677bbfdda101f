// SPDX-License-Identifier: GPL-3.0-or-later
// history and undo: the entries of the history of changes, and their undoing.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "cli/cli.h"
#include "cli/commands.h"
#include "snack/history.h"

namespace cli {

namespace {

QString isoTime(const QDateTime& t) { return t.toUTC().toString(Qt::ISODate); }

const char* kindKey(snack::HistoryFile::Kind kind) {
  switch (kind) {
    case snack::HistoryFile::Kind::InPlace:
      return "changed";
    case snack::HistoryFile::Kind::Replaced:
    case snack::HistoryFile::Kind::Unkept:
      return "replaced";
    case snack::HistoryFile::Kind::Created:
      return "created";
    case snack::HistoryFile::Kind::Removed:
      return "removed";
  }
  return "";
}

QByteArray jsonEntry(const snack::HistoryEntry& e) {
  QJsonArray files;
  for (const snack::HistoryFile& f : e.files) {
    QJsonObject changes;
    for (const snack::FieldChange& c : snack::fieldChanges(f))
      changes.insert(
          c.key, QJsonObject{{QStringLiteral("old"), c.before}, {QStringLiteral("new"), c.after}});
    files.append(QJsonObject{{QStringLiteral("file"), f.shown},
                             {QStringLiteral("kind"), QLatin1String(kindKey(f.kind))},
                             {QStringLiteral("fields"), changes}});
  }
  const QJsonObject line{{QStringLiteral("id"), e.id},
                         {QStringLiteral("time"), isoTime(e.time)},
                         {QStringLiteral("operation"), e.operation},
                         {QStringLiteral("files"), files}};
  return QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n';
}

QString textEntry(const snack::HistoryEntry& e) {
  QString out = QStringLiteral("%1\t%2\t%3\n").arg(e.id).arg(isoTime(e.time), e.operation);
  for (const snack::HistoryFile& f : e.files)
    out += QStringLiteral("  %1\t%2\n").arg(f.shown, snack::changeSummary(f));
  return out;
}

}  // namespace

int History_Run(Context& ctx, const Options& o) {
  const snack::HistoryListing listing = snack::readHistory(historyFolder(ctx));
  for (const QString& s : listing.skipped) message(s);
  // Only the entries that wrote one of the files named.
  QList<QByteArray> wanted;
  for (const platform::CommandArgument& a : o.operands) {
    int status = kFailed;
    const auto named = fileArgument(a, &status);
    if (!named) return status;
    wanted.append(named->path.absolute().bytes());
  }
  const bool json = o.has("--json");
  for (const snack::HistoryEntry& e : listing.entries) {
    if (!wanted.isEmpty() && std::none_of(e.files.begin(), e.files.end(),
                                          [&](const auto& f) { return wanted.contains(f.path); }))
      continue;
    if (json)
      platform::writeOut(jsonEntry(e));
    else
      say(textEntry(e));
  }
  return kDone;
}

int Undo_Run(Context& ctx, const Options& o) {
  const QString sub = QStringLiteral("undo");
  if (o.operands.isEmpty())
    return usageError(QStringLiteral("元に戻す変更の番号を指定してください。"), sub);
  const QString folder = historyFolder(ctx);
  // Every id is looked up before anything is undone.
  QList<snack::HistoryEntry> entries;
  for (const platform::CommandArgument& a : o.operands) {
    bool number = false;
    const qint64 id = a.text.toLongLong(&number);
    QString error;
    const auto e = number ? snack::readEntry(folder, id, &error) : std::nullopt;
    if (!e) {
      message(number ? error : QStringLiteral("「%1」は変更の番号ではありません。").arg(a.text));
      message(QStringLiteral("何も元に戻しませんでした。"));
      return kRefused;
    }
    entries.append(*e);
  }
  bool all = true;
  for (const snack::HistoryEntry& e : entries) {
    const snack::UndoResult r = snack::undoEntry(folder, e);
    for (const QString& p : r.problems)
      message(QStringLiteral("変更 %1 の %2 は元に戻せませんでした。").arg(e.id).arg(p));
    all = all && r.ok();
    say(QStringLiteral("元に戻しました: %1（%2 個のファイル）\n").arg(e.id).arg(r.undone));
  }
  return all ? kDone : kFailed;
}

}  // namespace cli
