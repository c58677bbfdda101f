// SPDX-License-Identifier: GPL-3.0-or-later
// Folder selection, About, and the life cycle of the dialog windows.
#include <QAccessible>
#include <QTest>

#include "app/settings.h"
#include "ui/form1.h"
#include "ui/look.h"
#include "window_support.h"

namespace {

// Opens an entry of the folder list the way a user does: double-click.
void openFolder(Form2* f2, const QString& name) {
  testing::layOut(testing::child<FolderList>(f2, "Dir1"));
  QListWidgetItem* item = nullptr;
  for (int i = 0; i < testing::child<FolderList>(f2, "Dir1")->count(); ++i)
    if (testing::child<FolderList>(f2, "Dir1")->item(i)->text().trimmed() == name)
      item = testing::child<FolderList>(f2, "Dir1")->item(i);
  QVERIFY2(item, qPrintable(name));
  const QRect rect = testing::child<FolderList>(f2, "Dir1")->visualItemRect(item);
  QTest::mouseClick(testing::child<FolderList>(f2, "Dir1")->viewport(), Qt::LeftButton, {},
                    rect.center());
  QTest::mouseDClick(testing::child<FolderList>(f2, "Dir1")->viewport(), Qt::LeftButton, {},
                     rect.center());
}

QString sep() { return QString(QDir::separator()); }

// The system's root as the lists show it ("/", or the system drive "C:\"), and a
// folder on it.
QString root() { return QDir::toNativeSeparators(QDir::rootPath()); }
#ifdef Q_OS_WIN
const QString kFolderOnRoot = "windows";
#else
const QString kFolderOnRoot = "tmp";
#endif

// Every input at or below `iface`: text boxes, lists, combo boxes and their
// edit fields. The entries of a list are its values, not inputs.
void collectInputs(QAccessibleInterface* iface, QList<QAccessibleInterface*>& inputs) {
  const QAccessible::Role role = iface->role();
  const bool list =
      role == QAccessible::List || role == QAccessible::Table || role == QAccessible::Tree;
  if (list || role == QAccessible::ComboBox || role == QAccessible::EditableText ||
      role == QAccessible::SpinBox || iface->editableTextInterface())
    inputs.append(iface);
  if (list) return;
  for (int i = 0; i < iface->childCount(); ++i)
    if (QAccessibleInterface* child = iface->child(i)) collectInputs(child, inputs);
}

// What an input holds: its text, or for a list its selected entry.
QString valueOf(QAccessibleInterface* input) {
  if (QAccessibleTableInterface* table = input->tableInterface()) {
    const QList<QAccessibleInterface*> cells = table->selectedCells();
    return cells.isEmpty() ? QString() : cells.first()->text(QAccessible::Name);
  }
  return input->text(QAccessible::Value);
}

}  // namespace

class TstWindows : public QObject {
  Q_OBJECT
 private slots:
  void cleanup() { testing::unloadDialogs(); }
  void folderWindowStartsOnWorkingFolder();
  void subfolderAndRoot();
  void fileClickRestoresText();
  void applyStoresTypedText();
  void applyRefusals_data();
  void applyRefusals();
  void firstRunCancelAndClose_data();
  void firstRunCancelAndClose();
  void firstRunApplyShowsMainWindow();
  void reselectionApplyThenReopen();
  void reselectionCancelThenReopen();
  void unreadableFolderKeepsLists();
  void aboutWindow();
  void dialogsBesideMainWindow();
  void hugeMessageIsShortened();
  void inputsNamedByCaption_data();
  void inputsNamedByCaption();
};

void TstWindows::folderWindowStartsOnWorkingFolder() {
  testing::WindowWorkspace ws;
  Form1 form;
  QVERIFY(testing::showActive(&form));
  QTest::keyClick(&form, Qt::Key_O, Qt::ControlModifier);
  QCOMPARE(Module1::DialogMode, std::int16_t(51));
  QVERIFY(!form.isVisible());
  Form2* f2 = Form2Window.get();
  QVERIFY(f2->isVisible());
  QCOMPARE(f2->windowTitle(), QString("フォルダ選択"));
  QCOMPARE(testing::child<QLineEdit>(f2, "Text1")->text(),
           QDir::toNativeSeparators(QDir::currentPath()) + sep());
  QCOMPARE(testing::names(f2)->stringList(),
           QStringList({"cookenv.ini", "Foodtype.ini", "sound.ini"}));
  QCOMPARE(testing::child<QComboBox>(f2, "Drive1")->itemText(0), root());
  QCOMPARE(testing::child<QLabel>(f2, "Label2")->text(),
           QString("ＰＯＳＴＰＥＴのおやつフォルダを選択してね。"));
}

