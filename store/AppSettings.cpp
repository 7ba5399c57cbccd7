#include "AppSettings.h"

#include "CNumber.h"
#include "Markup.h"
#include "TextFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char kFileName[] = "Default.xml";
const char kProgramFolder[] = "Vestrel";

// $XDG_CONFIG_HOME (only an absolute one counts), else ~/.config, with the
// program's own folder below it; empty when there is no home either.
std::string UserConfigFolder() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && xdg[0] == '/') return std::string(xdg) + "/" + kProgramFolder;
  const char* home = std::getenv("HOME");
  std::string base;
  if (home && home[0] != '\0') {
    base = home;
  } else if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) {
    base = pw->pw_dir;
  }
  if (base.empty()) return std::string();
  return base + "/.config/" + kProgramFolder;
}

// Creates every missing folder of `folder`; true when it exists afterwards.
bool MakeFolders(const std::string& folder) {
  struct stat st {};
  if (folder.empty()) return false;
  if (::stat(folder.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
  std::size_t slash = folder.rfind('/');
  if (slash != std::string::npos && slash > 0 && !MakeFolders(folder.substr(0, slash))) return false;
  return ::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

std::string FolderOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// Reads the child `name` of the current element as an integer; false when it
// is not there.
bool ReadInt(CMarkup& xml, const char* name, int& value) {
  if (!xml.FindChildElement(name)) return false;
  value = cnum::Atoi(xml.GetChildText().c_str());
  return true;
}

}  // namespace

CAppSettings::CAppSettings() = default;
CAppSettings::~CAppSettings() = default;

bool CAppSettings::IsUserProgramFolder(const std::string& folder) {
  if (folder.empty() || folder[0] != '/') return false;
  // Folders of installed software belong to the system even for root, who
  // may write anywhere: a settings file beside /usr/bin/vestrel would then
  // be shared by every user.
  static const char* const kSystemFolders[] = {"/usr", "/bin",  "/sbin", "/lib", "/lib32", "/lib64", "/libx32",
                                               "/opt", "/etc",  "/boot", "/var", "/snap",  "/nix",   "/gnu",
                                               "/srv", "/proc", "/sys",  "/dev", "/run"};
  if (folder == "/") return false;
  for (const char* sys : kSystemFolders) {
    const std::size_t n = std::char_traits<char>::length(sys);
    if (folder.compare(0, n, sys) == 0 && (folder.size() == n || folder[n] == '/')) return false;
  }
  // access() answers yes for root everywhere; the owner and the owner's
  // write bit say whether the folder is this user's own.
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  return st.st_uid == ::geteuid() && (st.st_mode & S_IWUSR) != 0 && (st.st_mode & S_IXUSR) != 0;
}

std::string CAppSettings::ChooseSettingsFolder(const std::string& exeFolder) {
  // An installed program's folder is not the user's to write.
  if (IsUserProgramFolder(exeFolder)) return exeFolder;
  std::string user = UserConfigFolder();
  return user.empty() ? exeFolder : user;
}

std::string CAppSettings::GetDefaultFilePath() const {
  std::string folder = m_folderOverride.empty() ? ChooseSettingsFolder(GetExecutableFolder()) : m_folderOverride;
  return folder + "/" + kFileName;
}

bool CAppSettings::Load() {
  m_filePath = GetDefaultFilePath();
  m_text.clear();
  std::string text;
  if (!ReadTextFile(m_filePath, text)) return false;
  struct stat st {};
  bool hadContent = ::stat(m_filePath.c_str(), &st) == 0 && st.st_size > 0;
  m_text = std::move(text);
  ParseXml();
  return hadContent;
}

bool CAppSettings::Save() {
  if (m_filePath.empty()) m_filePath = GetDefaultFilePath();
  m_text = BuildXml();
  // The user's configuration folder may not exist yet.
  MakeFolders(FolderOf(m_filePath));
  bool written = WriteTextFile(m_filePath, m_text) == 0;
  m_text.clear();
  return written;
}

std::string CAppSettings::BuildXml() const {
  CMarkup xml;
  xml.InsertElement("VestrelSettings", nullptr, false, false);
  xml.InsertElement("Version", cnum::Format("%1.1f", m_version).c_str(), false, true);
  xml.InsertElement("Type", cnum::Format("%d", m_type).c_str(), false, true);
  xml.InsertElement("Window", nullptr, false, true);
  xml.EnterElement();
  xml.InsertElement("Left", cnum::Format("%d", m_window.left).c_str(), false, true);
  xml.InsertElement("Top", cnum::Format("%d", m_window.top).c_str(), false, true);
  xml.InsertElement("Right", cnum::Format("%d", m_window.right).c_str(), false, true);
  xml.InsertElement("Bottom", cnum::Format("%d", m_window.bottom).c_str(), false, true);
  xml.LeaveElement();
  xml.InsertElement("ShowCmd", cnum::Format("%d", m_showCmd).c_str(), false, true);
  xml.InsertElement("MsgIdFrm", cnum::Format("%d", m_docState.msgIdFormat).c_str(), false, true);
  if (m_keyWords && !m_keyWords->empty()) {
    xml.InsertElement("KeyWords", nullptr, false, true);
    xml.EnterElement();
    int n = 0;
    for (const std::string& keyWord : *m_keyWords) {
      if (n >= kMaxKeyWords) break;
      xml.InsertElement(cnum::Format("KeyWord%02d", n++).c_str(), keyWord.c_str(), false, true);
    }
    xml.LeaveElement();
  }
  return xml.GetDoc();
}

void CAppSettings::ParseXml() {
  CMarkup xml;
  // Taken over, not copied: the text is emptied at the end anyway. It ends
  // at its first zero byte, as a C string would.
  m_text.resize(std::strlen(m_text.c_str()));
  xml.SetDocument(std::move(m_text));
  // Each search starts after the element found last, so the elements are
  // found only in the written order; a missing one does not stop the rest.
  if (xml.FindChildElement("Version")) m_version = cnum::Atof(xml.GetChildText().c_str());
  ReadInt(xml, "Type", m_type);
  WindowRect rect;
  if (xml.FindChildElement("Window")) {
    xml.EnterElement();
    ReadInt(xml, "Left", rect.left);
    ReadInt(xml, "Top", rect.top);
    ReadInt(xml, "Right", rect.right);
    ReadInt(xml, "Bottom", rect.bottom);
    xml.LeaveElement();
  }
  m_window = rect;
  ReadInt(xml, "ShowCmd", m_showCmd);
  ReadInt(xml, "MsgIdFrm", m_docState.msgIdFormat);
  if (xml.FindChildElement("KeyWords")) {
    if (m_keyWords) m_keyWords->clear();
    else m_keyWords = std::make_unique<std::vector<std::string>>();
    xml.EnterElement();
    for (int i = 0; i < kMaxKeyWords; ++i) {
      if (!xml.FindChildElement(cnum::Format("KeyWord%02d", i).c_str())) continue;
      std::string text = xml.GetChildText();
      if (!text.empty()) m_keyWords->push_back(std::move(text));
    }
    xml.LeaveElement();
  }
  m_text.clear();
}

bool CAppSettings::SetType(int type) {
  m_type = type;
  return true;
}

bool CAppSettings::GetDocState(tagDocState* out) const {
  if (!out) return false;
  *out = m_docState;
  return true;
}

bool CAppSettings::SetDocState(const tagDocState* state) {
  if (!state) return false;
  m_docState = *state;
  return true;
}

bool CAppSettings::GetWindowRect(WindowRect* out) const {
  if (!out) return false;
  *out = m_window;
  return true;
}

bool CAppSettings::SetWindowRect(const WindowRect* rect) {
  if (!rect) return false;
  m_window = *rect;
  return true;
}

bool CAppSettings::SetShowCmd(int showCmd) {
  m_showCmd = showCmd;
  return true;
}

bool CAppSettings::SetVersion(double version) {
  m_version = version;
  return true;
}

bool CAppSettings::GetKeyWords(std::vector<std::string>* out) const {
  if (!out || !m_keyWords) return false;
  out->clear();
  for (const std::string& keyWord : *m_keyWords)
    if (!keyWord.empty()) out->push_back(keyWord);
  return true;
}

bool CAppSettings::SetKeyWords(const std::vector<std::string>* keyWords) {
  if (!keyWords) return false;
  if (m_keyWords) m_keyWords->clear();
  else m_keyWords = std::make_unique<std::vector<std::string>>();
  const std::size_t n = std::min<std::size_t>(keyWords->size(), kMaxKeyWords);
  for (std::size_t i = 0; i < n; ++i)
    if (!(*keyWords)[i].empty()) m_keyWords->push_back((*keyWords)[i]);
  return true;
}
