// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The windows. Form1 lives for the whole program; the others exist at most
// once each, created when first shown.
#include "ui/singlewindow.h"

class Form1;
class Form2;
class Form3;
class Form4;
class Form5;
class Form6;
class Form7;
class Form8;

// The main window, once it has been created.
Form1* MainForm();

extern ui::SingleWindow<Form2> Form2Window;
extern ui::SingleWindow<Form3> Form3Window;
extern ui::SingleWindow<Form4> Form4Window;
extern ui::SingleWindow<Form5> Form5Window;
extern ui::SingleWindow<Form6> Form6Window;
extern ui::SingleWindow<Form7> Form7Window;
extern ui::SingleWindow<Form8> Form8Window;
