// SPDX-License-Identifier: GPL-3.0-or-later
#include "snack/csvread.h"

#include <QHash>
#include <QStringDecoder>
#include <algorithm>
#include <iterator>

#include "snack/fields.h"

namespace snack {

namespace {

// The export's guard against formulas, taken off again.
QString unguarded(const QString& cell) {
  qsizetype n = 0;
  while (n < cell.size() && cell[n] == QLatin1Char('\'')) ++n;
  if (n == 0 || n == cell.size()) return cell;
  const QChar c = cell[n];
  const bool guarded = c == QLatin1Char('=') || c == QLatin1Char('+') || c == QLatin1Char('-') ||
                       c == QLatin1Char('@') || c == QLatin1Char('\t') || c == QLatin1Char('\r');
  return guarded ? cell.mid(1) : cell;
}

bool isBlankRecord(const QStringList& cells) { return cells.size() == 1 && cells[0].isEmpty(); }

}  // namespace

std::optional<QList<CsvRecord>> parseCsv(const QByteArray& bytes, QString* error) {
  QByteArrayView view(bytes);
  if (view.startsWith("\xEF\xBB\xBF")) view = view.sliced(3);
  QStringDecoder decode(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString text = decode(view);
  if (decode.hasError()) {
    *error = QStringLiteral("UTF-8 の文字として読めないバイトがあります。");
    return std::nullopt;
  }
  QList<CsvRecord> records;
  CsvRecord record{1, {}};
  QString cell;
  int line = 1;
  bool quoted = false, wasQuoted = false;
  auto endCell = [&] {
    record.cells.append(unguarded(cell));
    cell.clear();
    wasQuoted = false;
  };
  auto endRecord = [&] {
    endCell();
    if (!isBlankRecord(record.cells)) records.append(std::move(record));
    record = CsvRecord{line, {}};
  };
  const qsizetype n = text.size();
  for (qsizetype i = 0; i < n; ++i) {
    const QChar c = text[i];
    if (quoted) {
      if (c == QLatin1Char('"')) {
        if (i + 1 < n && text[i + 1] == QLatin1Char('"')) {
          cell += c;
          ++i;
        } else {
          quoted = false;
        }
      } else {
        if (c == QLatin1Char('\n')) ++line;
        cell += c;
      }
      continue;
    }
    if (c == QLatin1Char('"') && cell.isEmpty() && !wasQuoted) {
      quoted = wasQuoted = true;
    } else if (c == QLatin1Char(',')) {
      endCell();
    } else if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
      if (c == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n')) ++i;
      ++line;
      endRecord();
    } else if (wasQuoted) {
      *error = QStringLiteral("%1 行目：引用符で囲んだ値の後に「%2」があります。").arg(line).arg(c);
      return std::nullopt;
    } else {
      cell += c;
    }
  }
  if (quoted) {
    *error = QStringLiteral("%1 行目から始まる引用符が閉じられていません。").arg(record.line);
    return std::nullopt;
  }
  if (!cell.isEmpty() || wasQuoted || !record.cells.isEmpty()) endRecord();
  return records;
}

int CsvPlan::written() const {
  int n = 0;
  for (const FileChanges& f : files) n += int(f.changes.size());
  return n;
}

namespace {

enum class Col { File, Text, Number, Index, Name, Opened, Picture };

struct Known {
  const char* key;
  Col col;
  Field field;
};
constexpr Known kKnown[] = {
    {"file", Col::File, Field::Name},
    {"name", Col::Text, Field::Name},
    {"description", Col::Text, Field::Description},
    {"author", Col::Text, Field::Author},
    {"number", Col::Number, Field::Number},
    {"type_index", Col::Index, Field::Type},
    {"type", Col::Name, Field::Type},
    {"quantity", Col::Number, Field::Quantity},
    {"calories", Col::Number, Field::Calories},
    {"best_before", Col::Number, Field::BestBeforeDays},
    {"sound_index", Col::Index, Field::Sound},
    {"sound", Col::Name, Field::Sound},
    {"opened", Col::Opened, Field::Year},
    {"picture", Col::Picture, Field::Name},
};
constexpr int kKnownCount = int(std::size(kKnown));

// A list field's entry as the changes show it: its name and position.
QString entryText(const NameTables& names, Field field, int position) {
  return QStringLiteral("%1（%2）").arg(listItemText(names.of(field)[position])).arg(position);
}

// One record against its row. Fills the changes and the boxes to change;
// false with `why` when a value is refused.
struct RecordCheck {
  const NameTables& names;
  const int* at;  // the cell of each known column, -1 when absent
  QList<CsvChange> changes;
  QList<BoxChange> boxes;
  QString why;

  bool check(const CsvRecord& r, const SnackRow& row) {
    auto cell = [&](int k) { return r.cells[at[k]]; };
    const QString file = cell(0);
    for (int k = 1; k < kKnownCount; ++k) {
      if (at[k] < 0) continue;
      const Known& c = kKnown[k];
      const QString caption = fieldCaption(c.field);
      const QString given = cell(k);
      switch (c.col) {
        case Col::Text: {
          const QString now = cellText(row, c.field, names);
          if (given == now) break;
          const auto bytes = encodeText(given, caption, &why);
          if (!bytes) return false;
          const FieldLayout& f = layoutOf(c.field);
          if (*bytes == textBytes(row.record.*f.buffer, row.record.*f.length)) break;
          changes.append({file, QLatin1String(c.key), caption, now, given});
          boxes.append({c.field, caption, given});
          break;
        }
        case Col::Number: {
          const auto v =
              parseNumber(given, caption, layoutOf(c.field).kind == Kind::Unlimited, &why);
          if (!v) return false;
          if (*v == fieldValue(row.record, c.field)) break;
          changes.append(
              {file, QLatin1String(c.key), caption, cellText(row, c.field, names), given});
          boxes.append({c.field, caption, given});
          break;
        }
        case Col::Index:
          break;  // with the name, below
        case Col::Name: {
          if (!list(file, c.field, at[k - 1] >= 0 ? &r.cells[at[k - 1]] : nullptr, &given, row))
            return false;
          break;
        }
        case Col::Opened:
        case Col::Picture: {
          const QString now =
              c.col == Col::Opened ? cellText(row, Field::Year, names) : pictureSize(row);
          if (given == now) break;
          const QString item = c.col == Col::Opened ? kOpenedCaption : QStringLiteral("絵の大きさ");
          changes.append({file, QLatin1String(c.key),
                          QStringLiteral("%1（読み込まない列）").arg(item), now, given, true});
          break;
        }
        case Col::File:
          break;
      }
    }
    // A list given by position alone.
    for (int k = 1; k < kKnownCount; ++k)
      if (at[k] >= 0 && kKnown[k].col == Col::Index && at[k + 1] < 0 &&
          !list(file, kKnown[k].field, &r.cells[at[k]], nullptr, row))
        return false;
    return true;
  }

  // A list field from its position, its name or both.
  bool list(const QString& file, Field field, const QString* index, const QString* name,
            const SnackRow& row) {
    const QString caption = fieldCaption(field);
    const NameList& table = names.of(field);
    const int now = fieldValue(row.record, field);
    int position = now;
    if (index) {
      const auto p = parseByte(*index, caption, &why);
      if (!p) return false;
      position = *p;
      if (name && table[position] != *name) {
        why = QStringLiteral("「%1」の番号 %2（%3）と名前「%4」が一致しません。")
                  .arg(caption, *index, listItemText(table[position]), *name);
        return false;
      }
    } else if (table[now] != *name) {
      position = -1;
      if (!name->isEmpty())
        for (int i = 0; i < 256 && position < 0; ++i)
          if (table[i] == *name) position = i;
      if (position < 0) {
        why =
            name->isEmpty()
                ? QStringLiteral("「%1」が空です。一覧の名前か番号を入れてください。").arg(caption)
                : QStringLiteral("「%1」の「%2」は一覧にありません。").arg(caption, *name);
        return false;
      }
    }
    if (position == now) return true;
    changes.append({file, QLatin1String(layoutOf(field).key), caption, entryText(names, field, now),
                    entryText(names, field, position)});
    boxes.append({field, caption, {}, position});
    return true;
  }
};

}  // namespace

CsvPlan planCsv(const QByteArray& csv, const QList<SnackRow>& rows, const QString& folderText,
                const NameTables& names) {
  CsvPlan plan;
  auto records = parseCsv(csv, &plan.error);
  if (!records) return plan;
  if (records->isEmpty()) {
    plan.error = QStringLiteral("見出しの行がありません。");
    return plan;
  }
  const CsvRecord header = records->takeFirst();
  int at[kKnownCount];
  std::fill(std::begin(at), std::end(at), -1);
  for (int i = 0; i < header.cells.size(); ++i) {
    const QString& name = header.cells[i];
    int k = 0;
    while (k < kKnownCount && name != QLatin1String(kKnown[k].key)) ++k;
    if (k == kKnownCount) {
      plan.unusedColumns.append(name);
    } else if (at[k] >= 0) {
      plan.error = QStringLiteral("見出しの行に列「%1」が二度あります。").arg(name);
      return plan;
    } else {
      at[k] = i;
    }
  }
  if (at[0] < 0) {
    plan.error = QStringLiteral("見出しの行に列「file」がありません。");
    return plan;
  }
  // The rows by the `file` text the export gives them and by their names;
  // -2 marks a text that names more than one.
  QHash<QString, int> byText;
  auto add = [&](const QString& text, int r) {
    auto it = byText.find(text);
    if (it == byText.end())
      byText.insert(text, r);
    else if (*it != r)
      *it = -2;
  };
  for (int r = 0; r < rows.size(); ++r) add(platform::joinPath(folderText, rows[r].file), r);
  QHash<QString, int> byName;
  for (int r = 0; r < rows.size(); ++r) {
    const bool twice = byName.contains(rows[r].file);
    byName[rows[r].file] = twice ? -2 : r;
  }
  QList<bool> seen(rows.size(), false);
  for (const CsvRecord& rec : *records) {
    const QString file = rec.cells.value(at[0]);
    auto refuse = [&](const QString& why) { plan.refused.append({rec.line, file, why}); };
    if (rec.cells.size() != header.cells.size()) {
      refuse(QStringLiteral("%1 列あります。見出しの行は %2 列です。")
                 .arg(rec.cells.size())
                 .arg(header.cells.size()));
      continue;
    }
    int r = byText.value(file, -1);
    if (r == -1) r = byName.value(file, -1);
    if (r == -2) {
      refuse(QStringLiteral("この名前に見えるファイルがフォルダに二つ以上あります。"));
      continue;
    }
    if (r < 0) {
      plan.notInFolder.append({rec.line, file, QStringLiteral("フォルダにありません。")});
      continue;
    }
    if (seen[r]) {
      refuse(QStringLiteral("同じファイルの行がこの前にもあります。"));
      continue;
    }
    seen[r] = true;
    SnackRow row = rows[r];
    if (!row.readable) {
      plan.notWritten.append({rec.line, file, row.reason});
      continue;
    }
    locateRowPicture(row);  // the picture column, and whether it is a snack
    RecordCheck check{names, at, {}, {}, {}};
    if (!check.check(rec, row)) {
      refuse(check.why);
      continue;
    }
    if (!check.boxes.isEmpty() && !row.leftOut.isEmpty()) {
      plan.notWritten.append({rec.line, file, row.leftOut});
      continue;
    }
    plan.changes.append(check.changes);
    if (!check.boxes.isEmpty()) plan.files.append({row, check.boxes});
  }
  return plan;
}

}  // namespace snack
