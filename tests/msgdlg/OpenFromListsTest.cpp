// Definition dialogs opened from the list windows of a real main window,
// with scripted dialogs in place of the Qt ones: the rows of both list
// controls follow what the dialog did.
#include "DefinitionDialogsQt.h"
#include "DocFill.h"
#include "ResIds.h"
#include "RoadFixture.h"

#include <functional>

namespace {

// Dialogs that answer from the test, installed for the windows while alive.
class ScriptedDialogs : public IDefinitionDialogs {
 public:
  ScriptedDialogs() { SetDefinitionDialogs(this); }
  ~ScriptedDialogs() override { SetDefinitionDialogs(nullptr); }
  DefDialogResult RunCanDialog(const CanDialogRequest& r) override {
    requests.push_back(r);
    return can ? can(r) : DefDialogResult{};
  }
  DefDialogResult RunFlexRayDialog(const FlexRayDialogRequest&) override { return {}; }
  DefDialogResult RunLinDialog(const LinDialogRequest&) override { return {}; }
  DefDialogResult RunLogicDialog(const LogicDialogRequest&) override { return {}; }

  std::function<DefDialogResult(const CanDialogRequest&)> can;
  std::vector<CanDialogRequest> requests;
};

// Engine (256) with Speed and Temp in both lists.
void Fill(RoadFixture& fx) {
  for (int list : {LIST_REFERENCE, LIST_DEFINITION}) {
    _CANMsg* m = AddCan(fx.doc, list, "Engine", 256);
    AddCanSig(fx.doc, m, "Speed", 0);
    AddCanSig(fx.doc, m, "Temp", 1);
  }
  fx.Ref().RefreshList();
  fx.Def().RefreshList();
}

}  // namespace

class OpenFromListsTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void editByDoubleClickRenamesTheRowsAndMarksTheList() {
    RoadFixture fx;
    fx.Make();
    Fill(fx);
    ScriptedDialogs dialogs;
    dialogs.can = [](const CanDialogRequest& r) {
      CopyToCharBuffer(r.msg->name, "Motor", MAX_NAME_LEN);
      CopyToCharBuffer(r.signal->name, "Heat", MAX_NAME_LEN);
      return DefDialogResult{true, true, 0, 0};
    };
    CListCtrlEx& list = fx.Def().List();
    ClickRow(list, 1);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, RowPoint(list, 1));
    QCOMPARE(dialogs.requests.size(), std::size_t{1});
    QCOMPARE(dialogs.requests[0].mode, int(DLGMODE_EDIT));
    // The dialog opens beside the reference list.
    const QPoint refCorner = fx.Ref().mapToGlobal(QPoint(0, 0));
    QCOMPARE(dialogs.requests[0].anchor.left, refCorner.x());
    QCOMPARE(dialogs.requests[0].anchor.top, refCorner.y());
    QCOMPARE(Column(list, COL_MESSAGE), (QStringList{"Motor", "Motor"}));
    QCOMPARE(Column(list, COL_SIGNAL), (QStringList{"Speed", "Heat"}));
    QCOMPARE(list.GetSelectedRows(), std::vector<int>{1});
    QVERIFY(fx.doc.IsDefModified());
    QCOMPARE(Column(fx.Ref().List(), COL_MESSAGE), (QStringList{"Engine", "Engine"}));
  }

  void showDefinitionSwitchesTheIdentifierColumnOfBothLists() {
    RoadFixture fx;
    CMainFrame& f = fx.Make();
    Fill(fx);
    ScriptedDialogs dialogs;
    dialogs.can = [](const CanDialogRequest& r) { return DefDialogResult{true, false, r.hexFlag == 1 ? 0 : 1, 0}; };
    ClickRow(fx.Ref().List(), 0);
    f.OnCommand(ID_EDIT_SHOW_DEFINITION);
    QCOMPARE(dialogs.requests.at(0).mode, int(DLGMODE_VIEW));
    QCOMPARE(Column(fx.Ref().List(), COL_ID), (QStringList{"100", "100"}));
    QCOMPARE(Column(fx.Def().List(), COL_ID), (QStringList{"100", "100"}));
    QCOMPARE(fx.doc.GetMsgIdFormat(), int(IDFMT_HEX));
    QVERIFY(!fx.doc.IsDefModified());
  }

  void newDefinitionAppendsItsRow() {
    RoadFixture fx;
    CMainFrame& f = fx.Make();
    Fill(fx);
    ScriptedDialogs dialogs;
    dialogs.can = [](const CanDialogRequest& r) {
      CopyToCharBuffer(r.msg->name, "Brake", MAX_NAME_LEN);
      r.msg->id = 0x1A0;
      CopyToCharBuffer(r.signal->name, "Pressure", MAX_NAME_LEN);
      return DefDialogResult{true, true, 0, 0};
    };
    f.OnCommand(ID_FILE_NEW_DEFINITION);
    QCOMPARE(Column(fx.Def().List(), COL_MESSAGE), (QStringList{"Engine", "Engine", "Brake"}));
    QCOMPARE(Column(fx.Def().List(), COL_NUMBER), (QStringList{"1", "2", "3"}));
    QVERIFY(fx.doc.IsDefModified());
    QVERIFY(fx.doc.GetCanMsgTable(LIST_DEFINITION).Find("BRAKE") != nullptr);
  }

  void aNewRowBelowTheVisibleRowsIsScrolledIntoView() {
    RoadFixture fx;
    CMainFrame& f = fx.Make(1000, 400);
    _CANMsg* m = AddCan(fx.doc, LIST_DEFINITION, "Engine", 256);
    for (int i = 0; i < 60; ++i) AddCanSig(fx.doc, m, ("S" + std::to_string(i)).c_str(), i);
    fx.Def().RefreshList();
    ScriptedDialogs dialogs;
    dialogs.can = [](const CanDialogRequest& r) {
      CopyToCharBuffer(r.msg->name, "Brake", MAX_NAME_LEN);
      CopyToCharBuffer(r.signal->name, "Pressure", MAX_NAME_LEN);
      return DefDialogResult{true, true, 0, 0};
    };
    f.OnCommand(ID_FILE_NEW_DEFINITION);
    CListCtrlEx& list = fx.Def().List();
    QCOMPARE(list.GetItemCount(), 61);
    const QRect last = list.visualRect(list.model()->index(60, 1));
    QVERIFY(list.viewport()->rect().contains(last.center()));
  }

  // A row whose records are gone shows 4000; nothing opens or changes.
  void aRowWithoutRecordsShowsNoData() {
    RoadFixture fx;
    CMainFrame& f = fx.Make();
    Fill(fx);
    ScriptedDialogs dialogs;
    fx.doc.ClearCanList(LIST_DEFINITION);
    ClickRow(fx.Def().List(), 0);
    f.OnCommand(ID_EDIT_EDIT_DEFINITION);
    QCOMPARE(fx.sink.Ids(), std::vector<int>{IDS_MSG_NO_DATA});
    QVERIFY(dialogs.requests.empty());
    QVERIFY(!fx.doc.IsDefModified());
  }

  // Without a dialog of its own a bus kind's run ends as a Cancel: nothing
  // changes and the fresh records go back.
  void withoutScriptedDialogsNothingChanges() {
    RoadFixture fx;
    CMainFrame& f = fx.Make();
    Fill(fx);
    f.OnCommand(ID_FILE_NEW_DEFINITION);
    QCOMPARE(fx.Def().List().GetItemCount(), 2);
    QVERIFY(!fx.doc.IsDefModified());
    QCOMPARE(fx.doc.GetPoolCounts().canMsg + 2, fx.doc.GetCreatedCounts().canMsg);
  }
};

QTEST_MAIN(OpenFromListsTest)
#include "OpenFromListsTest.moc"
