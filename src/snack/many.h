// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One save over many snack files: each file saved as the editor saves it
// after a load, with some boxes changed and every other box as the load
// showed it. Every value is checked, on every file, before the first file is
// written. No window code: the collection window and the command line both
// save many files through here.
#include <QList>
#include <QString>
#include <QStringList>

#include "snack/collection.h"
#include "snack/fields.h"
#include "snack/operations.h"

namespace snack {

// One box changed: the text a text or number box is given, or the position
// a list (Field::Type, Sound) is set to. `caption` names the field in messages.
struct BoxChange {
  Field field = Field::Name;
  QString caption;
  QString text;
  int position = -1;
};

// The boxes to change in one file (`row`: its name, path and leftOut).
struct FileChanges {
  SnackRow row;
  QList<BoxChange> changes;
};

// One file's save, its values checked.
struct FileEdit {
  QString file;  // as shown
  platform::NativePath path;
  HeaderValues values;
};

// What a save of many files is to do.
struct ManyPlan {
  // A value the header cannot hold: its message (naming the field, and the
  // file when the values differ between files). Nothing is to be written.
  QString refused;
  QList<FileEdit> edits;   // the saves, in the order given
  QStringList notWritten;  // each file left out or unreadable, named with why
};

// Loads each file as the editor does and changes its boxes. Files whose
// row.leftOut is not empty are neither read nor written. `sameForAll`: the
// changes are the same for every file, so a refusal names the field alone.
ManyPlan planSaves(const QList<FileChanges>& files, bool sameForAll);
// The same changes for every row.
ManyPlan planSaves(const QList<SnackRow>& rows, const QList<BoxChange>& changes);

struct FileOutcome {
  QString file;
  platform::NativePath path;
  Outcome outcome;
};

// Saves each edit with saveSnack and the same `options` (one action: the caller
// builds them once; a missing file is never made anew, whatever they say).
QList<FileOutcome> saveMany(const QList<FileEdit>& edits, SaveOptions options);

}  // namespace snack
