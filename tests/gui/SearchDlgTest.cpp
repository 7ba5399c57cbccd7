// The search window of a real main window: find next with Enter and the
// button, wrap-around to the start row, nothing found, the list choice, the
// columns searched, and the history with its way through the settings.
#include "ResIds.h"
#include "RoadFixture.h"
#include "SearchDlg.h"
#include "TextFile.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

CSearchDlg& Search(CMainFrame& f) { return *dynamic_cast<CSearchDlg*>(f.SearchWindow()); }

// Types the text and presses Enter in the combo box.
void FindWithEnter(CSearchDlg& dlg, const QString& text) {
  dlg.Combo()->setEditText(text);
  QTest::keyClick(dlg.Combo(), Qt::Key_Return);
}

QStringList DropList(const CComboBoxSearch& combo) {
  QStringList out;
  for (int i = 0; i < combo.count(); ++i) out << combo.itemText(i);
  return out;
}

QStringList WithEmpties(QStringList texts) {
  while (texts.size() < CSearchHistory::kSize) texts << QString();
  return texts;
}

}  // namespace

class SearchDlgTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void findNextGoesOnAndWrapsToItsStartRow() {
    RoadFixture fx;
    CMainFrame& f = fx.Make();
    fx.OpenReference(fx.Write("vehicle.dbc", kVehicleDbc));
    f.OnCommand(ID_EDIT_FIND);
    CSearchDlg& dlg = Search(f);
    QVERIFY(dlg.isVisible());
    QVERIFY(dlg.OkButton()->isDefault());
    QCOMPARE(dlg.OkButton()->text(), QStringLiteral("検索"));
    CListCtrlEx& ref = fx.Ref().List();
    // No row selected: the search begins after row 0; letter case is ignored.
    FindWithEnter(dlg, QStringLiteral("mode"));
    QCOMPARE(ref.GetSelectedRows(), std::vector<int>{2});
    QCOMPARE(ref.GetFocusedRow(), 2);
    QTest::mouseClick(dlg.OkButton(), Qt::LeftButton);
    QCOMPARE(ref.GetSelectedRows(), std::vector<int>{3});
    QVERIFY(fx.sink.shown.empty());
    // Coming back to row 0, where it began: 4013, and row 0 selected again.
    FindWithEnter(dlg, QStringLiteral("mode"));
    QCOMPARE(fx.sink.Ids(), std::vector<int>{4013});
    QCOMPARE(ref.GetSelectedRows(), std::vector<int>{0});
    QCOMPARE(ref.GetFocusedRow(), 0);
    // That ended the search: the same text starts anew from row 0.
    FindWithEnter(dlg, QStringLiteral("mode"));
    QCOMPARE(ref.GetSelectedRows(), std::vector<int>{2});
    QCOMPARE(dlg.Combo()->currentText(), QStringLiteral("mode"));
  }

  void anotherTextStartsANewSearchFromTheSelection() {
    RoadFixture fx;
    CMainFrame& f = fx.Make();
    fx.OpenReference(fx.Write("vehicle.dbc", kVehicleDbc));
    f.OnCommand(ID_EDIT_FIND);
    CSearchDlg& dlg = Search(f);
    CListCtrlEx& ref = fx.Ref().List();
    FindWithEnter(dlg, QStringLiteral("brake"));
    QCOMPARE(ref.GetSelectedRows(), std::vector<int>{4});
    // "769" is in the Id column of rows 4 and 5; the search starts after row 4.
    FindWithEnter(dlg, QStringLiteral("769"));
    QCOMPARE(ref.GetSelectedRows(), std::vector<int>{5});
    QCOMPARE(dlg.Search().StartRow(), 4);
    FindWithEnter(dlg, QStringLiteral("769"));
    QCOMPARE(ref.GetSelectedRows(), std::vector<int>{4});
    QCOMPARE(fx.sink.Ids(), std::vector<int>{4013});
    // Showing the window again forgets the search in progress.
    dlg.hide();
    f.OnCommand(ID_EDIT_FIND);
    QVERIFY(dlg.Search().LastText().empty());
    QCOMPARE(dlg.Search().StartRow(), -1);
  }

  void nothingFoundAndNothingToSearch() {
    RoadFixture fx;
    CMainFrame& f = fx.Make();
    fx.OpenReference(fx.Write("vehicle.dbc", kVehicleDbc));
    f.OnCommand(ID_EDIT_FIND);
    CSearchDlg& dlg = Search(f);
    CListCtrlEx& ref = fx.Ref().List();
    ClickRow(ref, 1);
    // An empty text: 4000, the selection stays.
    FindWithEnter(dlg, QString());
    QCOMPARE(fx.sink.Ids(), std::vector<int>{4000});
    QCOMPARE(ref.GetSelectedRows(), std::vector<int>{1});
    // Not there: 4012 with the text; nothing selected.
    FindWithEnter(dlg, QStringLiteral("wiper"));
    QCOMPARE(fx.sink.Ids(), (std::vector<int>{4000, 4012}));
    QCOMPARE(fx.sink.shown[1].ArgText(0), std::string("wiper"));
    QCOMPARE(ref.GetSelectedCount(), 0);
    QVERIFY(dlg.Search().LastText().empty());
    QCOMPARE(dlg.Combo()->currentText(), QStringLiteral("wiper"));
  }

  void theListToSearchFollowsWhichListsHaveRows() {
    RoadFixture fx;
    CMainFrame& f = fx.Make();
    CSearchDlg& dlg = Search(f);
    // Only the definition list has rows.
    fx.OpenReference(fx.Write("vehicle.dbc", kVehicleDbc));
    ClickRow(fx.Ref().List(), 0);
    ClickRow(fx.Ref().List(), 1, Qt::ShiftModifier);
    fx.Ref().SendCommand(IDC_BTN_ADD_DEFINITION);
    // A file whose only message is the pseudo-message loads as an empty list.
    fx.OpenReference(fx.Write("empty.dbc",
                              "BO_ 3221225472 VECTOR__INDEPENDENT_SIG_MSG: 0 N\n"
                              " SG_ Free : 0|8@1+ (1,0) [0|0] \"\" N\n"));
    fx.sink.shown.clear();
    QCOMPARE(fx.Ref().List().GetItemCount(), 0);
    f.OnCommand(ID_EDIT_FIND);
    QVERIFY(!dlg.Radio(LIST_REFERENCE)->isEnabled());
    QVERIFY(dlg.Radio(LIST_DEFINITION)->isEnabled());
    QVERIFY(dlg.Radio(LIST_DEFINITION)->isChecked());
    QCOMPARE(dlg.ListChoice(), int(LIST_DEFINITION));
    FindWithEnter(dlg, QStringLiteral("temp"));
    QCOMPARE(fx.Def().List().GetSelectedRows(), std::vector<int>{1});
    // Both lists with rows: both radios, the choice kept, a click changes it.
    fx.OpenReference(fx.Path("vehicle.dbc"));
    dlg.hide();
    f.OnCommand(ID_EDIT_FIND);
    QVERIFY(dlg.Radio(LIST_REFERENCE)->isEnabled());
    QCOMPARE(dlg.ListChoice(), int(LIST_DEFINITION));
    QTest::mouseClick(dlg.Radio(LIST_REFERENCE), Qt::LeftButton);
    QCOMPARE(dlg.ListChoice(), int(LIST_REFERENCE));
    // Cancel hides the window.
    QTest::keyClick(dlg.Combo()->lineEdit(), Qt::Key_Escape);
    QVERIFY(!dlg.isVisible());
  }

  void logicSearchesTheNumberAndGroupColumnsOnly() {
    RoadFixture fx;
    CMainFrame& f = fx.Make();
    for (const char* name : {"IDLE", "RUN", "STOP"}) {
      _LOGICSignal* s = fx.doc.AllocLogicSignal();
      CopyToCharBuffer(s->name, name, MAX_LOGIC_NAME_LEN);
      CopyToCharBuffer(s->pattern, "0101", MAX_LOGIC_BITS);
      fx.doc.GetLogicGroup(LIST_DEFINITION, 0)->bitCount = 4;
      fx.doc.AddLogicSignal(LIST_DEFINITION, 0, s);
    }
    f.SetBusMode(BUS_LOGIC);
    QCOMPARE(fx.Def().List().GetItemCount(), 3);
    f.OnCommand(ID_EDIT_FIND);
    CSearchDlg& dlg = Search(f);
    QCOMPARE(dlg.BusKind(), int(BUS_LOGIC));
    // "3" is the No. of the third row; the bit count 4 and the pattern are
    // not searched.
    FindWithEnter(dlg, QStringLiteral("3"));
    QCOMPARE(fx.Def().List().GetSelectedRows(), std::vector<int>{2});
    FindWithEnter(dlg, QStringLiteral("4"));
    QCOMPARE(fx.sink.Ids(), std::vector<int>{4012});
    // The group number 1 is in every row.
    FindWithEnter(dlg, QStringLiteral("1"));
    QCOMPARE(fx.Def().List().GetSelectedRows(), std::vector<int>{1});
  }

  void theHistoryKeepsTwentyTextsMostRecentFirst() {
    RoadFixture fx;
    CMainFrame& f = fx.Make();
    fx.OpenReference(fx.Write("vehicle.dbc", kVehicleDbc));
    f.OnCommand(ID_EDIT_FIND);
    CSearchDlg& dlg = Search(f);
    for (const char* t : {"A", "B", "C"}) FindWithEnter(dlg, QString::fromLatin1(t));
    QCOMPARE(DropList(*dlg.Combo()), WithEmpties({"C", "B", "A"}));
    FindWithEnter(dlg, QStringLiteral("B"));
    QCOMPARE(DropList(*dlg.Combo()), WithEmpties({"B", "C", "A"}));
    // Letter case makes another entry.
    FindWithEnter(dlg, QStringLiteral("b"));
    QCOMPARE(DropList(*dlg.Combo()), WithEmpties({"b", "B", "C", "A"}));
    QStringList expected;
    for (int i = 0; i < 25; ++i) {
      FindWithEnter(dlg, QStringLiteral("t%1").arg(i));
      expected.prepend(QStringLiteral("t%1").arg(i));
    }
    QCOMPARE(DropList(*dlg.Combo()), expected.mid(0, 20));
  }

  void theHistoryGoesThroughTheSettings() {
    RoadFixture fx;
    settings::SetKeyWords(fx.settingsObj, {"first", "second"});
    CMainFrame& f = fx.Make();
    CSearchDlg& dlg = Search(f);
    // The history comes back in the order it was stored.
    QCOMPARE(DropList(*dlg.Combo()), WithEmpties({"first", "second"}));
    fx.OpenReference(fx.Write("vehicle.dbc", kVehicleDbc));
    f.OnCommand(ID_EDIT_FIND);
    // A text outside the code page is kept as '?' and finds nothing.
    FindWithEnter(dlg, QStringLiteral("\u00E9t\u00E9"));
    QCOMPARE(fx.sink.Ids(), std::vector<int>{4012});
    FindWithEnter(dlg, QStringLiteral("エンジン"));
    QVERIFY(f.close());
    std::vector<std::string> words;
    QVERIFY(settings::GetKeyWords(fx.settingsObj, &words));
    const std::string katakana = "\x83\x47\x83\x93\x83\x57\x83\x93";
    QCOMPARE(words, (std::vector<std::string>{katakana, "?t?", "first", "second"}));
  }
};

QTEST_MAIN(SearchDlgTest)
#include "SearchDlgTest.moc"
