// The list windows driven as a user drives them, in a real main window:
// opening and dropping reference files, adding rows by button and by drag,
// deleting by button and key, sorting by header clicks, reordering by drag,
// opening definition files, New at the row limit, and closing with a save.
#include "ResIds.h"
#include "Resources.h"
#include "ModalCanceller.h"
#include "RoadFixture.h"
#include "TextFile.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace {

// Drops files onto a list window as the desktop would.
void DropFiles(QWidget* target, const std::vector<std::string>& paths) {
  QMimeData data;
  QList<QUrl> urls;
  for (const std::string& p : paths) urls << QUrl::fromLocalFile(QString::fromStdString(p));
  data.setUrls(urls);
  // The toolkit delivers a drop only to where the drag entered.
  QDragEnterEvent enter(QPoint(20, 80), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  QDropEvent drop(QPointF(20, 80), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &drop);
}

QString Filters(std::initializer_list<int> ids) {
  QString text;
  for (int id : ids) text += vrres::LoadString(id);
  return text + u'|';
}

}  // namespace

class ListWindowsTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void openReferenceOffersTheFiltersOfTheBusKind_data() {
    QTest::addColumn<int>("bus");
    QTest::addColumn<QString>("filters");
    QTest::newRow("CAN") << int(BUS_CAN) << Filters({IDS_FILTER_CAN_ALL, IDS_FILTER_DBC, IDS_FILTER_SBL});
    QTest::newRow("FlexRay") << int(BUS_FLEXRAY) << Filters({IDS_FILTER_FLEXRAY_ALL, IDS_FILTER_XML, IDS_FILTER_SBL});
    QTest::newRow("LIN") << int(BUS_LIN) << Filters({IDS_FILTER_LIN_ALL, IDS_FILTER_LDF, IDS_FILTER_SBL});
    QTest::newRow("LOGIC") << int(BUS_LOGIC) << Filters({IDS_FILTER_SBL});
  }
  void openReferenceOffersTheFiltersOfTheBusKind() {
    QFETCH(int, bus);
    QFETCH(QString, filters);
    RoadFixture fx;
    CMainFrame& f = fx.Make();
    f.SetBusMode(bus);
    fx.dialogs.answers.push_back(std::string());  // cancelled
    f.OnCommand(ID_FILE_REFERENCE);
    QCOMPARE(fx.dialogs.asked.size(), std::size_t{1});
    QCOMPARE(fx.dialogs.asked[0].filterText, filters);
    QCOMPARE(fx.dialogs.asked[0].filterIndex, 1);
    QCOMPARE(fx.Ref().List().GetItemCount(), 0);
    QVERIFY(fx.sink.shown.empty());
  }

  void bothListsStartWithColumnsAcrossTheirWidth() {
    RoadFixture fx;
    CMainFrame& f = fx.Make(1000, 600);
    for (CListDlg* dlg : {static_cast<CListDlg*>(f.RefList()), static_cast<CListDlg*>(f.DefList())}) {
      const CListCtrlEx& list = dlg->List();
      int sum = 0;
      for (int c = 0; c < list.GetColumnCount(); ++c) sum += list.GetColumnWidth(c);
      QCOMPARE(sum, list.width() - 4);
      QVERIFY(list.GetColumnWidth(2) > 100);
    }
  }

  void openingADbcFillsTheRowsAndSwitchesTheBusKind() {
    RoadFixture fx;
    CMainFrame& f = fx.Make();
    f.SetBusMode(BUS_LIN);
    const std::string path = fx.Write("vehicle.dbc", kVehicleDbc);
    fx.OpenReference(path);
    QVERIFY(fx.sink.shown.empty());
    // The file holds CAN only: the main window and both lists show CAN.
    QCOMPARE(f.BusKind(), int(BUS_CAN));
    QCOMPARE(fx.Ref().BusKind(), int(BUS_CAN));
    QCOMPARE(fx.Def().BusKind(), int(BUS_CAN));
    const CListCtrlEx& list = fx.Ref().List();
    QCOMPARE(Column(list, 4),
             (QStringList{"EngineSpeed", "CoolantTemp", "Mode", "ModeValue", "BrakePressure", "BrakeSwitch"}));
    QCOMPARE(Column(list, 3), (QStringList{"256", "256", "256", "256", "769", "769"}));
    QCOMPARE(Column(list, 1), (QStringList{"1", "2", "3", "4", "5", "6"}));
    QCOMPARE(fx.Ref().findChild<QLabel*>(QStringLiteral("fileName"))->text(), QStringLiteral("vehicle.dbc"));
    QCOMPARE(fx.Ref().FilePath(), path);

    // Opening again starts in the file's folder with its name.
    fx.dialogs.answers.push_back(std::string());
    f.OnCommand(ID_FILE_REFERENCE);
    QCOMPARE(QString::fromStdString(fx.dialogs.asked.back().folder), fx.dir.path());
    QCOMPARE(fx.dialogs.asked.back().fileName, std::string("vehicle.dbc"));
  }

  void aFailedLoadShowsItsMessageAndKeepsTheList() {
    RoadFixture fx;
    fx.Make();
    const std::string vehicle = fx.Write("vehicle.dbc", kVehicleDbc);
    fx.OpenReference(vehicle);
    QCOMPARE(fx.Ref().List().GetItemCount(), 6);
    fx.OpenReference(fx.Write("empty.dbc", "VERSION \"\"\n"));
    QCOMPARE(fx.sink.Ids(), std::vector<int>{4006});
    QCOMPARE(fx.Ref().List().GetItemCount(), 6);
    QCOMPARE(fx.Ref().FilePath(), vehicle);
    QCOMPARE(fx.Ref().findChild<QLabel*>(QStringLiteral("fileName"))->text(), QStringLiteral("vehicle.dbc"));
  }

  void dropOfOneLoadableFileLoadsIt() {
    RoadFixture fx;
    fx.Make();
    const std::string dbc = fx.Write("vehicle.dbc", kVehicleDbc);
    const std::string txt = fx.Write("notes.txt", "hello");
    DropFiles(&fx.Ref(), {dbc, dbc});  // two files: nothing
    DropFiles(&fx.Ref(), {txt});       // not loadable: nothing
    QCOMPARE(fx.Ref().List().GetItemCount(), 0);
    QVERIFY(fx.sink.shown.empty());
    DropFiles(&fx.Ref(), {dbc});
    QCOMPARE(fx.Ref().List().GetItemCount(), 6);
    // The definition list takes only ".sbl" files.
    DropFiles(&fx.Def(), {dbc});
    QCOMPARE(fx.Def().List().GetItemCount(), 0);
    QVERIFY(fx.sink.shown.empty());
  }

  void selectedRowsAreAddedByTheButtonAndRefusedTheSecondTime() {
    RoadFixture fx;
    CMainFrame& f = fx.Make();
    fx.OpenReference(fx.Write("vehicle.dbc", kVehicleDbc));
    CListCtrlEx& ref = fx.Ref().List();
    QVERIFY(!fx.Ref().IsButtonEnabled(IDC_BTN_ADD_DEFINITION));
    QVERIFY(!f.IsCommandEnabled(ID_EDIT_ADD_DEFINITION));
    ClickRow(ref, 0);
    ClickRow(ref, 2, Qt::ControlModifier);
    QCOMPARE(ref.GetSelectedRows(), (std::vector<int>{0, 2}));
    QVERIFY(fx.Ref().IsButtonEnabled(IDC_BTN_ADD_DEFINITION));
    QVERIFY(f.IsCommandEnabled(ID_EDIT_ADD_DEFINITION));
    QTest::mouseClick(fx.Ref().Button(IDC_BTN_ADD_DEFINITION), Qt::LeftButton);
    const CListCtrlEx& def = fx.Def().List();
    QCOMPARE(Column(def, 4), (QStringList{"EngineSpeed", "Mode"}));
    QCOMPARE(Column(def, 1), (QStringList{"1", "2"}));
    QVERIFY(fx.doc.IsDefModified());
    QCOMPARE(fx.Def().findChild<QLabel*>(QStringLiteral("fileName"))->text(), QStringLiteral("*"));
    // The reference selection stays; the same rows again are refused.
    QCOMPARE(ref.GetSelectedRows(), (std::vector<int>{0, 2}));
    f.OnCommand(ID_EDIT_ADD_DEFINITION);
    QCOMPARE(fx.sink.Ids(), std::vector<int>{4033});
    QCOMPARE(fx.sink.shown[0].ArgText(0), std::string("EngineData"));
    QCOMPARE(fx.sink.shown[0].ArgText(1), std::string("EngineSpeed"));
    QCOMPARE(def.GetItemCount(), 2);
  }

  void aClickOnASelectedRowSelectsItAloneAndAnchorsShiftClicks() {
    RoadFixture fx;
    fx.Make();
    fx.OpenReference(fx.Write("vehicle.dbc", kVehicleDbc));
    CListCtrlEx& ref = fx.Ref().List();
    ClickRow(ref, 0);
    ClickRow(ref, 4, Qt::ShiftModifier);
    QCOMPARE(ref.GetSelectedCount(), 5);
    // The press keeps the block (it may become a drag); the release without
    // a drag leaves row 2 alone, and the next shift-click extends from it.
    ClickRow(ref, 2);
    QCOMPARE(ref.GetSelectedRows(), std::vector<int>{2});
    ClickRow(ref, 3, Qt::ShiftModifier);
    QCOMPARE(ref.GetSelectedRows(), (std::vector<int>{2, 3}));
    QCOMPARE(ref.GetFocusedRow(), 3);
  }

  void aRefusalKeepsWhatWasAddedBeforeIt() {
    RoadFixture fx;
    fx.Make();
    fx.OpenReference(fx.Write("vehicle.dbc", kVehicleDbc));
    CListCtrlEx& ref = fx.Ref().List();
    // BrakeSwitch is little endian, BrakePressure big endian: in row order,
    // EngineSpeed is added, BrakePressure refused with 4027, and BrakeSwitch
    // (which would give 4033) is not looked at.
    ClickRow(ref, 5);
    fx.Ref().SendCommand(IDC_BTN_ADD_DEFINITION);
    fx.doc.SetDefModified(false);
    ClickRow(ref, 5);
    ClickRow(ref, 4, Qt::ControlModifier);
    ClickRow(ref, 0, Qt::ControlModifier);
    fx.Ref().SendCommand(IDC_BTN_ADD_DEFINITION);
    QCOMPARE(fx.sink.Ids(), std::vector<int>{4027});
    QCOMPARE(fx.sink.shown[0].ArgText(0), std::string("BrakeStatus"));
    QCOMPARE(fx.sink.shown[0].ArgText(1), std::string("BrakePressure"));
    QCOMPARE(Column(fx.Def().List(), 4), (QStringList{"BrakeSwitch", "EngineSpeed"}));
    QVERIFY(fx.doc.IsDefModified());
  }

  void rowsAddedBeforeARefusalShowBeforeItsMessage() {
    RoadFixture fx;
    fx.Make();
    fx.OpenReference(fx.Write("vehicle.dbc", kVehicleDbc));
    CListCtrlEx& ref = fx.Ref().List();
    // Notes how many rows the definition list shows as each message comes up.
    struct RowsAtMessage : RecordingMessageSink {
      explicit RowsAtMessage(const CListCtrlEx& defList) : list(defList) {}
      int Show(int id, const std::vector<MsgArg>& args, MsgButtons buttons, MsgIcon icon) override {
        rows.push_back(list.GetItemCount());
        return RecordingMessageSink::Show(id, args, buttons, icon);
      }
      const CListCtrlEx& list;
      std::vector<int> rows;
    } sink(fx.Def().List());
    // Mode first; then EngineSpeed and CoolantTemp are added and Mode is
    // refused with 4033, by which time the definition list shows all three.
    ClickRow(ref, 2);
    fx.Ref().SendCommand(IDC_BTN_ADD_DEFINITION);
    QCOMPARE(fx.Def().List().GetItemCount(), 1);
    ClickRow(ref, 0);
    ClickRow(ref, 2, Qt::ShiftModifier);
    fx.Ref().SendCommand(IDC_BTN_ADD_DEFINITION);
    QCOMPARE(sink.Ids(), std::vector<int>{4033});
    QCOMPARE(sink.rows, std::vector<int>{3});
    QCOMPARE(Column(fx.Def().List(), 4), (QStringList{"Mode", "EngineSpeed", "CoolantTemp"}));
  }

  void rowsDraggedOntoTheDefinitionListAreAdded() {
    RoadFixture fx;
    fx.Make();
    fx.OpenReference(fx.Write("vehicle.dbc", kVehicleDbc));
    CListCtrlEx& ref = fx.Ref().List();
    CListCtrlEx& def = fx.Def().List();
    ClickRow(ref, 1);
    ClickRow(ref, 3, Qt::ControlModifier);
    // Released over the reference list itself: nothing is added.
    DragRows(ref, 1, ref.viewport(), RowPoint(ref, 5));
    QVERIFY(!fx.Ref().IsDraggingRows());
    QCOMPARE(def.GetItemCount(), 0);
    QCOMPARE(ref.GetSelectedRows(), (std::vector<int>{1, 3}));
    // Released over the definition list: both rows are added.
    DragRows(ref, 3, def.viewport(), QPoint(40, 40));
    QCOMPARE(Column(def, 4), (QStringList{"CoolantTemp", "ModeValue"}));
    QVERIFY(!fx.Ref().IsDraggingRows());
    QVERIFY(fx.Ref().DragImage() == nullptr);
  }

  void dragImageAndCursorShowWhereADropAdds() {
    RoadFixture fx;
    fx.Make();
    fx.OpenReference(fx.Write("vehicle.dbc", kVehicleDbc));
    CListCtrlEx& ref = fx.Ref().List();
    CListCtrlEx& def = fx.Def().List();
    ClickRow(ref, 0);
    QWidget* vp = ref.viewport();
    const QPoint start = RowPoint(ref, 0);
    QTest::mousePress(vp, Qt::LeftButton, {}, start);
    QTest::mouseMove(vp, start + QPoint(0, 20));
    QTest::mouseMove(vp, start + QPoint(0, 30));
    QVERIFY(fx.Ref().IsDraggingRows());
    QVERIFY(fx.Ref().DragImage() != nullptr);
    QVERIFY(!fx.Ref().DragImage()->isVisible());
    QVERIFY(QApplication::overrideCursor());
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::ForbiddenCursor);
    const QPoint overDef = vp->mapFromGlobal(def.viewport()->mapToGlobal(QPoint(30, 30)));
    QTest::mouseMove(vp, overDef);
    QVERIFY(fx.Ref().DragImage()->isVisible());
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::ArrowCursor);
    QCOMPARE(fx.Ref().DragImage()->pos(), def.viewport()->mapToGlobal(QPoint(30, 30)) + QPoint(4, 14));
    // Esc ends the drag without adding.
    QTest::keyClick(&ref, Qt::Key_Escape);
    QVERIFY(!fx.Ref().IsDraggingRows());
    QVERIFY(!QApplication::overrideCursor());
    QTest::mouseRelease(vp, Qt::LeftButton, {}, overDef);
    QCOMPARE(def.GetItemCount(), 0);
  }

  void deleteByButtonAndByKey() {
    RoadFixture fx;
    CMainFrame& f = fx.Make();
    FillDefinitions(fx, 4);
    CListCtrlEx& def = fx.Def().List();
    QVERIFY(!fx.Def().IsButtonEnabled(IDC_BTN_DELETE));
    ClickRow(def, 1);
    QVERIFY(fx.Def().IsButtonEnabled(IDC_BTN_DELETE));
    QVERIFY(fx.Def().IsButtonEnabled(IDC_BTN_EDIT));
    // No keeps everything.
    fx.sink.answers.push_back(MSG_NO);
    QTest::mouseClick(fx.Def().Button(IDC_BTN_DELETE), Qt::LeftButton);
    QCOMPARE(fx.sink.Ids(), std::vector<int>{4102});
    QCOMPARE(def.GetItemCount(), 4);
    QVERIFY(!fx.doc.IsDefModified());
    // Yes deletes the row and its record, renumbers, marks the change.
    QTest::mouseClick(fx.Def().Button(IDC_BTN_DELETE), Qt::LeftButton);
    QCOMPARE(Column(def, 4), (QStringList{"S0", "S2", "S3"}));
    QCOMPARE(Column(def, 1), (QStringList{"1", "2", "3"}));
    QCOMPARE(fx.doc.CountCanSignals(LIST_DEFINITION), 3);
    QVERIFY(fx.doc.IsDefModified());
    QVERIFY(!fx.Def().IsButtonEnabled(IDC_BTN_DELETE));
    QVERIFY(!f.IsCommandEnabled(ID_EDIT_DELETE_DEFINITION));
    QCOMPARE(fx.Def().findChild<QLabel*>(QStringLiteral("fileName"))->text(), QStringLiteral("*"));

    // The Delete key in the focused list; a full stop deletes nothing.
    ClickRow(def, 0);
    ClickRow(def, 2, Qt::ShiftModifier);
    def.setFocus();
    QTest::keyClick(&def, Qt::Key_Period);
    QCOMPARE(def.GetItemCount(), 3);
    // The keypad's Delete key deletes as well.
    ClickRow(def, 2);
    def.setFocus();
    QTest::keyClick(&def, Qt::Key_Delete, Qt::KeypadModifier);
    QCOMPARE(Column(def, 4), (QStringList{"S0", "S2"}));
    ClickRow(def, 0);
    ClickRow(def, 1, Qt::ShiftModifier);
    def.setFocus();
    QTest::keyClick(&def, Qt::Key_Delete);
    QCOMPARE(def.GetItemCount(), 0);
    QCOMPARE(fx.doc.CountCanSignals(LIST_DEFINITION), 0);
    // The last signal took its message with it.
    QCOMPARE(fx.doc.GetCanMsgTable(LIST_DEFINITION).size(), std::size_t{0});
  }

  void headerClicksSortAndTheSelectionTravels() {
    RoadFixture fx;
    fx.Make();
    fx.OpenReference(fx.Write("vehicle.dbc", kVehicleDbc));
    CListCtrlEx& ref = fx.Ref().List();
    ClickRow(ref, 4);     // BrakePressure
    ClickHeader(ref, 1);  // "No." does not sort
    QVERIFY(ref.HeaderIcon(1).isNull());
    QCOMPARE(Column(ref, 4).first(), QStringLiteral("EngineSpeed"));
    ClickHeader(ref, 4);
    QCOMPARE(Column(ref, 4),
             (QStringList{"BrakePressure", "BrakeSwitch", "CoolantTemp", "EngineSpeed", "Mode", "ModeValue"}));
    QCOMPARE(Column(ref, 1), (QStringList{"1", "2", "3", "4", "5", "6"}));
    QCOMPARE(ref.GetSelectedRows(), std::vector<int>{0});
    QVERIFY(!ref.HeaderIcon(4).isNull());
    const QImage up = ref.HeaderIcon(4).pixmap(16, 16).toImage();
    ClickHeader(ref, 4);
    QCOMPARE(Column(ref, 4).first(), QStringLiteral("ModeValue"));
    QCOMPARE(ref.GetSelectedRows(), std::vector<int>{5});
    QVERIFY(ref.HeaderIcon(4).pixmap(16, 16).toImage() != up);
    // The identifier column sorts as numbers; equal ones keep their order.
    ClickHeader(ref, 3);
    QCOMPARE(Column(ref, 3), (QStringList{"256", "256", "256", "256", "769", "769"}));
    QCOMPARE(Column(ref, 4),
             (QStringList{"ModeValue", "Mode", "EngineSpeed", "CoolantTemp", "BrakeSwitch", "BrakePressure"}));
    QVERIFY(ref.HeaderIcon(4).isNull());
    QVERIFY(!fx.doc.IsDefModified());

    // A sort of the definition list marks the definitions changed.
    ClickRow(ref, 0);
    ClickRow(ref, 2, Qt::ShiftModifier);
    fx.Ref().SendCommand(IDC_BTN_ADD_DEFINITION);
    fx.doc.SetDefModified(false);
    fx.Def().UpdateFileName();
    ClickHeader(fx.Def().List(), 4);
    QCOMPARE(Column(fx.Def().List(), 4), (QStringList{"EngineSpeed", "Mode", "ModeValue"}));
    QVERIFY(fx.doc.IsDefModified());
    QCOMPARE(fx.Def().findChild<QLabel*>(QStringLiteral("fileName"))->text(), QStringLiteral("*"));
  }

  void aBlockOfRowsIsReorderedByDrag() {
    RoadFixture fx;
    fx.Make(1000, 700);
    FillDefinitions(fx, 10);
    CListCtrlEx& def = fx.Def().List();
    ClickHeader(def, 4);  // a sort column, forgotten by the move
    QVERIFY(!def.HeaderIcon(4).isNull());
    fx.doc.SetDefModified(false);
    // Rows 3 and 4 (S2, S3) onto the lower half of row 7 (S6).
    ClickRow(def, 2);
    ClickRow(def, 3, Qt::ShiftModifier);
    QWidget* vp = def.viewport();
    QTest::mousePress(vp, Qt::LeftButton, {}, RowPoint(def, 2));
    QTest::mouseMove(vp, RowPoint(def, 2) + QPoint(0, 12));
    QVERIFY(fx.Def().IsReordering());
    QTest::mouseMove(vp, RowPoint(def, 6, true));
    QCOMPARE(def.DropLine(), 7);
    QTest::mouseMove(vp, RowPoint(def, 6));
    QCOMPARE(def.DropLine(), 6);
    QTest::mouseMove(vp, RowPoint(def, 6, true));
    QTest::mouseRelease(vp, Qt::LeftButton, {}, RowPoint(def, 6, true));
    QVERIFY(!fx.Def().IsReordering());
    QCOMPARE(def.DropLine(), -1);
    QCOMPARE(Column(def, 4), (QStringList{"S0", "S1", "S4", "S5", "S6", "S2", "S3", "S7", "S8", "S9"}));
    QCOMPARE(Column(def, 1), (QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}));
    QCOMPARE(def.GetSelectedRows(), (std::vector<int>{5, 6}));
    QCOMPARE(def.GetFocusedRow(), 5);
    QVERIFY(def.HeaderIcon(4).isNull());
    QVERIFY(fx.doc.IsDefModified());
    // The sort column was forgotten: the next click sorts ascending again.
    ClickHeader(def, 4);
    QCOMPARE(Column(def, 4).first(), QStringLiteral("S0"));

    // Released inside its own block: nothing moves.
    ClickRow(def, 2);
    ClickRow(def, 3, Qt::ShiftModifier);
    DragRows(def, 2, vp, RowPoint(def, 4));
    QCOMPARE(Column(def, 4).mid(0, 4), (QStringList{"S0", "S1", "S2", "S3"}));
    // Below the last row: the block goes to the end.
    DragRows(def, 2, vp, QPoint(40, def.GetItemRect(9).bottom() + 30));
    QCOMPARE(Column(def, 4), (QStringList{"S0", "S1", "S4", "S5", "S6", "S7", "S8", "S9", "S2", "S3"}));
    // A selection with a gap starts no drag.
    ClickRow(def, 0);
    ClickRow(def, 2, Qt::ControlModifier);
    QWidget* v = def.viewport();
    QTest::mousePress(v, Qt::LeftButton, {}, RowPoint(def, 0));
    QTest::mouseMove(v, RowPoint(def, 0) + QPoint(0, 30));
    QVERIFY(!fx.Def().IsReordering());
    QTest::mouseRelease(v, Qt::LeftButton, {}, RowPoint(def, 0) + QPoint(0, 30));
  }

  void newAtTheRowLimitIsRefusedAndCancelledEditsChangeNothing() {
    RoadFixture fx;
    CMainFrame& f = fx.Make();
    FillDefinitions(fx, 499);
    ModalCanceller cancel;
    f.OnCommand(ID_FILE_NEW_DEFINITION);
    QCOMPARE(cancel.cancelled, 1);
    QVERIFY(fx.sink.shown.empty());
    QVERIFY(!fx.doc.IsDefModified());
    FillDefinitions(fx, 1, "LAST");
    QCOMPARE(fx.Def().List().GetItemCount(), 500);
    f.OnCommand(ID_FILE_NEW_DEFINITION);
    QCOMPARE(fx.sink.Ids(), std::vector<int>{IDS_TOO_MANY_TO_EDIT});
    QCOMPARE(fx.sink.shown[0].ArgNumber(0), 500);
    // Edit and a double click open the dialog; cancelled, it changes nothing.
    ClickRow(fx.Def().List(), 0);
    QTest::mouseDClick(fx.Def().List().viewport(), Qt::LeftButton, {}, RowPoint(fx.Def().List(), 0));
    f.OnCommand(ID_EDIT_EDIT_DEFINITION);
    QCOMPARE(cancel.cancelled, 3);
    QVERIFY(!fx.doc.IsDefModified());
    QCOMPARE(fx.sink.shown.size(), std::size_t{1});
  }

  void openingDefinitionsAsksWhileModified() {
    RoadFixture fx;
    CMainFrame& f = fx.Make();
    FillDefinitions(fx, 2);
    fx.doc.SetDefModified(true);
    const std::string sbl = fx.Path("saved.sbl");
    // Save what is there, to open it again later.
    fx.dialogs.answers.push_back(sbl);
    f.OnCommand(ID_FILE_SAVE_DEFINITIONS);
    QVERIFY(!fx.doc.IsDefModified());
    QCOMPARE(fx.Def().findChild<QLabel*>(QStringLiteral("fileName"))->text(), QStringLiteral("saved.sbl"));
    fx.sink.shown.clear();

    fx.doc.SetDefModified(true);
    fx.sink.answers.push_back(MSG_NO);
    f.OnCommand(ID_FILE_OPEN_DEFINITIONS);
    QCOMPARE(fx.sink.Ids(), std::vector<int>{4104});
    QVERIFY(fx.dialogs.asked.size() == 1);  // only the save's dialog
    // Yes, then Cancel in the file dialog: everything stays.
    fx.dialogs.answers.push_back(std::string());
    f.OnCommand(ID_FILE_OPEN_DEFINITIONS);
    QCOMPARE(fx.dialogs.asked.back().fileName, std::string("saved.sbl"));
    QVERIFY(fx.doc.IsDefModified());
    QCOMPARE(fx.Def().List().GetItemCount(), 2);
    // Yes, then the file: loaded, not modified.
    fx.dialogs.answers.push_back(sbl);
    f.OnCommand(ID_FILE_OPEN_DEFINITIONS);
    QVERIFY(!fx.doc.IsDefModified());
    QCOMPARE(Column(fx.Def().List(), 4), (QStringList{"S0", "S1"}));
    QCOMPARE(fx.Def().findChild<QLabel*>(QStringLiteral("fileName"))->text(), QStringLiteral("saved.sbl"));
    // A dropped ".sbl" loads the same way.
    DropFiles(&fx.Def(), {sbl});
    QCOMPARE(fx.Def().List().GetItemCount(), 2);
  }

  void closingWithUnsavedDefinitionsStaysOpenUntilTheSaveIsWritten() {
    RoadFixture fx;
    CMainFrame& f = fx.Make();
    FillDefinitions(fx, 1);
    fx.doc.SetDefModified(true);
    // Yes, then Cancel in the save dialog: the window stays.
    fx.dialogs.answers.push_back(std::string());
    QVERIFY(!f.close());
    QCOMPARE(fx.sink.Ids(), std::vector<int>{4103});
    QVERIFY(f.isVisible());
    // Yes, then a file that cannot be written: 4005, the window stays.
    fx.dialogs.answers.push_back(fx.Path("no-such-folder/defs"));
    QVERIFY(!f.close());
    QCOMPARE(fx.sink.Ids(), (std::vector<int>{4103, 4103, 4005}));
    QVERIFY(fx.doc.IsDefModified());
    // Yes, then a file: written, the window closes.
    fx.dialogs.answers.push_back(fx.Path("closing"));
    QVERIFY(f.close());
    QVERIFY(QFile::exists(QString::fromStdString(fx.Path("closing.sbl"))));
    QVERIFY(!fx.doc.IsDefModified());
  }
};

QTEST_MAIN(ListWindowsTest)
#include "ListWindowsTest.moc"
