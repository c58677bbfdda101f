// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/form2.h"
#include "ui/form3.h"
#include "ui/form4.h"
#include "ui/form5.h"
#include "ui/form6.h"
#include "ui/form7.h"
#include "ui/forms.h"

platform::SingleWindow<Form2> Form2Window;
platform::SingleWindow<Form3> Form3Window;
platform::SingleWindow<Form4> Form4Window;
platform::SingleWindow<Form5> Form5Window;
platform::SingleWindow<Form6> Form6Window;
platform::SingleWindow<Form7> Form7Window;
