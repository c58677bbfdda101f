// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Paths in the platform's own notation: "/" on Linux, "\" on Windows.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace platform {

QChar separator();
bool endsWithSeparator(const QString& path);
bool containsSeparator(const QString& name);
// Whether the file system keeps a file name as it is given. Windows drops a
// final dot or blank ("head.dat." is "head.dat") and gives some names other
// meanings (a drive, a stream, a device); elsewhere every name without a
// separator is kept.
bool keepsFileName(const QString& name);

// A folder path followed by one separator; a path that already ends in one
// (a root) is returned unchanged.
QString folderText(const QString& folder);

// The folder and a file name inside it, with one separator between them,
// also when the folder text lacks its final one.
QString joinPath(const QString& folder, const QString& name);

// Native notation of a path Qt reports with "/".
QString nativePath(const QString& path);

// A path exactly as the file system holds it. On POSIX these are the bytes of
// the path, which need not be UTF-8: archives from Japanese Windows machines
// keep their names in code page 932. On Windows, where names are Unicode, the
// path's text held as UTF-8.
class NativePath {
 public:
  NativePath() = default;
  // A path given as text, in the system's own form (UTF-8 on POSIX): the
  // paths the program makes itself. Not explicit, so such paths pass as they are.
  NativePath(const QString& text);
  static NativePath fromBytes(const QByteArray& bytes);

  const QByteArray& bytes() const { return bytes_; }
  bool isEmpty() const { return bytes_.isEmpty(); }

  // The path as the user sees it: every name as shownName() gives it, in
  // native notation.
  QString shown() const;
  // The last name as shown; a root shown whole.
  QString shownFileName() const;
  // The entry `name` (bytes of one name) inside this folder.
  NativePath child(const QByteArray& name) const;
  // Made absolute against the working folder, without "." and ".." names and
  // doubled separators; links are not followed.
  NativePath absolute() const;
  // For an absolute path: every folder from its root down to the path itself.
  QList<NativePath> chain() const;
  bool isRoot() const;
#ifdef Q_OS_WIN
  // The path for the platform's own calls.
  QString text() const { return QString::fromUtf8(bytes_); }
#endif

  friend bool operator==(const NativePath& a, const NativePath& b) { return a.bytes_ == b.bytes_; }

 private:
  QByteArray bytes_;
};

// How one name of the file system shows: valid UTF-8 as it is; otherwise, when
// every byte of it decodes as code page 932, that reading; otherwise as UTF-8
// with U+FFFD for each byte that is not part of a valid sequence.
QString shownName(const QByteArray& name);

// The path a folder text names, such as "cookenv.ini" holds it: the text as
// shown. Each name is looked up in the system's own form first, then as its
// code page 932 bytes, then as an entry that shows as that name; a name found
// in none of these keeps the system's own form. On Windows the text itself.
NativePath resolveShownPath(const QString& text);

// A path given as shown text, as a command line's operand names it: each name
// is the entry of that name in the system's own form, else the one entry that
// shows as it. When several entries show as a name, `several` is the text of
// the path up to that name and `path` is empty; a name no entry shows as keeps
// the system's own form. On Windows the text itself.
struct ShownPathMatch {
  NativePath path;
  QString several;
};
ShownPathMatch matchShownPath(const QString& text);

// The process's working folder.
NativePath currentFolder();

}  // namespace platform
