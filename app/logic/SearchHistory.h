// The search-text history behind the search dialog's combo box: the last 20
// texts, most recent first. The Qt combo box shows Entries() as its drop list.
#pragma once

#include <array>
#include <string>
#include <vector>

class CSearchHistory {
 public:
  static constexpr int kSize = 20;

  // When an entry equals the text (byte for byte, letter case included; an
  // empty text equals the first empty entry), moves it to the front and
  // answers true.
  bool MoveToFront(const std::string& text);

  // Puts the text at the front; a text already held moves there instead of
  // being stored twice, and with all 20 entries used the oldest is dropped.
  void AddHistory(const std::string& text);

  // All 20 entries in order, free ones empty: what the drop list holds.
  const std::array<std::string, kSize>& Entries() const { return entries_; }

  // The stored keywords, front first, as the settings keep them: the
  // non-empty entries.
  std::vector<std::string> KeywordsForSettings() const;

  // Takes the keywords of the settings (front first, as KeywordsForSettings
  // gives them) so that the history has the order it had when it was stored.
  void LoadKeywords(const std::vector<std::string>& keywords);

 private:
  std::array<std::string, kSize> entries_;
};
