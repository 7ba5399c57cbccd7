#include "AppSettings.h"
#include "TempDir.h"
#include "TextFile.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The settings folder of one test, with the file the settings live in.
class TempFolder : public vrtest::TempDir {
 public:
  const std::string& path() const { return Path(); }
  std::string file() const { return File("Default.xml"); }
};

const char kDefaultText[] =
    "<VestrelSettings>\r\n"
    "<Version>1.2</Version>\r\n"
    "<Type>0</Type>\r\n"
    "<Window>\r\n"
    "<Left>0</Left>\r\n"
    "<Top>0</Top>\r\n"
    "<Right>0</Right>\r\n"
    "<Bottom>0</Bottom>\r\n"
    "</Window>\r\n"
    "<ShowCmd>0</ShowCmd>\r\n"
    "<MsgIdFrm>0</MsgIdFrm>\r\n"
    "</VestrelSettings>\r\n";

TEST(Settings, DefaultsWrittenExactly) {
  CAppSettings s;
  EXPECT_EQ(s.BuildXml(), kDefaultText);
}

TEST(Settings, MissingFileKeepsDefaultsAndSaveWritesIt) {
  TempFolder dir;
  CAppSettings s;
  s.SetSettingsFolder(dir.path());
  EXPECT_FALSE(s.Load());
  EXPECT_EQ(s.GetType(), 0);
  WindowRect rect{1, 1, 1, 1};
  ASSERT_TRUE(s.GetWindowRect(&rect));
  EXPECT_EQ(rect, WindowRect{});
  std::vector<std::string> keys;
  EXPECT_FALSE(s.GetKeyWords(&keys));  // no history yet
  ASSERT_TRUE(s.Save());
  std::string text;
  ASSERT_TRUE(ReadTextFile(dir.file(), text));
  EXPECT_EQ(text, kDefaultText);
}

TEST(Settings, RoundTrip) {
  TempFolder dir;
  CAppSettings out;
  out.SetSettingsFolder(dir.path());
  out.SetType(3);
  out.SetShowCmd(-3);
  out.SetVersion(1.5);
  tagDocState state{1, 1};
  out.SetDocState(&state);
  WindowRect rect{-8, 20, 1928, 1050};
  out.SetWindowRect(&rect);
  const std::vector<std::string> keys = {"Speed", "a&b", "<x>", "\x83\x5C\x95\x5C", " ", "]]>", "\x81"};
  out.SetKeyWords(&keys);
  ASSERT_TRUE(out.Save());

  std::string text;
  ASSERT_TRUE(ReadTextFile(dir.file(), text));
  EXPECT_NE(text.find("<KeyWord01>a&amp;b</KeyWord01>\r\n<KeyWord02>&lt;x&gt;</KeyWord02>"), std::string::npos) << text;

  CAppSettings in;
  in.SetSettingsFolder(dir.path());
  ASSERT_TRUE(in.Load());
  EXPECT_EQ(in.GetType(), 3);
  EXPECT_EQ(in.GetShowCmd(), -3);
  tagDocState readState{};
  ASSERT_TRUE(in.GetDocState(&readState));
  EXPECT_EQ(readState.msgIdFormat, 1);
  EXPECT_EQ(readState.modified, 0);  // the modified flag is not stored
  WindowRect readRect;
  ASSERT_TRUE(in.GetWindowRect(&readRect));
  EXPECT_EQ(readRect, rect);
  std::vector<std::string> readKeys;
  ASSERT_TRUE(in.GetKeyWords(&readKeys));
  EXPECT_EQ(readKeys, keys);
  EXPECT_EQ(in.BuildXml(), text);
}

