// Hostile XML shapes of a given size, for the memory test and the memory
// and time benchmark: both must load the same files.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace xmlshape {

// `head`, then `unit` as often as fits in `bytes` with `tail`, then `tail`.
inline std::string Repeat(const std::string& head, const std::string& unit, const std::string& tail,
                          std::size_t bytes) {
  std::string s;
  s.reserve(bytes + unit.size() + tail.size());
  s = head;
  while (s.size() + unit.size() + tail.size() <= bytes) s += unit;
  s += tail;
  return s;
}

// Units that each bring something new, numbered by `format` (one %x or %u).
inline std::string Numbered(const std::string& head, const char* format, const std::string& tail, std::size_t bytes) {
  std::string s;
  s.reserve(bytes);
  s = head;
  char unit[96];
  for (unsigned i = 0; s.size() + sizeof unit + tail.size() <= bytes; ++i) {
    std::snprintf(unit, sizeof unit, format, i);
    s += unit;
  }
  return s + tail;
}

// Nested 200 deep, then again: the depth the parsers allow.
inline std::string Deep(const std::string& head, const std::string& tail, std::size_t bytes) {
  std::string unit;
  for (int i = 0; i < 200; ++i) unit += "<a>";
  for (int i = 0; i < 200; ++i) unit += "</a>";
  return Repeat(head, unit, tail, bytes);
}

// Empty elements of 250 attributes each.
inline std::string ManyAttributes(const std::string& head, const std::string& tail, std::size_t bytes) {
  std::string unit = "<a";
  for (int i = 0; i < 250; ++i) unit += " b" + std::to_string(i) + "=''";
  unit += "/>";
  return Repeat(head, unit, tail, bytes);
}

}  // namespace xmlshape
