#include "platform/folders.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>
#include <algorithm>
#include <vector>

namespace platform {

namespace {

std::optional<QStringList> list(const QString& folder, QDir::Filters filters) {
  const QFileInfo info(folder);
  if (folder.isEmpty() || !info.isDir() || !info.isReadable()) return std::nullopt;
  QDir dir(folder);
  if (!dir.isReadable()) return std::nullopt;
  QStringList names = dir.entryList(filters | QDir::NoDotAndDotDot, QDir::NoSort);
  sortNames(names);
  return names;
}

}  // namespace

void sortNames(QStringList& names) {
  QCollator collator;
  collator.setNumericMode(true);
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  std::vector<std::pair<QCollatorSortKey, qsizetype>> keys;
  keys.reserve(names.size());
  for (qsizetype i = 0; i < names.size(); ++i) keys.emplace_back(collator.sortKey(names[i]), i);
  std::stable_sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) {
    return a.first.compare(b.first) < 0;
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
  for (const QFileInfo& d : QDir::drives()) roots.append(QDir::toNativeSeparators(d.absoluteFilePath()));
#else
  roots.append(QStringLiteral("/"));
  static const QStringList pseudo = {"proc", "sysfs", "tmpfs", "devtmpfs", "devpts", "cgroup",
                                     "cgroup2", "overlay", "squashfs", "mqueue", "debugfs",
                                     "tracefs", "securityfs", "pstore", "bpf", "autofs",
                                     "hugetlbfs", "configfs", "fusectl", "binfmt_misc", "nsfs"};
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
