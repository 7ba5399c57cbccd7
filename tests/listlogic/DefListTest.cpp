// The definition list: delete, New's limit, open, the file label, the save
// flow with its questions and name rules, saving then reading back, and the
// order of its rows.
#include "DefDialogs.h"
#include "DocFixture.h"
#include "ListLoad.h"
#include "ListLogic.h"
#include "ListTestUtil.h"
#include "RecordingMessageSink.h"

#include <functional>

using namespace listtest;

namespace {

std::string ReadAll(const std::string& path) {
  std::string text;
  ReadTextFile(path, text);
  return text;
}

struct Lists {
  explicit Lists(CVestrelDoc& doc, int bus = BUS_CAN) : ref(doc), def(doc) {
    ref.SetPartner(&def);
    def.SetPartner(&ref);
    ref.SetBusKind(bus);
    def.SetBusKind(bus);
  }
  CRefListLogic ref;
  CDefListLogic def;
};

}  // namespace

DOC_TEST(DefListDelete, SignalsMessagesAndTheQuestion) {
  _CANMsg* one = AddCanMsg(doc, LIST_DEFINITION, "One", 1, 8);
  AddCanSig(doc, one, {"A", 0, 8, 0});
  _CANMsg* two = AddCanMsg(doc, LIST_DEFINITION, "Two", 2, 8);
  AddCanSig(doc, two, {"B", 0, 8, 1});
  AddCanSig(doc, two, {"C", 8, 8, 2});
  Lists lists(doc);
  ASSERT_EQ(lists.def.RowCount(), 3);
  RecordingMessageSink sink;
  sink.answers = {MSG_NO};
  EXPECT_FALSE(lists.def.Delete({0, 1}));
  EXPECT_EQ(lists.def.RowCount(), 3);
  EXPECT_FALSE(doc.IsDefModified());

  // Row 0 (the only signal of One) and row 2 (one of Two's two signals), plus
  // a stale row whose records are gone: its row goes as well.
  lists.def.Rows()[1].SetCell(COL_MESSAGE, "Stale");
  sink.answers = {MSG_YES};
  EXPECT_TRUE(lists.def.Delete({2, 0, 1}));
  EXPECT_EQ(lists.def.RowCount(), 0);
  EXPECT_EQ(doc.GetCanMsgTable(LIST_DEFINITION).Find("ONE"), nullptr);
  ASSERT_NE(doc.GetCanMsgTable(LIST_DEFINITION).Find("TWO"), nullptr);
  EXPECT_EQ(doc.CountCanSignals(LIST_DEFINITION), 1);
  EXPECT_TRUE(doc.IsDefModified());
  EXPECT_EQ(sink.Ids(), (std::vector<int>{4102, 4102}));
  EXPECT_TRUE(NothingLost(doc));
}

DOC_TEST(DefListDelete, RenumbersAndResetsALogicGroup) {
  AddSymbol(doc, LIST_DEFINITION, 3, 4, "A", "0001");
  AddSymbol(doc, LIST_DEFINITION, 3, 4, "B", "0010");
  AddSymbol(doc, LIST_DEFINITION, 4, 2, "C", "01");
  Lists lists(doc, BUS_LOGIC);
  ASSERT_EQ(lists.def.RowCount(), 3);
  RecordingMessageSink sink;
  ASSERT_TRUE(lists.def.Delete({0}));
  EXPECT_EQ(doc.GetLogicGroup(LIST_DEFINITION, 3)->bitCount, 4);
  ASSERT_TRUE(lists.def.Delete({0}));
  EXPECT_EQ(doc.GetLogicGroup(LIST_DEFINITION, 3)->bitCount, 0);
  ASSERT_EQ(lists.def.RowCount(), 1);
  EXPECT_EQ(lists.def.Rows()[0].Cell(COL_NUMBER), "1");
  EXPECT_EQ(lists.def.Rows()[0].Cell(COL_SYMBOL), "C");
  // A group text outside 1..5 finds no group; the row still goes.
  lists.def.Rows()[0].SetCell(COL_GROUP, "9");
  ASSERT_TRUE(lists.def.Delete({0}));
  EXPECT_EQ(doc.CountLogicSymbols(LIST_DEFINITION), 1);
  EXPECT_TRUE(NothingLost(doc));
}