void TstWindows::subfolderAndRoot() {
  testing::WindowWorkspace ws;
  Form1 form;
  form.FILE_FOLDER_Click();
  Form2* f2 = Form2Window.get();
  CHECKED(openFolder(f2, "snacks"));
  QCOMPARE(testing::child<QLineEdit>(f2, "Text1")->text(), ws.snackFolder());
  QCOMPARE(testing::names(f2)->stringList().size(), 4);
  QCOMPARE(testing::child<FolderList>(f2, "Dir1")->path(), QDir::cleanPath(ws.path("snacks")));
  // Choosing the drive already shown keeps the opened folder.
  emit testing::child<QComboBox>(f2, "Drive1")
      ->activated(testing::child<QComboBox>(f2, "Drive1")->currentIndex());
  QCOMPARE(testing::child<FolderList>(f2, "Dir1")->path(), QDir::cleanPath(ws.path("snacks")));
  QCOMPARE(testing::child<QLineEdit>(f2, "Text1")->text(), ws.snackFolder());
  // Up to the root: one separator, never two.
  CHECKED(openFolder(f2, root()));
  QCOMPARE(testing::child<QLineEdit>(f2, "Text1")->text(), root());
  // Choosing a root from the drive list.
  CHECKED(openFolder(f2, kFolderOnRoot));
  testing::child<QComboBox>(f2, "Drive1")->setCurrentIndex(0);
  f2->Drive1_Change();
  QCOMPARE(testing::child<QLineEdit>(f2, "Text1")->text(), root());
  QCOMPARE(QDir::toNativeSeparators(testing::child<FolderList>(f2, "Dir1")->path()), root());
}

void TstWindows::fileClickRestoresText() {
  testing::WindowWorkspace ws;
  Form1 form;
  form.FILE_FOLDER_Click();
  Form2* f2 = Form2Window.get();
  CHECKED(openFolder(f2, "snacks"));
  testing::child<QLineEdit>(f2, "Text1")->setText("edited");
  testing::layOut(testing::child<QListView>(f2, "File1"));
  const QRect rect =
      testing::child<QListView>(f2, "File1")->visualRect(testing::names(f2)->index(1));
  QTest::mouseClick(testing::child<QListView>(f2, "File1")->viewport(), Qt::LeftButton, {},
                    rect.center());
  QCOMPARE(testing::child<QLineEdit>(f2, "Text1")->text(), ws.snackFolder());
}

void TstWindows::applyStoresTypedText() {
  testing::WindowWorkspace ws;
  Form1 form;
  form.show();
  form.FILE_FOLDER_Click();
  Form2* f2 = Form2Window.get();
  const QString typed = ws.path("snacks");  // no final separator
  testing::child<QLineEdit>(f2, "Text1")->setText(typed);
  QTest::mouseClick(testing::child<QPushButton>(f2, "Command1"), Qt::LeftButton);
  QCOMPARE(Module1::SnackFolder, typed);
  QCOMPARE(samplegen::readFile(kCookenvFile), samplegen::sjis(typed) + "\r\n");
  QVERIFY(!f2->isVisible());
  QVERIFY(Form2Window.loaded());
  QVERIFY(form.isVisible());
  // The current file is found with one separator inserted.
  QVERIFY(testing::showActive(&form));
  QTest::keyClick(&form, Qt::Key_L, Qt::ControlModifier);
  Form3* f3 = Form3Window.get();
  testing::child<QListView>(f3, "File1")->setCurrentIndex(testing::names(f3)->index(0));
  f3->Command1_Click();
  testing::processDeletes();
  QCOMPARE(Module1::SnackFilePath, typed + sep() + "fruit10.pac");
  QVERIFY(ws.messages.isEmpty());
}

void TstWindows::applyRefusals_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<bool>("blockFile");
  QTest::addColumn<QString>("mentioned");
  QTest::newRow("no Shift-JIS form") << "/home/한/" << false << "한";
  QTest::newRow("cookenv.ini cannot be written") << "/x/" << true << "cookenv.ini";
  QTest::newRow("line feed") << "/x/\n/y/" << false << "改行";
  QTest::newRow("carriage return") << "/x\r/" << false << "改行";
}

