// SPDX-License-Identifier: GPL-3.0-or-later
// The collection window's sort and filter rules on rows made in memory,
// without a window: the order each column sorts in and the rows a filter keeps.
#include <QTest>

#include "header_table.h"
#include "samplegen.h"
#include "ui/collectionmodel.h"

class TstCollectionModel : public QObject {
  Q_OBJECT
 private slots:
  void sortAndFilter_data();
  void sortAndFilter();
};

namespace {

struct Sample {
  const char *file, *name, *author, *description;
  std::uint16_t number;
  int type, sound;
  int year, second;  // opened when `second` is not zero
  int side;          // the picture's width and height, 0: none
};

// In the listing's order. b.pac has no header.
const Sample kSamples[] = {
    {"a9.pac", "aもち", "あ", "", 65535, 2, 1, 2000, 5, 32},
    {"a10.pac", "Bさくら", "ｱ", "", 10, 1, 0, 0, 0, 16},
    {"b.pac", "", "", "", 0, 0, 0, 0, 0, 0},
    {"c.pac", "c", "", "チーズＣＡＫＥ", 10, 1, 0, 1999, 9, 0},
};

QList<snack::SnackRow> sampleRows() {
  QList<snack::SnackRow> rows;
  for (const Sample& s : kSamples) {
    snack::SnackRow row;
    row.file = QString::fromUtf8(s.file);
    row.pictureLocated = true;
    row.readable = row.file != "b.pac";
    if (row.readable) {
      QByteArray h = samplegen::headerTemplate(1024);
      hdr::putText(h, hdr::NameLength, samplegen::sjis(QString::fromUtf8(s.name)));
      hdr::putText(h, hdr::AuthorLength, samplegen::sjis(QString::fromUtf8(s.author)));
      hdr::putText(h, hdr::DescriptionLength, samplegen::sjis(QString::fromUtf8(s.description)));
      hdr::put16(h, hdr::Number, s.number);
      hdr::putByte(h, hdr::TypeIndex, s.type);
      hdr::putByte(h, hdr::SoundIndex, s.sound);
      h.replace(hdr::OpenedGroup.at, hdr::OpenedGroup.size, QByteArray(14, '\0'));
      hdr::put16(h, hdr::OpenedYear, static_cast<std::uint16_t>(s.year));
      hdr::put16(h, hdr::OpenedSecond, static_cast<std::uint16_t>(s.second));
      row.record = snack::decodeHeader(h);
    }
    if (s.side) row.picture = snack::BitmapSlice{1024, 100, s.side, s.side, 24};
    rows.append(row);
  }
  return rows;
}

}  // namespace

void TstCollectionModel::sortAndFilter_data() {
  QTest::addColumn<int>("column");  // -1: the listing's order
  QTest::addColumn<QString>("needle");
  QTest::addColumn<QStringList>("files");  // shown, top to bottom
  using M = ui::CollectionModel;
  const QStringList listing = {"a9.pac", "a10.pac", "b.pac", "c.pac"};
  // Rows without a header first; equal cells in the listing's order.
  QTest::newRow("listing") << -1 << QString() << listing;
  QTest::newRow("file") << int(M::File) << QString() << listing;
  QTest::newRow("picture by area")
      << int(M::Picture) << QString() << QStringList{"b.pac", "c.pac", "a10.pac", "a9.pac"};
  QTest::newRow("name, case ignored")
      << int(M::Name) << QString() << QStringList{"b.pac", "a9.pac", "a10.pac", "c.pac"};
  QTest::newRow("author, empty first")
      << int(M::Author) << QString() << QStringList{"b.pac", "c.pac", "a9.pac", "a10.pac"};
  QTest::newRow("number by value")
      << int(M::Number) << QString() << QStringList{"b.pac", "a10.pac", "c.pac", "a9.pac"};
  QTest::newRow("type by name") << int(M::Type) << QString()
                                << QStringList{"b.pac", "a9.pac", "a10.pac", "c.pac"};
  QTest::newRow("sound, no name first")
      << int(M::Sound) << QString() << QStringList{"b.pac", "a9.pac", "a10.pac", "c.pac"};
  QTest::newRow("opened, unopened first")
      << int(M::Opened) << QString() << QStringList{"b.pac", "a10.pac", "c.pac", "a9.pac"};
  // The filter: file name, name, author, description; case and width ignored.
  QTest::newRow("filter file name") << -1 << QString("A1") << QStringList{"a10.pac"};
  QTest::newRow("filter headerless by file") << -1 << QString("b.") << QStringList{"b.pac"};
  QTest::newRow("filter name") << -1 << QString("もち") << QStringList{"a9.pac"};
  QTest::newRow("filter author, width") << -1 << QString("ア") << QStringList{"a10.pac"};
  QTest::newRow("filter description, case")
      << int(M::Number) << QString("cake") << QStringList{"c.pac"};
  QTest::newRow("filter none") << -1 << QString("ない") << QStringList{};
}

void TstCollectionModel::sortAndFilter() {
  QFETCH(int, column);
  QFETCH(QString, needle);
  QFETCH(QStringList, files);
  snack::NameTables names;
  names.types[1] = "ケーキ";
  names.types[2] = "あめ";
  names.sounds[0] = "なし";
  ui::CollectionModel model(&names, nullptr);
  ui::CollectionFilter shown(&model, nullptr);
  model.setRows(sampleRows());
  if (column >= 0) shown.sort(column, Qt::AscendingOrder);
  shown.setNeedle(needle);
  QStringList got;
  for (int r = 0; r < shown.rowCount(); ++r)
    got.append(shown.index(r, ui::CollectionModel::File).data().toString());
  QCOMPARE(got, files);
}

QTEST_MAIN(TstCollectionModel)
#include "tst_collectionmodel.moc"
