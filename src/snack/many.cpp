// SPDX-License-Identifier: GPL-3.0-or-later
#include "snack/many.h"

namespace snack {

ManyPlan planSaves(const QList<FileChanges>& files, bool sameForAll) {
  ManyPlan plan;
  plan.edits.reserve(files.size());
  for (const FileChanges& f : files) {
    // A row read without its picture is settled now: only a snack is written.
    SnackRow row = f.row;
    locateRowPicture(row);
    if (!row.leftOut.isEmpty()) {
      plan.notWritten.append(QStringLiteral("「%1」：%2").arg(row.path.shown(), row.leftOut));
      continue;
    }
    SnackRecordType record;
    const Outcome loaded = loadSnack(f.row.path, record);
    if (!loaded.ok) {
      plan.notWritten.append(loaded.message);
      continue;
    }
    // The boxes as a load shows them: every text keeps its bytes.
    BoxEntries boxes = shownBoxes(record);
    for (const FieldLayout& l : kFields)
      boxes[static_cast<int>(l.field)].caption = fieldCaption(l.field);
    for (const BoxChange& c : f.changes) {
      BoxEntry& box = boxes[static_cast<int>(c.field)];
      box.caption = c.caption.isEmpty() ? fieldCaption(c.field) : c.caption;
      if (layoutOf(c.field).kind == Kind::Byte) {
        box.position = c.position;
      } else {
        box.text = c.text;
        box.keptBytes.reset();
      }
    }
    QString error;
    const auto values = valuesFromBoxes(boxes, &error);
    if (!values) {
      plan.refused =
          sameForAll ? error
                     : QStringLiteral("おやつファイル「%1」：%2").arg(f.row.path.shown(), error);
      plan.edits.clear();
      return plan;
    }
    plan.edits.append({f.row.file, f.row.path, *values});
  }
  return plan;
}

ManyPlan planSaves(const QList<SnackRow>& rows, const QList<BoxChange>& changes) {
  QList<FileChanges> files;
  files.reserve(rows.size());
  for (const SnackRow& row : rows) files.append({row, changes});
  return planSaves(files, true);
}

QList<FileOutcome> saveMany(const QList<FileEdit>& edits, SaveOptions options) {
  // A file removed since it was read is not made anew.
  options.createMissing = false;
  QList<FileOutcome> done;
  done.reserve(edits.size());
  for (const FileEdit& e : edits)
    done.append({e.file, e.path, saveSnack(e.path, e.values, options)});
  return done;
}

}  // namespace snack
