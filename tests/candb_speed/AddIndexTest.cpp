// The add tests each new message's identifier against an index instead of
// walking the definition messages: it must answer as the walk does, also
// for messages that the same run added before, and name the same holder.
#include "DocFixture.h"
#include "ListAdd.h"
#include "ListRows.h"
#include "ListTestUtil.h"
#include "RecordingMessageSink.h"

using namespace listtest;

namespace {

int RowOf(const ListRows& rows, const std::string& msg) {
  for (std::size_t i = 0; i < rows.size(); ++i)
    if (rows[i].Cell(COL_MESSAGE) == msg) return static_cast<int>(i);
  return -1;
}

}  // namespace

DOC_TEST(AddIdentifierIndex, CanHoldersAreTheFirstInTableOrderAndIncludeThisRun) {
  struct Case {
    const char* name;
    std::vector<const char*> rows;  // reference messages selected (added in table order)
    int added;
    const char* holder;  // of the refusal, "" for none
  };
  const Case cases[] = {
      {"free identifier", {"Fresh"}, 1, ""},
      {"held by the first of two definitions", {"Clash"}, 0, "Old1"},
      {"held by a message added earlier in the run", {"Fresh", "Twin"}, 1, "Fresh"},
      {"three new messages, the third clashing with the first", {"Fresh", "Other", "Twin"}, 2, "Fresh"},
  };
  for (const Case& c : cases) {
    CVestrelDoc& rowDoc = NewDoc();
    AddCanSig(rowDoc, AddCanMsg(rowDoc, LIST_REFERENCE, "Fresh", 0x300, 8), {"S"});
    AddCanSig(rowDoc, AddCanMsg(rowDoc, LIST_REFERENCE, "Other", 0x301, 8), {"S"});
    AddCanSig(rowDoc, AddCanMsg(rowDoc, LIST_REFERENCE, "Twin", 0x300, 8), {"S"});
    AddCanSig(rowDoc, AddCanMsg(rowDoc, LIST_REFERENCE, "Clash", 0x100, 8), {"S"});
    AddCanSig(rowDoc, AddCanMsg(rowDoc, LIST_DEFINITION, "Old1", 0x100, 8), {"T"});
    AddCanSig(rowDoc, AddCanMsg(rowDoc, LIST_DEFINITION, "Old2", 0x100, 8), {"T"});
    ListRows refRows = BuildListRows(rowDoc, LIST_REFERENCE, BUS_CAN, 0);
    std::vector<int> selection;
    for (const char* m : c.rows) selection.push_back(RowOf(refRows, m));
    ListRows defRows;
    RecordingMessageSink sink;
    EXPECT_EQ(AddReferenceRows(rowDoc, BUS_CAN, refRows, selection, defRows), c.added) << c.name;
    if (*c.holder) {
      ASSERT_EQ(sink.Ids(), std::vector<int>{4008}) << c.name;
      EXPECT_EQ(sink.shown[0].ArgText(1), c.holder) << c.name;
      // The walk, asked afterwards, names the same message.
      std::string holder;
      EXPECT_FALSE(CheckIdFree(rowDoc, BUS_CAN, sink.shown[0].ArgNumber(0), holder));
      EXPECT_EQ(holder, c.holder) << c.name;
    } else {
      EXPECT_TRUE(sink.shown.empty()) << c.name;
    }
    EXPECT_TRUE(NothingLost(rowDoc));
  }
}

DOC_TEST(AddIdentifierIndex, LinAndFlexRayMessagesOfTheSameRun) {
  {
    CVestrelDoc& blockDoc = NewDoc();
    AddLinSig(blockDoc, AddLinMsg(blockDoc, LIST_REFERENCE, "L1", 7, 8), {"S"});
    AddLinSig(blockDoc, AddLinMsg(blockDoc, LIST_REFERENCE, "L2", 7, 8), {"S"});
    ListRows refRows = BuildListRows(blockDoc, LIST_REFERENCE, BUS_LIN, 0);
    ListRows defRows;
    RecordingMessageSink sink;
    EXPECT_EQ(AddReferenceRows(blockDoc, BUS_LIN, refRows, {RowOf(refRows, "L1"), RowOf(refRows, "L2")}, defRows), 1);
    ASSERT_EQ(sink.Ids(), std::vector<int>{4008});
    EXPECT_EQ(sink.shown[0].ArgText(1), "L1");
  }
  {
    // The second frame shares cycle 4 with the first, added in the same run.
    CVestrelDoc& blockDoc = NewDoc();
    AddFrSig(blockDoc, AddFrMsg(blockDoc, LIST_REFERENCE, "F1", 5, 8, 0, 4), {"S", 0, 8});
    AddFrSig(blockDoc, AddFrMsg(blockDoc, LIST_REFERENCE, "F3", 5, 8, 1, 4), {"S", 0, 8});
    AddFrSig(blockDoc, AddFrMsg(blockDoc, LIST_REFERENCE, "F2", 5, 8, 2, 2), {"S", 0, 8});
    ListRows refRows = BuildListRows(blockDoc, LIST_REFERENCE, BUS_FLEXRAY, 0);
    ListRows defRows;
    RecordingMessageSink sink;
    std::vector<int> selection = {RowOf(refRows, "F1"), RowOf(refRows, "F3"), RowOf(refRows, "F2")};
    EXPECT_EQ(AddReferenceRows(blockDoc, BUS_FLEXRAY, refRows, selection, defRows), 2);
    ASSERT_EQ(sink.Ids(), std::vector<int>{4035});
    EXPECT_EQ(sink.shown[0].ArgText(1), "F2");
  }
}
