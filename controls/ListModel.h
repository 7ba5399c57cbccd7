// The table model behind CListCtrlEx: the columns of the list and a window
// onto rows kept elsewhere (IListCells). It holds no cell text; a text is
// converted from CP932 only when a view asks for it, which is for the cells
// on screen. The owner of the rows changes them first and then tells the
// model what changed, so the model keeps the row count the views last saw.
#pragma once

#include "logic/ListCells.h"

#include <QAbstractTableModel>
#include <QIcon>

#include <string>
#include <vector>

enum ListAlign { LISTALIGN_LEFT = 0, LISTALIGN_RIGHT = 1, LISTALIGN_CENTER = 2 };

// A cell text for the screen: plain ASCII directly, anything else through
// the code page.
QString CellToQString(const std::string& cp932);
// A ListAlign as the text alignment of a cell, vertically centred.
Qt::Alignment ToQtAlign(int align);

class CListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  struct Column {
    QString title;
    int align = LISTALIGN_LEFT;
  };

  explicit CListModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

  // New columns (and the rows read again), without header images: a reset.
  // The set is taken over, so that a set made ahead goes in without needing
  // memory.
  void SetColumns(std::vector<Column> columns);
  const std::vector<Column>& Columns() const { return columns_; }
  void SetHeaderIcon(int column, const QIcon& icon);
  QIcon HeaderIcon(int column) const;

  // The rows shown; null shows none. A reset.
  void SetCells(const IListCells* cells);
  const IListCells* Cells() const { return cells_; }
  // The text of a cell as it is kept (CP932); empty outside the rows shown.
  const std::string& CellText(int row, int column) const;

  // What changed in the rows since the views last saw them.
  void ResetRows();
  void RowsInserted(int first, int last);
  void RowsRemoved(int first, int last);
  // The block [first, first + count) now stands before `target` (counted
  // in the order before the move); false when that is no move.
  bool RowsMoved(int first, int count, int target);
  void RowsChanged(int first, int last);
  void ColumnChanged(int column);
  // The rows were put in another order: order[new row] = old row. Selection
  // and focus travel with their rows.
  void RowsReordered(const std::vector<int>& order);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  int SourceRows() const { return cells_ ? cells_->RowCount() : 0; }

  const IListCells* cells_ = nullptr;
  std::vector<Column> columns_;
  std::vector<QIcon> icons_;  // by column; none past its end
  int rows_ = 0;              // the row count the views know
};
