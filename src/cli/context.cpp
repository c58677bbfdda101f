// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/context.h"

#include <QDir>

#include "app/settings.h"
#include "cli/cli.h"
#include "platform/bytefile.h"
#include "snack/collection.h"

namespace cli {

using platform::CommandArgument;
using platform::NativePath;

void say(const QString& text) { platform::writeOut(text.toUtf8()); }
void message(const QString& text) { platform::writeErr((kProgram + ": " + text + '\n').toUtf8()); }

int usageError(const QString& text, const QString& subcommand) {
  message(text);
  message(subcommand.isEmpty()
              ? QStringLiteral("使い方は「%1 --help」で表示します。").arg(kProgram)
              : QStringLiteral("使い方は「%1 help %2」で表示します。").arg(kProgram, subcommand));
  return kRefused;
}

void Context::readNames() {
  if (namesRead) return;
  namesRead = true;
  QString error;
  if (!ReadNameTable(inWorkdir(kFoodTypeFile), names.types, &error))
    message(error + QStringLiteral("\nおやつの種類はすべて「--------」になります。"));
  if (!ReadNameTable(inWorkdir(kSoundFile), names.sounds, &error))
    message(error + QStringLiteral("\n食事音はすべて「--------」になります。"));
}

std::optional<QString> Context::snackFolder() const {
  QString error;
  const auto folder = ReadSnackFolder(&error, workdir);
  if (!folder) {
    message(error);
    return std::nullopt;
  }
  if (*folder == kNoFolder) {
    message(QStringLiteral("設定ファイル「%1」のおやつフォルダは「%2」（まだ選ばれていません）"
                           "です。フォルダを指定してください。")
                .arg(inWorkdir(kCookenvFile), kNoFolder));
    return std::nullopt;
  }
  if (workdir.isEmpty() || QDir::isAbsolutePath(*folder)) return *folder;
  return platform::joinPath(workdir, *folder);
}

NativePath fileArgument(const CommandArgument& arg) {
  if (platform::exists(arg.path)) return arg.path;
  return platform::resolveShownPath(arg.text);
}

std::optional<QList<CommandArgument>> withStandardInput(const QList<CommandArgument>& operands) {
  QList<CommandArgument> all;
  for (const CommandArgument& a : operands) {
    if (a.text != QLatin1String("-")) {
      all.append(a);
      continue;
    }
    const auto lines = platform::standardInputLines();
    if (!lines) {
      message(QStringLiteral("標準入力からファイルの名前を読めません。"));
      return std::nullopt;
    }
    all.append(*lines);
  }
  return all;
}

std::optional<QList<Target>> listedFiles(Context& ctx, const QList<CommandArgument>& operands,
                                         QString* folderText) {
  const auto folder = operands.isEmpty() ? ctx.snackFolder() : operands.first().text;
  if (!folder) return std::nullopt;
  if (folderText) *folderText = *folder;
  QString error;
  const auto files = snack::listSnackFolder(*folder, &error);
  if (!files) {
    message(error);
    return std::nullopt;
  }
  QList<Target> targets;
  targets.reserve(files->size());
  for (const platform::FolderEntry& e : *files)
    targets.append({platform::joinPath(*folder, e.name), e.path, e.name, true});
  return targets;
}

}  // namespace cli
