#include "BitGridModel.h"

#include <algorithm>
#include <cstdlib>
#include <string>

namespace {

const BitGridModel::Cell kNoCell{};

constexpr int kThresholds[4] = {8, 16, 32, 64};
constexpr int kIntervalsMs[4] = {500, 250, 125, 60};
constexpr int kScrollStep = 8;

}  // namespace

BitGridModel::BitGridModel() = default;

bool BitGridModel::SetBitAssign(const tagBitAssignInfo& info) {
  const int bits = std::clamp(info.pageBitCount, 0, BITGRID_CELLS);
  const bool changed = bits != bits_;
  bits_ = bits;
  pad_ = bits % BITGRID_COLUMNS;
  pageStart_ = info.pageStart;

  for (int i = 0; i < BITGRID_CELLS; ++i) {
    Cell& c = cells_[static_cast<std::size_t>(i)];
    c.occupied = false;
    c.notify = false;
    c.tip.clear();
    c.shown = i >= pad_ && i < pad_ + bits_;
    if (c.shown) c.color = CELL_FREE;
  }

  if (bits_ > 0) {
    int drawn = 0;
    for (std::size_t i = 0; i < info.elements.size(); ++i) {
      const tagBitAssignInfoPage& e = info.elements[i];
      int start = e.start;
      int length = e.length;
      if (start < 0) {
        length += start;
        start = 0;
      }
      if (start >= bits_) continue;
      length = std::min(length, bits_ - start);
      if (length <= 0) continue;
      const int first = pad_ + bits_ - start - length;
      const int last = pad_ + bits_ - 1 - start;
      if (static_cast<int>(i) == info.currentIndex) {
        hiFirst_ = first;
        hiLast_ = last;
        if (e.inPage) {
          for (int c = first; c <= last; ++c) cells_[static_cast<std::size_t>(c)].color = CELL_CURRENT;
        }
        continue;
      }
      const auto color = static_cast<std::uint8_t>(CELL_SIGNAL0 + drawn % 4);
      if (e.inPage) {
        std::string tip = info.caption + e.name + "\r\nStartBit: " + std::to_string(start) +
                          "\r\nBitCount: " + std::to_string(length);
        for (int c = first; c <= last; ++c) {
          Cell& cell = cells_[static_cast<std::size_t>(c)];
          cell.color = color;
          cell.tip = tip;
          cell.notify = true;
          cell.occupied = true;
        }
      }
      ++drawn;
    }
  }
  return changed;
}

const BitGridModel::Cell& BitGridModel::CellAt(int cell) const {
  if (cell < 0 || cell >= BITGRID_CELLS) return kNoCell;
  return cells_[static_cast<std::size_t>(cell)];
}

int BitGridModel::CellOfBit(int bit) const {
  if (bit < 0 || bit >= bits_) return -1;
  return pad_ + bits_ - 1 - bit;
}

int BitGridModel::BitOfCell(int cell) const {
  if (cell < pad_ || cell >= pad_ + bits_) return -1;
  return pad_ + bits_ - 1 - cell;
}

int BitGridModel::RowCount() const {
  if (bits_ <= 0) return 0;
  return bits_ / BITGRID_COLUMNS + (pad_ > 0 ? 1 : 0);
}

std::string BitGridModel::RowLabel(int row) const {
  const int rows = RowCount();
  if (row < 0 || row >= rows) return std::string();
  return std::to_string(pageStart_ + BITGRID_COLUMNS * (rows - 1 - row));
}

void BitGridModel::GetSelectedBits(int& low, int& high) const {
  const int top = pad_ + std::max(bits_, 0) - 1;
  low = top - std::max(hiFirst_, hiLast_);
  high = top - std::min(hiFirst_, hiLast_);
}

bool BitGridModel::Selectable(int cell) const {
  if (cell < 0 || cell >= BITGRID_CELLS) return false;
  const Cell& c = cells_[static_cast<std::size_t>(cell)];
  return c.shown && !c.occupied;
}

bool BitGridModel::Press(int cell) {
  anchor_ = current_ = -1;
  if (readOnly_) return false;
  buttonDown_ = true;
  if (!Selectable(cell)) return false;
  runLow_ = runHigh_ = cell;
  while (Selectable(runLow_ - 1)) --runLow_;
  while (Selectable(runHigh_ + 1)) ++runHigh_;
  anchor_ = current_ = cell;
  Highlight();
  return true;
}

bool BitGridModel::BeginCapture() {
  if (!captured_ && buttonDown_ && anchor_ >= 0) captured_ = true;
  return captured_;
}

