// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the seed inputs of the fuzz targets from our sample generator:
// snack headers, settings files, folder texts, box texts and snack files with
// pictures, including the edge cases the editor must handle (a 255-byte name,
// a length byte that ends inside a double-byte character, a header one byte
// short, unlimited values, a picture cut short).
#include <QDir>
#include <QFile>
#include <cstdio>

#include "header_table.h"
#include "samplegen.h"

namespace {

bool put(const QString& folder, const QString& name, const QByteArray& bytes) {
  QDir().mkpath(folder);
  return samplegen::writeFile(QDir(folder).filePath(name), bytes);
}

// The fields target reads an even first byte as "UTF-8 follows".
QByteArray utf8Input(const QString& text) { return QByteArray(1, '\0') + text.toUtf8(); }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  const QDir out(QString::fromLocal8Bit(argv[1]));
  bool ok = true;

  // Snack headers.
  const QString header = out.filePath(QStringLiteral("header"));
  int n = 0;
  for (const samplegen::SampleSnack& sample : samplegen::sampleSnacks())
    ok = ok && put(header, QStringLiteral("sample%1").arg(n++), samplegen::header(sample));
  samplegen::SampleSnack longName;
  longName.name = QString(127, QChar(0x3042)) + QLatin1Char('x');  // 255 bytes
  longName.description = QStringLiteral("一行目\r\n二行目");
  ok = ok && put(header, QStringLiteral("name255"), samplegen::header(longName));
  QByteArray split = samplegen::header(samplegen::sampleSnacks().first());
  split[hdr::NameLength.at] = 3;  // ends inside the second character
  ok = ok && put(header, QStringLiteral("split-lead-byte"), split);
  ok = ok && put(header, QStringLiteral("exact904"), samplegen::headerTemplate(hdr::kUsable));
  ok = ok && put(header, QStringLiteral("short903"),
                 samplegen::headerTemplate(hdr::kUsable).left(hdr::kUsable - 1));
  ok = ok && put(header, QStringLiteral("all-ff"), QByteArray(hdr::kUsable, '\xff'));

  // Name files and the folder file.
  const QString names = out.filePath(QStringLiteral("name_table"));
  ok = ok &&
       put(names, QStringLiteral("foodtype"), samplegen::nameFile(samplegen::sampleFoodTypes()));
  ok = ok && put(names, QStringLiteral("sound"), samplegen::nameFile(samplegen::sampleSounds()));
  ok =
      ok &&
      put(names, QStringLiteral("odd-lines"),
          samplegen::sjis(QStringLiteral("012　全角の区切り\r\n256 最後\r\n-01 負\r\n999 大きい\r\n"
                                         "abc 文字\r\n007 a,b\"c\r\n12\r\n\r\n003 ")));
  const QString folder = out.filePath(QStringLiteral("snack_folder"));
  ok = ok && put(folder, QStringLiteral("folder"),
                 samplegen::sjis(QStringLiteral("/home/ポスペ/おやつ/\r\n")));
  ok = ok && put(folder, QStringLiteral("none"), QByteArray("NONE\r\nextra line\r\n"));
  ok = ok && put(folder, QStringLiteral("comma"), samplegen::sjis(QStringLiteral("C:\\a,b\\")));
  ok = ok && put(folder, QStringLiteral("empty-line"), QByteArray("\r\n/x/\r\n"));

  // Box texts.
  const QString fields = out.filePath(QStringLiteral("fields"));
  const QStringList texts = {QStringLiteral("無制限"),    QStringLiteral("65535"),
                             QStringLiteral("65536"),     QStringLiteral("-1"),
                             QStringLiteral("１２３"),    QStringLiteral(" 7 "),
                             QStringLiteral("7.5"),       QString(),
                             QStringLiteral("255"),       QStringLiteral("256"),
                             QStringLiteral("－０"),      QStringLiteral("〜～"),
                             QString(128, QChar(0x3042)), QStringLiteral("a\rb\nc\r\n"),
                             QStringLiteral("😀")};
  for (int i = 0; i < texts.size(); ++i)
    ok = ok && put(fields, QStringLiteral("text%1").arg(i), utf8Input(texts[i]));

