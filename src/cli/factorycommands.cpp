// SPDX-License-Identifier: GPL-3.0-or-later
// The subcommands that make files: make (the factory and the picture maker)
// and thumbnail.
#include <QImage>
#include <optional>

#include "cli/cli.h"
#include "cli/commands.h"
#include "platform/bytefile.h"
#include "snack/drawing.h"
#include "snack/history.h"
#include "snack/operations.h"
#include "snack/picturemaker.h"

namespace cli {

using platform::CommandArgument;

namespace {

// The status for a failed step: refused before anything was touched, or not.
int failedWith(const snack::Outcome& o) {
  message(o.message);
  return o.refused ? kRefused : kFailed;
}

// make --picture: the picture maker's steps, so that a picture file that
// cannot be read is told apart from a refused name.
int makeFromPicture(const QString& factory, const CommandArgument& pictureArg, bool keyColour,
                    const QString& name, snack::HistoryAction* history) {
  // A name the factory refuses is told before any picture is read.
  snack::FactoryTarget target;
  if (const snack::Outcome o = snack::checkFactoryOutput(factory, name, {}, target); !o.ok)
    return failedWith(o);
  int status = kFailed;
  const auto picture = fileArgument(pictureArg, &status);
  if (!picture) return status;
  // The picture is opened by its path's bytes and read under a name Qt opens.
  platform::ByteFile file(picture->path);
  QString why;
  if (!file.open(platform::ByteFile::Mode::Read))
    why = file.errorString();
  else if (file.size() == 0)
    why = QStringLiteral("ファイルが空です");
  if (!why.isEmpty()) {
    message(QStringLiteral("絵のファイル「%1」を読み込めません：%2").arg(picture->shown, why));
    return kFailed;
  }
  QImage image;
  snack::Outcome read = snack::readPictureFile(file.qtFileName(), image);
  if (!read.ok) {
    read.message.replace(platform::nativePath(file.qtFileName()), picture->shown);
    message(read.message);
    return kFailed;
  }
  file.close();
  QByteArray bytes;
  if (const snack::Outcome o = snack::makeSnackBytes(factory, std::move(image), keyColour, bytes);
      !o.ok)
    return failedWith(o);
  if (const snack::Outcome o = snack::writeSnackFile(factory, name, bytes, {}, history); !o.ok)
    return failedWith(o);
  return kDone;
}

}  // namespace

int Make_Run(Context& ctx, const Options& o) {
  const QString sub = QStringLiteral("make");
  if (o.operands.size() != 1)
    return usageError(QStringLiteral("作るおやつファイルの名前を一つ指定してください。"), sub);
  const bool picture = o.values.contains(QStringLiteral("--picture"));
  if (!picture && o.has("--no-key-colour"))
    return usageError(QStringLiteral("--no-key-colour は --picture と一緒に使います。"), sub);
  const QString factory = ctx.inWorkdir(snack::kFactoryFolder);
  const QString name = o.operands.first().text;
  std::optional<snack::HistoryAction> history;
  if (!o.has("--no-history")) history.emplace(historyFolder(ctx), QStringLiteral("コマンド: make"));
  snack::HistoryAction* kept = history ? &*history : nullptr;
  if (picture)
    return makeFromPicture(factory, o.values[QStringLiteral("--picture")],
                           !o.has("--no-key-colour"), name, kept);
  const snack::Outcome done = snack::buildSnack(factory, name, {}, 1 << 20, kept);
  return done.ok ? kDone : failedWith(done);
}

int Thumbnail_Run(Context&, const Options& o) {
  const QString sub = QStringLiteral("thumbnail");
  if (o.operands.size() != 2)
    return usageError(QStringLiteral("おやつファイルと、書き出す PNG ファイルを指定してください。"),
                      sub);
  int size = 128;
  if (o.values.contains(QStringLiteral("-s"))) {
    const QString text = o.values[QStringLiteral("-s")].text;
    bool number = false;
    size = text.toInt(&number);
    if (!number || size < 1 || size > snack::kThumbnailLimit)
      return usageError(QStringLiteral("-s の大きさ「%1」は 1 から %2 の整数で指定してください。")
                            .arg(text)
                            .arg(snack::kThumbnailLimit),
                        sub);
  }
  int status = kFailed;
  const auto file = fileArgument(o.operands[0], &status);
  if (!file) return status;
  const snack::Outcome done = snack::writeThumbnail(file->path, size, o.operands[1].text);
  if (done.ok) return kDone;
  message(done.message);
  return done.refused ? kRefused : kFailed;
}

}  // namespace cli
