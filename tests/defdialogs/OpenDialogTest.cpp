// The lists' opener of the definition dialogs, with dialogs that answer from
// a script: which records a row stands for, what happens to fresh records,
// renamed records and the rows of both lists after OK or Cancel.
#include "DocFixture.h"
#include "DefDialogs.h"
#include "ListLogic.h"
#include "ListTestUtil.h"
#include "RecordingMessageSink.h"

#include <gtest/gtest.h>

#include <functional>

using namespace listtest;

namespace {

// Dialogs whose run is a test's function; every request is kept.
class ScriptedDefDialogs : public IDefinitionDialogs {
 public:
  std::function<DefDialogResult(const CanDialogRequest&)> can;
  std::function<DefDialogResult(const FlexRayDialogRequest&)> flexRay;
  std::function<DefDialogResult(const LinDialogRequest&)> lin;
  std::function<DefDialogResult(const LogicDialogRequest&)> logic;
  std::vector<CanDialogRequest> canRuns;
  std::vector<FlexRayDialogRequest> flexRayRuns;
  std::vector<LinDialogRequest> linRuns;
  int logicRuns = 0;
  int Runs() const { return static_cast<int>(canRuns.size() + flexRayRuns.size() + linRuns.size()) + logicRuns; }

  DefDialogResult RunCanDialog(const CanDialogRequest& r) override {
    canRuns.push_back(r);
    return can ? can(r) : DefDialogResult{};
  }
  DefDialogResult RunFlexRayDialog(const FlexRayDialogRequest& r) override {
    flexRayRuns.push_back(r);
    return flexRay ? flexRay(r) : DefDialogResult{};
  }
  DefDialogResult RunLinDialog(const LinDialogRequest& r) override {
    linRuns.push_back(r);
    return lin ? lin(r) : DefDialogResult{};
  }
  DefDialogResult RunLogicDialog(const LogicDialogRequest& r) override {
    ++logicRuns;
    return logic ? logic(r) : DefDialogResult{};
  }
};

DefDialogResult Ok(bool modified, int hexFlag = 0, int group = 0) { return {true, modified, hexFlag, group}; }

class OpenDialogTest : public vrtest::DocTest {
 protected:
  OpenDialogTest() {
    ref.SetPartner(&def);
    def.SetPartner(&ref);
  }
  void Show(int bus) {
    ref.SetBusKind(bus);
    def.SetBusKind(bus);
  }
  std::vector<std::string> Column(const CListLogic& l, int col) const {
    std::vector<std::string> out;
    for (const ListRow& r : l.Rows()) out.push_back(r.Cell(col));
    return out;
  }
  int Open(CListLogic& l, int mode, std::vector<int> selection = {0}) {
    return OpenDefinitionDialog(l, dialogs, l.List(), mode, selection, DefDialogAnchor{100, 50, 600, 400});
  }

  RecordingMessageSink sink;
  CRefListLogic ref{doc};
  CDefListLogic def{doc};
  ScriptedDefDialogs dialogs;
};

TEST_F(OpenDialogTest, NoSelectedRowOpensNothingInViewAndEditMode) {
  _CANMsg* m = AddCanMsg(doc, LIST_DEFINITION, "Engine", 0x100, 8);
  AddCanSig(doc, m, {"Speed"});
  Show(BUS_CAN);
  EXPECT_EQ(Open(def, DLGMODE_EDIT, {}), 0);
  EXPECT_EQ(Open(ref, DLGMODE_VIEW, {}), 0);
  EXPECT_EQ(Open(def, DLGMODE_EDIT, {7}), 0);  // a row that no longer exists
  EXPECT_EQ(dialogs.Runs(), 0);
  EXPECT_TRUE(sink.shown.empty());
}

// A row whose records are gone shows 4000 and opens nothing, for every kind.
TEST_F(OpenDialogTest, RowWithoutRecordsShowsNoData) {
  struct Case {
    int bus;
    int column;  // the cell that is made to name nothing
  };
  const Case cases[] = {{BUS_CAN, COL_MESSAGE}, {BUS_CAN, COL_SIGNAL},   {BUS_FLEXRAY, COL_MESSAGE},
                        {BUS_LIN, COL_SIGNAL},  {BUS_LOGIC, COL_SYMBOL}, {BUS_LOGIC, COL_GROUP}};
  _CANMsg* cm = AddCanMsg(doc, LIST_DEFINITION, "Engine", 0x100, 8);
  AddCanSig(doc, cm, {"Speed"});
  _FlexRayMsg* fm = AddFrMsg(doc, LIST_DEFINITION, "Frame", 5, 8, 0, 1);
  AddFrSig(doc, fm, {"Temp"});
  _LINMsg* lm = AddLinMsg(doc, LIST_DEFINITION, "Door", 3, 2);
  AddLinSig(doc, lm, {"Lock"});
  AddSymbol(doc, LIST_DEFINITION, 1, 4, "Idle", "0101");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bus * 10 + c.column);
    Show(c.bus);
    ASSERT_EQ(def.RowCount(), 1);
    def.Rows()[0].SetCell(c.column, c.column == COL_GROUP ? "5" : "Gone");
    sink.shown.clear();
    EXPECT_EQ(Open(def, DLGMODE_EDIT), 0);
    EXPECT_EQ(sink.Ids(), std::vector<int>{4000});
  }
  EXPECT_EQ(dialogs.Runs(), 0);
}

