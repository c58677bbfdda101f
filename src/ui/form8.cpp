// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/form8.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>

#include "app/module1.h"
#include "platform/fileid.h"
#include "ui/form1.h"
#include "ui/forms.h"
#include "ui/look.h"
#include "ui/messages.h"

using namespace ui;

namespace {
// The window's size at start, in twips; it may be made larger.
constexpr int kWidth = 12000, kHeight = 6000;
constexpr int kButtonsFromBottom = 495;

// Whether one of the entry's files is the snack loaded now.
bool holdsLoadedSnack(const snack::HistoryEntry& e) {
  if (Module1::SnackFilePath.isEmpty()) return false;
  const platform::NativePath loaded = Module1::SnackFilePath.absolute();
  for (const snack::HistoryFile& f : e.files) {
    const auto path = platform::NativePath::fromBytes(f.path);
    if (path == loaded || platform::sameFile(path, Module1::SnackFilePath)) return true;
  }
  return false;
}
}  // namespace

QString HistoryFolder() { return snack::kHistoryFolder; }

bool AskToReplaceUnkept(QWidget* parent, const QString& path, snack::HistoryAction& history) {
  if (!snack::tooLargeToKeep(path, history.bounds())) return true;
  const int answer = Ask(
      parent,
      QStringLiteral("「%1」は %2 MiB を超えるため、置き換える前の内容を変更の履歴に残せません。"
                     "元に戻せなくなりますが、置き換えますか？")
          .arg(platform::nativePath(path))
          .arg(history.bounds().maxReplaced >> 20),
      {QStringLiteral("はい"), QStringLiteral("いいえ")});
  history.allowUnkept = answer == 0;
  return history.allowUnkept;
}

Form8::Form8() {
  setObjectName(QStringLiteral("Form8"));
  setUpWindow(this, QStringLiteral("変更の履歴"), kWidth, kHeight);
  setMinimumSize(px(kWidth), px(kHeight));
  setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);

  Label1 = placed(new QLabel(this), "Label1", 120, 150, 9000, 255);
  Grid1 =
      placed(new QTableWidget(0, 4, this), "Grid1", 120, 480, kWidth - 240, kHeight - 480 - 720);
  Grid1->setAccessibleName(QStringLiteral("変更の履歴"));
  Grid1->setHorizontalHeaderLabels({QStringLiteral("日時"), QStringLiteral("操作"),
                                    QStringLiteral("ファイル"), QStringLiteral("内容")});
  Grid1->setSelectionBehavior(QAbstractItemView::SelectRows);
  Grid1->setSelectionMode(QAbstractItemView::SingleSelection);
  Grid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  Grid1->setWordWrap(false);
  Grid1->setTabKeyNavigation(false);
  Grid1->verticalHeader()->hide();
  Grid1->horizontalHeader()->setStretchLastSection(true);
  const int widths[] = {150, 110, 220};
  for (int c = 0; c < 3; ++c) Grid1->horizontalHeader()->resizeSection(c, widths[c]);

  Command1 = new QPushButton(QStringLiteral("元に戻す"), this);
  Command2 = new QPushButton(QStringLiteral("閉じる"), this);
  Command1->setObjectName(QStringLiteral("Command1"));
  Command2->setObjectName(QStringLiteral("Command2"));
  for (QPushButton* b : {Command1, Command2}) {
    b->setAutoDefault(false);
    b->setDefault(false);
  }
  setTabOrder(Grid1, Command1);
  setTabOrder(Command1, Command2);
  connect(Grid1, &QTableWidget::itemSelectionChanged, this, &Form8::Grid1_SelChange);
  connect(Command1, &QPushButton::clicked, this, &Form8::Command1_Click);
  connect(Command2, &QPushButton::clicked, this, &Form8::Command2_Click);
  Form_Load();
}

