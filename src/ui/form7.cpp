// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/form7.h"

#include <QCloseEvent>
#include <QDir>
#include <QHash>
#include <QHeaderView>
#include <QKeyEvent>
#include <QShortcut>
#include <QStandardPaths>
#include <algorithm>

#include "app/module1.h"
#include "platform/bytefile.h"
#include "platform/fileid.h"
#include "platform/folders.h"
#include "snack/collection.h"
#include "snack/csvread.h"
#include "ui/access.h"
#include "ui/collectionmodel.h"
#include "ui/form1.h"
#include "ui/form10.h"
#include "ui/form8.h"
#include "ui/form9.h"
#include "ui/forms.h"
#include "ui/look.h"
#include "ui/messages.h"

using namespace ui;

namespace {
// The window's size at start, in twips; it may be made larger.
constexpr int kWidth = 13200, kHeight = 6600;
constexpr int kButtonsFromBottom = 495;
}  // namespace

Form7::Form7() {
  setObjectName(QStringLiteral("Form7"));
  setUpWindow(this, QStringLiteral("おやつの一覧"), kWidth, kHeight);
  setMinimumSize(px(kWidth), px(kHeight));
  setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);

  Label2 = placed(new QLabel(QStringLiteral("絞り込み(&F)"), this), "Label2", 120, 150, 1095, 255);
  Text1 = placed(new QLineEdit(this), "Text1", 1200, 120, 4935, 300);
  Text1->setClearButtonEnabled(true);
  nameInput(Text1, QStringLiteral("絞り込み"));
  Label2->setBuddy(Text1);
  Label1 = placed(new QLabel(this), "Label1", 6360, 150, 3015, 255);

  Grid1 = placed(new QTableView(this), "Grid1", 120, 540, kWidth - 240, kHeight - 540 - 720);
  rows_ = new CollectionModel(&Module1::Names, this);
  shown_ = new CollectionFilter(rows_, this);
  Grid1->setModel(shown_);
  Grid1->setAccessibleName(QStringLiteral("おやつの一覧"));
  Grid1->setSelectionBehavior(QAbstractItemView::SelectRows);
  Grid1->setSelectionMode(QAbstractItemView::ExtendedSelection);
  Grid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  Grid1->setWordWrap(false);
  Grid1->setTabKeyNavigation(false);
  Grid1->setIconSize(QSize(CollectionModel::kPictureSide, CollectionModel::kPictureSide));
  Grid1->verticalHeader()->hide();
  Grid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  Grid1->verticalHeader()->setDefaultSectionSize(CollectionModel::kPictureSide + 4);
  QHeaderView* header = Grid1->horizontalHeader();
  header->setSectionsClickable(true);
  header->setStretchLastSection(true);
  const int widths[] = {CollectionModel::kPictureSide + 12, 120, 170, 100, 80, 100, 80};
  for (int c = 0; c < int(std::size(widths)); ++c) header->resizeSection(c, widths[c]);
  // No order until the user asks for one: the listing's order.
  header->setSortIndicator(-1, Qt::AscendingOrder);
  Grid1->setSortingEnabled(true);

  Command1 = new QPushButton(QStringLiteral("開く"), this);
  Command2 = new QPushButton(QStringLiteral("未開封に戻す"), this);
  Command3 = new QPushButton(QStringLiteral("CSVに書き出す…"), this);
  Command4 = new QPushButton(QStringLiteral("閉じる"), this);
  Command5 = new QPushButton(QStringLiteral("まとめて変更…"), this);
  Command6 = new QPushButton(QStringLiteral("CSVから読み込む…"), this);
  const char* const names[] = {"Command1", "Command2", "Command3",
                               "Command4", "Command5", "Command6"};
  QPushButton* const buttons[] = {Command1, Command2, Command3, Command4, Command5, Command6};
  for (int i = 0; i < 6; ++i) {
    QPushButton* b = buttons[i];
    b->setObjectName(QLatin1String(names[i]));
    b->setAutoDefault(false);
    b->setDefault(false);
  }
  setTabOrder(Text1, Grid1);
  setTabOrder(Grid1, Command1);
  setTabOrder(Command1, Command2);
  setTabOrder(Command2, Command3);
  setTabOrder(Command3, Command5);
  setTabOrder(Command5, Command6);
  setTabOrder(Command6, Command4);

  for (int c = 0; c < CollectionModel::kColumns; ++c) {
    auto* key = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_1 + c)), this);
    connect(key, &QShortcut::activated, this, [this, c] { SortBy(c); });
  }
  connect(Text1, &QLineEdit::textChanged, this, &Form7::Text1_Change);
  connect(Grid1, &QAbstractItemView::doubleClicked, this, &Form7::Grid1_DblClick);
  connect(Grid1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &Form7::Grid1_SelChange);
  connect(Grid1->selectionModel(), &QItemSelectionModel::currentChanged, this,
          &Form7::Grid1_SelChange);
  connect(shown_, &QAbstractItemModel::rowsInserted, this, &Form7::ShowCount);
  connect(shown_, &QAbstractItemModel::rowsRemoved, this, &Form7::ShowCount);
  connect(shown_, &QAbstractItemModel::modelReset, this, &Form7::ShowCount);
  connect(shown_, &QAbstractItemModel::layoutChanged, this, &Form7::ShowCount);
  connect(Command1, &QPushButton::clicked, this, &Form7::Command1_Click);
  connect(Command2, &QPushButton::clicked, this, &Form7::Command2_Click);
  connect(Command3, &QPushButton::clicked, this, &Form7::Command3_Click);
  connect(Command4, &QPushButton::clicked, this, &Form7::Command4_Click);
  connect(Command5, &QPushButton::clicked, this, &Form7::Command5_Click);
  connect(Command6, &QPushButton::clicked, this, &Form7::Command6_Click);
  resizeEvent(nullptr);
  Form_Load();
}