void TstWindows::applyRefusals() {
  QFETCH(QString, text);
  QFETCH(bool, blockFile);
  QFETCH(QString, mentioned);
  testing::WindowWorkspace ws;
  Form1 form;
  form.show();
  if (blockFile) {
    QVERIFY(QFile::remove(kCookenvFile));
    QVERIFY(QDir().mkdir(kCookenvFile));
  }
  const auto before = ws.checksums();
  const QString folder = Module1::SnackFolder;
  form.FILE_FOLDER_Click();
  Form2* f2 = Form2Window.get();
  testing::child<QLineEdit>(f2, "Text1")->setText(text);
  QTest::mouseClick(testing::child<QPushButton>(f2, "Command1"), Qt::LeftButton);
  QCOMPARE(ws.messages.size(), 1);
  QVERIFY2(ws.messages.first().contains(mentioned), qPrintable(ws.messages.first()));
  QVERIFY(f2->isVisible());
  QVERIFY(!form.isVisible());
  QCOMPARE(Module1::SnackFolder, folder);
  QCOMPARE(ws.checksums(), before);
}

void TstWindows::firstRunCancelAndClose_data() {
  QTest::addColumn<bool>("byFrame");
  QTest::newRow("Cancel") << false;
  QTest::newRow("frame close") << true;
}

void TstWindows::firstRunCancelAndClose() {
  QFETCH(bool, byFrame);
  testing::WindowWorkspace ws(true);
  Form1 form;
  Form2* f2 = Form2Window.get();
  if (byFrame)
    f2->close();
  else
    QTest::mouseClick(testing::child<QPushButton>(f2, "Command2"), Qt::LeftButton);
  QCOMPARE(ws.endCalls, 1);
  QCOMPARE(samplegen::readFile(kCookenvFile), QByteArray("NONE\r\n"));
}

void TstWindows::firstRunApplyShowsMainWindow() {
  testing::WindowWorkspace ws(true);
  Form1 form;
  Form2* f2 = Form2Window.get();
  CHECKED(openFolder(f2, "snacks"));
  QTest::mouseClick(testing::child<QPushButton>(f2, "Command1"), Qt::LeftButton);
  QVERIFY(form.isVisible());
  QCOMPARE(Module1::SnackFolder, ws.snackFolder());
  QCOMPARE(samplegen::readFile(kCookenvFile), samplegen::sjis(ws.snackFolder()) + "\r\n");
  QCOMPARE(ws.endCalls, 0);
}

void TstWindows::reselectionApplyThenReopen() {
  testing::WindowWorkspace ws;
  Form1 form;
  form.show();
  form.FILE_FOLDER_Click();
  Form2* f2 = Form2Window.get();
  CHECKED(openFolder(f2, "snacks"));
  testing::child<QLineEdit>(f2, "Text1")
      ->setText(testing::child<QLineEdit>(f2, "Text1")->text() + "x");
  QTest::mouseClick(testing::child<QPushButton>(f2, "Command1"), Qt::LeftButton);
  form.FILE_FOLDER_Click();
  QCOMPARE(Form2Window.get(), f2);
  QCOMPARE(testing::child<QLineEdit>(f2, "Text1")->text(), ws.snackFolder() + "x");
  QCOMPARE(testing::child<FolderList>(f2, "Dir1")->path(), QDir::cleanPath(ws.path("snacks")));
}

void TstWindows::reselectionCancelThenReopen() {
  testing::WindowWorkspace ws;
  Form1 form;
  form.show();
  const QString folder = Module1::SnackFolder;
  const auto before = ws.checksums();
  for (int byFrame = 0; byFrame < 2; ++byFrame) {
    form.FILE_FOLDER_Click();
    Form2* f2 = Form2Window.get();
    CHECKED(openFolder(f2, "snacks"));
    if (byFrame)
      f2->close();
    else
      QTest::mouseClick(testing::child<QPushButton>(f2, "Command2"), Qt::LeftButton);
    testing::processDeletes();
    QVERIFY(!Form2Window.loaded());
    QVERIFY(form.isVisible());
    QCOMPARE(Module1::SnackFolder, folder);
  }
  form.FILE_FOLDER_Click();
  QCOMPARE(testing::child<FolderList>(Form2Window.get(), "Dir1")->path(), QDir::currentPath());
  QCOMPARE(ws.checksums(), before);
  QCOMPARE(ws.endCalls, 0);
}

