// Arbitrary bytes as a FIBEX file dropped on the reference list.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "FibexImport.h"
#include "MessageBox.h"
#include "VestrelDoc.h"

namespace {

// Answers every message without showing anything.
class SilentSink : public IMessageSink {
 public:
  int Show(int, const std::vector<MsgArg>&, MsgButtons buttons, MsgIcon) override {
    return buttons == MsgButtons::Ok ? MSG_OK : MSG_NO;
  }
};

std::string TempPath() {
  const char* dir = std::getenv("TMPDIR");
  std::string path = std::string(dir && *dir ? dir : "/tmp") + "/fuzz_fibex_" + std::to_string(getpid()) + ".xml";
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static SilentSink sink;
  static const std::string path = TempPath();
  SetMessageSink(&sink);

  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  if (size) std::fwrite(data, 1, size, f);
  std::fclose(f);

  CVestrelDoc doc;
  int result = ImportFibexFile(doc, path, nullptr, LIST_REFERENCE);
  // A file may be read, fail, or be refused for a bound of the reader; the
  // engine itself never fails here, and memory never runs out.
  switch (result) {
    case FIBEX_OK:
    case FIBEX_FAILED:
    case FIBEX_NO_FLEXRAY:
    case FIBEX_TOO_MANY_NAMES:
    case FIBEX_TOO_MANY_NAMESPACES:
    case FIBEX_TOO_MANY_ELEMENTS:
      break;
    default:
      std::abort();
  }
  if (result != FIBEX_OK && !doc.GetFlexRayMsgTable(LIST_REFERENCE).empty()) std::abort();
  // Every stored record keeps to the limits of a FlexRay frame.
  for (const auto& frame : doc.GetFlexRayMsgTable(LIST_REFERENCE)) {
    if (frame.value->byteCount > 254) std::abort();
    for (const auto& sig : frame.value->signals) {
      const _FlexRaySignal* s = sig.value;
      if (s->startBit < 0 || s->bitCount < 0) std::abort();
    }
  }
  std::remove(path.c_str());
  return 0;
}
