// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/module1.h"

#include "platform/paths.h"

namespace Module1 {

QString SnackFolder;
QString SnackFileName;
std::int16_t DialogMode = 0;
NameTable FoodTypeNames;
NameTable SoundNames;
snack::SnackRecordType SnackRecord;

QString CurrentSnackPath() { return platform::joinPath(SnackFolder, SnackFileName); }

void Reset() {
  SnackFolder.clear();
  SnackFileName.clear();
  DialogMode = 0;
  FoodTypeNames = {};
  SoundNames = {};
  SnackRecord = {};
}

}  // namespace Module1