void Form7::Form_Load() {
  // Keeps the selection by file.
  QList<platform::NativePath> selected;
  for (int r : SelectedRows()) selected.append(rows_->rows()[r].path);
  folder_ = Module1::SnackFolder;
  rows_->setPixelRatio(Grid1->devicePixelRatioF());
  QString error;
  auto rows = snack::readCollection(folder_, &error, snack::RowParts::HeaderOnly);
  if (!rows) {
    ShowError(this, error + QStringLiteral("\n"
                                           "「ファイル」メニューの「おやつフォルダ再設定」（Ctrl+"
                                           "O）でフォルダを選び直してください。"));
    rows.emplace();
  }
  rows_->setRows(std::move(*rows));
  QItemSelection keep;
  for (int r = 0; r < rows_->rowCount() && !selected.isEmpty(); ++r) {
    if (!selected.contains(rows_->rows()[r].path)) continue;
    const QModelIndex at = shown_->mapFromSource(rows_->index(r, 0));
    if (at.isValid()) keep.select(at, at.siblingAtColumn(CollectionModel::kColumns - 1));
  }
  if (!keep.isEmpty()) {
    Grid1->selectionModel()->setCurrentIndex(keep.indexes().first(), QItemSelectionModel::NoUpdate);
    Grid1->selectionModel()->select(keep, QItemSelectionModel::ClearAndSelect);
  }
  ShowCount();
  Grid1_SelChange();
}

void Form7::ShowCount() {
  Label1->setText(QStringLiteral("%1 件 / %2 件").arg(shown_->rowCount()).arg(rows_->rowCount()));
}

void Form7::Text1_Change() {
  shown_->setNeedle(Text1->text());
  ShowCount();
  Grid1_SelChange();
}

QList<int> Form7::SelectedRows() const {
  QList<int> rows;
  for (const QModelIndex& at : Grid1->selectionModel()->selectedRows()) {
    const int r = shown_->mapToSource(at).row();
    if (r >= 0 && rows_->rows()[r].readable) rows.append(r);
  }
  // selectedRows() follows the order of selecting; the shown order is wanted.
  std::sort(rows.begin(), rows.end(), [this](int a, int b) {
    return shown_->mapFromSource(rows_->index(a, 0)).row() <
           shown_->mapFromSource(rows_->index(b, 0)).row();
  });
  return rows;
}

