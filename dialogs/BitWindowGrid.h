// The 64 bit cells of the FlexRay and LIN dialogs: four rows of 16 cells,
// the lowest bit of the window bottom right, with the row labels beside
// them. It shows what a frame dialog model holds and reports presses, drags
// and releases over the cells by cell index; the model decides what they do.
#pragma once

#include <QWidget>

#include <array>

class CStaticEx;
class CFrameDlgModelBase;
class QLabel;

class CBitWindowGrid : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kCells = 64;
  static constexpr int kLabels = 5;

  explicit CBitWindowGrid(QWidget* parent = nullptr);

  // Cell i shows window bit i; its control number is 2063 - i.
  CStaticEx* Cell(int i) const;
  // Label r (control 1700 + r) stands right of row r counted from the bottom;
  // label 4 above the top row.
  QLabel* RowLabel(int r) const;

  // Colours, visibility and tooltips of the cells and the label texts.
  void ShowModel(const CFrameDlgModelBase& model);

  // The cell under a point of this widget, -1 when none (or a hidden one).
  int CellAt(const QPoint& pos) const;

 Q_SIGNALS:
  void cellPressed(int cell);
  void cellDragged(int cell);
  void released();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  std::array<CStaticEx*, kCells> cells_{};
  std::array<QLabel*, kLabels> labels_{};
  bool pressed_ = false;
};
