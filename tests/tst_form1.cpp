// SPDX-License-Identifier: GPL-3.0-or-later
// The main window at start: controls, lists, menus, and the first-run branch.
#include <QMenuBar>
#include <QTest>

#include "app/settings.h"
#include "ui/form1.h"
#include "ui/look.h"
#include "window_support.h"

class TstForm1 : public QObject {
  Q_OBJECT
 private slots:
  void cleanup() { testing::unloadDialogs(); }
  void initialState();
  void captionColoursWhenShown();
  void listsHold256Items();
  void nameFileGaps();
  void menus_data();
  void menus();
  void tabOrder();
  void enterAndTabInTextAreas();
  void comboTypedTextIsNoSelection();
  void firstRun();
  void lowerCaseMarkerIsAFolder();
  void emptyFolderIsWorkingFolder();
  void missingSettingsFiles_data();
  void missingSettingsFiles();
  void quitAndClose();
  void startWritesNoSettingsFile();
};

void TstForm1::initialState() {
  testing::WindowWorkspace ws;
  Form1 form;
  QVERIFY(!form.hiddenByLoad());
  QCOMPARE(form.windowTitle(), QString("Crumbwright for POSTPET　　Ver1.01    "));
  QCOMPARE(form.windowIcon().pixmap(32).toImage().size(), QSize(32, 32));
  QCOMPARE(form.centralWidget()->size(), QSize(426, 251));
  QCOMPARE(Module1::SnackFolder, ws.snackFolder());
  QCOMPARE(Module1::DialogMode, std::int16_t(0));
  QCOMPARE(testing::child<QLineEdit>(&form, "Text14")->text(), QString("おやつw.pac"));
  // Text1 to Text7 empty, the date boxes zero.
  QCOMPARE(testing::boxTexts(form),
           QStringList({"", "", "", "", "", "", "", "0000", "00", "00", "00", "00", "00"}));
  QCOMPARE(testing::child<ClickLabel>(&form, "Label18")->text(), QString("未開封"));
  QCOMPARE(testing::child<QGroupBox>(&form, "Frame1")->title(), QString("おやつ開封日時"));
  QCOMPARE(testing::child<QLabel>(&form, "Label1")->font().family(), QString("ＭＳ Ｐ明朝"));
  QCOMPARE(testing::child<ClickLabel>(&form, "Label18")->font().family(),
           QString("ＭＳ Ｐゴシック"));
  QVERIFY(testing::child<ClickLabel>(&form, "Label18")->font().bold());
  QCOMPARE(testing::child<ClickLabel>(&form, "Label18")->palette().color(QPalette::WindowText),
           QColor(128, 64, 0));
  QCOMPARE(testing::child<QLabel>(&form, "Label1")->palette().color(QPalette::WindowText),
           QColor(0, 0, 128));
  QCOMPARE(testing::child<QLineEdit>(&form, "Text6")->geometry(), QRect(88, 164, 73, 18));
  QCOMPARE(testing::child<QLineEdit>(&form, "Text8")->geometry(), QRect(48, 16, 33, 18));
  // Captions name the boxes.
  QCOMPARE(testing::child<QLineEdit>(&form, "Text6")->accessibleName(), QString("賞味期限"));
  QCOMPARE(testing::child<QComboBox>(&form, "Combo1")->accessibleName(), QString("食事音"));
}

// Style sheets drawn on frames must not take the colour from the captions inside them.
void TstForm1::captionColoursWhenShown() {
  testing::WindowWorkspace ws;
  Form1 form;
  form.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form));
  const QColor navy(0, 0, 128), brown(128, 64, 0);
  for (QLabel* label :
       {testing::child<QLabel>(&form, "Label1"), testing::child<QLabel>(&form, "Label10"),
        testing::child<QLabel>(&form, "Label11"), testing::child<QLabel>(&form, "Label12"),
        testing::child<QLabel>(&form, "Label13"), testing::child<QLabel>(&form, "Label14"),
        testing::child<QLabel>(&form, "Label15"), testing::child<QLabel>(&form, "Label16"),
        testing::child<QLabel>(&form, "Label17"), testing::child<QLabel>(&form, "Label19")})
    QCOMPARE(label->palette().color(QPalette::WindowText), navy);
  QCOMPARE(testing::child<QGroupBox>(&form, "Frame1")->palette().color(QPalette::WindowText), navy);
  QCOMPARE(testing::child<ClickLabel>(&form, "Label18")->palette().color(QPalette::WindowText),
           brown);
  // What is drawn: the unit label 秒 has navy pixels and no black ones.
  const QImage image = testing::child<QLabel>(&form, "Label17")->grab().toImage();
  bool navySeen = false;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      QVERIFY2(!(c.red() < 40 && c.green() < 40 && c.blue() < 40), "black pixel in 秒");
      navySeen = navySeen || (c.red() < 60 && c.green() < 60 && c.blue() > 100);
    }
  QVERIFY(navySeen);
}

