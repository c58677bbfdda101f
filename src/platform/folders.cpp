// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/folders.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>
#include <algorithm>
#include <vector>

#ifndef Q_OS_WIN
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace platform {

OpenFolder::~OpenFolder() {
#ifndef Q_OS_WIN
  if (descriptor_ >= 0) ::close(descriptor_);
#endif
}

namespace {

// Sorts entries by the key of their shown names; equal ones by name, then by bytes.
void sortEntries(FolderEntries& entries);

#ifdef Q_OS_WIN

std::optional<FolderEntries> list(const NativePath& folder, QDir::Filters filters) {
  // An empty folder text names the working folder.
  const QString path = folder.isEmpty() ? QStringLiteral(".") : folder.text();
  // No Windows path is longer than 32,767 characters; longer text names no folder
  // (Wine answers such a path as if it were the working folder).
  constexpr qsizetype kLongestPath = 32767;
  if (path.size() > kLongestPath) return std::nullopt;
  const QFileInfo info(path);
  if (!info.isDir() || !info.isReadable()) return std::nullopt;
  QDir dir(path);
  if (!dir.isReadable()) return std::nullopt;
  FolderEntries entries;
  for (const QString& name : dir.entryList(filters | QDir::NoDotAndDotDot, QDir::NoSort))
    entries.append({name, folder.child(name.toUtf8())});
  sortEntries(entries);
  return entries;
}

#else

// Names are read as the bytes the file system holds: QDir reads them as UTF-8
// and loses those that are not.
std::optional<FolderEntries> list(const NativePath& folder, bool folders) {
  DIR* dir = ::opendir(folder.isEmpty() ? "." : folder.bytes().constData());
  if (!dir) return std::nullopt;
  FolderEntries entries;
  // Files are opened relative to the folder as it was read.
  std::shared_ptr<const OpenFolder> open;
  if (!folders) {
    const int kept = ::fcntl(::dirfd(dir), F_DUPFD_CLOEXEC, 0);
    if (kept >= 0) open = std::make_shared<const OpenFolder>(kept);
  }
  while (const dirent* e = ::readdir(dir)) {
    const QByteArray name(e->d_name);
    // Hidden names, and "." and "..".
    if (name.startsWith('.')) continue;
    // The folder tells most entries' kinds itself. Links count as what they
    // point to (a broken one is left out), and an entry of a kind the file
    // system does not tell is looked up.
    bool wanted;
    if (e->d_type == DT_REG || e->d_type == DT_DIR) {
      wanted = (e->d_type == DT_DIR) == folders;
    } else if (e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) {
      struct stat st {};
      if (::fstatat(::dirfd(dir), e->d_name, &st, 0) != 0) continue;
      wanted = folders ? S_ISDIR(st.st_mode) : S_ISREG(st.st_mode);
    } else {
      wanted = false;  // pipes, sockets and devices
    }
    if (!wanted) continue;
    entries.append({shownName(name), folder.child(name), open});
  }
  ::closedir(dir);
  sortEntries(entries);
  return entries;
}

#endif

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

namespace {

void sortEntries(FolderEntries& entries) {
  std::vector<std::pair<QString, qsizetype>> keys;
  keys.reserve(entries.size());
  for (qsizetype i = 0; i < entries.size(); ++i) keys.emplace_back(sortKey(entries[i].name), i);
  std::sort(keys.begin(), keys.end(), [&entries](const auto& a, const auto& b) {
    const int c = a.first.compare(b.first);
    if (c != 0) return c < 0;
    const FolderEntry& x = entries[a.second];
    const FolderEntry& y = entries[b.second];
    if (x.name != y.name) return x.name < y.name;
    return x.path.bytes() < y.path.bytes();
  });
  FolderEntries sorted;
  sorted.reserve(entries.size());
  for (const auto& k : keys) sorted.append(entries[k.second]);
  entries = std::move(sorted);
}

}  // namespace

void sortNames(QStringList& names) {
  FolderEntries entries;
  entries.reserve(names.size());
  for (const QString& name : names) entries.append({name, {}});
  sortEntries(entries);
  names = shownNames(entries);
}

QStringList shownNames(const FolderEntries& entries) {
  QStringList names;
  names.reserve(entries.size());
  for (const FolderEntry& e : entries) names.append(e.name);
  return names;
}

#ifdef Q_OS_WIN
std::optional<FolderEntries> listFiles(const NativePath& folder) {
  return list(folder, QDir::Files);
}

std::optional<FolderEntries> listSubfolders(const NativePath& folder) {
  return list(folder, QDir::Dirs);
}
#else
std::optional<FolderEntries> listFiles(const NativePath& folder) { return list(folder, false); }

std::optional<FolderEntries> listSubfolders(const NativePath& folder) { return list(folder, true); }
#endif

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