DOC_TEST(DefListNew, LimitOf500Rows) {
  CDefListLogic def(doc);
  def.Rows().resize(499);
  RecordingMessageSink sink;
  EXPECT_TRUE(def.CanStartNew());
  def.Rows().resize(500);
  EXPECT_FALSE(def.CanStartNew());
  ASSERT_EQ(sink.Ids(), std::vector<int>{3102});
  EXPECT_EQ(sink.shown[0].ArgNumber(0), 500);
}

DOC_TEST(DefListLabel, TitleAndModifiedMark) {
  EXPECT_EQ(DefinitionFileLabel("", false), "");
  EXPECT_EQ(DefinitionFileLabel("", true), "*");
  EXPECT_EQ(DefinitionFileLabel("/work/a.sbl", true), "a.sbl *");
  EXPECT_EQ(DefinitionFileLabel("/work/a.sbl", false), "a.sbl");
  CDefListLogic def(doc);
  def.SetFilePath("/x/defs.sbl");
  def.DefinitionChanged();
  EXPECT_EQ(def.FileLabel(), "defs.sbl *");
}

class DefListFiles : public vrtest::DocTest {
 protected:
  void SetUp() override {
    _CANMsg* m = AddCanMsg(doc, LIST_DEFINITION, "Msg", 0x123, 8);
    AddCanSig(doc, m, {"Sw", 0, 4, 5});
    AddCanSig(doc, m, {"Mx", 8, 8, 9, "Sw"}, "1-2");
    _LINMsg* l = AddLinMsg(doc, LIST_DEFINITION, "Lin", 3, 2);
    AddLinSig(doc, l, {"L1", 0, 8, 7});
    AddLinSig(doc, l, {"L2", 8, 8, 2});
  }
  TempDir dir;
  ScriptedDialogs dialogs;
  RecordingMessageSink sink;
};

TEST_F(DefListFiles, SaveNamesAndOverwrite) {
  Lists lists(doc);
  doc.SetDefModified(true);
  dialogs.answers = {dir.File("defs")};
  ASSERT_TRUE(lists.def.Save(dialogs));
  EXPECT_EQ(lists.def.FilePath(), dir.File("defs.sbl"));
  EXPECT_FALSE(doc.IsDefModified());
  EXPECT_EQ(lists.def.FileLabel(), "defs.sbl");
  EXPECT_EQ(ReadAll(dir.File("defs.sbl")), doc.BuildSblText(LIST_DEFINITION));

  // The next save starts in that folder with that name; an existing file is
  // only overwritten after Yes to 4101.
  dialogs.answers = {dir.File("defs.sbl"), dir.File("defs.sbl")};
  sink.answers = {MSG_NO, MSG_YES};
  EXPECT_FALSE(lists.def.Save(dialogs));
  EXPECT_TRUE(lists.def.Save(dialogs));
  ASSERT_EQ(dialogs.saveRequests.size(), 3u);
  EXPECT_EQ(dialogs.saveRequests[1].folder, dir.Path());
  EXPECT_EQ(dialogs.saveRequests[1].fileName, "defs.sbl");
  EXPECT_EQ(dialogs.saveRequests[1].filterIds, std::vector<int>{3001});
  EXPECT_EQ(sink.Ids(), (std::vector<int>{4101, 4101}));
  EXPECT_EQ(sink.shown[0].ArgText(0), dir.File("defs.sbl"));

  struct Case {
    const char* chosen;
    const char* written;
  };
  for (const Case& c : {Case{"a.SBL", "a.SBL"}, Case{"b.txt", "b.txt.sbl"}, Case{"c.Sbl", "c.Sbl"}}) {
    dialogs.answers = {dir.File(c.chosen)};
    ASSERT_TRUE(lists.def.Save(dialogs)) << c.chosen;
    EXPECT_EQ(lists.def.FilePath(), dir.File(c.written));
    EXPECT_FALSE(ReadAll(dir.File(c.written)).empty());
  }
}

