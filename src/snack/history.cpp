// SPDX-License-Identifier: GPL-3.0-or-later
#include "snack/history.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <array>

#include "platform/bytefile.h"
#include "platform/wholefile.h"
#include "snack/fields.h"

namespace snack {

namespace {

constexpr char kMagic[] = "CRUMBHIS";
constexpr int kMagicSize = 8;
constexpr quint8 kBegin = 1, kPart = 2, kSettled = 3;
const QString kSuffix = QStringLiteral(".entry");

quint32 crc32(QByteArrayView bytes) {
  static const auto table = [] {
    std::array<quint32, 256> t{};
    for (quint32 i = 0; i < 256; ++i) {
      quint32 c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  quint32 c = 0xFFFFFFFFu;
  for (char b : bytes) c = table[(c ^ quint8(b)) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

void putU32(QByteArray& out, quint32 v) {
  for (int i = 0; i < 4; ++i) out.append(char((v >> (8 * i)) & 0xFF));
}
quint32 getU32(const char* p) {
  quint32 v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | quint8(p[i]);
  return v;
}

QByteArray record(quint8 type, const QByteArray& payload) {
  QByteArray r;
  r.reserve(payload.size() + 9);
  r.append(char(type));
  putU32(r, quint32(payload.size()));
  r.append(payload);
  putU32(r, crc32(r));
  return r;
}

QDataStream& stream(QDataStream& s) {
  s.setVersion(QDataStream::Qt_6_0);
  s.setByteOrder(QDataStream::LittleEndian);
  return s;
}

QByteArray encodePart(const HistoryFile& f) {
  QByteArray out;
  QDataStream s(&out, QIODevice::WriteOnly);
  stream(s) << quint8(f.kind) << f.path << f.shown << f.length << f.hash
            << quint32(f.patches.size());
  for (const HistoryFile::Patch& p : f.patches) s << p.offset << p.before << p.after;
  s << f.old;
  return out;
}

bool decodePart(const QByteArray& payload, HistoryFile& f) {
  QDataStream s(payload);
  quint8 kind = 0;
  quint32 n = 0;
  stream(s) >> kind >> f.path >> f.shown >> f.length >> f.hash >> n;
  if (s.status() != QDataStream::Ok || kind < 1 || kind > 5 || n > quint32(payload.size()))
    return false;
  f.kind = HistoryFile::Kind(kind);
  for (quint32 i = 0; i < n; ++i) {
    HistoryFile::Patch p;
    s >> p.offset >> p.before >> p.after;
    if (p.before.size() != p.after.size() || p.offset < 0) return false;
    f.patches.append(std::move(p));
  }
  s >> f.old;
  return s.status() == QDataStream::Ok && s.atEnd();
}

QString shownFolder(const QString& folder) {
  return platform::nativePath(QFileInfo(folder).absoluteFilePath());
}

// The entries of a folder by id, with their sizes, as this process last saw
// them; looked at again when the folder has changed since.
struct FolderState {
  QDateTime stamp;
  QMap<qint64, qint64> sizes;
  qint64 total = 0;
};
QHash<QString, FolderState>& folderStates() {
  static QHash<QString, FolderState> states;
  return states;
}

qint64 entryId(const QString& fileName) {
  if (!fileName.endsWith(kSuffix)) return 0;
  bool ok = false;
  const QStringView digits = QStringView(fileName).chopped(kSuffix.size());
  const qint64 id = digits.toLongLong(&ok);
  return ok && id > 0 && digits.size() <= 18 && digits.front() != QLatin1Char('0') &&
                 digits.front() != QLatin1Char('+')
             ? id
             : 0;
}

QString entryPath(const QString& folder, qint64 id) {
  return platform::joinPath(folder, QString::number(id) + kSuffix);
}

FolderState& stateOf(const QString& folder) {
  FolderState& st = folderStates()[folder];
  const QDateTime now = QFileInfo(folder).lastModified();
  // (The newest known entry still there: a folder made anew within the same
  // instant is not taken for the old one.)
  if (st.stamp.isValid() && st.stamp == now &&
      (st.sizes.isEmpty() || QFileInfo::exists(entryPath(folder, st.sizes.lastKey()))))
    return st;
  st = {};
  st.stamp = now;
  const QFileInfoList list = QDir(folder).entryInfoList(QDir::Files | QDir::Hidden, QDir::NoSort);
  for (const QFileInfo& fi : list) {
    if (const qint64 id = entryId(fi.fileName())) {
      st.sizes.insert(id, fi.size());
      st.total += fi.size();
    }
  }
  return st;
}

// Removes the oldest entries (but `keep`) until the bounds hold, with room
// for `room` more entries.
void prune(const QString& folder, FolderState& st, const HistoryBounds& b, int room, qint64 keep) {
  while (!st.sizes.isEmpty() && (st.sizes.size() + room > b.maxEntries || st.total > b.maxBytes)) {
    const auto oldest = st.sizes.begin();
    if (oldest.key() == keep) break;
    QFile::remove(entryPath(folder, oldest.key()));
    st.total -= oldest.value();
    st.sizes.erase(oldest);
  }
  st.stamp = QFileInfo(folder).lastModified();
}

}  // namespace

QByteArray contentHash(QByteArrayView bytes) {
  return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

HistoryAction::HistoryAction(QString folder, QString operation, HistoryBounds bounds)
    : folder_(std::move(folder)), operation_(std::move(operation)), bounds_(bounds) {}

HistoryAction::~HistoryAction() {
  if (!file_) return;
  const qint64 size = file_->size();
  file_->close();
  FolderState& st = stateOf(folder_);
  if (succeeded_ == 0) {
    QFile::remove(entryPath(folder_, id_));
    st.total -= st.sizes.value(id_);
    st.sizes.remove(id_);
  } else {
    st.total += size - st.sizes.value(id_);
    st.sizes.insert(id_, size);
  }
  prune(folder_, st, bounds_, 0, id_);
  dropFolder();
}

bool HistoryAction::start(QString* error) {
  const QFileInfo info(folder_);
  if (info.exists() && !info.isDir()) {
    *error = QStringLiteral("同じ名前のファイルがあり、フォルダを作れません");
    return false;
  }
  if (!info.exists()) {
    if (!QDir().mkpath(folder_)) {
      *error = QStringLiteral("フォルダを作れません");
      return false;
    }
    madeFolder_ = true;
  }
  FolderState& st = stateOf(folder_);
  prune(folder_, st, bounds_, 1, 0);
  qint64 id = st.sizes.isEmpty() ? 1 : st.sizes.lastKey() + 1;
  // Another program may take an id meanwhile: the file is made only when new.
  auto f = std::make_unique<QFile>(entryPath(folder_, id));
  for (int round = 0; !f->open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered);
       ++round) {
    if (round == 100 || !QFileInfo::exists(f->fileName())) {
      *error = f->errorString();
      return false;
    }
    f = std::make_unique<QFile>(entryPath(folder_, ++id));
  }
  file_ = std::move(f);
  id_ = id;
  st.sizes.insert(id_, 0);
  st.stamp = QFileInfo(folder_).lastModified();
  QByteArray begin;
  QDataStream s(&begin, QIODevice::WriteOnly);
  stream(s) << QDateTime::currentMSecsSinceEpoch() << operation_;
  if (!platform::writeAll(*file_, QByteArrayView(kMagic, kMagicSize), error) ||
      !append(kBegin, begin, false, error)) {
    file_->close();
    file_->remove();
    file_.reset();
    st.sizes.remove(id_);
    dropFolder();
    return false;
  }
  return true;
}

void HistoryAction::dropFolder() {
  if (madeFolder_ && succeeded_ == 0 && QDir().rmdir(folder_)) {
    madeFolder_ = false;
    folderStates().remove(folder_);
  }
}

bool HistoryAction::append(quint8 type, const QByteArray& payload, bool sync, QString* error) {
  if (!platform::writeAll(*file_, record(type, payload), error)) return false;
  return !sync || platform::syncHandle(file_->handle(), error);
}

Outcome HistoryAction::keep(const HistoryFile& part) {
  QString why;
  if (file_ || start(&why)) {
    const qint64 end = file_->size();
    if (append(kPart, encodePart(part), true, &why)) {
      ++kept_;
      pending_ = kept_;
      return Outcome::success();
    }
    // What did not go through is cut off again, so that the entry holds together.
    file_->resize(end);
    if (kept_ == 0) {
      file_->close();
      file_->remove();
      stateOf(folder_).sizes.remove(id_);
      file_.reset();
      dropFolder();
    }
  }
  return Outcome::failure(QStringLiteral("変更の履歴を残せないため、「%1」には何も書き込みません"
                                         "でした。履歴のフォルダ「%2」：%3")
                              .arg(part.shown, shownFolder(folder_), why));
}

void HistoryAction::done(bool ok) {
  if (!file_ || pending_ == 0) return;
  QByteArray payload;
  putU32(payload, quint32(pending_ - 1));
  payload.append(char(ok ? 1 : 0));
  QString ignored;
  // Not flushed: when this is lost, an undo finds the file as it was.
  append(kSettled, payload, false, &ignored);
  if (ok) ++succeeded_;
  pending_ = 0;
}

HistoryFile inPlacePart(const platform::NativePath& path, const QByteArray& before,
                        const QList<HistoryFile::Patch>& patches) {
  HistoryFile f;
  f.kind = HistoryFile::Kind::InPlace;
  // Kept whole, so that an undo from another working folder finds the file.
  const platform::NativePath whole = path.absolute();
  f.path = whole.bytes();
  f.shown = whole.shown();
  QByteArray after = before;
  for (const HistoryFile::Patch& p : patches) {
    if (after.size() < p.offset + p.after.size()) after.resize(p.offset + p.after.size(), '\0');
    after.replace(p.offset, p.after.size(), p.after);
  }
  f.length = after.size();
  f.hash = contentHash(after);
  f.patches = patches;
  return f;
}

bool tooLargeToKeep(const QString& path, const HistoryBounds& bounds) {
  const QFileInfo info(path);
  return info.isFile() && info.size() > bounds.maxReplaced;
}

Outcome keepWholeWrite(HistoryAction& history, const QString& path, qint64 length,
                       const QByteArray& hash) {
  HistoryFile f;
  const QString whole = QFileInfo(path).absoluteFilePath();
  f.path = platform::NativePath(whole).bytes();
  f.shown = platform::nativePath(whole);
  f.length = length;
  f.hash = hash;
  const QFileInfo info(path);
  if (!info.exists()) {
    f.kind = HistoryFile::Kind::Created;
  } else if (info.size() > history.bounds().maxReplaced) {
    if (!history.allowUnkept)
      return Outcome::refusal(
          QStringLiteral("おやつファイル「%1」は %2 MiB を超えるため、置き換える前の内容を変更の"
                         "履歴に残せません。何も書き込みませんでした。")
              .arg(f.shown)
              .arg(history.bounds().maxReplaced >> 20));
    f.kind = HistoryFile::Kind::Unkept;
  } else {
    f.kind = HistoryFile::Kind::Replaced;
    QFile old(path);
    if (!old.open(QIODevice::ReadOnly))
      return Outcome::failure(QStringLiteral("おやつファイル「%1」を読み込めません：%2")
                                  .arg(f.shown, old.errorString()));
    f.old = old.readAll();
  }
  return history.keep(f);
}

namespace {

// Reads one entry file; nullopt with `error` when it is damaged.
std::optional<HistoryEntry> readEntryFile(const QString& path, qint64 id, QString* error) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) {
    *error = f.errorString();
    return std::nullopt;
  }
  const QByteArray all = f.readAll();
  const char* p = all.constData();
  const qsizetype n = all.size();
  if (n < kMagicSize || QByteArrayView(p, kMagicSize) != QByteArrayView(kMagic, kMagicSize)) {
    *error = QStringLiteral("変更の履歴のファイルではありません");
    return std::nullopt;
  }
  HistoryEntry e;
  e.id = id;
  e.bytes = n;
  QList<HistoryFile> parts;
  QList<bool> failed;
  bool begun = false;
  qsizetype at = kMagicSize;
  while (n - at >= 9) {
    const quint8 type = quint8(p[at]);
    const quint32 len = getU32(p + at + 1);
    if (quint64(len) > quint64(n - at - 9)) break;  // cut short at the end
    const qsizetype end = at + 5 + len;
    if (crc32(QByteArrayView(p + at, 5 + len)) != getU32(p + end)) {
      if (end + 4 == n) break;  // the last record, cut short
      *error = QStringLiteral("内容が壊れています");
      return std::nullopt;
    }
    const QByteArray payload = QByteArray::fromRawData(p + at + 5, len);
    bool good = true;
    if (type == kBegin && !begun) {
      QDataStream s(payload);
      qint64 ms = 0;
      stream(s) >> ms >> e.operation;
      e.time = QDateTime::fromMSecsSinceEpoch(ms);
      good = begun = s.status() == QDataStream::Ok;
    } else if (type == kPart && begun) {
      HistoryFile part;
      good = decodePart(payload, part);
      parts.append(std::move(part));
      failed.append(false);
    } else if (type == kSettled && begun && len == 5) {
      const quint32 index = getU32(payload.constData());
      good = index < quint32(parts.size());
      if (good && payload[4] == 0) failed[index] = true;
    } else {
      good = false;
    }
    if (!good) {
      *error = QStringLiteral("内容が壊れています");
      return std::nullopt;
    }
    at = end + 4;
  }
  if (!begun) {
    *error = QStringLiteral("内容が壊れています");
    return std::nullopt;
  }
  for (qsizetype i = 0; i < parts.size(); ++i)
    if (!failed[i]) e.files.append(std::move(parts[i]));
  return e;
}

QString skippedText(const QString& folder, const QString& name, const QString& why) {
  return QStringLiteral("変更の履歴の「%1」を読み飛ばしました：%2")
      .arg(platform::nativePath(platform::joinPath(folder, name)), why);
}

}  // namespace

HistoryListing readHistory(const QString& folder) {
  HistoryListing out;
  QMap<qint64, QString> ids;
  const QFileInfoList list =
      QDir(folder).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
  for (const QFileInfo& fi : list) {
    const qint64 id = fi.isFile() ? entryId(fi.fileName()) : 0;
    if (id)
      ids.insert(id, fi.fileName());
    else
      out.skipped.append(
          skippedText(folder, fi.fileName(), QStringLiteral("変更の履歴のファイルではありません")));
  }
  for (auto it = ids.cend(); it != ids.cbegin();) {
    --it;
    QString error;
    auto e = readEntryFile(platform::joinPath(folder, it.value()), it.key(), &error);
    if (!e)
      out.skipped.append(skippedText(folder, it.value(), error));
    else if (!e->files.isEmpty())
      out.entries.append(std::move(*e));
  }
  return out;
}

std::optional<HistoryEntry> readEntry(const QString& folder, qint64 id, QString* error) {
  const QString path = entryPath(folder, id);
  if (id <= 0 || !QFileInfo(path).isFile()) {
    *error = QStringLiteral("変更の履歴に %1 はありません").arg(id);
    return std::nullopt;
  }
  return readEntryFile(path, id, error);
}

}  // namespace snack
