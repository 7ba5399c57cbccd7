// The row updates that follow a definition dialog: one case per rule.
#include "DefDialogs.h"
#include "ListTestUtil.h"

#include <gtest/gtest.h>

namespace {

ListRow Row(std::vector<std::string> cells) { return ListRow{std::move(cells)}; }

std::vector<std::string> Column(const ListRows& rows, int col) {
  std::vector<std::string> out;
  for (const ListRow& r : rows) out.push_back(r.Cell(col));
  return out;
}

TEST(ConvertIdColumn, Rules) {
  struct Case {
    const char* what;
    int bus;
    int from;
    int to;
    std::vector<std::string> before;
    std::vector<std::string> after;
  };
  const Case cases[] = {
      {"decimal to hexadecimal", BUS_CAN, 0, 1, {"255", "0", "536870911"}, {"FF", "0", "1FFFFFFF"}},
      {"hexadecimal to decimal", BUS_LIN, 1, 0, {"FF", "3F", "0"}, {"255", "63", "0"}},
      {"FlexRay has the column too", BUS_FLEXRAY, 0, 1, {"2047"}, {"7FF"}},
      {"same format changes nothing", BUS_CAN, 1, 1, {"FF"}, {"FF"}},
      {"every format but 1 shows decimal", BUS_CAN, 2, 0, {"255"}, {"255"}},
      {"from an odd decimal format to hex", BUS_CAN, 2, 1, {"255"}, {"FF"}},
      {"LOGIC has no identifier column", BUS_LOGIC, 0, 1, {"255"}, {"255"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ListRows rows;
    for (const std::string& id : c.before) rows.push_back(Row({"", "1", "M", id, "S"}));
    ConvertIdColumn(rows, c.bus, c.from, c.to);
    EXPECT_EQ(Column(rows, COL_ID), c.after);
    EXPECT_EQ(Column(rows, COL_MESSAGE), std::vector<std::string>(c.before.size(), "M"));
  }
}

TEST(UpdateCanRows, Rules) {
  _CANMsg msg;
  CopyToCharBuffer(msg.name, "Motor", MAX_NAME_LEN);
  msg.id = 0x1F;
  struct Case {
    const char* what;
    const char* oldMsg;
    const char* oldSig;
    const char* newSig;
    int fmt;
    std::vector<std::string> messages;
    std::vector<std::string> ids;
    std::vector<std::string> signals;
  };
  // Rows before: (Engine, Speed), (ENGINE, Temp), (Brake, Temp).
  const Case cases[] = {
      {"rename message and signal",
       "engine",
       "temp",
       "Heat",
       0,
       {"Motor", "Motor", "Brake"},
       {"31", "31", "9"},
       {"Speed", "Heat", "Temp"}},
      {"identifier in the document's format",
       "Engine",
       "Speed",
       "Speed",
       1,
       {"Motor", "Motor", "Brake"},
       {"1F", "1F", "9"},
       {"Speed", "Temp", "Temp"}},
      {"a signal name changed only in case",
       "Engine",
       "SPEED",
       "SPEED",
       0,
       {"Motor", "Motor", "Brake"},
       {"31", "31", "9"},
       {"SPEED", "Temp", "Temp"}},
      {"rows of another message stay",
       "Gearbox",
       "Temp",
       "Heat",
       0,
       {"Engine", "ENGINE", "Brake"},
       {"1", "1", "9"},
       {"Speed", "Temp", "Temp"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ListRows rows = {Row({"", "1", "Engine", "1", "Speed"}), Row({"", "2", "ENGINE", "1", "Temp"}),
                     Row({"", "3", "Brake", "9", "Temp"})};
    UpdateCanRows(rows, c.oldMsg, c.oldSig, msg, c.newSig, c.fmt);
    EXPECT_EQ(Column(rows, COL_MESSAGE), c.messages);
    EXPECT_EQ(Column(rows, COL_ID), c.ids);
    EXPECT_EQ(Column(rows, COL_SIGNAL), c.signals);
    EXPECT_EQ(Column(rows, COL_NUMBER), (std::vector<std::string>{"1", "2", "3"}));
  }
}

TEST(UpdateFlexRayLinRows, TakeTheFrameIdentifier) {
  _FlexRayMsg fr;
  CopyToCharBuffer(fr.name, "F2", MAX_NAME_LEN);
  fr.slotId = 2047;
  _LINMsg lin;
  CopyToCharBuffer(lin.name, "L2", MAX_NAME_LEN);
  lin.id = 63;
  ListRows rows = {Row({"", "1", "F1", "1", "S"})};
  UpdateFlexRayLinRows(rows, "F1", "S", fr, "T", 1);
  EXPECT_EQ(rows[0].cells, (std::vector<std::string>{"", "1", "F2", "7FF", "T"}));
  rows = {Row({"", "1", "L1", "1", "S"})};
  UpdateFlexRayLinRows(rows, "l1", "s", lin, "S", 0);
  EXPECT_EQ(rows[0].cells, (std::vector<std::string>{"", "1", "L2", "63", "S"}));
}

TEST(UpdateLogicRow, Rules) {
  _LOGICGroup group;
  group.index = 3;
  group.bitCount = 6;
  _LOGICSignal sym;
  CopyToCharBuffer(sym.name, "Stop", MAX_LOGIC_NAME_LEN);
  CopyToCharBuffer(sym.pattern, "0101XX", MAX_LOGIC_BITS);
  struct Case {
    const char* what;
    const char* oldName;
    int oldGroup;
    int changedRow;  // -1: none
  };
  const Case cases[] = {
      {"name and group match", "Idle", 0, 0},
      {"name matches without regard to case", "IDLE", 0, 0},
      {"the same name in another group", "Idle", 1, 2},
      {"no row of that name", "Run", 0, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const ListRows before = {Row({"", "1", "Idle", "1", "4", "0101"}), Row({"", "2", "Run", "2", "4", "1111"}),
                             Row({"", "3", "Idle", "2", "4", "0000"})};
    ListRows rows = before;
    UpdateLogicRow(rows, c.oldName, c.oldGroup, group, sym);
    for (int r = 0; r < 3; ++r) {
      if (r == c.changedRow)
        EXPECT_EQ(rows[r].cells, (std::vector<std::string>{"", before[r].cells[1], "Stop", "4", "6", "0101XX"}));
      else EXPECT_EQ(rows[r].cells, before[r].cells) << r;
    }
  }
}

}  // namespace