TEST_F(OpenDialogTest, CancelledNewDefinitionGivesTheFreshRecordsBack) {
  Show(BUS_CAN);
  dialogs.can = [](const CanDialogRequest& r) {
    CopyToCharBuffer(r.msg->name, "Fresh", MAX_NAME_LEN);
    return DefDialogResult{};
  };
  EXPECT_EQ(Open(def, DLGMODE_NEW, {}), 0);
  ASSERT_EQ(dialogs.canRuns.size(), 1u);
  EXPECT_EQ(doc.GetCanMsgTable(LIST_DEFINITION).GetCount(), 0u);
  EXPECT_EQ(def.RowCount(), 0);
  EXPECT_EQ(doc.GetPoolCounts(), doc.GetCreatedCounts());
  EXPECT_TRUE(NothingLost(doc));
  // The same for the other kinds.
  for (int bus : {BUS_FLEXRAY, BUS_LIN, BUS_LOGIC}) {
    Show(bus);
    EXPECT_EQ(Open(def, DLGMODE_NEW, {}), 0);
    EXPECT_EQ(def.RowCount(), 0);
  }
  EXPECT_EQ(dialogs.Runs(), 4);
  EXPECT_EQ(doc.CountLogicSymbols(LIST_DEFINITION), 0);
  EXPECT_TRUE(NothingLost(doc));
}

TEST_F(OpenDialogTest, NewCanDefinitionGoesIntoTheTablesAndAppendsItsRow) {
  _CANMsg* m = AddCanMsg(doc, LIST_DEFINITION, "Engine", 0x100, 8);
  AddCanSig(doc, m, {"Speed", 0, 8});
  Show(BUS_CAN);
  dialogs.can = [](const CanDialogRequest& r) {
    EXPECT_EQ(r.mode, DLGMODE_NEW);
    CopyToCharBuffer(r.msg->name, "Brake", MAX_NAME_LEN);
    r.msg->id = 0x1A0;
    r.msg->byteCount = 4;
    CopyToCharBuffer(r.signal->name, "Pressure", MAX_NAME_LEN);
    return Ok(true);
  };
  EXPECT_EQ(Open(def, DLGMODE_NEW, {}), 1);
  const _CANMsg* brake = doc.GetCanMsgTable(LIST_DEFINITION).Find("BRAKE");
  ASSERT_NE(brake, nullptr);
  EXPECT_NE(brake->signals.Find("PRESSURE"), nullptr);
  EXPECT_EQ(Column(def, COL_MESSAGE), (std::vector<std::string>{"Engine", "Brake"}));
  EXPECT_EQ(Column(def, COL_ID), (std::vector<std::string>{"256", "416"}));
  EXPECT_TRUE(NothingLost(doc));
}