void TstWindows::unreadableFolderKeepsLists() {
  testing::WindowWorkspace ws;
  QVERIFY(QDir().mkpath(ws.path("snacks/inner")));
  Form1 form;
  form.FILE_FOLDER_Click();
  Form2* f2 = Form2Window.get();
  CHECKED(openFolder(f2, "snacks"));
  const QStringList files = testing::names(f2)->stringList();
  // The subfolder vanishes after it was listed: opening it changes nothing.
  QVERIFY(QDir(ws.path("snacks/inner")).removeRecursively());
  CHECKED(openFolder(f2, "inner"));
  QCOMPARE(ws.messages.size(), 1);
  QVERIFY(ws.messages.first().contains("inner"));
  QCOMPARE(testing::child<FolderList>(f2, "Dir1")->path(), QDir::cleanPath(ws.path("snacks")));
  QCOMPARE(testing::child<QLineEdit>(f2, "Text1")->text(), ws.snackFolder());
  QCOMPARE(testing::names(f2)->stringList(), files);
  QVERIFY(f2->isVisible());
  QCOMPARE(ws.endCalls, 0);
}

void TstWindows::aboutWindow() {
  testing::WindowWorkspace ws;
  Form1 form;
  QVERIFY(testing::showActive(&form));
  QTest::keyClick(&form, Qt::Key_A, Qt::ControlModifier);
  Form5* f5 = Form5Window.get();
  QVERIFY(f5 && f5->isVisible());
  QCOMPARE(f5->windowTitle(), QString("このプログラムについて"));
  QCOMPARE(testing::child<QLabel>(f5, "Label1")->text(),
           QString("ポストペット用おやつ変造まし～ん"));
  QCOMPARE(testing::child<QLabel>(f5, "Label2")->text(), QString("Crumbwright　Ver1.0 "));
  QVERIFY(testing::child<QLabel>(f5, "Label4")->text().startsWith("MailAddress : "));
  QVERIFY(testing::child<QLabel>(f5, "Label4")->text().endsWith("@example.org"));
  QCOMPARE(testing::child<QPlainTextEdit>(f5, "Text1")->toPlainText().split('\n').size(),
           6);  // four paragraphs, one empty line
  // Ctrl+A in a text box of the main window opens it too, and no second one.
  QVERIFY(testing::showActive(&form));
  testing::child<QLineEdit>(&form, "Text4")->setFocus();
  QTest::keyClick(testing::child<QLineEdit>(&form, "Text4"), Qt::Key_A, Qt::ControlModifier);
  QCOMPARE(Form5Window.get(), f5);
  testing::child<QPlainTextEdit>(f5, "Text1")->setPlainText("changed");
  QTest::mouseClick(testing::child<QPushButton>(f5, "Command1"), Qt::LeftButton);
  testing::processDeletes();
  QVERIFY(!Form5Window.loaded());
  form.HELP_INFO_Click();
  QVERIFY(testing::child<QPlainTextEdit>(Form5Window.get(), "Text1")
              ->toPlainText()
              .startsWith("このプログラムは"));
  Form5Window.get()->close();
  testing::processDeletes();
  QVERIFY(!Form5Window.loaded());
  QVERIFY(form.isVisible());
}

void TstWindows::dialogsBesideMainWindow() {
  testing::WindowWorkspace ws;
  Form1 form;
  form.show();
  form.HELP_INFO_Click();
  form.Label18_DblClick();
  QVERIFY(Form4Window.get()->isVisible());
  QVERIFY(Form5Window.get()->isVisible());
  QVERIFY(form.isVisible());
  QCOMPARE(Form4Window.get()->windowTitle(), QString("リフレッシュ（未開封）処理"));
  Form4Window.get()->close();
  testing::processDeletes();
  QVERIFY(!Form4Window.loaded());
  QVERIFY(form.isVisible());
  QVERIFY(ws.messages.isEmpty());
}

