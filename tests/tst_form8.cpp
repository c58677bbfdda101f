// SPDX-License-Identifier: GPL-3.0-or-later
// The history window driven as a user does: a save shows as an entry, and
// "元に戻す" puts the file back byte for byte and shows it in the main window.
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTest>

#include "ui/form8.h"
#include "window_support.h"

class TstForm8 : public QObject {
  Q_OBJECT
 private slots:
  void cleanup() { testing::unloadDialogs(); }
  void saveThenUndo();
};

void TstForm8::saveThenUndo() {
  testing::WindowWorkspace ws;
  Form1 form;
  QVERIFY(testing::showActive(&form));
  const QString path = ws.snack("houjicha.pac");
  const QByteArray before = samplegen::readFile(path);
  QVERIFY(form.LoadSnackFile(&form, "houjicha.pac", path));
  auto* name = testing::child<QPlainTextEdit>(&form, "Text1");
  name->setPlainText("いちご大福");
  QTest::keyClick(&form, Qt::Key_S, Qt::ControlModifier);
  QCOMPARE(ws.messages, QStringList());
  QVERIFY(samplegen::readFile(path) != before);

  QTest::keyClick(&form, Qt::Key_H, Qt::ControlModifier);
  Form8* f8 = Form8Window.get();
  QVERIFY(f8 && f8->isVisible());
  QCOMPARE(f8->windowTitle(), QString("変更の履歴"));
  auto* grid = testing::child<QTableWidget>(f8, "Grid1");
  QCOMPARE(grid->accessibleName(), QString("変更の履歴"));
  QCOMPARE(grid->rowCount(), 1);
  QCOMPARE(grid->item(0, 1)->text(), QString("保存"));
  QCOMPARE(grid->item(0, 2)->text(), QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
  QCOMPARE(grid->item(0, 3)->text(), QString("おやつの名前: ほうじ茶ラテ → いちご大福"));

  // An unsaved edit: the main window's question comes after the undo's own.
  name->setPlainText("もなか");
  ws.answers = QStringList{"はい", "保存しない"};
  QTest::mouseClick(testing::child<QPushButton>(f8, "Command1"), Qt::LeftButton);
  QCOMPARE(ws.questions.size(), 2);
  QVERIFY2(ws.questions[0].endsWith("「保存」で書き込んだ 1 個のファイルを元に戻しますか？"),
           qPrintable(ws.questions[0]));
  QCOMPARE(ws.questions[1], QString("おやつファイル「houjicha.pac」への変更を保存しますか？"));
  QCOMPARE(ws.messages, QStringList());
  QCOMPARE(samplegen::readFile(path), before);
  QCOMPARE(name->toPlainText(), QString("ほうじ茶ラテ"));
  QCOMPARE(grid->rowCount(), 2);
  QCOMPARE(grid->item(0, 1)->text(), QString("元に戻す"));
  QCOMPARE(grid->item(0, 3)->text(), QString("おやつの名前: いちご大福 → ほうじ茶ラテ"));

  // Again on the old entry: the file holds the bytes from before; nothing to say.
  grid->selectRow(1);
  ws.answers = QStringList{"はい"};
  QTest::mouseClick(testing::child<QPushButton>(f8, "Command1"), Qt::LeftButton);
  QCOMPARE(ws.messages, QStringList());
  QCOMPARE(samplegen::readFile(path), before);
  QTest::keyClick(grid, Qt::Key_Escape);
  QVERIFY(!Form8Window.get());
}

QTEST_MAIN(TstForm8)
#include "tst_form8.moc"
