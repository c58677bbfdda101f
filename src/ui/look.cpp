// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/look.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFontMetrics>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTextDocument>
#include <QWidget>
#include <algorithm>
#include <map>
#include <memory>
#include <utility>
#include <vector>

// The windows' resources are compiled into this static library; a program
// linking it gets them only when it asks for them by name.
static void loadWindowResources() { Q_INIT_RESOURCE(resources); }

namespace ui {

QIcon programIcon() {
  // Made once and shared: a QIcon made from a file decodes the picture at
  // once, and every window asks for it when it is made.
  static const QIcon icon = [] {
    loadWindowResources();
    return QIcon(QStringLiteral(":/crumbwright-32.png"));
  }();
  return icon;
}

namespace {

// The font a control had before fitCaptions first changed it.
constexpr char kOwnFont[] = "crumbwrightOwnFont";
constexpr double kStep = 0.25;     // points
constexpr double kSmallest = 0.7;  // share of the control's own size

// Whether the text of `w` shows whole in `font`.
bool textFits(QWidget* w, const QFont& font) {
  const QFontMetrics m(font);
  if (auto* label = qobject_cast<QLabel*>(w)) {
    const QString text = label->text();
    if (text.isEmpty() || label->wordWrap() || Qt::mightBeRichText(text)) return true;
    const int margin = label->margin();
    const QRect room = label->contentsRect().adjusted(margin, margin, -margin, -margin);
    const int width = m.size(Qt::TextShowMnemonic, text).width();
    // Glyphs must not be cut at the top or bottom; the font's line box may be
    // taller than the label, as it often is for Japanese fonts.
    return width <= room.width() && m.tightBoundingRect(text).height() <= room.height();
  }
  if (auto* button = qobject_cast<QPushButton*>(w)) {
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    const QRect room =
        button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
    return m.size(Qt::TextShowMnemonic, button->text()).width() + 4 <= room.width();
  }
  if (auto* frame = qobject_cast<QGroupBox*>(w)) {
    // The caption sits on the top border, left of it 7 pixels and 2 either side.
    int top = frame->height();
    for (const QWidget* child : frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
      top = std::min(top, child->y());
    return m.horizontalAdvance(frame->title()) + 11 <= frame->width() && m.height() <= top;
  }
  if (auto* box = qobject_cast<QLineEdit*>(w)) {
    const QString text = box->displayText();
    if (text.isEmpty()) return true;
    const QMargins margins = box->textMargins();
    const int frame =
        box->hasFrame() ? box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, box) : 0;
    // QLineEdit keeps 2 pixels either side of the text inside its frame.
    const int room = box->width() - 2 * frame - 4 - margins.left() - margins.right();
    return m.horizontalAdvance(text) <= room;
  }
  if (auto* area = qobject_cast<QPlainTextEdit*>(w)) {
    // A wrapping text area without a vertical scroll bar has to show all its text.
    if (area->lineWrapMode() == QPlainTextEdit::NoWrap ||
        area->verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOff)
      return true;
    std::unique_ptr<QTextDocument> copy(area->document()->clone());
    copy->setDefaultFont(font);
    copy->setTextWidth(area->viewport()->width());
    // The empty margin below the last line may be cut.
    return copy->size().height() - copy->documentMargin() <= area->viewport()->height();
  }
  return true;
}

// The largest size, in steps from the control's own font down to kSmallest of it,
// at which its text fits.
QFont fittedFont(QWidget* w) {
  const QVariant own = w->property(kOwnFont);
  QFont font = own.isValid() ? own.value<QFont>() : w->font();
  const double size = font.pointSizeF();
  if (size <= 0) return font;  // a pixel-sized font is left as it is
  for (double s = size; s >= size * kSmallest; s -= kStep) {
    font.setPointSizeF(s);
    if (textFits(w, font)) return font;
  }
  font.setPointSizeF(size * kSmallest);
  return font;
}

void applyFont(QWidget* w, const QFont& font) {
  if (!w->property(kOwnFont).isValid()) {
    if (font == w->font()) return;
    w->setProperty(kOwnFont, w->font());
  }
  if (auto* frame = qobject_cast<QGroupBox*>(w)) {
    // A frame's font would pass to its controls: they keep their own.
    for (QWidget* child : frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      if (!child->testAttribute(Qt::WA_SetFont)) child->setFont(child->font());
    }
  }
  w->setFont(font);
}

constexpr char kTextColour[] = "crumbwrightTextColour";

QString colourRule(const QColor& c) {
  return QStringLiteral("color: rgb(%1, %2, %3);").arg(c.red()).arg(c.green()).arg(c.blue());
}

// Draws the frame's caption on its top border line, as desktop frames do, so that
// the controls placed below the caption stay clear of the border. A style sheet on
// the frame replaces the palette its captions would inherit, so the frame's text
// colour and that of each caption inside it are given in style sheets too.
void putCaptionOnBorder(QGroupBox* frame) {
  const int half = QFontMetrics(frame->font()).height() / 2;
  const QVariant frameColour = frame->property(kTextColour);
  const QString colour =
      frameColour.isValid() ? colourRule(frameColour.value<QColor>()) : QString();
  const QString sheet = QStringLiteral(
                            "QGroupBox { border: 1px solid palette(mid); border-radius: 3px;"
                            " margin-top: %1px; %2 }"
                            "QGroupBox::title { subcontrol-origin: margin; left: 7px;"
                            " padding: 0px 2px; background-color: palette(window); }")
                            .arg(half)
                            .arg(colour);
  if (frame->styleSheet() != sheet) frame->setStyleSheet(sheet);
  for (QLabel* label : frame->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
    const QVariant own = label->property(kTextColour);
    const QVariant c = own.isValid() ? own : frameColour;
    if (!c.isValid()) continue;
    const QString labelSheet = QStringLiteral("QLabel { %1 }").arg(colourRule(c.value<QColor>()));
    if (label->styleSheet() != labelSheet) label->setStyleSheet(labelSheet);
  }
}

bool isPartOfCompoundControl(const QWidget* w) {
  for (const QWidget* p = w->parentWidget(); p; p = p->parentWidget()) {
    if (qobject_cast<const QComboBox*>(p) || qobject_cast<const QAbstractSpinBox*>(p)) return true;
    if (p->isWindow()) break;
  }
  return false;
}

constexpr char kFitterName[] = "crumbwrightCaptionFitter";

// A window that may be resized is made no larger than the screen's available
// area (the desktop's panels left out), and every window is moved into that
// area, its frame included, as far as its size allows.
constexpr char kShown[] = "crumbwrightShown";

void keepOnScreen(QWidget* window) {
  const QScreen* screen = window->screen();
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  const QRect inner = window->geometry(), outer = window->frameGeometry();
  const QSize frame = outer.size() - inner.size();
  const QSize room = area.size() - frame;
  if (window->minimumSize() != window->maximumSize() &&
      (inner.width() > room.width() || inner.height() > room.height())) {
    window->setMinimumSize(window->minimumSize().boundedTo(room));
    window->resize(inner.size().boundedTo(room));
  }
  // A window shown for the first time is placed by the desktop, unless the
  // program placed it.
  const bool placed = window->testAttribute(Qt::WA_Moved) || window->property(kShown).toBool();
  window->setProperty(kShown, true);
  if (!placed) return;
  const QSize whole = window->size() + frame;
  const QPoint at(std::max(area.left(), std::min(outer.left(), area.right() + 1 - whole.width())),
                  std::max(area.top(), std::min(outer.top(), area.bottom() + 1 - whole.height())));
  if (at != outer.topLeft()) window->move(at);
}

class CaptionFitter : public QObject {
 public:
  explicit CaptionFitter(QWidget* window) : QObject(window) { setObjectName(kFitterName); }

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() == QEvent::Show && watched == parent()) {
      auto* window = static_cast<QWidget*>(watched);
      fitCaptions(window);
      keepOnScreen(window);
    }
    return false;
  }
};

}  // namespace

