// SPDX-License-Identifier: GPL-3.0-or-later
// Loading, saving, refreshing and the factory, driven through the windows.
#include <QAccessible>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "header_table.h"
#include "snack/operations.h"
#include "ui/access.h"
#include "ui/form1.h"
#include "ui/look.h"
#include "window_support.h"

namespace {

// Picks a file in Form3 by clicking it, then presses Apply.
void loadThroughWindow(Form1& form, const QString& name) {
  QVERIFY(testing::showActive(&form));
  QTest::keyClick(&form, Qt::Key_L, Qt::ControlModifier);
  Form3* f3 = Form3Window.get();
  QVERIFY(f3 && f3->isVisible());
  testing::layOut(testing::child<QListView>(f3, "File1"));
  const int row = testing::names(f3)->stringList().indexOf(name);
  QVERIFY2(row >= 0, qPrintable(name));
  const QRect rect =
      testing::child<QListView>(f3, "File1")->visualRect(testing::names(f3)->index(row));
  QTest::mouseClick(testing::child<QListView>(f3, "File1")->viewport(), Qt::LeftButton, {},
                    rect.center());
  QVERIFY(testing::child<QPushButton>(f3, "Command1")->isEnabled());
  QTest::mouseClick(testing::child<QPushButton>(f3, "Command1"), Qt::LeftButton);
  testing::processDeletes();
}

void save(Form1& form) {
  QVERIFY(testing::showActive(&form));
  QTest::keyClick(testing::child<QLineEdit>(&form, "Text14"), Qt::Key_S, Qt::ControlModifier);
}

// Chooses a folder in Form2 as a user does: Ctrl+O, the folder text, Apply.
void chooseFolder(Form1& form, const QString& folder) {
  QVERIFY(testing::showActive(&form));
  QTest::keyClick(&form, Qt::Key_O, Qt::ControlModifier);
  Form2* f2 = Form2Window.get();
  QVERIFY(f2 && f2->isVisible());
  testing::child<QLineEdit>(f2, "Text1")
      ->setText(QDir::toNativeSeparators(folder) + QDir::separator());
  QTest::mouseClick(testing::child<QPushButton>(f2, "Command1"), Qt::LeftButton);
  QVERIFY(form.isVisible());
}

#ifndef Q_OS_WIN
// Files under names that are raw bytes, which QFile would take for UTF-8.
QByteArray readRaw(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return QByteArray::fromStdString(std::string(std::istreambuf_iterator<char>(in), {}));
}

bool writeRaw(const std::string& path, const QByteArray& bytes) {
  std::ofstream out(path, std::ios::binary);
  return bool(out.write(bytes.constData(), bytes.size()));
}
#endif

void refreshThroughWindow(Form1& form) {
  QTest::mouseDClick(testing::child<ClickLabel>(&form, "Label18"), Qt::LeftButton);
  QVERIFY(Form4Window.loaded());
  QTest::mouseClick(testing::child<QPushButton>(Form4Window.get(), "Command1"), Qt::LeftButton);
  testing::processDeletes();
}

}  // namespace

class TstEditing : public QObject {
  Q_OBJECT
 private slots:
  void cleanup() { testing::unloadDialogs(); }
  void selectionWindowListsFolder();
  void loadShowsFields_data();
  void loadShowsFields();
  void loadThenSaveChangesNothing_data();
  void loadThenSaveChangesNothing();
  void editAndSave();
  void saveRefusesBadFields_data();
  void saveRefusesBadFields();
  void saveWithoutLoad();
  void cancelAndFrameClose();
  void applyOnVanishedFile();
  void missingSnackFolder();
  void refresh();
  void refreshWithoutCurrentFile();
  void shiftJisNames();
  void saveAndRefreshKeepToLoadedFile();
  void factory();
  void factoryKeepsCurrentFile_data();
  void factoryKeepsCurrentFile();
  void unsavedEdits_data();
  void unsavedEdits();
  void refreshFromKeyboard_data();
  void refreshFromKeyboard();
};

void TstEditing::selectionWindowListsFolder() {
  testing::WindowWorkspace ws;
  for (const char* n : {"a10.pac", "b1.pac", "a9.pac", "B.pac", "a.pac", ".hidden"})
    QVERIFY(samplegen::writeFile(ws.snack(n), "x"));
  QVERIFY(QDir().mkpath(ws.snack("subfolder")));
  Form1 form;
  QVERIFY(testing::showActive(&form));
  QTest::keyClick(&form, Qt::Key_L, Qt::ControlModifier);
  QCOMPARE(Module1::DialogMode, std::int16_t(60));
  QVERIFY(!form.isVisible());
  Form3* f3 = Form3Window.get();
  QCOMPARE(f3->windowTitle(), QString("おやつファイル選択"));
  QCOMPARE(testing::child<QLabel>(f3, "Label1")->text(),
           QString("ＰＯＳＴＰＥＴのおやつを選択してね。"));
  QCOMPARE(testing::child<QPushButton>(f3, "Command1")->text(), QString("適　用"));
  QVERIFY(!testing::child<QPushButton>(f3, "Command1")->isEnabled());
  // As file managers order them: punctuation, then digits by value, then letters.
  QCOMPARE(testing::names(f3)->stringList(),
           QStringList({"a.pac", "a9.pac", "a10.pac", "B.pac", "b1.pac", "fruit10.pac",
                        "houjicha.pac", "ichigo.pac", "mugen.pac"}));
  // Apply with nothing selected does nothing.
  f3->Command1_Click();
  QVERIFY(f3->isVisible());
  QVERIFY(Module1::SnackFileName.isEmpty());
}

