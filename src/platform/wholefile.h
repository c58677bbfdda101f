// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A file written whole or not at all: the settings, the factory's new snacks,
// exported lists and the history of changes all go through here.
#include <QByteArrayView>
#include <QIODevice>
#include <QString>
#include <functional>

namespace platform {

// Writes the whole of the file `path` through `fill`: into a new file beside
// it (never in place, never written straight into the old file), flushed and
// synced to the disk, then put in its place. On any failure the new file is
// dropped, the file at `path` is as it was, and `error` says why (without
// naming the file: the caller does).
// `beforeCommit`, when given, runs once the new file is complete and on the
// disk, just before it takes its place; false (with `error`) drops it.
bool writeWholeFile(const QString& path,
                    const std::function<bool(QIODevice& out, QString* error)>& fill, QString* error,
                    const std::function<bool(QString* error)>& beforeCommit = {});
// The same with `bytes` as the whole content.
bool writeWholeFile(const QString& path, QByteArrayView bytes, QString* error);

// Writes all of `bytes` to `out` as the file layer's writes go (a test may
// make it stop part-way); false with `error` when not all went.
bool writeAll(QIODevice& out, QByteArrayView bytes, QString* error);

}  // namespace platform
