#include "ListScroll.h"
#include "ShellLogic.h"

#include <gtest/gtest.h>

namespace {

TEST(ShellLanguage, LocaleVariablesTakeTheFirstNonEmpty) {
  struct Case {
    const char* lcAll;
    const char* lcMessages;
    const char* lang;
    int expected;
  } cases[] = {
      {"ja_JP.UTF-8", nullptr, nullptr, UILANG_JAPANESE},
      {"", "ja_JP.UTF-8", "en_US.UTF-8", UILANG_JAPANESE},
      {nullptr, nullptr, "ja", UILANG_JAPANESE},
      {"en_US.UTF-8", "ja_JP.UTF-8", "ja_JP.UTF-8", UILANG_OTHER},
      {nullptr, nullptr, "zh_CN.UTF-8", UILANG_CHINESE_SIMPLIFIED},
      {nullptr, "zh-Hans", nullptr, UILANG_CHINESE_SIMPLIFIED},
      {nullptr, nullptr, "zh_TW.UTF-8", UILANG_OTHER},
      {nullptr, nullptr, "zh_SG.UTF-8", UILANG_OTHER},
      {nullptr, nullptr, "zh_HK.UTF-8", UILANG_OTHER},
      {nullptr, nullptr, "zh-CN", UILANG_CHINESE_SIMPLIFIED},
      {nullptr, nullptr, "C", UILANG_OTHER},
      {nullptr, nullptr, nullptr, UILANG_OTHER},
      {"", "", "", UILANG_OTHER},
  };
  for (const Case& c : cases)
    EXPECT_EQ(UiLanguageFromLocale(c.lcAll, c.lcMessages, c.lang), c.expected)
        << (c.lcAll ? c.lcAll : "-") << " / " << (c.lcMessages ? c.lcMessages : "-") << " / "
        << (c.lang ? c.lang : "-");
}

TEST(ShellLanguage, LibraryChoiceTable) {
  struct Case {
    int language;
    const char* commandLine;
    const char* library;
  } cases[] = {
      {UILANG_JAPANESE, "vestrel", ""},
      {UILANG_JAPANESE, "vestrel -lang e", "VrEngRc"},
      {UILANG_JAPANESE, "vestrel x-lang eng", "VrEngRc"},  // inside a longer argument
      {UILANG_JAPANESE, "vestrel -LANG E", ""},            // case-sensitive
      {UILANG_JAPANESE, "vestrel -lang  e", ""},
      {UILANG_CHINESE_SIMPLIFIED, "vestrel", "VrChsRc"},
      {UILANG_CHINESE_SIMPLIFIED, "vestrel -lang e", "VrChsRc"},  // not looked at
      {UILANG_OTHER, "vestrel", "VrEngRc"},
      {UILANG_OTHER, "vestrel -lang e", "VrEngRc"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ChooseResourceLibrary(c.language, c.commandLine), c.library) << c.language << " " << c.commandLine;
}

TEST(ShellLanguage, CommandLineIsJoinedBeforeOptionsAreTaken) {
  const char* argv[] = {"/opt/vestrel", "-lang", "e", "file.sbl"};
  EXPECT_EQ(JoinCommandLine(4, argv), "/opt/vestrel -lang e file.sbl");
  EXPECT_EQ(JoinCommandLine(0, nullptr), "");
}

TEST(ShellLanguage, LibraryPathIsInTheExecutableFolderOnly) {
  EXPECT_EQ(ResourceLibraryPath("/opt/vestrel", "VrEngRc"), "/opt/vestrel/VrEngRc.rcc");
  EXPECT_EQ(ResourceLibraryPath("/opt/vestrel", ""), "");
}

TEST(ShellSplitter, PaneWidthsForOddAndEvenWidths) {
  struct Case {
    int width, bar, left, right;
  } cases[] = {
      {1000, 6, 495, 495},                                // (1000 - 10) / 2
      {1001, 6, 495, 496},                                // 495.5 cut towards zero, the rest to the right
      {11, 6, 0, 1},       {10, 6, 0, 0}, {9, 6, 0, -1},  // narrower than the bar: (int)(-0.5) is 0
  };
  for (const Case& c : cases) {
    const PaneWidths p = SplitPaneWidths(c.width, c.bar);
    EXPECT_EQ(p.left, c.left) << c.width;
    EXPECT_EQ(p.right, c.right) << c.width;
    EXPECT_EQ(p.left + p.right + c.bar + 4, c.width);
  }
}

TEST(ShellSettings, BusKindOutsideItsRangeBecomesCan) {
  for (int k = 0; k <= 3; ++k) EXPECT_EQ(NormalizeBusKind(k), k);
  for (int k : {-1, 4, 99, -2147483647 - 1}) EXPECT_EQ(NormalizeBusKind(k), 0) << k;
}

TEST(ShellAbout, VersionTextRunsBuildIntoMinor) {
  VersionInfo v = BuildVersionInfo(1, 6, 0, 0);
  EXPECT_EQ(VersionText(v), "1.60");
  EXPECT_EQ(VersionText(BuildVersionInfo(2, 1, 3, 7)), "2.13");  // revision not shown
  EXPECT_EQ(VersionText(BuildVersionInfo(1, 3, 12, 0)), "1.312");
  EXPECT_EQ(VersionLine(v), "Vestrel Version 1.60");  // no trailing blank
  v.specialBuild = "beta";
  EXPECT_EQ(VersionLine(v), "Vestrel Version 1.60 beta");
  v.privateBuild = "lab";
  EXPECT_EQ(VersionLine(v), "Vestrel Version 1.60 beta lab");
  v.specialBuild.clear();
  EXPECT_EQ(VersionLine(v), "Vestrel Version 1.60 lab");
}

TEST(ShellFilters, FilterTextsBecomeDescriptionsAndPatterns) {
  const auto f = ParseFilterText("All (*.dbc; *.sbl)|*.dbc; *.sbl|CANdb (*.dbc)|*.dbc|Definitions (*.sbl)|*.sbl||");
  ASSERT_EQ(f.size(), 3u);
  EXPECT_EQ(f[0].description, "All (*.dbc; *.sbl)");
  EXPECT_EQ(f[0].patterns, (std::vector<std::string>{"*.dbc", "*.sbl"}));
  EXPECT_EQ(f[1].patterns, (std::vector<std::string>{"*.dbc"}));
  EXPECT_EQ(f[2].description, "Definitions (*.sbl)");
  EXPECT_TRUE(ParseFilterText("").empty());
  EXPECT_TRUE(ParseFilterText("||").empty());
  EXPECT_EQ(ParseFilterText("Only|*.ldf").size(), 1u);   // closing "|" missing
  EXPECT_TRUE(ParseFilterText("No pattern||").empty());  // entry without a pattern
}

TEST(ShellFilters, ExtensionsMatchWithoutCase) {
  const FileFilter f = ParseFilterText("x|*.dbc; *.sbl|").front();
  for (const char* name : {"a.dbc", "A.DBC", "bus.Sbl", "x.y.dbc"}) EXPECT_TRUE(MatchesFilter(name, f)) << name;
  for (const char* name : {"a.dbcx", "a.txt", "dbc", "a.sbl.bak"}) EXPECT_FALSE(MatchesFilter(name, f)) << name;
  EXPECT_TRUE(MatchesFilter("a.x", ParseFilterText("x|?.*|").front()));
}

TEST(ShellClose, SaveIsAskedOnlyForModifiedDefinitionsWithItems) {
  EXPECT_TRUE(AskSaveOnClose(1, true));
  EXPECT_FALSE(AskSaveOnClose(0, true));  // messages without signals only
  EXPECT_FALSE(AskSaveOnClose(5, false));
}

TEST(ListScrolling, RowsBelowComeToTheMiddleRowsAboveToTheTop) {
  struct Case {
    int row, top, perPage, count, expected;
  } cases[] = {
      {5, 0, 10, 100, 0},     // inside the page
      {0, 0, 10, 100, 0},     // the top row itself
      {10, 0, 10, 100, 5},    // (10 - 0) / 2 - 10 + 10
      {50, 0, 10, 100, 45},   // 5 - 10 + 50
      {3, 20, 10, 100, -17},  // above: becomes the top row
      {99, 95, 10, 100, 0},   // short last page: still inside it
      {12, 5, 10, 12, 3},     // L = 12: (12 - 5) / 2 - 12 + 12 (row at the count)
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RowsToScrollForVisibility(c.row, c.top, c.perPage, c.count), c.expected) << c.row;
  }
}

}  // namespace
