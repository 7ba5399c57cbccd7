#include "TextFile.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

TEST(PathPieces, Extension) {
  EXPECT_EQ(GetFileExtension("/data/bus.SBL"), "SBL");
  EXPECT_EQ(GetFileExtension("a.b.sbl"), "sbl");
  EXPECT_EQ(GetFileExtension("/data.old/bus"), "");
  EXPECT_EQ(GetFileExtension(".sbl"), "");
  EXPECT_EQ(GetFileExtension("bus."), "");
}

TEST(PathPieces, Title) {
  EXPECT_EQ(GetFileTitleFromPath("/data/bus.sbl"), "bus.sbl");
  EXPECT_EQ(GetFileTitleFromPath("bus.sbl"), "bus.sbl");
  EXPECT_EQ(GetFileTitleFromPath("/data/"), "/data/");
  EXPECT_EQ(GetFileTitleFromPath(""), "");
  EXPECT_EQ(GetFileTitleFromPath("/a.sbl"), "a.sbl");
  EXPECT_EQ(GetFileTitleFromPath("/"), "/");
}

#include <cstdio>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class TextFiles : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(dir_.empty()); }
  std::string Path(const char* name) const { return dir_ + "/" + name; }
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  static std::string Slurp(const std::string& path) {
    std::string text;
    EXPECT_TRUE(ReadTextFile(path, text));
    return text;
  }

  vrtest::TempDir tmp_;
  std::string dir_ = tmp_.Path();
};

TEST_F(TextFiles, WriteThenReadKeepsBytes) {
  const std::string text = "\x83\x5C\x95\x5C\r\nline\n\r\xFF\x80~\\";
  ASSERT_EQ(WriteTextFile(Path("a.sbl"), text), 0);
  EXPECT_EQ(Slurp(Path("a.sbl")), text);
  ASSERT_EQ(WriteTextFile(Path("a.sbl"), "short"), 0);  // replaces, no tail of the old text
  EXPECT_EQ(Slurp(Path("a.sbl")), "short");
  ASSERT_EQ(WriteTextFile(Path("empty"), ""), 0);
  EXPECT_EQ(Slurp(Path("empty")), "");
  EXPECT_EQ(Entries(), (std::vector<std::string>{"a.sbl", "empty"}));  // no temporary files left
}

TEST_F(TextFiles, ReadStopsAtZeroByte) {
  FILE* f = std::fopen(Path("z").c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite("ab\0cd", 1, 5, f);
  std::fclose(f);
  EXPECT_EQ(Slurp(Path("z")), "ab");
}

TEST_F(TextFiles, ReadFailuresAreReported) {
  std::string text = "stale";
  EXPECT_FALSE(ReadTextFile(Path("missing"), text));
  EXPECT_EQ(text, "");
  EXPECT_FALSE(ReadTextFile(dir_, text));  // a folder
  EXPECT_FALSE(ReadTextFile("", text));
  // A FIFO must neither hang nor be read.
  ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
  EXPECT_FALSE(ReadTextFile(Path("fifo"), text));
  if (::geteuid() != 0) {
    ASSERT_EQ(WriteTextFile(Path("secret"), "x"), 0);
    fs::permissions(Path("secret"), fs::perms::none);
    EXPECT_FALSE(ReadTextFile(Path("secret"), text));
  }
}

TEST_F(TextFiles, WriteFailuresAreReportedAndKeepTheOldFile) {
  EXPECT_EQ(WriteTextFile("", "x"), -1);
  EXPECT_EQ(WriteTextFile(Path("no/such/folder.sbl"), "x"), -1);
  fs::create_directory(Path("folder"));
  EXPECT_EQ(WriteTextFile(Path("folder"), "x"), -1);  // a folder as target
  EXPECT_TRUE(fs::is_directory(Path("folder")));

  // A read-only file is refused, by root too, and keeps its content.
  ASSERT_EQ(WriteTextFile(Path("ro.sbl"), "good"), 0);
  fs::permissions(Path("ro.sbl"), fs::perms::owner_read);
  EXPECT_EQ(WriteTextFile(Path("ro.sbl"), "bad"), -1);
  EXPECT_EQ(Slurp(Path("ro.sbl")), "good");

  if (::geteuid() != 0) {
    // A folder that cannot be written: the old file stays as it was.
    fs::create_directory(Path("locked"));
    ASSERT_EQ(WriteTextFile(Path("locked/a.sbl"), "good"), 0);
    fs::permissions(Path("locked"), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(WriteTextFile(Path("locked/a.sbl"), "bad"), -1);
    EXPECT_EQ(Slurp(Path("locked/a.sbl")), "good");
  }
  EXPECT_EQ(WriteTextFile("/dev/null", "x"), -1);  // not a regular file
}

TEST_F(TextFiles, WriteKeepsModeAndFollowsLinks) {
  ASSERT_EQ(WriteTextFile(Path("m.sbl"), "1"), 0);
  fs::permissions(Path("m.sbl"), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  ASSERT_EQ(WriteTextFile(Path("m.sbl"), "2"), 0);
  EXPECT_EQ(fs::status(Path("m.sbl")).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

  fs::create_symlink("m.sbl", Path("link.sbl"));
  ASSERT_EQ(WriteTextFile(Path("link.sbl"), "3"), 0);
  EXPECT_TRUE(fs::is_symlink(Path("link.sbl")));
  EXPECT_EQ(Slurp(Path("m.sbl")), "3");
}

TEST(ExecutableFolder, HoldsTheRunningProgram) {
  const std::string folder = GetExecutableFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder[0], '/');
  EXPECT_NE(folder.back(), '/');
  EXPECT_EQ(fs::canonical("/proc/self/exe").parent_path().string(), folder);
}

}  // namespace