int Form7::CurrentRow() const {
  const QModelIndex current = Grid1->currentIndex();
  if (!current.isValid() || !Grid1->selectionModel()->isRowSelected(current.row())) return -1;
  const int r = shown_->mapToSource(current).row();
  return r >= 0 && rows_->rows()[r].readable ? r : -1;
}

void Form7::Grid1_SelChange() {
  Command1->setEnabled(CurrentRow() >= 0);
  const QModelIndexList selected = Grid1->selectionModel()->selectedRows();
  const bool readable =
      std::any_of(selected.begin(), selected.end(), [this](const QModelIndex& at) {
        return rows_->rows()[shown_->mapToSource(at).row()].readable;
      });
  Command2->setEnabled(readable);
  Command5->setEnabled(readable);
}

void Form7::Grid1_DblClick(const QModelIndex&) { Command1_Click(); }

void Form7::Command1_Click() {
  const int r = CurrentRow();
  if (r < 0) return;
  const snack::SnackRow row = rows_->rows()[r];
  // The unsaved-edits question may save the snack loaded now, perhaps one of these rows.
  const platform::NativePath before = Module1::SnackFilePath;
  MainForm()->LoadSnackFile(this, row.file, row.path);
  if (before.isEmpty()) return;
  for (int i = 0; i < rows_->rowCount(); ++i) {
    const snack::SnackRow& other = rows_->rows()[i];
    if (other.path == before)
      rows_->replaceRow(i,
                        snack::readSnackRow({other.file, other.path}, snack::RowParts::HeaderOnly));
  }
}

void Form7::Command2_Click() {
  const QList<int> rows = SelectedRows();
  if (rows.isEmpty()) return;
  const int answer =
      Ask(this, QStringLiteral("選んだ %1 個のおやつを未開封に戻しますか？").arg(rows.size()),
          {QStringLiteral("はい"), QStringLiteral("いいえ")});
  if (answer != 0) return;
  QStringList failures, leftOut;
  bool current = false;
  snack::HistoryAction history(HistoryFolder(), QStringLiteral("未開封に戻す"));
  for (int r : rows) {
    const platform::FolderEntry file{rows_->rows()[r].file, rows_->rows()[r].path};
    if (!platform::exists(file.path)) {
      failures.append(
          QStringLiteral("おやつファイル「%1」がありません。一覧を読み込んだ後に移されたか"
                         "消されたようです。")
              .arg(file.path.shown()));
      rows_->replaceRow(r, snack::readSnackRow(file, snack::RowParts::HeaderOnly));
      continue;
    }
    // Whether the file is a snack is decided on the file as it is now.
    snack::SnackRow now = snack::readSnackRow(file);
    if (!now.leftOut.isEmpty()) {
      leftOut.append(QStringLiteral("「%1」：%2").arg(file.name, now.leftOut));
      rows_->replaceRow(r, std::move(now));
      continue;
    }
    const snack::Outcome done = snack::refreshSnack(file.path, snack::Reach::OneOfMany, &history);
    if (!done.ok)
      failures.append(done.message);
    else if (!Module1::SnackFilePath.isEmpty() &&
             (file.path == Module1::SnackFilePath ||
              platform::sameFile(file.path, Module1::SnackFilePath)))
      current = true;
    rows_->replaceRow(r, snack::readSnackRow(file));
  }
  if (current) MainForm()->ShowRefreshed();
  QStringList parts;
  if (!leftOut.isEmpty())
    parts.append(QStringLiteral("次の %1 個のファイルはおやつファイルとして書き換えられないので、"
                                "そのままにしました。\n\n%2")
                     .arg(leftOut.size())
                     .arg(leftOut.join(QLatin1Char('\n'))));
  if (!failures.isEmpty())
    parts.append(QStringLiteral("次の %1 個のおやつは未開封に戻せませんでした。\n\n%2")
                     .arg(failures.size())
                     .arg(failures.join(QStringLiteral("\n\n"))));
  if (!parts.isEmpty()) ShowError(this, parts.join(QStringLiteral("\n\n")));
  Grid1_SelChange();
}