void keepCaptionsFitted(QWidget* window) {
  if (window->findChild<QObject*>(kFitterName, Qt::FindDirectChildrenOnly)) return;
  window->installEventFilter(new CaptionFitter(window));
}

void fitCaptions(QWidget* window) {
  std::map<QGroupBox*, double> frameBoxSize;  // the smallest box font in each frame
  std::vector<std::pair<QLineEdit*, QFont>> boxes;
  for (QWidget* w : window->findChildren<QWidget*>()) {
    if (isPartOfCompoundControl(w)) continue;
    if (auto* box = qobject_cast<QLineEdit*>(w)) {
      const QFont font = fittedFont(box);
      boxes.emplace_back(box, font);
      if (auto* frame = qobject_cast<QGroupBox*>(box->parentWidget())) {
        auto [it, added] = frameBoxSize.emplace(frame, font.pointSizeF());
        if (!added) it->second = std::min(it->second, font.pointSizeF());
      }
      continue;
    }
    if (qobject_cast<QLabel*>(w) || qobject_cast<QPushButton*>(w) ||
        qobject_cast<QPlainTextEdit*>(w) || qobject_cast<QGroupBox*>(w))
      applyFont(w, fittedFont(w));
    if (auto* frame = qobject_cast<QGroupBox*>(w)) putCaptionOnBorder(frame);
    // Lists draw every icon at the small icon size, so that all rows are alike.
    if (auto* list = qobject_cast<QAbstractItemView*>(w); list && !list->iconSize().isValid()) {
      const int side = list->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, list);
      list->setIconSize(QSize(side, side));
    }
  }
  for (auto& [box, font] : boxes) {
    if (auto* frame = qobject_cast<QGroupBox*>(box->parentWidget()); frame && font.pointSizeF() > 0)
      font.setPointSizeF(frameBoxSize[frame]);
    applyFont(box, font);
  }
}

