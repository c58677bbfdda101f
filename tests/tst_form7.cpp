// SPDX-License-Identifier: GPL-3.0-or-later
// The collection window driven as a user does: sorting, filtering, opening,
// refreshing several snacks and the CSV export.
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QTableView>
#include <QTest>

#include "ui/form10.h"
#include "ui/form7.h"
#include "ui/form9.h"
#include "window_support.h"

namespace {

QTableView* grid(Form7* f7) { return testing::child<QTableView>(f7, "Grid1"); }

// One column of the shown rows, top to bottom.
QStringList column(Form7* f7, int c) {
  QStringList cells;
  const QAbstractItemModel* m = grid(f7)->model();
  for (int r = 0; r < m->rowCount(); ++r) cells.append(m->index(r, c).data().toString());
  return cells;
}

void clickHeader(Form7* f7, int section) {
  QHeaderView* h = grid(f7)->horizontalHeader();
  QTest::mouseClick(h->viewport(), Qt::LeftButton, {},
                    QPoint(h->sectionViewportPosition(section) + 5, h->height() / 2));
}

// Selects the rows showing these files (Ctrl+click on each).
void select(Form7* f7, const QStringList& files) {
  QTableView* g = grid(f7);
  g->clearSelection();
  const QStringList shown = column(f7, 1);
  for (const QString& f : files) {
    const QRect cell = g->visualRect(g->model()->index(int(shown.indexOf(f)), 1));
    QTest::mouseClick(g->viewport(), Qt::LeftButton, Qt::ControlModifier, cell.center());
  }
}

QByteArray withOpenedZero(QByteArray bytes) {
  bytes.replace(889, 14, QByteArray(14, '\0'));
  return bytes;
}

}  // namespace

class TstForm7 : public QObject {
  Q_OBJECT
 private slots:
  void cleanup() { testing::unloadDialogs(); }
  void collection();
  void manyEdit();
  void csvImport();
};

