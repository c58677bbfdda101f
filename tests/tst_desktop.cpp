// SPDX-License-Identifier: GPL-3.0-or-later
// Desktop habits: Japanese typed through an input method reaches every text box,
// and captions stay whole in their controls whatever font the desktop gives,
// while every control keeps its place and size.
#include <QApplication>
#include <QFontDatabase>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <functional>

#include "ui/form1.h"
#include "ui/look.h"
#include "window_support.h"

namespace {

// Opens every window as its command opens it, and hands each one over while it
// is on screen; returns the windows, all still loaded.
QList<QWidget*> openWindows(Form1* form, const std::function<void(QWidget*)>& visit = {}) {
  auto seen = [&visit](QWidget* w) {
    if (visit) visit(w);
    return w;
  };
  if (!form->isVisible()) form->show();
  QList<QWidget*> windows = {seen(form)};
  form->HELP_INFO_Click();
  windows.append(seen(Form5Window.get()));
  form->Label18_DblClick();
  windows.append(seen(Form4Window.get()));
  form->FILE_PICTURE_Click();
  windows.append(seen(Form6Window.get()));
  form->FILE_LIST_Click();
  windows.append(seen(Form7Window.get()));
  form->FILE_FOLDER_Click();
  windows.append(seen(Form2Window.get()));
  Form2Window.get()->Command1_Click();  // Apply keeps the window loaded
  form->FILE_READ_Click();
  windows.append(seen(Form3Window.get()));
  return windows;
}

QString where(const QWidget* w) {
  QString name = w->accessibleName();
  if (name.isEmpty()) name = w->objectName();
  if (name.isEmpty()) name = QString::fromLatin1(w->metaObject()->className());
  return w->window()->objectName() + QLatin1Char(' ') + name;
}

// The text a control has to show, and the room it has for it, in pixels.
struct Caption {
  QString text;
  int room;
};

std::optional<Caption> captionOf(QWidget* w) {
  if (auto* label = qobject_cast<QLabel*>(w)) return Caption{label->text(), label->width()};
  // Buttons and frame captions keep a few pixels of their edge free.
  if (auto* button = qobject_cast<QPushButton*>(w))
    return Caption{button->text(), button->width() - 8};
  if (auto* frame = qobject_cast<QGroupBox*>(w)) return Caption{frame->title(), frame->width() - 8};
  if (auto* box = qobject_cast<QLineEdit*>(w); box && !qobject_cast<QComboBox*>(w->parentWidget()))
    return Caption{box->text(), box->width() - 4};
  return std::nullopt;
}

}  // namespace

class TstDesktop : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { ui::installFontSubstitutes(); }
  void cleanup();
  void japaneseFontsStandIn_data();
  void japaneseFontsStandIn();
  void inputMethodInEveryBox();
  void captionsStayWhole_data();
  void captionsStayWhole();
};

void TstDesktop::cleanup() {
  testing::unloadDialogs();
  QApplication::setFont(QFont());
}

void TstDesktop::japaneseFontsStandIn_data() {
  QTest::addColumn<QString>("family");
  QTest::addColumn<QString>("standIn");
  QTest::newRow("ＭＳ Ｐ明朝") << ui::kMincho << "IPAPMincho";
  QTest::newRow("ＭＳ Ｐゴシック") << ui::kGothic << "IPAPGothic";
  QTest::newRow("MS PMincho") << "MS PMincho"
                              << "IPAPMincho";
  QTest::newRow("MS PGothic") << "MS PGothic"
                              << "IPAPGothic";
}

// The labels ask for the Windows fonts; the IPA P fonts (Debian's fonts-ipafont-*,
// which the package depends on) draw them.
void TstDesktop::japaneseFontsStandIn() {
  QFETCH(QString, family);
  QFETCH(QString, standIn);
  if (QFontDatabase::hasFamily(family)) QSKIP("the font itself is installed here");
  const QFontInfo used(ui::japaneseFont(family, 9));
  QCOMPARE(used.family(), standIn);
  QVERIFY(QFontMetrics(ui::japaneseFont(family, 9)).inFontUcs4(U'開'));
}