void Form8::Form_Load() {
  snack::HistoryListing listing = snack::readHistory(HistoryFolder());
  entries_ = std::move(listing.entries);
  Grid1->setRowCount(0);
  Grid1->setRowCount(int(entries_.size()));
  for (int r = 0; r < entries_.size(); ++r) {
    const snack::HistoryEntry& e = entries_[r];
    QStringList names, summaries;
    for (const snack::HistoryFile& f : e.files) {
      names.append(f.shown);
      summaries.append(snack::changeSummary(f));
    }
    auto* file = new QTableWidgetItem(
        names.size() == 1 ? names.first() : QStringLiteral("%1 個のファイル").arg(names.size()));
    file->setToolTip(names.join(QLatin1Char('\n')));
    auto* what = new QTableWidgetItem(
        summaries.size() == 1 ? summaries.first() : summaries.join(QStringLiteral(" / ")));
    what->setToolTip(summaries.join(QLatin1Char('\n')));
    Grid1->setItem(
        r, 0,
        new QTableWidgetItem(e.time.toLocalTime().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"))));
    Grid1->setItem(r, 1, new QTableWidgetItem(e.operation));
    Grid1->setItem(r, 2, file);
    Grid1->setItem(r, 3, what);
  }
  Label1->setText(QStringLiteral("%1 件").arg(entries_.size()));
  if (!entries_.isEmpty()) Grid1->selectRow(0);
  Grid1_SelChange();
  // Each damaged or foreign file is named once, when the history is read.
  if (!listing.skipped.isEmpty()) ShowError(this, listing.skipped.join(QLatin1Char('\n')));
}

void Form8::Grid1_SelChange() {
  Command1->setEnabled(!Grid1->selectionModel()->selectedRows().isEmpty());
}

void Form8::Command1_Click() {
  const QModelIndexList rows = Grid1->selectionModel()->selectedRows();
  if (rows.isEmpty()) return;
  const snack::HistoryEntry entry = entries_[rows.first().row()];
  const int answer =
      Ask(this,
          QStringLiteral("%1 の「%2」で書き込んだ %3 個のファイルを元に戻しますか？")
              .arg(entry.time.toLocalTime().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")),
                   entry.operation)
              .arg(entry.files.size()),
          {QStringLiteral("はい"), QStringLiteral("いいえ")});
  if (answer != 0) return;
  // Edits of the loaded snack would be lost when it is shown again.
  const bool loaded = holdsLoadedSnack(entry);
  if (loaded && !MainForm()->SettleUnsavedEdits(this)) return;
  const snack::UndoResult r = snack::undoEntry(HistoryFolder(), entry);
  if (loaded) {
    for (const platform::NativePath& p : r.written) {
      if (p == Module1::SnackFilePath.absolute() || platform::sameFile(p, Module1::SnackFilePath)) {
        // Shown as after a load; the edits were settled above.
        snack::SnackRecordType record;
        const snack::Outcome read = snack::loadSnack(Module1::SnackFilePath, record);
        if (!read.ok) {
          ShowError(this, read.message);
          break;
        }
        Module1::SnackRecord = record;
        MainForm()->ShowSnackRecord(Module1::SnackFileName);
        break;
      }
    }
  }
  if (!r.ok())
    ShowError(this, QStringLiteral("次の %1 個のファイルは元に戻しませんでした。\n\n%2")
                        .arg(r.problems.size())
                        .arg(r.problems.join(QLatin1Char('\n'))));
  Form_Load();
}

void Form8::Command2_Click() { Form8Window.unload(); }

void Form8::keyPressEvent(QKeyEvent* e) {
  if (e->modifiers() == Qt::NoModifier) {
    if (e->key() == Qt::Key_Escape) return Command2_Click();
    if (e->key() == Qt::Key_F5) return Form_Load();
  }
  QWidget::keyPressEvent(e);
}

void Form8::resizeEvent(QResizeEvent*) {
  const int w = width(), h = height();
  Grid1->setGeometry(px(120), px(480), w - px(240), h - px(480) - px(720));
  const int top = h - px(kButtonsFromBottom);
  Command1->setGeometry(px(120), top, px(1815), px(375));
  Command2->setGeometry(w - px(120 + 1815), top, px(1815), px(375));
}

void Form8::closeEvent(QCloseEvent* e) {
  Command2_Click();
  e->accept();
}
