// Any bytes read as a definition file, into either list, must neither crash
// nor leave the reader unsettled: from the second write on, what it wrote it
// writes again after reading its own file back. (The first write may differ:
// a CAN signal's bit order is written but not read.)
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
  CVestrelDoc third;
  if (third.ParseSblText(twice, list) != 0) {
    std::fprintf(stderr, "the second written file of list %d does not read back\n", list);
    std::abort();
  }
  if (third.BuildSblText(list) != twice) {
    std::fprintf(stderr, "list %d: the third written text differs from the second\n", list);
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