void TstEditing::loadShowsFields_data() {
  QTest::addColumn<QString>("file");
  QTest::addColumn<QStringList>("boxes");  // Text1 .. Text13
  QTest::addColumn<int>("type");
  QTest::addColumn<int>("sound");
  QTest::addColumn<QString>("state");
  QTest::newRow("unlimited") << "mugen.pac"
                             << QStringList{"むげんクッキー",
                                            "いくら食べてもなくならない、ふしぎなクッキー。",
                                            "おかしの森",
                                            "65535",
                                            "無制限",
                                            "無制限",
                                            "無制限",
                                            "0",
                                            "0",
                                            "0",
                                            "0",
                                            "0",
                                            "0"}
                             << 7 << 2 << "未開封";
  QTest::newRow("opened") << "houjicha.pac"
                          << QStringList{"ほうじ茶ラテ",
                                         "こうばしい香りのあたたかいのみもの。",
                                         "まめ茶房",
                                         "4660",
                                         "1",
                                         "0",
                                         "80",
                                         "2000",
                                         "11",
                                         "30",
                                         "12",
                                         "34",
                                         "56"}
                          << 4 << 3 << "開封";
  QTest::newRow("year only, empty author") << "fruit10.pac"
                                           << QStringList{"きせつのフルーツ盛り合わせ～夏～",
                                                          "すいか、メロン、もも。",
                                                          "",
                                                          "256",
                                                          "256",
                                                          "2",
                                                          "2000",
                                                          "2001",
                                                          "0",
                                                          "0",
                                                          "0",
                                                          "0",
                                                          "0"}
                                           << 3 << 5 << "未開封";
}

void TstEditing::loadShowsFields() {
  QFETCH(QString, file);
  QFETCH(QStringList, boxes);
  QFETCH(int, type);
  QFETCH(int, sound);
  QFETCH(QString, state);
  testing::WindowWorkspace ws;
  const QByteArray before = samplegen::readFile(ws.snack(file));
  Form1 form;
  form.show();
  CHECKED(loadThroughWindow(form, file));
  QVERIFY(form.isVisible());
  QVERIFY(!Form3Window.loaded());
  QCOMPARE(Module1::SnackFileName, file);
  QCOMPARE(testing::child<QLineEdit>(&form, "Text14")->text(), file);
  const QStringList shown = testing::boxTexts(form);
  QCOMPARE(shown, boxes);
  QCOMPARE(testing::child<QComboBox>(&form, "Combo2")->currentIndex(), type);
  QCOMPARE(testing::child<QComboBox>(&form, "Combo1")->currentIndex(), sound);
  QCOMPARE(testing::child<ClickLabel>(&form, "Label18")->text(), state);
  if (type == 3)
    QCOMPARE(testing::child<QComboBox>(&form, "Combo2")->currentText(), QString("--------"));
  QCOMPARE(samplegen::readFile(ws.snack(file)), before);
  QVERIFY(ws.messages.isEmpty());
}

void TstEditing::loadThenSaveChangesNothing_data() {
  QTest::addColumn<QByteArray>("name");  // raw bytes of the name text
  QTest::addColumn<int>("length");
  QTest::newRow("NEC and IBM duplicate codes") << QByteArray("\xed\x40\x87\x90\xfa\x4a") << 6;
  QTest::newRow("length ends inside a character") << QByteArray("\x82\xa0\x82\xa2") << 3;
  QTest::newRow("unassigned pair and CR LF") << QByteArray("\x85\x40\r\nA") << 5;
  QTest::newRow("lone CR") << QByteArray("a\rb") << 3;
  QTest::newRow("255 bytes") << QByteArray(255, 'z') << 255;
}

void TstEditing::loadThenSaveChangesNothing() {
  QFETCH(QByteArray, name);
  QFETCH(int, length);
  testing::WindowWorkspace ws;
  QByteArray file = samplegen::readFile(ws.snack("ichigo.pac"));
  file[hdr::NameLength.at] = static_cast<char>(length);
  file.replace(hdr::NameText.at, name.size(), name);
  QVERIFY(samplegen::writeFile(ws.snack("odd.pac"), file));
  Form1 form;
  form.show();
  CHECKED(loadThroughWindow(form, "odd.pac"));
  CHECKED(save(form));
  QVERIFY2(ws.messages.isEmpty(), qPrintable(ws.messages.join('\n')));
  const QByteArray after = samplegen::readFile(ws.snack("odd.pac"));
  // The name area after the text is zero-filled; every other byte stays.
  QCOMPARE(after.mid(hdr::NameText.at, length), file.mid(hdr::NameText.at, length));
  QCOMPARE(after.mid(hdr::NameText.at + length, hdr::NameText.size - length),
           QByteArray(hdr::NameText.size - length, 0));
  QCOMPARE(after[hdr::NameLength.at], file[hdr::NameLength.at]);
  CHECKED(testing::compareOutside(file, after, testing::savedOffsets()));
  const int description = samplegen::sjis(samplegen::sampleSnacks()[0].description).size();
  QCOMPARE(after.mid(hdr::DescriptionLength.at, 1 + description),
           file.mid(hdr::DescriptionLength.at, 1 + description));
  // A second save without edits gives the same file.
  CHECKED(save(form));
  QCOMPARE(samplegen::readFile(ws.snack("odd.pac")), after);
}

