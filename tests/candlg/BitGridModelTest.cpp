#include <gtest/gtest.h>

#include "BitGridModel.h"

namespace {

tagBitAssignInfo Page(int bits, int pageStart = 0) {
  tagBitAssignInfo info;
  info.pageBitCount = bits;
  info.pageStart = pageStart;
  info.caption = "SignalName: ";
  return info;
}

void AddElement(tagBitAssignInfo& info, int start, int length, const char* name, bool inPage = true) {
  info.elements.push_back({start, length, inPage ? 1 : 0, name});
}

}  // namespace

TEST(BitGridLayout, PadRowsAndLabelsFollowThePageBitCount) {
  struct Case {
    int bits, pad, rows, firstShown, lastShown;
    const char* topLabel;
    const char* bottomLabel;
  };
  const Case cases[] = {
      {24, 8, 2, 8, 31, "528", "512"}, {0, 0, 0, -1, -1, "", ""},           {16, 0, 1, 0, 15, "512", "512"},
      {1, 1, 1, 1, 1, "512", "512"},   {512, 0, 32, 0, 511, "1008", "512"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bits);
    BitGridModel m;
    m.SetBitAssign(Page(c.bits, 512));
    EXPECT_EQ(m.Pad(), c.pad);
    EXPECT_EQ(m.RowCount(), c.rows);
    EXPECT_EQ(m.RowLabel(0), c.topLabel);
    EXPECT_EQ(m.RowLabel(c.rows - 1), c.bottomLabel);
    EXPECT_EQ(m.RowLabel(c.rows), "");
    for (int cell = 0; cell < BITGRID_CELLS; ++cell) {
      EXPECT_EQ(m.CellAt(cell).shown, cell >= c.firstShown && cell <= c.lastShown && c.firstShown >= 0) << cell;
    }
  }
}

TEST(BitGridLayout, BitsAreRightAlignedHighestFirst) {
  BitGridModel m;
  m.SetBitAssign(Page(24));
  EXPECT_EQ(m.CellOfBit(23), 8);   // first used cell of the first row
  EXPECT_EQ(m.CellOfBit(16), 15);  // end of the first row
  EXPECT_EQ(m.CellOfBit(15), 16);
  EXPECT_EQ(m.CellOfBit(0), 31);
  EXPECT_EQ(m.CellOfBit(24), -1);
  EXPECT_EQ(m.BitOfCell(7), -1);
  EXPECT_EQ(m.BitOfCell(8), 23);
}

TEST(BitGridLayout, MoreThanFourRowsScroll) {
  BitGridModel m;
  EXPECT_TRUE(m.SetBitAssign(Page(64)));
  EXPECT_FALSE(m.NeedsVScroll());
  EXPECT_FALSE(m.SetBitAssign(Page(64)));  // same count: no new style
  m.SetBitAssign(Page(65));
  EXPECT_TRUE(m.NeedsVScroll());
}

TEST(BitGridPage, OtherSignalsCycleFourGreysAndCarryTooltips) {
  BitGridModel m;
  tagBitAssignInfo info = Page(64);
  for (int i = 0; i < 5; ++i) AddElement(info, i * 2, 2, "S");
  AddElement(info, 70, 2, "Beyond");            // starts past the page: not counted
  AddElement(info, 20, 2, "Elsewhere", false);  // counted, not drawn
  AddElement(info, 30, 2, "Next");
  m.SetBitAssign(info);
  const int expected[] = {CELL_SIGNAL0, CELL_SIGNAL1, CELL_SIGNAL2, CELL_SIGNAL3, CELL_SIGNAL0};
  for (int i = 0; i < 5; ++i) {
    const auto& cell = m.CellAt(m.CellOfBit(i * 2));
    EXPECT_EQ(cell.color, expected[i]) << i;
    EXPECT_TRUE(cell.occupied);
    EXPECT_TRUE(cell.notify);
  }
  EXPECT_EQ(m.CellAt(m.CellOfBit(20)).color, CELL_FREE);
  EXPECT_EQ(m.CellAt(m.CellOfBit(30)).color, CELL_SIGNAL2);
  EXPECT_EQ(m.CellAt(m.CellOfBit(30)).tip, "SignalName: Next\r\nStartBit: 30\r\nBitCount: 2");
}

TEST(BitGridPage, EditedSignalIsGreenAndStaysFree) {
  BitGridModel m;
  tagBitAssignInfo info = Page(64);
  AddElement(info, 0, 4, "Other");
  AddElement(info, 60, 8, "Me");  // clipped to the page
  info.currentIndex = 1;
  m.SetBitAssign(info);
  int low = -1, high = -1;
  m.GetSelectedBits(low, high);
  EXPECT_EQ(low, 60);
  EXPECT_EQ(high, 63);
  EXPECT_EQ(m.CellAt(m.CellOfBit(61)).color, CELL_CURRENT);
  EXPECT_FALSE(m.CellAt(m.CellOfBit(61)).occupied);

  // A page without the edited signal keeps the highlighted range.
  tagBitAssignInfo other = Page(64);
  AddElement(other, 0, 64, "All");
  m.SetBitAssign(other);
  m.GetSelectedBits(low, high);
  EXPECT_EQ(low, 60);
  EXPECT_EQ(m.CellAt(m.CellOfBit(61)).color, CELL_SIGNAL0);
}

