#include "ListModel.h"

#include "CodePage.h"

#include <algorithm>

namespace {

const std::string kNoText;

}  // namespace

Qt::Alignment ToQtAlign(int align) {
  switch (align) {
    case LISTALIGN_RIGHT:
      return Qt::AlignRight | Qt::AlignVCenter;
    case LISTALIGN_CENTER:
      return Qt::AlignHCenter | Qt::AlignVCenter;
    default:
      return Qt::AlignLeft | Qt::AlignVCenter;
  }
}

QString CellToQString(const std::string& cp932) {
  bool ascii = true;
  for (const char c : cp932) {
    if (static_cast<unsigned char>(c) >= 0x80) {
      ascii = false;
      break;
    }
  }
  if (ascii) return QString::fromLatin1(cp932.data(), static_cast<qsizetype>(cp932.size()));
  return QString::fromStdString(cp932::ToUtf8(cp932));
}

void CListModel::SetColumns(std::vector<Column> columns) {
  beginResetModel();
  columns_.swap(columns);
  icons_.clear();
  rows_ = SourceRows();
  endResetModel();
}

void CListModel::SetHeaderIcon(int column, const QIcon& icon) {
  if (column < 0 || static_cast<std::size_t>(column) >= columns_.size()) return;
  if (icons_.size() <= static_cast<std::size_t>(column)) {
    if (icon.isNull()) return;
    icons_.resize(columns_.size());
  }
  icons_[static_cast<std::size_t>(column)] = icon;
  Q_EMIT headerDataChanged(Qt::Horizontal, column, column);
}

QIcon CListModel::HeaderIcon(int column) const {
  if (column < 0 || static_cast<std::size_t>(column) >= icons_.size()) return QIcon();
  return icons_[static_cast<std::size_t>(column)];
}

void CListModel::SetCells(const IListCells* cells) {
  beginResetModel();
  cells_ = cells;
  rows_ = SourceRows();
  endResetModel();
}

const std::string& CListModel::CellText(int row, int column) const {
  if (!cells_ || row < 0 || row >= rows_ || row >= cells_->RowCount() || column < 0 || column >= columnCount())
    return kNoText;
  return cells_->CellText(row, column);
}

void CListModel::ResetRows() {
  beginResetModel();
  rows_ = SourceRows();
  endResetModel();
}

void CListModel::RowsInserted(int first, int last) {
  first = std::clamp(first, 0, rows_);
  if (last < first) return;
  beginInsertRows(QModelIndex(), first, last);
  rows_ += last - first + 1;
  endInsertRows();
}

void CListModel::RowsRemoved(int first, int last) {
  first = std::max(first, 0);
  last = std::min(last, rows_ - 1);
  if (last < first) return;
  beginRemoveRows(QModelIndex(), first, last);
  rows_ -= last - first + 1;
  endRemoveRows();
}

bool CListModel::RowsMoved(int first, int count, int target) {
  if (count <= 0 || first < 0 || first + count > rows_ || target < 0 || target > rows_) return false;
  if (target >= first && target <= first + count) return false;
  if (!beginMoveRows(QModelIndex(), first, first + count - 1, QModelIndex(), target)) return false;
  endMoveRows();
  return true;
}

void CListModel::RowsChanged(int first, int last) {
  first = std::max(first, 0);
  last = std::min(last, rows_ - 1);
  if (last < first || columnCount() == 0) return;
  Q_EMIT dataChanged(index(first, 0), index(last, columnCount() - 1), {Qt::DisplayRole});
}

void CListModel::ColumnChanged(int column) {
  if (rows_ == 0 || column < 0 || column >= columnCount()) return;
  Q_EMIT dataChanged(index(0, column), index(rows_ - 1, column), {Qt::DisplayRole});
}

void CListModel::RowsReordered(const std::vector<int>& order) {
  if (static_cast<int>(order.size()) != rows_) {
    ResetRows();
    return;
  }
  Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  std::vector<int> newPlace(order.size(), -1);
  for (std::size_t i = 0; i < order.size(); ++i)
    if (order[i] >= 0 && static_cast<std::size_t>(order[i]) < order.size())
      newPlace[static_cast<std::size_t>(order[i])] = static_cast<int>(i);
  const QModelIndexList from = persistentIndexList();
  QModelIndexList to;
  to.reserve(from.size());
  for (const QModelIndex& i : from) {
    const int row = i.row() >= 0 && i.row() < rows_ ? newPlace[static_cast<std::size_t>(i.row())] : -1;
    to.append(row >= 0 ? index(row, i.column()) : QModelIndex());
  }
  changePersistentIndexList(from, to);
  Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int CListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int CListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant CListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return QVariant();
  switch (role) {
    case Qt::DisplayRole:
      return CellToQString(CellText(index.row(), index.column()));
    case Qt::TextAlignmentRole:
      return static_cast<int>(ToQtAlign(columns_[static_cast<std::size_t>(index.column())].align));
    default:
      return QVariant();
  }
}

QVariant CListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return QVariant();
  const Column& c = columns_[static_cast<std::size_t>(section)];
  switch (role) {
    case Qt::DisplayRole:
      return c.title;
    case Qt::TextAlignmentRole:
      return static_cast<int>(ToQtAlign(c.align));
    case Qt::DecorationRole: {
      const QIcon icon = HeaderIcon(section);
      return icon.isNull() ? QVariant() : QVariant(icon);
    }
    default:
      return QVariant();
  }
}

Qt::ItemFlags CListModel::flags(const QModelIndex& index) const {
  return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled : Qt::NoItemFlags;
}
