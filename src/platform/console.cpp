// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/console.h"

#include <QCoreApplication>
#include <cstdio>

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

namespace platform {

QList<CommandArgument> commandArguments(int argc, char** argv) {
  QList<CommandArgument> args;
#ifdef Q_OS_WIN
  Q_UNUSED(argc);
  Q_UNUSED(argv);
  const QStringList all = QCoreApplication::arguments();
  for (qsizetype i = 1; i < all.size(); ++i) args.append({all[i], NativePath(all[i])});
#else
  for (int i = 1; i < argc; ++i) {
    const NativePath path = NativePath::fromBytes(QByteArray(argv[i]));
    args.append({path.shown(), path});
  }
#endif
  return args;
}

std::optional<QByteArray> standardInput() {
#ifdef Q_OS_WIN
  _setmode(_fileno(stdin), _O_BINARY);  // bytes as they come, CR LF included
#endif
  QByteArray all;
  char buffer[65536];
  for (;;) {
    const size_t n = std::fread(buffer, 1, sizeof buffer, stdin);
    all.append(buffer, static_cast<qsizetype>(n));
    if (n < sizeof buffer) break;
  }
  if (std::ferror(stdin)) return std::nullopt;
  return all;
}

std::optional<QList<CommandArgument>> standardInputLines() {
  const auto all = standardInput();
  if (!all) return std::nullopt;
  QList<CommandArgument> lines;
  for (QByteArray line : all->split('\n')) {
    if (line.endsWith('\r')) line.chop(1);
    if (line.isEmpty()) continue;
#ifdef Q_OS_WIN
    const QString text = QString::fromUtf8(line);
    lines.append({text, NativePath(text)});
#else
    const NativePath path = NativePath::fromBytes(line);
    lines.append({path.shown(), path});
#endif
  }
  return lines;
}

void setUpConsole() {
#ifdef Q_OS_WIN
  SetConsoleOutputCP(CP_UTF8);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
#endif
}

namespace {
bool write(std::FILE* stream, QByteArrayView bytes) {
  if (bytes.isEmpty()) return !std::ferror(stream);
  return std::fwrite(bytes.data(), 1, static_cast<size_t>(bytes.size()), stream) ==
         static_cast<size_t>(bytes.size());
}
}  // namespace

bool writeOut(QByteArrayView bytes) { return write(stdout, bytes); }

bool writeErr(QByteArrayView bytes) {
  const bool ok = write(stderr, bytes);
  std::fflush(stderr);
  return ok;
}

bool flushOut() { return std::fflush(stdout) == 0 && !std::ferror(stdout); }

}  // namespace platform
