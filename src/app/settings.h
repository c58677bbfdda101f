// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The three settings files of the working folder: cookenv.ini (the snack
// folder), Foodtype.ini and sound.ini (names). Shift-JIS, lines end in CR LF.
#include <QString>
#include <QStringList>
#include <optional>

#include "app/module1.h"

inline const QString kCookenvFile = QStringLiteral("cookenv.ini");
inline const QString kFoodTypeFile = QStringLiteral("Foodtype.ini");
inline const QString kSoundFile = QStringLiteral("sound.ini");
inline const QString kNoFolder = QStringLiteral("NONE");

// Splits decoded text into entries: a comma or a line end ends an entry,
// double quotes are dropped.
QStringList ReadEntries(const QString& text);

// The whole first line of cookenv.ini without its line end. nullopt with a
// message when the file is missing, unreadable or empty. The file is read
// from `folder` when one is given, else from the working folder.
std::optional<QString> ReadSnackFolder(QString* error, const QString& folder = {});

// Replaces cookenv.ini with one line: the folder text and CR LF. Nothing is
// written when the text has no Shift-JIS form or the file cannot be written.
bool WriteSnackFolder(const QString& folder, QString* error);

// Stores every entry of the file in the table: index from the first three
// characters, name from the fifth on. Lines shorter than four characters and
// indices outside 0 to 256 are skipped. False with a message when the file
// cannot be read.
bool ReadNameTable(const QString& fileName, snack::NameList& table, QString* error);
// The same for text already decoded.
void ReadNameTableText(const QString& text, snack::NameList& table);

// Reads a whole settings file as decoded text.
std::optional<QString> ReadSettingsText(const QString& fileName, QString* error);
