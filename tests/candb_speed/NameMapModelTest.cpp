// The document's name table against a plain model (a vector in table order,
// searched linearly): random puts, replacements, removals and clears, with
// keys made to collide, must leave the same entries in the same order.
#include "NameMap.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

using Model = std::vector<std::pair<std::string, int*>>;

void ExpectSame(const NameMap<int>& table, const Model& model, const std::vector<std::string>& keys) {
  ASSERT_EQ(table.size(), model.size());
  std::size_t i = 0;
  for (const auto& entry : table) {
    ASSERT_LT(i, model.size());
    EXPECT_EQ(entry.key, model[i].first);
    EXPECT_EQ(entry.value, model[i].second);
    ++i;
  }
  for (const std::string& k : keys) {
    int* want = nullptr;
    for (const auto& [mk, mv] : model)
      if (mk == k) want = mv;
    EXPECT_EQ(table.Find(k), want) << k;
    EXPECT_EQ(table.Contains(k), want != nullptr) << k;
  }
}

}  // namespace

TEST(NameMapModel, RandomOperationsKeepOrderAndLookups) {
  // Keys of 1 to 40 bytes: short ones in the string's inline buffer, long ones
  // beyond a name's 32 bytes; few distinct keys so that puts meet old keys.
  std::vector<std::string> keys;
  for (int k = 0; k < 60; ++k)
    keys.push_back(std::string(1 + k % 40, static_cast<char>('A' + k % 26)) + std::to_string(k));
  int values[8] = {};
  for (unsigned seed = 1; seed <= 20; ++seed) {
    std::mt19937 rng(seed);
    NameMap<int> table;
    Model model;
    for (int step = 0; step < 3000; ++step) {
      const std::string& key = keys[rng() % keys.size()];
      int op = static_cast<int>(rng() % 100);
      if (op < 55) {
        int* v = &values[rng() % 8];
        int* previous = table.SetAt(key, v);
        int* want = nullptr;
        bool found = false;
        for (auto& [mk, mv] : model)
          if (mk == key) {
            want = mv;
            mv = v;
            found = true;
          }
        if (!found) model.emplace_back(key, v);
        ASSERT_EQ(previous, want);
      } else if (op < 97) {
        int* want = nullptr;
        for (auto it = model.begin(); it != model.end(); ++it)
          if (it->first == key) {
            want = it->second;
            model.erase(it);
            break;
          }
        ASSERT_EQ(table.RemoveKey(key), want);
      } else {
        table.RemoveAll();
        model.clear();
      }
      if (step % 97 == 0) ExpectSame(table, model, keys);
    }
    ExpectSame(table, model, keys);
    // A moved table keeps everything, and the moved-from one is empty but usable.
    NameMap<int> moved = std::move(table);
    ExpectSame(moved, model, keys);
    EXPECT_TRUE(table.empty());
    EXPECT_EQ(table.Find(keys[0]), nullptr);
    EXPECT_EQ(table.SetAt(keys[0], &values[0]), nullptr);
    EXPECT_EQ(table.Find(keys[0]), &values[0]);
  }
}

TEST(NameMapModel, RemovingDuringIterationLeavesTheOthers) {
  NameMap<int> table;
  int v[6] = {};
  const char* names[] = {"A", "B", "C", "D", "E", "F"};
  for (int i = 0; i < 6; ++i) table.SetAt(names[i], &v[i]);
  std::vector<std::string> seen;
  for (auto it = table.begin(); it != table.end();) {
    auto current = it++;
    seen.push_back(current->key);
    if (current->key == "B" || current->key == "E") table.RemoveKey(current->key);
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"A", "B", "C", "D", "E", "F"}));
  std::vector<std::string> left;
  for (const auto& e : table) left.push_back(e.key);
  EXPECT_EQ(left, (std::vector<std::string>{"A", "C", "D", "F"}));
  // Walking backwards from the end, as a bidirectional iterator does.
  auto last = table.end();
  --last;
  EXPECT_EQ(last->key, "F");
}
