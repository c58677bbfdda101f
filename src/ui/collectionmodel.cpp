// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/collectionmodel.h"

#include <QApplication>
#include <QPalette>

#include "snack/fields.h"
#include "ui/preview.h"

namespace ui {

namespace {
const QString kPlaceholder = QStringLiteral("--------");
const QString kUnopened = QStringLiteral("未開封");

QString listName(const QString& name) { return name.isEmpty() ? kPlaceholder : name; }

template <class T>
int order(const T& a, const T& b) {
  return a < b ? -1 : b < a ? 1 : 0;
}
}  // namespace

CollectionModel::CollectionModel(const snack::NameTables* names, QObject* parent)
    : QAbstractTableModel(parent), names_(names) {
  pictures_.setMaxCost(4096);
}

void CollectionModel::setRows(QList<snack::SnackRow> rows) {
  beginResetModel();
  rows_ = std::move(rows);
  texts_.assign(rows_.size(), std::nullopt);
  pictures_.clear();
  for (int i = 0; i < 256; ++i) {
    typeKeys_[i] = platform::sortKey(listName(names_->types[i]));
    soundKeys_[i] = platform::sortKey(listName(names_->sounds[i]));
  }
  endResetModel();
}

void CollectionModel::replaceRow(int r, snack::SnackRow row) {
  rows_[r] = std::move(row);
  texts_[r].reset();
  pictures_.remove(r);
  emit dataChanged(index(r, 0), index(r, kColumns - 1));
}

void CollectionModel::setPixelRatio(qreal ratio) {
  if (ratio == ratio_) return;
  ratio_ = ratio;
  pictures_.clear();
}

int CollectionModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(rows_.size());
}

int CollectionModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumns;
}

QVariant CollectionModel::headerData(int section, Qt::Orientation o, int role) const {
  if (o != Qt::Horizontal) return {};
  static const char* const titles[kColumns] = {"絵",           "ファイル",     "おやつの名前",
                                               "おやつの作者", "おやつの番号", "おやつの種類",
                                               "食事音",       "開封日時"};
  if (role == Qt::DisplayRole) return QString::fromUtf8(titles[section]);
  if (role == Qt::InitialSortOrderRole) return int(Qt::AscendingOrder);
  return {};
}

QVariant CollectionModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const int r = index.row();
  const snack::SnackRow& row = rows_[r];
  const int column = index.column();
  if (!row.readable) {
    switch (role) {
      case Qt::DisplayRole:
        return column == File ? row.file : QString();
      case Qt::ToolTipRole:
      case Qt::AccessibleDescriptionRole:
        return row.reason;
      case Qt::ForegroundRole:
        return QApplication::palette().color(QPalette::Disabled, QPalette::Text);
      default:
        return {};
    }
  }
  switch (role) {
    case Qt::DisplayRole:
      return column == Picture ? QVariant() : QVariant(text(r, column));
    case Qt::DecorationRole:
      return column == Picture ? QVariant(picture(r)) : QVariant();
    case Qt::AccessibleTextRole:
      if (column == Picture) {
        const snack::SnackRow& located = withPicture(r);
        return located.picture ? QStringLiteral("絵 幅 %1 × 高さ %2")
                                     .arg(located.picture->width)
                                     .arg(located.picture->height)
                               : QStringLiteral("絵がありません");
      }
      return text(r, column);
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole: {
      // Why an action over many files leaves this file out, on every cell.
      const QString& leftOut = withPicture(r).leftOut;
      const QString description = column == Name ? texts(r).description : QString();
      if (leftOut.isEmpty()) return description.isEmpty() ? QVariant() : QVariant(description);
      return description.isEmpty() ? leftOut : description + QStringLiteral("\n\n") + leftOut;
    }
    case Qt::TextAlignmentRole:
      if (column == Number) return int(Qt::AlignRight | Qt::AlignVCenter);
      return {};
    default:
      return {};
  }
}

bool CollectionModel::lessThan(int a, int b, int column) const {
  const int c = compare(a, b, column);
  return c != 0 ? c < 0 : a < b;
}

bool CollectionModel::matches(int r, const QString& needle) const {
  if (needle.isEmpty()) return true;
  if (!rows_[r].readable) return folded(rows_[r].file).contains(needle);
  return texts(r).filterKey.contains(needle);
}

QString CollectionModel::folded(const QString& text) {
  return text.normalized(QString::NormalizationForm_KC).toCaseFolded();
}

const snack::SnackRow& CollectionModel::withPicture(int r) const {
  snack::locateRowPicture(rows_[r]);
  return rows_[r];
}

