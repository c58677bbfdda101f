#include "platform/bytefile.h"

#include <QFileInfo>

namespace platform {

ByteFile::ByteFile(const QString& path) : file_(path), path_(path) {}

bool ByteFile::fail(const QString& what) {
  error_ = what.isEmpty() ? file_.errorString() : what;
  return false;
}

bool ByteFile::open(Mode mode) {
  const QFileInfo info(path_);
  if (info.isDir()) return fail(QStringLiteral("フォルダです"));
  if (mode != Mode::CreateUpdate && !info.exists())
    return fail(QStringLiteral("ファイルがありません"));
  // Only regular files: opening a named pipe would block, and a device has no header.
  if (info.exists() && !info.isFile()) return fail(QStringLiteral("通常のファイルではありません"));
  QIODevice::OpenMode m = QIODevice::Unbuffered;
  if (mode == Mode::Read) {
    m |= QIODevice::ReadOnly;
  } else {
    m |= QIODevice::ReadWrite;
    if (mode == Mode::Update) m |= QIODevice::ExistingOnly;
  }
  if (!file_.open(m)) return fail({});
  return true;
}

qint64 ByteFile::size() const { return file_.size(); }

bool ByteFile::readAt(qint64 offset, qint64 n, QByteArray& out) {
  if (!file_.seek(offset)) return fail({});
  out.resize(n);
  qint64 got = 0;
  while (got < n) {
    const qint64 r = file_.read(out.data() + got, n - got);
    if (r < 0) return fail({});
    if (r == 0) {
      return fail(QStringLiteral("%1 バイト目から %2 バイトを読めません（ファイルが短すぎます）")
                      .arg(offset)
                      .arg(n));
    }
    got += r;
  }
  return true;
}

bool ByteFile::writeAt(qint64 offset, const QByteArray& bytes) {
  if (!file_.seek(offset)) return fail({});
  qint64 done = 0;
  while (done < bytes.size()) {
    const qint64 w = file_.write(bytes.constData() + done, bytes.size() - done);
    if (w <= 0) return fail({});
    done += w;
  }
  return true;
}

bool ByteFile::writeByteAt(qint64 offset, quint8 value) {
  return writeAt(offset, QByteArray(1, static_cast<char>(value)));
}

bool ByteFile::writeU16At(qint64 offset, quint16 value) {
  const char b[2] = {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
  return writeAt(offset, QByteArray(b, 2));
}

bool ByteFile::resize(qint64 size) { return file_.resize(size) || fail({}); }

bool ByteFile::syncToDisk() {
  if (!file_.flush()) return fail({});
  QString err;
  if (!syncHandle(file_.handle(), &err)) return fail(err);
  return true;
}

void ByteFile::close() { file_.close(); }

bool appendFile(QIODevice& to, const QString& from, qint64 piece, QString* error) {
  QFile in(from);
  if (!in.open(QIODevice::ReadOnly)) {
    *error = in.errorString();
    return false;
  }
  QByteArray buf(piece, Qt::Uninitialized);
  for (;;) {
    const qint64 r = in.read(buf.data(), piece);
    if (r < 0) {
      *error = in.errorString();
      return false;
    }
    if (r == 0) return true;
    if (to.write(buf.constData(), r) != r) {
      *error = to.errorString();
      return false;
    }
  }
}

}  // namespace platform