// A new signal for a message that exists takes over the byte count; the
// fresh message goes back, and the row is appended or, for a signal name
// that exists, the rows are rewritten.
TEST_F(OpenDialogTest, NewSignalForAnExistingMessage) {
  struct Case {
    const char* signal;
    std::vector<std::string> signalsAfter;
  };
  const Case cases[] = {{"rpm", {"Speed", "Temp", "rpm"}}, {"temp", {"Speed", "temp"}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.signal);
    doc.ClearCanList(LIST_DEFINITION);
    _CANMsg* m = AddCanMsg(doc, LIST_DEFINITION, "Engine", 0x100, 8);
    AddCanSig(doc, m, {"Speed", 0, 8, 0});
    _CANSignal* temp = AddCanSig(doc, m, {"Temp", 8, 8, 1});
    Show(BUS_CAN);
    dialogs.can = [&](const CanDialogRequest& r) {
      CopyToCharBuffer(r.msg->name, "ENGINE", MAX_NAME_LEN);
      r.msg->byteCount = 16;
      CopyToCharBuffer(r.signal->name, c.signal, MAX_NAME_LEN);
      r.signal->startBit = 40;
      return Ok(true);
    };
    EXPECT_EQ(Open(def, DLGMODE_NEW, {}), 1);
    EXPECT_EQ(doc.GetCanMsgTable(LIST_DEFINITION).GetCount(), 1u);
    EXPECT_EQ(m->byteCount, 16);
    EXPECT_EQ(Column(def, COL_SIGNAL), c.signalsAfter);
    const _CANSignal* now = m->signals.Find(MakeUpperString(c.signal));
    ASSERT_NE(now, nullptr);
    EXPECT_EQ(now->startBit, 40);
    if (std::string(c.signal) == "temp") {
      EXPECT_NE(now, temp);  // the old record went back
    }
    // The fresh message went back: only the existing one is in a table.
    EXPECT_EQ(doc.GetPoolCounts().canMsg, doc.GetCreatedCounts().canMsg - 1);
    EXPECT_TRUE(NothingLost(doc));
  }
}

TEST_F(OpenDialogTest, EditRenamesInTheTablesAndInEveryRowOfTheMessage) {
  _CANMsg* m = AddCanMsg(doc, LIST_DEFINITION, "Engine", 0x100, 8);
  AddCanSig(doc, m, {"Speed", 0, 8, 0});
  _CANSignal* temp = AddCanSig(doc, m, {"Temp", 8, 8, 1});
  _CANMsg* other = AddCanMsg(doc, LIST_DEFINITION, "Brake", 0x1A0, 8);
  AddCanSig(doc, other, {"Temp", 0, 8, 2});
  Show(BUS_CAN);
  dialogs.can = [&](const CanDialogRequest& r) {
    EXPECT_EQ(r.msg, m);
    EXPECT_EQ(r.signal, temp);
    CopyToCharBuffer(r.msg->name, "Motor", MAX_NAME_LEN);
    r.msg->id = 0x101;
    CopyToCharBuffer(r.signal->name, "Heat", MAX_NAME_LEN);
    return Ok(true);
  };
  EXPECT_EQ(Open(def, DLGMODE_EDIT, {1}), 1);
  const auto& table = doc.GetCanMsgTable(LIST_DEFINITION);
  EXPECT_EQ(table.Find("ENGINE"), nullptr);
  EXPECT_EQ(table.Find("MOTOR"), m);
  EXPECT_EQ(m->signals.Find("TEMP"), nullptr);
  EXPECT_EQ(m->signals.Find("HEAT"), temp);
  EXPECT_EQ(Column(def, COL_MESSAGE), (std::vector<std::string>{"Motor", "Motor", "Brake"}));
  EXPECT_EQ(Column(def, COL_ID), (std::vector<std::string>{"257", "257", "416"}));
  EXPECT_EQ(Column(def, COL_SIGNAL), (std::vector<std::string>{"Speed", "Heat", "Temp"}));
}

