// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The snack folder as one collection: its files as the file selection lists
// them, each read into a row (the header's values and the size of the located
// picture), and the rows written out as CSV. No window code: the collection
// window and the command line both read and write through here.
#include <QByteArray>
#include <QList>
#include <QString>
#include <array>
#include <optional>

#include "platform/folders.h"
#include "platform/paths.h"
#include "snack/layout.h"
#include "snack/names.h"
#include "snack/operations.h"
#include "snack/picture.h"

namespace snack {

// The files of the snack folder `folderText` (the folder as the user sees and
// cookenv.ini holds it; names in it may be code page 932 bytes on disk),
// exactly as the file selection window lists them: the same files, in the same
// order, under the same shown names. nullopt, with `error` naming the folder,
// when it cannot be read.
std::optional<platform::FolderEntries> listSnackFolder(const QString& folderText, QString* error);

// One file of the collection.
struct SnackRow {
  QString file;               // the name as the lists show it
  platform::NativePath path;  // the file itself, under its exact name
  // Whether the header was read; when not, `reason` is the load's message
  // (in Japanese, naming the file) and `record` is empty.
  bool readable = false;
  QString reason;
  SnackRecordType record;
  // Whether the picture was looked for, and the located picture (offset,
  // size, width, height, bits per pixel) when the file is at most
  // kPictureFileLimit bytes long and holds one.
  bool pictureLocated = false;
  std::optional<BitmapSlice> picture;
  // For an action over many files: empty when the file is a snack such an
  // action may write; else why not ("おやつファイルではありません", "リンクです").
  QString leftOut;
};

enum class RowParts {
  WithPicture,  // the header and the picture's place and size
  HeaderOnly,   // the header alone (the picture is looked for later, if at all)
};

// Reads one file (never writing it): its header through the load, and with
// the picture its place and size, from the same open file (usually one more
// small read). `listed`: the entry comes from a listing made just now, which
// saw a regular file there (see ByteFile::markListed).
SnackRow readSnackRow(const platform::FolderEntry& entry, RowParts parts = RowParts::WithPicture,
                      bool listed = false);

// Looks for the picture of a row read without it; nothing when it was looked
// for already or the file has no header.
void locateRowPicture(SnackRow& row);

// Every file of the folder, in the listing's order (listSnackFolder, then
// readSnackRow for each).
std::optional<QList<SnackRow>> readCollection(const QString& folderText, QString* error,
                                              RowParts parts = RowParts::WithPicture);

// The texts the rows show and export.
// A text field (Field::Name, Description or Author) as its box shows it, but
// with its line breaks as the file holds them (CR LF).
QString rowText(const SnackRow& row, Field field);
// What the collection's list and its export show of a field of a readable
// row: a text as rowText; a number in decimal as stored (65535 for
// unlimited); a list field (Field::Type, Sound) its entry in `names`, empty
// when the entry is; any field of the opened date and time the whole of it,
// "YYYY-MM-DD hh:mm:ss" with `dateSeparator` between the date's parts, empty
// when the snack is unopened.
QString cellText(const SnackRow& row, Field field, const NameTables& names,
                 QChar dateSeparator = QLatin1Char('-'));
// "WIDTHxHEIGHT" of the located picture, or empty.
QString pictureSize(const SnackRow& row);

// The header row of the CSV export, CR LF at its end:
// file,name,description,author,number,type_index,type,quantity,calories,
// best_before,sound_index,sound,opened,picture
QByteArray csvHeader();

// The CSV export of `rows` (read with their pictures) in the given order: UTF-8 with a
// byte-order mark, the header row, then one record per readable row (unreadable rows are left
// out). `file` is `folderText` joined with the shown name; texts as their boxes show them, line
// breaks CR LF; numbers as stored (65535 for unlimited); `type` and `sound` the entries of
// `names` ("" when empty); `opened` "YYYY-MM-DD hh:mm:ss", empty when
// unopened; `picture` "WIDTHxHEIGHT" or empty. A field holding a comma, a double quote, CR or
// LF is quoted (RFC 4180, quotes doubled); every record ends in CR LF.
QByteArray collectionCsv(const QList<SnackRow>& rows, const QString& folderText,
                         const NameTables& names);

// Writes `bytes` as the whole of the file `path`, all or nothing: into a new
// file beside it, flushed to the disk, then put in its place. On failure the
// file is as it was and the message (Japanese) names it and says why.
Outcome writeWholeFile(const QString& path, const QByteArray& bytes);

}  // namespace snack
