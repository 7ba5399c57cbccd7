// Any bytes read as a definition file, into either list, must neither crash
// nor leave the reader unsettled: what it wrote once it writes again after
// reading its own file back.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "VestrelDoc.h"

namespace {

void CheckList(const std::string& input, int list) {
  CVestrelDoc doc;
  doc.ParseSblText(input, list);
  std::string once = doc.BuildSblText(list);
  CVestrelDoc again;
  if (again.ParseSblText(once, list) != 0) {
    std::fprintf(stderr, "the written file of list %d does not read back\n", list);
    std::abort();
  }
  std::string twice = again.BuildSblText(list);
  if (once != twice) {
    std::fprintf(stderr, "list %d: the second written text differs from the first\n", list);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  CheckList(input, LIST_REFERENCE);
  CheckList(input, LIST_DEFINITION);
  return 0;
}