TEST_F(DefListFiles, TheOverwriteQuestionNamesThePathReadably) {
  Lists lists(doc);
  struct Case {
    const char* name;  // inside the test folder; a folder before '/' is made
    const char* shown;
  };
  // "\xE3\x82\xBD" is katakana SO (CP932 0x83 0x5C); "\xC3\xBC" is u-umlaut, which CP932 lacks.
  // A byte that is no UTF-8, or a control byte, shows as an escape; the next byte is its own again.
  const Case cases[] = {
      {"\xE3\x82\xBD/defs.sbl", "\x83\x5C/defs.sbl"},
      {"j\xC3\xBCrgen/defs.sbl", "j?rgen/defs.sbl"},
      {"a\xFF\x62.sbl", "a\\xFFb.sbl"},                            // 0x62 is 'b', which a hex escape would swallow
      {"\x83\x65\x83\x58\x83\x67.sbl", "\\x83e\\x83X\\x83g.sbl"},  // a CP932 name from another system
      {"cut\xE3\x82.sbl", "cut\\xE3\\x82.sbl"},
      {"over\xC0\xAFlong.sbl", "over\\xC0\\xAFlong.sbl"},
      {"sur\xED\xA0\x80rogate.sbl", "sur\\xED\\xA0\\x80rogate.sbl"},
      {"tab\tbell\x07.sbl", "tab\\x09bell\\x07.sbl"},
  };
  for (const Case& c : cases) {
    const std::string path = dir.File(c.name);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    ASSERT_EQ(WriteTextFile(path, "old"), 0);
    sink.shown.clear();
    sink.answers = {MSG_NO};
    dialogs.answers = {path};
    EXPECT_FALSE(lists.def.Save(dialogs));
    ASSERT_EQ(sink.Ids(), std::vector<int>{4101});
    EXPECT_EQ(sink.shown[0].ArgText(0), dir.Path() + "/" + c.shown) << c.name;
  }
}

TEST_F(DefListFiles, CancelAndFailedWriteKeepTheModifiedFlag) {
  Lists lists(doc);
  doc.SetDefModified(true);
  lists.def.SetFilePath(dir.File("old.sbl"));
  dialogs.answers = {std::nullopt, dir.File("no/such/folder/x.sbl")};
  EXPECT_FALSE(lists.def.Save(dialogs));
  EXPECT_TRUE(sink.shown.empty());
  EXPECT_FALSE(lists.def.Save(dialogs));
  EXPECT_EQ(sink.Ids(), std::vector<int>{4005});
  EXPECT_TRUE(doc.IsDefModified());
  EXPECT_EQ(lists.def.FilePath(), dir.File("old.sbl"));
  EXPECT_EQ(lists.def.FileLabel(), "old.sbl *");
}

TEST_F(DefListFiles, RenumberingByRowsStaysEvenWhenCancelled) {
  Lists lists(doc, BUS_LIN);
  // Load-number order shows L2 (2) above L1 (7); put L1 on top.
  ASSERT_EQ(lists.def.Rows()[0].Cell(COL_SIGNAL), "L2");
  std::swap(lists.def.Rows()[0], lists.def.Rows()[1]);
  dialogs.answers = {std::nullopt};
  EXPECT_FALSE(lists.def.Save(dialogs));
  const _LINMsg* l = doc.GetLinMsgTable(LIST_DEFINITION).Find("LIN");
  EXPECT_EQ(l->signals.Find("L1")->loadNo, 0);
  EXPECT_EQ(l->signals.Find("L2")->loadNo, 1);
  // CAN was not shown: its numbers stay.
  const _CANMsg* m = doc.GetCanMsgTable(LIST_DEFINITION).Find("MSG");
  EXPECT_EQ(m->signals.Find("SW")->loadNo, 5);
  EXPECT_EQ(m->signals.Find("MX")->loadNo, 9);
  // The multiplexor exists: no question.
  EXPECT_TRUE(sink.shown.empty());
}

