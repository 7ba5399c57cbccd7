// The bit grid without a window: which cell shows which bit of a page, the
// colour and tooltip of every cell, the drag selection and the auto-scroll
// timing. The Qt view paints the cells, turns mouse positions into cells and
// runs the timer; everything it decides comes from here.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Colour index of one bit cell.
enum BitCellColor {
  CELL_SIGNAL0 = 0,  // other signals in turn: 0x606060, 0x808080, 0xA0A0A0, 0xC0C0C0
  CELL_SIGNAL1 = 1,
  CELL_SIGNAL2 = 2,
  CELL_SIGNAL3 = 3,
  CELL_FREE = 4,     // 0xFFFFFF
  CELL_CURRENT = 5,  // 0x00FF00, the edited signal and the range being dragged
};

constexpr int BITGRID_COLUMNS = 16;
constexpr int BITGRID_ROWS = 32;
constexpr int BITGRID_CELLS = BITGRID_COLUMNS * BITGRID_ROWS;  // one page: 512 bits
constexpr int BITGRID_DRAG_LIMIT = 64;                         // most cells one drag covers
constexpr int BITGRID_SCROLL_ROWS = 4;                         // more rows than this scroll

// One signal to draw on a page; start and length are the signal's part on
// this page, relative to the page start.
struct tagBitAssignInfoPage {
  int start = 0;
  int length = 0;
  int inPage = 0;
  std::string name;
};

// The page the owner hands in.
struct tagBitAssignInfo {
  int pageBitCount = 0;   // 0..512
  std::string caption;    // prefix of every tooltip
  int currentIndex = -1;  // element of the edited signal; -1 none
  int pageStart = 0;      // absolute number of the page's first bit
  std::vector<tagBitAssignInfoPage> elements;
};

class BitGridModel {
 public:
  struct Cell {
    std::uint8_t color = CELL_FREE;
    bool shown = false;
    bool occupied = false;  // belongs to another signal
    bool notify = false;    // keeps presses and shows its tooltip
    std::string tip;
  };

  BitGridModel();

  // Replaces the page, the flags and the highlight. A page without the edited
  // signal keeps the old highlighted range. Returns true when the page bit
  // count changed (the view then re-applies its scroll style).
  bool SetBitAssign(const tagBitAssignInfo& info);

  int Pad() const { return pad_; }
  int PageBitCount() const { return bits_; }
  int PageStart() const { return pageStart_; }
  bool NeedsVScroll() const { return bits_ > BITGRID_SCROLL_ROWS * BITGRID_COLUMNS; }
  // Cells of a bad index read as a hidden free cell.
  const Cell& CellAt(int cell) const;
  // Cell of page-relative bit b, or -1 when b is not on the page.
  int CellOfBit(int bit) const;
  // Page-relative bit of a cell, or -1 for a pad or hidden cell.
  int BitOfCell(int cell) const;

  // Rows in use: bits / 16, one more for a part row.
  int RowCount() const;
  bool RowShown(int row) const { return row >= 0 && row < RowCount(); }
  // Bit number shown beside a row: the lowest used row shows the page start,
  // each row above 16 more; empty for a hidden row.
  std::string RowLabel(int row) const;
  // Index of the last used cell (the bottom-right one), -1 for an empty page.
  int LastUsedCell() const { return bits_ > 0 ? pad_ + bits_ - 1 : -1; }

  int HighlightFirst() const { return hiFirst_; }
  int HighlightLast() const { return hiLast_; }
  // Page-relative bits of the highlighted range, low <= high.
  void GetSelectedBits(int& low, int& high) const;

  void SetReadOnly(bool on) { readOnly_ = on; }
  bool ReadOnly() const { return readOnly_; }

  // Selection. `cell` is the cell under the pointer (-1 none); the model
  // itself decides whether it may be selected. Press and Drag return true when
  // the owner must hear that the selection is changing.
  bool Press(int cell);
  // First move with the button down: the view takes the mouse. True when a
  // drag starts.
  bool BeginCapture();
  bool Drag(int cell);
  // Highlights once more and ends the drag. The owner always hears of a release.
  void Release();
  void CaptureLost();
  bool ButtonDown() const { return buttonDown_; }
  bool Captured() const { return captured_; }
  int Anchor() const { return anchor_; }
  int Current() const { return current_; }
  int RunLow() const { return runLow_; }
  int RunHigh() const { return runHigh_; }

  // Auto-scroll while dragging. d is the pointer's distance above (< 0) or
  // below (> 0) the view, 0 beside it; inside is true when the pointer is back
  // in the view.
  enum class TimerAction { None, Stop, Start, Restart };
  TimerAction AutoScrollTest(bool inside, int d, bool vscroll);
  bool TimerRunning() const { return timerRunning_; }
  int ScrollStep() const { return step_; }
  int IntervalIndexInUse() const { return intervalIndex_; }
  int TimerIntervalMs() const { return IntervalMs(intervalIndex_); }
  // The new vertical position for one tick, clamped into 0..maximum.
  int TickPosition(int position, int maximum) const;

  static int IntervalIndex(int distance);
  static int IntervalMs(int index);

 private:
  bool Selectable(int cell) const;
  void Highlight();

  std::array<Cell, BITGRID_CELLS> cells_;
  int pad_ = 0;
  int bits_ = -1;  // no page yet: the first page always counts as a change
  int pageStart_ = 0;
  int hiFirst_ = -1;
  int hiLast_ = -1;
  bool readOnly_ = false;
  bool buttonDown_ = false;
  bool captured_ = false;
  int anchor_ = -1;
  int current_ = -1;
  int runLow_ = -1;
  int runHigh_ = -1;
  bool timerRunning_ = false;
  int step_ = 0;
  int intervalIndex_ = 0;
};

// Pixel geometry of the grid's cells, so that hit tests and painting agree.
// Columns 8 to 15 stand a little apart from 0 to 7 (the two bytes of a row).
struct BitGridGeometry {
  int originX = 10;
  int originY = 6;
  int cellSize = 12;
  int pitch = 14;
  int byteGap = 3;

  int CellX(int cell) const;
  int CellY(int cell) const;
  // The cell whose square holds (x, y), or -1.
  int HitCell(int x, int y) const;
  // Bottom edge of the row's cells.
  int RowBottom(int row) const { return originY + row * pitch + cellSize; }
  int LabelX() const { return CellX(BITGRID_COLUMNS - 1) + cellSize + 6; }
  int Width() const { return LabelX() + 40; }
  int Height() const { return originY + BITGRID_ROWS * pitch + 4; }
};

// Vertical scroll position that keeps the highlighted cells in view after a
// page was drawn, or `position` when nothing needs to move. contentBottom is
// the bottom of the last used cell, viewHeight the visible height.
int KeepRangeInView(const BitGridModel& model, const BitGridGeometry& geo, int position, int viewHeight);
