// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Byte access to files at 0-based offsets. Every operation returns false on
// failure (a short read counts as one) and errorString() then says why.
#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>
#include <algorithm>

#include "platform/folders.h"
#include "platform/paths.h"

namespace platform {

class ByteFile {
 public:
  enum class Mode {
    Read,    // existing file, read only
    Update,  // existing file, read and write, never truncated
    // As Update; when nothing is at the path the file is made, exclusively,
    // so that a file appearing meanwhile is opened, never truncated. A link
    // to nothing makes its target, as writing through the link would.
    CreateUpdate,
  };

  explicit ByteFile(const NativePath& path);
  // An entry of a folder listing: opened in the folder the listing holds open
  // (to read or update; a file is made by its path).
  explicit ByteFile(const FolderEntry& entry);
  ~ByteFile();
  ByteFile(const ByteFile&) = delete;
  ByteFile& operator=(const ByteFile&) = delete;

  // Opens regular files only: a folder, a named pipe or a device is refused.
  bool open(Mode mode);
  // The path was shown as a regular file by a folder listing just now: the
  // next open does not look at it again first. Whatever has replaced it
  // since is still refused after the open, which never waits.
  void markListed() { listed_ = true; }
  // The next open refuses a path that is itself a symbolic link (or, on
  // Windows, a junction), whatever it points to: "リンクです".
  void refuseLinks() { noLinks_ = true; }
  // The next open notes whether the path itself is a link (wasLink()), and
  // opens the file through it all the same.
  void noteLink() { noteLink_ = true; }
  bool wasLink() const { return wasLink_; }
  // The size when the file was opened, as this object's own writes and
  // resize() have changed it since.
  qint64 size() const;

  // Reads exactly n bytes at offset; a short read is an error.
  bool readAt(qint64 offset, qint64 n, QByteArray& out);
  bool writeAt(qint64 offset, QByteArrayView bytes);
  bool writeByteAt(qint64 offset, quint8 value);
  bool writeU16At(qint64 offset, quint16 value);
  bool resize(qint64 size);
  // Pushes everything written so far to the disk.
  bool syncToDisk();
  void close();
  // Whether open() made the file.
  bool created() const { return !created_.isEmpty(); }
  // Closes the file and, when open() made it, removes it again, provided the
  // same file is still there: never a link, nor a file that was there before.
  void removeCreated();

  // A name under which Qt's file classes open this open file: its path when
  // Qt reads the path's bytes back as they are; otherwise (on Linux, a name
  // that is not UTF-8) the open descriptor's name under /proc/self/fd.
  QString qtFileName() const;

  const NativePath& path() const { return path_; }
  QString errorString() const { return error_; }

 private:
  bool fail(const QString& what);
#ifdef Q_OS_WIN
  QFile file_;
  QFile& handle() { return file_; }
  void grewTo(qint64) {}
#else
  // The file is read and written by its descriptor alone, at offsets.
  int fd_ = -1;
  qint64 size_ = 0;
  int handle() const { return fd_; }
  void grewTo(qint64 end) { size_ = std::max(size_, end); }
#endif
  NativePath path_;
  std::shared_ptr<const OpenFolder> folder_;
  QString error_;
  NativePath created_;  // the file open() made, when it made one
  bool listed_ = false;
  bool noLinks_ = false;
  bool noteLink_ = false;
  bool wasLink_ = false;
};

// Whether anything exists at the path.
bool exists(const NativePath& path);
// Whether the path itself is a symbolic link (or, on Windows, a junction),
// whatever it points to.
bool isLink(const NativePath& path);

// fsync on POSIX, FlushFileBuffers on Windows, for an open file handle.
bool syncHandle(int handle, QString* error);

// Why a write to `device` failed, in words: a short or failed flush often comes
// without a reason from the device.
QString writeFailure(const QIODevice& device);

// Copies the whole of `from` to the end of `to`, in pieces of `piece` bytes.
bool appendFile(QIODevice& to, const QString& from, qint64 piece, QString* error);

}  // namespace platform
