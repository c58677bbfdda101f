// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as cookenv.ini, and arbitrary text as the folder a user
// applies. Reading gives the first line without its line end (an empty one
// names the working folder), or a message naming the file when it is empty. Writing either stores
// exactly the Shift-JIS of the text and CR LF, which reads back as the same text, or is refused
// with a message and leaves the file byte for byte as it was.
#include "app/settings.h"
#include "fuzz_common.h"
#include "platform/sjis.h"

namespace {

void checkWrite(const QString& folder) {
  const QByteArray before = fuzz::readFile(kCookenvFile);
  QString error;
  if (!WriteSnackFolder(folder, &error)) {
    FUZZ_CHECK(!error.isEmpty());
    FUZZ_CHECK(fuzz::readFile(kCookenvFile) == before);
    const platform::SjisEncoding enc = platform::toSjis(folder);
    FUZZ_CHECK(!enc.ok || folder.contains(QLatin1Char('\r')) || folder.contains(QLatin1Char('\n')));
    return;
  }
  const platform::SjisEncoding enc = platform::toSjis(folder);
  FUZZ_CHECK(enc.ok);
  FUZZ_CHECK(fuzz::readFile(kCookenvFile) == enc.bytes + "\r\n");
  const auto back = ReadSnackFolder(&error);
  FUZZ_CHECK(back && platform::fromSjis(enc.bytes) == *back);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::enterScratch();
  const QByteArray bytes = fuzz::bytesOf(data, size);
  fuzz::writeFile(kCookenvFile, bytes);

  QString error;
  const auto folder = ReadSnackFolder(&error);
  const QString text = platform::fromSjis(bytes);
  qsizetype end = text.indexOf(QLatin1Char('\n'));
  QString line = text.left(end < 0 ? text.size() : end);
  if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
  if (bytes.isEmpty()) {
    FUZZ_CHECK(!folder);
    FUZZ_CHECK(error.contains(kCookenvFile));
  } else {
    FUZZ_CHECK(folder && *folder == line);
    checkWrite(*folder);
  }

  fuzz::writeFile(kCookenvFile, bytes);
  checkWrite(fuzz::text(data, size));
  return 0;
}
