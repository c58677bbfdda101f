// SPDX-License-Identifier: GPL-3.0-or-later
// The collection window driven as a user does: sorting, filtering, opening,
// refreshing several snacks and the CSV export.
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QTableView>
#include <QTest>

#include "ui/form7.h"
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

QTEST_MAIN(TstForm7)
#include "tst_form7.moc"
