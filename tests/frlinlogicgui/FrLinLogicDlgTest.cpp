// The FlexRay, LIN and LOGIC dialogs through their windows, headless: a new
// definition typed in and saved, the file opened again, the definition
// edited (by dragging over the grid, by the hexadecimal pattern field) and
// the result read back from the tables.
#include "DefDialogs.h"
#include "DefinitionDialogsQt.h"
#include "EditBIT.h"
#include "EditINT.h"
#include "FlexRayDlg.h"
#include "BitWindowGrid.h"
#include "LinDlg.h"
#include "ListFileDialogs.h"
#include "ListLogic.h"
#include "LogicDlg.h"
#include "ModalSteps.h"
#include "RecordingMessageSink.h"
#include "SampleDefs.h"
#include "StaticEx.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

namespace {

class PathDialogs : public IListFileDialogs {
 public:
  explicit PathDialogs(std::string p) : path(std::move(p)) {}
  bool AskOpenPath(const FileDialogRequest&, std::string& out) override {
    out = path;
    return true;
  }
  bool AskSavePath(const FileDialogRequest&, std::string& out) override {
    out = path;
    return true;
  }
  std::string path;
};

// Runs `open` (which runs a dialog modally) while `act` works in the dialog
// once it is the active window; -1 when `act` never ran or left it open.
int WhileModal(const std::function<int()>& open, const std::function<void(QWidget*)>& act) {
  vrtest::ModalSteps steps({[&act](QDialog& dlg) { act(&dlg); }});
  const int result = open();
  return steps.runs == 1 && steps.leftOpen == 0 ? result : -1;
}

void Type(QWidget* field, const QString& text, bool enter = true) {
  auto* edit = qobject_cast<QLineEdit*>(field);
  if (!edit)
    if (auto* combo = qobject_cast<QComboBox*>(field)) edit = combo->lineEdit();
  QVERIFY(edit);
  edit->setFocus();
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_Backspace);
  QTest::keyClicks(edit, text);
  if (enter) QTest::keyClick(edit, Qt::Key_Return);
}

void ClickOk(CMsgDlg* dlg) { QTest::mouseClick(dlg->GetDlgItem(1), Qt::LeftButton); }

QPoint CellCentre(CBitWindowGrid* grid, int cell) { return grid->Cell(cell)->geometry().center(); }

struct Lists {
  explicit Lists(CVestrelDoc& doc, int bus) : ref(doc), def(doc) {
    ref.SetPartner(&def);
    def.SetPartner(&ref);
    ref.SetBusKind(bus);
    def.SetBusKind(bus);
  }
  CRefListLogic ref;
  CDefListLogic def;
};

}  // namespace

class FrLinLogicDlgTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  RecordingMessageSink sink_;
  std::string Path(const char* name) { return (dir_.path() + QLatin1Char('/') + QLatin1String(name)).toStdString(); }

 private Q_SLOTS:
  void flexRayNewSavedReopenedAndEdited() {
    const std::string path = Path("flexray.sbl");
    {
      CVestrelDoc doc;
      Lists lists(doc, BUS_FLEXRAY);
      CDefinitionDialogsQt dialogs(nullptr);
      int r = WhileModal([&] { return OpenDefinitionDialog(lists.def, dialogs, LIST_DEFINITION, DLGMODE_NEW, {}, {}); },
                         [](QWidget* w) {
                           auto* dlg = qobject_cast<CFlexRayDlg*>(w);
                           QVERIFY(dlg);
                           Type(dlg->GetDlgItem(1012), QStringLiteral("Chassis"));
                           Type(dlg->GetDlgItem(1015), QStringLiteral("3000"));  // clamped to 2047
                           Type(dlg->GetDlgItem(1016), QStringLiteral("300"), false);
                           QCOMPARE(qobject_cast<CEditINT*>(dlg->GetDlgItem(1016))->text(), QStringLiteral("254"));
                           Type(dlg->GetDlgItem(1016), QStringLiteral("8"), false);
                           Type(dlg->GetDlgItem(1031), QStringLiteral("4"), false);
                           Type(dlg->GetDlgItem(1018), QStringLiteral("Speed"));
                           Type(dlg->GetDlgItem(1020), QStringLiteral("8"));
                           Type(dlg->GetDlgItem(1021), QStringLiteral("16"));
                           QCOMPARE(dlg->Grid()->Cell(8)->ColorIndex(), 5);
                           QCOMPARE(dlg->Grid()->Cell(7)->ColorIndex(), 4);
                           ClickOk(dlg);
                         });
      QCOMPARE(r, 1);
      _FlexRayMsg* m = doc.GetFlexRayMsgTable(LIST_DEFINITION).Find("CHASSIS");
      QVERIFY(m);
      QCOMPARE(int(m->slotId), 2047);
      QCOMPARE(int(m->byteCount), 8);
      QCOMPARE(int(m->cycleRepetition), 4);
      QVERIFY(m->signals.Find("SPEED"));
      QCOMPARE(m->signals.Find("SPEED")->bitCount, 16);
      PathDialogs files(path);
      QVERIFY(lists.def.Save(files));
    }
    CVestrelDoc doc;
    Lists lists(doc, BUS_FLEXRAY);
    PathDialogs reopen(path);
    QVERIFY(lists.def.Open(reopen));
    QCOMPARE(lists.def.RowCount(), 1);
    CDefinitionDialogsQt dialogs(nullptr);
    int r = WhileModal([&] { return OpenDefinitionDialog(lists.def, dialogs, LIST_DEFINITION, DLGMODE_EDIT, {0}, {}); },
                       [](QWidget* w) {
                         auto* dlg = qobject_cast<CFlexRayDlg*>(w);
                         QVERIFY(dlg);
                         CBitWindowGrid* grid = dlg->Grid();
                         QCOMPARE(grid->Cell(8)->ColorIndex(), 5);
                         // Drag from bit 12 down to bit 3: the signal takes bits 3 to 12.
                         QTest::mousePress(grid, Qt::LeftButton, {}, CellCentre(grid, 12));
                         QTest::mouseMove(grid, CellCentre(grid, 3));
                         QTest::mouseRelease(grid, Qt::LeftButton, {}, CellCentre(grid, 3));
                         QCOMPARE(qobject_cast<CEditINT*>(dlg->GetDlgItem(1020))->Value(), 3);
                         QCOMPARE(qobject_cast<CEditINT*>(dlg->GetDlgItem(1021))->Value(), 10);
                         QCOMPARE(grid->Cell(3)->ColorIndex(), 5);
                         QCOMPARE(grid->Cell(13)->ColorIndex(), 4);
                         ClickOk(dlg);
                       });
    QCOMPARE(r, 1);
    _FlexRaySignal* s = doc.GetFlexRayMsgTable(LIST_DEFINITION).Find("CHASSIS")->signals.Find("SPEED");
    QCOMPARE(s->startBit, 3);
    QCOMPARE(s->bitCount, 10);
    QVERIFY(sink_.shown.empty());
  }

  void viewModeTakesNoClickAndClosesAtOnce() {
    CVestrelDoc doc;
    Lists lists(doc, BUS_FLEXRAY);
    _FlexRayMsg* m = sample::FlexRay(doc, "Shown", 9, 8, 0, 1, {{"S", 4, 4}});
    // The same frame as a reference row.
    doc.GetFlexRayMsgTable(LIST_DEFINITION).RemoveKey("SHOWN");
    int ok = 0;
    doc.AddFlexRayMsg(m, LIST_REFERENCE, &ok);
    lists.ref.RefreshList();
    CDefinitionDialogsQt dialogs(nullptr);
    int r = WhileModal([&] { return OpenDefinitionDialog(lists.ref, dialogs, LIST_REFERENCE, DLGMODE_VIEW, {0}, {}); },
                       [](QWidget* w) {
                         auto* dlg = qobject_cast<CFlexRayDlg*>(w);
                         QVERIFY(dlg);
                         CBitWindowGrid* grid = dlg->Grid();
                         QTest::mouseClick(grid, Qt::LeftButton, {}, CellCentre(grid, 20));
                         QCOMPARE(grid->Cell(20)->ColorIndex(), 4);
                         QCOMPARE(grid->Cell(4)->ColorIndex(), 5);
                         ClickOk(dlg);
                       });
    QCOMPARE(r, 0);
    QCOMPARE(m->signals.Find("S")->startBit, 4);
    QVERIFY(sink_.shown.empty());
  }

  void linNewSavedReopenedAndEdited() {
    const std::string path = Path("lin.sbl");
    {
      CVestrelDoc doc;
      sample::Lin(doc, "Seat", 12, 2, {{"Pos", 0, 8}});
      Lists lists(doc, BUS_LIN);
      lists.def.RefreshList();
      CDefinitionDialogsQt dialogs(nullptr);
      int r =
          WhileModal([&] { return OpenDefinitionDialog(lists.def, dialogs, LIST_DEFINITION, DLGMODE_NEW, {}, {}); },
                     [this](QWidget* w) {
                       auto* dlg = qobject_cast<CLinDlg*>(w);
                       QVERIFY(dlg);
                       Type(dlg->GetDlgItem(1012), QStringLiteral("Door"));
                       Type(dlg->GetDlgItem(1015), QStringLiteral("64"));
                       QCOMPARE(qobject_cast<QComboBox*>(dlg->GetDlgItem(1015))->currentText(), QStringLiteral("63"));
                       Type(dlg->GetDlgItem(1015), QStringLiteral("12"));
                       Type(dlg->GetDlgItem(1016), QStringLiteral("9"), false);
                       QCOMPARE(qobject_cast<CEditINT*>(dlg->GetDlgItem(1016))->text(), QStringLiteral("8"));
                       Type(dlg->GetDlgItem(1016), QStringLiteral("3"), false);
                       QVERIFY(!dlg->Grid()->Cell(24)->isVisible());
                       QVERIFY(dlg->Grid()->Cell(23)->isVisible());
                       Type(dlg->GetDlgItem(1018), QStringLiteral("Lock"));
                       Type(dlg->GetDlgItem(1020), QStringLiteral("4"));
                       Type(dlg->GetDlgItem(1021), QStringLiteral("4"));
                       ClickOk(dlg);
                       // Identifier 12 is Seat's.
                       QCOMPARE(sink_.Ids(), std::vector<int>{4008});
                       Type(dlg->GetDlgItem(1015), QStringLiteral("13"));
                       ClickOk(dlg);
                     });
      QCOMPARE(r, 1);
      PathDialogs files(path);
      QVERIFY(lists.def.Save(files));
    }
    CVestrelDoc doc;
    Lists lists(doc, BUS_LIN);
    PathDialogs reopen(path);
    QVERIFY(lists.def.Open(reopen));
    int row = -1;
    for (int i = 0; i < lists.def.RowCount(); ++i)
      if (lists.def.Rows()[static_cast<std::size_t>(i)].Cell(COL_MESSAGE) == "Door") row = i;
    QVERIFY(row >= 0);
    CDefinitionDialogsQt dialogs(nullptr);
    int r =
        WhileModal([&] { return OpenDefinitionDialog(lists.def, dialogs, LIST_DEFINITION, DLGMODE_EDIT, {row}, {}); },
                   [](QWidget* w) {
                     auto* dlg = qobject_cast<CLinDlg*>(w);
                     QVERIFY(dlg);
                     QCOMPARE(dlg->Grid()->Cell(4)->ColorIndex(), 5);
                     Type(dlg->GetDlgItem(1012), QStringLiteral("FrontDoor"));
                     Type(dlg->GetDlgItem(1021), QStringLiteral("8"));
                     ClickOk(dlg);
                   });
    QCOMPARE(r, 1);
    _LINMsg* m = doc.GetLinMsgTable(LIST_DEFINITION).Find("FRONTDOOR");
    QVERIFY(m);
    QCOMPARE(int(m->id), 13);
    QCOMPARE(m->signals.Find("LOCK")->bitCount, 8);
    QCOMPARE(lists.def.Rows()[static_cast<std::size_t>(row)].Cell(COL_MESSAGE), std::string("FrontDoor"));
  }

  void logicNewSavedReopenedAndEdited() {
    const std::string path = Path("logic.sbl");
    {
      CVestrelDoc doc;
      Lists lists(doc, BUS_LOGIC);
      CDefinitionDialogsQt dialogs(nullptr);
      int r = WhileModal([&] { return OpenDefinitionDialog(lists.def, dialogs, LIST_DEFINITION, DLGMODE_NEW, {}, {}); },
                         [](QWidget* w) {
                           auto* dlg = qobject_cast<CLogicDlg*>(w);
                           QVERIFY(dlg);
                           Type(dlg->GetDlgItem(1012), QStringLiteral("Sym"));
                           auto* group = qobject_cast<QComboBox*>(dlg->GetDlgItem(1024));
                           group->setFocus();
                           QTest::keyClick(group, Qt::Key_Down);
                           QCOMPARE(group->currentIndex(), 1);
                           Type(dlg->GetDlgItem(1016), QStringLiteral("6"));
                           Type(dlg->GetDlgItem(1025), QStringLiteral("1x0101"));
                           QCOMPARE(qobject_cast<CEditBIT*>(dlg->GetDlgItem(1014))->text(), QStringLiteral("$5"));
                           ClickOk(dlg);
                         });
      QCOMPARE(r, 1);
      const _LOGICGroup* g = doc.GetLogicGroup(LIST_DEFINITION, 1);
      QCOMPARE(int(g->bitCount), 6);
      QCOMPARE(std::string(g->symbols.Find("SYM")->pattern), std::string("1X0101"));
      PathDialogs files(path);
      QVERIFY(lists.def.Save(files));
    }
    CVestrelDoc doc;
    Lists lists(doc, BUS_LOGIC);
    PathDialogs reopen(path);
    QVERIFY(lists.def.Open(reopen));
    QCOMPARE(lists.def.RowCount(), 1);
    CDefinitionDialogsQt dialogs(nullptr);
    int r = WhileModal([&] { return OpenDefinitionDialog(lists.def, dialogs, LIST_DEFINITION, DLGMODE_EDIT, {0}, {}); },
                       [](QWidget* w) {
                         auto* dlg = qobject_cast<CLogicDlg*>(w);
                         QVERIFY(dlg);
                         Type(dlg->GetDlgItem(1014), QStringLiteral("F5"));
                         QCOMPARE(qobject_cast<CEditBIT*>(dlg->GetDlgItem(1025))->text(), QStringLiteral("110101"));
                         ClickOk(dlg);
                       });
    QCOMPARE(r, 1);
    QCOMPARE(std::string(doc.GetLogicGroup(LIST_DEFINITION, 1)->symbols.Find("SYM")->pattern), std::string("110101"));
    QCOMPARE(lists.def.Rows()[0].Cell(COL_PATTERN), std::string("110101"));
  }
};

QTEST_MAIN(FrLinLogicDlgTest)
#include "FrLinLogicDlgTest.moc"
