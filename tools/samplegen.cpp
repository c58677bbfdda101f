// SPDX-License-Identifier: GPL-3.0-or-later
#include "samplegen.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <cstdlib>

#include "header_table.h"
#include "platform/sjis.h"

namespace samplegen {

using snack::HeaderValues;

QByteArray sjis(const QString& text) {
  const platform::SjisEncoding e = platform::toSjis(text);
  if (!e.ok) {
    std::fprintf(stderr, "samplegen: no Shift-JIS form for %s\n", qPrintable(e.badCharacter));
    std::abort();
  }
  return e.bytes;
}

QByteArray headerTemplate(int size) {
  QByteArray h(size, '\0');
  for (int i = 0; i < size; ++i) h[i] = static_cast<char>((i * 37 + 11) % 251 + 1);
  h.replace(0, 8, "SNACK01\x1A");
  return h;
}

namespace {
QByteArray toBmp(const QImage& image) {
  QByteArray bytes;
  QBuffer buf(&bytes);
  buf.open(QIODevice::WriteOnly);
  image.save(&buf, "BMP");
  return bytes;
}
}  // namespace

HeaderValues values(const SampleSnack& s) {
  HeaderValues v;
  v.name = sjis(s.name);
  v.description = sjis(s.description);
  v.author = sjis(s.author);
  v.number = s.number;
  v.quantity = s.quantity;
  v.bestBeforeDays = s.bestBeforeDays;
  v.calories = s.calories;
  v.year = s.year;
  v.typeIndex = s.typeIndex;
  v.soundIndex = s.soundIndex;
  v.month = s.month;
  v.day = s.day;
  v.hour = s.hour;
  v.minute = s.minute;
  v.second = s.second;
  return v;
}

// Written byte by byte from the file format, not by the editor's own code.
QByteArray withFields(QByteArray h, const SampleSnack& s) {
  hdr::putText(h, hdr::NameLength, sjis(s.name));
  hdr::putText(h, hdr::DescriptionLength, sjis(s.description));
  hdr::putText(h, hdr::AuthorLength, sjis(s.author));
  hdr::put16(h, hdr::Number, s.number);
  hdr::put16(h, hdr::Quantity, s.quantity);
  hdr::put16(h, hdr::BestBeforeDays, s.bestBeforeDays);
  hdr::put16(h, hdr::Calories, s.calories);
  hdr::putByte(h, hdr::TypeIndex, s.typeIndex);
  hdr::putByte(h, hdr::SoundIndex, s.soundIndex);
  hdr::put16(h, hdr::OpenedYear, s.year);
  hdr::putByte(h, hdr::OpenedMonth, s.month);
  hdr::putByte(h, hdr::OpenedDay, s.day);
  hdr::putByte(h, hdr::OpenedHour, s.hour);
  hdr::putByte(h, hdr::OpenedMinute, s.minute);
  hdr::putByte(h, hdr::OpenedSecond, s.second);
  return h;
}

QByteArray header(const SampleSnack& s, int size) { return withFields(headerTemplate(size), s); }

QByteArray pictureBmp(int seed, int width, int height) {
  QImage image(width, height, QImage::Format_RGB888);
  image.fill(QColor(255, 250, 235));
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(196 - seed % 40, 132 + seed % 50, 64));
  p.drawEllipse(QRectF(width * 0.1, height * 0.1, width * 0.8, height * 0.8));
  p.setBrush(QColor(90, 50, 20));
  for (int i = 0; i < 5; ++i) {
    const double x = width * (0.25 + 0.1 * ((seed + i * 3) % 6));
    const double y = height * (0.25 + 0.1 * ((seed * 7 + i * 5) % 6));
    p.drawEllipse(QPointF(x, y), width * 0.05, height * 0.05);
  }
  p.end();
  return toBmp(image);
}

QByteArray maskBmp(int seed, int width, int height) {
  QImage image(width, height, QImage::Format_RGB888);
  image.fill(Qt::white);
  QPainter p(&image);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::black);
  const double inset = 0.1 + 0.01 * (seed % 3);
  p.drawEllipse(
      QRectF(width * inset, height * inset, width * (1 - 2 * inset), height * (1 - 2 * inset)));
  p.end();
  return toBmp(image);
}

QByteArray snackFile(const SampleSnack& sample, int seed) {
  return header(sample) + pictureBmp(seed) + maskBmp(seed);
}

QByteArray nameFile(const QList<QPair<int, QString>>& entries) {
  QByteArray out;
  for (const auto& [index, name] : entries)
    out += sjis(QStringLiteral("%1 %2").arg(index, 3, 10, QLatin1Char('0')).arg(name)) + "\r\n";
  return out;
}

