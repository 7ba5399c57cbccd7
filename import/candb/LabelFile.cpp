// The comma-separated label file ("%KVT,1.01"): the reader's records written
// one per line, and read back.
#include "CanDB.h"

#include "CNumber.h"
#include "DbcText.h"
#include "TextFile.h"

#include <array>
#include <cstring>

using dbc::CopyName;
using dbc::IsBlank;

namespace {

bool EqualsNoCase(const char* a, const char* b) {
  if (!a || !b) return false;
  for (; *a && *b; ++a, ++b) {
    char x = (*a >= 'A' && *a <= 'Z') ? static_cast<char>(*a - 'A' + 'a') : *a;
    char y = (*b >= 'A' && *b <= 'Z') ? static_cast<char>(*b - 'A' + 'a') : *b;
    if (x != y) return false;
  }
  return *a == *b;
}

uint32_t LowBits(const char* text, int base) { return static_cast<uint32_t>(cnum::Strtoull(text, nullptr, base)); }

}  // namespace

int CCanDB::SplitFields(char* line, const char* delimiters, char** fields, int max) {
  if (!fields || max <= 0) return 0;
  for (int k = 0; k < max; ++k) fields[k] = nullptr;
  if (!line) return 0;
  std::array<bool, 256> isDelimiter{};
  for (const char* d = delimiters ? delimiters : ""; *d; ++d) isDelimiter[static_cast<unsigned char>(*d)] = true;
  auto s = reinterpret_cast<unsigned char*>(line);
  for (int n = 0; n < max; ++n) {
    while (*s && IsBlank(*s)) ++s;
    unsigned char* start = s;
    fields[n] = reinterpret_cast<char*>(start);
    while (*s && !isDelimiter[*s]) s += dbc::CharLen(s);
    bool last = *s == '\0';
    unsigned char* stop = s;
    if (!last) {
      *s = '\0';
      ++s;
    }
    while (stop > start && IsBlank(stop[-1])) *--stop = '\0';
    if (last) return n + 1;
  }
  return max;
}

int CCanDB::WriteLabelFile(const std::string& path) {
  std::string out = "%KVT,1.01\nLABEL,EXT,ID,START,LEN,VAL,ENDIAN,GAIN,OFFSET,UNIT\n";
  for (int i = 0; i < count_ && i < capacity_; ++i) {
    const _CANDbSignal& r = records_[static_cast<std::size_t>(i)];
    const char* type = r.valueType == 0 ? "Unsigned" : r.valueType == 1 ? "Signed" : "Float";
    out += cnum::Format("%s,%s,%d,%u,%u,%s,%s,%g,%g,%s\n", r.name,
                        (static_cast<uint32_t>(r.identifier) & 0x80000000u) ? "On" : "Off", r.identifier & 0x7FFFFFFF,
                        r.startBit, r.bitLength, type, r.byteOrder == 0 ? "Little" : "Big", r.factor, r.offset, r.unit);
  }
  return WriteTextFile(path, out) == 0 ? 0 : -1;
}

int CCanDB::ReadLabelFile(const std::string& path) {
  std::string text;
  if (!ReadTextFile(path, text)) return -1;
  bool header = false;
  dbc::ForEachLine(text, [&](char* line, char*) {
    if (!header) {
      header = std::strncmp(line, "%KVT,1", 6) == 0;
      return true;
    }
    if (std::strncmp(line, "//", 2) == 0 || std::strncmp(line, "LABEL,EXT", 9) == 0) return true;
    char* f[16];
    int n = SplitFields(line, ",", f, 16);
    if (n < 7) return true;
    if (count_ >= capacity_) return false;
    _CANDbSignal r{};
    CopyName(r.name, f[0]);
    uint32_t id = LowBits(f[2], 0);
    bool extended = EqualsNoCase(f[1], "on") || (!EqualsNoCase(f[1], "off") && cnum::Strtoll(f[1], nullptr, 0) == 1);
    if (extended) id |= 0x80000000u;
    r.identifier = static_cast<int32_t>(id);
    r.startBit = static_cast<uint32_t>(cnum::Strtoll(f[3], nullptr, 0));
    r.bitLength = static_cast<uint32_t>(cnum::Strtoll(f[4], nullptr, 0));
    if (EqualsNoCase(f[5], "float")) {
      r.valueType = 2;
    } else if (EqualsNoCase(f[5], "signed")) {
      r.valueType = 1;
    } else if (EqualsNoCase(f[5], "unsigned")) {
      r.valueType = 0;
    } else {
      long long v = cnum::Strtoll(f[5], nullptr, 0);
      r.valueType = v == 2 ? 2 : v == 1 ? 1 : 0;
    }
    if (EqualsNoCase(f[6], "big")) {
      r.byteOrder = 1;
    } else if (EqualsNoCase(f[6], "little")) {
      r.byteOrder = 0;
    } else {
      r.byteOrder = cnum::Strtoll(f[6], nullptr, 0) == 1 ? 1 : 0;
    }
    r.factor = f[7] ? cnum::Atof(f[7]) : 1.0;
    r.offset = f[8] ? cnum::Atof(f[8]) : 0.0;
    if (f[9]) CopyName(r.unit, f[9]);
    StoreRecord(r);
    return true;
  });
  if (!header) return -2;
  return count_;
}
