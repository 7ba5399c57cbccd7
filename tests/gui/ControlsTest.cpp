// The list control's own painting (stripes, colours, drop line), its fixed
// first column, the bit cell and the font cache.
#include "ColorRef.h"
#include "FontManager.h"
#include "ListCtrlEx.h"
#include "StaticEx.h"

#include <QHeaderView>
#include <QImage>
#include <QTest>

namespace {

// A list of `rows` empty rows with the hidden column and one visible column.
void Fill(CListCtrlEx& list, int rows) {
  list.InsertColumn(0, QString(), LISTALIGN_LEFT, 0);
  list.InsertColumn(1, QStringLiteral("A"), LISTALIGN_LEFT, 150);
  for (int r = 0; r < rows; ++r) list.InsertItem(r);
}

QImage Shot(CListCtrlEx& list) { return list.viewport()->grab().toImage(); }

// The colour in the middle of row slot `slot` (rows and empty area alike).
QColor SlotColor(CListCtrlEx& list, const QImage& img, int slot) {
  const int y = slot * list.RowHeight() + list.RowHeight() / 2;
  return img.pixelColor(100, y);
}

int CompareDescending(std::intptr_t a, std::intptr_t b, std::intptr_t) { return static_cast<int>(b - a); }
int CompareByTens(std::intptr_t a, std::intptr_t b, std::intptr_t) { return static_cast<int>(a / 10 - b / 10); }

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
    list.resize(300, 240);
    Fill(list, 3);
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
    list.resize(300, 240);
    Fill(list, 2);
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
    list.resize(300, 240);
    Fill(list, 4);
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
    list.resize(300, 240);
    Fill(list, 3);
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
    list.resize(300, 240);
    Fill(list, 0);
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
    Fill(list, 1);
    QCOMPARE(list.horizontalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
    QCOMPARE(list.horizontalHeader()->sectionResizeMode(1), QHeaderView::Interactive);
    list.resize(500, 300);
    list.show();
    QCOMPARE(list.GetColumnWidth(0), 0);
    // Taking a column away keeps the rule for the new first column.
    list.InsertColumn(0, QString(), LISTALIGN_LEFT, 0);
    list.DeleteColumn(0);
    QCOMPARE(list.horizontalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
  }

  void sortIsStableAndKeepsSelection() {
    CListCtrlEx list;
    Fill(list, 4);
    const std::intptr_t data[] = {11, 25, 12, 21};
    for (int r = 0; r < 4; ++r) {
      list.SetItemData(r, data[r]);
      list.SetItemText(r, 1, QString::number(data[r]));
    }
    list.SetRowSelected(2, true);
    list.SortItems(CompareByTens, 0);
    QCOMPARE(list.GetItemText(0, 1), QStringLiteral("11"));
    QCOMPARE(list.GetItemText(1, 1), QStringLiteral("12"));  // equal tens keep their order
    QCOMPARE(list.GetItemText(2, 1), QStringLiteral("25"));
    QCOMPARE(list.GetItemText(3, 1), QStringLiteral("21"));
    QCOMPARE(list.GetSelectedRows(), std::vector<int>{1});
    list.SortItems(CompareDescending, 0);
    QCOMPARE(list.GetItemData(0), std::intptr_t(25));
  }

  void cellsKeepTheirCodePageBytes() {
    CListCtrlEx list;
    Fill(list, 1);
    const std::string name("\x83\x65\x83\x58\x83\x67");  // テスト
    list.SetItemTextA(0, 1, name);
    QCOMPARE(list.GetItemText(0, 1), QStringLiteral("テスト"));
    QCOMPARE(list.GetItemTextA(0, 1), name);
    const std::string broken("A\x81");  // a lead byte without its trail byte
    list.SetItemTextA(0, 1, broken);
    QCOMPARE(list.GetItemTextA(0, 1), broken);
    list.SetItemText(0, 1, QStringLiteral("テスト"));
    QCOMPARE(list.GetItemTextA(0, 1), name);
  }

  void selectionHelpers() {
    CListCtrlEx list;
    Fill(list, 5);
    QCOMPARE(list.GetSelectedCount(), 0);
    QCOMPARE(list.GetNextSelected(-1), -1);
    list.SelectAllRows();
    QCOMPARE(list.GetSelectedCount(), 5);
    list.ClearRowSelection();
    list.SetRowSelected(3, true);
    list.SetRowSelected(1, true);
    QCOMPARE(list.GetNextSelected(-1), 1);
    QCOMPARE(list.GetNextSelected(1), 3);
    QCOMPARE(list.GetNextSelected(3), -1);
    CListCtrlEx empty;
    empty.SelectAllRows();
    QCOMPARE(empty.GetSelectedCount(), 0);
  }

  void bitCellColoursAndTooltip() {
    CStaticEx cell;
    cell.resize(12, 12);
    cell.show();
    QCOMPARE(cell.FillColor(), 0xFFFFFFu);
    cell.SetColorIndex(5);
    QCOMPARE(cell.grab().toImage().pixelColor(6, 6), QColor(0x00, 0xFF, 0x00));
    QCOMPARE(cell.grab().toImage().pixelColor(0, 0), QColor(Qt::black));  // one-pixel frame
    cell.SetColorIndex(7);  // outside the table: colour kept
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
