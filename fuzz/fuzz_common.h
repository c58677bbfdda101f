// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Helpers shared by the fuzz targets: invariant checks that abort (so both
// libFuzzer and the replay driver report them), arbitrary bytes as text, and
// a scratch working folder.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(cond)                                                                 \
  do {                                                                                   \
    if (!(cond)) {                                                                       \
      std::fprintf(stderr, "invariant failed: %s (%s:%d)\n", #cond, __FILE__, __LINE__); \
      std::abort();                                                                      \
    }                                                                                    \
  } while (0)

namespace fuzz {

inline QByteArray bytesOf(const std::uint8_t* data, std::size_t size) {
  return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

// The first byte chooses how the rest is read: even as UTF-8 (invalid
// sequences become U+FFFD), odd as UTF-16 (lone surrogates kept).
inline QString text(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return {};
  const QByteArray rest = bytesOf(data + 1, size - 1);
  if ((data[0] & 1) == 0) return QString::fromUtf8(rest);
  return QString(reinterpret_cast<const QChar*>(rest.constData()), rest.size() / 2);
}

// A folder of our own for the files a target writes, removed at exit. Kept
// in memory (/dev/shm) when the system has it, so fsync costs nothing.
inline QDir scratch() {
  static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                               ? QStringLiteral("/dev/shm/crumbfuzz-XXXXXX")
                               : QDir::tempPath() + QStringLiteral("/crumbfuzz-XXXXXX"));
  FUZZ_CHECK(dir.isValid());
  return QDir(dir.path());
}

// The settings files are read from the working folder: the scratch folder
// becomes the working folder (libFuzzer must then be given absolute paths).
inline void enterScratch() {
  static const bool entered = QDir::setCurrent(scratch().path());
  FUZZ_CHECK(entered);
}

inline void writeFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  FUZZ_CHECK(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  FUZZ_CHECK(f.write(bytes) == bytes.size());
}

inline QByteArray readFile(const QString& path) {
  QFile f(path);
  FUZZ_CHECK(f.open(QIODevice::ReadOnly));
  return f.readAll();
}

}  // namespace fuzz
