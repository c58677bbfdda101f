// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A CSV in the form the collection's export writes, read back: the changes it
// would make to the files of a folder, each checked as the editor's boxes
// check it. Nothing here writes; the saves go through planSaves and saveMany.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

#include "snack/collection.h"
#include "snack/many.h"
#include "snack/names.h"

namespace snack {

// One record of a CSV: its cells and the line it starts on (1 for the first).
struct CsvRecord {
  int line = 0;
  QStringList cells;
};

// Splits a CSV: UTF-8 with or without a byte-order mark, records ending in
// CR LF or LF, RFC 4180 quoting (a quoted cell may hold commas, quotes doubled
// and line breaks). Blank lines are skipped. A cell that begins with
// apostrophes followed by =, +, -, @, a tab or a CR loses its first
// apostrophe: the export adds one there so that spreadsheets do not run the
// cell. nullopt, with `error`, when the bytes are not UTF-8 or a quote is
// left open.
std::optional<QList<CsvRecord>> parseCsv(const QByteArray& bytes, QString* error);

// One field a record changes, as the window and `apply --dry-run` list it.
struct CsvChange {
  QString file;    // the record's `file`
  QString key;     // the column: a field's key, "opened" or "picture"
  QString item;    // the field's caption; "読み込まない列" follows a column never written
  QString before;  // as the export shows it now
  QString after;   // as the CSV gives it
  bool ignored = false;  // opened or picture: compared, never written
};

// A record or file that is not written, and why.
struct CsvProblem {
  int line = 0;
  QString file;
  QString why;
};

struct CsvPlan {
  QString error;              // the CSV as a whole refused: nothing else is filled
  QStringList unusedColumns;  // header names no column of the export has
  QList<CsvChange> changes;   // every field that differs, record by record
  QList<CsvProblem> notInFolder;
  QList<CsvProblem> refused;     // a value or record the files cannot take
  QList<CsvProblem> notWritten;  // a file of the folder that cannot be written
  QList<FileChanges> files;      // the boxes to change, one entry per file changed

  // Nothing may be written when the CSV or one of its values is refused.
  bool isRefused() const { return !error.isEmpty() || !refused.isEmpty(); }
  int written() const;  // how many changes would be written
};

// The changes `csv` makes to `rows` (a folder's files, its text `folderText`;
// a record's `file` names a row by folderText joined with its name, or by the
// name alone). Only `file` and the columns present are used; `type` and
// `sound` name an entry of `names`, `type_index` and `sound_index` a position,
// and a record giving both that disagree is refused. A text that differs only
// in its line breaks is no change.
CsvPlan planCsv(const QByteArray& csv, const QList<SnackRow>& rows, const QString& folderText,
                const NameTables& names);

}  // namespace snack
