// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What show and ls print for one snack file: the header's values as the
// editor shows them, as text or as one line of JSON.
#include <QByteArray>
#include <QString>

#include "snack/collection.h"
#include "snack/names.h"

namespace cli {

// One "caption: value" line per field, for people.
QString textBlock(const QString& file, const snack::SnackRow& row, const snack::NameTables& names);
// The file, name and author, separated by tabs, on one line.
QString textLine(const QString& file, const snack::SnackRow& row);
// One JSON object on one line: the file as given and every header field by
// its key.
QByteArray jsonLine(const QString& file, const snack::SnackRow& row,
                    const snack::NameTables& names);

}  // namespace cli
