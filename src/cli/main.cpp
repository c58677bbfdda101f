// SPDX-License-Identifier: GPL-3.0-or-later
#include <QCoreApplication>

#include "cli/cli.h"
#include "platform/console.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("crumbwright-cli"));
  platform::setUpConsole();
  return cli::run(platform::commandArguments(argc, argv));
}
