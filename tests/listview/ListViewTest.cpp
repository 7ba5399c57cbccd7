// The list windows of a real main window as views over the list logic's
// rows: a drag that starts on an unselected row adds it to the definitions
// or moves it inside them, the keys of a report list, and rows that the
// logic rewrites in place (as the definition dialogs will) showing at once.
#include "ResIds.h"
#include "RoadFixture.h"
#include "SearchDlg.h"
#include "TextFile.h"

namespace {}  // namespace

class ListViewTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void aDragFromAnUnselectedReferenceRowAddsThatRow() {
    RoadFixture fx;
    fx.Make();
    fx.OpenReference(fx.Write("vehicle.dbc", kVehicleDbc));
    CListCtrlEx& ref = fx.Ref().List();
    CListCtrlEx& def = fx.Def().List();
    ClickRow(ref, 1);
    // Row 4 (BrakePressure) is not selected: the press selects it alone and
    // the move drags it.
    DragRows(ref, 4, def.viewport(), QPoint(40, 40));
    QCOMPARE(ref.GetSelectedRows(), std::vector<int>{4});
    QCOMPARE(Column(def, 4), QStringList{"BrakePressure"});
    QCOMPARE(Column(def, 1), QStringList{"1"});
    QVERIFY(!fx.Ref().IsDraggingRows());
    QVERIFY(fx.doc.IsDefModified());
    QVERIFY(fx.sink.shown.empty());
  }

  void aDragFromAnUnselectedDefinitionRowMovesThatRow() {
    RoadFixture fx;
    fx.Make(1000, 700);
    FillDefinitions(fx, 5);
    CListCtrlEx& def = fx.Def().List();
    ClickRow(def, 0);
    // S3 onto the upper half of row 0: it goes to the top, alone.
    DragRows(def, 3, def.viewport(), RowPoint(def, 0));
    QVERIFY(!fx.Def().IsReordering());
    QCOMPARE(Column(def, 4), (QStringList{"S3", "S0", "S1", "S2", "S4"}));
    QCOMPARE(Column(def, 1), (QStringList{"1", "2", "3", "4", "5"}));
    QCOMPARE(def.GetSelectedRows(), std::vector<int>{0});
    QCOMPARE(def.GetFocusedRow(), 0);
    QVERIFY(fx.doc.IsDefModified());
    // The save numbers the signals by the rows the user sees.
    QCOMPARE(fx.Def().Logic()->Rows()[0].Cell(COL_SIGNAL), std::string("S3"));
  }

  void keysOfAReportListEnableTheButtons() {
    RoadFixture fx;
    fx.Make();
    fx.OpenReference(fx.Write("vehicle.dbc", kVehicleDbc));
    CListCtrlEx& ref = fx.Ref().List();
    ref.setFocus();
    QVERIFY(!fx.Ref().IsButtonEnabled(IDC_BTN_ADD_DEFINITION));
    QTest::keyClick(&ref, Qt::Key_End);
    QCOMPARE(ref.GetSelectedRows(), std::vector<int>{5});
    QVERIFY(fx.Ref().IsButtonEnabled(IDC_BTN_ADD_DEFINITION));
    QTest::keyClick(&ref, Qt::Key_Home, Qt::ShiftModifier);
    QCOMPARE(ref.GetSelectedCount(), 6);
    QTest::keyClick(&ref, Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(ref.GetFocusedRow(), 5);
    QCOMPARE(ref.GetSelectedCount(), 6);  // Ctrl moves the focus only
    QTest::keyClick(&ref, Qt::Key_PageUp);
    QCOMPARE(ref.GetSelectedRows(), std::vector<int>{0});
    // A refill by the logic empties the selection, and the buttons follow.
    fx.Ref().Logic()->RefreshList();
    QVERIFY(!ref.HasSelection());
    QVERIFY(!fx.Ref().IsButtonEnabled(IDC_BTN_ADD_DEFINITION));
  }

  // The bus kind is the main frame's: the lists refill with the kind the
  // frame has switched to, and the search reads it from the list searched.
  void aBusSwitchRefillsBothListsWithTheFramesKind() {
    RoadFixture fx;
    CMainFrame& f = fx.Make();
    _LOGICSignal* s = fx.doc.AllocLogicSignal();
    CopyToCharBuffer(s->name, "SYM", MAX_LOGIC_NAME_LEN);
    CopyToCharBuffer(s->pattern, "01", MAX_LOGIC_BITS);
    fx.doc.GetLogicGroup(LIST_REFERENCE, 1)->bitCount = 2;
    fx.doc.AddLogicSignal(LIST_REFERENCE, 1, s);
    f.OnCommand(ID_BUS_LOGIC);
    QCOMPARE(f.BusKind(), int(BUS_LOGIC));
    for (CListDlg* dlg : {static_cast<CListDlg*>(&fx.Ref()), static_cast<CListDlg*>(&fx.Def())}) {
      QCOMPARE(dlg->BusKind(), int(BUS_LOGIC));
      QCOMPARE(dlg->List().GetColumnCount(), 6);
    }
    QCOMPARE(Column(fx.Ref().List(), 2), QStringList{"SYM"});
    QCOMPARE(Column(fx.Ref().List(), 3), QStringList{"2"});
    f.OnCommand(ID_EDIT_FIND);
    QCOMPARE(dynamic_cast<CSearchDlg*>(f.SearchWindow())->BusKind(), int(BUS_LOGIC));
  }

  // What the definition dialogs' row updates will do: rewrite cells of the
  // logic's rows in place and say which. The list shows it, the selection
  // stays, and the search finds the new text.
  void rowsRewrittenInPlaceShowAtOnce() {
    RoadFixture fx;
    CMainFrame& f = fx.Make();
    FillDefinitions(fx, 3);
    CListDlg& dlg = fx.Def();
    CListCtrlEx& def = dlg.List();
    ClickRow(def, 1);
    ListRows& rows = dlg.Logic()->Rows();
    rows[1].SetCell(COL_SIGNAL, "RENAMED");
    dlg.Logic()->NotifyRowsChanged(1, 1);
    QCOMPARE(Column(def, 4), (QStringList{"S0", "RENAMED", "S2"}));
    for (ListRow& row : rows) row.SetCell(COL_ID, "FF");
    dlg.Logic()->NotifyColumnChanged(COL_ID);
    QCOMPARE(Column(def, 3), (QStringList{"FF", "FF", "FF"}));
    QCOMPARE(def.GetSelectedRows(), std::vector<int>{1});
    // Appended rows show and are scrolled to.
    dlg.AppendCanRow(*fx.doc.GetCanMsgTable(LIST_DEFINITION).Find("M"), "S9");
    QCOMPARE(Column(def, 4).last(), QStringLiteral("S9"));
    QCOMPARE(def.GetItemCount(), 4);
    ClickRow(def, 0);
    f.OnCommand(ID_EDIT_FIND);
    auto& search = *dynamic_cast<CSearchDlg*>(f.SearchWindow());
    search.Combo()->setEditText(QStringLiteral("renamed"));
    search.OnOK();
    QCOMPARE(def.GetSelectedRows(), std::vector<int>{1});
  }
};

QTEST_MAIN(ListViewTest)
#include "ListViewTest.moc"
