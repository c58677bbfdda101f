// SPDX-License-Identifier: GPL-3.0-or-later
#include "samplegen.h"

#include <QDir>
#include <QFile>
#include <QHash>
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

QByteArray factoryHeader() {
  QByteArray h = headerTemplate(1024);
  // Empty texts with zero-filled areas, and the whole opened group zero.
  h.replace(hdr::NameLength.at, 1 + hdr::NameText.size, QByteArray(1 + hdr::NameText.size, '\0'));
  h.replace(hdr::DescriptionLength.at, 1 + hdr::DescriptionText.size,
            QByteArray(1 + hdr::DescriptionText.size, '\0'));
  h.replace(hdr::AuthorLength.at, 1 + hdr::AuthorText.size,
            QByteArray(1 + hdr::AuthorText.size, '\0'));
  h.replace(hdr::OpenedGroup.at, hdr::OpenedGroup.size, QByteArray(hdr::OpenedGroup.size, '\0'));
  SampleSnack s;
  s.number = 0;
  s.quantity = 1;
  s.bestBeforeDays = 7;
  s.calories = 100;
  s.typeIndex = 0;
  s.soundIndex = 1;
  return withFields(h, s);
}

namespace {

void put16(QByteArray& b, qsizetype at, quint32 v) {
  b[at] = char(v & 0xff);
  b[at + 1] = char(v >> 8 & 0xff);
}
void put32(QByteArray& b, qsizetype at, quint32 v) {
  put16(b, at, v & 0xffff);
  put16(b, at + 2, v >> 16);
}

int distance(QRgb a, QRgb b) {
  return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
         std::abs(qBlue(a) - qBlue(b));
}

}  // namespace

QByteArray bmp(const QImage& source, BmpOptions o) {
  const QImage image = source.convertToFormat(QImage::Format_RGB32);
  const int w = image.width(), h = image.height(), bits = o.bitDepth;
  QList<QRgb> palette;
  QHash<QRgb, int> index;
  if (bits <= 8) {
    for (int y = 0; y < h && palette.size() < (1 << bits); ++y)
      for (int x = 0; x < w && palette.size() < (1 << bits); ++x) {
        const QRgb c = image.pixel(x, y) | 0xff000000u;
        if (!index.contains(c)) {
          index.insert(c, int(palette.size()));
          palette.append(c);
        }
      }
    while (palette.size() < (1 << bits)) palette.append(0xff000000u);
  }
  auto paletteIndex = [&](QRgb c) {
    c |= 0xff000000u;
    if (const auto it = index.constFind(c); it != index.constEnd()) return *it;
    int best = 0;
    for (int i = 1; i < palette.size(); ++i)
      if (distance(palette[i], c) < distance(palette[best], c)) best = i;
    index.insert(c, best);
    return best;
  };
  const int info = o.coreHeader ? 12 : 40, entry = o.coreHeader ? 3 : 4;
  const qint64 row = (qint64(w) * bits + 31) / 32 * 4;
  const bool fields = o.bitFields565 && bits == 16;
  const qint64 pixels = 14 + info + (fields ? 12 : 0) + qint64(palette.size()) * entry;
  QByteArray out(pixels + row * h, '\0');
  out[0] = 'B';
  out[1] = 'M';
  put32(out, 2, quint32(out.size()));
  put32(out, 10, quint32(pixels));
  put32(out, 14, quint32(info));
  if (o.coreHeader) {
    put16(out, 18, quint32(w));
    put16(out, 20, quint32(h));
    put16(out, 22, 1);
    put16(out, 24, quint32(bits));
  } else {
    put32(out, 18, quint32(w));
    put32(out, 22, quint32(o.topDown ? -h : h));
    put16(out, 26, 1);
    put16(out, 28, quint32(bits));
    if (fields) {
      put32(out, 30, 3);  // BI_BITFIELDS, the masks right after the info header
      put32(out, 54, 0xf800);
      put32(out, 58, 0x07e0);
      put32(out, 62, 0x001f);
    }
    put32(out, 34, quint32(row * h));
    put32(out, 38, 2835);  // 72 dots per inch
    put32(out, 42, 2835);
  }
  for (int i = 0; i < palette.size(); ++i) {
    char* e = out.data() + 14 + info + i * entry;
    e[0] = char(qBlue(palette[i]));
    e[1] = char(qGreen(palette[i]));
    e[2] = char(qRed(palette[i]));
  }
  for (int r = 0; r < h; ++r) {
    const int y = o.topDown ? r : h - 1 - r;
    const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    uchar* d = reinterpret_cast<uchar*>(out.data() + pixels + r * row);
    for (int x = 0; x < w; ++x) {
      const QRgb c = line[x];
      switch (bits) {
        case 1:
        case 4:
        case 8: {
          const int bit = x * bits;
          d[bit / 8] |= uchar(paletteIndex(c) << (8 - bits - bit % 8));
          break;
        }
        case 16: {
          const quint32 v = fields ? (qRed(c) >> 3) << 11 | (qGreen(c) >> 2) << 5 | qBlue(c) >> 3
                                   : (qRed(c) >> 3) << 10 | (qGreen(c) >> 3) << 5 | qBlue(c) >> 3;
          d[x * 2] = uchar(v & 0xff);
          d[x * 2 + 1] = uchar(v >> 8);
          break;
        }
        default:  // 24 and 32: blue, green, red (and a zero byte)
          uchar* p = d + x * (bits / 8);
          p[0] = uchar(qBlue(c));
          p[1] = uchar(qGreen(c));
          p[2] = uchar(qRed(c));
      }
    }
  }
  return out;
}

