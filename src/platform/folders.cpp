// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/folders.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>
#include <algorithm>
#include <vector>

namespace platform {

namespace {

std::optional<QStringList> list(const QString& folder, QDir::Filters filters) {
  // An empty folder text names the working folder.
  if (folder.isEmpty()) return list(QStringLiteral("."), filters);
  const QFileInfo info(folder);
  if (!info.isDir() || !info.isReadable()) return std::nullopt;
  QDir dir(folder);
  if (!dir.isReadable()) return std::nullopt;
  QStringList names = dir.entryList(filters | QDir::NoDotAndDotDot, QDir::NoSort);
  sortNames(names);
  return names;
}

}  // namespace

// A key that orders names as a file manager does: punctuation and blanks first,
// then runs of digits by their value ("a9" before "a10"), then letters without
// regard to case: "a.pac", "a9.pac", "a10.pac", "B.pac", "b1.pac".
QString sortKey(const QString& name) {
  QString key;
  key.reserve(name.size() + 8);
  const qsizetype n = name.size();
  for (qsizetype i = 0; i < n;) {
    if (name[i].isDigit() && name[i].unicode() < 0x80) {
      qsizetype j = i;
      while (j < n && name[j].isDigit() && name[j].unicode() < 0x80) ++j;
      qsizetype first = i;
      while (first + 1 < j && name[first] == QLatin1Char('0')) ++first;
      // A marker above punctuation's and below every letter, then the length, so
      // longer numbers sort later.
      key.append(QChar(0x02)).append(QChar(static_cast<char16_t>(0x20 + (j - first))));
      key.append(QStringView(name).mid(first, j - first));
      i = j;
    } else if (name[i].isLetterOrNumber() || name[i].isMark()) {
      key.append(name[i].toCaseFolded());
      ++i;
    } else {
      key.append(QChar(0x01)).append(name[i]);  // punctuation, symbols and blanks
      ++i;
    }
  }
  return key;
}

void sortNames(QStringList& names) {
  std::vector<std::pair<QString, qsizetype>> keys;
  keys.reserve(names.size());
  for (qsizetype i = 0; i < names.size(); ++i) keys.emplace_back(sortKey(names[i]), i);
  std::sort(keys.begin(), keys.end(), [&names](const auto& a, const auto& b) {
    const int c = a.first.compare(b.first);
    if (c != 0) return c < 0;
    return names[a.second] < names[b.second];
  });
  QStringList sorted;
  sorted.reserve(names.size());
  for (const auto& k : keys) sorted.append(names[k.second]);
  names = std::move(sorted);
}

std::optional<QStringList> listFiles(const QString& folder) { return list(folder, QDir::Files); }

std::optional<QStringList> listSubfolders(const QString& folder) {
  return list(folder, QDir::Dirs);
}

QStringList fileSystemRoots() {
  QStringList roots;
#ifdef Q_OS_WIN
  for (const QFileInfo& d : QDir::drives())
    roots.append(QDir::toNativeSeparators(d.absoluteFilePath()));
#else
  roots.append(QStringLiteral("/"));
  static const QStringList pseudo = {
      "proc",    "sysfs",    "tmpfs",     "devtmpfs", "devpts",  "cgroup",      "cgroup2",
      "overlay", "squashfs", "mqueue",    "debugfs",  "tracefs", "securityfs",  "pstore",
      "bpf",     "autofs",   "hugetlbfs", "configfs", "fusectl", "binfmt_misc", "nsfs"};
  QStringList others;
  for (const QStorageInfo& v : QStorageInfo::mountedVolumes()) {
    const QString root = v.rootPath();
    if (root == QLatin1String("/") || !v.isValid() || !v.isReady()) continue;
    if (pseudo.contains(QString::fromLatin1(v.fileSystemType()))) continue;
    if (root.startsWith(QLatin1String("/proc")) || root.startsWith(QLatin1String("/sys")) ||
        root.startsWith(QLatin1String("/dev")) || root.startsWith(QLatin1String("/run")))
      continue;
    if (!QFileInfo(root).isReadable()) continue;
    others.append(root);
  }
  std::sort(others.begin(), others.end());
  others.removeDuplicates();
  roots.append(others);
#endif
  return roots;
}

}  // namespace platform