void TstForm7::collection() {
  testing::WindowWorkspace ws;
  QVERIFY(samplegen::writeFile(ws.snack("short.pac"), QByteArray(903, 'x')));
  Form1 form;
  QVERIFY(testing::showActive(&form));
  QTest::keyClick(&form, Qt::Key_I, Qt::ControlModifier);
  Form7* f7 = Form7Window.get();
  QVERIFY(f7 && f7->isVisible() && form.isVisible());
  QCOMPARE(f7->windowTitle(), QString("おやつの一覧"));
  testing::layOut(grid(f7));
  QLabel* count = testing::child<QLabel>(f7, "Label1");
  QCOMPARE(count->text(), QString("5 件 / 5 件"));
  // The listing's order; every column of one opened snack; the short file greyed.
  QCOMPARE(column(f7, 1),
           QStringList({"fruit10.pac", "houjicha.pac", "ichigo.pac", "mugen.pac", "short.pac"}));
  QStringList houjicha;
  for (int c = 1; c < 8; ++c) houjicha.append(grid(f7)->model()->index(1, c).data().toString());
  QCOMPARE(houjicha, QStringList({"houjicha.pac", "ほうじ茶ラテ", "まめ茶房", "4660", "のみもの",
                                  "ごくごく", "2000/11/30 12:34:56"}));
  QCOMPARE(grid(f7)->model()->index(1, 2).data(Qt::ToolTipRole).toString(),
           QString("こうばしい香りのあたたかいのみもの。"));
  QCOMPARE(column(f7, 5)[0], QString("--------"));
  QCOMPARE(column(f7, 7)[0], QString("未開封"));
  QCOMPARE(grid(f7)->model()->index(4, 3).data(Qt::ToolTipRole).toString(),
           "おやつファイル「" + QDir::toNativeSeparators(ws.snack("short.pac")) +
               "」は 903 バイトしかありません。おやつファイルのヘッダーには 904 "
               "バイト以上が必要です。");
  QVERIFY(!grid(f7)->model()->index(1, 0).data(Qt::DecorationRole).value<QPixmap>().isNull());

  // Sorting: numbers as numbers, again to reverse; "開封日時" unopened first.
  clickHeader(f7, 4);
  QCOMPARE(column(f7, 4), QStringList({"", "101", "256", "4660", "65535"}));
  clickHeader(f7, 4);
  QCOMPARE(column(f7, 4), QStringList({"65535", "4660", "256", "101", ""}));
  clickHeader(f7, 7);
  QCOMPARE(column(f7, 1),
           QStringList({"short.pac", "fruit10.pac", "ichigo.pac", "mugen.pac", "houjicha.pac"}));

  // The filter: case and full-width or half-width forms do not matter.
  QLineEdit* filter = testing::child<QLineEdit>(f7, "Text1");
  QCOMPARE(filter->accessibleName(), QString("絞り込み"));
  QInputMethodEvent typed;  // as an input method commits full-width letters
  typed.setCommitString("ＩＣＨＩＧＯ");
  QCoreApplication::sendEvent(filter, &typed);
  QCOMPARE(column(f7, 1), QStringList({"ichigo.pac"}));
  QCOMPARE(count->text(), QString("1 件 / 5 件"));
  filter->setText("ｸｯｷｰ");  // in the name むげんクッキー
  QCOMPARE(column(f7, 1), QStringList({"mugen.pac"}));
  // Down from the filter selects the first shown row, in the list.
  filter->setFocus();
  QTest::keyClick(filter, Qt::Key_Down);
  QCOMPARE(f7->focusWidget(), grid(f7));
  QCOMPARE(grid(f7)->selectionModel()->selectedRows().size(), 1);
  QCOMPARE(grid(f7)->currentIndex().row(), 0);
  filter->clear();
  QCOMPARE(count->text(), QString("5 件 / 5 件"));

  // Enter opens the selected snack in the main window; the list stays open.
  select(f7, {"houjicha.pac"});
  QTest::keyClick(grid(f7), Qt::Key_Return);
  QCOMPARE(Module1::SnackFileName, QString("houjicha.pac"));
  QCOMPARE(testing::child<QLabel>(&form, "Label18")->text(), QString("開封"));
  QVERIFY(f7->isVisible());

  // Refresh of several, after one question: the loaded one too, a vanished
  // one fails with one message at the end, the greyed one is not counted.
  QMap<QString, QByteArray> before;
  for (const QString& f : column(f7, 1)) before[f] = samplegen::readFile(ws.snack(f));
  select(f7, {"houjicha.pac", "fruit10.pac", "mugen.pac", "short.pac"});
  QVERIFY(QFile::remove(ws.snack("mugen.pac")));
  ws.answers = QStringList{"はい"};
  QTest::mouseClick(testing::child<QPushButton>(f7, "Command2"), Qt::LeftButton);
  QCOMPARE(ws.questions, QStringList({"選んだ 3 個のおやつを未開封に戻しますか？"}));
  QCOMPARE(ws.messages.size(), 1);
  QVERIFY2(ws.messages[0].contains(QDir::toNativeSeparators(ws.snack("mugen.pac"))) &&
               !ws.messages[0].contains("fruit10"),
           qPrintable(ws.messages[0]));
  QCOMPARE(samplegen::readFile(ws.snack("houjicha.pac")), withOpenedZero(before["houjicha.pac"]));
  QCOMPARE(samplegen::readFile(ws.snack("fruit10.pac")), withOpenedZero(before["fruit10.pac"]));
  QCOMPARE(samplegen::readFile(ws.snack("ichigo.pac")), before["ichigo.pac"]);
  QCOMPARE(samplegen::readFile(ws.snack("short.pac")), before["short.pac"]);
  QCOMPARE(testing::child<QLabel>(&form, "Label18")->text(), QString("未開封"));
  QCOMPARE(testing::boxTexts(form).mid(7), QStringList(6, "0"));                 // Text8 to Text13
  QCOMPARE(column(f7, 7), QStringList({"", "", "未開封", "未開封", "未開封"}));  // mugen.pac greyed

  // F5 reads the folder again; the export writes the shown rows in the shown
  // order, greyed ones left out.
  QTest::keyClick(grid(f7), Qt::Key_F5);
  QCOMPARE(count->text(), QString("4 件 / 4 件"));
  clickHeader(f7, 4);  // by number, ascending again after "開封日時"
  const QString out = ws.path("一覧.csv");
  ui::SetSaveFileChooser([&](const QString&) { return out; });
  QTest::mouseClick(testing::child<QPushButton>(f7, "Command3"), Qt::LeftButton);
  ui::SetSaveFileChooser({});
  const QList<QByteArray> lines = samplegen::readFile(out).split('\n');
  QCOMPARE(lines.size(), 5);  // header, three snacks, nothing after the last CR LF
  QVERIFY(
      lines[0].startsWith("\xEF\xBB\xBF"
                          "file,name,"));
  const QByteArray folder = ws.snackFolder().toUtf8();
  QVERIFY(lines[1].startsWith(folder + "ichigo.pac,いちごのショートケーキ,"));
  QVERIFY(lines[2].startsWith(folder + "fruit10.pac,"));
  QVERIFY(lines[3].startsWith(folder + "houjicha.pac,"));
  QVERIFY(lines[3].endsWith(",4660,4,のみもの,1,80,0,3,ごくごく,,48x64\r"));
  QCOMPARE(lines[4], QByteArray());
  QCOMPARE(ws.messages.size(), 1);
  // Never over a snack file.
  ui::SetSaveFileChooser([&](const QString&) { return ws.snack("ichigo.pac"); });
  QTest::mouseClick(testing::child<QPushButton>(f7, "Command3"), Qt::LeftButton);
  ui::SetSaveFileChooser({});
  QCOMPARE(ws.messages.size(), 2);
  QVERIFY2(ws.messages[1].contains("はおやつファイルです"), qPrintable(ws.messages[1]));
  QCOMPARE(samplegen::readFile(ws.snack("ichigo.pac")), before["ichigo.pac"]);

  // A text file among the snacks keeps its row and says why it is none; the
  // refresh of every row leaves it as it is and names it; an export may go over it.
  const QByteArray memo = QByteArray("メモ：あとで整理\r\n").repeated(60);
  QVERIFY(samplegen::writeFile(ws.snack("memo.txt"), memo));
  QTest::keyClick(grid(f7), Qt::Key_F5);
  const int memoRow = int(column(f7, 1).indexOf("memo.txt"));
  QCOMPARE(grid(f7)->model()->index(memoRow, 1).data(Qt::ToolTipRole).toString(),
           QString("おやつファイルではありません"));
  grid(f7)->selectAll();
  ws.answers = QStringList{"はい"};
  QTest::mouseClick(testing::child<QPushButton>(f7, "Command2"), Qt::LeftButton);
  QCOMPARE(samplegen::readFile(ws.snack("memo.txt")), memo);
  QCOMPARE(samplegen::readFile(ws.snack("ichigo.pac")), withOpenedZero(before["ichigo.pac"]));
  QCOMPARE(ws.messages.size(), 3);
  QVERIFY2(ws.messages[2].contains("「memo.txt」：おやつファイルではありません"),
           qPrintable(ws.messages[2]));
  ui::SetSaveFileChooser([&](const QString&) { return ws.snack("memo.txt"); });
  QTest::mouseClick(testing::child<QPushButton>(f7, "Command3"), Qt::LeftButton);
  ui::SetSaveFileChooser({});
  QCOMPARE(ws.messages.size(), 3);
  QVERIFY(samplegen::readFile(ws.snack("memo.txt")).startsWith("\xEF\xBB\xBF"));
}

