// SPDX-License-Identifier: GPL-3.0-or-later
#include "snack/collection.h"

#include "platform/bytefile.h"
#include "platform/sjis.h"
#include "platform/wholefile.h"

namespace snack {

std::optional<platform::FolderEntries> listSnackFolder(const QString& folderText, QString* error) {
  return listSnackFolder(platform::resolveShownPath(folderText), folderText, error);
}

std::optional<platform::FolderEntries> listSnackFolder(const platform::NativePath& folder,
                                                       const QString& folderText, QString* error) {
  auto files = platform::listFiles(folder);
  if (!files && error)
    *error = QStringLiteral("おやつフォルダ「%1」を開けません。").arg(folderText);
  return files;
}

namespace {

// With the picture looked for, the file is a snack when it holds a picture and its mask.
void settleLeftOut(SnackRow& row, const PictureParts& parts) {
  row.pictureLocated = true;
  row.picture = parts.picture;
  if (row.leftOut != kLinkEntry) row.leftOut = parts.picture && parts.mask ? QString() : kNotSnack;
}

// Reads the header (and with `picture` looks for the picture) of the file
// `entry` into `row`.
void readRow(SnackRow& row, const platform::FolderEntry& entry, bool picture, bool listed) {
  platform::ByteFile file(entry);
  if (listed) file.markListed();
  file.noteLink();
  QByteArray start;
  // The first page holds the header and, in the snack files seen so far, the
  // start of the picture: the picture's place costs one more small read.
  qint64 size = 0;
  const Outcome read = loadSnack(file, row.record, start, picture ? 4096 : kHeaderSize, &size);
  row.leftOut = file.wasLink() ? kLinkEntry : kNotSnack;
  row.readable = read.ok;
  row.reason = read.message;
  if (!read.ok || !picture) return;
  settleLeftOut(row, locatePicture(size, start, [&file](qint64 at, qint64 n) {
                  QByteArray bytes;
                  return file.readAt(at, n, bytes) ? bytes : QByteArray();
                }));
}

}  // namespace

SnackRow readSnackRow(const platform::FolderEntry& entry, RowParts parts, bool listed) {
  SnackRow row;
  row.file = entry.name;
  row.path = entry.path;
  readRow(row, entry, parts == RowParts::WithPicture, listed);
  return row;
}

void locateRowPicture(SnackRow& row) {
  if (row.pictureLocated) return;
  row.pictureLocated = true;
  if (!row.readable) return;
  SnackRow again;
  again.path = row.path;
  readRow(again, {row.file, row.path}, true, false);
  // The row keeps the header it shows; the picture and the verdict are the
  // file's as it is now.
  row.picture = again.picture;
  row.leftOut = again.leftOut;
}

std::optional<QList<SnackRow>> readCollection(const QString& folderText, QString* error,
                                              RowParts parts) {
  const auto files = listSnackFolder(folderText, error);
  if (!files) return std::nullopt;
  QList<SnackRow> rows;
  rows.reserve(files->size());
  for (const platform::FolderEntry& e : *files) rows.append(readSnackRow(e, parts, true));
  return rows;
}

QString rowText(const SnackRow& row, Field field) {
  const FieldLayout& f = layoutOf(field);
  Q_ASSERT(f.kind == Kind::Text);
  if (!row.readable) return {};
  return platform::fromSjis(textBytes(row.record.*f.buffer, row.record.*f.length));
}

QString cellText(const SnackRow& row, Field field, const NameTables& names, QChar dateSeparator) {
  const FieldLayout& f = layoutOf(field);
  if (f.opened != Opened::No) return openedStamp(row.record, dateSeparator);
  switch (f.kind) {
    case Kind::Text:
      return rowText(row, field);
    case Kind::Byte:
      return names.of(field)[fieldValue(row.record, field)];
    default:
      return QString::number(fieldValue(row.record, field));
  }
}

QString pictureSize(const SnackRow& row) {
  if (!row.picture) return {};
  return QStringLiteral("%1x%2").arg(row.picture->width).arg(row.picture->height);
}

namespace {

// The columns of the export, in order.
enum class Column { File, Text, Number, Index, ListName, Opened, Picture };
struct CsvColumn {
  Column column;
  Field field = Field::Name;
};
constexpr CsvColumn kColumns[] = {
    {Column::File},
    {Column::Text, Field::Name},
    {Column::Text, Field::Description},
    {Column::Text, Field::Author},
    {Column::Number, Field::Number},
    {Column::Index, Field::Type},
    {Column::ListName, Field::Type},
    {Column::Number, Field::Quantity},
    {Column::Number, Field::Calories},
    {Column::Number, Field::BestBeforeDays},
    {Column::Index, Field::Sound},
    {Column::ListName, Field::Sound},
    {Column::Opened},
    {Column::Picture},
};

QString columnKey(const CsvColumn& c) {
  switch (c.column) {
    case Column::File:
      return QStringLiteral("file");
    case Column::Opened:
      return QStringLiteral("opened");
    case Column::Picture:
      return QStringLiteral("picture");
    case Column::Index:
      return QLatin1String(layoutOf(c.field).key) + QStringLiteral("_index");
    default:
      return QLatin1String(layoutOf(c.field).key);
  }
}

// RFC 4180: quoted only when it holds a comma, a double quote or a line break.
QString csvField(const QString& value) {
  if (!value.contains(QLatin1Char(',')) && !value.contains(QLatin1Char('"')) &&
      !value.contains(QLatin1Char('\r')) && !value.contains(QLatin1Char('\n')))
    return value;
  QString quoted = value;
  quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
  return QLatin1Char('"') + quoted + QLatin1Char('"');
}

// A text a spreadsheet would run as a formula, also behind apostrophes (which a
// spreadsheet drops one of), gets one more apostrophe in front.
QString notFormula(const QString& value) {
  qsizetype i = 0;
  while (i < value.size() && value[i] == QLatin1Char('\'')) ++i;
  if (i == value.size()) return value;
  switch (value[i].unicode()) {
    case '=':
    case '+':
    case '-':
    case '@':
    case '\t':
    case '\r':
      return QLatin1Char('\'') + value;
    default:
      return value;
  }
}

QByteArray record(const QStringList& fields) {
  return fields.join(QLatin1Char(',')).toUtf8() + "\r\n";
}

QString cell(const SnackRow& row, const CsvColumn& c, const QString& folderText,
             const NameTables& names) {
  switch (c.column) {
    case Column::File:
      return platform::joinPath(folderText, row.file);
    case Column::Index:
      return QString::number(fieldValue(row.record, c.field));
    case Column::Opened:
      return cellText(row, Field::Year, names);
    case Column::Picture:
      return pictureSize(row);
    default:
      return cellText(row, c.field, names);
  }
}

}  // namespace

QByteArray csvHeader() {
  QStringList keys;
  for (const CsvColumn& c : kColumns) keys.append(csvField(columnKey(c)));
  return record(keys);
}

QByteArray collectionCsv(const QList<SnackRow>& rows, const QString& folderText,
                         const NameTables& names) {
  QByteArray out("\xEF\xBB\xBF");
  out += csvHeader();
  for (const SnackRow& row : rows) {
    if (!row.readable) continue;
    QStringList fields;
    for (const CsvColumn& c : kColumns) {
      const QString value = cell(row, c, folderText, names);
      const bool number = c.column == Column::Number || c.column == Column::Index;
      fields.append(csvField(number ? value : notFormula(value)));
    }
    out += record(fields);
  }
  return out;
}

Outcome writeWholeFile(const QString& path, const QByteArray& bytes) {
  const QString shown = platform::nativePath(path);
  auto failed = [&](const QString& reason) {
    return Outcome::failure(
        QStringLiteral("ファイル「%1」に書き出せません：%2\nファイルは書き出す前のままです。")
            .arg(shown, reason));
  };
  QString error;
  if (!platform::writeWholeFile(path, bytes, &error)) return failed(error);
  return Outcome::success();
}

}  // namespace snack