void Form7::Command3_Click() {
  const QString suggested =
      QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
          .filePath(QStringLiteral("おやつの一覧.csv"));
  const QString target = ChooseSaveFile(this, QStringLiteral("CSVに書き出す"), suggested,
                                        QStringLiteral("CSV (*.csv)"));
  if (target.isEmpty()) return;
  QList<snack::SnackRow> shown;
  shown.reserve(shown_->rowCount());
  for (int i = 0; i < shown_->rowCount(); ++i) {
    shown.append(rows_->rows()[shown_->mapToSource(shown_->index(i, 0)).row()]);
    snack::locateRowPicture(shown.back());
  }
  // A snack file is never written over by the export; a file of the list that
  // is no snack (an earlier export) may be. A link is taken for a snack.
  if (platform::exists(target)) {
    const bool snackFile =
        platform::sameFile(target, Module1::SnackFilePath) ||
        std::any_of(rows_->rows().begin(), rows_->rows().end(), [&](const snack::SnackRow& row) {
          if (!row.readable || !platform::sameFile(target, row.path)) return false;
          snack::SnackRow now = row;
          snack::locateRowPicture(now);
          return now.leftOut != snack::kNotSnack;
        });
    if (snackFile) {
      ShowError(this, QStringLiteral("「%1」はおやつファイルです。CSVは別のファイルに書き出して"
                                     "ください。何も書き込みませんでした。")
                          .arg(platform::nativePath(target)));
      return;
    }
  }
  const snack::Outcome done =
      snack::writeWholeFile(target, snack::collectionCsv(shown, folder_, Module1::Names));
  if (!done.ok) ShowError(this, done.message);
}

void Form7::Command4_Click() { Form7Window.unload(); }

void Form7::Command5_Click() {
  const QList<int> selected = SelectedRows();
  if (selected.isEmpty()) return;
  QList<snack::SnackRow> rows;
  rows.reserve(selected.size());
  for (int r : selected) rows.append(rows_->rows()[r]);
  auto* dialog = new Form9(this, std::move(rows));
  dialog->show();
  dialog->activateWindow();
}

void Form7::Command6_Click() {
  const QString name =
      ChooseOpenFile(this, QStringLiteral("CSVから読み込む"), QStringLiteral("CSV (*.csv)"));
  if (name.isEmpty()) return;
  const QString shown = platform::nativePath(name);
  platform::ByteFile file{platform::NativePath(name)};
  QByteArray csv;
  if (!file.open(platform::ByteFile::Mode::Read) || !file.readAt(0, file.size(), csv)) {
    ShowError(this, QStringLiteral("CSV「%1」を読み込めません：%2").arg(shown, file.errorString()));
    return;
  }
  snack::CsvPlan plan = snack::planCsv(csv, rows_->rows(), folder_, Module1::Names);
  if (!plan.error.isEmpty()) {
    ShowError(this, QStringLiteral("CSV「%1」を読み込めません：%2\n何も書き込みませんでした。")
                        .arg(shown, plan.error));
    return;
  }
  auto* dialog = new Form10(this, shown, std::move(plan));
  dialog->show();
  dialog->activateWindow();
}