// "まとめて変更" of two snacks, the loaded one among them: a refused value
// writes nothing and keeps the window; then the loaded snack's edits are given
// up, both files get the editor's save and Form1 shows the new values.
void TstForm7::manyEdit() {
  testing::WindowWorkspace ws;
  Form1 form;
  QVERIFY(testing::showActive(&form));
  QTest::keyClick(&form, Qt::Key_I, Qt::ControlModifier);
  Form7* f7 = Form7Window.get();
  testing::layOut(grid(f7));
  select(f7, {"houjicha.pac"});
  QTest::keyClick(grid(f7), Qt::Key_Return);
  testing::child<QPlainTextEdit>(&form, "Text1")->setPlainText("編集中");
  QMap<QString, QByteArray> before;
  for (const QString& f : column(f7, 1)) before[f] = samplegen::readFile(ws.snack(f));
  select(f7, {"houjicha.pac", "ichigo.pac"});
  QTest::mouseClick(testing::child<QPushButton>(f7, "Command5"), Qt::LeftButton);
  Form9* f9 = f7->findChild<Form9*>();
  QVERIFY(f9 && f9->isVisible());
  QCOMPARE(testing::child<QCheckBox>(f9, "Check1")->accessibleName(),
           QString("おやつの作者を変更する"));
  QLineEdit* author = testing::child<QLineEdit>(f9, "Text1");
  QLineEdit* calories = testing::child<QLineEdit>(f9, "Text3");
  QCOMPARE(author->accessibleName(), QString("おやつの作者"));
  QInputMethodEvent typed;  // typing checks "変更する"
  typed.setCommitString("まとめ");
  QCoreApplication::sendEvent(author, &typed);
  QTest::keyClicks(calories, "abc");
  ws.answers = QStringList{"はい"};
  QTest::mouseClick(testing::child<QPushButton>(f9, "Command1"), Qt::LeftButton);
  QCOMPARE(ws.questions, QStringList({"選んだ 2 個のおやつを変更しますか？"}));
  QCOMPARE(ws.messages, QStringList({"「おやつの熱量」の「abc」は整数ではありません。0 以上の整数か"
                                     "「無制限」を入力してください。"}));
  for (const QString& f : before.keys()) QCOMPARE(samplegen::readFile(ws.snack(f)), before[f]);
  QVERIFY(f9->isVisible());

  // Calories no longer changed, from the keyboard.
  QCheckBox* check3 = testing::child<QCheckBox>(f9, "Check5");
  QVERIFY(check3->isChecked());
  check3->setFocus();
  QTest::keyClick(check3, Qt::Key_Space);
  QVERIFY(!check3->isChecked());
  ws.answers = QStringList{"はい", "保存しない"};
  QTest::mouseClick(testing::child<QPushButton>(f9, "Command1"), Qt::LeftButton);
  QCOMPARE(ws.questions.mid(1),
           QStringList({"選んだ 2 個のおやつを変更しますか？",
                        "おやつファイル「houjicha.pac」への変更を保存しますか？"}));
  QCOMPARE(ws.messages.size(), 1);
  const QByteArray stored = QByteArray("\x06\x82\xdc\x82\xc6\x82\xdf") + QByteArray(249, '\0');
  for (const QString& f : before.keys()) {
    const QByteArray after = samplegen::readFile(ws.snack(f));
    if (f != "houjicha.pac" && f != "ichigo.pac") {
      QCOMPARE(after, before[f]);
      continue;
    }
    CHECKED(testing::compareOutside(before[f], after, testing::savedOffsets()));
    QCOMPARE(after.mid(544, 256), stored);
    QCOMPARE(after.mid(885, 2), before[f].mid(885, 2));  // calories as they were
  }
  QCOMPARE(testing::boxTexts(form).mid(0, 3)[2], QString("まとめ"));
  QCOMPARE(testing::boxTexts(form)[0], QString("ほうじ茶ラテ"));
  QVERIFY(!form.HasUnsavedEdits());
  QCOMPARE(column(f7, 3).count("まとめ"), 2);
  testing::processDeletes();
  QVERIFY(!f7->findChild<Form9*>());
}

