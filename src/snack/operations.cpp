// SPDX-License-Identifier: GPL-3.0-or-later
#include "snack/operations.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <optional>
#include <span>

#include "platform/bytefile.h"
#include "platform/fileid.h"
#include "platform/paths.h"
#include "platform/wholefile.h"
#include "snack/history.h"

namespace snack {

namespace {

using platform::ByteFile;

Outcome fileError(const QString& what, const ByteFile& f) {
  return Outcome::failure(
      QStringLiteral("おやつファイル「%1」を%2：%3").arg(f.path().shown(), what, f.errorString()));
}

Outcome tooShort(const ByteFile& f) {
  return Outcome::failure(
      QStringLiteral(
          "おやつファイル「%1」は %2 バイトしかありません。おやつファイルのヘッダーには %3 "
          "バイト以上が必要です。")
          .arg(f.path().shown())
          .arg(f.size())
          .arg(kHeaderSize));
}

// After a write that failed, perhaps part-way: writes back what `ranges` held
// in `original` (the header as it was) and adds to the message whether the
// file is as it was.
Outcome putBack(ByteFile& f, std::span<const ByteRange> ranges, const QByteArray& original,
                const Outcome& failure) {
  for (const ByteRange& r : ranges)
    f.writeAt(r.offset, QByteArrayView(original).sliced(r.offset, r.size));
  f.syncToDisk();
  QByteArray now;
  const bool same = f.readAt(0, kHeaderSize, now) && now == original;
  return Outcome::failure(failure.message +
                          (same ? QStringLiteral("\nファイルは書き込む前のままです。")
                                : QStringLiteral("\nファイルを書き込む前の内容に戻せませんでした。"
                                                 "一部だけが書き換わっています。")));
}

// The part of writing `after` over `before` at each of `ranges` (the ranges
// whose bytes stay as they are left out), kept in `history`.
Outcome keepInPlace(HistoryAction& history, ByteFile& f, std::span<const ByteRange> ranges,
                    const QByteArray& header, const QByteArray& image) {
  QByteArray whole;
  if (!f.readAt(0, f.size(), whole)) return fileError(QStringLiteral("読み込めません"), f);
  QList<HistoryFile::Patch> patches;
  for (const ByteRange& r : ranges) {
    const QByteArray before = header.mid(r.offset, r.size), after = image.mid(r.offset, r.size);
    if (before != after) patches.append({r.offset, before, after});
  }
  return history.keep(inPlacePart(f.path(), whole, patches));
}

}  // namespace

Outcome loadSnack(const platform::NativePath& path, SnackRecordType& record) {
  ByteFile f(path);
  QByteArray header;
  return loadSnack(f, record, header, kHeaderSize);
}

Outcome loadSnack(ByteFile& f, SnackRecordType& record, QByteArray& bytes, qint64 n,
                  qint64* fileSize) {
  if (!f.open(ByteFile::Mode::Read)) return fileError(QStringLiteral("読み込めません"), f);
  const qint64 size = f.size();
  if (size < kHeaderSize) return tooShort(f);
  if (fileSize) *fileSize = size;
  QByteArray first;
  if (!f.readAt(0, std::clamp<qint64>(n, kHeaderSize, size), first))
    return fileError(QStringLiteral("読み込めません"), f);
  record = decodeHeader(first);
  bytes = std::move(first);
  return Outcome::success();
}

Outcome saveSnack(const platform::NativePath& path, const HeaderValues& values,
                  SaveOptions options) {
  const QString write = QStringLiteral("書き込めません");
  // A folder, pipe or device at the path is refused by open. A missing file
  // is made anew, and only then: a file that appears meanwhile is opened as it is.
  ByteFile f(path);
  if (!f.open(options.createMissing ? ByteFile::Mode::CreateUpdate : ByteFile::Mode::Update))
    return fileError(write, f);
  const bool existed = !f.created();
  // Writing past the end of a short file would change its length.
  if (existed && f.size() < kHeaderSize) return tooShort(f);
  // What the header holds now, put back when a write fails part-way; a file
  // this save made is removed again (never a link to it, nor another file).
  QByteArray original;
  if (existed && !f.readAt(0, kHeaderSize, original))
    return fileError(QStringLiteral("読み込めません"), f);
  const QByteArray image = headerImage(values);
  HistoryAction* history = options.history;
  if (history) {
    Outcome kept;
    if (existed) {
      kept = keepInPlace(*history, f, kSavedRanges, original, image);
    } else {
      HistoryFile made;
      made.kind = HistoryFile::Kind::Created;
      made.path = path.absolute().bytes();
      made.shown = path.absolute().shown();
      made.length = kHeaderSize;
      made.hash = contentHash(image);
      kept = history->keep(made);
    }
    if (!kept.ok) {
      if (!existed) f.removeCreated();
      return kept;
    }
  }
  auto failed = [&](const Outcome& failure) {
    if (history) history->done(false);
    if (existed) return putBack(f, kSavedRanges, original, failure);
    f.removeCreated();
    return failure;
  };
  if (!existed && !f.resize(kHeaderSize)) return failed(fileError(write, f));

  for (const ByteRange& r : kSavedRanges) {
    if (!f.writeAt(r.offset, QByteArrayView(image).sliced(r.offset, r.size)))
      return failed(fileError(write, f));
  }
  if (options.flushToDisk && !f.syncToDisk()) return failed(fileError(write, f));
  // One read covers every saved range.
  const int first = kSavedRanges.front().offset;
  const int end = kSavedRanges.back().end();
  QByteArray back;
  if (!f.readAt(first, end - first, back))
    return failed(fileError(QStringLiteral("確認のため読み返せません"), f));
  for (const ByteRange& r : kSavedRanges) {
    if (QByteArrayView(back).sliced(r.offset - first, r.size) !=
        QByteArrayView(image).sliced(r.offset, r.size)) {
      return failed(Outcome::failure(
          QStringLiteral(
              "おやつファイル「%1」に書いた内容を読み返したところ、%2 バイト目からの内容が"
              "一致しません。ディスクを確認してください。")
              .arg(path.shown())
              .arg(r.offset)));
    }
  }
  if (history) history->done(true);
  return Outcome::success();
}

Outcome refreshSnack(const platform::NativePath& path, Reach reach, HistoryAction* history) {
  const QString write = QStringLiteral("リフレッシュできません");
  ByteFile f(path);
  // Checked again as the file is opened: the entry may have become a link
  // since the folder was read.
  if (reach == Reach::OneOfMany) f.refuseLinks();
  if (!f.open(ByteFile::Mode::Update)) return fileError(write, f);
  if (f.size() < kHeaderSize) return tooShort(f);
  QByteArray original;
  if (!f.readAt(0, kHeaderSize, original)) return fileError(QStringLiteral("読み込めません"), f);
  static constexpr ByteRange kOpened[] = {kOpenedGroup};
  const QByteArray zeros(kOpenedGroup.size, '\0');
  if (history) {
    QByteArray image = original;
    image.replace(kOpenedGroup.offset, kOpenedGroup.size, zeros);
    const Outcome kept = keepInPlace(*history, f, kOpened, original, image);
    if (!kept.ok) return kept;
  }
  auto failed = [&](const Outcome& failure) {
    if (history) history->done(false);
    return putBack(f, kOpened, original, failure);
  };
  if (!f.writeAt(kOpenedGroup.offset, zeros) || !f.syncToDisk()) return failed(fileError(write, f));
  QByteArray back;
  if (!f.readAt(kOpenedGroup.offset, kOpenedGroup.size, back))
    return failed(fileError(QStringLiteral("確認のため読み返せません"), f));
  if (back != zeros) {
    return failed(Outcome::failure(
        QStringLiteral("おやつファイル「%1」の開封日時を読み返したところ、0 になっていません。")
            .arg(path.shown())));
  }
  if (history) history->done(true);
  return Outcome::success();
}

Outcome checkFactoryOutput(const QString& factoryFolder, const QString& outputName,
                           const platform::NativePath& currentSnack, FactoryTarget& target) {
  const QString folderShown = platform::nativePath(factoryFolder);
  if (outputName.isEmpty())
    return Outcome::refusal(
        QStringLiteral("「おやつファイル」が空です。作るおやつファイルの名前を入力してください。"));
  if (platform::containsSeparator(outputName) || outputName == QLatin1String(".") ||
      outputName == QLatin1String("..")) {
    return Outcome::refusal(
        QStringLiteral(
            "「おやつファイル」の「%1」はファイル名として使えません。フォルダの区切りを含まない"
            "名前を入力してください。")
            .arg(outputName));
  }
  if (!platform::keepsFileName(outputName)) {
    return Outcome::refusal(
        QStringLiteral(
            "「おやつファイル」の「%1」は、この名前のままでは保存できません（終わりの点や空白は"
            "取り除かれ、記号や装置の名前は別の意味になります）。別の名前を入力してください。")
            .arg(outputName));
  }
  for (const char* part : kFactoryParts) {
    if (outputName.compare(QLatin1String(part), Qt::CaseInsensitive) == 0) {
      return Outcome::refusal(
          QStringLiteral("「%1」はおやつ工場の部品の名前です。別の名前を入力してください。")
              .arg(outputName));
    }
  }
  if (!QFileInfo(factoryFolder).isDir()) {
    return Outcome::refusal(
        QStringLiteral(
            "おやつ工場のフォルダ「%1」がありません。作業フォルダに「%2」フォルダを作り、head.dat、"
            "Image.bmp、mask.bmp を入れてください。")
            .arg(folderShown, kFactoryFolder));
  }
  QStringList parts;
  for (const char* part : kFactoryParts) {
    const QString p = platform::joinPath(factoryFolder, QLatin1String(part));
    if (!QFileInfo(p).isFile()) {
      return Outcome::refusal(
          QStringLiteral("おやつ工場の部品「%1」がありません。ファイルは作りませんでした。")
              .arg(platform::nativePath(p)));
    }
    parts.append(p);
  }
  const QString outPath = platform::joinPath(factoryFolder, outputName);
  const QString outShown = platform::nativePath(outPath);
  // The new file is moved into place over whatever the name holds; through a
  // link that would be the link's target, wherever it is.
  if (platform::isLink(outPath)) {
    return Outcome::refusal(
        QStringLiteral(
            "おやつファイル「%1」はシンボリックリンクです。リンク先のファイルを書き換えないよう、"
            "何も書き込みませんでした。「おやつファイル」に別の名前を入力してください。")
            .arg(outShown));
  }
  for (const QString& p : parts) {
    if (platform::sameFile(outPath, p)) {
      return Outcome::refusal(
          QStringLiteral(
              "おやつファイル「%1」は、おやつ工場の部品「%2」と同じファイルです。部品を"
              "書き換えないよう、何も書き込みませんでした。「おやつファイル」に別の名前を"
              "入力してください。")
              .arg(outShown, platform::nativePath(p)));
    }
  }
  // Making the snack being edited anew would lose what was saved into it, and
  // the next save would write the old values over the fresh parts.
  if (!currentSnack.isEmpty() && platform::sameFile(outPath, currentSnack)) {
    return Outcome::refusal(
        QStringLiteral(
            "おやつファイル「%1」は、いま読み込んでいるおやつファイル「%2」と同じファイルです。"
            "作り直すと書き込んだ内容が消えてしまうため、何も書き込みませんでした。"
            "「おやつファイル」に別の名前を入力してください。")
            .arg(outShown, currentSnack.shown()));
  }
  const QFileInfo outInfo(outPath);
  auto refused = [&](const QString& reason) {
    return Outcome::refusal(
        QStringLiteral("おやつファイル「%1」を作れません：%2").arg(outShown, reason));
  };
  if (outInfo.isDir()) return refused(QStringLiteral("同じ名前のフォルダがあります"));
  if (outInfo.exists() && !outInfo.isWritable())
    return refused(QStringLiteral("書き込みが禁止されています"));
  target = {outPath, parts};
  return Outcome::success();
}

namespace {

// Passes every write on to `to` and hashes what went through.
class HashingDevice : public QIODevice {
 public:
  explicit HashingDevice(QIODevice& to) : to_(to), hash_(QCryptographicHash::Sha256) {
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
  }
  QByteArray hash() const { return hash_.result(); }
  qint64 written() const { return written_; }

