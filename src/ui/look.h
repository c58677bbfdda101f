// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Geometry in twips and the fonts and colours of the windows.
#include <QColor>
#include <QFont>
#include <QString>

class QIcon;
class QWidget;

namespace ui {

inline constexpr int kTwipsPerPixel = 15;
constexpr int px(int twips) { return twips / kTwipsPerPixel; }

// The 32 × 32 icon every window shows.
QIcon programIcon();

// Places a control at left, top, width, height given in twips.
void placeTwips(QWidget* w, int left, int top, int width, int height);
// Gives a control its name as object name and places it.
template <class W>
W* placed(W* w, const char* name, int left, int top, int width, int height) {
  w->setObjectName(QLatin1String(name));
  placeTwips(w, left, top, width, height);
  return w;
}
// Sets a window's client area in twips, its icon and its title, and keeps its
// captions fitted and the window on the screen (keepCaptionsFitted).
void setUpWindow(QWidget* w, const QString& title, int width, int height);

// The controls keep their twip geometry whatever font the desktop gives them. Each
// time `window` is shown, fitCaptions runs on it, and the window is kept within
// the screen's available area (made smaller when it may be resized, moved into
// it when it was placed before).
void keepCaptionsFitted(QWidget* window);
// Gives every frame of `window` its caption on the top border line, and lowers the
// font size of each caption, button text, box text and notice that would be
// clipped by its control (never below 70 % of the control's own size). Text boxes
// in one frame get one size. Lists show their icons at the small icon size.
void fitCaptions(QWidget* window);

inline const QString kMincho = QStringLiteral("ＭＳ Ｐ明朝");
inline const QString kGothic = QStringLiteral("ＭＳ Ｐゴシック");
QFont japaneseFont(const QString& family, double points, bool bold = false);
void setTextColour(QWidget* w, const QColor& colour);

inline const QColor kNavy(0, 0, 128);
inline const QColor kBrown(128, 64, 0);

// The Japanese font names map to the fonts installed here (Debian: IPA P fonts).
void installFontSubstitutes();

// What the program sets up before its first window: its names for the
// desktop, that hiding every window does not end it, and the font substitutes.
void setUpApplication();

}  // namespace ui