void TstForm1::listsHold256Items() {
  testing::WindowWorkspace ws;
  // Index 256 is read but never shown.
  QVERIFY(samplegen::writeFile(kSoundFile, samplegen::nameFile({{1, "a"}, {256, "hidden"}})));
  Form1 form;
  QCOMPARE(testing::child<QComboBox>(&form, "Combo1")->count(), 256);
  QCOMPARE(testing::child<QComboBox>(&form, "Combo2")->count(), 256);
  QCOMPARE(Module1::SoundNames[256], QString("hidden"));
  QCOMPARE(testing::child<QComboBox>(&form, "Combo1")->findText("hidden"), -1);
  QCOMPARE(testing::child<QComboBox>(&form, "Combo1")->currentIndex(), -1);
  QCOMPARE(testing::child<QComboBox>(&form, "Combo2")->currentIndex(), -1);
}

void TstForm1::nameFileGaps() {
  testing::WindowWorkspace ws;
  QVERIFY(samplegen::writeFile(kFoodTypeFile, samplegen::nameFile({{3, "三"}, {1, "一"}})));
  Form1 form;
  QCOMPARE(testing::child<QComboBox>(&form, "Combo2")->itemText(0), QString("--------"));
  QCOMPARE(testing::child<QComboBox>(&form, "Combo2")->itemText(1), QString("一"));
  QCOMPARE(testing::child<QComboBox>(&form, "Combo2")->itemText(2), QString("--------"));
  QCOMPARE(testing::child<QComboBox>(&form, "Combo2")->itemText(3), QString("三"));
  QCOMPARE(testing::child<QComboBox>(&form, "Combo2")->itemText(255), QString("--------"));
}

void TstForm1::menus_data() {
  QTest::addColumn<QString>("action");
  QTest::addColumn<QString>("text");
  QTest::addColumn<QString>("shortcut");
  QTest::newRow("read") << "FILE_READ"
                        << "おやつファイルの読込"
                        << "Ctrl+L";
  QTest::newRow("list") << "FILE_LIST"
                        << "おやつの一覧"
                        << "Ctrl+I";
  QTest::newRow("history") << "FILE_HISTORY"
                           << "変更の履歴…"
                           << "Ctrl+H";
  QTest::newRow("save") << "FILE_SAVE"
                        << "おやつファイルの書込"
                        << "Ctrl+S";
  QTest::newRow("refresh") << "FILE_REFRESH"
                           << "未開封に戻す"
                           << "Ctrl+R";
  QTest::newRow("folder") << "FILE_FOLDER"
                          << "おやつフォルダ再設定"
                          << "Ctrl+O";
  QTest::newRow("new") << "FILE_NEW"
                       << "おやつの工場"
                       << "Ctrl+N";
  QTest::newRow("picture") << "FILE_PICTURE"
                           << "絵からおやつを作る"
                           << "Ctrl+M";
  QTest::newRow("quit") << "FILE_QUIT"
                        << "終了"
                        << "Ctrl+Q";
  QTest::newRow("info") << "HELP_INFO"
                        << "このプロクラムについて"
                        << "Ctrl+A";
}

void TstForm1::menus() {
  QFETCH(QString, action);
  QFETCH(QString, text);
  QFETCH(QString, shortcut);
  testing::WindowWorkspace ws;
  Form1 form;
  QAction* a = testing::child<QAction>(&form, qPrintable(action));
  QCOMPARE(a->text(), text);
  QCOMPARE(a->shortcut(), QKeySequence(shortcut));
  QCOMPARE(testing::child<QMenu>(&form, "MENU_FILE")->title(), QString("ファイル(&F)"));
  QCOMPARE(testing::child<QMenu>(&form, "MENU_HELP")->title(), QString("ヘルプ(&H)"));
  QStringList items;
  for (const QAction* item : testing::child<QMenu>(&form, "MENU_FILE")->actions())
    items << item->objectName();
  QCOMPARE(items,
           QStringList({"FILE_READ", "FILE_LIST", "FILE_HISTORY", "FILE_SAVE", "FILE_REFRESH",
                        "FILE_FOLDER", "FILE_NEW", "FILE_PICTURE", "FILE_QUIT"}));
}

