// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/module1.h"

namespace Module1 {

QString SnackFolder;
QString SnackFileName;
platform::NativePath SnackFilePath;
std::int16_t DialogMode = 0;
snack::NameTables Names;
snack::NameList& FoodTypeNames = Names.types;
snack::NameList& SoundNames = Names.sounds;
snack::SnackRecordType SnackRecord;

void Reset() {
  SnackFolder.clear();
  SnackFileName.clear();
  SnackFilePath = {};
  DialogMode = 0;
  Names = {};
  SnackRecord = {};
}

}  // namespace Module1