TEST(Settings, KeepsNonEmptyAmongFirstTwenty) {
  std::vector<std::string> given;
  for (int i = 0; i < 25; ++i) {
    std::string text;
    if (i % 4 != 1) text.append("k").append(std::to_string(i));
    given.push_back(text);
  }
  CAppSettings s;
  ASSERT_TRUE(s.SetKeyWords(&given));
  std::vector<std::string> kept;
  ASSERT_TRUE(s.GetKeyWords(&kept));
  std::vector<std::string> expected;
  for (int i = 0; i < 20; ++i)
    if (!given[i].empty()) expected.push_back(given[i]);
  EXPECT_EQ(kept, expected);
  const std::string xml = s.BuildXml();
  EXPECT_NE(xml.find("<KeyWord14>k19</KeyWord14>"), std::string::npos);
  EXPECT_EQ(xml.find("KeyWord15"), std::string::npos);
}

TEST(Settings, NullPointersRefused) {
  CAppSettings s;
  EXPECT_FALSE(s.GetDocState(nullptr));
  EXPECT_FALSE(s.SetDocState(nullptr));
  EXPECT_FALSE(s.GetWindowRect(nullptr));
  EXPECT_FALSE(s.SetWindowRect(nullptr));
  EXPECT_FALSE(s.SetKeyWords(nullptr));
  EXPECT_FALSE(s.GetKeyWords(nullptr));
}

TEST(Settings, EmptyHistoryWritesNoKeyWords) {
  CAppSettings s;
  std::vector<std::string> empties = {"", ""};
  s.SetKeyWords(&empties);
  EXPECT_EQ(s.BuildXml(), kDefaultText);
}

// What a file yields, starting from known non-default values.
struct FileCase {
  const char* label;
  std::string file;
  int type, showCmd, msgIdFrm;
  WindowRect rect;
  std::vector<std::string> keyWords;  // {"-"}: the list stays as it was
  const char* version;                // as written back
  friend void PrintTo(const FileCase& c, std::ostream* os) { *os << c.label; }
};

const std::vector<std::string> kUnchanged = {"-"};

class SettingsFile : public ::testing::TestWithParam<FileCase> {};

