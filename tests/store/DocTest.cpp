// Records, name tables and the document's tables and pools.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <unistd.h>

#include "DocFixture.h"
#include "RecordingMessageSink.h"
#include "DocPoolCheck.h"
#include "TempDir.h"
#include "TextFile.h"
#include "VestrelDoc.h"

namespace {

DOC_TEST(NameMapTest, IteratesInInsertionOrderAndReplacementKeepsPlace) {
  NameMap<int> table;
  int a = 1, b = 2, c = 3, d = 4;
  EXPECT_EQ(table.SetAt("ZETA", &a), nullptr);
  EXPECT_EQ(table.SetAt("ALPHA", &b), nullptr);
  EXPECT_EQ(table.SetAt("MID", &c), nullptr);
  EXPECT_EQ(table.SetAt("ALPHA", &d), &b);  // the replaced record comes back
  std::vector<std::string> keys;
  std::vector<int> values;
  for (const auto& entry : table) {
    keys.push_back(entry.key);
    values.push_back(*entry.value);
  }
  EXPECT_EQ(keys, (std::vector<std::string>{"ZETA", "ALPHA", "MID"}));
  EXPECT_EQ(values, (std::vector<int>{1, 4, 3}));

  EXPECT_EQ(table.RemoveKey("ALPHA"), &d);
  EXPECT_EQ(table.RemoveKey("ALPHA"), nullptr);
  EXPECT_EQ(table.Find("ALPHA"), nullptr);
  table.SetAt("ALPHA", &b);  // a key put in again goes to the end
  keys.clear();
  for (const auto& entry : table) keys.push_back(entry.key);
  EXPECT_EQ(keys, (std::vector<std::string>{"ZETA", "MID", "ALPHA"}));

  // A moved table still finds its keys (the index points into moved nodes).
  NameMap<int> moved = std::move(table);
  EXPECT_EQ(moved.Find("MID"), &c);
  EXPECT_EQ(moved.GetCount(), 3u);
}

DOC_TEST(RecordsTest, NewSignalsHoldTheirBusDefaults) {
  struct Row {
    const char* bus;
    const _SignalHead* head;
    int bitOrder;
  };
  _CANSignal* can = doc.AllocCanSignal();
  _FlexRaySignal* fr = doc.AllocFlexRaySignal();
  _LINSignal* lin = doc.AllocLinSignal();
  for (const Row& row : {Row{"CAN", can, BITORDER_MSB_FIRST}, Row{"FlexRay", fr, BITORDER_MSB_FIRST},
                         Row{"LIN", lin, BITORDER_LSB_FIRST}}) {
    SCOPED_TRACE(row.bus);
    EXPECT_EQ(row.head->bitOrder, row.bitOrder);
    EXPECT_EQ(row.head->byteOrder, BYTEORDER_LITTLE);
    EXPECT_EQ(row.head->valueType, VALTYPE_UNSIGNED);
    EXPECT_EQ(row.head->factor, 1.0);
    EXPECT_EQ(row.head->offset, 0.0);
    EXPECT_EQ(row.head->minimum, -1e31);
    EXPECT_EQ(row.head->maximum, 1e31);
    EXPECT_EQ(row.head->name[0], '\0');
  }
  EXPECT_EQ(can->loadNo, -1);
  EXPECT_EQ(lin->loadNo, -1);
  EXPECT_TRUE(can->multiplexValue.empty());
  doc.FreeCanSignal(can);
  doc.FreeFlexRaySignal(fr);
  doc.FreeLinSignal(lin);
}

DOC_TEST(RecordsTest, NamesAreCutAtTheirLimitOnACharacterBoundary) {
  _CANSignal sig;
  CopyToCharBuffer(sig.name, std::string(40, 'A'), MAX_NAME_LEN);
  EXPECT_EQ(std::strlen(sig.name), 32u);
  _LOGICSignal sym;
  CopyToCharBuffer(sym.name, std::string(40, 'b'), MAX_LOGIC_NAME_LEN);
  EXPECT_EQ(std::string(sym.name), std::string(16, 'b'));
  // 15 ASCII bytes and a double-byte character: the character does not fit
  // whole into 16 bytes and is left out rather than split.
  CopyToCharBuffer(sym.name, std::string(15, 'x') + "\x83\x5C", MAX_LOGIC_NAME_LEN);
  EXPECT_EQ(std::string(sym.name), std::string(15, 'x'));
}

DOC_TEST(RecordsTest, CopyToGivesTheCopyItsOwnMultiplexTextAndNoLoadNumber) {
  _CANSignal source;
  CopyToCharBuffer(source.name, "Speed", MAX_NAME_LEN);
  CopyToCharBuffer(source.multiplexor, "Mux", MAX_NAME_LEN);
  source.multiplexValue = "1,3-5";
  source.loadNo = 7;
  source.startBit = 12;
  source.factor = 0.5;
  _CANSignal copy;
  source.CopyTo(&copy);
  EXPECT_STREQ(copy.name, "Speed");
  EXPECT_STREQ(copy.multiplexor, "Mux");
  EXPECT_EQ(copy.startBit, 12);
  EXPECT_EQ(copy.factor, 0.5);
  EXPECT_EQ(copy.loadNo, -1);
  copy.multiplexValue += ",9";
  EXPECT_EQ(source.multiplexValue, "1,3-5");
  EXPECT_EQ(copy.multiplexValue, "1,3-5,9");
}

DOC_TEST(DocTest, PoolsHandRecordsOutFirstInFirstOut) {
  _CANSignal* first = doc.AllocCanSignal();
  _CANSignal* second = doc.AllocCanSignal();
  first->multiplexValue = "1-2";
  first->loadNo = 4;
  doc.FreeCanSignal(first);
  doc.FreeCanSignal(second);
  EXPECT_EQ(doc.AllocCanSignal(), first);
  EXPECT_EQ(doc.AllocCanSignal(), second);
  EXPECT_TRUE(first->multiplexValue.empty());
  EXPECT_EQ(first->loadNo, -1);
  doc.FreeCanSignal(first);
  doc.FreeCanSignal(second);
}

DOC_TEST(DocTest, MessageBackFromThePoolHasZeroFieldsAndAnEmptyTable) {
  _CANMsg* msg = doc.AllocCanMsg();
  CopyToCharBuffer(msg->name, "Engine", MAX_NAME_LEN);
  msg->byteCount = 8;
  msg->id = 0x123;
  msg->frameType = CANFRAME_FD;
  _CANSignal* sig = doc.AllocCanSignal();
  CopyToCharBuffer(sig->name, "Rpm", MAX_NAME_LEN);
  doc.AddCanSignal(msg, sig);
  doc.FreeCanMsg(msg);
  EXPECT_EQ(doc.GetPoolCounts().canSignal, 1u);
  _CANMsg* again = doc.AllocCanMsg();
  ASSERT_EQ(again, msg);
  EXPECT_EQ(again->name[0], '\0');
  EXPECT_EQ(again->byteCount, 0);
  EXPECT_EQ(again->id, 0);
  EXPECT_EQ(again->frameType, CANFRAME_UNSET);
  EXPECT_TRUE(again->signals.IsEmpty());
  doc.FreeCanMsg(again);
}

DOC_TEST(DocTest, ClearingOneLogicGroupLeavesTheOthers) {
  for (int g = 0; g < LOGIC_GROUP_COUNT; ++g) {
    EXPECT_EQ(std::string(doc.GetLogicGroup(0, g)->name), "Group" + std::to_string(g + 1));
    EXPECT_EQ(doc.GetLogicGroup(1, g)->index, g);
  }
  for (int g : {1, 2}) {
    _LOGICSignal* sym = doc.AllocLogicSignal();
    CopyToCharBuffer(sym->name, "Idle", MAX_LOGIC_NAME_LEN);
    doc.GetLogicGroup(0, g)->bitCount = 4;
    ASSERT_TRUE(doc.AddLogicSignal(0, g, sym));
  }
  doc.ClearLogicGroups(0, 2);
  const _LOGICGroup* cleared = doc.GetLogicGroup(0, 2);
  EXPECT_EQ(std::string(cleared->name, sizeof cleared->name), std::string(17, '\0'));
  EXPECT_EQ(cleared->index, 2);
  EXPECT_EQ(cleared->bitCount, 0);
  EXPECT_TRUE(cleared->symbols.IsEmpty());
  EXPECT_STREQ(doc.GetLogicGroup(0, 1)->name, "Group2");
  EXPECT_EQ(doc.GetLogicGroup(0, 1)->symbols.GetCount(), 1u);
  EXPECT_EQ(doc.CountLogicSymbols(0), 1);
  EXPECT_EQ(doc.GetPoolCounts().logicSignal, 1u);
  // Out-of-range groups and lists change nothing.
  doc.ClearLogicGroups(0, 5);
  doc.ClearLogicGroups(2, -1);
  EXPECT_EQ(doc.GetLogicGroup(0, 5), nullptr);
  EXPECT_EQ(doc.GetLogicGroup(-1, 0), nullptr);
  EXPECT_EQ(doc.CountLogicSymbols(0), 1);
}

DOC_TEST(DocTest, CountsSumTheSignalsOfTheList) {
  for (const char* name : {"A", "B"}) {
    _CANMsg* msg = doc.AllocCanMsg();
    CopyToCharBuffer(msg->name, name, MAX_NAME_LEN);
    doc.AddCanMsg(msg, LIST_DEFINITION);
  }
  EXPECT_EQ(doc.CountCanSignals(LIST_DEFINITION), 0);
  _CANSignal* sig = doc.AllocCanSignal();
  CopyToCharBuffer(sig->name, "S", MAX_NAME_LEN);
  doc.AddCanSignal(doc.GetCanMsgTable(LIST_DEFINITION).Find("B"), sig);
  EXPECT_EQ(doc.CountCanSignals(LIST_DEFINITION), 1);
  EXPECT_EQ(doc.CountCanSignals(LIST_REFERENCE), 0);
  EXPECT_EQ(doc.CountCanSignals(7), 0);
  EXPECT_EQ(doc.CountFlexRaySignals(LIST_DEFINITION), 0);
  EXPECT_THROW(doc.GetCanMsgTable(2), std::out_of_range);
}

DOC_TEST(DocTest, DuplicateFlexRayNameIsRefusedWithMessage4023) {
  RecordingMessageSink sink;
  _FlexRayMsg* first = doc.AllocFlexRayMsg();
  CopyToCharBuffer(first->name, "Frame1", MAX_NAME_LEN);
  first->slotId = 12;
  int flag = -1;
  doc.AddFlexRayMsg(first, LIST_DEFINITION, &flag);
  EXPECT_EQ(flag, 1);
  doc.AddFlexRayMsg(first, LIST_DEFINITION, &flag);  // the same record again
  EXPECT_EQ(flag, 1);
  EXPECT_TRUE(sink.shown.empty());

  _FlexRayMsg* second = doc.AllocFlexRayMsg();
  CopyToCharBuffer(second->name, "FRAME1", MAX_NAME_LEN);
  second->slotId = 40;
  doc.AddFlexRayMsg(second, LIST_DEFINITION, &flag);
  EXPECT_EQ(flag, 0);
  ASSERT_EQ(sink.Ids(), std::vector<int>{4023});
  EXPECT_EQ(sink.shown[0].ArgNumber(0), 40);
  EXPECT_EQ(sink.shown[0].ArgText(1), "FRAME1");
  EXPECT_EQ(doc.GetFlexRayMsgTable(LIST_DEFINITION).Find("FRAME1"), first);
  EXPECT_EQ(doc.GetPoolCounts().flexRayMsg, 1u);
  doc.AddFlexRayMsg(doc.AllocFlexRayMsg(), LIST_REFERENCE, nullptr);  // no flag: nothing reported
}

// Replacing under a key, freeing and clearing never lose a record: every
// record ever made is in a table or in its pool.
DOC_TEST(DocTest, NothingLeaksThroughReplaceFreeAndClear) {
  RecordingMessageSink sink;
  auto addCan = [&](const char* msgName, std::vector<const char*> sigNames) {
    _CANMsg* msg = doc.AllocCanMsg();
    CopyToCharBuffer(msg->name, msgName, MAX_NAME_LEN);
    for (const char* s : sigNames) {
      _CANSignal* sig = doc.AllocCanSignal();
      CopyToCharBuffer(sig->name, s, MAX_NAME_LEN);
      sig->multiplexValue = "1-3";
      doc.AddCanSignal(msg, sig);
    }
    doc.AddCanMsg(msg, LIST_REFERENCE);
    return msg;
  };
  addCan("Engine", {"Speed", "SPEED", "Rpm"});  // SPEED replaces Speed
  EXPECT_TRUE(poolcheck::NothingLost(doc));
  EXPECT_EQ(doc.CountCanSignals(LIST_REFERENCE), 2);
  addCan("ENGINE", {"A"});  // replaces the message and its two signals
  EXPECT_TRUE(poolcheck::NothingLost(doc));
  EXPECT_EQ(doc.CountCanSignals(LIST_REFERENCE), 1);
  EXPECT_EQ(doc.GetPoolCounts().canMsg, 1u);
  EXPECT_EQ(doc.GetPoolCounts().canSignal, 2u);  // "A" reused the replaced Speed

  for (int i = 0; i < 2; ++i) {
    _LINMsg* lin = doc.AllocLinMsg();
    CopyToCharBuffer(lin->name, "Door", MAX_NAME_LEN);
    _LINSignal* sig = doc.AllocLinSignal();
    CopyToCharBuffer(sig->name, "Lock", MAX_NAME_LEN);
    doc.AddLinSignal(lin, sig);
    doc.AddLinMsg(lin, LIST_DEFINITION);
  }
  for (int i = 0; i < 3; ++i) {
    _LOGICSignal* sym = doc.AllocLogicSignal();
    CopyToCharBuffer(sym->name, i == 0 ? "on" : "ON", MAX_LOGIC_NAME_LEN);
    doc.AddLogicSignal(LIST_DEFINITION, 3, sym);
  }
  _FlexRayMsg* fr = doc.AllocFlexRayMsg();
  _FlexRaySignal* frSig = doc.AllocFlexRaySignal();
  doc.AddFlexRaySignal(fr, frSig);
  doc.AddFlexRaySignal(fr, doc.AllocFlexRaySignal());  // same (empty) name
  doc.AddFlexRayMsg(fr, LIST_DEFINITION, nullptr);
  EXPECT_TRUE(poolcheck::NothingLost(doc));
  EXPECT_EQ(doc.CountLinSignals(LIST_DEFINITION), 1);
  EXPECT_EQ(doc.CountLogicSymbols(LIST_DEFINITION), 1);
  EXPECT_EQ(doc.CountFlexRaySignals(LIST_DEFINITION), 1);

  _CANMsg* engine = doc.GetCanMsgTable(LIST_REFERENCE).RemoveKey("ENGINE");
  doc.FreeCanMsg(engine);
  EXPECT_TRUE(poolcheck::NothingLost(doc));
  for (int list : {LIST_REFERENCE, LIST_DEFINITION}) {
    doc.ClearCanList(list);
    doc.ClearFlexRayList(list);
    doc.ClearLinList(list);
    doc.ClearLogicGroups(list, -1);
  }
  EXPECT_TRUE(poolcheck::NothingLost(doc));
  EXPECT_EQ(doc.GetPoolCounts(), doc.GetCreatedCounts());
}

// The display format travels through "Default.xml"; the modified flag does
// not survive a restart.
DOC_TEST(DocTest, DocumentStateComesFromTheSettingsOfTheLastRun) {
  vrtest::TempDir tmp;
  const std::string folder = tmp.Path();
  {
    CAppSettings settings;
    settings.SetSettingsFolder(folder);
    CVestrelDoc& earlier = NewDoc();
    ASSERT_TRUE(earlier.OnNewDocument(&settings));
    earlier.SetDocState(tagDocState{IDFMT_HEX, 1});
    earlier.OnCloseDocument(&settings);
    ASSERT_TRUE(settings.Save());
  }
  CAppSettings settings;
  settings.SetSettingsFolder(folder);
  settings.Load();
  EXPECT_TRUE(doc.OnNewDocument(&settings));
  EXPECT_EQ(doc.GetMsgIdFormat(), IDFMT_HEX);
  EXPECT_FALSE(doc.IsDefModified());
  EXPECT_TRUE(doc.OnNewDocument(nullptr));
}

DOC_TEST(DocTest, DocumentStateStartsDecimalAndUnchanged) {
  EXPECT_EQ(doc.GetMsgIdFormat(), IDFMT_DECIMAL);
  EXPECT_FALSE(doc.IsDefModified());
  doc.SetDocState(tagDocState{IDFMT_HEX, 1});
  EXPECT_EQ(doc.GetDocState().msgIdFormat, IDFMT_HEX);
  EXPECT_TRUE(doc.IsDefModified());
}

}  // namespace