namespace {

// Draws snack `seed` into a width × height box; in `silhouette` every part is black.
void paintSnack(QPainter& p, int seed, int width, int height, bool silhouette) {
  const double w = width, h = height;
  auto brush = [&](int r, int g, int b) {
    p.setBrush(silhouette ? QColor(Qt::black) : QColor(r, g, b));
  };
  const int tint = (seed / 4) % 3 * 12;
  p.setPen(Qt::NoPen);
  switch (seed % 4) {
    case 0: {  // a slice of strawberry shortcake, seen from the side
      brush(250, 236, 200);
      p.drawRect(QRectF(w * 0.12, h * 0.40, w * 0.76, h * 0.46));
      brush(255, 255, 250);
      p.drawRect(QRectF(w * 0.12, h * 0.32, w * 0.76, h * 0.10));
      p.drawRect(QRectF(w * 0.12, h * 0.58, w * 0.76, h * 0.08));
      brush(230 - tint, 40, 60);
      p.drawEllipse(QRectF(w * 0.36, h * 0.10, w * 0.28, h * 0.26));
      for (int i = 0; i < 4; ++i)
        p.drawRect(QRectF(w * (0.16 + 0.18 * i), h * 0.60, w * 0.1, h * 0.04));
      brush(40, 160, 60);
      p.drawRect(QRectF(w * 0.46, h * 0.06, w * 0.08, h * 0.06));
      break;
    }
    case 1: {  // a cookie with chocolate chips
      brush(214 - tint, 160, 90);
      p.drawEllipse(QRectF(w * 0.08, h * 0.08, w * 0.84, h * 0.84));
      brush(90, 50, 20);
      for (int i = 0; i < 6; ++i) {
        const double x = w * (0.25 + 0.1 * ((seed + i * 3) % 6));
        const double y = h * (0.25 + 0.1 * ((seed * 7 + i * 5) % 6));
        p.drawEllipse(QPointF(x, y), w * 0.06, h * 0.06);
      }
      break;
    }
    case 2: {  // a cup on its saucer
      brush(240, 240, 235);
      p.drawEllipse(QRectF(w * 0.06, h * 0.78, w * 0.88, h * 0.16));
      brush(200, 120 + tint, 60);
      p.drawEllipse(QRectF(w * 0.66, h * 0.36, w * 0.24, h * 0.28));
      brush(150, 90, 50);
      p.drawRect(QRectF(w * 0.20, h * 0.30, w * 0.52, h * 0.54));
      brush(225, 190, 150);
      p.drawEllipse(QRectF(w * 0.20, h * 0.24, w * 0.52, h * 0.14));
      break;
    }
    default: {  // a plate of watermelon, melon and peach
      brush(235, 245, 250);
      p.drawEllipse(QRectF(w * 0.04, h * 0.46, w * 0.92, h * 0.46));
      brush(40, 140, 50);
      p.drawPie(QRectF(w * 0.08, h * 0.18, w * 0.44, h * 0.60), 0, 180 * 16);
      brush(235, 60 + tint, 70);
      p.drawPie(QRectF(w * 0.11, h * 0.22, w * 0.38, h * 0.52), 0, 180 * 16);
      brush(170, 220, 110);
      p.drawEllipse(QRectF(w * 0.52, h * 0.30, w * 0.26, h * 0.30));
      brush(250, 170, 160);
      p.drawEllipse(QRectF(w * 0.66, h * 0.44, w * 0.24, h * 0.26));
    }
  }
}

QImage drawn(int seed, int width, int height, bool silhouette) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(silhouette ? Qt::white : Qt::black);
  QPainter p(&image);
  paintSnack(p, seed, width, height, silhouette);
  return image;
}

}  // namespace

QImage snackImage(int seed, int width, int height) { return drawn(seed, width, height, false); }
QImage snackMask(int seed, int width, int height) { return drawn(seed, width, height, true); }

QByteArray pictureBmp(int seed, int width, int height, int bitDepth) {
  return bmp(snackImage(seed, width, height), {bitDepth});
}

QByteArray maskBmp(int seed, int width, int height, int bitDepth) {
  return bmp(snackMask(seed, width, height), {bitDepth});
}

QByteArray snackFile(const SampleSnack& sample, int seed, int pictureBits, int maskBits,
                     QSize size) {
  return header(sample) + pictureBmp(seed, size.width(), size.height(), pictureBits) +
         maskBmp(seed, size.width(), size.height(), maskBits);
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
  // Pictures of several depths and shapes, as snacks from different makers have.
  const int pictureBits[] = {24, 8, 4, 24}, maskBits[] = {1, 1, 24, 1};
  const QSize sizes[] = {{64, 64}, {64, 64}, {48, 64}, {96, 64}};
  for (int i = 0; i < samples.size(); ++i)
    ok = ok && writeFile(root.filePath(QStringLiteral("snacks/") + names[i]),
                         snackFile(samples[i], i, pictureBits[i], maskBits[i], sizes[i]));
  const QString factory = QStringLiteral("おやつ工場/");
  ok = ok && writeFile(root.filePath(factory + QStringLiteral("head.dat")), factoryHeader());
  ok = ok && writeFile(root.filePath(factory + QStringLiteral("Image.bmp")), pictureBmp(7));
  ok = ok && writeFile(root.filePath(factory + QStringLiteral("mask.bmp")), maskBmp(7));
  return ok;
}

}  // namespace samplegen
