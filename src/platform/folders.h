// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading folders for the file and folder lists.
#include <QString>
#include <QStringList>
#include <optional>

namespace platform {

// The ordinary files of a folder (no folders, no hidden files, no devices),
// sorted by name as a file manager sorts them. nullopt when the folder cannot
// be read.
std::optional<QStringList> listFiles(const QString& folder);

// The subfolders of a folder, sorted the same way, hidden ones left out.
std::optional<QStringList> listSubfolders(const QString& folder);

// Sorts names as a file manager does: letters without regard to case, digits by value.
void sortNames(QStringList& names);

// The file-system roots a user can browse: on Linux "/" first, then the other
// mounted file systems; on Windows the drive letters.
QStringList fileSystemRoots();

}  // namespace platform
