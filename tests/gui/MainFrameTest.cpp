// The main frame: the splitter's widths, command states, bus kinds, keys,
// the manual, and the close sequence with what it leaves in the settings.
#include "DocFill.h"
#include "FontManager.h"
#include "ListDlg.h"
#include "ListViews.h"
#include "MainFrame.h"
#include "RecordingMessageSink.h"
#include "ResIds.h"
#include "SearchWindow.h"
#include "SettingsBridge.h"
#include "ShellFakes.h"

#include <QAction>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

namespace {

struct FakeSearch : ISearchWindow {
  void SetLists(CListCtrlEx* r, CListCtrlEx* d) override {
    ref = r;
    def = d;
  }
  void PrepareLists() override { ++prepared; }
  void SetBusKind(int kind) override { kinds.push_back(kind); }
  void ShowSearch() override { ++shown; }
  void DestroySearch() override { ++destroyed; }
  CListCtrlEx* ref = nullptr;
  CListCtrlEx* def = nullptr;
  int prepared = 0, shown = 0, destroyed = 0;
  std::vector<int> kinds;
};

class TestFrame : public CMainFrame {
 public:
  using CMainFrame::CMainFrame;
  FakeSearch* search = nullptr;

 protected:
  ISearchWindow* CreateSearchDialog() override {
    search = new FakeSearch;
    return search;
  }
};

// A reference list that counts refreshes.
class CountingRefList : public CRefListDlg {
 public:
  using CRefListDlg::CRefListDlg;
  void RefreshList() override {
    ++refreshes;
    CRefListDlg::RefreshList();
  }
  int refreshes = 0;
};

// A definition list whose save succeeds or not, as the test says.
class ScriptedDefList : public CDefListDlg {
 public:
  using CDefListDlg::CDefListDlg;
  static inline bool saveSucceeds = false;
  static inline int saves = 0;
  void OnBnClickedSave() override {
    ++saves;
    if (saveSucceeds) Document()->SetDefModified(false);
  }
};

// Everything a frame needs, in a temporary folder.
struct Fixture {
  Fixture() : env(dir.path().toStdString()) {
    CRefView::SetFactory([](QWidget* p) { return new CountingRefList(p); });
    CDefView::SetFactory([](QWidget* p) { return new ScriptedDefList(p); });
    ScriptedDefList::saveSucceeds = false;
    ScriptedDefList::saves = 0;
    settingsObj = settings::Create(dir.path().toStdString());
  }
  ~Fixture() {
    frame.reset();
    settings::Destroy(settingsObj);
    CRefView::SetFactory(nullptr);
    CDefView::SetFactory(nullptr);
  }
  TestFrame& Make() {
    frame = std::make_unique<TestFrame>(&doc, &fonts, settingsObj);
    if (!frame->Create()) qFatal("frame not created");
    frame->resize(1000, 600);
    frame->show();
    if (!QTest::qWaitForWindowExposed(frame.get())) qWarning("frame not exposed");
    return *frame;
  }
  CountingRefList* Ref() { return static_cast<CountingRefList*>(frame->RefList()); }
  QTemporaryDir dir;
  FakeAppEnvironment env;
  FakeDesktop desktop;
  RecordingMessageSink sink;
  CVestrelDoc doc;
  CFontManager fonts;
  CAppSettings* settingsObj = nullptr;
  std::unique_ptr<TestFrame> frame;
};

int LeftPane(CMainFrame& f) { return f.Splitter()->sizes().value(0); }
int ExpectedLeft(CMainFrame& f) { return SplitPaneWidths(f.Splitter()->width(), f.Splitter()->handleWidth()).left; }

}  // namespace

class MainFrameTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void splitterKeepsTheFormulaAfterADragAndAResize() {
    Fixture fx;
    TestFrame& f = fx.Make();
    for (int width : {1000, 1001, 777, 778}) {
      f.resize(width, 600);
      QTRY_COMPARE(f.width(), width);
      QTRY_COMPARE(LeftPane(f), ExpectedLeft(f));
    }
    f.Splitter()->setSizes({120, f.Splitter()->width() - 120});  // the user drags the bar
    QVERIFY(qAbs(LeftPane(f) - 120) <= 2);
    f.resize(905, 620);
    QTRY_COMPARE(f.width(), 905);
    QTRY_COMPARE(LeftPane(f), ExpectedLeft(f));
    QVERIFY(qAbs(LeftPane(f) - f.Splitter()->sizes().value(1)) <= 5);
  }

  void commandStatesFollowTheLists() {
    Fixture fx;
    _CANMsg* m = AddCan(fx.doc, LIST_REFERENCE, "M", 1);
    AddCanSig(fx.doc, m, "S", 0);
    TestFrame& f = fx.Make();
    QVERIFY(f.IsCommandEnabled(ID_EDIT_FIND));
    QVERIFY(f.IsCommandEnabled(ID_EDIT_SELECT_ALL));
    QVERIFY(!f.IsCommandEnabled(ID_FILE_MRU_FIRST));
    QVERIFY(f.IsCommandEnabled(ID_FILE_SAVE_DEFINITIONS));
    QVERIFY(!f.IsCommandEnabled(ID_EDIT_SHOW_DEFINITION));
    QVERIFY(!f.IsCommandEnabled(ID_EDIT_ADD_DEFINITION));
    QVERIFY(!f.IsCommandEnabled(ID_EDIT_EDIT_DEFINITION));
    QVERIFY(!f.IsCommandEnabled(ID_EDIT_DELETE_DEFINITION));
    f.RefList()->List().SetRowSelected(0, true);
    QVERIFY(f.IsCommandEnabled(ID_EDIT_SHOW_DEFINITION));
    QVERIFY(f.IsCommandEnabled(ID_EDIT_ADD_DEFINITION));
    for (QAction* a : f.Actions(ID_EDIT_ADD_DEFINITION)) QVERIFY(a->isEnabled());
    f.DefList()->Button(IDC_BTN_SAVE)->setEnabled(false);
    QVERIFY(!f.IsCommandEnabled(ID_FILE_SAVE_DEFINITIONS));
    for (QAction* a : f.Actions(ID_FILE_SAVE_DEFINITIONS)) QVERIFY(!a->isEnabled());
    // Switching to a bus kind without rows empties both lists.
    f.OnCommand(ID_BUS_LIN);
    QVERIFY(!f.IsCommandEnabled(ID_EDIT_FIND));
    QVERIFY(!f.IsCommandEnabled(ID_EDIT_SELECT_ALL));
    for (QAction* a : f.Actions(ID_EDIT_FIND)) QVERIFY(!a->isEnabled());
  }

  void busCommandsCheckAndRefreshOnlyOnChange() {
    Fixture fx;
    TestFrame& f = fx.Make();
    QCOMPARE(f.BusKind(), int(BUS_CAN));
    QVERIFY(f.IsCommandChecked(ID_BUS_CAN));
    const int before = fx.Ref()->refreshes;
    f.OnCommand(ID_BUS_CAN);  // the current kind again
    QCOMPARE(fx.Ref()->refreshes, before);
    f.OnCommand(ID_BUS_FLEXRAY);
    QCOMPARE(fx.Ref()->refreshes, before + 1);
    QCOMPARE(f.BusKind(), int(BUS_FLEXRAY));
    QCOMPARE(f.RefList()->BusKind(), int(BUS_FLEXRAY));
    QCOMPARE(f.DefList()->BusKind(), int(BUS_FLEXRAY));
    QVERIFY(f.IsCommandChecked(ID_BUS_FLEXRAY));
    QVERIFY(!f.IsCommandChecked(ID_BUS_CAN));
    for (QAction* a : f.Actions(ID_BUS_FLEXRAY)) QVERIFY(a->isChecked());
    // The search window hears of every change, shown or not.
    QCOMPARE(f.search->kinds.back(), int(BUS_FLEXRAY));
    QCOMPARE(f.search->shown, 0);
    f.SetBusMode(BUS_LOGIC);
    QCOMPARE(f.BusKind(), int(BUS_LOGIC));
    QCOMPARE(f.search->kinds.back(), int(BUS_LOGIC));
    f.SetBusMode(4);
    f.SetBusMode(-1);
    QCOMPARE(f.BusKind(), int(BUS_LOGIC));
    QCOMPARE(f.RefList()->List().GetColumnCount(), 6);
  }

  void toolbarHoldsTheBusKindsSearchAndManual() {
    Fixture fx;
    TestFrame& f = fx.Make();
    QList<QAction*> acts = f.ToolBar()->actions();
    QCOMPARE(acts.size(), 8);
    const int ids[] = {ID_BUS_FLEXRAY, ID_BUS_CAN, ID_BUS_LIN, ID_BUS_LOGIC, 0, ID_EDIT_FIND, 0, ID_HELP_MANUAL};
    for (int i = 0; i < 8; ++i) {
      if (ids[i] == 0) {
        QVERIFY(acts[i]->isSeparator());
      } else {
        QCOMPARE(acts[i]->data().toInt(), ids[i]);
        QVERIFY(!acts[i]->toolTip().isEmpty());
        QVERIFY(!acts[i]->statusTip().isEmpty());
      }
    }
    QCOMPARE(acts[1]->toolTip(), QStringLiteral("CAN/CAN FD"));
    // The status bar shows the part of the command string before its newline.
    QCOMPARE(acts[1]->statusTip(), QStringLiteral("バスの種類を CAN/CAN FD にします"));
    QVERIFY(f.ToolBar()->isMovable());
    f.OnCommand(ID_VIEW_TOOLBAR);
    QVERIFY(!f.ToolBar()->isVisible());
    QVERIFY(!f.IsCommandChecked(ID_VIEW_TOOLBAR));
  }

  void findShowsTheSearchWindowOnlyWithRows() {
    Fixture fx;
    TestFrame& f = fx.Make();
    QCOMPARE(f.search->ref, &f.RefList()->List());
    QCOMPARE(f.search->def, &f.DefList()->List());
    f.OnShowSearch();
    f.OnCommand(ID_EDIT_FIND);
    QCOMPARE(f.search->shown, 0);
    // Ctrl+F inside a list with no rows does nothing either.
    QTest::keyClick(&f.RefList()->List(), Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(f.search->shown, 0);
    _CANMsg* m = AddCan(fx.doc, LIST_DEFINITION, "M", 1);
    AddCanSig(fx.doc, m, "S", 0);
    f.DefList()->RefreshList();
    f.OnCommand(ID_EDIT_FIND);
    QCOMPARE(f.search->shown, 1);
    QCOMPARE(f.search->prepared, 1);
    f.RefList()->List().setFocus();
    QTest::keyClick(&f.RefList()->List(), Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(f.search->shown, 2);
  }

  void ctrlASelectsTheReferenceRowsOutsideTheDefinitionList() {
    Fixture fx;
    for (int list : {LIST_REFERENCE, LIST_DEFINITION}) {
      _CANMsg* m = AddCan(fx.doc, list, "M", 1);
      AddCanSig(fx.doc, m, "A", 0);
      AddCanSig(fx.doc, m, "B", 1);
    }
    TestFrame& f = fx.Make();
    f.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    // Focus on a button of the definition list: the reference rows.
    QPushButton* open = f.DefList()->Button(IDC_BTN_OPEN);
    open->setFocus();
    QTest::keyClick(open, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(f.RefList()->List().GetSelectedCount(), 2);
    QCOMPARE(f.DefList()->List().GetSelectedCount(), 0);
    // Focus in the definition list: its own rows.
    f.DefList()->List().setFocus();
    QTest::keyClick(&f.DefList()->List(), Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(f.DefList()->List().GetSelectedCount(), 2);
    // The menu command goes by the active pane and the focus.
    f.RefList()->List().ClearRowSelection();
    f.DefList()->List().ClearRowSelection();
    f.OnCommand(ID_EDIT_SELECT_ALL);
    QCOMPARE(f.ActivePane(), 1);
    QCOMPARE(f.DefList()->List().GetSelectedCount(), 2);
    QCOMPARE(f.RefList()->List().GetSelectedCount(), 0);
    open->setFocus();
    f.OnCommand(ID_EDIT_SELECT_ALL);
    QCOMPARE(f.RefList()->List().GetSelectedCount(), 2);
    // F6 moves to the other pane.
    f.OnCommand(ID_NEXT_PANE);
    QCOMPARE(f.ActivePane(), 0);
    QVERIFY(f.RefList()->List().hasFocus());
  }

  void commandsReachTheListButtons() {
    Fixture fx;
    TestFrame& f = fx.Make();
    f.OnCommand(ID_FILE_SAVE_DEFINITIONS);
    QCOMPARE(ScriptedDefList::saves, 1);
    QTest::keyClick(&f, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(ScriptedDefList::saves, 2);
    f.DefList()->Button(IDC_BTN_SAVE)->setEnabled(false);
    QTest::keyClick(&f, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(ScriptedDefList::saves, 2);
  }

  void manualAndWebPages() {
    Fixture fx;
    TestFrame& f = fx.Make();
    fx.desktop.documentResult = false;
    f.OnCommand(ID_HELP_MANUAL);
    QCOMPARE(fx.desktop.documents.back(), fx.dir.path().toStdString() + "/R4417QX-J.pdf");
    QCOMPARE(fx.sink.Ids(), std::vector<int>{IDS_MSG_MANUAL_FAILED});
    fx.desktop.documentResult = true;
    f.OnCommand(ID_HELP_MANUAL);
    QCOMPARE(fx.sink.shown.size(), size_t(1));
    f.OnCommand(ID_HELP_WEB_MAKER);
    f.OnCommand(ID_HELP_WEB_PRODUCT);
    QCOMPARE(fx.desktop.urls.size(), size_t(2));
    QCOMPARE(fx.sink.shown.size(), size_t(1));
  }

  void closeWithoutChangesAsksNothingAndStoresTheSettings() {
    Fixture fx;
    AddCan(fx.doc, LIST_DEFINITION, "NOSIGNALS", 1);  // a message alone asks nothing
    fx.doc.SetDefModified(true);
    fx.doc.SetMsgIdFormat(1);
    TestFrame& f = fx.Make();
    f.OnCommand(ID_BUS_LIN);
    f.setGeometry(40, 50, 900, 500);
    QVERIFY(f.close());
    QVERIFY(fx.sink.shown.empty());
    QCOMPARE(f.search->destroyed, 1);
    QCOMPARE(settings::GetType(fx.settingsObj), int(BUS_LIN));
    QCOMPARE(settings::GetShowCmd(fx.settingsObj), int(CMainFrame::SHOWCMD_NORMAL));
    const settings::Rect r = settings::GetWindowRect(fx.settingsObj);
    QCOMPARE(r.right - r.left, 900);
    QCOMPARE(r.bottom - r.top, 500);
    int fmt = 0;
    std::uint8_t mod = 0;
    settings::GetDocState(fx.settingsObj, &fmt, &mod);
    QCOMPARE(fmt, 1);
  }

  void closeSequenceOutcomes_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("saveSucceeds");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<int>("saves");
    QTest::newRow("No: closes without saving") << int(MSG_NO) << false << true << 0;
    QTest::newRow("Yes and saved: closes") << int(MSG_YES) << true << true << 1;
    QTest::newRow("Yes, save did not happen: stays open") << int(MSG_YES) << false << false << 1;
  }
  void closeSequenceOutcomes() {
    QFETCH(int, answer);
    QFETCH(bool, saveSucceeds);
    QFETCH(bool, closes);
    QFETCH(int, saves);
    Fixture fx;
    _CANMsg* m = AddCan(fx.doc, LIST_DEFINITION, "M", 1);
    AddCanSig(fx.doc, m, "S", 0);
    fx.doc.SetDefModified(true);
    TestFrame& f = fx.Make();
    f.OnCommand(ID_BUS_FLEXRAY);
    ScriptedDefList::saveSucceeds = saveSucceeds;
    fx.sink.answers.push_back(answer);
    QCOMPARE(f.close(), closes);
    QCOMPARE(fx.sink.Ids(), std::vector<int>{IDS_ASK_SAVE_ON_CLOSE});
    QCOMPARE(ScriptedDefList::saves, saves);
    QCOMPARE(f.isVisible(), !closes);
    // Settings change only when the window really closes.
    QCOMPARE(settings::GetType(fx.settingsObj), closes ? int(BUS_FLEXRAY) : 0);
    QCOMPARE(f.search->destroyed, closes ? 1 : 0);
    QCOMPARE(settings::GetWindowRect(fx.settingsObj).IsEmpty(), !closes);
  }

  void placementAndBusKindComeFromTheSettings() {
    Fixture fx;
    QFile file(fx.dir.filePath(QStringLiteral("Default.xml")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(
        "<VestrelSettings>\r\n<Version>1.2</Version>\r\n<Type>3</Type>\r\n<Window>\r\n<Left>30</Left>\r\n"
        "<Top>40</Top>\r\n<Right>830</Right>\r\n<Bottom>640</Bottom>\r\n</Window>\r\n<ShowCmd>1</ShowCmd>\r\n"
        "<MsgIdFrm>1</MsgIdFrm>\r\n</VestrelSettings>\r\n");
    file.close();
    QVERIFY(settings::Load(fx.settingsObj));
    fx.frame = std::make_unique<TestFrame>(&fx.doc, &fx.fonts, fx.settingsObj);
    QVERIFY(fx.frame->Create());
    QCOMPARE(fx.frame->BusKind(), int(BUS_LIN));
    QCOMPARE(fx.frame->RefList()->BusKind(), int(BUS_LIN));
    QCOMPARE(fx.frame->geometry().size(), QSize(800, 600));
  }

  void showStateComesOnlyWithASavedRectangle_data() {
    QTest::addColumn<bool>("withRect");
    QTest::addColumn<int>("showCmd");
    QTest::addColumn<bool>("maximized");
    QTest::newRow("rectangle, maximized") << true << int(CMainFrame::SHOWCMD_MAXIMIZED) << true;
    QTest::newRow("rectangle, normal") << true << int(CMainFrame::SHOWCMD_NORMAL) << false;
    QTest::newRow("no rectangle, maximized") << false << int(CMainFrame::SHOWCMD_MAXIMIZED) << false;
  }
  void showStateComesOnlyWithASavedRectangle() {
    QFETCH(bool, withRect);
    QFETCH(int, showCmd);
    QFETCH(bool, maximized);
    Fixture fx;
    if (withRect) settings::SetWindowRect(fx.settingsObj, settings::Rect{30, 40, 830, 640});
    settings::SetShowCmd(fx.settingsObj, showCmd);
    fx.frame = std::make_unique<TestFrame>(&fx.doc, &fx.fonts, fx.settingsObj);
    QVERIFY(fx.frame->Create());
    fx.frame->ShowAsPlaced();
    QVERIFY(fx.frame->isVisible());
    QCOMPARE(fx.frame->isMaximized(), maximized);
  }

  void busKindOutOfRangeInTheSettingsBecomesCan() {
    Fixture fx;
    settings::SetType(fx.settingsObj, 7);
    TestFrame& f = fx.Make();
    QCOMPARE(f.BusKind(), int(BUS_CAN));
    QCOMPARE(f.RefList()->List().GetColumnCount(), 5);
  }
};

QTEST_MAIN(MainFrameTest)
#include "MainFrameTest.moc"