// The test-only allocation limit counts records taken from the pool as well
// as new ones, and every kind shares it, so a test can make any Alloc fail.
DOC_TEST(DocTest, AllocationLimitRefusesEveryKindOnceSpent) {
  doc.FreeCanSignal(doc.AllocCanSignal());  // one record waiting in its pool
  doc.LimitAllocationsForTest(2);
  _CANSignal* pooled = doc.AllocCanSignal();
  _LINMsg* fresh = doc.AllocLinMsg();
  EXPECT_NE(pooled, nullptr);
  EXPECT_NE(fresh, nullptr);
  EXPECT_EQ(doc.AllocCanMsg(), nullptr);
  EXPECT_EQ(doc.AllocCanSignal(), nullptr);
  EXPECT_EQ(doc.AllocFlexRayMsg(), nullptr);
  EXPECT_EQ(doc.AllocFlexRaySignal(), nullptr);
  EXPECT_EQ(doc.AllocLinMsg(), nullptr);
  EXPECT_EQ(doc.AllocLinSignal(), nullptr);
  EXPECT_EQ(doc.AllocLogicSignal(), nullptr);
  doc.FreeCanSignal(pooled);
  doc.FreeLinMsg(fresh);
  EXPECT_TRUE(poolcheck::NothingLost(doc));
}
