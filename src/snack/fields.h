// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Conversions between the texts of the editor's boxes and header values.
// Errors are Japanese messages that name the field by its caption.
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

#include "snack/layout.h"

namespace snack {

inline const QString kUnlimitedText = QStringLiteral("無制限");

// The editor's names for what it shows. A field is named by the caption
// beside its box; the opened date and time boxes by their frame and their part
// ("おやつ開封日時（年）"); the spare by none.
QString fieldCaption(Field field);
inline const QString kOpenedCaption = QStringLiteral("おやつ開封日時");
inline const QString kFileCaption = QStringLiteral("おやつファイル");
inline const QString kUnopenedText = QStringLiteral("未開封");
inline const QString kOpenedText = QStringLiteral("開封");
// The item a list of snack types or eating sounds shows for a name: an empty
// name as "--------".
QString listItemText(const QString& name);

// A whole number in plain or full-width digits, blanks around it allowed.
// Values above 65535 become 65535. With allowUnlimited, "無制限" is 65535.
std::optional<std::uint16_t> parseNumber(const QString& text, const QString& caption,
                                         bool allowUnlimited, QString* error);
// A whole number from 0 to 255.
std::optional<std::uint8_t> parseByte(const QString& text, const QString& caption, QString* error);
// The Shift-JIS bytes of a box's text (line breaks stored as CR LF), at most 255.
std::optional<QByteArray> encodeText(const QString& text, const QString& caption, QString* error);

// What a box shows for stored bytes: line breaks CR LF become the box's own.
QString displayText(const QByteArray& sjis);
// Decimal form, or "無制限" for 65535 where the field knows unlimited.
QString numberText(std::uint16_t value, bool unlimited);

// One box of the editor as a save collects it or a load fills it.
struct BoxEntry {
  QString caption;    // names the field in messages
  QString text;       // what a text or number box shows
  int position = -1;  // a list's selected item, or -1 for none
  // A text box that still shows what the last load put there: its bytes, so
  // that an unchanged text is saved as it was read.
  std::optional<QByteArray> keptBytes;

  bool operator==(const BoxEntry&) const = default;
};
using BoxEntries = std::array<BoxEntry, kFieldCount>;  // indexed by Field

// The header values the boxes hold; or nullopt, with `error` naming the first
// box (in the order of kFields) whose content the header cannot hold.
std::optional<HeaderValues> valuesFromBoxes(const BoxEntries& boxes, QString* error);

// Whether two entries of the box showing `f` stand for the same value ("07"
// and "7", "７" and "7"); entries that do not hold a value compare as texts.
bool sameValue(const FieldLayout& f, const BoxEntry& a, const BoxEntry& b);

// What each box shows for a record: texts, numbers and list positions; each
// text keeps the bytes it came from, so that a save of it unchanged writes them.
BoxEntries shownBoxes(const SnackRecordType& record);

}  // namespace snack
