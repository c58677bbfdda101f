// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What show and ls print for one snack file: the header's values as the
// editor shows them, as text or as one line of JSON.
#include <QByteArray>
#include <QString>

#include "snack/collection.h"
#include "snack/names.h"

namespace cli {

// `text` with every control character (C0, DEL and C1) but those in `kept`
// written as a visible escape such as "\x1b", so that no text from a file can
// drive the terminal.
QString visible(const QString& text, QStringView kept = {});

// One "caption: value" line per field, for people; a description's line
// breaks are the only control characters printed as they are.
QString textBlock(const QString& file, const snack::SnackRow& row, const snack::NameTables& names);
// The file, name and author, separated by tabs, on one line: a tab or line
// break in a cell becomes a blank.
QString textLine(const QString& file, const snack::SnackRow& row);
// One JSON object on one line: the file as given, its path's bytes in hex as
// "file_hex" when `fileBytes` (the bytes the text does not give exactly) is
// not empty, and every header field by its key.
QByteArray jsonLine(const QString& file, const QByteArray& fileBytes, const snack::SnackRow& row,
                    const snack::NameTables& names);

}  // namespace cli
