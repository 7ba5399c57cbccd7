#include "SettingsBridge.h"

#include "AppSettings.h"

namespace settings {

CAppSettings* Create(const std::string& folderOverride) {
  auto* s = new CAppSettings;
  if (!folderOverride.empty()) s->SetSettingsFolder(folderOverride);
  return s;
}
void Destroy(CAppSettings* s) { delete s; }
bool Load(CAppSettings* s) { return s && s->Load(); }
bool Save(CAppSettings* s) { return s && s->Save(); }
std::string FilePath(const CAppSettings* s) { return s ? s->GetDefaultFilePath() : std::string(); }

int GetType(const CAppSettings* s) { return s ? s->GetType() : 0; }
void SetType(CAppSettings* s, int type) {
  if (s) s->SetType(type);
}
int GetShowCmd(const CAppSettings* s) { return s ? s->GetShowCmd() : 0; }
void SetShowCmd(CAppSettings* s, int showCmd) {
  if (s) s->SetShowCmd(showCmd);
}
void SetVersion(CAppSettings* s, double version) {
  if (s) s->SetVersion(version);
}
Rect GetWindowRect(const CAppSettings* s) {
  WindowRect w;
  if (s) s->GetWindowRect(&w);
  return Rect{w.left, w.top, w.right, w.bottom};
}
void SetWindowRect(CAppSettings* s, const Rect& r) {
  const WindowRect w{r.left, r.top, r.right, r.bottom};
  if (s) s->SetWindowRect(&w);
}
void GetDocState(const CAppSettings* s, int* msgIdFormat, std::uint8_t* modified) {
  tagDocState st;
  if (s) s->GetDocState(&st);
  if (msgIdFormat) *msgIdFormat = st.msgIdFormat;
  if (modified) *modified = st.modified;
}
void SetDocState(CAppSettings* s, int msgIdFormat, std::uint8_t modified) {
  tagDocState st;
  st.msgIdFormat = msgIdFormat;
  st.modified = modified;
  if (s) s->SetDocState(&st);
}
bool GetKeyWords(const CAppSettings* s, std::vector<std::string>* out) { return s && s->GetKeyWords(out); }
void SetKeyWords(CAppSettings* s, const std::vector<std::string>& words) {
  if (s) s->SetKeyWords(&words);
}

}  // namespace settings
