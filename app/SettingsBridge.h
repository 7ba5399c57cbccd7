// The settings object as the windows use it, in plain values.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CAppSettings;

namespace settings {

CAppSettings* Create(const std::string& folderOverride);
void Destroy(CAppSettings* s);
bool Load(CAppSettings* s);
bool Save(CAppSettings* s);
std::string FilePath(const CAppSettings* s);

int GetType(const CAppSettings* s);
void SetType(CAppSettings* s, int type);
int GetShowCmd(const CAppSettings* s);
void SetShowCmd(CAppSettings* s, int showCmd);
void SetVersion(CAppSettings* s, double version);
struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool IsEmpty() const { return right <= left || bottom <= top; }
};
Rect GetWindowRect(const CAppSettings* s);
void SetWindowRect(CAppSettings* s, const Rect& r);
void GetDocState(const CAppSettings* s, int* msgIdFormat, std::uint8_t* modified);
void SetDocState(CAppSettings* s, int msgIdFormat, std::uint8_t modified);
bool GetKeyWords(const CAppSettings* s, std::vector<std::string>* out);
void SetKeyWords(CAppSettings* s, const std::vector<std::string>& words);

}  // namespace settings