TEST_F(DefListFiles, MissingMultiplexorsAreAskedAboutOneByOne) {
  _CANMsg* m = doc.GetCanMsgTable(LIST_DEFINITION).Find("MSG");
  AddCanSig(doc, m, {"Lost1", 16, 8, 1, "Nowhere"});
  AddCanSig(doc, m, {"Lost2", 24, 8, 2, "NOWHERE2"});
  Lists lists(doc);
  sink.answers = {MSG_YES, MSG_NO};
  dialogs.answers = {dir.File("x.sbl")};
  EXPECT_FALSE(lists.def.Save(dialogs));
  EXPECT_EQ(sink.Ids(), (std::vector<int>{4109, 4109}));
  EXPECT_TRUE(dialogs.saveRequests.empty());
  sink.shown.clear();
  sink.answers = {MSG_YES, MSG_YES};
  EXPECT_TRUE(lists.def.Save(dialogs));
  EXPECT_EQ(sink.Ids(), (std::vector<int>{4109, 4109}));
}

DOC_TEST(DefListSave, NothingToSaveIs4000WithoutADialog) {
  AddCanMsg(doc, LIST_DEFINITION, "NoSignals", 1, 8);
  CDefListLogic def(doc);
  ScriptedDialogs dialogs;
  dialogs.answers = {std::string("/tmp/never.sbl")};
  RecordingMessageSink sink;
  EXPECT_FALSE(def.Save(dialogs));
  EXPECT_EQ(sink.Ids(), std::vector<int>{4000});
  EXPECT_TRUE(dialogs.saveRequests.empty());
}

TEST_F(DefListFiles, MultiplexorLinksSurviveASaveWhileLinIsShown) {
  // Numbers copied from two reference loads: both signals of Msg carry 0.
  _CANMsg* m = doc.GetCanMsgTable(LIST_DEFINITION).Find("MSG");
  m->signals.Find("SW")->loadNo = 0;
  m->signals.Find("MX")->loadNo = 0;
  _CANMsg* other = AddCanMsg(doc, LIST_DEFINITION, "Other", 0x200, 8);
  // The multiplexed signal comes first in its table, so a number shared by
  // both would lead back to the wrong one.
  AddCanSig(doc, other, {"M2", 8, 8, -1, "s2"});
  AddCanSig(doc, other, {"S2", 0, 8, -1});
  Lists lists(doc, BUS_LIN);
  dialogs.answers = {dir.File("mux.sbl")};
  ASSERT_TRUE(lists.def.Save(dialogs));

  CVestrelDoc& back = NewDoc();
  ASSERT_EQ(LoadListFile(back, LIST_DEFINITION, dir.File("mux.sbl"), BUS_CAN).result, 0);
  const _CANMsg* bm = back.GetCanMsgTable(LIST_DEFINITION).Find("MSG");
  ASSERT_NE(bm, nullptr);
  EXPECT_STREQ(bm->signals.Find("MX")->multiplexor, "Sw");
  EXPECT_EQ(bm->signals.Find("MX")->multiplexValue, "1-2");
  EXPECT_STREQ(bm->signals.Find("SW")->multiplexor, "");
  EXPECT_STREQ(back.GetCanMsgTable(LIST_DEFINITION).Find("OTHER")->signals.Find("M2")->multiplexor, "S2");
  EXPECT_EQ(back.CountLinSignals(LIST_DEFINITION), 2);
}

