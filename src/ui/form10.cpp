// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/form10.h"

#include <QHeaderView>
#include <QKeyEvent>

#include "ui/access.h"
#include "ui/form7.h"
#include "ui/look.h"
#include "ui/messages.h"

using namespace ui;

namespace {
constexpr int kWidth = 10800, kHeight = 6600;
}  // namespace

Form10::Form10(Form7* owner, const QString& csvName, snack::CsvPlan plan)
    : QWidget(owner, Qt::Dialog), owner_(owner), plan_(std::move(plan)) {
  setObjectName(QStringLiteral("Form10"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowModality(Qt::WindowModal);
  setUpWindow(this, QStringLiteral("CSVから読み込む"), kWidth, kHeight);
  const int files = int(plan_.files.size()), count = plan_.written();
  QString summary = count == 0 ? QStringLiteral("「%1」による変更はありません。").arg(csvName)
                               : QStringLiteral("「%1」で %2 個のおやつの %3 項目が変わります。")
                                     .arg(csvName)
                                     .arg(files)
                                     .arg(count);
  if (plan_.isRefused())
    summary = QStringLiteral(
                  "「%1」には受け付けられない行があります。直してから読み込み直して"
                  "ください。何も書き込みません。")
                  .arg(csvName);
  Label1 = placed(new QLabel(summary, this), "Label1", 120, 120, kWidth - 240, 255);
  Grid1 = placed(new QTableWidget(int(plan_.changes.size()), 4, this), "Grid1", 120, 480,
                 kWidth - 240, 3600);
  Grid1->setHorizontalHeaderLabels({QStringLiteral("ファイル"), QStringLiteral("項目"),
                                    QStringLiteral("いまの値"), QStringLiteral("新しい値")});
  Grid1->setAccessibleName(QStringLiteral("変更の一覧"));
  Grid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  Grid1->setSelectionBehavior(QAbstractItemView::SelectRows);
  Grid1->setTabKeyNavigation(false);
  Grid1->setWordWrap(false);
  Grid1->verticalHeader()->hide();
  Grid1->horizontalHeader()->setStretchLastSection(true);
  const int widths[] = {220, 200, 200};
  for (int c = 0; c < 3; ++c) Grid1->horizontalHeader()->resizeSection(c, widths[c]);
  for (int r = 0; r < plan_.changes.size(); ++r) {
    const snack::CsvChange& c = plan_.changes[r];
    const QString cells[] = {c.file, c.item, c.before, c.after};
    for (int k = 0; k < 4; ++k) {
      auto* item = new QTableWidgetItem(cells[k]);
      item->setToolTip(cells[k]);
      if (c.ignored) item->setForeground(palette().color(QPalette::Disabled, QPalette::Text));
      Grid1->setItem(r, k, item);
    }
  }
  Label2 = placed(new QLabel(QStringLiteral("書き込まないもの(&N)"), this), "Label2", 120, 4200,
                  kWidth - 240, 255);
  List1 = placed(new QListWidget(this), "List1", 120, 4500, kWidth - 240, 1320);
  nameInput(List1, QStringLiteral("書き込まないもの"));
  Label2->setBuddy(List1);
  const std::pair<const QList<snack::CsvProblem>*, QString> problems[] = {
      {&plan_.refused, QStringLiteral("受け付けない行")},
      {&plan_.notInFolder, QStringLiteral("フォルダにないファイル")},
      {&plan_.notWritten, QStringLiteral("書き込めないファイル")},
  };
  for (const auto& [list, kind] : problems)
    for (const snack::CsvProblem& p : *list)
      List1->addItem(
          QStringLiteral("%1：「%2」（%3 行目）%4").arg(kind, p.file).arg(p.line).arg(p.why));
  for (const QString& column : plan_.unusedColumns)
    List1->addItem(QStringLiteral("使わない列：「%1」").arg(column));
  Command1 = placed(new QPushButton(QStringLiteral("適用"), this), "Command1",
                    kWidth - 120 - 2 * 1815 - 120, kHeight - 495, 1815, 375);
  Command2 = placed(new QPushButton(QStringLiteral("閉じる"), this), "Command2",
                    kWidth - 120 - 1815, kHeight - 495, 1815, 375);
  Command1->setEnabled(count > 0 && !plan_.isRefused());
  setTabOrder(Grid1, List1);
  setTabOrder(List1, Command1);
  setTabOrder(Command1, Command2);
  connect(Command1, &QPushButton::clicked, this, &Form10::Command1_Click);
  connect(Command2, &QPushButton::clicked, this, &Form10::Command2_Click);
  Grid1->setFocus();
}

void Form10::Command1_Click() {
  if (plan_.isRefused() || plan_.files.isEmpty()) return;
  if (owner_->WriteChanges(this, plan_.files, false)) close();
}

void Form10::Command2_Click() { close(); }

void Form10::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
    close();
    return;
  }
  QWidget::keyPressEvent(e);
}
