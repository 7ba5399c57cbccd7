#include "ShellLogic.h"

#include <cctype>
#include <cstring>

namespace {

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

std::string Trim(const std::string& s) {
  std::size_t b = 0;
  std::size_t e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

bool WildMatch(const char* p, const char* s) {
  for (;;) {
    if (*p == '\0') return *s == '\0';
    if (*p == '*') {
      while (*p == '*') ++p;
      if (*p == '\0') return true;
      for (; *s; ++s)
        if (WildMatch(p, s)) return true;
      return false;
    }
    if (*s == '\0') return false;
    if (*p != '?' && Lower(*p) != Lower(*s)) return false;
    ++p;
    ++s;
  }
}

}  // namespace

int UiLanguageFromLocale(const char* lcAll, const char* lcMessages, const char* lang) {
  std::string value;
  for (const char* v : {lcAll, lcMessages, lang}) {
    if (v && *v) {
      value = v;
      break;
    }
  }
  if (StartsWith(value, "ja")) return UILANG_JAPANESE;
  // The Chinese texts are for the China locale only; Singapore and the
  // traditional-script locales get English like every other language.
  for (const char* zh : {"zh_CN", "zh-CN", "zh-Hans", "zh_Hans"})
    if (StartsWith(value, zh)) return UILANG_CHINESE_SIMPLIFIED;
  return UILANG_OTHER;
}

std::string JoinCommandLine(int argc, const char* const* argv) {
  std::string line;
  for (int i = 0; i < argc; ++i) {
    if (!argv || !argv[i]) continue;
    if (!line.empty()) line += ' ';
    line += argv[i];
  }
  return line;
}

std::string ChooseResourceLibrary(int uiLanguage, const std::string& commandLine) {
  if (uiLanguage == UILANG_JAPANESE) return commandLine.find("-lang e") != std::string::npos ? "VrEngRc" : "";
  if (uiLanguage == UILANG_CHINESE_SIMPLIFIED) return "VrChsRc";
  return "VrEngRc";
}

std::string ResourceLibraryPath(const std::string& exeFolder, const std::string& library) {
  if (library.empty()) return std::string();
  return exeFolder + "/" + library + ".rcc";
}

PaneWidths SplitPaneWidths(int clientWidth, int barWidth) {
  const int border = barWidth + 4;
  const int left = static_cast<int>((clientWidth - border) * 0.5);
  return PaneWidths{left, clientWidth - left - border};
}

int NormalizeBusKind(int kind) { return kind >= 0 && kind <= 3 ? kind : 0; }

std::string VersionText(const VersionInfo& info) {
  return std::to_string(info.fileVersionMS >> 16) + "." + std::to_string(info.fileVersionMS & 0xFFFF) +
         std::to_string(info.fileVersionLS >> 16);
}

std::string VersionLine(const VersionInfo& info) {
  std::string line = info.productName + " Version " + VersionText(info);
  if (!info.specialBuild.empty()) line += " " + info.specialBuild;
  if (!info.privateBuild.empty()) line += " " + info.privateBuild;
  return line;
}

VersionInfo BuildVersionInfo(int major, int minor, int patch, int tweak) {
  VersionInfo info;
  info.fileVersionMS = (static_cast<std::uint32_t>(major & 0xFFFF) << 16) | static_cast<std::uint32_t>(minor & 0xFFFF);
  info.fileVersionLS = (static_cast<std::uint32_t>(patch & 0xFFFF) << 16) | static_cast<std::uint32_t>(tweak & 0xFFFF);
  info.productName = "Vestrel";
  return info;
}

std::vector<FileFilter> ParseFilterText(const std::string& text) {
  std::vector<std::string> parts;
  std::string current;
  for (char c : text) {
    if (c == '|') {
      parts.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  if (!current.empty()) parts.push_back(current);
  std::vector<FileFilter> filters;
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].empty() && parts[i + 1].empty()) break;  // the closing "||"
    FileFilter f;
    f.description = Trim(parts[i]);
    std::string pattern;
    for (char c : parts[i + 1] + ";") {
      if (c == ';') {
        pattern = Trim(pattern);
        if (!pattern.empty()) f.patterns.push_back(pattern);
        pattern.clear();
      } else {
        pattern += c;
      }
    }
    if (!f.patterns.empty()) filters.push_back(std::move(f));
  }
  return filters;
}

bool MatchesFilter(const std::string& fileName, const FileFilter& filter) {
  for (const std::string& p : filter.patterns)
    if (WildMatch(p.c_str(), fileName.c_str())) return true;
  return false;
}

bool AskSaveOnClose(int definitionItems, bool modified) { return definitionItems > 0 && modified; }
