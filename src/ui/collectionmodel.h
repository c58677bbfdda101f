// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The collection window's rows: the model over the snack folder's files and
// the filter and order the table shows them in. No widgets: the sort and
// filter rules are tested without a window.
#include <QAbstractTableModel>
#include <QCache>
#include <QPixmap>
#include <QSortFilterProxyModel>
#include <array>
#include <optional>
#include <vector>

#include "snack/collection.h"
#include "snack/names.h"

namespace ui {

// The rows of the collection, one per file, in the listing's order, read
// without their pictures. Texts, sort keys and pictures are made when first
// asked for, so that only rows a user sees or sorts by cost their conversion,
// and only rows on screen are decoded.
class CollectionModel : public QAbstractTableModel {
 public:
  enum Column { Picture, File, Name, Author, Number, Type, Sound, Opened, kColumns };
  static constexpr int kPictureSide = 32;

  // `names`: the type and sound names the rows show; they outlive the model.
  CollectionModel(const snack::NameTables* names, QObject* parent);

  void setRows(QList<snack::SnackRow> rows);
  void replaceRow(int r, snack::SnackRow row);
  const QList<snack::SnackRow>& rows() const { return rows_; }
  void setPixelRatio(qreal ratio);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant headerData(int section, Qt::Orientation o, int role) const override;
  QVariant data(const QModelIndex& index, int role) const override;

  // Whether row a comes before row b in ascending order of `column`. Unread
  // rows have empty cells, which come first; equal cells keep the listing's order.
  bool lessThan(int a, int b, int column) const;

  // Whether the file name, name, author or description contain `needle`
  // (already in NFKC form and case-folded).
  bool matches(int r, const QString& needle) const;
  // A text in the form the filter compares: NFKC, case-folded.
  static QString folded(const QString& text);

  // The row with its picture looked for.
  const snack::SnackRow& withPicture(int r) const;

 private:
  struct Texts {
    QString name, description, author, nameKey, authorKey, filterKey;
  };

  const Texts& texts(int r) const;
  QString text(int r, int column) const;
  QPixmap picture(int r) const;
  int compare(int a, int b, int column) const;

  const snack::NameTables* names_;
  mutable QList<snack::SnackRow> rows_;  // pictures are looked for when first needed
  mutable std::vector<std::optional<Texts>> texts_;
  mutable QCache<int, QPixmap> pictures_;
  std::array<QString, 256> typeKeys_, soundKeys_;
  qreal ratio_ = 1;
};

// The rows shown: those the filter lets through, in the chosen order.
class CollectionFilter : public QSortFilterProxyModel {
 public:
  CollectionFilter(CollectionModel* rows, QObject* parent);
  void setNeedle(const QString& text);

 protected:
  bool filterAcceptsRow(int row, const QModelIndex&) const override;
  bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

 private:
  CollectionModel* rows_;
  QString needle_;
};

}  // namespace ui