TEST_F(DefListFiles, UniqueNumbersAreLeftAlone) {
  EXPECT_FALSE(EnsureUniqueCanLoadNumbers(doc));
  doc.GetCanMsgTable(LIST_DEFINITION).Find("MSG")->signals.Find("SW")->loadNo = -1;
  EXPECT_TRUE(EnsureUniqueCanLoadNumbers(doc));
  const _CANMsg* m = doc.GetCanMsgTable(LIST_DEFINITION).Find("MSG");
  // Load-number order: Mx (9) first, then Sw (none).
  EXPECT_EQ(m->signals.Find("MX")->loadNo, 0);
  EXPECT_EQ(m->signals.Find("SW")->loadNo, 1);
}

TEST_F(DefListFiles, OpenAskFirstWhenModifiedAndKeepEverythingOnAFailedLoad) {
  std::string good = dir.File("good.sbl");
  ASSERT_EQ(WriteTextFile(good, doc.BuildSblText(LIST_DEFINITION)), 0);
  Lists lists(doc);
  doc.SetDefModified(true);
  sink.answers = {MSG_NO};
  EXPECT_FALSE(lists.def.Open(dialogs));
  EXPECT_TRUE(dialogs.openRequests.empty());
  sink.answers = {MSG_YES};
  EXPECT_FALSE(lists.def.Open(dialogs));  // cancelled dialog
  EXPECT_TRUE(doc.IsDefModified());
  EXPECT_EQ(doc.CountCanSignals(LIST_DEFINITION), 2);

  // A name of another kind is refused before anything is emptied.
  sink.answers = {MSG_YES};
  dialogs.answers = {dir.File("bus.dbc")};
  EXPECT_FALSE(lists.def.Open(dialogs));  // nothing was loaded
  EXPECT_EQ(sink.Ids(), (std::vector<int>{4104, 4104, 4104, 4006}));
  EXPECT_TRUE(doc.IsDefModified());
  EXPECT_EQ(doc.CountCanSignals(LIST_DEFINITION), 2);

  sink.answers = {MSG_YES};
  dialogs.answers = {good};
  EXPECT_TRUE(lists.def.Open(dialogs));
  EXPECT_FALSE(doc.IsDefModified());
  EXPECT_EQ(lists.def.FilePath(), good);
  EXPECT_EQ(lists.def.RowCount(), 2);
  EXPECT_EQ(lists.def.FileLabel(), "good.sbl");

  // A dropped definition file loads without a dialog; nothing else is taken.
  EXPECT_FALSE(lists.def.DropFiles({dir.File("x.dbc")}));
  EXPECT_TRUE(lists.def.DropFiles({good}));
  // A missing file changes nothing: the rows, the file and the mark stay.
  doc.SetDefModified(true);
  sink.answers = {MSG_YES};
  EXPECT_FALSE(lists.def.DropFiles({dir.File("gone.sbl")}));
  EXPECT_TRUE(doc.IsDefModified());
  EXPECT_EQ(lists.def.RowCount(), 2);
  EXPECT_EQ(lists.def.FilePath(), good);
  EXPECT_TRUE(NothingLost(doc));
}