void TstWindows::hugeMessageIsShortened() {
  testing::WindowWorkspace ws;
  // A cookenv.ini of one megabyte-long line is taken as the folder; the
  // message that quotes it stays short enough to show at once.
  QVERIFY(samplegen::writeFile(kCookenvFile, QByteArray(1 << 20, 'a') + "\r\n"));
  Form1 form;
  form.FILE_READ_Click();
  QCOMPARE(ws.messages.size(), 1);
  QVERIFY(ws.messages.first().size() <= 2003);
  QVERIFY(ws.messages.first().startsWith("おやつフォルダ「aaa"));
  QVERIFY(ws.messages.first().endsWith("でフォルダを選び直してください。"));
}

void TstWindows::inputsNamedByCaption_data() {
  QTest::addColumn<QString>("window");
  QTest::addColumn<QStringList>("names");  // of every input, combo boxes three times
  QTest::newRow("Form1") << "Form1"
                         << QStringList{"おやつの名前",
                                        "おやつの説明",
                                        "おやつの作者",
                                        "おやつの番号",
                                        "食事音",
                                        "食事音",
                                        "食事音",
                                        "おやつの数量",
                                        "賞味期限",
                                        "おやつの熱量",
                                        "おやつ開封日時（年）",
                                        "おやつ開封日時（月）",
                                        "おやつ開封日時（日）",
                                        "おやつ開封日時（時）",
                                        "おやつ開封日時（分）",
                                        "おやつ開封日時（秒）",
                                        "おやつの種類",
                                        "おやつの種類",
                                        "おやつの種類",
                                        "おやつファイル"};
  QTest::newRow("Form2") << "Form2"
                         << QStringList{"ドライブ", "ドライブ", "フォルダ", "ファイル",
                                        "フォルダ名"};
  QTest::newRow("Form3") << "Form3" << QStringList{"おやつファイル"};
  QTest::newRow("Form4") << "Form4" << QStringList{};
  QTest::newRow("Form5") << "Form5" << QStringList{"使用上の注意"};
  QTest::newRow("Form6") << "Form6" << QStringList{"絵のファイル", "新しいおやつファイルの名前"};
  QTest::newRow("Form7") << "Form7" << QStringList{"絞り込み", "おやつの一覧"};
}

// Walks a window's accessibility tree as a screen reader does, with a snack
// loaded so that every box and list holds a value: each input has a name, the
// name is not its value, and the names are the captions.
void TstWindows::inputsNamedByCaption() {
  QFETCH(QString, window);
  QFETCH(QStringList, names);
  testing::WindowWorkspace ws;
  Form1 form;
  form.show();
  form.FILE_READ_Click();
  Form3* f3 = Form3Window.get();
  testing::child<QListView>(f3, "File1")->setCurrentIndex(testing::names(f3)->index(0));
  f3->Command1_Click();
  testing::processDeletes();
  QVERIFY(!testing::child<QComboBox>(&form, "Combo1")->currentText().isEmpty());
  QWidget* w = &form;
  if (window == "Form2") {
    form.FILE_FOLDER_Click();
    w = Form2Window.get();
  } else if (window == "Form3") {
    form.FILE_READ_Click();
    testing::child<QListView>(Form3Window.get(), "File1")
        ->setCurrentIndex(testing::names(Form3Window.get())->index(0));
    w = Form3Window.get();
  } else if (window == "Form4") {
    form.Label18_DblClick();
    w = Form4Window.get();
  } else if (window == "Form5") {
    form.HELP_INFO_Click();
    w = Form5Window.get();
  } else if (window == "Form6") {
    form.FILE_PICTURE_Click();
    w = Form6Window.get();
  } else if (window == "Form7") {
    form.FILE_LIST_Click();
    w = Form7Window.get();
    testing::child<QTableView>(w, "Grid1")->selectRow(0);
  }
  QVERIFY(w->isVisible());
  QList<QAccessibleInterface*> inputs;
  collectInputs(QAccessible::queryAccessibleInterface(w), inputs);
  QStringList found;
  for (QAccessibleInterface* input : inputs) {
    const QString name = input->text(QAccessible::Name);
    const QString value = valueOf(input);
    const QString what = QStringLiteral("%1 %2 holding \"%3\"")
                             .arg(window, input->object()->metaObject()->className(), value);
    QVERIFY2(!name.isEmpty(), qPrintable(what + " has no name"));
    QVERIFY2(name != value, qPrintable(what + " is named by its value"));
    found.append(name);
  }
  found.sort();
  names.sort();
  QCOMPARE(found, names);
}

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  ui::installFontSubstitutes();
  TstWindows t;
  return QTest::qExec(&t, argc, argv);
}
#include "tst_windows.moc"
