// Every reader takes its file through the one reading function: special files
// are refused at once (no hang, no endless growth) and a file above the size
// cap fails clearly.
#include "DocFixture.h"
#include "LdfReader.h"
#include "ListLoad.h"
#include "ListSearch.h"
#include "ListTestUtil.h"
#include "RecordingMessageSink.h"
#include "TextFile.h"
#include "XmlDom.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace listtest;

DOC_TEST(ReadFileBytes, RegularFilesOnlyAndAtMostTheCap) {
  TempDir dir;
  std::string bytes;
  ReadFileError why = ReadFileError::None;
  const std::string file = dir.Write("a.ldf", std::string("ab\0cd", 5));
  EXPECT_TRUE(ReadFileBytes(file, bytes, &why));
  EXPECT_EQ(bytes, std::string("ab\0cd", 5));  // zero bytes kept
  EXPECT_FALSE(ReadFileBytes(file, bytes, &why, 4));
  EXPECT_EQ(why, ReadFileError::TooLarge);
  EXPECT_TRUE(bytes.empty());
  EXPECT_TRUE(ReadFileBytes(file, bytes, &why, 5));

  ASSERT_EQ(::mkfifo(dir.File("fifo.ldf").c_str(), 0600), 0);
  ASSERT_EQ(::symlink("/dev/zero", dir.File("zero.ldf").c_str()), 0);
  for (const char* name : {"fifo.ldf", "zero.ldf"}) {
    EXPECT_FALSE(ReadFileBytes(dir.File(name), bytes, &why)) << name;
    EXPECT_EQ(why, ReadFileError::NotRegularFile) << name;
  }
  EXPECT_FALSE(ReadFileBytes(dir.File("none"), bytes, &why));
  EXPECT_EQ(why, ReadFileError::CannotOpen);
  EXPECT_EQ(kMaxReadFileBytes, std::size_t{256} << 20);
}

// A file above the cap (sparse, so it costs no disk) fails at once with its
// own message, whatever its kind, and leaves the list alone.
DOC_TEST(ReadFileBytes, AFileAboveTheCapIsRefusedWithItsOwnMessage) {
  TempDir dir;
  AddCanSig(doc, AddCanMsg(doc, LIST_REFERENCE, "Kept", 1, 8), {"S"});
  RecordingMessageSink sink;
  for (const char* name : {"big.dbc", "big.ldf", "big.xml", "big.sbl"}) {
    const std::string path = dir.File(name);
    int fd = ::open(path.c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(kMaxReadFileBytes) + 1), 0);
    ::close(fd);
    std::string bytes;
    ReadFileError why = ReadFileError::None;
    EXPECT_FALSE(ReadFileBytes(path, bytes, &why)) << name;
    EXPECT_EQ(why, ReadFileError::TooLarge) << name;
    EXPECT_EQ(LoadListFile(doc, LIST_REFERENCE, path, BUS_CAN).result, IDS_MSG_FILE_TOO_LARGE) << name;
    EXPECT_EQ(doc.CountCanSignals(LIST_REFERENCE), 1) << name;
  }
}

// A FIFO or a link to /dev/zero under a reader's extension: each reader
// refuses it at once (the test would hang or run out of memory otherwise).
DOC_TEST(ReadFileBytes, EveryReaderRefusesSpecialFiles) {
  TempDir dir;
  ASSERT_EQ(::mkfifo(dir.File("x.ldf").c_str(), 0600), 0);
  ASSERT_EQ(::mkfifo(dir.File("x.xml").c_str(), 0600), 0);
  ASSERT_EQ(::mkfifo(dir.File("x.dbc").c_str(), 0600), 0);
  ASSERT_EQ(::symlink("/dev/zero", dir.File(".ldf").c_str()), 0);
  ASSERT_EQ(::symlink("/dev/zero", dir.File("z.xml").c_str()), 0);

  CLdfReader reader;
  EXPECT_EQ(reader.Open(dir.File("x.ldf")), -1);
  EXPECT_EQ(reader.Open(dir.File(".ldf")), -1);
  XmlDomDocument xml;
  EXPECT_FALSE(xml.load(dir.File("x.xml")));
  EXPECT_FALSE(xml.load(dir.File("z.xml")));

  RecordingMessageSink sink;
  for (const char* name : {"x.ldf", "x.xml", "x.dbc", "z.xml"})
    EXPECT_EQ(LoadListFile(doc, LIST_REFERENCE, dir.File(name), BUS_CAN).result, 4006) << name;
}

// A character the code page cannot hold and a real '?' are different
// characters: neither finds the other.
DOC_TEST(SearchText, CharacterOutsideTheCodePageIsNoQuestionMark) {
  ListRow row;
  row.cells = {"1", "", "FRAME?", "10", "SPEED"};
  const std::string outside(1, kSearchCharOutsideCodePage);
  EXPECT_TRUE(RowMatches(row, BUS_FLEXRAY, "?"));
  EXPECT_FALSE(RowMatches(row, BUS_FLEXRAY, outside));
  EXPECT_FALSE(RowMatches(row, BUS_FLEXRAY, "FRAME" + outside));
  ListRow plain;
  plain.cells = {"1", "", "FRAME", "10", "SPEED"};
  EXPECT_FALSE(RowMatches(plain, BUS_FLEXRAY, "?"));
  EXPECT_FALSE(RowMatches(plain, BUS_FLEXRAY, outside));
  // Not even a broken byte of a name read from a file matches it.
  ListRow broken;
  broken.cells = {"1", "", "BAD\xFF", "10", "SPEED"};
  EXPECT_FALSE(RowMatches(broken, BUS_FLEXRAY, outside));
  // The history keeps such a text readable, as '?'.
  CListSearch search;
  RecordingMessageSink sink;
  search.FindNext({row}, BUS_FLEXRAY, {}, "t" + outside);
  EXPECT_EQ(sink.Ids(), std::vector<int>{4012});
  EXPECT_EQ(search.History().Entries().front(), "t?");
}
