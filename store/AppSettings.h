// The application's settings: window placement, bus kind, identifier display
// format, search history and format version, kept in "Default.xml" beside the
// executable (or, where that folder cannot be written, in the user's
// configuration folder). No registry, no toolkit.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The identifier display format and the modified flag of the definition list.
// Only the format is stored in the settings file.
struct tagDocState {
  int32_t msgIdFormat = 0;  // 1 hexadecimal, else decimal
  uint8_t modified = 0;
};

// The main window's normal position in screen coordinates; all zero means
// that no placement was saved.
struct WindowRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  bool operator==(const WindowRect&) const = default;
};

class CAppSettings {
 public:
  static constexpr int kMaxKeyWords = 20;

  CAppSettings();
  ~CAppSettings();
  CAppSettings(const CAppSettings&) = delete;
  CAppSettings& operator=(const CAppSettings&) = delete;

  // Reads and parses the settings file; true when the file had content. A
  // missing or unreadable file leaves every value as it was.
  bool Load();
  // Writes the settings file; true when it was written.
  bool Save();

  // The full path of "Default.xml": beside the executable, or in the user's
  // configuration folder when the executable's folder cannot be written, or
  // in the folder given to SetSettingsFolder.
  std::string GetDefaultFilePath() const;
  // Puts the settings file into `folder` instead (tests, portable set-ups);
  // an empty folder restores the default place.
  void SetSettingsFolder(const std::string& folder) { m_folderOverride = folder; }
  // The folder for the settings file when the program lives in `exeFolder`.
  static std::string ChooseSettingsFolder(const std::string& exeFolder);
  // True when `folder` is the running user's own (owned by the effective
  // user, writable by its owner) and not a folder of installed software.
  static bool IsUserProgramFolder(const std::string& folder);

  std::string BuildXml() const;
  void ParseXml();

  int GetType() const { return m_type; }
  bool SetType(int type);
  bool GetDocState(tagDocState* out) const;
  bool SetDocState(const tagDocState* state);
  bool GetWindowRect(WindowRect* out) const;
  bool SetWindowRect(const WindowRect* rect);
  int GetShowCmd() const { return m_showCmd; }
  bool SetShowCmd(int showCmd);
  bool SetVersion(double version);
  // The stored search history; false when there is none yet.
  bool GetKeyWords(std::vector<std::string>* out) const;
  // Keeps the non-empty texts among the first 20 entries, in order.
  bool SetKeyWords(const std::vector<std::string>* keyWords);

 private:
  std::string m_filePath;
  std::string m_text;
  double m_version = 1.2;
  int m_type = 0;
  tagDocState m_docState;
  int m_showCmd = 0;
  WindowRect m_window;
  std::unique_ptr<std::vector<std::string>> m_keyWords;
  std::string m_folderOverride;
};