// "CSVから読み込む": the changes listed before anything is written; a refused
// record keeps "適用" off and "閉じる" writes nothing; a CSV without it is applied.
void TstForm7::csvImport() {
  testing::WindowWorkspace ws;
  Form1 form;
  QVERIFY(testing::showActive(&form));
  QTest::keyClick(&form, Qt::Key_I, Qt::ControlModifier);
  Form7* f7 = Form7Window.get();
  QMap<QString, QByteArray> before;
  for (const QString& f : column(f7, 1)) before[f] = samplegen::readFile(ws.snack(f));
  const QByteArray folder = ws.snackFolder().toUtf8();
  const QByteArray good = "file,author,number,opened\r\n" + folder +
                          "houjicha.pac,まめ茶房２,4660,2000-01-01 00:00:00\r\nnone.pac,x,1,\r\n";
  QVERIFY(samplegen::writeFile(ws.path("bad.csv"), good + folder + "ichigo.pac,,abc,\r\n"));
  QVERIFY(samplegen::writeFile(ws.path("good.csv"), good));
  ui::SetOpenFileChooser([&] { return ws.path("bad.csv"); });
  QTest::mouseClick(testing::child<QPushButton>(f7, "Command6"), Qt::LeftButton);
  Form10* f10 = f7->findChild<Form10*>();
  QVERIFY(f10 && f10->isVisible());
  auto* changes = testing::child<QTableWidget>(f10, "Grid1");
  QCOMPARE(changes->rowCount(), 2);
  QStringList first;
  for (int c = 0; c < 4; ++c) first << changes->item(0, c)->text();
  QCOMPARE(first, QStringList({folder + "houjicha.pac", "おやつの作者", "まめ茶房", "まめ茶房２"}));
  QCOMPARE(changes->item(1, 1)->text(), QString("おやつ開封日時（読み込まない列）"));
  auto* problems = testing::child<QListWidget>(f10, "List1");
  QCOMPARE(problems->count(), 2);
  QVERIFY(problems->item(0)->text().contains("「おやつの番号」の「abc」"));
  QVERIFY(problems->item(1)->text().startsWith("フォルダにないファイル：「none.pac」（3 行目）"));
  QVERIFY(!testing::child<QPushButton>(f10, "Command1")->isEnabled());
  QTest::keyClick(f10, Qt::Key_Escape);
  testing::processDeletes();
  QVERIFY(!f7->findChild<Form10*>());
  for (const QString& f : before.keys()) QCOMPARE(samplegen::readFile(ws.snack(f)), before[f]);

  ui::SetOpenFileChooser([&] { return ws.path("good.csv"); });
  QTest::mouseClick(testing::child<QPushButton>(f7, "Command6"), Qt::LeftButton);
  ui::SetOpenFileChooser({});
  f10 = f7->findChild<Form10*>();
  QVERIFY(f10);
  QPushButton* apply = testing::child<QPushButton>(f10, "Command1");
  QVERIFY(apply->isEnabled());
  QTest::mouseClick(apply, Qt::LeftButton);
  QCOMPARE(ws.messages, QStringList());
  QCOMPARE(ws.questions, QStringList());
  const QByteArray after = samplegen::readFile(ws.snack("houjicha.pac"));
  CHECKED(testing::compareOutside(before["houjicha.pac"], after, testing::savedOffsets()));
  QCOMPARE(after.mid(544, 256), "\x0a" + samplegen::sjis("まめ茶房２") + QByteArray(245, '\0'));
  for (const QString& f : before.keys())
    if (f != "houjicha.pac") QCOMPARE(samplegen::readFile(ws.snack(f)), before[f]);
  QCOMPARE(column(f7, 3)[1], QString("まめ茶房２"));
}

QTEST_MAIN(TstForm7)
#include "tst_form7.moc"