void TstEditing::editAndSave() {
  testing::WindowWorkspace ws;
  const QString path = ws.snack("houjicha.pac");
  const QByteArray before = samplegen::readFile(path);
  Form1 form;
  form.show();
  CHECKED(loadThroughWindow(form, "houjicha.pac"));
  testing::child<QPlainTextEdit>(&form, "Text1")->setPlainText("新しい\nなまえ");
  testing::child<QPlainTextEdit>(&form, "Text3")->clear();
  testing::child<QLineEdit>(&form, "Text4")->setText("無制限");
  testing::child<QLineEdit>(&form, "Text5")->setText("256");
  testing::child<QLineEdit>(&form, "Text6")->setText("100000");
  testing::child<QLineEdit>(&form, "Text7")->setText("１２３");
  testing::child<QLineEdit>(&form, "Text8")->setText(" 2000 ");
  testing::child<QLineEdit>(&form, "Text9")->setText("0");
  testing::child<QLineEdit>(&form, "Text10")->setText("0");
  testing::child<QLineEdit>(&form, "Text11")->setText("23");
  testing::child<QLineEdit>(&form, "Text12")->setText("59");
  testing::child<QLineEdit>(&form, "Text13")->setText("30");
  testing::child<QComboBox>(&form, "Combo2")->setCurrentIndex(255);
  testing::child<QComboBox>(&form, "Combo1")->setCurrentIndex(0);
  testing::child<QLineEdit>(&form, "Text14")->setText("other.pac");  // not the file a save writes
  CHECKED(save(form));
  QVERIFY2(ws.messages.isEmpty(), qPrintable(ws.messages.join('\n')));
  const QByteArray after = samplegen::readFile(path);
  CHECKED(testing::compareOutside(before, after, testing::savedOffsets()));
  const QByteArray name = samplegen::sjis("新しい\r\nなまえ");
  QCOMPARE(int(uchar(after[hdr::NameLength.at])), name.size());
  QCOMPARE(after.mid(hdr::NameText.at, name.size()), name);
  QCOMPARE(after.mid(hdr::AuthorLength.at, 256), QByteArray(256, 0));
  QCOMPARE(after.mid(hdr::Number.at, 2), QByteArray("\xff\xff"));
  QCOMPARE(after.mid(hdr::TypeIndex.at, 7), QByteArray("\xff\x00\x01\xff\xff\x7b\x00", 7));
  QCOMPARE(after.mid(hdr::OpenedYear.at, 14),
           QByteArray("\xd0\x07\x00", 3) + before.mid(892, 1) + QByteArray("\x00", 1) +
               before.mid(894, 1) + QByteArray("\x17", 1) + before.mid(896, 1) +
               QByteArray("\x3b", 1) + before.mid(898, 1) + QByteArray("\x1e", 1) +
               before.mid(900, 1) + QByteArray(2, 0));
  QCOMPARE(int(uchar(after[hdr::SoundIndex.at])), 0);
  QCOMPARE(testing::child<QLineEdit>(&form, "Text6")->text(), QString("100000"));
  QCOMPARE(testing::child<ClickLabel>(&form, "Label18")->text(),
           QString("開封"));  // not evaluated again by a save
  QCOMPARE(Module1::SnackRecord.QuantityHigh, std::uint8_t(1));
  QVERIFY(!QFile::exists(ws.snack("other.pac")));
  // A new load shows what was stored.
  CHECKED(loadThroughWindow(form, "houjicha.pac"));
  QCOMPARE(testing::child<QPlainTextEdit>(&form, "Text1")->toPlainText(),
           QString("新しい\nなまえ"));
  QCOMPARE(testing::child<QLineEdit>(&form, "Text6")->text(), QString("無制限"));
  QCOMPARE(testing::child<QLineEdit>(&form, "Text4")->text(), QString("65535"));
  QCOMPARE(testing::child<ClickLabel>(&form, "Label18")->text(), QString("開封"));
}

void TstEditing::saveRefusesBadFields_data() {
  QTest::addColumn<QString>("box");
  QTest::addColumn<QString>("text");
  QTest::addColumn<QString>("mentioned");
  QTest::newRow("name too long") << "Text1" << QString(128, QChar(0x3042)) << "256 バイト";
  QTest::newRow("no Shift-JIS form") << "Text2"
                                     << "ok😀"
                                     << "😀";
  QTest::newRow("mark of bytes that are not text") << "Text2"
                                                   << "ok\uFFFD"
                                                   << "「\uFFFD」を消すか";
  QTest::newRow("empty number") << "Text4"
                                << ""
                                << "おやつの番号";
  QTest::newRow("negative quantity") << "Text5"
                                     << "-1"
                                     << "おやつの数量";
  QTest::newRow("not whole") << "Text6"
                             << "7.5"
                             << "賞味期限";
  QTest::newRow("letters in calories") << "Text7"
                                       << "abc"
                                       << "おやつの熱量";
  QTest::newRow("unlimited year") << "Text8"
                                  << "無制限"
                                  << "年";
  QTest::newRow("month 256") << "Text9"
                             << "256"
                             << "月";
  QTest::newRow("second empty") << "Text13"
                                << ""
                                << "秒";
  QTest::newRow("type typed") << "Combo2"
                              << "typed"
                              << "おやつの種類";
  QTest::newRow("sound typed") << "Combo1"
                               << "typed"
                               << "食事音";
}

