// SPDX-License-Identifier: GPL-3.0-or-later
// Runs a fuzz target once over every file of the folders (or files) named on
// the command line, for builds without libFuzzer.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
  int runs = 0;
  for (int i = 1; i < argc; ++i) {
    const QString arg = QString::fromLocal8Bit(argv[i]);
    QStringList files;
    if (QFileInfo(arg).isDir()) {
      QDirIterator it(arg, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
      while (it.hasNext()) files.append(it.next());
      files.sort();
    } else if (QFileInfo(arg).isFile()) {
      files.append(arg);
    } else {
      std::fprintf(stderr, "no such input: %s\n", argv[i]);
      return 2;
    }
    for (const QString& f : files) {
      QFile in(f);
      if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(f));
        return 2;
      }
      const QByteArray bytes = in.readAll();
      LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                             static_cast<std::size_t>(bytes.size()));
      ++runs;
    }
  }
  std::printf("%d inputs replayed\n", runs);
  return runs > 0 ? 0 : 1;
}