DOC_TEST(ListLogicSort, DefinitionSortMarksAndRenumbersReferenceLogicKeepsNumbers) {
  _CANMsg* m = AddCanMsg(doc, LIST_DEFINITION, "M", 1, 8);
  AddCanSig(doc, m, {"b", 0, 1, 0});
  AddCanSig(doc, m, {"a", 1, 1, 1});
  AddSymbol(doc, LIST_REFERENCE, 0, 1, "Z", "1");
  AddSymbol(doc, LIST_REFERENCE, 0, 1, "Y", "0");
  Lists lists(doc);
  EXPECT_FALSE(lists.def.SortByColumn(COL_NUMBER));
  EXPECT_FALSE(doc.IsDefModified());
  ASSERT_TRUE(lists.def.SortByColumn(COL_SIGNAL));
  EXPECT_TRUE(doc.IsDefModified());
  EXPECT_EQ(lists.def.Rows()[0].Cell(COL_SIGNAL), "a");
  EXPECT_EQ(lists.def.Rows()[0].Cell(COL_NUMBER), "1");
  EXPECT_EQ(lists.def.SortInfo().column, COL_SIGNAL);

  // A reorder forgets the sort column, so the next click sorts ascending.
  int first = -1, count = 0;
  ASSERT_TRUE(lists.def.CanStartReorder({1}, first, count));
  EXPECT_EQ(lists.def.MoveBlock(first, count, 0), 0);
  EXPECT_EQ(lists.def.SortInfo().column, -1);
  EXPECT_EQ(lists.def.Rows()[0].Cell(COL_SIGNAL), "b");
  EXPECT_EQ(lists.def.Rows()[1].Cell(COL_NUMBER), "2");
  EXPECT_EQ(lists.def.MoveBlock(0, 1, 1), -1);
  ASSERT_TRUE(lists.def.SortByColumn(COL_SIGNAL));
  EXPECT_EQ(lists.def.SortInfo().ascending, 1);

  lists.ref.SetBusKind(BUS_LOGIC);
  ASSERT_TRUE(lists.ref.SortByColumn(COL_SYMBOL));
  EXPECT_EQ(lists.ref.Rows()[0].Cell(COL_SYMBOL), "Y");
  EXPECT_EQ(lists.ref.Rows()[0].Cell(COL_NUMBER), "2");
}

