// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The windows. Form1 lives for the whole program; the others exist at most
// once each, created when first shown.
#include "platform/windows.h"

class Form1;
class Form2;
class Form3;
class Form4;
class Form5;
class Form6;
class Form7;

// The main window, once it has been created.
Form1* MainForm();

extern platform::SingleWindow<Form2> Form2Window;
extern platform::SingleWindow<Form3> Form3Window;
extern platform::SingleWindow<Form4> Form4Window;
extern platform::SingleWindow<Form5> Form5Window;
extern platform::SingleWindow<Form6> Form6Window;
extern platform::SingleWindow<Form7> Form7Window;
