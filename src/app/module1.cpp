// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/module1.h"

namespace Module1 {

QString SnackFolder;
QString SnackFileName;
QString SnackFilePath;
std::int16_t DialogMode = 0;
NameTable FoodTypeNames;
NameTable SoundNames;
snack::SnackRecordType SnackRecord;

QString CurrentSnackPath() { return SnackFilePath; }

void Reset() {
  SnackFolder.clear();
  SnackFileName.clear();
  SnackFilePath.clear();
  DialogMode = 0;
  FoodTypeNames = {};
  SoundNames = {};
  SnackRecord = {};
}

}  // namespace Module1
