// Arbitrary bytes as a ".dbc" file and as a label file: the reader must
// neither crash nor overrun a table, and every record it stores must read
// back through the getters. A small capacity makes the full-table paths
// reachable.
#include "CanDB.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

std::string TempPath() {
  static std::string path = [] {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/fuzz_candb_" + std::to_string(::getpid()) + ".dbc";
  }();
  return path;
}

void Touch(const CCanDB& db) {
  volatile std::size_t sink = 0;
  for (int i = 0; i < db.GetCount(); ++i) {
    sink = sink + std::string(db.GetSignalName(i)).size() + std::string(db.GetMessageName(i)).size() +
           std::string(db.GetNodeName(i)).size() + std::string(db.GetUnit(i)).size() +
           std::string(db.GetMultiplexor(i)).size() + db.GetStartBit(i) + db.GetBitLength(i);
    if (const char* text = db.GetMultiplexValue(i)) sink = sink + std::string(text).size();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = TempPath();
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  if (size) std::fwrite(data, 1, size, f);
  std::fclose(f);

  int capacity = size ? 1 + data[0] % 64 : 1;
  {
    CCanDB db(capacity);
    int n = db.ReadDbcFile(path);
    if (n < 0 || n > capacity || n != db.GetCount()) std::abort();
    Touch(db);
    // Keep a record's text the way the loader does, and give it back.
    if (n > 0) delete[] db.TakeMultiplexValue(n - 1);
    db.KeepNode(0);
    Touch(db);
  }
  {
    CCanDB db(capacity);
    int n = db.ReadLabelFile(path);
    if (n < -2 || n > capacity) std::abort();
    Touch(db);
  }
  std::remove(path.c_str());
  return 0;
}
