// SPDX-License-Identifier: GPL-3.0-or-later
// Reading an entry of the history back: what each write changed, in the
// fields' captions, and undoing it: each file back to its bytes before the
// write, where it still holds what the write left.
#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <array>

#include "platform/bytefile.h"
#include "platform/wholefile.h"
#include "snack/fields.h"
#include "snack/history.h"

namespace snack {

namespace {

QByteArray wholeHeader(const HistoryFile& part, bool after, QByteArray* covered) {
  QByteArray h(kHeaderSize, '\0');
  if (covered) *covered = QByteArray(kHeaderSize, '\0');
  for (const HistoryFile::Patch& p : part.patches) {
    const QByteArray& b = after ? p.after : p.before;
    for (qsizetype i = 0; i < b.size() && p.offset + i < kHeaderSize; ++i) {
      h[p.offset + i] = b[i];
      if (covered) (*covered)[p.offset + i] = 1;
    }
  }
  return h;
}

bool isCovered(const QByteArray& covered, ByteRange r) {
  for (int i = r.offset; i < r.end(); ++i)
    if (!covered[i]) return false;
  return true;
}

}  // namespace

QList<FieldChange> fieldChanges(const HistoryFile& part) {
  QList<FieldChange> changes;
  if (part.kind != HistoryFile::Kind::InPlace) return changes;
  QByteArray covered;
  const QByteArray before = wholeHeader(part, false, &covered);
  const QByteArray after = wholeHeader(part, true, nullptr);
  const SnackRecordType rb = decodeHeader(before), ra = decodeHeader(after);
  const BoxEntries bb = shownBoxes(rb), ba = shownBoxes(ra);
  for (const FieldLayout& f : kFields) {
    if (f.opened != Opened::No || f.kind == Kind::Zero) continue;
    const ByteRange r = savedRange(f);
    if (!isCovered(covered, r) || QByteArrayView(before).sliced(r.offset, r.size) ==
                                      QByteArrayView(after).sliced(r.offset, r.size))
      continue;
    const BoxEntry& b = bb[int(f.field)];
    const BoxEntry& a = ba[int(f.field)];
    auto text = [&](const BoxEntry& e) {
      return f.kind == Kind::Byte ? QString::number(e.position) : e.text;
    };
    // A save zero-fills the rest of a text's area: no change of the text.
    if (text(b) == text(a) && b.keptBytes == a.keptBytes) continue;
    changes.append({QLatin1String(f.key), fieldCaption(f.field), text(b), text(a)});
  }
  if (isCovered(covered, kOpenedGroup) &&
      QByteArrayView(before).sliced(kOpenedGroup.offset, kOpenedGroup.size) !=
          QByteArrayView(after).sliced(kOpenedGroup.offset, kOpenedGroup.size)) {
    auto stamp = [](const SnackRecordType& r) {
      const QString s = openedStamp(r, QLatin1Char('/'));
      return s.isEmpty() ? kUnopenedText : s;
    };
    changes.append({QStringLiteral("opened"), QStringLiteral("開封日時"), stamp(rb), stamp(ra)});
  }
  return changes;
}

QString kindText(HistoryFile::Kind kind) {
  switch (kind) {
    case HistoryFile::Kind::InPlace:
      return QStringLiteral("書き換え");
    case HistoryFile::Kind::Replaced:
    case HistoryFile::Kind::Unkept:
      return QStringLiteral("置き換え");
    case HistoryFile::Kind::Created:
      return QStringLiteral("作成");
    case HistoryFile::Kind::Removed:
      return QStringLiteral("削除");
  }
  return {};
}

QString changeSummary(const HistoryFile& part) {
  if (part.kind != HistoryFile::Kind::InPlace) return kindText(part.kind);
  QStringList items;
  for (const FieldChange& c : fieldChanges(part))
    items.append(QStringLiteral("%1: %2 → %3").arg(c.caption, c.before, c.after));
  return items.isEmpty() ? QStringLiteral("変更なし") : items.join(QStringLiteral("、"));
}

namespace {

const QString kChanged = QStringLiteral("このあとで変更されています");
const QString kMissing = QStringLiteral("見つかりません");

// The whole-file kinds keep their path as text, as the factory named them.
QString pathText(const HistoryFile& part) { return QString::fromUtf8(part.path); }

bool readWhole(const QString& path, QByteArray& out, QString* error) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) {
    *error = f.errorString();
    return false;
  }
  out = f.readAll();
  return true;
}

