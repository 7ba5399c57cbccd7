// The list control's own painting (stripes, colours, drop line), its fixed
// first column, the bit cell and the font cache.
#include "ColorRef.h"
#include "FontManager.h"
#include "ListCtrlEx.h"
#include "StaticEx.h"

#include <QHeaderView>
#include <QImage>
#include <QTest>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Rows kept outside the control, as the list logic keeps them.
class TextCells : public IListCells {
 public:
  int RowCount() const override { return static_cast<int>(rows.size()); }
  const std::string& CellText(int row, int column) const override {
    static const std::string none;
    if (row < 0 || row >= RowCount() || column < 0 || column >= static_cast<int>(rows[row].size())) return none;
    return rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
  }
  std::vector<std::vector<std::string>> rows;
};

// A list of `rows` rows ("0", "1", ...) with the hidden column and one
// visible column.
void Fill(CListCtrlEx& list, TextCells& cells, int rows) {
  list.SetColumns({{QString(), LISTALIGN_LEFT}, {QStringLiteral("A"), LISTALIGN_LEFT}});
  list.SetColumnWidth(1, 150);
  for (int r = 0; r < rows; ++r) cells.rows.push_back({std::string(), std::to_string(r)});
  list.SetCells(&cells);
}

QImage Shot(CListCtrlEx& list) { return list.viewport()->grab().toImage(); }

// The colour in the middle of row slot `slot` (rows and empty area alike).
QColor SlotColor(CListCtrlEx& list, const QImage& img, int slot) {
  const int y = slot * list.RowHeight() + list.RowHeight() / 2;
  return img.pixelColor(100, y);
}

QStringList Texts(const CListCtrlEx& list) {
  QStringList out;
  for (int r = 0; r < list.GetItemCount(); ++r) out << list.GetItemText(r, 1);
  return out;
}

QPoint RowCentre(const CListCtrlEx& list, int row) { return QPoint(60, list.GetItemRect(row).center().y()); }

}  // namespace

class ControlsTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void colourValuesAreBlueGreenRed() {
    QCOMPARE(ColorFromRef(0xFFF0F0), QColor(0xF0, 0xF0, 0xFF));
    QCOMPARE(ColorFromRef(0xDC9090), QColor(0x90, 0x90, 0xDC));
    QCOMPARE(ColorFromRef(0x00FF00), QColor(0x00, 0xFF, 0x00));
    QCOMPARE(RefFromColor(QColor(0x12, 0x34, 0x56)), 0x563412u);
  }

  void rowsAndEmptyAreaAreStriped() {
    CListCtrlEx list;
    TextCells cells;
    list.resize(300, 240);
    Fill(list, cells, 3);
    list.show();
    const QImage img = Shot(list);
    const QColor stripe(0xF0, 0xF0, 0xFF);
    const QColor base = list.palette().color(QPalette::Base);
    QCOMPARE(SlotColor(list, img, 0), stripe);
    QCOMPARE(SlotColor(list, img, 1), base);
    QCOMPARE(SlotColor(list, img, 2), stripe);
    QCOMPARE(SlotColor(list, img, 3), base);  // empty area below the rows
    QCOMPARE(SlotColor(list, img, 4), stripe);
  }

  void greyLookForTheReferenceList() {
    CListCtrlEx list;
    TextCells cells;
    list.resize(300, 240);
    Fill(list, cells, 2);
    list.SetDisabledLook(true);
    list.show();
    const QImage img = Shot(list);
    QCOMPARE(SlotColor(list, img, 0), QColor(0xC0, 0xC0, 0xC0));
    QCOMPARE(SlotColor(list, img, 1), QColor(0xC8, 0xC8, 0xC8));
    QCOMPARE(SlotColor(list, img, 4), QColor(0xC0, 0xC0, 0xC0));
    QCOMPARE(SlotColor(list, img, 5), QColor(0xC8, 0xC8, 0xC8));
  }

  void selectionColoursChangeWhileADropLineIsShown() {
    CListCtrlEx list;
    TextCells cells;
    list.resize(300, 240);
    Fill(list, cells, 4);
    list.SetRowSelected(1, true);
    list.show();
    QCOMPARE(SlotColor(list, Shot(list), 1), list.palette().color(QPalette::Active, QPalette::Highlight));
    list.SetDropLine(3);
    QCOMPARE(SlotColor(list, Shot(list), 1), QColor(0x90, 0x90, 0xDC));
    list.SetDropLine(-1);
    QCOMPARE(SlotColor(list, Shot(list), 1), list.palette().color(QPalette::Active, QPalette::Highlight));
  }

  void dropLineAboveARowAndBelowTheLast() {
    CListCtrlEx list;
    TextCells cells;
    list.resize(300, 240);
    Fill(list, cells, 3);
    list.show();
    const QColor line = list.palette().color(QPalette::Active, QPalette::Highlight);
    const int h = list.RowHeight();
    list.SetDropLine(2);
    QCOMPARE(list.DropLine(), 2);
    QCOMPARE(Shot(list).pixelColor(100, 2 * h - 1), line);
    list.SetDropLine(99);  // beyond the last row: under it
    QImage img = Shot(list);
    QCOMPARE(img.pixelColor(100, 3 * h - 1), line);
    QVERIFY(img.pixelColor(100, 2 * h - 1) != line);
    list.SetDropLine(-5);
    QCOMPARE(list.DropLine(), -1);
    QVERIFY(Shot(list).pixelColor(100, 3 * h - 1) != line);
  }

  void emptyListShowsStripesAndNoDropLine() {
    CListCtrlEx list;
    TextCells cells;
    list.resize(300, 240);
    Fill(list, cells, 0);
    list.SetDropLine(0);
    list.show();
    const QImage img = Shot(list);
    const int h = list.RowHeight();
    QCOMPARE(SlotColor(list, img, 0), QColor(0xF0, 0xF0, 0xFF));
    QCOMPARE(SlotColor(list, img, 1), list.palette().color(QPalette::Base));
    QVERIFY(img.pixelColor(100, h - 1) != list.palette().color(QPalette::Active, QPalette::Highlight));
  }

  void firstColumnCannotBeResized() {
    CListCtrlEx list;
    TextCells cells;
    Fill(list, cells, 1);
    QCOMPARE(list.horizontalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
    QCOMPARE(list.horizontalHeader()->sectionResizeMode(1), QHeaderView::Interactive);
    list.resize(500, 300);
    list.show();
    QCOMPARE(list.GetColumnWidth(0), 0);
    // A new column set keeps the rule.
    list.SetColumns({{QString(), LISTALIGN_LEFT}, {QStringLiteral("A"), LISTALIGN_RIGHT}, {QStringLiteral("B"), 0}});
    QCOMPARE(list.horizontalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
    QCOMPARE(list.horizontalHeader()->sectionResizeMode(2), QHeaderView::Interactive);
    QCOMPARE(list.ColumnTitle(1), QStringLiteral("A"));
    QCOMPARE(list.GetColumnAlign(1), int(LISTALIGN_RIGHT));
    const int headerAlign = list.model()->headerData(1, Qt::Horizontal, Qt::TextAlignmentRole).toInt();
    QVERIFY(headerAlign & Qt::AlignRight);
  }

  void cellsAreReadWhereTheyAreKept() {
    CListCtrlEx list;
    TextCells cells;
    Fill(list, cells, 1);
    const std::string name("\x83\x65\x83\x58\x83\x67");  // テスト
    cells.rows[0][1] = name;
    QCOMPARE(list.GetItemText(0, 1), QStringLiteral("テスト"));
    QCOMPARE(list.GetItemTextA(0, 1), name);
    cells.rows[0][1] = "A\x81";  // a lead byte without its trail byte: shown, kept as it is
    QCOMPARE(list.GetItemTextA(0, 1), std::string("A\x81"));
    QVERIFY(list.GetItemText(0, 1).startsWith(QLatin1Char('A')));
    QCOMPARE(CellToQString("Plain_ASCII 12"), QStringLiteral("Plain_ASCII 12"));
    // A row the control has not been told about yet is not read.
    cells.rows.push_back({std::string(), "new"});
    QCOMPARE(list.GetItemCount(), 1);
    QCOMPARE(list.GetItemText(1, 1), QString());
    list.RowsInserted(1, 1);
    QCOMPARE(list.GetItemText(1, 1), QStringLiteral("new"));
  }

  // The selection and the focus stay with their rows through every change
  // the owner of the rows reports.
  void selectionFollowsTheRows() {
    CListCtrlEx list;
    TextCells cells;
    Fill(list, cells, 6);  // 0 1 2 3 4 5
    list.SetRowSelected(1, true);
    list.SetRowSelected(4, true);
    list.SetFocusedRow(4);
    // Rows 2 and 3 go.
    cells.rows.erase(cells.rows.begin() + 2, cells.rows.begin() + 4);
    list.RowsRemoved(2, 3);
    QCOMPARE(Texts(list), QStringList({"0", "1", "4", "5"}));
    QCOMPARE(list.GetSelectedRows(), std::vector<int>({1, 2}));
    QCOMPARE(list.GetFocusedRow(), 2);
    // Reversed: order[new] = old.
    std::reverse(cells.rows.begin(), cells.rows.end());
    list.RowsReordered({3, 2, 1, 0});
    QCOMPARE(Texts(list), QStringList({"5", "4", "1", "0"}));
    QCOMPARE(list.GetSelectedRows(), std::vector<int>({1, 2}));
    QCOMPARE(list.GetFocusedRow(), 1);
    // "0" moves before "4".
    std::rotate(cells.rows.begin() + 1, cells.rows.begin() + 3, cells.rows.end());
    QVERIFY(list.RowsMoved(3, 1, 1));
    QCOMPARE(Texts(list), QStringList({"5", "0", "4", "1"}));
    QCOMPARE(list.GetSelectedRows(), std::vector<int>({2, 3}));
    QVERIFY(!list.RowsMoved(1, 2, 2));  // inside the block: no move
    // A cell rewritten in place shows at once; a reset forgets the selection.
    cells.rows[0][1] = "five";
    list.RowsChanged(0, 0);
    QCOMPARE(list.GetItemText(0, 1), QStringLiteral("five"));
    list.ResetRows();
    QVERIFY(!list.HasSelection());
  }

  void selectionHelpers() {
    CListCtrlEx list;
    TextCells cells;
    Fill(list, cells, 5);
    QCOMPARE(list.GetSelectedCount(), 0);
    QVERIFY(!list.HasSelection());
    list.SelectAllRows();
    QCOMPARE(list.GetSelectedCount(), 5);
    list.ClearRowSelection();
    list.SetRowSelected(3, true);
    list.SetRowSelected(1, true);
    QCOMPARE(list.GetSelectedRows(), std::vector<int>({1, 3}));
    list.SelectRows({4, 0, 3});
    QCOMPARE(list.GetSelectedRows(), std::vector<int>({0, 1, 3, 4}));
    CListCtrlEx empty;
    empty.SelectAllRows();
    QCOMPARE(empty.GetSelectedCount(), 0);
  }

  // Home, End, PgUp and PgDn move between rows as in a report list: alone
  // they select the new row only, with Shift the rows from the anchor, with
  // Ctrl they move the focus and leave the selection.
  void keysMoveBetweenRows_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("focus");
    QTest::addColumn<std::vector<int>>("selected");
    // 100 rows, 10 to a page, the focus on row 3 (selected), row 3 at the top.
    QTest::newRow("End") << int(Qt::Key_End) << 0 << 99 << std::vector<int>{99};
    QTest::newRow("Home") << int(Qt::Key_Home) << 0 << 0 << std::vector<int>{0};
    QTest::newRow("Shift+Home") << int(Qt::Key_Home) << int(Qt::ShiftModifier) << 0 << std::vector<int>{0, 1, 2, 3};
    QTest::newRow("Ctrl+End") << int(Qt::Key_End) << int(Qt::ControlModifier) << 99 << std::vector<int>{3};
    QTest::newRow("PgDn") << int(Qt::Key_PageDown) << 0 << 12 << std::vector<int>{12};
    QTest::newRow("PgUp at the top") << int(Qt::Key_PageUp) << 0 << 0 << std::vector<int>{0};
    QTest::newRow("Shift+PgDn") << int(Qt::Key_PageDown) << int(Qt::ShiftModifier) << 12
                                << std::vector<int>{3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  }
  void keysMoveBetweenRows() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, focus);
    QFETCH(std::vector<int>, selected);
    CListCtrlEx list;
    TextCells cells;
    Fill(list, cells, 100);
    list.show();
    list.resize(300, list.RowHeight() * 10 + list.horizontalHeader()->height() + 2 * list.frameWidth());
    QCOMPARE(list.GetCountPerPage(), 10);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, RowCentre(list, 3));
    list.ScrollRows(3);
    QCOMPARE(list.GetTopIndex(), 3);
    QCOMPARE(list.GetSelectedRows(), std::vector<int>{3});
    QTest::keyClick(&list, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(list.GetFocusedRow(), focus);
    QCOMPARE(list.GetSelectedRows(), selected);
  }

  void typedLettersChangeNothing() {
    CListCtrlEx list;
    TextCells cells;
    Fill(list, cells, 20);
    list.resize(300, 200);
    list.show();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, RowCentre(list, 2));
    QTest::keyClicks(&list, QStringLiteral("1"));  // row 1 reads "1"
    QCOMPARE(list.GetSelectedRows(), std::vector<int>{2});
    QCOMPARE(list.GetFocusedRow(), 2);
  }

  void shiftExtendsAlsoWithCtrl() {
    CListCtrlEx list;
    TextCells cells;
    Fill(list, cells, 20);
    list.resize(300, 200);
    list.show();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, RowCentre(list, 2));
    QTest::keyClick(&list, Qt::Key_End, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(list.GetFocusedRow(), 19);
    QCOMPARE(list.GetSelectedCount(), 18);
    QTest::keyClick(&list, Qt::Key_Up, Qt::ShiftModifier);
    QCOMPARE(list.GetSelectedRows().back(), 18);
    QCOMPARE(list.GetSelectedRows().front(), 2);
  }

  // A press on an unselected row selects it alone, and moving on starts the
  // drag with it; a press on a selected row keeps the whole selection.
  void dragStartsFromAnyRow() {
    CListCtrlEx list;
    TextCells cells;
    Fill(list, cells, 8);
    list.resize(300, 240);
    list.show();
    int begun = 0;
    std::vector<int> atBegin;
    connect(&list, &CListCtrlEx::beginDrag, this, [&] {
      ++begun;
      atBegin = list.GetSelectedRows();
    });
    list.SetRowSelected(1, true);
    list.SetRowSelected(2, true);
    QWidget* vp = list.viewport();
    QTest::mousePress(vp, Qt::LeftButton, {}, RowCentre(list, 5));
    QCOMPARE(list.GetSelectedRows(), std::vector<int>{5});
    QTest::mouseMove(vp, RowCentre(list, 5) + QPoint(0, 1));
    QCOMPARE(begun, 0);  // not yet past the drag distance
    QTest::mouseMove(vp, RowCentre(list, 7));
    QCOMPARE(begun, 1);
    QVERIFY(list.IsDragging());
    QCOMPARE(atBegin, std::vector<int>{5});
    QTest::mouseRelease(vp, Qt::LeftButton, {}, RowCentre(list, 7));
    QVERIFY(!list.IsDragging());
    QCOMPARE(list.GetSelectedRows(), std::vector<int>{5});  // moving did not select
    // From a selected row the block stays selected.
    list.SelectRows({2, 3});
    QTest::mousePress(vp, Qt::LeftButton, {}, RowCentre(list, 3));
    QTest::mouseMove(vp, RowCentre(list, 6));
    QCOMPARE(begun, 2);
    QCOMPARE(atBegin, std::vector<int>({2, 3, 5}));
    // A drag refused by the window selects nothing on the way.
    list.CancelDrag();
    QTest::mouseMove(vp, RowCentre(list, 7));
    QTest::mouseRelease(vp, Qt::LeftButton, {}, RowCentre(list, 7));
    QCOMPARE(list.GetSelectedRows(), std::vector<int>({2, 3, 5}));
    // A click without a move on a selected row selects it alone.
    QTest::mouseClick(vp, Qt::LeftButton, {}, RowCentre(list, 3));
    QCOMPARE(list.GetSelectedRows(), std::vector<int>{3});
  }

  void bitCellColoursAndTooltip() {
    CStaticEx cell;
    cell.resize(12, 12);
    cell.show();
    QCOMPARE(cell.FillColor(), 0xFFFFFFu);
    cell.SetColorIndex(5);
    QCOMPARE(cell.grab().toImage().pixelColor(6, 6), QColor(0x00, 0xFF, 0x00));
    QCOMPARE(cell.grab().toImage().pixelColor(0, 0), QColor(Qt::black));  // one-pixel frame
    cell.SetColorIndex(7);                                                // outside the table: colour kept
    QCOMPARE(cell.FillColor(), 0x00FF00u);
    cell.SetColorIndex(0);
    QCOMPARE(cell.grab().toImage().pixelColor(6, 6), QColor(0x60, 0x60, 0x60));
    for (int i = 0; i < CStaticEx::kColorCount; ++i) {
      cell.SetColorIndex(i);
      QCOMPARE(cell.FillColor(), CStaticEx::kColors[i]);
    }
    QVERIFY(!cell.HasToolTip());
    cell.SetToolTip(QStringLiteral("bit 3"));
    cell.SetToolTip(QStringLiteral("bit 4"));
    QCOMPARE(cell.ToolTipText(), QStringLiteral("bit 4"));
    QVERIFY(cell.Lock());
    QVERIFY(!cell.Lock());
    cell.Unlock();
    QVERIFY(cell.Lock());
  }

  void bitCellReportsClicksOnlyWhenAsked() {
    CStaticEx cell;
    cell.resize(12, 12);
    cell.show();
    int clicks = 0;
    connect(&cell, &CStaticEx::clicked, this, [&clicks] { ++clicks; });
    QTest::mouseClick(&cell, Qt::LeftButton);
    QCOMPARE(clicks, 0);
    cell.SetNotify(true);
    QTest::mouseClick(&cell, Qt::LeftButton);
    QCOMPARE(clicks, 1);
  }

  void fontCacheSharesFonts() {
    CFontManager fonts;
    QFont* a = fonts.GetFont("Gothic", 14, 128, FONT_BOLD);
    QVERIFY(a);
    QCOMPARE(fonts.GetFont("Gothic", 14, 128, FONT_BOLD), a);
    QVERIFY(a->bold());
    QFont* u = fonts.GetFont("Gothic", 14, 128, FONT_BOLD | FONT_UNDERLINE);
    QVERIFY(u != a);
    QVERIFY(u->underline());
    QVERIFY(fonts.GetFont("gothic", 14, 128, FONT_BOLD) != a);  // face names compare with case
    QVERIFY(fonts.GetFont("Gothic", 14, 0, FONT_BOLD) != a);
    QVERIFY(fonts.GetFont("Gothic", 14, 128, FONT_BOLD, 900) != a);
    QCOMPARE(fonts.Count(), 5);
    fonts.ReleaseFont(u);
    QCOMPARE(fonts.Count(), 4);
    fonts.ReleaseFont(nullptr);
    QCOMPARE(fonts.Count(), 0);
    QVERIFY(fonts.GetFont("Gothic", 14, 128, FONT_BOLD));
    QCOMPARE(fonts.Count(), 1);
    // A face longer than the name field is cut, and still found again.
    const std::string longFace(40, 'F');
    QFont* f = fonts.GetFont(longFace.c_str(), 10, 0, 0);
    QCOMPARE(fonts.GetFont(std::string(31, 'F').c_str(), 10, 0, 0), f);
  }
};

QTEST_MAIN(ControlsTest)
#include "ControlsTest.moc"