TEST_P(SettingsFile, Yields) {
  const FileCase& c = GetParam();
  TempFolder dir;
  {
    FILE* f = std::fopen(dir.file().c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(c.file.data(), 1, c.file.size(), f);
    std::fclose(f);
  }
  CAppSettings s;
  s.SetSettingsFolder(dir.path());
  s.SetType(7);
  s.SetShowCmd(7);
  tagDocState state{7, 0};
  s.SetDocState(&state);
  WindowRect before{7, 7, 7, 7};
  s.SetWindowRect(&before);
  std::vector<std::string> old = {"old"};
  s.SetKeyWords(&old);
  s.SetVersion(7.0);

  EXPECT_EQ(s.Load(), !c.file.empty());
  EXPECT_EQ(s.GetType(), c.type);
  EXPECT_EQ(s.GetShowCmd(), c.showCmd);
  s.GetDocState(&state);
  EXPECT_EQ(state.msgIdFormat, c.msgIdFrm);
  WindowRect rect;
  s.GetWindowRect(&rect);
  EXPECT_EQ(rect, c.rect);
  std::vector<std::string> keys;
  s.GetKeyWords(&keys);
  EXPECT_EQ(keys, c.keyWords == kUnchanged ? old : c.keyWords);
  EXPECT_NE(s.BuildXml().find(std::string("<Version>") + c.version + "</Version>"), std::string::npos);
}

const WindowRect kZero{};
const WindowRect kSeven{7, 7, 7, 7};

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsFile,
    ::testing::Values(
        FileCase{"Full",
                 "<VestrelSettings>\r\n<Version>1.2</Version>\r\n<Type>2</Type>\r\n<Window>\r\n<Left>1</Left>\r\n"
                 "<Top>2</Top>\r\n<Right>3</Right>\r\n<Bottom>4</Bottom>\r\n</Window>\r\n<ShowCmd>3</ShowCmd>\r\n"
                 "<MsgIdFrm>1</MsgIdFrm>\r\n<KeyWords>\r\n<KeyWord00>a</KeyWord00>\r\n</KeyWords>\r\n"
                 "</VestrelSettings>\r\n",
                 2,
                 3,
                 1,
                 {1, 2, 3, 4},
                 {"a"},
                 "1.2"},
        FileCase{"EmptyFile", "", 7, 7, 7, kZero, kUnchanged, "7.0"},
        FileCase{"Malformed", "<VestrelSettings><Type>2</Type>", 7, 7, 7, kZero, kUnchanged, "7.0"},
        FileCase{"NotXmlAtAll", "BO_ 100 Msg: 8 Node\r\n", 7, 7, 7, kZero, kUnchanged, "7.0"},
        FileCase{"TopLevelNameNotCompared", "<Other><Type>1</Type></Other>", 1, 7, 7, kZero, kUnchanged, "7.0"},
        FileCase{"TypeBeforeVersion", "<S><Type>3</Type><Version>1.4</Version></S>", 7, 7, 7, kZero, kUnchanged, "1.4"},
        FileCase{"NoWindowStillReadsLaterOnes", "<S><Type>1</Type><ShowCmd>2</ShowCmd><MsgIdFrm>1</MsgIdFrm></S>", 1, 2,
                 1, kZero, kUnchanged, "7.0"},
        FileCase{"PartialWindow",
                 "<S><Window><Top>5</Top><Bottom>9</Bottom></Window></S>",
                 7,
                 7,
                 7,
                 {0, 5, 0, 9},
                 kUnchanged,
                 "7.0"},
        FileCase{"EmptyWindow", "<S><Window/><ShowCmd>1</ShowCmd></S>", 7, 1, 7, kZero, kUnchanged, "7.0"},
        FileCase{"SparseKeyWords",
                 "<S><KeyWords><KeyWord00>x</KeyWord00><KeyWord01></KeyWord01><KeyWord02>y</KeyWord02>"
                 "<KeyWord05>z</KeyWord05><KeyWord20>no</KeyWord20></KeyWords></S>",
                 7,
                 7,
                 7,
                 kZero,
                 {"x", "y", "z"},
                 "7.0"},
        FileCase{"KeyWordsOutOfOrder",
                 "<S><KeyWords><KeyWord03>b</KeyWord03><KeyWord01>a</KeyWord01></KeyWords></S>",
                 7,
                 7,
                 7,
                 kZero,
                 {"a"},
                 "7.0"},
        FileCase{"EmptyKeyWordsEmptiesList", "<S><KeyWords/></S>", 7, 7, 7, kZero, {}, "7.0"},
        FileCase{"EncodedKeyWord",
                 "<S><KeyWords><KeyWord00>&lt;a&amp;b&gt;</KeyWord00></KeyWords></S>",
                 7,
                 7,
                 7,
                 kZero,
                 {"<a&b>"},
                 "7.0"},
        FileCase{"NumbersLikeAtoi",
                 "<S><Version> 1.25xyz</Version><Type>12abc</Type><ShowCmd>abc</ShowCmd>"
                 "<MsgIdFrm>99999999999</MsgIdFrm></S>",
                 12, 0, 2147483647, kZero, kUnchanged, "1.2"},
        FileCase{"OutOfRangeTakenAsIs",
                 "<S><Type>-5</Type><Window><Left>-32000</Left></Window></S>",
                 -5,
                 7,
                 7,
                 {-32000, 0, 0, 0},
                 kUnchanged,
                 "7.0"}));

TEST(Settings, CommaDecimalLocaleReadsAndWritesTheSameBytes) {
  const char* previous = std::setlocale(LC_ALL, nullptr);
  std::string saved = previous ? previous : "C";
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8") && !std::setlocale(LC_ALL, "de_DE.utf8"))
    GTEST_SKIP() << "no German locale installed";
  TempFolder dir;
  {
    CAppSettings s;
    s.SetSettingsFolder(dir.path());
    s.SetVersion(1.2);
    ASSERT_TRUE(s.Save());
  }
  std::string text;
  ASSERT_TRUE(ReadTextFile(dir.file(), text));
  EXPECT_EQ(text, kDefaultText);
  CAppSettings in;
  in.SetSettingsFolder(dir.path());
  in.SetVersion(9.0);
  ASSERT_TRUE(in.Load());
  EXPECT_EQ(in.BuildXml(), kDefaultText);
  std::setlocale(LC_ALL, saved.c_str());
}