TEST_F(OpenDialogTest, EditWithoutChangeAndViewReportNothing) {
  _CANMsg* m = AddCanMsg(doc, LIST_REFERENCE, "Engine", 0x100, 8);
  AddCanSig(doc, m, {"Speed"});
  _CANMsg* d = AddCanMsg(doc, LIST_DEFINITION, "Engine", 0x100, 8);
  AddCanSig(doc, d, {"Speed"});
  Show(BUS_CAN);
  dialogs.can = [](const CanDialogRequest&) { return Ok(false); };
  EXPECT_EQ(Open(def, DLGMODE_EDIT), 0);
  EXPECT_EQ(Open(ref, DLGMODE_VIEW), 0);
  ASSERT_EQ(dialogs.canRuns.size(), 2u);
  EXPECT_EQ(dialogs.canRuns[1].mode, DLGMODE_VIEW);
  EXPECT_EQ(dialogs.canRuns[1].messages, &doc.GetCanMsgTable(LIST_REFERENCE));
  EXPECT_EQ(dialogs.canRuns[1].msg, m);
}

// The request carries the first selected row's records, the names of every
// row, the display flag and the anchor.
TEST_F(OpenDialogTest, CanRequestCarriesWhatTheDialogNeeds) {
  _CANMsg* m = AddCanMsg(doc, LIST_DEFINITION, "Engine", 0x100, 8);
  AddCanSig(doc, m, {"Speed", 0, 8, 0});
  _CANSignal* temp = AddCanSig(doc, m, {"Temp", 8, 8, 1});
  AddCanSig(doc, m, {"Oil", 16, 8, 2});
  doc.SetMsgIdFormat(IDFMT_HEX);
  Show(BUS_CAN);
  Open(def, DLGMODE_EDIT, {2, 1});
  ASSERT_EQ(dialogs.canRuns.size(), 1u);
  const CanDialogRequest& r = dialogs.canRuns[0];
  EXPECT_EQ(r.signal, temp);
  EXPECT_EQ(r.hexFlag, 1);
  EXPECT_EQ(r.messages, &doc.GetCanMsgTable(LIST_DEFINITION));
  EXPECT_EQ(r.anchor.left, 100);
  EXPECT_EQ(r.anchor.top, 50);
  using P = std::pair<std::string, std::string>;
  EXPECT_EQ(r.rowNames, (std::vector<P>{{"Engine", "Speed"}, {"Engine", "Temp"}, {"Engine", "Oil"}}));
}

TEST_F(OpenDialogTest, FlexRayAndLinRequestsNameTheEditedSignal) {
  _FlexRayMsg* fm = AddFrMsg(doc, LIST_DEFINITION, "Frame", 5, 8, 0, 1);
  AddFrSig(doc, fm, {"Temp"});
  _LINMsg* lm = AddLinMsg(doc, LIST_DEFINITION, "Door", 3, 2);
  AddLinSig(doc, lm, {"Lock"});
  Show(BUS_FLEXRAY);
  Open(def, DLGMODE_EDIT);
  Open(def, DLGMODE_NEW, {});
  Show(BUS_LIN);
  Open(def, DLGMODE_EDIT);
  ASSERT_EQ(dialogs.flexRayRuns.size(), 2u);
  EXPECT_EQ(dialogs.flexRayRuns[0].editedSignalName, "Temp");
  EXPECT_EQ(dialogs.flexRayRuns[0].msg, fm);
  EXPECT_EQ(dialogs.flexRayRuns[1].editedSignalName, "");
  ASSERT_EQ(dialogs.linRuns.size(), 1u);
  EXPECT_EQ(dialogs.linRuns[0].editedSignalName, "Lock");
  EXPECT_EQ(dialogs.linRuns[0].messages, &doc.GetLinMsgTable(LIST_DEFINITION));
  EXPECT_TRUE(NothingLost(doc));
}

