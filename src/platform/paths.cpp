// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/paths.h"

#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>

#include "platform/sjis.h"

#ifndef Q_OS_WIN
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>
#endif

namespace platform {

QChar separator() { return QDir::separator(); }

bool endsWithSeparator(const QString& path) {
  return path.endsWith(separator()) || path.endsWith(QLatin1Char('/'));
}

bool containsSeparator(const QString& name) {
  return name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\'));
}

bool keepsFileName(const QString& name) {
#ifdef Q_OS_WIN
  // Windows drops a final dot or blank, reads "x:y" as a drive or a stream,
  // and gives device names such as NUL or COM1 (with any extension) to the device.
  if (name.endsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char(' '))) return false;
  for (const QChar c : name) {
    if (c.unicode() < 32 || QStringView(u"<>:\"|?*").contains(c)) return false;
  }
  static const QStringList devices = {
      "CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7",
      "COM8", "COM9", "LPT1", "LPT2", "LPT3", "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9"};
  const QString stem = name.section(QLatin1Char('.'), 0, 0).trimmed();
  return !devices.contains(stem, Qt::CaseInsensitive);
#else
  return !name.contains(QChar(0));
#endif
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

QString shownName(const QByteArray& name) {
  // Stateless: a sequence cut off at the end counts as bad bytes too. Every
  // byte that is not part of a valid sequence gives one U+FFFD.
  QStringDecoder decoder(QStringDecoder::Utf8,
                         QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
  const QString utf8 = decoder(name);
  if (!decoder.hasError()) return utf8;
  // Code page 932 has no code for U+FFFD, so one in the reading marks a byte
  // without a character.
  const QString sjis = fromSjis(name);
  if (!sjis.contains(QChar(0xFFFD))) return sjis;
  return utf8;
}

NativePath::NativePath(const QString& text) : bytes_(text.toUtf8()) {}

NativePath NativePath::fromBytes(const QByteArray& bytes) {
  NativePath p;
  p.bytes_ = bytes;
  return p;
}

NativePath NativePath::child(const QByteArray& name) const {
  if (bytes_.isEmpty()) return fromBytes(name);
#ifdef Q_OS_WIN
  if (bytes_.endsWith('/') || bytes_.endsWith('\\')) return fromBytes(bytes_ + name);
  return fromBytes(bytes_ + '\\' + name);
#else
  return fromBytes(bytes_.endsWith('/') ? bytes_ + name : bytes_ + '/' + name);
#endif
}

#ifdef Q_OS_WIN

QString NativePath::shown() const { return QDir::toNativeSeparators(text()); }

QString NativePath::shownFileName() const {
  return isRoot() ? shown() : QFileInfo(text()).fileName();
}

NativePath NativePath::absolute() const {
  return NativePath(QDir::cleanPath(QFileInfo(text()).absoluteFilePath()));
}

QList<NativePath> NativePath::chain() const {
  QList<NativePath> folders;
  QDir dir(text());
  folders.prepend(NativePath(dir.absolutePath()));
  while (dir.cdUp()) folders.prepend(NativePath(dir.absolutePath()));
  return folders;
}

bool NativePath::isRoot() const { return QDir(text()).isRoot(); }

NativePath resolveShownPath(const QString& text) { return NativePath(text); }

ShownPathMatch matchShownPath(const QString& text) { return {NativePath(text), {}}; }

NativePath currentFolder() { return NativePath(QDir::currentPath()); }

#else

QString NativePath::shown() const {
  QStringList names;
  for (const QByteArray& name : bytes_.split('/')) names.append(shownName(name));
  return names.join(QLatin1Char('/'));
}

QString NativePath::shownFileName() const {
  if (isRoot()) return QStringLiteral("/");
  QByteArray p = bytes_;
  while (p.endsWith('/')) p.chop(1);
  return shownName(p.mid(p.lastIndexOf('/') + 1));
}

NativePath NativePath::absolute() const {
  const QByteArray p = bytes_.startsWith('/') ? bytes_ : currentFolder().bytes_ + '/' + bytes_;
  QList<QByteArray> names;
  for (const QByteArray& name : p.split('/')) {
    if (name.isEmpty() || name == ".") continue;
    if (name == "..") {
      if (!names.isEmpty()) names.removeLast();
      continue;
    }
    names.append(name);
  }
  return fromBytes('/' + names.join('/'));
}

QList<NativePath> NativePath::chain() const {
  QList<NativePath> folders{fromBytes("/")};
  QByteArray p;
  for (const QByteArray& name : bytes_.split('/')) {
    if (name.isEmpty()) continue;
    p += '/' + name;
    folders.append(fromBytes(p));
  }
  return folders;
}

bool NativePath::isRoot() const { return bytes_ == "/"; }

namespace {

bool entryExists(const QByteArray& path) {
  struct stat st {};
  return ::lstat(path.constData(), &st) == 0;
}

// The bytes under which `name` is found in `folder` (empty: the working
// folder, else ending in "/").
QByteArray lookUp(const QByteArray& folder, const QString& name) {
  const QByteArray own = name.toUtf8();
  if (entryExists(folder + own)) return own;
  const SjisEncoding sjis = toSjis(name);
  if (sjis.ok && entryExists(folder + sjis.bytes)) return sjis.bytes;
  // A name whose characters have more than one code, or one with bytes that
  // read as neither: the entry that shows as it, the first by its bytes.
  QByteArray found;
  if (DIR* dir = ::opendir(folder.isEmpty() ? "." : folder.constData())) {
    while (const dirent* e = ::readdir(dir)) {
      const QByteArray entry(e->d_name);
      if (entry == "." || entry == "..") continue;
      if ((found.isEmpty() || entry < found) && shownName(entry) == name) found = entry;
    }
    ::closedir(dir);
  }
  return found.isEmpty() ? own : found;
}

// The entries of `folder` (as for lookUp) that show as `name`, at most two.
QList<QByteArray> entriesShownAs(const QByteArray& folder, const QString& name) {
  QList<QByteArray> found;
  if (DIR* dir = ::opendir(folder.isEmpty() ? "." : folder.constData())) {
    while (const dirent* e = ::readdir(dir)) {
      const QByteArray entry(e->d_name);
      if (entry == "." || entry == "..") continue;
      if (shownName(entry) == name) found.append(entry);
      if (found.size() > 1) break;
    }
    ::closedir(dir);
  }
  return found;
}

}  // namespace

ShownPathMatch matchShownPath(const QString& text) {
  QByteArray path;
  const QStringList names = text.split(QLatin1Char('/'));
  for (qsizetype i = 0; i < names.size(); ++i) {
    const QString& name = names[i];
    if (i > 0) path += '/';
    const QByteArray own = name.toUtf8();
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") ||
        entryExists(path + own)) {
      path += own;
      continue;
    }
    const QList<QByteArray> found = entriesShownAs(path, name);
    if (found.size() > 1) return {{}, names.mid(0, i + 1).join(QLatin1Char('/'))};
    path += found.isEmpty() ? own : found.first();
  }
  return {NativePath::fromBytes(path), {}};
}

NativePath resolveShownPath(const QString& text) {
  QByteArray path;
  const QStringList names = text.split(QLatin1Char('/'));
  for (qsizetype i = 0; i < names.size(); ++i) {
    const QString& name = names[i];
    if (i > 0) path += '/';
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
      path += name.toUtf8();
    else
      path += lookUp(path, name);
  }
  return NativePath::fromBytes(path);
}

NativePath currentFolder() {
  std::vector<char> buffer(4096);
  while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return NativePath(QDir::currentPath());
    buffer.resize(buffer.size() * 2);
  }
  return NativePath::fromBytes(QByteArray(buffer.data()));
}

#endif

}  // namespace platform