const CollectionModel::Texts& CollectionModel::texts(int r) const {
  std::optional<Texts>& t = texts_[r];
  if (!t) {
    const snack::SnackRecordType& rec = rows_[r].record;
    auto shown = [&](snack::Field f) {
      const snack::FieldLayout& l = snack::layoutOf(f);
      return snack::displayText(snack::textBytes(rec.*l.buffer, rec.*l.length));
    };
    t.emplace();
    t->name = shown(snack::Field::Name);
    t->description = shown(snack::Field::Description);
    t->author = shown(snack::Field::Author);
    t->nameKey = platform::sortKey(t->name);
    t->authorKey = platform::sortKey(t->author);
    t->filterKey = folded(rows_[r].file + QLatin1Char('\n') + t->name + QLatin1Char('\n') +
                          t->author + QLatin1Char('\n') + t->description);
  }
  return *t;
}

QString CollectionModel::text(int r, int column) const {
  const snack::SnackRow& row = rows_[r];
  switch (column) {
    case File:
      return row.file;
    case Name:
      return texts(r).name;
    case Author:
      return texts(r).author;
    case Number:
      return snack::cellText(row, snack::Field::Number, *names_);
    case Type:
      return listName(snack::cellText(row, snack::Field::Type, *names_));
    case Sound:
      return listName(snack::cellText(row, snack::Field::Sound, *names_));
    case Opened: {
      const QString stamp = snack::cellText(row, snack::Field::Year, *names_, QLatin1Char('/'));
      return stamp.isEmpty() ? kUnopened : stamp;
    }
    default:
      return {};
  }
}

// Read and decoded when first drawn, once the row's picture has been located.
QPixmap CollectionModel::picture(int r) const {
  if (const QPixmap* cached = pictures_.object(r)) return *cached;
  const snack::SnackRow& row = withPicture(r);
  QPixmap pixmap;
  if (row.picture) {
    const snack::PictureFile file = snack::readPicture(row.path);
    if (file.status == snack::PictureFile::Status::Found)
      pixmap = QPixmap::fromImage(previewImage(drawSnack(file.bytes, file.parts),
                                               QSize(kPictureSide, kPictureSide), ratio_));
  }
  pictures_.insert(r, new QPixmap(pixmap));
  return pixmap;
}

int CollectionModel::compare(int a, int b, int column) const {
  const snack::SnackRow &x = rows_[a], &y = rows_[b];
  if (column == File) return 0;
  if (x.readable != y.readable) return x.readable ? 1 : -1;
  if (!x.readable) return 0;
  const snack::SnackRecordType &p = x.record, &q = y.record;
  auto value = [](const snack::SnackRecordType& rec, snack::Field f) {
    return snack::fieldValue(rec, f);
  };
  switch (column) {
    case Picture: {
      auto area = [this](int r) {
        const snack::SnackRow& row = withPicture(r);
        return row.picture ? qint64(row.picture->width) * row.picture->height : -1;
      };
      return order(area(a), area(b));
    }
    case Name:
      return texts(a).nameKey.compare(texts(b).nameKey);
    case Author:
      return texts(a).authorKey.compare(texts(b).authorKey);
    case Number:
      return order(value(p, snack::Field::Number), value(q, snack::Field::Number));
    case Type:
    case Sound: {
      const snack::Field f = column == Type ? snack::Field::Type : snack::Field::Sound;
      const auto& keys = column == Type ? typeKeys_ : soundKeys_;
      const int c = keys[value(p, f)].compare(keys[value(q, f)]);
      return c != 0 ? c : order(value(p, f), value(q, f));
    }
    case Opened: {
      const bool po = snack::isOpened(p), qo = snack::isOpened(q);
      if (po != qo) return po ? 1 : -1;
      return po ? order(snack::openedValues(p), snack::openedValues(q)) : 0;
    }
    default:
      return 0;
  }
}

CollectionFilter::CollectionFilter(CollectionModel* rows, QObject* parent)
    : QSortFilterProxyModel(parent), rows_(rows) {
  setSourceModel(rows);
}

void CollectionFilter::setNeedle(const QString& text) {
  const QString needle = CollectionModel::folded(text);
  if (needle == needle_) return;
  needle_ = needle;
  invalidateFilter();
}

bool CollectionFilter::filterAcceptsRow(int row, const QModelIndex&) const {
  return rows_->matches(row, needle_);
}

bool CollectionFilter::lessThan(const QModelIndex& left, const QModelIndex& right) const {
  return rows_->lessThan(left.row(), right.row(), left.column());
}

}  // namespace ui
