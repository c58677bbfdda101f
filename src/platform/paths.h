// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Paths in the platform's own notation: "/" on Linux, "\" on Windows.
#include <QString>
#include <QStringList>

namespace platform {

QChar separator();
bool endsWithSeparator(const QString& path);
bool containsSeparator(const QString& name);

// A folder path followed by one separator; a path that already ends in one
// (a root) is returned unchanged.
QString folderText(const QString& folder);

// The folder and a file name inside it, with one separator between them,
// also when the folder text lacks its final one.
QString joinPath(const QString& folder, const QString& name);

// Native notation of a path Qt reports with "/".
QString nativePath(const QString& path);

}  // namespace platform
