// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/bytefile.h"

#include <QDir>
#include <QFileInfo>

#include "platform/writefaults.h"

#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#endif

namespace platform {

namespace {

QString tooShortToRead(qint64 offset, qint64 n) {
  return QStringLiteral("%1 バイト目から %2 バイトを読めません（ファイルが短すぎます）")
      .arg(offset)
      .arg(n);
}

// What a write that stopped without a reason is put down to.
QString stoppedWrite() {
  return QStringLiteral(
      "書き込みが途中で止まりました（ディスクの空きが足りないか、"
      "ファイルの大きさの上限に達しています）");
}

#ifdef Q_OS_WIN

// One read or write at an offset: the file is positioned first. -1 with
// `error` set on failure.
qint64 readSome(QFile& f, qint64 offset, char* data, qint64 n, QString* error) {
  const qint64 r = f.seek(offset) ? f.read(data, n) : -1;
  if (r < 0) *error = f.errorString();
  return r;
}

qint64 writeSome(QFile& f, qint64 offset, const char* data, qint64 n, QString* error) {
  n = permittedWrite(n, error);
  if (n < 0) return -1;
  const qint64 w = f.seek(offset) ? f.write(data, n) : -1;
  if (w < 0) *error = f.errorString();
  return w;
}

#else

// One read or write at an offset, in one call. -1 with `error` set on failure.
qint64 readSome(int fd, qint64 offset, char* data, qint64 n, QString* error) {
  ssize_t r;
  do r = ::pread(fd, data, static_cast<size_t>(n), static_cast<off_t>(offset));
  while (r < 0 && errno == EINTR);
  if (r < 0) *error = qt_error_string(errno);
  return r;
}

qint64 writeSome(int fd, qint64 offset, const char* data, qint64 n, QString* error) {
  n = permittedWrite(n, error);
  if (n < 0) return -1;
  ssize_t w;
  do w = ::pwrite(fd, data, static_cast<size_t>(n), static_cast<off_t>(offset));
  while (w < 0 && errno == EINTR);
  if (w < 0) *error = qt_error_string(errno);
  return w;
}

// Opens an existing file with `flags`; with `create`, makes a missing one with
// O_EXCL and sets `created` to the path made. O_EXCL does not follow a link
// to nothing, so such a link's target is made instead. -1 with errno set.
int openFile(const NativePath& path, int flags, NativePath* created, bool create) {
  NativePath target = path;
  for (int round = 0; round < 40; ++round) {
    int fd;
    do fd = ::open(target.bytes().constData(), flags | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd >= 0 || errno != ENOENT || !create) return fd;
    do fd = ::open(target.bytes().constData(), flags | O_CLOEXEC | O_CREAT | O_EXCL, 0666);
    while (fd < 0 && errno == EINTR);
    if (fd >= 0) {
      *created = target;
      return fd;
    }
    if (errno != EEXIST) return -1;
    // Either a file appeared (opened as it is on the next round) or the path
    // is a link to nothing: follow it one step.
    QByteArray to(4096, Qt::Uninitialized);
    const ssize_t n = ::readlink(target.bytes().constData(), to.data(), to.size());
    if (n < 0 || n >= to.size()) continue;
    to.truncate(n);
    if (!to.startsWith('/')) {
      const QByteArray& from = target.bytes();
      to.prepend(from.left(from.lastIndexOf('/') + 1));
    }
    target = NativePath::fromBytes(to);
  }
  errno = ELOOP;
  return -1;
}

#endif

}  // namespace

ByteFile::ByteFile(const NativePath& path) : path_(path) {
#ifdef Q_OS_WIN
  file_.setFileName(path.text());
#endif
}

ByteFile::ByteFile(const FolderEntry& entry) : ByteFile(entry.path) { folder_ = entry.folder; }

ByteFile::~ByteFile() { close(); }

bool ByteFile::fail(const QString& what) {
#ifdef Q_OS_WIN
  error_ = what.isEmpty() ? file_.errorString() : what;
#else
  error_ = what;
#endif
  return false;
}

#ifdef Q_OS_WIN

bool ByteFile::open(Mode mode) {
  // Only regular files: opening a named pipe would block, and a device has no header.
  const QFileInfo kind(path_.text());
  if (noLinks_ || noteLink_) {
    wasLink_ = kind.isSymbolicLink() || kind.isJunction();
    if (noLinks_ && wasLink_) return fail(QStringLiteral("リンクです"));
  }
  // (isFile first: one stat answers all three.)
  if (!kind.isFile() && !kind.isDir() && kind.exists())
    return fail(QStringLiteral("通常のファイルではありません"));
  QIODevice::OpenMode m = QIODevice::Unbuffered;
  if (mode == Mode::Read) {
    m |= QIODevice::ReadOnly;
  } else {
    m |= QIODevice::ReadWrite;
  }
  // CREATE_NEW for a file that is missing; should one appear meanwhile, it is
  // opened as it is on the next round.
  for (int round = 0; round < 2; ++round) {
    if (file_.open(mode == Mode::Read ? m : m | QIODevice::ExistingOnly)) return true;
    if (mode != Mode::CreateUpdate || QFileInfo::exists(path_.text())) break;
    if (file_.open(m | QIODevice::NewOnly)) {
      created_ = path_;
      return true;
    }
  }
  // Opening a folder or a missing file fails; say which it was.
  const QFileInfo info(path_.text());
  if (info.isDir()) return fail(QStringLiteral("フォルダです"));
  if (mode != Mode::CreateUpdate && !info.exists())
    return fail(QStringLiteral("ファイルがありません"));
  return fail({});
}

namespace {

// Whether `path` itself (a link not followed) is the file open as `handle`:
// the same volume and file index.
bool isOpenFile(int handle, const QString& path) {
  BY_HANDLE_FILE_INFORMATION mine{}, there{};
  const auto h = reinterpret_cast<HANDLE>(_get_osfhandle(handle));
  if (h == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(h, &mine)) return false;
  const std::wstring native = QDir::toNativeSeparators(path).toStdWString();
  const HANDLE p = CreateFileW(
      native.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (p == INVALID_HANDLE_VALUE) return false;
  const bool known = GetFileInformationByHandle(p, &there) != 0;
  CloseHandle(p);
  return known && mine.dwVolumeSerialNumber == there.dwVolumeSerialNumber &&
         mine.nFileIndexHigh == there.nFileIndexHigh && mine.nFileIndexLow == there.nFileIndexLow;
}

}  // namespace

void ByteFile::removeCreated() {
  const bool same = created() && file_.isOpen() && isOpenFile(file_.handle(), created_.text());
  file_.close();
  if (same) QFile::remove(created_.text());
  created_ = {};
}

QString ByteFile::qtFileName() const { return path_.text(); }

bool exists(const NativePath& path) { return QFileInfo::exists(path.text()); }
bool isLink(const NativePath& path) {
  const QFileInfo info(path.text());
  return info.isSymbolicLink() || info.isJunction();
}

qint64 ByteFile::size() const { return file_.size(); }

bool ByteFile::resize(qint64 size) {
  QString error;
  if (size > file_.size() && permittedWrite(size - file_.size(), &error, true) < 0)
    return fail(error);
  return file_.resize(size) || fail({});
}

bool ByteFile::syncToDisk() {
  if (!file_.flush()) return fail({});
  QString err;
  if (!syncHandle(file_.handle(), &err)) return fail(err);
  return true;
}

void ByteFile::close() { file_.close(); }

#else

// The file is opened by the bytes of its path: Qt would take the path for
// UTF-8, and a name in code page 932 would not be found. Only regular files
// are opened, and what was opened is checked again: the open does not wait,
// so a named pipe put in place meanwhile is refused rather than waited on (for
// regular files it changes nothing), and no terminal becomes the program's.
bool ByteFile::open(Mode mode) {
  close();
  wasLink_ = false;
  struct stat st {};
  // A device is never opened: opening one may act (a tape rewinds, a line
  // answers). Whatever replaces the file meanwhile is caught after the open.
  if (!listed_ && ::stat(path_.bytes().constData(), &st) == 0 && !S_ISREG(st.st_mode))
    return fail(S_ISDIR(st.st_mode) ? QStringLiteral("フォルダです")
                                    : QStringLiteral("通常のファイルではありません"));
  // Whether the path is a link is learnt from the open itself: the path is
  // tried as it is first, and only a link (ELOOP) costs another look.
  const int flags = (mode == Mode::Read ? O_RDONLY : O_RDWR) | O_NONBLOCK | O_NOCTTY;
  const bool asIs = noLinks_ || noteLink_;
  // A listed file is opened by its name in the listed folder, held open.
  auto openAs = [&](int extra) {
    if (!folder_ || mode == Mode::CreateUpdate)
      return openFile(path_, flags | extra, &created_, mode == Mode::CreateUpdate);
    const QByteArray& p = path_.bytes();
    const QByteArray name = p.mid(p.lastIndexOf('/') + 1);
    int fd;
    do fd = ::openat(folder_->descriptor(), name.constData(), flags | extra | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    return fd;
  };
  int fd = openAs(asIs ? O_NOFOLLOW : 0);
  if (fd < 0 && asIs && errno == ELOOP && isLink(path_)) {
    wasLink_ = true;
    if (noLinks_) return fail(QStringLiteral("リンクです"));
    fd = openAs(0);
  }
  if (fd >= 0) {
    const bool known = ::fstat(fd, &st) == 0;
    const int error = errno;
    if (known && S_ISREG(st.st_mode)) {
      fd_ = fd;
      size_ = st.st_size;
      return true;
    }
    ::close(fd);
    if (!known) return fail(qt_error_string(error));
    return fail(S_ISDIR(st.st_mode) ? QStringLiteral("フォルダです")
                                    : QStringLiteral("通常のファイルではありません"));
  }
  // Say what is there instead.
  const int error = errno;
  const bool there = ::stat(path_.bytes().constData(), &st) == 0;
  if (error == EISDIR || (there && S_ISDIR(st.st_mode)))
    return fail(QStringLiteral("フォルダです"));
  if (there && !S_ISREG(st.st_mode)) return fail(QStringLiteral("通常のファイルではありません"));
  // Nothing there: a missing file, a dangling link or a loop of links.
  if (mode != Mode::CreateUpdate && !there) return fail(QStringLiteral("ファイルがありません"));
  return fail(qt_error_string(error));
}

QString ByteFile::qtFileName() const {
  const QString name = QFile::decodeName(path_.bytes());
  if (QFile::encodeName(name) == path_.bytes() || fd_ < 0) return name;
  return QStringLiteral("/proc/self/fd/%1").arg(fd_);
}

bool exists(const NativePath& path) {
  struct stat st {};
  return ::stat(path.bytes().constData(), &st) == 0;
}

bool isLink(const NativePath& path) {
  struct stat st {};
  return ::lstat(path.bytes().constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

void ByteFile::removeCreated() {
  struct stat mine {};
  struct stat there {};
  const bool same = fd_ >= 0 && ::fstat(fd_, &mine) == 0 &&
                    ::lstat(created_.bytes().constData(), &there) == 0 &&
                    mine.st_dev == there.st_dev && mine.st_ino == there.st_ino;
  close();
  if (same) ::unlink(created_.bytes().constData());
  created_ = {};
}

qint64 ByteFile::size() const { return size_; }

bool ByteFile::resize(qint64 size) {
  QString error;
  if (size > size_ && permittedWrite(size - size_, &error, true) < 0) return fail(error);
  int r;
  do r = ::ftruncate(fd_, static_cast<off_t>(size));
  while (r < 0 && errno == EINTR);
  if (r < 0) return fail(qt_error_string(errno));
  size_ = size;
  return true;
}

bool ByteFile::syncToDisk() {
  QString err;
  if (!syncHandle(fd_, &err)) return fail(err);
  return true;
}

void ByteFile::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

#endif

bool ByteFile::readAt(qint64 offset, qint64 n, QByteArray& out) {
  out.resize(n);
  qint64 got = 0;
  QString error;
  while (got < n) {
    const qint64 r = readSome(handle(), offset + got, out.data() + got, n - got, &error);
    if (r < 0) return fail(error);
    if (r == 0) return fail(tooShortToRead(offset, n));
    got += r;
  }
  return true;
}

bool ByteFile::writeAt(qint64 offset, QByteArrayView bytes) {
  qint64 done = 0;
  QString error;
  while (done < bytes.size()) {
    const qint64 w =
        writeSome(handle(), offset + done, bytes.data() + done, bytes.size() - done, &error);
    if (w < 0) return fail(error);
    if (w == 0) return fail(stoppedWrite());
    done += w;
    grewTo(offset + done);
  }
  return true;
}

bool ByteFile::writeByteAt(qint64 offset, quint8 value) {
  const char b = static_cast<char>(value);
  return writeAt(offset, QByteArrayView(&b, 1));
}

bool ByteFile::writeU16At(qint64 offset, quint16 value) {
  const char b[2] = {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
  return writeAt(offset, QByteArrayView(b, 2));
}

QString writeFailure(const QIODevice& device) {
  const QString reason = device.errorString();
  if (!reason.isEmpty() && reason != QLatin1String("Unknown error")) return reason;
  return stoppedWrite();
}

bool appendFile(QIODevice& to, const QString& from, qint64 piece, QString* error) {
  QFile in(from);
  if (!in.open(QIODevice::ReadOnly)) {
    *error = QStringLiteral("「%1」を開けません：%2")
                 .arg(QDir::toNativeSeparators(from), in.errorString());
    return false;
  }
  QByteArray buf(piece, Qt::Uninitialized);
  for (;;) {
    const qint64 r = in.read(buf.data(), piece);
    if (r < 0) {
      *error = QStringLiteral("「%1」を読めません：%2")
                   .arg(QDir::toNativeSeparators(from), in.errorString());
      return false;
    }
    if (r == 0) return true;
    const qint64 n = permittedWrite(r, error);
    if (n < 0) return false;
    if (to.write(buf.constData(), n) != r) {
      *error = writeFailure(to);
      return false;
    }
  }
}

}  // namespace platform
