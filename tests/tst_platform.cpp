// SPDX-License-Identifier: GPL-3.0-or-later
// Paths and roots in each platform's own notation.
#include <QRegularExpression>
#include <QTest>

#include "platform/folders.h"
#include "platform/paths.h"

class TstPlatform : public QObject {
  Q_OBJECT
 private slots:
  void paths_data();
  void paths();
  void roots();
};

void TstPlatform::paths_data() {
  QTest::addColumn<QString>("folder");
  QTest::addColumn<QString>("text");    // the folder text, one separator at the end ("": none)
  QTest::addColumn<QString>("joined");  // with the file "a.pac"
#ifdef Q_OS_WIN
  QTest::newRow("drive root") << "C:\\"
                              << "C:\\"
                              << "C:\\a.pac";
  QTest::newRow("root with slash") << "C:/"
                                   << "C:\\"
                                   << "C:/a.pac";
  QTest::newRow("folder") << "C:\\おやつ"
                          << "C:\\おやつ\\"
                          << "C:\\おやつ\\a.pac";
  QTest::newRow("folder with separator") << "D:\\x\\"
                                         << "D:\\x\\"
                                         << "D:\\x\\a.pac";
  QTest::newRow("slashes") << "C:/p/q"
                           << "C:\\p\\q\\"
                           << "C:/p/q\\a.pac";
#else
  QTest::newRow("root") << "/"
                        << "/"
                        << "/a.pac";
  QTest::newRow("folder") << "/home/おやつ"
                          << "/home/おやつ/"
                          << "/home/おやつ/a.pac";
  QTest::newRow("folder with separator") << "/x/"
                                         << "/x/"
                                         << "/x/a.pac";
#endif
  QTest::newRow("empty: the working folder") << ""
                                             << ""
                                             << "a.pac";
}

void TstPlatform::paths() {
  QFETCH(QString, folder);
  QFETCH(QString, text);
  QFETCH(QString, joined);
  if (!text.isEmpty()) QCOMPARE(platform::folderText(folder), text);
  QCOMPARE(platform::joinPath(folder, "a.pac"), joined);
}

void TstPlatform::roots() {
  const QStringList roots = platform::fileSystemRoots();
  QVERIFY(!roots.isEmpty());
#ifdef Q_OS_WIN
  // Drive letters, each with its separator; Wine shows C: and Z:.
  for (const QString& r : roots)
    QVERIFY2(QRegularExpression("^[A-Z]:\\\\$").match(r).hasMatch(), qPrintable(r));
  QVERIFY(roots.contains("C:\\"));
#else
  QCOMPARE(roots.first(), QString("/"));
#endif
}

QTEST_GUILESS_MAIN(TstPlatform)
#include "tst_platform.moc"
