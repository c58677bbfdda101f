// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as Foodtype.ini or sound.ini. The entry reader keeps every
// character but the delimiters (comma, CR, LF, double quote) in order; the
// table only ever holds names that some entry carried, and for files whose
// entries all start with three digits it is exactly "the last line for each
// index from 0 to 256 wins". Reading the file gives the same table as
// reading its decoded text.
#include "app/settings.h"
#include "fuzz_common.h"
#include "platform/sjis.h"

namespace {

bool isDelimiter(QChar c) {
  return c == QLatin1Char(',') || c == QLatin1Char('"') || c == QLatin1Char('\r') ||
         c == QLatin1Char('\n');
}

bool threeDigits(const QString& s) {
  for (int i = 0; i < 3; ++i)
    if (s[i] < QLatin1Char('0') || s[i] > QLatin1Char('9')) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray bytes = fuzz::bytesOf(data, size);
  const QString text = platform::fromSjis(bytes);

  const QStringList entries = ReadEntries(text);
  QString kept;
  for (const QChar c : text)
    if (!isDelimiter(c)) kept.append(c);
  FUZZ_CHECK(entries.join(QString()) == kept);
  qsizetype ends = 0;
  for (const QChar c : text) ends += (c == QLatin1Char(',') || c == QLatin1Char('\n')) ? 1 : 0;
  FUZZ_CHECK(entries.size() <= ends + text.count(QLatin1Char('\r')) + 1);
  for (const QString& e : entries)
    for (const QChar c : e) FUZZ_CHECK(!isDelimiter(c));

  snack::NameList table;
  ReadNameTableText(text, table);
  bool allDigits = true;
  snack::NameList expected;
  for (const QString& s : entries) {
    if (s.size() < 4) continue;
    if (!threeDigits(s)) {
      allDigits = false;
      continue;
    }
    const int index = s.left(3).toInt();
    if (index <= 256) expected[static_cast<std::size_t>(index)] = s.mid(4);
  }
  for (const QString& name : table) {
    if (name.isEmpty()) continue;
    bool carried = false;
    for (const QString& s : entries) carried = carried || (s.size() >= 4 && s.mid(4) == name);
    FUZZ_CHECK(carried);
  }
  if (allDigits) FUZZ_CHECK(table == expected);

  // The same bytes read from the working folder.
  fuzz::enterScratch();
  fuzz::writeFile(kSoundFile, bytes);
  snack::NameList fromFile;
  QString error;
  FUZZ_CHECK(ReadNameTable(kSoundFile, fromFile, &error));
  FUZZ_CHECK(fromFile == table);
  return 0;
}