void placeTwips(QWidget* w, int left, int top, int width, int height) {
  w->setGeometry(px(left), px(top), px(width), px(height));
}

void setUpWindow(QWidget* w, const QString& title, int width, int height) {
  w->setWindowTitle(title);
  w->setWindowIcon(programIcon());
  w->setFixedSize(px(width), px(height));
  keepCaptionsFitted(w);
}

QFont japaneseFont(const QString& family, double points, bool bold) {
  QFont f(family);
  f.setPointSizeF(points);
  f.setBold(bold);
  return f;
}

void setTextColour(QWidget* w, const QColor& colour) {
  w->setProperty(kTextColour, colour);
  QPalette p = w->palette();
  p.setColor(QPalette::WindowText, colour);
  w->setPalette(p);
}

void installFontSubstitutes() {
  const QStringList gothic = {QStringLiteral("MS PGothic"), QStringLiteral("IPAPGothic"),
                              QStringLiteral("IPA Pゴシック"), QStringLiteral("IPAGothic")};
  const QStringList mincho = {QStringLiteral("MS PMincho"), QStringLiteral("IPAPMincho"),
                              QStringLiteral("IPA P明朝"), QStringLiteral("IPAMincho")};
  QFont::insertSubstitutions(kGothic, gothic);
  QFont::insertSubstitutions(QStringLiteral("MS PGothic"), gothic.mid(1));
  QFont::insertSubstitutions(kMincho, mincho);
  QFont::insertSubstitutions(QStringLiteral("MS PMincho"), mincho.mid(1));
}

void setUpApplication() {
  QApplication::setApplicationName(QStringLiteral("Crumbwright"));
  QApplication::setDesktopFileName(QStringLiteral("crumbwright"));
  QApplication::setQuitOnLastWindowClosed(false);
  installFontSubstitutes();
}

}  // namespace ui