void TstForm1::tabOrder() {
  testing::WindowWorkspace ws;
  Form1 form;
  form.show();
  QVERIFY(QTest::qWaitForWindowActive(&form));
  const QList<QWidget*> order = {testing::child<QPlainTextEdit>(&form, "Text1"),
                                 testing::child<QPlainTextEdit>(&form, "Text2"),
                                 testing::child<QPlainTextEdit>(&form, "Text3"),
                                 testing::child<QLineEdit>(&form, "Text4"),
                                 testing::child<QComboBox>(&form, "Combo1"),
                                 testing::child<QLineEdit>(&form, "Text5"),
                                 testing::child<QLineEdit>(&form, "Text6"),
                                 testing::child<QLineEdit>(&form, "Text7"),
                                 testing::child<QLineEdit>(&form, "Text8"),
                                 testing::child<QLineEdit>(&form, "Text9"),
                                 testing::child<QLineEdit>(&form, "Text10"),
                                 testing::child<QLineEdit>(&form, "Text11"),
                                 testing::child<QLineEdit>(&form, "Text12"),
                                 testing::child<QLineEdit>(&form, "Text13"),
                                 testing::child<QLabel>(&form, "Label18"),
                                 testing::child<QComboBox>(&form, "Combo2"),
                                 testing::child<QLineEdit>(&form, "Text14")};
  testing::child<QPlainTextEdit>(&form, "Text1")->setFocus();
  for (int i = 1; i < order.size(); ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QWidget* focus = QApplication::focusWidget();
    // An editable combo box gives the focus to its edit field.
    if (focus && qobject_cast<QComboBox*>(focus->parentWidget())) focus = focus->parentWidget();
    QCOMPARE(focus, order[i]);
  }
}

void TstForm1::enterAndTabInTextAreas() {
  testing::WindowWorkspace ws;
  Form1 form;
  form.show();
  QVERIFY(QTest::qWaitForWindowActive(&form));
  testing::child<QPlainTextEdit>(&form, "Text2")->setFocus();
  QTest::keyClicks(testing::child<QPlainTextEdit>(&form, "Text2"), "ab");
  QTest::keyClick(testing::child<QPlainTextEdit>(&form, "Text2"), Qt::Key_Return);
  QTest::keyClicks(testing::child<QPlainTextEdit>(&form, "Text2"), "c");
  QCOMPARE(testing::child<QPlainTextEdit>(&form, "Text2")->toPlainText(), QString("ab\nc"));
  QTest::keyClick(testing::child<QPlainTextEdit>(&form, "Text2"), Qt::Key_Tab);
  QCOMPARE(QApplication::focusWidget(), testing::child<QPlainTextEdit>(&form, "Text3"));
  QCOMPARE(testing::child<QPlainTextEdit>(&form, "Text2")->toPlainText(), QString("ab\nc"));
}

void TstForm1::comboTypedTextIsNoSelection() {
  testing::WindowWorkspace ws;
  Form1 form;
  form.show();
  QCOMPARE(Form1::SelectedPosition(testing::child<QComboBox>(&form, "Combo2")), -1);
  testing::child<QComboBox>(&form, "Combo2")->setCurrentIndex(4);
  QCOMPARE(Form1::SelectedPosition(testing::child<QComboBox>(&form, "Combo2")), 4);
  testing::child<QComboBox>(&form, "Combo2")->lineEdit()->selectAll();
  QTest::keyClicks(testing::child<QComboBox>(&form, "Combo2")->lineEdit(), "typed");
  QTest::keyClick(testing::child<QComboBox>(&form, "Combo2")->lineEdit(), Qt::Key_Return);
  QCOMPARE(testing::child<QComboBox>(&form, "Combo2")->count(), 256);
  QCOMPARE(Form1::SelectedPosition(testing::child<QComboBox>(&form, "Combo2")), -1);
  // Typing an item's exact text selects it.
  testing::child<QComboBox>(&form, "Combo2")->lineEdit()->setText("くだもの");
  QCOMPARE(Form1::SelectedPosition(testing::child<QComboBox>(&form, "Combo2")), 5);
}