namespace {

// A New dialog that defines the signal "message.signal" of `name` with OK.
class NewSignalDialog : public IDefinitionDialogs {
 public:
  std::string name;
  DefDialogResult RunCanDialog(const CanDialogRequest& r) override {
    const std::size_t dot = name.find('.');
    CopyToCharBuffer(r.msg->name, name.substr(0, dot), MAX_NAME_LEN);
    CopyToCharBuffer(r.signal->name, name.substr(dot + 1), MAX_NAME_LEN);
    r.msg->byteCount = 8;
    return {true, true, 0, 0};
  }
  DefDialogResult RunFlexRayDialog(const FlexRayDialogRequest&) override { return {}; }
  DefDialogResult RunLinDialog(const LinDialogRequest&) override { return {}; }
  DefDialogResult RunLogicDialog(const LogicDialogRequest&) override { return {}; }
};

// The rows as "message.signal" (LOGIC: "symbol.bits"), top to bottom.
std::string SignalOrder(const CListLogic& list) {
  std::string out;
  for (const ListRow& row : list.Rows()) out += row.Cell(COL_MESSAGE) + "." + row.Cell(COL_SIGNAL) + " ";
  return out;
}

// The reference files of the order tests, as their own saves wrote them.
struct OrderFiles {
  OrderFiles() {
    can1 = dir.Write("a.dbc",
                     "BO_ 1 M1: 8 N\n SG_ A : 0|8@1+ (1,0) [0|1] \"\" N\n"
                     " SG_ B : 8|8@1+ (1,0) [0|1] \"\" N\n SG_ C : 16|8@1+ (1,0) [0|1] \"\" N\n");
    can2 = dir.Write("b.dbc",
                     "BO_ 2 M2: 8 N\n SG_ X : 0|8@1+ (1,0) [0|1] \"\" N\n"
                     " SG_ Y : 8|8@1+ (1,0) [0|1] \"\" N\n");
    flexRay1 = Saved("f1.sbl", [](CVestrelDoc& doc) {
      _FlexRayMsg* f1 = AddFrMsg(doc, LIST_DEFINITION, "F1", 1, 8, 0, 1);
      for (SigSpec s : {SigSpec{"A", 0, 8}, SigSpec{"B", 8, 8}, SigSpec{"C", 16, 8}}) AddFrSig(doc, f1, s);
      _FlexRayMsg* f2 = AddFrMsg(doc, LIST_DEFINITION, "F2", 2, 8, 0, 1);
      for (SigSpec s : {SigSpec{"X", 0, 8}, SigSpec{"Y", 8, 8}}) AddFrSig(doc, f2, s);
    });
    // One more signal of F1.
    flexRay2 = Saved("f2.sbl", [](CVestrelDoc& doc) {
      AddFrSig(doc, AddFrMsg(doc, LIST_DEFINITION, "F1", 1, 8, 0, 1), {"D", 24, 8});
    });
    logic = Saved("l.sbl", [](CVestrelDoc& doc) {
      AddSymbol(doc, LIST_DEFINITION, 0, 4, "P", "0001");
      AddSymbol(doc, LIST_DEFINITION, 0, 4, "Q", "0010");
      AddSymbol(doc, LIST_DEFINITION, 1, 2, "R", "01");
      AddSymbol(doc, LIST_DEFINITION, 1, 2, "S", "10");
    });
  }
  std::string Saved(const char* name, const std::function<void(CVestrelDoc&)>& fill) {
    CVestrelDoc doc;
    fill(doc);
    EXPECT_EQ(WriteTextFile(dir.File(name), doc.BuildSblText(LIST_DEFINITION)), 0);
    return dir.File(name);
  }
  TempDir dir;
  std::string can1, can2, flexRay1, flexRay2, logic;
};

using MakeRows = std::function<void(Lists&)>;

// Every row of the file (rows that do not exist are passed over).
void AddFile(Lists& l, const std::string& file) {
  ASSERT_TRUE(l.ref.DropFiles({file}));
  std::vector<int> all(static_cast<std::size_t>(l.ref.RowCount()));
  for (std::size_t i = 0; i < all.size(); ++i) all[i] = static_cast<int>(i);
  l.ref.AddToDefinitions(all);
}

MakeRows AddedInTurn(const std::string& file, std::vector<int> rows) {
  return [=](Lists& l) {
    ASSERT_TRUE(l.ref.DropFiles({file}));
    for (int row : rows) l.ref.AddToDefinitions({row});
  };
}

MakeRows FromTwoFiles(const std::string& first, const std::string& second) {
  return [=](Lists& l) {
    AddFile(l, first);
    AddFile(l, second);
  };
}

MakeRows DraggedToTop(const std::string& file, int row) {
  return [=](Lists& l) {
    AddFile(l, file);
    ASSERT_TRUE(l.def.BeginReorder({row}));
    EXPECT_EQ(l.def.DropReorder(0), 0);
  };
}

// Clicked twice: descending.
MakeRows SortedDescending(const std::string& file, int column) {
  return [=](Lists& l) {
    AddFile(l, file);
    ASSERT_TRUE(l.def.SortByColumn(column));
    ASSERT_TRUE(l.def.SortByColumn(column));
  };
}

struct OrderCase {
  int bus;
  const char* what;
  MakeRows make;
  const char* reloaded = nullptr;  // the rows the saved file gives back
};

// A document whose definition list holds the rows a case made, every one
// taken without a message.
struct Made {
  explicit Made(const OrderCase& c) : lists(doc, c.bus) {
    c.make(lists);
    EXPECT_TRUE(sink.shown.empty());
  }
  CVestrelDoc doc;
  Lists lists;
  RecordingMessageSink sink;
};

}  // namespace