TEST(SettingsPlace, BesideTheExecutableWhenWritable) {
  CAppSettings s;
  TempFolder dir;
  EXPECT_EQ(CAppSettings::ChooseSettingsFolder(dir.path()), dir.path());
  const std::string exeFolder = GetExecutableFolder();
  if (CAppSettings::IsUserProgramFolder(exeFolder)) EXPECT_EQ(s.GetDefaultFilePath(), exeFolder + "/Default.xml");
  else EXPECT_NE(s.GetDefaultFilePath(), exeFolder + "/Default.xml");
}

TEST(SettingsPlace, UserConfigFolderWhenTheProgramFolderIsNotWritable) {
  TempFolder config;
  const char* old = std::getenv("XDG_CONFIG_HOME");
  std::string saved = old ? old : "";
  ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
  // A folder that does not exist cannot be written by anyone, root included.
  EXPECT_EQ(CAppSettings::ChooseSettingsFolder("/nonexistent/vestrel/bin"), config.path() + "/Vestrel");
  if (::geteuid() != 0) {
    TempFolder installed;
    fs::permissions(installed.path(), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(CAppSettings::ChooseSettingsFolder(installed.path()), config.path() + "/Vestrel");
  }
  // A relative XDG_CONFIG_HOME is ignored in favour of ~/.config.
  ::setenv("XDG_CONFIG_HOME", "relative", 1);
  const char* home = std::getenv("HOME");
  if (home && *home) {
    EXPECT_EQ(CAppSettings::ChooseSettingsFolder("/nonexistent/vestrel/bin"), std::string(home) + "/.config/Vestrel");
  }

  // Saving creates the program's folder below the configuration folder.
  ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
  CAppSettings s;
  s.SetSettingsFolder(CAppSettings::ChooseSettingsFolder("/nonexistent/vestrel/bin"));
  EXPECT_TRUE(s.Save());
  EXPECT_TRUE(fs::exists(config.path() + "/Vestrel/Default.xml"));

  if (old) ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
  else ::unsetenv("XDG_CONFIG_HOME");
}

// Root may write everywhere, so write access alone would put the settings
// beside a system-installed program; only a folder that is the user's own
// counts. Run as root, every refusal below is one that access() would grant.
TEST(SettingsPlace, ProgramFolderOnlyWhenItIsTheUsersOwn) {
  TempFolder config;
  const char* old = std::getenv("XDG_CONFIG_HOME");
  const std::string saved = old ? old : "";
  ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
  const std::string user = config.path() + "/Vestrel";

  TempFolder own, readOnly, foreign;
  fs::permissions(readOnly.path(), fs::perms::owner_read | fs::perms::owner_exec);
  const bool chowned = ::geteuid() == 0 && ::chown(foreign.path().c_str(), 65534, 65534) == 0;
  struct Case {
    std::string folder;
    std::string expected;
  };
  std::vector<Case> cases = {
      {own.path(), own.path()}, {readOnly.path(), user}, {"/usr/bin", user},
      {"/usr/local/bin", user}, {"/opt/vestrel", user},  {"/", user},
      {"relative/bin", user},
  };
  if (chowned) cases.push_back({foreign.path(), user});
  for (const Case& c : cases) EXPECT_EQ(CAppSettings::ChooseSettingsFolder(c.folder), c.expected) << c.folder;
  EXPECT_FALSE(CAppSettings::IsUserProgramFolder("/usr"));
  EXPECT_TRUE(CAppSettings::IsUserProgramFolder(own.path()));

  if (old) ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
  else ::unsetenv("XDG_CONFIG_HOME");
}

TEST(SettingsPlace, FailedSaveReportedAndKeepsTheOldFile) {
  TempFolder dir;
  // The target is a folder: nothing can be written there.
  fs::create_directory(dir.file());
  CAppSettings s;
  s.SetSettingsFolder(dir.path());
  EXPECT_FALSE(s.Save());
  EXPECT_TRUE(fs::is_directory(dir.file()));
}

}  // namespace