bool BitGridModel::Drag(int cell) {
  if (!captured_ || anchor_ < 0 || !Selectable(cell)) return false;
  cell = std::clamp(cell, runLow_, runHigh_);
  if (cell > anchor_) {
    cell = std::min(cell, anchor_ + BITGRID_DRAG_LIMIT - 1);
  } else {
    cell = std::max(cell, anchor_ - (BITGRID_DRAG_LIMIT - 1));
  }
  if (cell == current_) return false;
  current_ = cell;
  Highlight();
  return true;
}

void BitGridModel::Highlight() {
  // The old range may come from another page: only free cells go back to white.
  if (hiFirst_ >= 0 && hiLast_ >= 0) {
    for (int c = std::max(0, std::min(hiFirst_, hiLast_));
         c <= std::min(BITGRID_CELLS - 1, std::max(hiFirst_, hiLast_)); ++c) {
      if (Selectable(c)) cells_[static_cast<std::size_t>(c)].color = CELL_FREE;
    }
  }
  if (anchor_ < 0 || current_ < 0) return;
  const int first = std::min(anchor_, current_);
  const int last = std::max(anchor_, current_);
  for (int c = first; c <= last; ++c) cells_[static_cast<std::size_t>(c)].color = CELL_CURRENT;
  hiFirst_ = first;
  hiLast_ = last;
}

void BitGridModel::Release() {
  if (captured_) Highlight();
  timerRunning_ = false;
  captured_ = false;
  buttonDown_ = false;
  anchor_ = current_ = -1;
}

void BitGridModel::CaptureLost() {
  timerRunning_ = false;
  buttonDown_ = false;
  captured_ = false;
}

int BitGridModel::IntervalIndex(int distance) {
  distance = std::abs(distance);
  int index = 0;
  for (int i = 0; i < 4; ++i) {
    if (distance > kThresholds[i]) index = i;
  }
  return index;
}

int BitGridModel::IntervalMs(int index) { return kIntervalsMs[std::clamp(index, 0, 3)]; }

BitGridModel::TimerAction BitGridModel::AutoScrollTest(bool inside, int d, bool vscroll) {
  if (inside) {
    if (!timerRunning_) return TimerAction::None;
    timerRunning_ = false;
    return TimerAction::Stop;
  }
  if (!vscroll || d == 0) return TimerAction::None;
  const int index = IntervalIndex(d);
  if (!timerRunning_) {
    step_ = d < 0 ? -kScrollStep : kScrollStep;
    intervalIndex_ = index;
    timerRunning_ = true;
    return TimerAction::Start;
  }
  if (index == intervalIndex_) return TimerAction::None;
  intervalIndex_ = index;
  return TimerAction::Restart;
}

int BitGridModel::TickPosition(int position, int maximum) const {
  if (step_ == 0) return position;
  return std::clamp(position + step_, 0, std::max(0, maximum));
}

int BitGridGeometry::CellX(int cell) const {
  const int col = cell % BITGRID_COLUMNS;
  return originX + col * pitch + (col >= 8 ? byteGap : 0);
}

int BitGridGeometry::CellY(int cell) const { return originY + (cell / BITGRID_COLUMNS) * pitch; }

int BitGridGeometry::HitCell(int x, int y) const {
  if (y < originY) return -1;
  const int row = (y - originY) / pitch;
  if (row >= BITGRID_ROWS || y >= CellY(row * BITGRID_COLUMNS) + cellSize) return -1;
  for (int col = 0; col < BITGRID_COLUMNS; ++col) {
    const int left = CellX(col);
    if (x >= left && x < left + cellSize) return row * BITGRID_COLUMNS + col;
  }
  return -1;
}

int KeepRangeInView(const BitGridModel& model, const BitGridGeometry& geo, int position, int viewHeight) {
  const int last = model.LastUsedCell();
  if (last < 0 || !model.NeedsVScroll()) return position;
  const int maximum = std::max(0, geo.RowBottom(last / BITGRID_COLUMNS) - viewHeight);
  const int first = std::min(model.HighlightFirst(), model.HighlightLast());
  const int lastHi = std::max(model.HighlightFirst(), model.HighlightLast());
  if (first >= 0 && first < BITGRID_CELLS && lastHi < BITGRID_CELLS) {
    const int top = geo.CellY(first);
    const int bottom = geo.CellY(lastHi) + geo.cellSize;
    if (bottom - top < viewHeight) {
      if (top < position) {
        position = top;
      } else if (bottom > position + viewHeight || position > maximum) {
        position = bottom - viewHeight;
      }
    }
  }
  return std::clamp(position, 0, maximum);
}