 protected:
  qint64 readData(char*, qint64) override { return -1; }
  qint64 writeData(const char* data, qint64 n) override {
    const qint64 w = to_.write(data, n);
    if (w > 0) {
      hash_.addData(QByteArrayView(data, w));
      written_ += w;
    }
    if (w != n) setErrorString(to_.errorString());
    return w;
  }

 private:
  QIODevice& to_;
  QCryptographicHash hash_;
  qint64 written_ = 0;
};

}  // namespace

Outcome writeFactoryOutput(const FactoryTarget& target,
                           const std::function<bool(QIODevice& out, QString* error)>& fill,
                           HistoryAction* history) {
  auto writeFailed = [&](const QString& reason) {
    return Outcome::failure(QStringLiteral("おやつファイル「%1」を作れません：%2")
                                .arg(platform::nativePath(target.output), reason));
  };
  QString error;
  if (!history) {
    if (!platform::writeWholeFile(target.output, fill, &error)) return writeFailed(error);
    return Outcome::success();
  }
  // The new file takes its name only once its part is kept: until then the
  // file at the name is as it was.
  if (tooLargeToKeep(target.output, history->bounds()) && !history->allowUnkept) {
    Outcome refused = keepWholeWrite(*history, target.output, 0, {});
    return refused;
  }
  std::optional<HashingDevice> tee;
  Outcome kept;
  bool keptAny = false;
  const bool ok = platform::writeWholeFile(
      target.output,
      [&](QIODevice& out, QString* why) {
        tee.emplace(out);
        return fill(*tee, why);
      },
      &error,
      [&](QString* why) {
        kept = keepWholeWrite(*history, target.output, tee->written(), tee->hash());
        keptAny = kept.ok;
        if (!kept.ok) *why = QString();
        return kept.ok;
      });
  if (keptAny) history->done(ok);
  if (!kept.ok) return kept;
  if (!ok) return writeFailed(error);
  return Outcome::success();
}

Outcome buildSnack(const QString& factoryFolder, const QString& outputName,
                   const platform::NativePath& currentSnack, qint64 piece, HistoryAction* history) {
  FactoryTarget target;
  const Outcome checked = checkFactoryOutput(factoryFolder, outputName, currentSnack, target);
  if (!checked.ok) return checked;
  return writeFactoryOutput(
      target,
      [&](QIODevice& out, QString* error) {
        for (const QString& p : target.parts) {
          if (!platform::appendFile(out, p, piece, error)) return false;
        }
        return true;
      },
      history);
}

}  // namespace snack
