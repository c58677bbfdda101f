// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/paths.h"

#include <QDir>

namespace platform {

QChar separator() { return QDir::separator(); }

bool endsWithSeparator(const QString& path) {
  return path.endsWith(separator()) || path.endsWith(QLatin1Char('/'));
}

bool containsSeparator(const QString& name) {
  return name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\'));
}

QString folderText(const QString& folder) {
  const QString native = nativePath(folder);
  return endsWithSeparator(native) ? native : native + separator();
}

QString joinPath(const QString& folder, const QString& name) {
  if (folder.isEmpty() || endsWithSeparator(folder)) return folder + name;
  return folder + separator() + name;
}

QString nativePath(const QString& path) { return QDir::toNativeSeparators(path); }

}  // namespace platform
