// Saves files of other tools as definition files, the seeds of the dialogs'
// fuzz target: each file is loaded into the reference list as the list loads
// it, and the reference tables are written whole.
//
// Usage: sbl_seeds OUTDIR FILE...   (writes OUTDIR/<folder>_<name>.sbl; a
// file that does not load is passed over with a note)
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "ListLoad.h"
#include "MessageBox.h"
#include "VestrelDoc.h"

namespace {

class QuietSink : public IMessageSink {
 public:
  int Show(int, const std::vector<MsgArg>&, MsgButtons buttons, MsgIcon) override {
    return buttons == MsgButtons::Ok ? MSG_OK : MSG_NO;
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUTDIR FILE...\n", argv[0]);
    return 2;
  }
  QuietSink sink;
  SetMessageSink(&sink);
  const std::filesystem::path out = argv[1];
  std::filesystem::create_directories(out);
  int written = 0;
  for (int i = 2; i < argc; ++i) {
    const std::filesystem::path in = argv[i];
    CVestrelDoc doc;
    const LoadOutcome loaded = LoadListFile(doc, LIST_REFERENCE, in.string(), BUS_CAN);
    if (!loaded.replaced) {
      std::fprintf(stderr, "%s: not loaded (%d)\n", argv[i], loaded.result);
      continue;
    }
    // Files of the same name live in different folders of the corpus.
    const std::string name = in.parent_path().filename().string() + "_" + in.filename().string() + ".sbl";
    std::ofstream file(out / name, std::ios::binary);
    file << doc.BuildSblText(LIST_REFERENCE);
    if (!file.flush()) {
      std::fprintf(stderr, "%s: cannot write\n", (out / name).c_str());
      return 1;
    }
    ++written;
  }
  std::printf("%d definition files in %s\n", written, out.c_str());
  return 0;
}
