// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The state every window shares, read and written directly.
#include <QString>
#include <array>
#include <cstdint>

#include "platform/paths.h"
#include "snack/layout.h"
#include "snack/names.h"

namespace Module1 {

inline constexpr std::int16_t kModeFirstRun = 50;
inline constexpr std::int16_t kModeFolderAgain = 51;
inline constexpr std::int16_t kModeSnackFile = 60;

extern QString SnackFolder;    // ends in a separator; "NONE" until chosen
extern QString SnackFileName;  // the name of the current snack file, as loaded
// The whole path of the current snack file, fixed when it is loaded: choosing
// another folder later changes where the next load looks, not this file. It
// holds the file's own bytes, whatever SnackFileName shows.
extern platform::NativePath SnackFilePath;
extern std::int16_t DialogMode;
// The type and sound names, read at start; FoodTypeNames and SoundNames are
// its two lists.
extern snack::NameTables Names;
extern snack::NameList& FoodTypeNames;
extern snack::NameList& SoundNames;
extern snack::SnackRecordType SnackRecord;

// Back to the state at start (tests start each case from it).
void Reset();

}  // namespace Module1
