#include "TextFields.h"

#include "CodePage.h"

void CTextFields::Read(int ctrlId, bool edited, std::string_view utf8, std::string& held) {
  if (!edited) {
    refused_.erase(ctrlId);
    return;
  }
  std::string cp932;
  if (cp932::FromUtf8(utf8, cp932)) {
    held = std::move(cp932);
    refused_.erase(ctrlId);
  } else {
    refused_.insert(ctrlId);
  }
}

int CTextFields::FirstRefused(std::initializer_list<int> order) const {
  for (int id : order) {
    if (Refused(id)) return id;
  }
  return 0;
}