void TstDesktop::inputMethodInEveryBox() {
  testing::WindowWorkspace ws;
  Form1 form;
  const QList<QWidget*> windows = openWindows(&form);
  QList<QWidget*> boxes;
  for (QWidget* window : windows) {
    for (QLineEdit* box : window->findChildren<QLineEdit*>()) boxes.append(box);
    for (QPlainTextEdit* area : window->findChildren<QPlainTextEdit*>()) boxes.append(area);
  }
  // Form1: 14 boxes and the edit fields of 2 lists; Form2: 1; Form5: the notice;
  // Form6: the picture's path and the new name; Form7: the filter.
  QCOMPARE(boxes.size(), 21);
  const Qt::InputMethodHints blocking =
      Qt::ImhHiddenText | Qt::ImhSensitiveData | Qt::ImhLatinOnly | Qt::ImhDigitsOnly |
      Qt::ImhFormattedNumbersOnly | Qt::ImhUppercaseOnly | Qt::ImhLowercaseOnly |
      Qt::ImhDialableCharactersOnly | Qt::ImhEmailCharactersOnly | Qt::ImhUrlCharactersOnly;
  for (QWidget* box : boxes) {
    const QString name = where(box);
    box->window()->activateWindow();
    box->setFocus();
    QVERIFY2(box->testAttribute(Qt::WA_InputMethodEnabled), qPrintable(name));
    QVERIFY2(box->inputMethodQuery(Qt::ImEnabled).toBool(), qPrintable(name));
    QVERIFY2(!(box->inputMethodHints() & blocking), qPrintable(name));
    // Composing "おやつ" as an input method does: pre-edit text, then the commit.
    QInputMethodEvent compose(QStringLiteral("おや"), {});
    QApplication::sendEvent(box, &compose);
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("おやつ"));
    QApplication::sendEvent(box, &commit);
    const QString text = qobject_cast<QLineEdit*>(box)
                             ? qobject_cast<QLineEdit*>(box)->text()
                             : qobject_cast<QPlainTextEdit*>(box)->toPlainText();
    QVERIFY2(text.contains(QStringLiteral("おやつ")) && !text.contains(QStringLiteral("おやおや")),
             qPrintable(name + QStringLiteral(": ") + text));
  }
}

void TstDesktop::captionsStayWhole_data() {
  QTest::addColumn<QString>("family");
  QTest::addColumn<double>("points");
  QTest::newRow("Japanese, fixed-width kana") << "IPAGothic" << 9.0;
  QTest::newRow("Latin with Japanese fallback") << "DejaVu Sans" << 9.0;
  QTest::newRow("large desktop font") << "IPAGothic" << 10.5;
  QTest::newRow("large wide font") << "DejaVu Sans" << 10.5;
}

void TstDesktop::captionsStayWhole() {
  QFETCH(QString, family);
  QFETCH(double, points);
  QFont desktop(family);
  desktop.setPointSizeF(points);
  QApplication::setFont(desktop);
  testing::WindowWorkspace ws;
  Form1 form;
  // A loaded snack fills the boxes with their widest texts.
  form.FILE_READ_Click();
  Form3* f3 = Form3Window.get();
  testing::child<QListView>(f3, "File1")->setCurrentIndex(testing::names(f3)->index(0));
  f3->Command1_Click();
  testing::processDeletes();

  QStringList clipped;
  int captions = 0;
  const QList<QWidget*> windows = openWindows(&form, [&](QWidget* window) {
    if (!window->isVisible()) clipped.append(window->objectName() + QStringLiteral(" not shown"));
    // Every window within the screen's available area, its frame included.
    const QRect area = window->screen()->availableGeometry();
    if (!area.contains(window->frameGeometry()))
      clipped.append(QStringLiteral("%1 at %2, %3, %4 × %5 outside %6 × %7")
                         .arg(window->objectName())
                         .arg(window->frameGeometry().x())
                         .arg(window->frameGeometry().y())
                         .arg(window->frameGeometry().width())
                         .arg(window->frameGeometry().height())
                         .arg(area.width())
                         .arg(area.height()));
    for (QWidget* w : window->findChildren<QWidget*>()) {
      const auto caption = captionOf(w);
      if (!caption || caption->text.isEmpty()) continue;
      ++captions;
      const QFontMetrics m(w->font());
      // A label that wraps its text needs the height of its lines instead.
      if (auto* label = qobject_cast<QLabel*>(w); label && label->wordWrap()) {
        const int height =
            m.boundingRect(QRect(0, 0, label->width(), 100000), Qt::TextWordWrap, caption->text)
                .height();
        if (height > label->height())
          clipped.append(QStringLiteral("%1 \"%2\": %3 pixels high in %4")
                             .arg(where(w), caption->text)
                             .arg(height)
                             .arg(label->height()));
        continue;
      }
      const int width = m.horizontalAdvance(QString(caption->text).remove(QLatin1Char('&')));
      if (width > caption->room || w->font().pointSizeF() < 0.7 * points - 0.01) {
        clipped.append(QStringLiteral("%1 \"%2\": %3 pixels in %4 at %5 pt")
                           .arg(where(w), caption->text)
                           .arg(width)
                           .arg(caption->room)
                           .arg(w->font().pointSizeF()));
      }
    }
  });
  QCOMPARE(windows.size(), 7);
  QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QLatin1Char('\n'))));
  QVERIFY2(captions >= 45, qPrintable(QString::number(captions)));
  // The control geometry stays that of the layout in twips.
  QCOMPARE(testing::child<QLineEdit>(&form, "Text8")->geometry(), QRect(48, 16, 33, 18));
  QCOMPARE(testing::child<QGroupBox>(&form, "Frame1")->geometry(), QRect(208, 112, 209, 73));
  // The date boxes of the frame look alike.
  for (QLineEdit* box :
       {testing::child<QLineEdit>(&form, "Text9"), testing::child<QLineEdit>(&form, "Text10"),
        testing::child<QLineEdit>(&form, "Text11"), testing::child<QLineEdit>(&form, "Text12"),
        testing::child<QLineEdit>(&form, "Text13")})
    QCOMPARE(box->font().pointSizeF(),
             testing::child<QLineEdit>(&form, "Text8")->font().pointSizeF());
}

QTEST_MAIN(TstDesktop)
#include "tst_desktop.moc"
