// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/wholefile.h"

#include <QSaveFile>

#include "platform/bytefile.h"
#include "platform/writefaults.h"

namespace platform {

bool writeWholeFile(const QString& path,
                    const std::function<bool(QIODevice& out, QString* error)>& fill, QString* error,
                    const std::function<bool(QString* error)>& beforeCommit) {
  QSaveFile out(path);
  out.setDirectWriteFallback(false);
  if (!out.open(QIODevice::WriteOnly)) {
    *error = out.errorString();
    return false;
  }
  QString reason;
  if (!fill(out, &reason)) {
    out.cancelWriting();
    *error = reason.isEmpty() ? writeFailure(out) : reason;
    return false;
  }
  if (!out.flush() || !syncHandle(out.handle(), &reason)) {
    *error = reason.isEmpty() ? writeFailure(out) : reason;
    out.cancelWriting();
    return false;
  }
  if (beforeCommit && !beforeCommit(error)) {
    out.cancelWriting();
    return false;
  }
  if (!out.commit()) {
    *error = writeFailure(out);
    return false;
  }
  return true;
}

bool writeWholeFile(const QString& path, QByteArrayView bytes, QString* error) {
  return writeWholeFile(
      path, [bytes](QIODevice& out, QString* why) { return writeAll(out, bytes, why); }, error);
}

bool writeAll(QIODevice& out, QByteArrayView bytes, QString* error) {
  const qint64 n = permittedWrite(bytes.size(), error);
  if (n < 0) return false;
  if (out.write(bytes.data(), n) != n || n != bytes.size()) {
    *error = writeFailure(out);
    return false;
  }
  return true;
}

}  // namespace platform
