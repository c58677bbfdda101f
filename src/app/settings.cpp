// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/settings.h"

#include <QFile>

#include "platform/bytefile.h"
#include "platform/paths.h"
#include "platform/sjis.h"
#include "platform/wholefile.h"

QStringList ReadEntries(const QString& text) {
  QStringList entries;
  QString entry;
  bool pending = false;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c == QLatin1Char(',') || c == QLatin1Char('\n')) {
      entries.append(entry);
      entry.clear();
      pending = false;
    } else if (c == QLatin1Char('\r')) {
      // The CR of a CR LF; a CR on its own also ends the line.
      if (i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) continue;
      entries.append(entry);
      entry.clear();
      pending = false;
    } else {
      if (c != QLatin1Char('"')) entry.append(c);
      pending = true;
    }
  }
  if (pending) entries.append(entry);
  return entries;
}

std::optional<QString> ReadSettingsText(const QString& fileName, QString* error) {
  QFile f(fileName);
  if (!f.exists()) {
    *error = QStringLiteral("設定ファイル「%1」がありません。").arg(fileName);
    return std::nullopt;
  }
  if (!f.open(QIODevice::ReadOnly)) {
    *error =
        QStringLiteral("設定ファイル「%1」を読み込めません：%2").arg(fileName, f.errorString());
    return std::nullopt;
  }
  const QByteArray bytes = f.readAll();
  if (f.error() != QFileDevice::NoError) {
    *error =
        QStringLiteral("設定ファイル「%1」を読み込めません：%2").arg(fileName, f.errorString());
    return std::nullopt;
  }
  return platform::fromSjis(bytes);
}

std::optional<QString> ReadSnackFolder(QString* error, const QString& folder) {
  const QString file = folder.isEmpty() ? kCookenvFile : platform::joinPath(folder, kCookenvFile);
  const auto text = ReadSettingsText(file, error);
  if (!text) return std::nullopt;
  qsizetype end = text->indexOf(QLatin1Char('\n'));
  if (end < 0) end = text->size();
  QString line = text->left(end);
  if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
  // An empty first line names the working folder; a file with no line at all is
  // no setting.
  if (text->isEmpty()) {
    *error = QStringLiteral("設定ファイル「%1」におやつフォルダが書かれていません。").arg(file);
    return std::nullopt;
  }
  return line;
}

bool WriteSnackFolder(const QString& folder, QString* error) {
  const platform::SjisEncoding enc = platform::toSjis(folder);
  if (!enc.ok) {
    *error =
        QStringLiteral("フォルダ名の文字「%1」はシフトJISで表せないため、「%2」に保存できません。")
            .arg(enc.badCharacter, kCookenvFile);
    return false;
  }
  if (folder.contains(QLatin1Char('\n')) || folder.contains(QLatin1Char('\r'))) {
    *error = QStringLiteral("フォルダ名に改行は使えません。");
    return false;
  }
  QString reason;
  if (platform::writeWholeFile(kCookenvFile, enc.bytes + "\r\n", &reason)) return true;
  *error = QStringLiteral("設定ファイル「%1」に書き込めません：%2").arg(kCookenvFile, reason);
  return false;
}

namespace {

// The numeric value of the index field: leading blanks, an optional sign and
// decimal digits; no digits give 0.
int indexValue(const QString& field) {
  qsizetype i = 0;
  while (i < field.size() && field[i] == QLatin1Char(' ')) ++i;
  bool negative = false;
  if (i < field.size() && (field[i] == QLatin1Char('-') || field[i] == QLatin1Char('+'))) {
    negative = field[i] == QLatin1Char('-');
    ++i;
  }
  int v = 0;
  for (; i < field.size() && field[i] >= QLatin1Char('0') && field[i] <= QLatin1Char('9'); ++i)
    v = v * 10 + (field[i].unicode() - '0');
  return negative ? -v : v;
}

}  // namespace

void ReadNameTableText(const QString& text, snack::NameList& table) {
  for (const QString& s : ReadEntries(text)) {
    if (s.size() < 4) continue;
    const int index = indexValue(s.left(3));
    if (index < 0 || index >= static_cast<int>(table.size())) continue;
    table[static_cast<size_t>(index)] = s.mid(4);
  }
}

bool ReadNameTable(const QString& fileName, snack::NameList& table, QString* error) {
  const auto text = ReadSettingsText(fileName, error);
  if (!text) return false;
  ReadNameTableText(*text, table);
  return true;
}