void TstEditing::saveRefusesBadFields() {
  QFETCH(QString, box);
  QFETCH(QString, text);
  QFETCH(QString, mentioned);
  testing::WindowWorkspace ws;
  Form1 form;
  form.show();
  CHECKED(loadThroughWindow(form, "ichigo.pac"));
  const auto before = ws.checksums();
  const auto record = Module1::SnackRecord;
  // Every other field also holds an edit, so nothing may be written.
  testing::child<QPlainTextEdit>(&form, "Text3")->setPlainText("かわった");
  testing::child<QLineEdit>(&form, "Text5")->setText("9");
  QWidget* w = testing::child<QWidget>(&form, qPrintable(box));
  if (auto* area = qobject_cast<QPlainTextEdit*>(w)) area->setPlainText(text);
  if (auto* line = qobject_cast<QLineEdit*>(w)) line->setText(text);
  if (auto* combo = qobject_cast<QComboBox*>(w)) combo->lineEdit()->setText(text);
  CHECKED(save(form));
  QCOMPARE(ws.messages.size(), 1);
  QVERIFY2(ws.messages.first().contains(mentioned), qPrintable(ws.messages.first()));
  QCOMPARE(ws.checksums(), before);
  QVERIFY(Module1::SnackRecord == record);
}

void TstEditing::saveWithoutLoad() {
  testing::WindowWorkspace ws;
  const auto before = ws.checksums();
  Form1 form;
  form.show();
  form.FILE_SAVE_Click();
  QCOMPARE(ws.messages.size(), 1);
  QVERIFY(ws.messages.first().contains("読み込まれていません"));
  QCOMPARE(ws.checksums(), before);
}

void TstEditing::cancelAndFrameClose() {
  testing::WindowWorkspace ws;
  Form1 form;
  form.show();
  CHECKED(loadThroughWindow(form, "ichigo.pac"));
  testing::child<QPlainTextEdit>(&form, "Text1")->setPlainText("edited");
  for (int way = 0; way < 2; ++way) {
    QVERIFY(testing::showActive(&form));
    QTest::keyClick(&form, Qt::Key_L, Qt::ControlModifier);
    Form3* f3 = Form3Window.get();
    testing::child<QListView>(f3, "File1")->setCurrentIndex(testing::names(f3)->index(0));
    if (way == 0)
      QTest::mouseClick(testing::child<QPushButton>(f3, "Command2"), Qt::LeftButton);
    else
      f3->close();
    testing::processDeletes();
    QVERIFY(form.isVisible());
    QVERIFY(!Form3Window.loaded());
    QCOMPARE(Module1::SnackFileName, QString("ichigo.pac"));
    QCOMPARE(testing::child<QLineEdit>(&form, "Text14")->text(), QString("ichigo.pac"));
    QCOMPARE(testing::child<QPlainTextEdit>(&form, "Text1")->toPlainText(), QString("edited"));
  }
  QCOMPARE(ws.endCalls, 0);
}

void TstEditing::applyOnVanishedFile() {
  testing::WindowWorkspace ws;
  Form1 form;
  form.show();
  CHECKED(loadThroughWindow(form, "ichigo.pac"));
  const auto record = Module1::SnackRecord;
  QVERIFY(testing::showActive(&form));
  QTest::keyClick(&form, Qt::Key_L, Qt::ControlModifier);
  Form3* f3 = Form3Window.get();
  testing::child<QListView>(f3, "File1")
      ->setCurrentIndex(
          testing::names(f3)->index(testing::names(f3)->stringList().indexOf("mugen.pac")));
  QVERIFY(QFile::remove(ws.snack("mugen.pac")));
  QTest::mouseClick(testing::child<QPushButton>(f3, "Command1"), Qt::LeftButton);
  QCOMPARE(ws.messages.size(), 1);
  QVERIFY(ws.messages.first().contains("mugen.pac"));
  QVERIFY(f3->isVisible());
  QCOMPARE(Module1::SnackFileName, QString("ichigo.pac"));
  QVERIFY(Module1::SnackRecord == record);
  QCOMPARE(testing::child<QPlainTextEdit>(&form, "Text1")->toPlainText(),
           QString("いちごのショートケーキ"));
  QVERIFY(!QFile::exists(ws.snack("mugen.pac")));
}

void TstEditing::missingSnackFolder() {
  testing::WindowWorkspace ws;
  Form1 form;
  QVERIFY(testing::showActive(&form));
  Module1::SnackFolder = ws.path("nowhere/");
  QTest::keyClick(&form, Qt::Key_L, Qt::ControlModifier);
  QCOMPARE(ws.messages.size(), 1);
  QVERIFY(ws.messages.first().contains("おやつフォルダ再設定"));
  QVERIFY(testing::names(Form3Window.get())->stringList().isEmpty());
  QTest::mouseClick(testing::child<QPushButton>(Form3Window.get(), "Command2"), Qt::LeftButton);
  testing::processDeletes();
  QVERIFY(form.isVisible());
}

