// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the settings files that a new working folder starts with:
// crumbwright-defaults FOLDER
// cookenv.ini holds NONE (the program then asks for the snack folder);
// Foodtype.ini and sound.ini hold our own type and sound names.
#include <QCoreApplication>
#include <QDir>
#include <cstdio>

#include "samplegen.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = QCoreApplication::arguments().mid(1);
  if (args.size() != 1) {
    std::fprintf(stderr, "usage: crumbwright-defaults FOLDER\n");
    return 2;
  }
  const QDir dir(args.first());
  const bool ok = QDir().mkpath(dir.path()) &&
                  samplegen::writeFile(dir.filePath(QStringLiteral("cookenv.ini")), "NONE\r\n") &&
                  samplegen::writeFile(dir.filePath(QStringLiteral("Foodtype.ini")),
                                       samplegen::nameFile(samplegen::sampleFoodTypes())) &&
                  samplegen::writeFile(dir.filePath(QStringLiteral("sound.ini")),
                                       samplegen::nameFile(samplegen::sampleSounds()));
  if (!ok) {
    std::fprintf(stderr, "crumbwright-defaults: cannot write into %s\n", qPrintable(dir.path()));
    return 1;
  }
  return 0;
}