TEST(BitGridSelection, DragRunsAcrossRowsAndStopsAtOccupiedCells) {
  BitGridModel m;
  tagBitAssignInfo info = Page(64);
  AddElement(info, 0, 4, "Low");  // cells 60..63
  m.SetBitAssign(info);
  ASSERT_TRUE(m.Press(20));
  EXPECT_EQ(m.RunLow(), 0);
  EXPECT_EQ(m.RunHigh(), 59);
  EXPECT_FALSE(m.Drag(40));  // no capture before the first move
  ASSERT_TRUE(m.BeginCapture());
  EXPECT_TRUE(m.Drag(40));
  EXPECT_FALSE(m.Drag(40));  // unchanged: no notification
  EXPECT_FALSE(m.Drag(62));  // occupied cell under the pointer
  EXPECT_TRUE(m.Drag(59));
  m.Release();
  int low = 0, high = 0;
  m.GetSelectedBits(low, high);
  EXPECT_EQ(low, 4);
  EXPECT_EQ(high, 43);
  EXPECT_EQ(m.Anchor(), -1);
  EXPECT_FALSE(m.Captured());
}

TEST(BitGridSelection, OneDragCoversAtMost64Cells) {
  struct Case {
    int anchor, target, expected;
  };
  for (const Case& c : {Case{0, 200, 63}, Case{300, 100, 237}, Case{10, 73, 73}}) {
    BitGridModel m;
    m.SetBitAssign(Page(512));
    ASSERT_TRUE(m.Press(c.anchor));
    m.BeginCapture();
    m.Drag(c.target);
    EXPECT_EQ(m.Current(), c.expected) << c.anchor << "->" << c.target;
  }
}

TEST(BitGridSelection, PressesThatSelectNothing) {
  BitGridModel m;
  tagBitAssignInfo info = Page(24);
  AddElement(info, 0, 4, "Other");
  m.SetBitAssign(info);
  EXPECT_FALSE(m.Press(m.CellOfBit(2)));  // occupied
  EXPECT_FALSE(m.Press(3));               // pad cell
  EXPECT_FALSE(m.Press(-1));              // outside every cell
  EXPECT_FALSE(m.BeginCapture());
  m.SetReadOnly(true);
  EXPECT_FALSE(m.Press(m.CellOfBit(10)));
  EXPECT_EQ(m.HighlightFirst(), -1);
}

TEST(BitGridSelection, NewRangeWhitensTheOldOne) {
  BitGridModel m;
  tagBitAssignInfo info = Page(32);
  AddElement(info, 0, 4, "Me");
  info.currentIndex = 0;
  m.SetBitAssign(info);
  ASSERT_TRUE(m.Press(m.CellOfBit(20)));
  EXPECT_EQ(m.CellAt(m.CellOfBit(0)).color, CELL_FREE);
  EXPECT_EQ(m.CellAt(m.CellOfBit(20)).color, CELL_CURRENT);
}

TEST(BitGridAutoScroll, IntervalFollowsTheDistance) {
  struct Case {
    int d, ms;
  };
  for (const Case& c : {Case{5, 500}, Case{16, 500}, Case{17, 250}, Case{64, 125}, Case{65, 60}, Case{-100, 60}}) {
    EXPECT_EQ(BitGridModel::IntervalMs(BitGridModel::IntervalIndex(c.d)), c.ms) << c.d;
  }
}

TEST(BitGridAutoScroll, TimerStartsRestartsAndStops) {
  using A = BitGridModel::TimerAction;
  BitGridModel m;
  EXPECT_EQ(m.AutoScrollTest(false, 10, false), A::None);  // no scroll bar
  EXPECT_EQ(m.AutoScrollTest(false, 0, true), A::None);
  EXPECT_EQ(m.AutoScrollTest(false, 10, true), A::Start);
  EXPECT_EQ(m.ScrollStep(), 8);
  EXPECT_EQ(m.TimerIntervalMs(), 500);
  EXPECT_EQ(m.AutoScrollTest(false, 12, true), A::None);
  EXPECT_EQ(m.AutoScrollTest(false, 40, true), A::Restart);
  EXPECT_EQ(m.TimerIntervalMs(), 125);
  EXPECT_EQ(m.ScrollStep(), 8);  // the old step stays
  EXPECT_EQ(m.TickPosition(100, 104), 104);
  EXPECT_EQ(m.AutoScrollTest(true, 0, true), A::Stop);
  EXPECT_EQ(m.AutoScrollTest(false, -3, true), A::Start);
  EXPECT_EQ(m.ScrollStep(), -8);
  EXPECT_EQ(m.TickPosition(5, 100), 0);
}

TEST(BitGridGeometry, HitTestFindsEveryCellAndMissesTheGaps) {
  BitGridGeometry g;
  for (int cell = 0; cell < BITGRID_CELLS; ++cell) {
    ASSERT_EQ(g.HitCell(g.CellX(cell) + 1, g.CellY(cell) + 1), cell);
    ASSERT_EQ(g.HitCell(g.CellX(cell) + g.cellSize - 1, g.CellY(cell) + g.cellSize - 1), cell);
  }
  EXPECT_EQ(g.HitCell(g.CellX(7) + g.cellSize, g.CellY(0)), -1);
  EXPECT_EQ(g.HitCell(0, 0), -1);
  EXPECT_GT(g.CellX(8) - g.CellX(7), g.CellX(7) - g.CellX(6));
}

TEST(BitGridGeometry, KeepsTheHighlightInView) {
  BitGridModel m;
  BitGridGeometry g;
  tagBitAssignInfo info = Page(512);
  AddElement(info, 0, 4, "Me");  // bottom row
  info.currentIndex = 0;
  m.SetBitAssign(info);
  const int view = 100;
  const int bottom = g.CellY(511) + g.cellSize;
  EXPECT_EQ(KeepRangeInView(m, g, 0, view), bottom - view);
  info.elements[0].start = 508;  // top row
  m.SetBitAssign(info);
  EXPECT_EQ(KeepRangeInView(m, g, 200, view), g.CellY(0));
}
