// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The history of changes: every write of ours to a snack file or a factory
// output is kept in the folder "履歴" of the working folder before it is made,
// so that it can be undone.
//
// One action of the user (a save, a refresh of many, one command) is one
// entry, one file in the folder named by its id ("12.entry"). The file is a
// sequence of records, each checked by a CRC-32 of its own:
//   "CRUMBHIS" then records of  u8 type, u32 length, payload, u32 CRC-32
//   (of type, length and payload), little-endian:
//   type 1, the beginning: time (ms since 1970, UTC), operation
//   type 2, one file's part, kept and flushed to the disk before the file
//           changes: its kind, path, the length and SHA-256 of its whole
//           content after the write, and the bytes before and after
//           (in place) or the whole old file (replaced, removed)
//   type 3, after the write: whether the file of the part before succeeded
// A record cut short at the end (a crash mid-write) is left out; a file
// whose records do not hold together is damaged, and skipped.
#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

#include "platform/paths.h"
#include "snack/operations.h"

namespace snack {

inline const QString kHistoryFolder = QStringLiteral("履歴");

struct HistoryBounds {
  qint64 maxBytes = qint64(64) << 20;  // the newest entries up to this much in all
  int maxEntries = 10000;
  qint64 maxReplaced = qint64(16) << 20;  // a replaced file over this is not kept
};

// One file's part of an entry.
struct HistoryFile {
  enum class Kind : quint8 {
    InPlace = 1,   // bytes written at offsets
    Replaced = 2,  // the whole file written anew over an older one
    Created = 3,   // a new file
    Removed = 4,   // a file removed (by an undo of its making)
    Unkept = 5,    // replaced, the old file too large to keep
  };
  struct Patch {
    qint64 offset = 0;
    QByteArray before, after;
  };
  Kind kind = Kind::InPlace;
  QByteArray path;  // NativePath bytes
  QString shown;
  qint64 length = -1;    // after the write; -1 for a removed file
  QByteArray hash;       // SHA-256 of the whole content after the write
  QList<Patch> patches;  // in place
  QByteArray old;        // replaced, removed: the whole file before
};

// SHA-256 of `bytes`.
QByteArray contentHash(QByteArrayView bytes);

// One action of the user, written to the history as its files are written.
// The entry file is made with the first file's part; an entry whose files all
// failed is removed again at the end.
class HistoryAction {
 public:
  // `folder`: the history folder, made when first needed.
  HistoryAction(QString folder, QString operation, HistoryBounds bounds = {});
  ~HistoryAction();
  HistoryAction(const HistoryAction&) = delete;
  HistoryAction& operator=(const HistoryAction&) = delete;

  // Before a file's write: keeps its part, flushed to the disk. A failure is
  // the message to give instead of writing (naming the history folder and
  // why), for the file `part.shown`.
  Outcome keep(const HistoryFile& part);
  // After the write of the file kept last.
  void done(bool ok);

  // A replaced file over the bound is written without its old content kept
  // (the user said so); otherwise it is refused.
  bool allowUnkept = false;

  const HistoryBounds& bounds() const { return bounds_; }
  const QString& folder() const { return folder_; }
  // The entry's id; 0 until a file is kept.
  qint64 id() const { return id_; }
  // Whether a file was written and kept.
  bool wroteAny() const { return succeeded_ > 0; }

 private:
  bool start(QString* error);
  // A folder made for an entry that wrote nothing goes again.
  void dropFolder();
  bool append(quint8 type, const QByteArray& payload, bool sync, QString* error);

  QString folder_, operation_;
  HistoryBounds bounds_;
  qint64 id_ = 0;
  std::unique_ptr<class QFile> file_;
  int pending_ = 0;          // parts kept and not settled
  bool madeFolder_ = false;  // the folder was made for this entry
  int kept_ = 0, succeeded_ = 0;
};

// The part of a write in place, from the whole file before it and the
// ranges it writes.
HistoryFile inPlacePart(const platform::NativePath& path, const QByteArray& before,
                        const QList<HistoryFile::Patch>& patches);

// Whether a file replaced at `path` (a whole-file write) is too large to keep.
bool tooLargeToKeep(const QString& path, const HistoryBounds& bounds = {});

// Keeps the part of a whole-file write of `path`, whose new content hashes to
// `hash` with `length` bytes: created, or replaced with its old content (or
// refused when too large unless allowed).
Outcome keepWholeWrite(HistoryAction& history, const QString& path, qint64 length,
                       const QByteArray& hash);

// One entry as read back.
struct HistoryEntry {
  qint64 id = 0;
  QDateTime time;
  QString operation;
  QList<HistoryFile> files;  // the ones not known to have failed
  qint64 bytes = 0;          // the entry file's size
};

// One field's change, by its key, with the values as shown.
struct FieldChange {
  QString key, caption, before, after;
};
// The fields a part in place changed; empty for other kinds.
QList<FieldChange> fieldChanges(const HistoryFile& part);
// "おやつの名前: いちご → いちご大福; ..." or "作成", "置き換え", "削除".
QString changeSummary(const HistoryFile& part);
// The kind's name in words.
QString kindText(HistoryFile::Kind kind);

struct HistoryListing {
  QList<HistoryEntry> entries;  // newest first
  QStringList skipped;          // one message per damaged or foreign file
};
// Reads every entry of `folder`; a missing folder is an empty history.
HistoryListing readHistory(const QString& folder);
// The entry `id`, or nullopt when there is none (or it is damaged, `error` says).
std::optional<HistoryEntry> readEntry(const QString& folder, qint64 id, QString* error);

struct UndoResult {
  int undone = 0;                       // files written back or already as before
  QStringList problems;                 // "「file」：why", one per file left as it is
  QList<platform::NativePath> written;  // files this undo changed
  bool ok() const { return problems.isEmpty(); }
};
// Undoes the entry: each file back to before, where it still holds exactly
// what the write left. The undo is itself an entry ("元に戻す") of `folder`.
UndoResult undoEntry(const QString& folder, const HistoryEntry& entry,
                     const HistoryBounds& bounds = {});

}  // namespace snack