  // Snack files with pictures: each depth the generator writes, without a
  // mask, with a mask of another size, cut inside the picture, and "BM" in the
  // header's rest. The first byte 0 takes the rest as the whole file.
  const QString picture = out.filePath(QStringLiteral("picture"));
  const QByteArray head = QByteArray(1, '\0') + samplegen::headerTemplate(960);
  for (const int bits : samplegen::kBitDepths)
    ok = ok && put(picture, QStringLiteral("bits%1").arg(bits),
                   head + samplegen::pictureBmp(bits, 16, 12, bits) +
                       samplegen::maskBmp(bits, 16, 12, bits == 24 ? 24 : 1));
  const QImage cake = samplegen::snackImage(0, 16, 12);
  ok = ok && put(picture, QStringLiteral("top-down"),
                 head + samplegen::bmp(cake, {32, true}) + samplegen::maskBmp(0, 16, 12, 1));
  ok = ok && put(picture, QStringLiteral("core-header"),
                 head + samplegen::bmp(cake, {4, false, true}) + samplegen::maskBmp(0, 16, 12, 1));
  ok = ok && put(picture, QStringLiteral("no-mask"), head + samplegen::pictureBmp(1, 16, 12));
  ok = ok && put(picture, QStringLiteral("mask-other-size"),
                 head + samplegen::pictureBmp(2, 16, 12) + samplegen::maskBmp(2, 8, 8, 1));
  ok = ok && put(picture, QStringLiteral("cut"), head + samplegen::pictureBmp(3, 16, 12).left(300));
  QByteArray trap = head;
  trap.replace(1 + 910, 2, "BM");
  ok = ok && put(picture, QStringLiteral("trap"), trap + samplegen::pictureBmp(0, 16, 12));
  // The first byte 1 puts a 904-byte header part before the rest.
  ok = ok && put(picture, QStringLiteral("after-904"),
                 QByteArray(1, '\1') + samplegen::pictureBmp(1, 8, 8, 8) +
                     samplegen::maskBmp(1, 8, 8, 1));

  // The factory's Image.bmp and mask.bmp for the picture maker: two bytes of
  // Image.bmp's length (low byte first), Image.bmp, then mask.bmp. Each coding
  // the generator writes, and what the maker refuses: compressed, another
  // size, a mask table without distinct white and black.
  const QString templates = out.filePath(QStringLiteral("templates"));
  auto pair = [](const QByteArray& image, const QByteArray& mask) {
    const qsizetype n = image.size();
    return QByteArray(1, char(n & 0xff)) + char(n >> 8 & 0xff) + image + mask;
  };
  const QImage shape = samplegen::snackImage(2, 12, 10), mask = samplegen::snackMask(2, 12, 10);
  for (const int bits : samplegen::kBitDepths)
    ok = ok && put(templates, QStringLiteral("bits%1").arg(bits),
                   pair(samplegen::bmp(shape, {bits}), samplegen::bmp(mask, {bits})));
  ok = ok && put(templates, QStringLiteral("top-down"),
                 pair(samplegen::bmp(shape, {24, true}), samplegen::bmp(mask, {1, true})));
  ok = ok &&
       put(templates, QStringLiteral("core-header"),
           pair(samplegen::bmp(shape, {8, false, true}), samplegen::bmp(mask, {1, false, true})));
  ok = ok && put(templates, QStringLiteral("bit-fields-565"),
                 pair(samplegen::bmp(shape, {16, false, false, true}), samplegen::bmp(mask, {1})));
  QByteArray rle = samplegen::bmp(shape, {8});
  rle[30] = 1;
  ok = ok && put(templates, QStringLiteral("rle8"), pair(rle, samplegen::bmp(mask, {1})));
  ok = ok && put(templates, QStringLiteral("mask-other-size"),
                 pair(samplegen::bmp(shape, {24}), samplegen::maskBmp(2, 8, 8, 1)));
  QImage grey(12, 10, QImage::Format_RGB32);
  grey.fill(qRgb(128, 128, 128));
  ok = ok && put(templates, QStringLiteral("mask-one-colour"),
                 pair(samplegen::bmp(shape, {24}), samplegen::bmp(grey, {1})));
  ok = ok && put(templates, QStringLiteral("cut"),
                 pair(samplegen::bmp(shape, {24}).left(100), samplegen::bmp(mask, {1})));

  // Files of the snack folder for the collection's row reader: the sample
  // snacks with pictures of each depth, a header alone, one byte short of a
  // header, a picture cut short, and a text file of a header's length.
  const QString rows = out.filePath(QStringLiteral("collection_row"));
  const QList<samplegen::SampleSnack> samples = samplegen::sampleSnacks();
  for (int i = 0; i < samples.size(); ++i)
    ok = ok &&
         put(rows, QStringLiteral("sample%1").arg(i),
             samplegen::snackFile(samples[i], i, samplegen::kBitDepths[i % 6], 1, QSize(16, 12)));
  ok = ok && put(rows, QStringLiteral("header-only"), samplegen::factoryHeader());
  ok = ok && put(rows, QStringLiteral("short903"), samplegen::headerTemplate(903));
  ok = ok && put(rows, QStringLiteral("cut"),
                 samplegen::snackFile(samplegen::sampleSnacks().first(), 1).left(1500));
  ok = ok && put(rows, QStringLiteral("text"),
                 QByteArray("file,name\r\n=HYPERLINK(\"x\")\r\n").repeated(40));

  if (!ok) std::fprintf(stderr, "could not write the seeds into %s\n", argv[1]);
  return ok ? 0 : 1;
}
