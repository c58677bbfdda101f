#include "ui/look.h"

#include <QIcon>
#include <QPalette>
#include <QWidget>

namespace ui {

void placeTwips(QWidget* w, int left, int top, int width, int height) {
  w->setGeometry(px(left), px(top), px(width), px(height));
}

void setUpWindow(QWidget* w, const QString& title, int width, int height) {
  w->setWindowTitle(title);
  w->setWindowIcon(QIcon(QStringLiteral(":/crumbwright-32.png")));
  w->setFixedSize(px(width), px(height));
}

QFont japaneseFont(const QString& family, double points, bool bold) {
  QFont f(family);
  f.setPointSizeF(points);
  f.setBold(bold);
  return f;
}

void setTextColour(QWidget* w, const QColor& colour) {
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

}  // namespace ui