void TstForm1::firstRun() {
  testing::WindowWorkspace ws(true);
  Form1 form;
  QVERIFY(form.hiddenByLoad());
  QVERIFY(!form.isVisible());
  QCOMPARE(Module1::DialogMode, std::int16_t(50));
  QVERIFY(Form2Window.loaded());
  QVERIFY(Form2Window.get()->isVisible());
  QCOMPARE(testing::child<QLabel>(Form2Window.get(), "Label2")->text(),
           QString("ＰＯＳＴＰＥＴのおやつフォルダを選択してね。"));
  QCOMPARE(testing::child<QComboBox>(&form, "Combo1")->count(), 256);
  QCOMPARE(testing::child<QComboBox>(&form, "Combo2")->count(), 256);
  QVERIFY(ws.messages.isEmpty());
}

void TstForm1::lowerCaseMarkerIsAFolder() {
  testing::WindowWorkspace ws;
  QVERIFY(samplegen::writeFile(kCookenvFile, "none\r\n"));
  Form1 form;
  QVERIFY(!form.hiddenByLoad());
  QCOMPARE(Module1::SnackFolder, QString("none"));
  QVERIFY(!Form2Window.loaded());
}

// An Apply with an empty folder text stores an empty line: the working folder.
void TstForm1::emptyFolderIsWorkingFolder() {
  testing::WindowWorkspace ws;
  QVERIFY(samplegen::writeFile(kCookenvFile, "\r\n"));
  QVERIFY(QFile::copy(ws.snack("ichigo.pac"), "ichigo.pac"));
  Form1 form;
  QVERIFY(!form.hiddenByLoad());
  QCOMPARE(Module1::SnackFolder, QString());
  form.FILE_READ_Click();
  QVERIFY(testing::names(Form3Window.get())->stringList().contains("ichigo.pac"));
  QVERIFY(ws.messages.isEmpty());
}

void TstForm1::missingSettingsFiles_data() {
  QTest::addColumn<QString>("file");
  QTest::addColumn<bool>("firstRun");
  QTest::newRow("cookenv.ini") << kCookenvFile << true;
  QTest::newRow("Foodtype.ini") << kFoodTypeFile << false;
  QTest::newRow("sound.ini") << kSoundFile << false;
}

void TstForm1::missingSettingsFiles() {
  QFETCH(QString, file);
  QFETCH(bool, firstRun);
  testing::WindowWorkspace ws;
  QVERIFY(QFile::remove(file));
  Form1 form;
  QCOMPARE(ws.messages.size(), 1);
  QVERIFY(ws.messages.first().contains(file));
  QCOMPARE(form.hiddenByLoad(), firstRun);
  QCOMPARE(testing::child<QComboBox>(&form, "Combo1")->count(), 256);
  QCOMPARE(testing::child<QComboBox>(&form, "Combo2")->count(), 256);
  if (file == kSoundFile)
    QCOMPARE(testing::child<QComboBox>(&form, "Combo1")->itemText(1), QString("--------"));
  QVERIFY(!QFile::exists(file));
  QCOMPARE(ws.endCalls, 0);
}

void TstForm1::quitAndClose() {
  testing::WindowWorkspace ws;
  Form1 form;
  form.show();
  QVERIFY(QTest::qWaitForWindowActive(&form));
  testing::child<QPlainTextEdit>(&form, "Text1")->setPlainText("unsaved");
  QTest::keyClick(&form, Qt::Key_Q, Qt::ControlModifier);
  QCOMPARE(ws.endCalls, 1);
  form.close();
  QCOMPARE(ws.endCalls, 2);
  QVERIFY(ws.messages.isEmpty());
}

void TstForm1::startWritesNoSettingsFile() {
  testing::WindowWorkspace ws;
  const auto before = ws.checksums();
  {
    Form1 form;
    form.show();
  }
  QCOMPARE(ws.checksums(), before);
}

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  ui::installFontSubstitutes();
  TstForm1 t;
  return QTest::qExec(&t, argc, argv);
}
#include "tst_form1.moc"