void TstEditing::refresh() {
  testing::WindowWorkspace ws;
  const QString path = ws.snack("houjicha.pac");
  QByteArray before = samplegen::readFile(path);
  before[894] = 3;
  QVERIFY(samplegen::writeFile(path, before));
  Form1 form;
  CHECKED(loadThroughWindow(form, "houjicha.pac"));
  testing::child<QPlainTextEdit>(&form, "Text1")->setPlainText("unsaved edit");
  QTest::mouseDClick(testing::child<ClickLabel>(&form, "Label18"), Qt::LeftButton);
  Form4* f4 = Form4Window.get();
  QVERIFY(f4 && f4->isVisible());
  QVERIFY(form.isVisible());
  QTest::mouseDClick(testing::child<ClickLabel>(&form, "Label18"), Qt::LeftButton);
  QCOMPARE(Form4Window.get(), f4);
  // "リフレッシュしない" changes nothing.
  QTest::mouseClick(testing::child<QPushButton>(f4, "Command2"), Qt::LeftButton);
  testing::processDeletes();
  QVERIFY(!Form4Window.loaded());
  QCOMPARE(samplegen::readFile(path), before);
  QCOMPARE(testing::child<ClickLabel>(&form, "Label18")->text(), QString("開封"));

  QTest::mouseDClick(testing::child<ClickLabel>(&form, "Label18"), Qt::LeftButton);
  QCOMPARE(testing::child<QPushButton>(Form4Window.get(), "Command1")->text(),
           QString("リフレッシュする"));
  QTest::mouseClick(testing::child<QPushButton>(Form4Window.get(), "Command1"), Qt::LeftButton);
  testing::processDeletes();
  QVERIFY(!Form4Window.loaded());
  const QByteArray after = samplegen::readFile(path);
  QCOMPARE(after.mid(hdr::OpenedYear.at, 14), QByteArray(14, 0));
  QCOMPARE(after.left(hdr::OpenedYear.at), before.left(hdr::OpenedYear.at));
  QCOMPARE(after.mid(hdr::SoundIndex.at), before.mid(hdr::SoundIndex.at));
  QCOMPARE(testing::child<ClickLabel>(&form, "Label18")->text(), QString("未開封"));
  QCOMPARE(testing::boxTexts(form).mid(7), QStringList(6, "0"));  // Text8 to Text13
  QCOMPARE(testing::child<QPlainTextEdit>(&form, "Text1")->toPlainText(), QString("unsaved edit"));
  QCOMPARE(Module1::SnackRecord.YearLow, std::uint8_t(0));
  QCOMPARE(Module1::SnackRecord.Second, std::uint8_t(56));
  QVERIFY(ws.messages.isEmpty());
  // The cleared date is what the file holds; only the typed name is an edit.
  QVERIFY(form.HasUnsavedEdits());
  testing::child<QPlainTextEdit>(&form, "Text1")->setPlainText("ほうじ茶ラテ");
  QVERIFY(!form.HasUnsavedEdits());
}