// Switching the identifier display in a dialog rewrites the identifier
// column of both lists at once, also from a read-only view.
TEST_F(OpenDialogTest, IdentifierDisplayConvertsBothLists) {
  for (int list : {LIST_REFERENCE, LIST_DEFINITION}) {
    _LINMsg* m = AddLinMsg(doc, list, "Door", 0x3F, 2);
    AddLinSig(doc, m, {"Lock"});
  }
  Show(BUS_LIN);
  dialogs.lin = [](const LinDialogRequest&) { return Ok(false, 1); };
  EXPECT_EQ(Open(ref, DLGMODE_VIEW), 0);
  EXPECT_EQ(doc.GetMsgIdFormat(), IDFMT_HEX);
  EXPECT_EQ(Column(ref, COL_ID), std::vector<std::string>{"3F"});
  EXPECT_EQ(Column(def, COL_ID), std::vector<std::string>{"3F"});
  dialogs.lin = [](const LinDialogRequest&) { return Ok(false, 0); };
  EXPECT_EQ(Open(def, DLGMODE_EDIT), 0);
  EXPECT_EQ(doc.GetMsgIdFormat(), IDFMT_DECIMAL);
  EXPECT_EQ(Column(ref, COL_ID), std::vector<std::string>{"63"});
  // Cancel leaves the display alone.
  dialogs.lin = [](const LinDialogRequest&) { return DefDialogResult{false, false, 1, 0}; };
  Open(def, DLGMODE_EDIT);
  EXPECT_EQ(doc.GetMsgIdFormat(), IDFMT_DECIMAL);
  EXPECT_EQ(Column(def, COL_ID), std::vector<std::string>{"63"});
}

TEST_F(OpenDialogTest, NewFlexRayFrameAndLinFrame) {
  Show(BUS_FLEXRAY);
  dialogs.flexRay = [](const FlexRayDialogRequest& r) {
    CopyToCharBuffer(r.msg->name, "Frame", MAX_NAME_LEN);
    r.msg->slotId = 12;
    CopyToCharBuffer(r.signal->name, "Temp", MAX_NAME_LEN);
    return Ok(true);
  };
  EXPECT_EQ(Open(def, DLGMODE_NEW, {}), 1);
  EXPECT_NE(doc.GetFlexRayMsgTable(LIST_DEFINITION).Find("FRAME"), nullptr);
  EXPECT_EQ(Column(def, COL_ID), std::vector<std::string>{"12"});
  Show(BUS_LIN);
  dialogs.lin = [](const LinDialogRequest& r) {
    CopyToCharBuffer(r.msg->name, "Door", MAX_NAME_LEN);
    r.msg->id = 7;
    CopyToCharBuffer(r.signal->name, "Lock", MAX_NAME_LEN);
    return Ok(true);
  };
  EXPECT_EQ(Open(def, DLGMODE_NEW, {}), 1);
  EXPECT_NE(doc.GetLinMsgTable(LIST_DEFINITION).Find("DOOR"), nullptr);
  EXPECT_EQ(Column(def, COL_MESSAGE), std::vector<std::string>{"Door"});
  EXPECT_TRUE(NothingLost(doc));
}

TEST_F(OpenDialogTest, LogicSymbolsAreAddedRenamedAndMovedBetweenGroups) {
  AddSymbol(doc, LIST_DEFINITION, 0, 4, "Idle", "0101");
  _LOGICGroup* g2 = doc.GetLogicGroup(LIST_DEFINITION, 2);
  g2->bitCount = 6;
  Show(BUS_LOGIC);
  // New, into group 3.
  dialogs.logic = [](const LogicDialogRequest& r) {
    EXPECT_EQ(r.groupIndex, 0);
    CopyToCharBuffer(r.symbol->name, "Run", MAX_LOGIC_NAME_LEN);
    CopyToCharBuffer(r.symbol->pattern, "111000", MAX_LOGIC_BITS);
    return Ok(true, 0, 2);
  };
  EXPECT_EQ(Open(def, DLGMODE_NEW, {}), 1);
  EXPECT_NE(g2->symbols.Find("RUN"), nullptr);
  ASSERT_EQ(def.RowCount(), 2);
  EXPECT_EQ(def.Rows()[1].cells, (std::vector<std::string>{"", "2", "Run", "3", "6", "111000"}));
  // Edit: "Idle" renamed and moved to group 3.
  _LOGICSignal* idle = doc.GetLogicGroup(LIST_DEFINITION, 0)->symbols.Find("IDLE");
  dialogs.logic = [&](const LogicDialogRequest& r) {
    EXPECT_EQ(r.symbol, idle);
    EXPECT_EQ(r.groupIndex, 0);
    EXPECT_EQ(r.groups, doc.GetLogicGroup(LIST_DEFINITION, 0));
    CopyToCharBuffer(r.symbol->name, "Stop", MAX_LOGIC_NAME_LEN);
    CopyToCharBuffer(r.symbol->pattern, "0101XX", MAX_LOGIC_BITS);
    return Ok(true, 0, 2);
  };
  EXPECT_EQ(Open(def, DLGMODE_EDIT, {0}), 1);
  EXPECT_EQ(doc.GetLogicGroup(LIST_DEFINITION, 0)->symbols.GetCount(), 0u);
  EXPECT_EQ(g2->symbols.Find("STOP"), idle);
  EXPECT_EQ(def.Rows()[0].cells, (std::vector<std::string>{"", "1", "Stop", "3", "6", "0101XX"}));
  EXPECT_TRUE(NothingLost(doc));
}

