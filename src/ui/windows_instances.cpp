// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/form2.h"
#include "ui/form3.h"
#include "ui/form4.h"
#include "ui/form5.h"
#include "ui/form6.h"
#include "ui/form7.h"
#include "ui/form8.h"
#include "ui/forms.h"

ui::SingleWindow<Form2> Form2Window;
ui::SingleWindow<Form3> Form3Window;
ui::SingleWindow<Form4> Form4Window;
ui::SingleWindow<Form5> Form5Window;
ui::SingleWindow<Form6> Form6Window;
ui::SingleWindow<Form7> Form7Window;
ui::SingleWindow<Form8> Form8Window;
