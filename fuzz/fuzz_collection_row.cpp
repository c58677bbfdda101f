// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as one file of the snack folder, for the collection's row
// reader. The file is never changed by reading it; a file of at least 904
// bytes has a row, a shorter one a reason; the picture found lies inside the
// file, the same whether looked for with the header or afterwards; the row's
// texts and its CSV record are made without fail, the record ending in CR LF.
#include "fuzz_common.h"
#include "snack/collection.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray bytes = fuzz::bytesOf(data, size);
  const QDir dir = fuzz::scratch();
  const QString path = dir.filePath(QStringLiteral("row.pac"));
  fuzz::writeFile(path, bytes);
  const platform::FolderEntry entry{QStringLiteral("row.pac"), platform::NativePath(path)};

  const snack::SnackRow row = snack::readSnackRow(entry, snack::RowParts::WithPicture, true);
  FUZZ_CHECK(fuzz::readFile(path) == bytes);
  FUZZ_CHECK(row.readable == (bytes.size() >= 904));
  FUZZ_CHECK(row.readable || !row.reason.isEmpty());
  if (!row.readable) return 0;
  FUZZ_CHECK(row.pictureLocated);
  if (row.picture) {
    FUZZ_CHECK(row.picture->offset >= 904 &&
               row.picture->offset + row.picture->size <= bytes.size());
    FUZZ_CHECK(bytes.mid(row.picture->offset, 2) == "BM");
    FUZZ_CHECK(!snack::pictureSize(row).isEmpty());
  }
  snack::SnackRow later = snack::readSnackRow(entry, snack::RowParts::HeaderOnly);
  FUZZ_CHECK(later.readable && !later.pictureLocated);
  snack::locateRowPicture(later);
  FUZZ_CHECK(later.pictureLocated && bool(later.picture) == bool(row.picture));
  if (row.picture)
    FUZZ_CHECK(later.picture->offset == row.picture->offset &&
               later.picture->size == row.picture->size);

  for (const snack::Field f : {snack::Field::Name, snack::Field::Description, snack::Field::Author})
    FUZZ_CHECK(!snack::rowText(row, f).contains(QChar(0)) || bytes.contains('\0'));
  static const snack::NameTables none{};
  const QByteArray csv = snack::collectionCsv({row}, QStringLiteral("/snacks/"), none);
  FUZZ_CHECK(csv.startsWith("\xEF\xBB\xBF" + snack::csvHeader()));
  FUZZ_CHECK(csv.size() > 3 + snack::csvHeader().size() && csv.endsWith("\r\n"));
  return 0;
}
