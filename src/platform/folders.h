// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading folders for the file and folder lists.
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

#include "platform/paths.h"

namespace platform {

// A listed folder kept open while its entries are in use (on POSIX its
// descriptor), so that they are opened in the folder the listing read, without
// looking up the folder's path again for each.
class OpenFolder {
 public:
  explicit OpenFolder(int descriptor) : descriptor_(descriptor) {}
  ~OpenFolder();
  OpenFolder(const OpenFolder&) = delete;
  OpenFolder& operator=(const OpenFolder&) = delete;
  int descriptor() const { return descriptor_; }

 private:
  int descriptor_;
};

// One entry of a folder: the name the lists show (shownName) and the entry's
// exact path, under which it is opened whatever bytes its name is made of;
// `folder`, when set, the folder it was listed in, held open.
struct FolderEntry {
  QString name;
  NativePath path;
  std::shared_ptr<const OpenFolder> folder = {};
};
using FolderEntries = QList<FolderEntry>;

// The ordinary files of a folder (no folders, no hidden files, no devices),
// sorted by shown name as a file manager sorts them. nullopt when the folder
// cannot be read. An empty path names the working folder.
std::optional<FolderEntries> listFiles(const NativePath& folder);

// The subfolders of a folder, sorted the same way, hidden ones left out.
std::optional<FolderEntries> listSubfolders(const NativePath& folder);

// The shown names of the entries, in their order.
QStringList shownNames(const FolderEntries& entries);

// Sorts names as a file manager does: letters without regard to case, digits by value.
void sortNames(QStringList& names);

// The key sortNames compares: punctuation and blanks first, then runs of
// digits by their value, then letters without regard to case.
QString sortKey(const QString& name);

// The file-system roots a user can browse: on Linux "/" first, then the other
// mounted file systems; on Windows the drive letters.
QStringList fileSystemRoots();

}  // namespace platform