bool Form7::WriteChanges(QWidget* parent, const QList<snack::FileChanges>& files, bool sameForAll) {
  const platform::NativePath loaded = Module1::SnackFilePath;
  auto isLoaded = [&](const platform::NativePath& path) {
    return !loaded.isEmpty() && (path == loaded || platform::sameFile(path, loaded));
  };
  const bool among = std::any_of(files.begin(), files.end(),
                                 [&](const snack::FileChanges& f) { return isLoaded(f.row.path); });
  snack::ManyPlan plan = snack::planSaves(files, sameForAll);
  if (!plan.refused.isEmpty()) {
    ShowError(parent, plan.refused);
    return false;
  }
  // The loaded snack's edits are saved or given up before its file changes;
  // saved, they are what the other fields keep.
  if (among && MainForm()->HasUnsavedEdits()) {
    if (!MainForm()->SettleUnsavedEdits(parent)) return false;
    plan = snack::planSaves(files, sameForAll);
  }
  // One action: one set of options, one entry of the history for every file.
  snack::HistoryAction history(HistoryFolder(), sameForAll ? QStringLiteral("まとめて変更")
                                                           : QStringLiteral("CSVから読み込む"));
  snack::SaveOptions options;
  options.history = &history;
  const QList<snack::FileOutcome> done = snack::saveMany(plan.edits, options);
  QStringList failures = plan.notWritten;
  bool current = false;
  for (const snack::FileOutcome& d : done) {
    if (!d.outcome.ok)
      failures.append(d.outcome.message);
    else if (isLoaded(d.path))
      current = true;
  }
  QHash<QByteArray, int> rowOf;
  for (int r = 0; r < rows_->rowCount(); ++r) rowOf.insert(rows_->rows()[r].path.bytes(), r);
  for (const snack::FileChanges& f : files) {
    const int r = rowOf.value(f.row.path.bytes(), -1);
    if (r >= 0)
      rows_->replaceRow(r,
                        snack::readSnackRow({f.row.file, f.row.path}, snack::RowParts::HeaderOnly));
  }
  if (current) {
    snack::SnackRecordType record;
    if (snack::loadSnack(loaded, record).ok) {
      Module1::SnackRecord = record;
      MainForm()->ShowSnackRecord(Module1::SnackFileName);
    }
  }
  if (!failures.isEmpty()) {
    ShowError(parent, QStringLiteral("次の %1 個のおやつは変更できませんでした。\n\n%2")
                          .arg(failures.size())
                          .arg(failures.join(QStringLiteral("\n\n"))));
  }
  Grid1_SelChange();
  return true;
}

void Form7::SortBy(int column) {
  QHeaderView* header = Grid1->horizontalHeader();
  const Qt::SortOrder order =
      header->sortIndicatorSection() == column && header->sortIndicatorOrder() == Qt::AscendingOrder
          ? Qt::DescendingOrder
          : Qt::AscendingOrder;
  header->setSortIndicator(column, order);
}

bool Form7::Form_KeyDown(int key) {
  switch (key) {
    case Qt::Key_F5:
      Form_Load();
      return true;
    case Qt::Key_Escape:
      Command4_Click();
      return true;
    case Qt::Key_Down:
      // From the filter into the list, at its first shown row.
      if (focusWidget() != Text1 || shown_->rowCount() == 0) return false;
      Grid1->selectionModel()->setCurrentIndex(
          shown_->index(0, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
      Grid1->setFocus(Qt::TabFocusReason);
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      // Only from the table and the filter: on a button, Enter is the button's own.
      if (focusWidget() != Grid1 && focusWidget() != Text1) return false;
      Command1_Click();
      return true;
    default:
      return false;
  }
}

void Form7::keyPressEvent(QKeyEvent* e) {
  if (e->modifiers() == Qt::NoModifier || e->modifiers() == Qt::KeypadModifier) {
    if (Form_KeyDown(e->key())) return;
  }
  QWidget::keyPressEvent(e);
}

void Form7::resizeEvent(QResizeEvent*) {
  const int w = width(), h = height();
  Grid1->setGeometry(px(120), px(540), w - px(240), h - px(540) - px(720));
  const int top = h - px(kButtonsFromBottom);
  Command1->setGeometry(px(120), top, px(1815), px(375));
  Command2->setGeometry(px(2055), top, px(1815), px(375));
  Command3->setGeometry(px(3990), top, px(2175), px(375));
  Command5->setGeometry(px(6285), top, px(2055), px(375));
  Command6->setGeometry(px(8460), top, px(2175), px(375));
  Command4->setGeometry(w - px(120 + 1815), top, px(1815), px(375));
}

void Form7::closeEvent(QCloseEvent* e) {
  Command4_Click();
  e->accept();
}
