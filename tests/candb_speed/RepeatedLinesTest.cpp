// Attribute lines that repeat: what each one does must not depend on how it
// is looked up. Float lines reach every record of that identifier and name
// stored before them (later ones too when the line repeats); a range line
// the first such record; J1939 defaults and values the records stored before
// them, the later line winning.
#include "DbcFixture.h"
#include "MultiplexText.h"

#include <string>
#include <vector>

namespace {

std::string Sig(const std::string& name) { return " SG_ " + name + " : 0|8@1+ (1,0) [0|0] \"\" N\n"; }

const std::string kDef = "BA_DEF_ BO_ \"VFrameFormat\" ENUM \"a\",\"J1939PG\";\n";
const std::string kDefault = "BA_DEF_DEF_ \"ProtocolType\" \"J1939\";\n";
std::string Value(int id, int v) {
  return "BA_ \"VFrameFormat\" BO_ " + std::to_string(id) + " " + std::to_string(v) + ";\n";
}

std::vector<int> Column(const CCanDB& db, int (CCanDB::*get)(int) const) {
  std::vector<int> out;
  for (int i = 0; i < db.GetCount(); ++i) out.push_back((db.*get)(i));
  return out;
}
std::vector<int> Types(const CCanDB& db) {
  std::vector<int> out;
  for (int i = 0; i < db.GetCount(); ++i) out.push_back(db.GetValueType(i));
  return out;
}

}  // namespace

TEST(RepeatedAttributeLines, FloatLinesReachRecordsStoredBeforeEachLine) {
  std::string text = "BO_ 1 A: 8 N\n" + Sig("X") + Sig("Y") + Sig("X") + "SIG_VALTYPE_ 1 X : 1;\n" +
                     "SIG_VALTYPE_ 1 X : 1;\n" + "BO_ 2 B: 8 N\n" + Sig("X") + "BO_ 1 A2: 8 N\n" + Sig("X") + Sig("Y") +
                     "SIG_VALTYPE_ 1 X : 2;\n" + "SIG_VALTYPE_ 1 Y : 0;\n" + "BO_ 1 A3: 8 N\n" + Sig("X");
  auto db = ReadDbc(text);
  // A, A, A | B | A2, A2 | A3: the X of message 2 and the last X (after the
  // last line) stay integers, and so does every Y (its line says type 0).
  EXPECT_EQ(Types(*db), (std::vector<int>{2, 0, 2, 0, 2, 0, 0}));
}

TEST(RepeatedAttributeLines, RangeLinesTakeTheFirstRecordOfThatName) {
  std::string text = "BO_ 1 A: 8 N\n" + Sig("S M") + Sig("X m1") + Sig("X m2") + "SG_MUL_VAL_ 1 X S 1-1;\n" +
                     "SG_MUL_VAL_ 1 X S 3-4;\n" + "SG_MUL_VAL_ 1 Z S 3-4;\n" + "SG_MUL_VAL_ 2 X S 5-6;\n";
  auto db = ReadDbc(text);
  EXPECT_STREQ(db->GetMultiplexValue(1), "3-4");  // the last line over the first X
  EXPECT_STREQ(db->GetMultiplexValue(2), "2");
  EXPECT_STREQ(db->GetMultiplexor(1), "S");
  EXPECT_STREQ(db->GetMultiplexor(2), "S");  // from the switch, after the lines
}

TEST(RepeatedAttributeLines, TheLastJ1939LineOverARecordWins) {
  struct Case {
    const char* name;
    std::string text;
    std::vector<int> marks;
  };
  const std::string a = "BO_ 1 A: 8 N\n" + Sig("A1") + Sig("A2");
  const std::string b = "BO_ 2 B: 8 N\n" + Sig("B1");
  const std::string c = "BO_ 1 C: 8 N\n" + Sig("C1");  // the identifier of A again
  const Case cases[] = {
      {"default only", kDef + a + kDefault + b, {1, 1, 0}},
      {"value after default", kDef + a + b + kDefault + Value(1, 1) + Value(1, 0), {0, 0, 1}},
      {"default after value", kDef + a + b + Value(1, 0) + Value(2, 1) + kDefault, {1, 1, 1}},
      {"value before later records", kDef + a + Value(1, 1) + c + b, {1, 1, 0, 0}},
      {"default between values", kDef + a + Value(1, 1) + b + kDefault + c + Value(2, 0) + Value(1, 0), {0, 0, 0, 0}},
      {"repeated defaults and values",
       kDef + a + kDefault + kDefault + Value(1, 0) + b + kDefault + c + Value(1, 0),
       {0, 0, 1, 0}},
      {"value before its definition", a + Value(1, 1) + kDef + b + Value(2, 1), {0, 0, 1}},
      {"placeholder takes the mark of its pending message", kDef + "BO_ 3 P: 8 N\n" + Value(3, 1) + b, {1, 0}},
      {"placeholder and a later default", kDef + "BO_ 3 P: 8 N\n" + Value(3, 0) + kDefault + b + kDefault, {1, 1}},
  };
  for (const Case& k : cases) {
    auto db = ReadDbc(k.text);
    EXPECT_EQ(Column(*db, &CCanDB::IsJ1939), k.marks) << k.name;
  }
}

TEST(MultiplexTextOwner, MovesReplacesAndHandsOver) {
  MultiplexText a;
  EXPECT_FALSE(a);
  a.Set("1-2");
  a.Set(std::string_view(a.Get() + 2, 1));  // from its own text
  EXPECT_STREQ(a.Get(), "2");
  MultiplexText b = std::move(a);
  EXPECT_EQ(a.Get(), nullptr);
  EXPECT_STREQ(b.Get(), "2");
  a.Set("7");
  a = std::move(b);
  EXPECT_STREQ(a.Get(), "2");
  char* taken = a.Release();
  EXPECT_FALSE(a);
  EXPECT_STREQ(taken, "2");
  delete[] taken;
}
