// The comma-separated label file and the field splitter behind it.
#include "DbcFixture.h"

#include <cstring>
#include <sstream>
#include <vector>

namespace {

std::string ReadBack(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(CanDbLabelFile, WrittenFileReadsBackTheSameRecords) {
  auto db = ReadDbc(
      "BO_ 2147483748 Ext: 8 ECU1\n"
      " SG_ Speed : 8|16@1- (0.5,-40) [0|0] \"km/h\" ECU2\n"
      " SG_ Wide : 7|8@0+ (1,0) [0|0] \"\" ECU2\n"
      " SG_ Real : 32|32@1- (0.25,1e-05) [0|0] \"V\" ECU2\n"
      "SIG_VALTYPE_ 2147483748 Real : 1;\n");
  ASSERT_EQ(db->GetCount(), 3);
  TempFolder folder;
  std::string path = folder.Path() + "/labels.csv";
  ASSERT_EQ(db->Save(path, 0), 0);
  EXPECT_EQ(ReadBack(path),
            "%KVT,1.01\n"
            "LABEL,EXT,ID,START,LEN,VAL,ENDIAN,GAIN,OFFSET,UNIT\n"
            "Speed,On,100,8,16,Signed,Little,0.5,-40,km/h\n"
            "Wide,On,100,56,8,Unsigned,Big,1,0,\n"
            "Real,On,100,32,32,Float,Little,0.25,1e-05,V\n");

  CCanDB back;
  ASSERT_EQ(back.Load(path, 0), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_STREQ(back.GetSignalName(i), db->GetSignalName(i));
    EXPECT_EQ(back.IsExtended(i), db->IsExtended(i));
    EXPECT_EQ(back.GetId(i), db->GetId(i));
    EXPECT_EQ(back.GetStartBit(i), db->GetStartBit(i));
    EXPECT_EQ(back.GetBitLength(i), db->GetBitLength(i));
    EXPECT_EQ(back.GetValueType(i), db->GetValueType(i));
    EXPECT_EQ(back.GetByteOrder(i), db->GetByteOrder(i));
    EXPECT_EQ(back.GetFactor(i), db->GetFactor(i));
    EXPECT_EQ(back.GetOffset(i), db->GetOffset(i));
    EXPECT_STREQ(back.GetUnit(i), db->GetUnit(i));
  }
}

struct LabelCase {
  const char* line;
  int32_t identifier;  // as stored, bit 31 included
  uint32_t startBit, bitLength;
  uint8_t valueType, byteOrder;
  double factor, offset;
  const char* unit;
};

class LabelLine : public ::testing::TestWithParam<LabelCase> {};

TEST_P(LabelLine, FieldsInWordsOrNumbers) {
  const LabelCase& c = GetParam();
  TempFolder folder;
  std::string path = folder.Write("l.csv", std::string("junk before the header\r\n%KVT,1.01\r\n// note\r\n") +
                                               "LABEL,EXT,ID\r\n" + c.line + "\r\n");
  CCanDB db;
  ASSERT_EQ(db.ReadLabelFile(path), 1) << c.line;
  EXPECT_STREQ(db.GetSignalName(0), "Name");
  EXPECT_EQ(db.GetId(0), c.identifier & 0x7FFFFFFF) << c.line;
  EXPECT_EQ(db.IsExtended(0), c.identifier < 0) << c.line;
  EXPECT_EQ(db.GetStartBit(0), c.startBit) << c.line;
  EXPECT_EQ(db.GetBitLength(0), c.bitLength) << c.line;
  EXPECT_EQ(db.GetValueType(0), c.valueType) << c.line;
  EXPECT_EQ(db.GetByteOrder(0), c.byteOrder) << c.line;
  EXPECT_EQ(db.GetFactor(0), c.factor) << c.line;
  EXPECT_EQ(db.GetOffset(0), c.offset) << c.line;
  EXPECT_STREQ(db.GetUnit(0), c.unit) << c.line;
}

INSTANTIATE_TEST_SUITE_P(
    CanDb, LabelLine,
    ::testing::Values(LabelCase{"Name,off,0x10,010,8,unsigned,little", 16, 8, 8, 0, 0, 1.0, 0.0, ""},
                      LabelCase{" Name , ON , 100 , 3 , 4 , SIGNED , BIG , 2 , 3 , rpm ",
                                static_cast<int32_t>(0x80000064u), 3, 4, 1, 1, 2.0, 3.0, "rpm"},
                      LabelCase{"Name,1,7,0,1,2,1,0.5", static_cast<int32_t>(0x80000007u), 0, 1, 2, 1, 0.5, 0.0, ""},
                      LabelCase{"Name,0,7,0,1,1,0,,,", 7, 0, 1, 1, 0, 0.0, 0.0, ""},
                      LabelCase{"Name,x,7,0,600,Float,x,1,0,u", 7, 0, 600, 2, 0, 1.0, 0.0, "u"}));

TEST(CanDbLabelFile, HeaderShortLinesAndFailures) {
  TempFolder folder;
  CCanDB db;
  EXPECT_EQ(db.ReadLabelFile(folder.Write("none.csv", "Name,off,1,0,8,unsigned,little\n")), -2);
  EXPECT_EQ(db.ReadLabelFile(folder.Path() + "/missing.csv"), -1);
  EXPECT_EQ(db.ReadLabelFile(folder.Write("short.csv", "%KVT,1.01\nA,off,1,0,8,unsigned\nB,off,1,0,8,x,y\n")), 1);
  EXPECT_STREQ(db.GetSignalName(0), "B");
  EXPECT_EQ(db.Load(folder.Path() + "/x", 7), -1);
  EXPECT_EQ(db.Save(folder.Path() + "/x", 1), -1);
  EXPECT_EQ(db.WriteLabelFile(folder.Path() + "/no/such/folder/x.csv"), -1);
}

struct SplitCase {
  const char* line;
  int max;
  std::vector<const char*> fields;
};

class SplitFields : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitFields, FieldsWithoutTheirSurroundingWhiteSpace) {
  const SplitCase& c = GetParam();
  std::string buffer = c.line;
  std::vector<char*> fields(static_cast<std::size_t>(c.max) + 1, reinterpret_cast<char*>(1));
  CCanDB db(1);
  int n = db.SplitFields(buffer.data(), ",", fields.data(), c.max);
  ASSERT_EQ(n, static_cast<int>(c.fields.size())) << c.line;
  for (int k = 0; k < n; ++k) EXPECT_STREQ(fields[static_cast<std::size_t>(k)], c.fields[static_cast<std::size_t>(k)]);
  for (int k = n; k < c.max; ++k) EXPECT_EQ(fields[static_cast<std::size_t>(k)], nullptr);
}

INSTANTIATE_TEST_SUITE_P(CanDb, SplitFields,
                         ::testing::Values(SplitCase{"a,b,c", 16, {"a", "b", "c"}},
                                           SplitCase{"  a , b\t,\tc  ", 16, {"a", "b", "c"}}, SplitCase{"", 4, {""}},
                                           SplitCase{"a,,", 4, {"a", "", ""}}, SplitCase{"a,b,c,d", 2, {"a", "b"}},
                                           // The trail byte 0x5C of "ソ" is not white space or a delimiter.
                                           SplitCase{"\x83\x5C,x", 4, {"\x83\x5C", "x"}}));

}  // namespace
