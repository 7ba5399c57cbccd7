// Any bytes as an ".ldf" file: the parser must end with a result, keep its
// tables within their capacities and never read or write out of bounds.
#include "LdfParser.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

// One file per process, rewritten for every input.
const std::string& InputPath() {
  static const std::string path = [] {
    char pattern[] = "/tmp/vr_fuzz_ldf_XXXXXX";
    int fd = mkstemp(pattern);
    if (fd < 0) std::abort();
    close(fd);
    std::atexit([] { std::remove(InputPath().c_str()); });
    return std::string(pattern);
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& path = InputPath();
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);

  CLdfParser parser;
  const int result = parser.Parse(path);
  if (result < -1) std::abort();
  if (parser.OutputFrameCount() > LDF_MAX_FRAMES || parser.OutputSignalCount() > LDF_MAX_SIGNALS) std::abort();
  if (result >= 0 && result != parser.OutputSignalCount()) std::abort();
  for (const LdfOutSignal& s : parser.OutputSignals()) {
    if (s.frameIndex < 0 || s.frameIndex >= parser.OutputFrameCount()) std::abort();
    const LdfOutFrame& frame = parser.OutputFrames()[static_cast<std::size_t>(s.frameIndex)];
    if (s.startBit < 0 || s.startBit >= frame.length * 8) std::abort();
  }
  return 0;
}
