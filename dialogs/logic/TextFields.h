// The text fields of the definition dialogs: message or frame name, signal
// name, unit. A record's text is CP932 bytes, which may hold bytes the
// windows cannot show as they are (a cp1252 per-mille sign from an old file);
// so a field is read only once the user has edited it, and a field left alone
// gives its record back its own bytes. An edited field's text comes in as
// UTF-8 and is taken in CP932; text the code page cannot hold is kept out of
// the record, and OK refuses it with its own message and the focus on the
// field, rather than calling it an empty name.
#pragma once

#include <initializer_list>
#include <set>
#include <string>
#include <string_view>

class CTextFields {
 public:
  // The field `ctrlId` as it stands now. Unedited, it shows what `held`
  // holds, which stays byte for byte. Edited, `held` takes its text in CP932;
  // when the code page cannot hold it, `held` stays and the field counts as
  // refused until it is read again or written by the dialog.
  void Read(int ctrlId, bool edited, std::string_view utf8, std::string& held);
  // The dialog wrote `held` into the field: it shows a text that fits again.
  void Written(int ctrlId) { refused_.erase(ctrlId); }
  bool Refused(int ctrlId) const { return refused_.count(ctrlId) != 0; }
  // The first field of `order` that holds text the code page cannot hold; 0
  // when there is none.
  int FirstRefused(std::initializer_list<int> order) const;

 private:
  std::set<int> refused_;
};