// However the user made the order of the definition rows, it comes back
// after the bus kind is switched away and back, when the rows are rebuilt
// from the records.
TEST(DefListOrder, StaysTheUsersThroughASwitchOfBusKind) {
  OrderFiles f;
  const OrderCase cases[] = {
      {BUS_CAN, "rows added one by one in the user's order", AddedInTurn(f.can1, {2, 0, 1})},
      {BUS_CAN, "rows added from two files", FromTwoFiles(f.can1, f.can2)},
      {BUS_CAN, "a row dragged to the top", DraggedToTop(f.can1, 2)},
      {BUS_CAN, "rows sorted by signal, descending", SortedDescending(f.can1, COL_SIGNAL)},
      {BUS_CAN, "new definitions of two messages in turn",
       [](Lists& l) {
         NewSignalDialog dialog;
         for (const char* name : {"M1.A", "M2.B", "M1.C"}) {
           dialog.name = name;
           ASSERT_EQ(OpenDefinitionDialog(l.def, dialog, LIST_DEFINITION, DLGMODE_NEW, {}, {}), 1);
           l.def.DefinitionChanged();
         }
       }},
      {BUS_FLEXRAY, "FlexRay rows of two frames added in turn", AddedInTurn(f.flexRay1, {3, 0, 4, 1})},
      {BUS_FLEXRAY, "FlexRay rows added from two files", FromTwoFiles(f.flexRay1, f.flexRay2)},
      {BUS_FLEXRAY, "a FlexRay row dragged to the top", DraggedToTop(f.flexRay1, 3)},
      {BUS_FLEXRAY, "FlexRay rows sorted by signal, descending", SortedDescending(f.flexRay1, COL_SIGNAL)},
      {BUS_LOGIC, "symbols of two groups added in turn", AddedInTurn(f.logic, {2, 0, 3, 1})},
      {BUS_LOGIC, "a symbol dragged to the top", DraggedToTop(f.logic, 3)},
      {BUS_LOGIC, "symbols sorted by name, descending", SortedDescending(f.logic, COL_SYMBOL)},
  };
  for (const OrderCase& c : cases) {
    SCOPED_TRACE(c.what);
    Made m(c);
    Lists& lists = m.lists;
    const std::string made = SignalOrder(lists.def);
    ASSERT_GE(lists.def.RowCount(), 3);
    lists.def.SetBusKind(c.bus == BUS_CAN ? BUS_LIN : BUS_CAN);
    lists.def.SetBusKind(c.bus);
    EXPECT_EQ(SignalOrder(lists.def), made);
  }
}

// A save writes FlexRay and LOGIC rows in the order they show, as far as the
// file can hold it: the frames in the order of their first row, the LOGIC
// groups by their number, and signals and symbols in row order within.
TEST(DefListOrder, ASaveWritesTheOrderTheRowsShow) {
  OrderFiles f;
  const OrderCase cases[] = {
      {BUS_FLEXRAY, "FlexRay frames sorted by message, descending", SortedDescending(f.flexRay1, COL_MESSAGE),
       "F2.X F2.Y F1.A F1.B F1.C "},
      {BUS_FLEXRAY, "a FlexRay row dragged above another frame's", DraggedToTop(f.flexRay1, 4),
       "F2.Y F2.X F1.A F1.B F1.C "},
      {BUS_LOGIC, "a symbol dragged to the top of its group", DraggedToTop(f.logic, 1), "Q.4 P.4 R.2 S.2 "},
      {BUS_LOGIC, "a symbol dragged above another group's", DraggedToTop(f.logic, 3), "P.4 Q.4 S.2 R.2 "},
  };
  int n = 0;
  for (const OrderCase& c : cases) {
    SCOPED_TRACE(c.what);
    Made m(c);
    ScriptedDialogs dialogs;
    const std::string path = f.dir.File("saved" + std::to_string(++n) + ".sbl");
    dialogs.answers = {path};
    ASSERT_TRUE(m.lists.def.Save(dialogs));
    CVestrelDoc back;
    Lists reloaded(back, c.bus);
    ASSERT_TRUE(reloaded.def.DropFiles({path}));
    EXPECT_EQ(SignalOrder(reloaded.def), c.reloaded);
    EXPECT_TRUE(m.sink.shown.empty());
  }
}