// A LOGIC dialog that refits the patterns of a group rewrites the rows of
// the definition list through the request's updater.
TEST_F(OpenDialogTest, LogicRefitRewritesDefinitionRows) {
  AddSymbol(doc, LIST_DEFINITION, 1, 4, "A", "0101");
  AddSymbol(doc, LIST_DEFINITION, 1, 4, "B", "1XX0");
  Show(BUS_LOGIC);
  dialogs.logic = [](const LogicDialogRequest& r) {
    _LOGICGroup& g = r.groups[1];
    g.bitCount = 6;
    for (const auto& e : g.symbols) {
      std::string p = std::string(e.value->pattern) + "XX";
      CopyToCharBuffer(e.value->pattern, p, MAX_LOGIC_BITS);
      EXPECT_TRUE(r.updateRow);
      if (r.updateRow) r.updateRow(e.value->name, 1, g, *e.value);
    }
    return DefDialogResult{};  // cancelled after the refit
  };
  EXPECT_EQ(Open(def, DLGMODE_EDIT, {1}), 0);
  EXPECT_EQ(Column(def, COL_PATTERN), (std::vector<std::string>{"0101XX", "1XX0XX"}));
  EXPECT_EQ(Column(def, COL_BITS), (std::vector<std::string>{"6", "6"}));
}

// New with no record left in the pools opens no dialog and changes nothing,
// also when the message is handed out and its signal is not.
TEST_F(OpenDialogTest, NewWithoutRecordsOpensNothing) {
  struct Case {
    int bus;
    std::size_t limit;
  };
  const Case cases[] = {{BUS_CAN, 0}, {BUS_CAN, 1}, {BUS_FLEXRAY, 0}, {BUS_FLEXRAY, 1},
                        {BUS_LIN, 0}, {BUS_LIN, 1}, {BUS_LOGIC, 0}};
  AddCanSig(doc, AddCanMsg(doc, LIST_DEFINITION, "Engine", 0x100, 8), {"Speed"});
  AddFrSig(doc, AddFrMsg(doc, LIST_DEFINITION, "Frame", 5, 8, 0, 1), {"Temp"});
  AddLinSig(doc, AddLinMsg(doc, LIST_DEFINITION, "Door", 3, 2), {"Lock"});
  AddSymbol(doc, LIST_DEFINITION, 1, 4, "Idle", "0101");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bus * 10 + static_cast<int>(c.limit));
    Show(c.bus);
    const ListRows before = def.Rows();
    doc.LimitAllocationsForTest(c.limit);
    EXPECT_EQ(Open(def, DLGMODE_NEW, {}), 0);
    EXPECT_EQ(def.RowCount(), static_cast<int>(before.size()));
    EXPECT_EQ(doc.CountCanSignals(LIST_DEFINITION) + doc.CountFlexRaySignals(LIST_DEFINITION) +
                  doc.CountLinSignals(LIST_DEFINITION) + doc.CountLogicSymbols(LIST_DEFINITION),
              4);
    EXPECT_TRUE(NothingLost(doc));
  }
  EXPECT_EQ(dialogs.Runs(), 0);
  EXPECT_TRUE(sink.shown.empty());
  EXPECT_FALSE(doc.IsDefModified());
}

}  // namespace