QString undoInPlace(const HistoryFile& part, HistoryAction& undo, UndoResult& result) {
  const platform::NativePath path = platform::NativePath::fromBytes(part.path);
  if (!platform::exists(path)) return kMissing;
  platform::ByteFile f(path);
  if (!f.open(platform::ByteFile::Mode::Update)) return f.errorString();
  QByteArray now;
  if (!f.readAt(0, f.size(), now)) return f.errorString();
  bool before = now.size() == part.length;
  for (const HistoryFile::Patch& p : part.patches)
    before = before && p.offset + p.before.size() <= now.size() &&
             QByteArrayView(now).sliced(p.offset, p.before.size()) == p.before;
  if (before) return {};  // the write never happened (a crash), or was undone
  if (now.size() != part.length || contentHash(now) != part.hash) return kChanged;
  QList<HistoryFile::Patch> back;
  for (const HistoryFile::Patch& p : part.patches) back.append({p.offset, p.after, p.before});
  const HistoryFile kept = inPlacePart(path, now, back);
  const Outcome k = undo.keep(kept);
  if (!k.ok) return k.message;
  bool ok = true;
  for (const HistoryFile::Patch& p : back) ok = ok && f.writeAt(p.offset, p.after);
  ok = ok && f.syncToDisk();
  QByteArray check;
  ok = ok && f.readAt(0, f.size(), check) && contentHash(check) == kept.hash;
  if (!ok) {
    const QString why = f.errorString();
    // The bytes the write had left go back, so that the file is as it was.
    for (const HistoryFile::Patch& p : back) f.writeAt(p.offset, p.before);
    f.syncToDisk();
    undo.done(false);
    return why.isEmpty() ? QStringLiteral("書き戻した内容が一致しません") : why;
  }
  undo.done(true);
  result.written.append(path);
  return {};
}

QString undoWhole(const HistoryFile& part, HistoryAction& undo, UndoResult& result) {
  using Kind = HistoryFile::Kind;
  const QString path = pathText(part);
  const platform::NativePath native(path);
  if (platform::isLink(native)) return QStringLiteral("シンボリックリンクです");
  QString why;
  QByteArray now;
  const bool present = QFileInfo::exists(path);
  if (present && !readWhole(path, now, &why)) return why;
  const bool asWritten = present && part.kind != Kind::Removed && now.size() == part.length &&
                         contentHash(now) == part.hash;
  if (part.kind == Kind::Created) {
    if (!present) return {};
    if (!asWritten) return kChanged;
    HistoryFile removed;
    removed.kind = Kind::Removed;
    removed.path = part.path;
    removed.shown = part.shown;
    removed.old = now;
    const Outcome k = undo.keep(removed);
    if (!k.ok) return k.message;
    QFile f(path);
    const bool ok = f.remove();
    undo.done(ok);
    if (!ok) return f.errorString();
  } else {
    // Replaced: the old file back; removed: the file made again.
    if (present && now == part.old) return {};
    if (part.kind == Kind::Replaced && !present) return kMissing;
    if (part.kind == Kind::Replaced ? !asWritten : present) return kChanged;
    const Outcome k = keepWholeWrite(undo, path, part.old.size(), contentHash(part.old));
    if (!k.ok) return k.message;
    const bool ok = platform::writeWholeFile(path, part.old, &why);
    undo.done(ok);
    if (!ok) return why;
  }
  result.written.append(native);
  return {};
}

}  // namespace

UndoResult undoEntry(const QString& folder, const HistoryEntry& entry,
                     const HistoryBounds& bounds) {
  UndoResult result;
  HistoryAction undo(folder, QStringLiteral("元に戻す"), bounds);
  undo.allowUnkept = true;
  for (const HistoryFile& part : entry.files) {
    QString why;
    if (part.kind == HistoryFile::Kind::Unkept)
      why = QStringLiteral("置き換える前の内容は大きすぎたため残していません");
    else if (part.kind == HistoryFile::Kind::InPlace)
      why = undoInPlace(part, undo, result);
    else
      why = undoWhole(part, undo, result);
    if (why.isEmpty())
      ++result.undone;
    else
      result.problems.append(QStringLiteral("「%1」：%2").arg(part.shown, why));
  }
  return result;
}

}  // namespace snack
