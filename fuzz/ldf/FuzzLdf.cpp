// Any bytes as an ".ldf" file: the parser must end with a result, keep its
// tables within their capacities and never read or write out of bounds.
#include "FuzzTempFolder.h"
#include "LdfParser.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // One file in a folder of the process's own, both removed when a timed
  // run ends.
  static const fuzzdoc::TempFolder folder("fuzz_ldf");
  const std::string path = folder.Write("input.ldf", data, size);

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
