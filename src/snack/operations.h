// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The four operations on snack files. Each takes paths and values and returns
// success, or a Japanese message that names the file and what went wrong.
#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

#include "platform/bytefile.h"
#include "platform/paths.h"
#include "snack/layout.h"

namespace snack {

class HistoryAction;

struct Outcome {
  bool ok = true;
  QString message;
  // Refused before anything was touched: the request itself cannot be done
  // (a name the factory does not take, a missing part), not the file system.
  bool refused = false;
  static Outcome success() { return {}; }
  static Outcome failure(QString m) { return {false, std::move(m)}; }
  static Outcome refusal(QString m) { return {false, std::move(m), true}; }
};

// Reads the header of an existing file of at least 904 bytes into `record`.
// On failure `record` is left as it was. Never writes.
Outcome loadSnack(const platform::NativePath& path, SnackRecordType& record);
// The same steps and messages on a file the caller holds, which stays open
// for further reads: opens `file` for reading, checks its size (given in
// `size`) and reads its first `n` bytes (at least 904; fewer when the file is
// shorter) into `bytes`, and the header from them into `record`.
Outcome loadSnack(platform::ByteFile& file, SnackRecordType& record, QByteArray& bytes, qint64 n,
                  qint64* size = nullptr);

struct SaveOptions {
  // Off only for throwaway files whose durability does not matter (benchmarks).
  bool flushToDisk = true;
  // Off: a missing file is a failure ("ファイルがありません"), never made anew.
  bool createMissing = true;
  // The action this write belongs to: the file's part is kept in the history
  // before the first byte changes, and nothing is written when it cannot be.
  HistoryAction* history = nullptr;
};

// Writes exactly the saved byte ranges in place, flushes them to the disk and
// reads them back. A missing file is created 904 bytes long.
Outcome saveSnack(const platform::NativePath& path, const HeaderValues& values,
                  SaveOptions options = {});

// Which file a write may reach.
enum class Reach {
  Named,      // the file the user named, through a link if it is one
  OneOfMany,  // one of a folder's files in an action over many: never through a link
};

// Zeroes offsets 889 to 902 of an existing snack file.
Outcome refreshSnack(const platform::NativePath& path, Reach reach = Reach::Named,
                     HistoryAction* history = nullptr);

inline const QString kFactoryFolder = QStringLiteral("おやつ工場");
inline const char* const kFactoryParts[3] = {"head.dat", "Image.bmp", "mask.bmp"};

// Where the factory writes a new snack file, once every check has passed.
struct FactoryTarget {
  QString output;     // factoryFolder/outputName
  QStringList parts;  // head.dat, Image.bmp and mask.bmp of the folder
};

// The factory's checks on a new snack file's name, in the order the user is
// told of them: a name at all; one name inside the folder, kept as typed by
// the file system and not a part's name; the folder and its three parts;
// then an output that is not a symbolic link and not the same file as one of
// the parts or as `currentSnack` (the snack being edited), by any path or
// link; not a folder, not write-protected. Fills `target` on success; every
// failure is a refusal.
Outcome checkFactoryOutput(const QString& factoryFolder, const QString& outputName,
                           const platform::NativePath& currentSnack, FactoryTarget& target);

// Writes `target.output` anew: `fill` writes its whole content to the device
// given (false with `error` set when it cannot); the file is written beside
// its target, flushed to the disk and moved into place only when complete.
// With `history`, the file's part is kept before it takes its name.
Outcome writeFactoryOutput(const FactoryTarget& target,
                           const std::function<bool(QIODevice& out, QString* error)>& fill,
                           HistoryAction* history = nullptr);

// Joins head.dat, Image.bmp and mask.bmp of `factoryFolder` into
// `factoryFolder`/`outputName`, after checkFactoryOutput, in pieces of `piece` bytes.
Outcome buildSnack(const QString& factoryFolder, const QString& outputName,
                   const platform::NativePath& currentSnack = {}, qint64 piece = 1 << 20,
                   HistoryAction* history = nullptr);

}  // namespace snack