// A folder and files whose names are code page 932 bytes, as archives from
// Japanese Windows machines leave them: listed under their Japanese names,
// chosen, found again at the next start, loaded, saved and refreshed in place.
void TstEditing::shiftJisNames() {
#ifdef Q_OS_WIN
  QSKIP("file names are Unicode on Windows, never code page 932 bytes");
#else
  namespace fs = std::filesystem;
  testing::WindowWorkspace ws;
  const std::string folder = QDir::currentPath().toStdString() + "/\x82\xa8\x82\xe2\x82\xc2";
  const std::string purin = folder + "/\x82\xd5\x82\xe8\x82\xf1.pac";  // ぷりん.pac
  const std::string odd = folder + "/\xff.pac";                        // neither
  const QByteArray before = samplegen::readFile(ws.snack("houjicha.pac"));
  const QByteArray oddBytes = samplegen::readFile(ws.snack("mugen.pac"));
  QVERIFY(fs::create_directory(folder));
  // QTemporaryDir leaves names that are not UTF-8 behind.
  const struct RemoveAll {
    std::string path;
    ~RemoveAll() {
      std::error_code ignored;
      fs::remove_all(path, ignored);
    }
  } cleanup{folder};
  QVERIFY(writeRaw(purin, before));
  QVERIFY(writeRaw(odd, oddBytes));
  const QString shownFolder = QDir::currentPath() + "/おやつ/";
  {
    Form1 form;
    QVERIFY(testing::showActive(&form));
    QTest::keyClick(&form, Qt::Key_O, Qt::ControlModifier);
    Form2* f2 = Form2Window.get();
    testing::layOut(testing::child<FolderList>(f2, "Dir1"));
    const auto items =
        testing::child<FolderList>(f2, "Dir1")->findItems("おやつ", Qt::MatchEndsWith);
    QCOMPARE(items.size(), 1);
    const QPoint at = testing::child<FolderList>(f2, "Dir1")->visualItemRect(items[0]).center();
    QTest::mouseClick(testing::child<FolderList>(f2, "Dir1")->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(testing::child<FolderList>(f2, "Dir1")->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(testing::child<QLineEdit>(f2, "Text1")->text(), shownFolder);
    QCOMPARE(testing::names(f2)->stringList(), QStringList({"\uFFFD.pac", "ぷりん.pac"}));
    QTest::mouseClick(testing::child<QPushButton>(f2, "Command1"), Qt::LeftButton);
    QCOMPARE(samplegen::readFile("cookenv.ini"), QByteArray::fromStdString(folder) + "/\r\n");
  }
  testing::unloadDialogs();
  Form1 form;  // the next start
  QCOMPARE(Module1::SnackFolder, shownFolder);
  CHECKED(loadThroughWindow(form, "ぷりん.pac"));
  QCOMPARE(Module1::SnackFileName, QString("ぷりん.pac"));
  QCOMPARE(testing::child<QLineEdit>(&form, "Text14")->text(), QString("ぷりん.pac"));
  QCOMPARE(testing::child<QPlainTextEdit>(&form, "Text1")->toPlainText(), QString("ほうじ茶ラテ"));
  testing::child<QPlainTextEdit>(&form, "Text1")->setPlainText("ぷりん");
  CHECKED(save(form));
  QByteArray expected = before;
  expected[32] = 6;
  expected.replace(33, 255, QByteArray("\x82\xd5\x82\xe8\x82\xf1") + QByteArray(249, 0));
  // The description and the author are written back whole: their text, then zeros.
  for (const int length : {288, 544}) {
    const int n = uchar(before[length]);
    expected.replace(length + 1 + n, 255 - n, QByteArray(255 - n, 0));
  }
  expected.replace(901, 2, QByteArray(2, 0));  // the spare bytes after the second
  QCOMPARE(readRaw(purin), expected);
  CHECKED(refreshThroughWindow(form));
  expected.replace(889, 14, QByteArray(14, 0));
  QCOMPARE(readRaw(purin), expected);
  QCOMPARE(readRaw(odd), oddBytes);
  // What the factory makes is named in the system's own form.
  testing::child<QAction>(&form, "FILE_NEW")->trigger();
  QVERIFY(QFile::exists("おやつ工場/ぷりん.pac"));
  // No file or folder under the names' UTF-8 form was made.
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename().native());
  QVERIFY(names == std::set<std::string>({"\x82\xd5\x82\xe8\x82\xf1.pac", "\xff.pac"}));
  QVERIFY(!QFileInfo::exists("おやつ"));
  QVERIFY2(ws.messages.isEmpty(), qPrintable(ws.messages.join('\n')));
#endif
}

void TstEditing::refreshWithoutCurrentFile() {
  testing::WindowWorkspace ws;
  const auto before = ws.checksums();
  Form1 form;
  form.show();
  form.Label18_DblClick();
  Form4Window.get()->Command1_Click();
  testing::processDeletes();
  QCOMPARE(ws.messages.size(), 1);
  QCOMPARE(ws.checksums(), before);
  QCOMPARE(testing::child<QLineEdit>(&form, "Text8")->text(), QString("0000"));
  // A current file that has been removed since it was loaded.
  Module1::SnackFileName = "gone.pac";
  Module1::SnackFilePath = ws.snack("gone.pac");
  form.Label18_DblClick();
  Form4Window.get()->Command1_Click();
  testing::processDeletes();
  QCOMPARE(ws.messages.size(), 2);
  QVERIFY(ws.messages.last().contains("gone.pac"));
  QCOMPARE(ws.checksums(), before);
  QCOMPARE(testing::child<ClickLabel>(&form, "Label18")->text(), QString("未開封"));
  QCOMPARE(testing::child<QLineEdit>(&form, "Text8")->text(), QString("0000"));
}

// The file loaded from one folder stays the file that saves and refreshes
// write after another folder, holding a file of the same name, is chosen.
void TstEditing::saveAndRefreshKeepToLoadedFile() {
  testing::WindowWorkspace ws;
  const QString loaded = ws.snack("ichigo.pac");
  const QString other = ws.path("other/ichigo.pac");
  QVERIFY(QDir().mkpath(ws.path("other")));
  const QByteArray otherBytes = samplegen::readFile(ws.snack("mugen.pac"));
  QVERIFY(samplegen::writeFile(other, otherBytes));
  Form1 form;
  form.show();
  CHECKED(loadThroughWindow(form, "ichigo.pac"));
  save(form);  // the stored form of what was loaded
  QByteArray expected = samplegen::readFile(loaded);

  CHECKED(chooseFolder(form, ws.path("other")));
  QCOMPARE(testing::child<QLineEdit>(&form, "Text14")->text(), QString("ichigo.pac"));
  testing::child<QLineEdit>(&form, "Text4")->setText("4660");
  CHECKED(save(form));
  QVERIFY2(ws.messages.isEmpty(), qPrintable(ws.messages.join('\n')));
  expected.replace(12, 2, QByteArray("\x34\x12", 2));
  QCOMPARE(samplegen::readFile(loaded), expected);
  QCOMPARE(samplegen::readFile(other), otherBytes);

  CHECKED(refreshThroughWindow(form));
  QVERIFY2(ws.messages.isEmpty(), qPrintable(ws.messages.join('\n')));
  expected.replace(889, 14, QByteArray(14, 0));
  QCOMPARE(samplegen::readFile(loaded), expected);
  QCOMPARE(samplegen::readFile(other), otherBytes);

  // Removed since the load: made again at its own path, 904 bytes of which
  // only the saved ones are not zero.
  QVERIFY(QFile::remove(loaded));
  CHECKED(save(form));
  QVERIFY2(ws.messages.isEmpty(), qPrintable(ws.messages.join('\n')));
  const auto saved = testing::savedOffsets();
  QByteArray remade(904, 0);
  for (int i = 0; i < 904; ++i)
    if (saved.count(i)) remade[i] = expected[i];
  QCOMPARE(samplegen::readFile(loaded), remade);
  QCOMPARE(samplegen::readFile(other), otherBytes);
  QCOMPARE(QDir(ws.path("other")).entryList(QDir::Files), QStringList{"ichigo.pac"});
}

void TstEditing::factory() {
  testing::WindowWorkspace ws;
  Form1 form;
  QVERIFY(testing::showActive(&form));
  QTest::keyClick(testing::child<QPlainTextEdit>(&form, "Text1"), Qt::Key_N, Qt::ControlModifier);
  QVERIFY(ws.messages.isEmpty());
  const QByteArray parts = samplegen::readFile(ws.path("おやつ工場/head.dat")) +
                           samplegen::readFile(ws.path("おやつ工場/Image.bmp")) +
                           samplegen::readFile(ws.path("おやつ工場/mask.bmp"));
  QCOMPARE(samplegen::readFile(ws.path("おやつ工場/おやつw.pac")), parts);
  // After a load the factory writes a file of that name into its own folder.
  CHECKED(loadThroughWindow(form, "ichigo.pac"));
  const QByteArray loaded = samplegen::readFile(ws.snack("ichigo.pac"));
  QVERIFY(testing::showActive(&form));
  QTest::keyClick(testing::child<QPlainTextEdit>(&form, "Text1"), Qt::Key_N, Qt::ControlModifier);
  QCOMPARE(samplegen::readFile(ws.path("おやつ工場/ichigo.pac")), parts);
  QCOMPARE(samplegen::readFile(ws.snack("ichigo.pac")), loaded);
  testing::child<QLineEdit>(&form, "Text14")->clear();
  form.FILE_NEW_Click();
  QCOMPARE(ws.messages.size(), 1);
  QVERIFY(ws.messages.first().contains("おやつファイル"));
}

void TstEditing::factoryKeepsCurrentFile_data() {
  QTest::addColumn<QString>("output");  // the name in Text14 for the second run
  QTest::addColumn<int>("link");        // 0 none, 1 symbolic link, 2 hard link
  QTest::newRow("the loaded name") << "made.pac" << 0;
  QTest::newRow("symbolic link to it") << "link.pac" << 1;
  QTest::newRow("hard link to it") << "twin.pac" << 2;
}

// The factory folder used as the snack folder: a snack made, loaded, edited
// and saved is never made anew over the saved edit.
void TstEditing::factoryKeepsCurrentFile() {
  QFETCH(QString, output);
  QFETCH(int, link);
  testing::WindowWorkspace ws;
  const QString made = ws.path("おやつ工場/made.pac");
  const QByteArray parts = samplegen::readFile(ws.path("おやつ工場/head.dat")) +
                           samplegen::readFile(ws.path("おやつ工場/Image.bmp")) +
                           samplegen::readFile(ws.path("おやつ工場/mask.bmp"));
  Form1 form;
  QVERIFY(testing::showActive(&form));
  testing::child<QLineEdit>(&form, "Text14")->setText("made.pac");
  QTest::keyClick(testing::child<QLineEdit>(&form, "Text14"), Qt::Key_N, Qt::ControlModifier);
  QCOMPARE(samplegen::readFile(made), parts);
  CHECKED(chooseFolder(form, ws.path("おやつ工場")));
  CHECKED(loadThroughWindow(form, "made.pac"));
  // A new working folder's head.dat is an empty header.
  for (const char* text : {"Text1", "Text2", "Text3"})
    QCOMPARE(testing::child<QPlainTextEdit>(&form, text)->toPlainText(), QString());
  QStringList numbers;
  for (const char* box : {"Text4", "Text5", "Text6", "Text7", "Text8", "Text13"})
    numbers << testing::child<QLineEdit>(&form, box)->text();
  QCOMPARE(numbers, QStringList({"0", "1", "7", "100", "0", "0"}));
  QCOMPARE(testing::child<ClickLabel>(&form, "Label18")->text(), QString("未開封"));
  testing::child<QLineEdit>(&form, "Text4")->setText("4660");
  CHECKED(save(form));
  QVERIFY2(ws.messages.isEmpty(), qPrintable(ws.messages.join('\n')));
  const QByteArray saved = samplegen::readFile(made);
  QCOMPARE(saved.size(), parts.size());
  QCOMPARE(saved.mid(12, 2), QByteArray("\x34\x12", 2));
  const QString linked = ws.path("おやつ工場/" + output);
  std::error_code error;
  if (link == 1) std::filesystem::create_symlink("made.pac", linked.toStdU16String(), error);
  if (link == 2)
    std::filesystem::create_hard_link(made.toStdU16String(), linked.toStdU16String(), error);
  if (error) QSKIP(qPrintable(QString::fromStdString(error.message())));
  const auto before = ws.checksums();

  QVERIFY(testing::showActive(&form));
  testing::child<QLineEdit>(&form, "Text14")->setText(output);
  QTest::keyClick(testing::child<QLineEdit>(&form, "Text14"), Qt::Key_N, Qt::ControlModifier);
  QCOMPARE(samplegen::readFile(made), saved);
  QCOMPARE(samplegen::readFile(linked), saved);
  QCOMPARE(ws.checksums(), before);
  QCOMPARE(ws.messages.size(), 1);
  QVERIFY2(ws.messages[0].contains(QDir::toNativeSeparators("おやつ工場/" + output)) &&
               ws.messages[0].contains("「おやつファイル」に別の名前"),
           qPrintable(ws.messages[0]));

  // Any other name is made as before.
  testing::child<QLineEdit>(&form, "Text14")->setText("other.pac");
  QTest::keyClick(testing::child<QLineEdit>(&form, "Text14"), Qt::Key_N, Qt::ControlModifier);
  QCOMPARE(ws.messages.size(), 1);
  QCOMPARE(samplegen::readFile(ws.path("おやつ工場/other.pac")), parts);
  QCOMPARE(samplegen::readFile(made), saved);
}

// Quitting, closing the main window and loading another snack with edits
// in the boxes: the question, and what each answer leaves behind.
void TstEditing::unsavedEdits_data() {
  QTest::addColumn<QString>("path");    // quit, close or apply
  QTest::addColumn<QString>("number");  // typed into Text4 after loading ichigo.pac
  QTest::addColumn<QString>("answer");  // empty: no question expected
  QTest::addColumn<bool>("saved");      // ichigo.pac holds the typed number
  QTest::addColumn<bool>("goesOn");     // the program ends or houjicha.pac is loaded
  for (const char* path : {"quit", "close", "apply"}) {
    const QString p = QString::fromLatin1(path);
    QTest::addRow("%s, save", path) << p << "77"
                                    << "保存する" << true << true;
    QTest::addRow("%s, do not save", path) << p << "77"
                                           << "保存しない" << false << true;
    QTest::addRow("%s, cancel", path) << p << "77"
                                      << "キャンセル" << false << false;
    QTest::addRow("%s, save refused", path) << p << "-1"
                                            << "保存する" << false << false;
  }
  QTest::newRow("typed and restored") << "apply"
                                      << ""
                                      << "" << false << true;
  // "0" and the loaded number: the same value.
  QTest::newRow("leading zero") << "apply"
                                << "0+"
                                << "" << false << true;
}

void TstEditing::unsavedEdits() {
  QFETCH(QString, path);
  QFETCH(QString, number);
  QFETCH(QString, answer);
  QFETCH(bool, saved);
  QFETCH(bool, goesOn);
  testing::WindowWorkspace ws;
  Form1 form;
  CHECKED(loadThroughWindow(form, "ichigo.pac"));
  const QByteArray before = samplegen::readFile(ws.snack("ichigo.pac"));
  auto* text4 = testing::child<QLineEdit>(&form, "Text4");
  const QString loaded = text4->text();
  QTest::keyClicks(text4, number.isEmpty() ? QStringLiteral("9") : number);
  if (number.isEmpty())
    QTest::keyClick(text4, Qt::Key_Backspace);  // back to what was loaded
  else
    text4->setText(number == "0+" ? "0" + loaded : number);
  ws.answers << answer;

  if (path == "quit") QTest::keyClick(&form, Qt::Key_Q, Qt::ControlModifier);
  if (path == "close") QCOMPARE(form.close(), goesOn);
  if (path == "apply") CHECKED(loadThroughWindow(form, "houjicha.pac"));

  const QStringList asked = {
      QStringLiteral("おやつファイル「ichigo.pac」への変更を保存しますか？")};
  QCOMPARE(ws.questions, answer.isEmpty() ? QStringList() : asked);
  const QByteArray after = samplegen::readFile(ws.snack("ichigo.pac"));
  if (saved)
    QCOMPARE(after.mid(hdr::Number.at, 2), QByteArray("\x4d\x00", 2));
  else
    QCOMPARE(after, before);
  QCOMPARE(ws.messages.size(), number == "-1" ? 1 : 0);  // the refused save says why
  if (path == "apply") {
    QCOMPARE(Module1::SnackFileName,
             goesOn ? QStringLiteral("houjicha.pac") : QStringLiteral("ichigo.pac"));
    QCOMPARE(Form3Window.loaded(), !goesOn);
    if (!goesOn) QCOMPARE(text4->text(), number);
  } else {
    QCOMPARE(ws.endCalls, goesOn ? 1 : 0);
    QCOMPARE(text4->text(), number.isEmpty() ? loaded : number);
  }
}

void TstEditing::refreshFromKeyboard_data() {
  QTest::addColumn<int>("key");
  QTest::addColumn<int>("modifiers");
  QTest::newRow("Enter") << int(Qt::Key_Return) << int(Qt::NoModifier);
  QTest::newRow("Space") << int(Qt::Key_Space) << int(Qt::NoModifier);
  QTest::newRow("Ctrl+R") << int(Qt::Key_R) << int(Qt::ControlModifier);
}

// With the focus on the opened state, the key opens the refresh window; a
// screen reader hears a button named 開封状態 and the state it shows.
void TstEditing::refreshFromKeyboard() {
  QFETCH(int, key);
  QFETCH(int, modifiers);
  testing::WindowWorkspace ws;
  QByteArray opened = samplegen::readFile(ws.snack("houjicha.pac"));
  opened[894] = 3;
  QVERIFY(samplegen::writeFile(ws.snack("houjicha.pac"), opened));
  Form1 form;
  CHECKED(loadThroughWindow(form, "houjicha.pac"));
  QVERIFY(testing::showActive(&form));
  auto* label = testing::child<ClickLabel>(&form, "Label18");
  QAccessibleInterface* a = QAccessible::queryAccessibleInterface(label);
  QCOMPARE(a->role(), QAccessible::Button);
  QCOMPARE(a->text(QAccessible::Name), QString("開封状態"));
  QCOMPARE(a->text(QAccessible::Description), QString("開封"));
  label->setFocus();
  QTest::keyClick(label, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
  QVERIFY(Form4Window.loaded() && Form4Window.get()->isVisible());
  // What a screen reader is told of the change: the description and the value.
  QStringList told;
  ui::SetAccessibilityRecorder([&told](QAccessibleEvent* e) {
    if (e->object() && e->object()->objectName() == QLatin1String("Label18"))
      told << (e->type() == QAccessible::ValueChanged
                   ? "value " + static_cast<QAccessibleValueChangeEvent*>(e)->value().toString()
                   : QString::number(int(e->type()), 16));
  });
  QTest::mouseClick(testing::child<QPushButton>(Form4Window.get(), "Command1"), Qt::LeftButton);
  ui::SetAccessibilityRecorder({});
  testing::processDeletes();
  QCOMPARE(samplegen::readFile(ws.snack("houjicha.pac")).mid(889, 14), QByteArray(14, 0));
  QCOMPARE(a->text(QAccessible::Description), QString("未開封"));
  QCOMPARE(told, QStringList({"800d", "value 未開封"}));
  QVERIFY(a->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
}

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  ui::installFontSubstitutes();
  TstEditing t;
  return QTest::qExec(&t, argc, argv);
}
#include "tst_editing.moc"
