#include "SearchHistory.h"

bool CSearchHistory::MoveToFront(const std::string& text) {
  for (int i = 0; i < kSize; ++i) {
    if (entries_[i] != text) continue;
    std::string found = entries_[i];
    for (int j = i; j > 0; --j) entries_[j] = std::move(entries_[j - 1]);
    entries_[0] = std::move(found);
    return true;
  }
  return false;
}

void CSearchHistory::AddHistory(const std::string& text) {
  if (MoveToFront(text)) return;
  int freeAt = kSize - 1;  // with every entry used, the last one is dropped
  for (int i = 0; i < kSize; ++i) {
    if (entries_[i].empty()) {
      freeAt = i;
      break;
    }
  }
  for (int j = freeAt; j > 0; --j) entries_[j] = std::move(entries_[j - 1]);
  entries_[0] = text;
}

std::vector<std::string> CSearchHistory::KeywordsForSettings() const {
  std::vector<std::string> out;
  for (const auto& e : entries_)
    if (!e.empty()) out.push_back(e);
  return out;
}

void CSearchHistory::LoadKeywords(const std::vector<std::string>& keywords) {
  // The settings keep the history front first; adding the oldest first puts
  // it back in the same order, so it survives any number of restarts.
  for (auto k = keywords.rbegin(); k != keywords.rend(); ++k)
    if (!k->empty()) AddHistory(*k);
}