QList<QPair<int, QString>> sampleFoodTypes() {
  return {{0, QStringLiteral("ふつうのおやつ")}, {1, QStringLiteral("あまいおやつ")},
          {2, QStringLiteral("からいおやつ")},   {4, QStringLiteral("のみもの")},
          {5, QStringLiteral("くだもの")},       {7, QStringLiteral("ふしぎなおやつ")},
          {8, QStringLiteral("ごちそう")},       {12, QStringLiteral("きせつのおやつ")}};
}

QList<QPair<int, QString>> sampleSounds() {
  return {{0, QStringLiteral("なし")},         {1, QStringLiteral("もぐもぐ")},
          {2, QStringLiteral("ぱりぽり")},     {3, QStringLiteral("ごくごく")},
          {5, QStringLiteral("しゃりしゃり")}, {6, QStringLiteral("ぺろぺろ")},
          {9, QStringLiteral("ずずーっ")},     {10, QStringLiteral("かりっ")}};
}

QList<SampleSnack> sampleSnacks() {
  QList<SampleSnack> list;
  SampleSnack a;
  a.name = QStringLiteral("いちごのショートケーキ");
  a.description = QStringLiteral("ふわふわのスポンジに、あまずっぱいいちご。");
  a.author = QStringLiteral("こむぎ工房");
  a.number = 101;
  a.typeIndex = 1;
  a.soundIndex = 1;
  list.append(a);
  SampleSnack b;
  b.name = QStringLiteral("むげんクッキー");
  b.description = QStringLiteral("いくら食べてもなくならない、ふしぎなクッキー。");
  b.author = QStringLiteral("おかしの森");
  b.number = 65535;
  b.quantity = 0xFFFF;  // unlimited
  b.bestBeforeDays = 0xFFFF;
  b.calories = 0xFFFF;
  b.typeIndex = 7;
  b.soundIndex = 2;
  list.append(b);
  SampleSnack c;
  c.name = QStringLiteral("ほうじ茶ラテ");
  c.description = QStringLiteral("こうばしい香りのあたたかいのみもの。");
  c.author = QStringLiteral("まめ茶房");
  c.number = 4660;
  c.quantity = 1;
  c.bestBeforeDays = 0;
  c.calories = 80;
  c.typeIndex = 4;
  c.soundIndex = 3;
  c.year = 2000;
  c.month = 11;
  c.day = 30;
  c.hour = 12;
  c.minute = 34;
  c.second = 56;
  list.append(c);
  SampleSnack d;
  d.name = QStringLiteral("きせつのフルーツ盛り合わせ～夏～");
  d.description = QStringLiteral("すいか、メロン、もも。");
  d.author = QString();
  d.number = 256;
  d.quantity = 256;
  d.bestBeforeDays = 2;
  d.calories = 2000;
  d.typeIndex = 3;  // an index without a name: shows "--------"
  d.soundIndex = 5;
  d.year = 2001;
  list.append(d);
  return list;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeWorkspace(const QString& dir, bool firstRun) {
  QDir root(dir);
  if (!root.mkpath(QStringLiteral("snacks")) || !root.mkpath(QStringLiteral("おやつ工場")))
    return false;
  const QString snacks =
      QDir::toNativeSeparators(root.absoluteFilePath(QStringLiteral("snacks"))) + QDir::separator();
  bool ok = writeFile(root.filePath(QStringLiteral("cookenv.ini")),
                      sjis(firstRun ? QStringLiteral("NONE") : snacks) + "\r\n");
  ok = ok && writeFile(root.filePath(QStringLiteral("Foodtype.ini")), nameFile(sampleFoodTypes()));
  ok = ok && writeFile(root.filePath(QStringLiteral("sound.ini")), nameFile(sampleSounds()));
  const QStringList names = {QStringLiteral("ichigo.pac"), QStringLiteral("mugen.pac"),
                             QStringLiteral("houjicha.pac"), QStringLiteral("fruit10.pac")};
  const QList<SampleSnack> samples = sampleSnacks();
  for (int i = 0; i < samples.size(); ++i)
    ok = ok &&
         writeFile(root.filePath(QStringLiteral("snacks/") + names[i]), snackFile(samples[i], i));
  const QString factory = QStringLiteral("おやつ工場/");
  ok = ok && writeFile(root.filePath(factory + QStringLiteral("head.dat")), headerTemplate(1024));
  ok = ok && writeFile(root.filePath(factory + QStringLiteral("Image.bmp")), pictureBmp(7));
  ok = ok && writeFile(root.filePath(factory + QStringLiteral("mask.bmp")), maskBmp(7));
  return ok;
}

}  // namespace samplegen
