// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/context.h"

#include <QDir>
#include <algorithm>
#include <cctype>

#include "app/settings.h"
#include "cli/cli.h"
#include "cli/report.h"
#include "platform/bytefile.h"
#include "snack/collection.h"

namespace cli {

using platform::CommandArgument;
using platform::NativePath;

void say(const QString& text) { platform::writeOut(visible(text, u"\n\t").toUtf8()); }
void message(const QString& text) {
  platform::writeErr((kProgram + ": " + visible(text, u"\n") + '\n').toUtf8());
}

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

namespace {

// The bytes of a "hex:" operand; nullopt when the rest is no path in hex digits.
std::optional<QByteArray> hexPath(QStringView digits) {
  if (digits.isEmpty() || digits.size() % 2 != 0) return std::nullopt;
  for (const QChar c : digits)
    if (!isxdigit(c.unicode() < 0x80 ? c.unicode() : 'x')) return std::nullopt;
  const QByteArray bytes = QByteArray::fromHex(digits.toLatin1());
  if (bytes.contains('\0')) return std::nullopt;
  return bytes;
}

}  // namespace

std::optional<Target> fileArgument(const CommandArgument& arg, int* status) {
  const QString& text = arg.text;
  if (text.startsWith(kHexPrefix)) {
    const auto bytes = hexPath(QStringView(text).mid(kHexPrefix.size()));
    if (!bytes) {
      message(QStringLiteral("「%1」：%2 の後はパスのバイトを 16 進で（2 桁ずつ）書いてください。")
                  .arg(text, kHexPrefix));
      *status = kRefused;
      return std::nullopt;
    }
    const NativePath path = NativePath::fromBytes(*bytes);
    return Target{path.shown(), path, {}};
  }
  if (platform::exists(arg.path) || platform::isLink(arg.path)) return Target{text, arg.path, {}};
  const QString howToName =
      QStringLiteral(
          "ls --json の file_hex のように、%1 に続けて名前のバイトを 16 進で指定できます。")
          .arg(kHexPrefix);
  if (text.contains(QChar(0xFFFD))) {
    message(QStringLiteral("「%1」が見つかりません。「\uFFFD」は文字でないバイトを表すだけで、"
                           "それだけではどのファイルも指しません。%2")
                .arg(text, howToName));
    *status = kFailed;
    return std::nullopt;
  }
  const platform::ShownPathMatch match = platform::matchShownPath(text);
  if (!match.several.isEmpty()) {
    message(QStringLiteral("「%1」と表示される名前が二つ以上あり、どれのことか決まりません。"
                           "何もしませんでした。%2")
                .arg(match.several, howToName));
    *status = kRefused;
    return std::nullopt;
  }
  return Target{text, match.path, {}};
}

int namedFiles(const QList<CommandArgument>& operands, QList<Target>& targets) {
  int status = kDone;
  for (const CommandArgument& a : operands) {
    int failed = kDone;
    if (auto t = fileArgument(a, &failed))
      targets.append(std::move(*t));
    else
      status = std::max(status, failed);
  }
  return status;
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
                                         QString* folderText, int* status) {
  int failed = kFailed;
  std::optional<QString> folder;
  std::optional<platform::FolderEntries> files;
  QString error;
  if (operands.isEmpty()) {
    folder = ctx.snackFolder();
    if (folder) files = snack::listSnackFolder(*folder, &error);
  } else if (const auto named = fileArgument(operands.first(), &failed)) {
    folder = named->shown;
    files = snack::listSnackFolder(named->path, *folder, &error);
  }
  if (!files) {
    if (!error.isEmpty()) message(error);
    if (status) *status = failed;
    return std::nullopt;
  }
  if (folderText) *folderText = *folder;
  QList<Target> targets;
  targets.reserve(files->size());
  for (const platform::FolderEntry& e : *files)
    targets.append({platform::joinPath(*folder, e.name), e.path, e.name, true, e.folder});
  return targets;
}

}  // namespace cli
