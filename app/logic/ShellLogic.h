// Decisions of the application shell that need no window: the interface
// language and resource library, the splitter's pane widths, the version
// line of the about box, file-dialog filter texts, and the close question.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Interface languages by their numeric identifiers.
enum UiLanguage { UILANG_JAPANESE = 1041, UILANG_CHINESE_SIMPLIFIED = 2052, UILANG_OTHER = 1033 };

// The user's interface language from the locale variables, the first
// non-empty of LC_ALL, LC_MESSAGES and LANG: "ja..." Japanese; "zh_CN...",
// "zh-CN...", "zh-Hans..." simplified Chinese; anything else
// (also none at all) another language.
int UiLanguageFromLocale(const char* lcAll, const char* lcMessages, const char* lang);

// The whole command line as one text: the arguments joined by blanks, taken
// before the toolkit removes its own options.
std::string JoinCommandLine(int argc, const char* const* argv);

// The resource library to load: "" keeps the built-in Japanese texts,
// otherwise "VrEngRc" or "VrChsRc". With a Japanese interface, "-lang e"
// anywhere in the command line (case-sensitive) selects English.
std::string ChooseResourceLibrary(int uiLanguage, const std::string& commandLine);

// File name of a resource library inside the executable's folder.
std::string ResourceLibraryPath(const std::string& exeFolder, const std::string& library);

// Pane widths of the two-column splitter for a client width and a splitter
// bar width: left = (int)((width - (bar + 4)) * 0.5), right the rest.
struct PaneWidths {
  int left;
  int right;
};
PaneWidths SplitPaneWidths(int clientWidth, int barWidth);

// A bus kind from the settings: 0..3 as it is, anything else CAN (0).
int NormalizeBusKind(int kind);

// The program's version record (file version words and three texts).
struct VersionInfo {
  std::uint32_t fileVersionMS = 0;  // major << 16 | minor
  std::uint32_t fileVersionLS = 0;  // build << 16 | revision
  std::string productName;
  std::string specialBuild;
  std::string privateBuild;
};
// "major.minor" followed by the build number without a separator: 1.6.0.0
// gives "1.60", 2.1.3.0 "2.13".
std::string VersionText(const VersionInfo& info);
// "ProductName Version 1.60" plus " SpecialBuild" and " PrivateBuild" when set.
std::string VersionLine(const VersionInfo& info);
// The version record of this build (project version, product "Vestrel").
VersionInfo BuildVersionInfo(int major, int minor, int patch, int tweak);

// One filter of a file dialog, from "description|pattern|" texts.
struct FileFilter {
  std::string description;
  std::vector<std::string> patterns;  // "*.dbc"
};
// Parses "desc|pat; pat|desc|pat||" (the terminating "|" optional); an entry
// without a pattern is dropped.
std::vector<FileFilter> ParseFilterText(const std::string& text);
// True when the file name matches one of the patterns, letter case ignored
// ("*" and "?" wildcards).
bool MatchesFilter(const std::string& fileName, const FileFilter& filter);

// Whether closing the main window asks to save: the definition list holds a
// signal or a LOGIC symbol, and its modified flag is set.
bool AskSaveOnClose(int definitionItems, bool modified);
