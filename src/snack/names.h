// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The names of the snack types and of the eating sounds (Foodtype.ini and
// sound.ini), by the index a header stores.
#include <QString>
#include <array>

#include "snack/layout.h"

namespace snack {

// Names by index 0 to 256; an empty entry names nothing.
using NameList = std::array<QString, 257>;

struct NameTables {
  NameList types;   // おやつの種類
  NameList sounds;  // 食事音

  // The list a list field (Field::Type or Field::Sound) takes its names from.
  const NameList& of(Field field) const { return field == Field::Type ? types : sounds; }
};

}  // namespace snack
