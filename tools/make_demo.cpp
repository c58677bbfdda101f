// SPDX-License-Identifier: GPL-3.0-or-later
// Writes a demo working folder: crumbwright-demo FOLDER [--first-run]
// With it a picture, cake.png, to make a new snack from.
#include <QCoreApplication>
#include <QDir>
#include <QStringList>
#include <cstdio>

#include "samplegen.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = QCoreApplication::arguments().mid(1);
  if (args.isEmpty() || args.first().startsWith(QLatin1Char('-'))) {
    std::fprintf(stderr, "usage: crumbwright-demo FOLDER [--first-run]\n");
    return 2;
  }
  if (!samplegen::writeWorkspace(args.first(), args.contains(QStringLiteral("--first-run"))) ||
      !samplegen::snackImage(0, 160, 120).save(QDir(args.first()).filePath("cake.png"))) {
    std::fprintf(stderr, "crumbwright-demo: cannot write %s\n", qPrintable(args.first()));
    return 1;
  }
  return 0;
}
