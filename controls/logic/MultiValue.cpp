#include "MultiValue.h"

#include <vector>

#include "CNumber.h"

namespace ctl {
namespace {

std::string NumberText(std::uint64_t value, bool decimal) {
  if (decimal) return cnum::Format("%llu", static_cast<unsigned long long>(value));
  if (value == 0) return "0x0";
  return cnum::Format("%#llx", static_cast<unsigned long long>(value));
}

}  // namespace

bool MultiValueParser::ParseNumber(const char* token, std::uint64_t* value) {
  char* end = nullptr;
  const unsigned long long v = cnum::Strtoull(token, &end, 0);
  if (end != nullptr && *end != '\0') {
    error = MULTIVALUE_MALFORMED;
    return false;
  }
  if (v < minimum || v > maximum) {
    error = MULTIVALUE_OUT_OF_RANGE;
    return false;
  }
  *value = v;
  return true;
}

void MultiValueParser::Normalise(const char* text, bool decimal, std::string* out) {
  error = MULTIVALUE_OK;
  out->clear();
  const std::string all = text ? text : "";
  std::size_t pos = 0;
  bool first = true;
  while (pos <= all.size()) {
    std::size_t comma = all.find(',', pos);
    if (comma == std::string::npos) comma = all.size();
    const std::string part = all.substr(pos, comma - pos);
    pos = comma + 1;
    if (part.empty()) continue;
    currentPart = part;
    // A leading '-' run is skipped, so "-5" reads as 5; the first '-' run
    // after the start separates it from the end.
    const std::size_t startBegin = part.find_first_not_of('-');
    if (startBegin == std::string::npos) continue;
    const std::size_t dash = part.find('-', startBegin);
    const std::string start =
        part.substr(startBegin, dash == std::string::npos ? std::string::npos : dash - startBegin);
    std::string end;
    if (dash != std::string::npos) {
      const std::size_t endBegin = part.find_first_not_of('-', dash);
      if (endBegin != std::string::npos) end = part.substr(endBegin);
    }
    std::uint64_t low = 0;
    if (!ParseNumber(start.c_str(), &low)) return;
    std::string piece = NumberText(low, decimal);
    if (!end.empty()) {
      std::uint64_t high = 0;
      if (!ParseNumber(end.c_str(), &high)) return;
      if (low > high) {
        error = MULTIVALUE_REVERSED;
        return;
      }
      if (decimal || low != high) piece += "-" + NumberText(high, decimal);
    }
    if (!first) *out += ",";
    *out += piece;
    first = false;
  }
}

}  // namespace ctl
