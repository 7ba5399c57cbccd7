// Loading a ".dbc" file, stage by stage, beside a plain line scan of the same
// bytes in the same run:
//   Scan     the file read at once and split into lines (memchr): the floor
//   Read     the reader alone (CCanDB::ReadDbcFile, tables included)
//   Convert  read and conversion into the reference list (LoadCanDbFile)
//   Rows     the reference list's rows built from the loaded tables
// on the corpus files named below and on a generated file of 5,000 signals;
// with --all_corpus, also scan, read and convert on every other ".dbc" file
// of the corpus (labelled by folder and name), as small files have their own
// fixed costs. Each stage also reports its fastest single run (fastest_us),
// the figure least disturbed on a shared machine; bench/candb/ratios.py turns
// the JSON output into ratios to the scan.
//
// Beside them: a file whose attribute lines repeat (each line must cost the
// same whatever the number of records), and the add of 125 to 500 reference
// rows to the definitions, each a new message (linear, not quadratic).
#include "CanDB.h"
#include "ListAdd.h"
#include "ListLoad.h"
#include "ListRows.h"
#include "MessageBox.h"
#include "TextFile.h"
#include "VestrelDoc.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

// 500 messages of 10 signals each, with the attribute, comment and value
// table lines that real files carry between and after them.
std::string GeneratedDbc() {
  std::string out =
      "VERSION \"\"\n\nNS_ :\n\tNS_DESC_\n\tCM_\n\tBA_DEF_\n\tBA_\n\tVAL_\n\tBA_DEF_DEF_\n\tSIG_VALTYPE_\n"
      "\tSG_MUL_VAL_\n\nBS_:\n\nBU_: Engine Gateway Body Chassis\n\n";
  const char* nodes[] = {"Engine", "Gateway", "Body", "Chassis"};
  for (int m = 0; m < 500; ++m) {
    unsigned id = m % 2 ? 0x80000000u + 0x18FF0000u + m : 0x100u + m;
    out += "BO_ " + std::to_string(id) + " Message_" + std::to_string(m) + ": 8 " + nodes[m % 4] + "\n";
    for (int s = 0; s < 10; ++s) {
      char line[256];
      if (s % 3 == 0)
        std::snprintf(line, sizeof line, " SG_ Signal_%d_%d : %d|%d@0+ (0.1,-40) [-40|6513.5] \"km/h\" Gateway,Body\n",
                      m, s, 7 + 8 * (s % 4), 4 + s);
      else
        std::snprintf(line, sizeof line, " SG_ Signal_%d_%d : %d|%d@1- (1,0) [0|255] \"\" Vector__XXX\n", m, s,
                      (s * 6) % 56, 1 + s % 8);
      out += line;
    }
    out += "\n";
  }
  out +=
      "BA_DEF_ BO_ \"GenMsgCycleTime\" INT 0 65535;\n"
      "BA_DEF_ BO_ \"VFrameFormat\" ENUM \"StandardCAN\",\"ExtendedCAN\",\"reserved\",\"J1939PG\";\n"
      "BA_DEF_DEF_ \"GenMsgCycleTime\" 100;\n";
  for (int m = 0; m < 500; ++m) {
    unsigned id = m % 2 ? 0x80000000u + 0x18FF0000u + m : 0x100u + m;
    out += "CM_ BO_ " + std::to_string(id) + " \"Message " + std::to_string(m) + " of the generated network\";\n";
    out += "BA_ \"GenMsgCycleTime\" BO_ " + std::to_string(id) + " " + std::to_string(10 * (m % 10 + 1)) + ";\n";
    out += "BA_ \"VFrameFormat\" BO_ " + std::to_string(id) + " " + (m % 2 ? "3" : "0") + ";\n";
    out += "VAL_ " + std::to_string(id) + " Signal_" + std::to_string(m) +
           "_1 3 \"Error\" 2 \"Not available\" 1 \"On\" 0 \"Off\" ;\n";
  }
  return out;
}

// One message of 4,000 signals (a full table of 5,000 would end the reading
// before the attribute lines), then `lines` float-signal lines naming them in
// turn and as many "ProtocolType" default lines: every such line used to walk
// the whole record table.
std::string RepeatedAttributesDbc(int lines) {
  std::string out = "VERSION \"\"\n\nBU_: Node\n\nBO_ 256 Big: 8 Node\n";
  for (int s = 0; s < 4000; ++s)
    out += " SG_ S" + std::to_string(s) + " : " + std::to_string(s % 32) + "|32@1+ (1,0) [0|0] \"\" Node\n";
  out += "\nBA_DEF_ BU_ \"ProtocolType\" STRING ;\n";
  for (int k = 0; k < lines; ++k) {
    out += "SIG_VALTYPE_ 256 S" + std::to_string(k % 4000) + " : 1;\n";
    out += "BA_DEF_DEF_ \"ProtocolType\" \"J1939\";\n";
  }
  return out;
}

class TempFiles {
 public:
  TempFiles() {
    std::string tmpl = (fs::temp_directory_path() / "candb_bench_XXXXXX").string();
    if (char* made = ::mkdtemp(tmpl.data())) dir_ = made;
  }
  ~TempFiles() {
    std::error_code ec;
    if (!dir_.empty()) fs::remove_all(dir_, ec);
  }
  std::string Write(const std::string& name, const std::string& bytes) const {
    std::string path = dir_ + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

 private:
  std::string dir_;
};

std::string CorpusFile(const char* name) {
  fs::path folder = fs::path(VR_CORPUS_DIR) / "dbc";
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) return std::string();
  for (const auto& e : fs::recursive_directory_iterator(folder, ec))
    if (e.is_regular_file() && e.path().filename() == name) return e.path().string();
  return std::string();
}

// The fastest single run of a stage, beside the library's mean: on a shared
// machine a run is only ever slowed by others, so the fastest one is the
// least disturbed figure. ratios.py prefers it.
class FastestRun {
 public:
  explicit FastestRun(benchmark::State& state) : state_(state) {}
  ~FastestRun() {
    if (best_ < std::chrono::nanoseconds::max())
      state_.counters["fastest_us"] = std::chrono::duration<double, std::micro>(best_).count();
  }
  // Times the scope it lives in.
  class Run {
   public:
    explicit Run(FastestRun& owner) : owner_(owner), start_(Clock::now()) {}
    ~Run() { owner_.best_ = std::min(owner_.best_, std::chrono::nanoseconds(Clock::now() - start_)); }

   private:
    FastestRun& owner_;
    std::chrono::steady_clock::time_point start_;
  };

 private:
  using Clock = std::chrono::steady_clock;
  benchmark::State& state_;
  std::chrono::nanoseconds best_ = std::chrono::nanoseconds::max();
};

void Bytes(benchmark::State& state, const std::string& path) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(fs::file_size(path)));
}

void Scan(benchmark::State& state, const std::string& path) {
  std::size_t lines = 0;
  FastestRun fastest(state);
  for (auto _ : state) {
    FastestRun::Run run(fastest);
    std::string text;
    ReadTextFile(path, text);
    lines = 0;
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end) {
      const char* nl = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
      benchmark::DoNotOptimize(p);
      ++lines;
      p = nl ? nl + 1 : end;
    }
    benchmark::DoNotOptimize(lines);
  }
  state.counters["lines"] = static_cast<double>(lines);
  Bytes(state, path);
}

void Read(benchmark::State& state, const std::string& path) {
  int records = 0;
  FastestRun fastest(state);
  for (auto _ : state) {
    FastestRun::Run run(fastest);
    CCanDB db(CANDB_DEFAULT_CAPACITY);
    records = db.ReadDbcFile(path);
    benchmark::DoNotOptimize(records);
  }
  state.counters["records"] = records;
  Bytes(state, path);
}

// As the list window loads: the list emptied (its records back into the
// pools), then read and converted.
void Convert(benchmark::State& state, const std::string& path) {
  CVestrelDoc doc;
  int result = 0;
  FastestRun fastest(state);
  for (auto _ : state) {
    FastestRun::Run run(fastest);
    doc.ClearCanList(LIST_REFERENCE);
    result = LoadCanDbFile(doc, LIST_REFERENCE, path);
    benchmark::DoNotOptimize(result);
  }
  if (result != 0) state.SkipWithError("the file did not load");
  state.counters["signals"] = doc.CountCanSignals(LIST_REFERENCE);
  Bytes(state, path);
}

void Rows(benchmark::State& state, const std::string& path) {
  CVestrelDoc doc;
  if (LoadCanDbFile(doc, LIST_REFERENCE, path) != 0) {
    state.SkipWithError("the file did not load");
    return;
  }
  std::size_t rows = 0;
  FastestRun fastest(state);
  for (auto _ : state) {
    FastestRun::Run run(fastest);
    ListRows built = BuildListRows(doc, LIST_REFERENCE, BUS_CAN, 0);
    rows = built.size();
    benchmark::DoNotOptimize(built.data());
  }
  state.counters["rows"] = static_cast<double>(rows);
  Bytes(state, path);
}

// Messages would otherwise go to no one; none are expected here.
class SilentSink : public IMessageSink {
 public:
  int Show(int, const std::vector<MsgArg>&, MsgButtons, MsgIcon) override {
    ++shown;
    return MSG_OK;
  }
  int shown = 0;
};

// Adds state.range(0) rows of the generated file, one per message, so that
// every row makes a new definition message and is tested for a free
// identifier against all messages added before it.
void AddRows(benchmark::State& state, const std::string& path) {
  CVestrelDoc doc;
  if (LoadCanDbFile(doc, LIST_REFERENCE, path) != 0) {
    state.SkipWithError("the file did not load");
    return;
  }
  ListRows refRows = BuildListRows(doc, LIST_REFERENCE, BUS_CAN, 0);
  std::vector<int> selection;
  for (std::size_t i = 0; i < refRows.size() && selection.size() < static_cast<std::size_t>(state.range(0)); i += 10)
    selection.push_back(static_cast<int>(i));
  SilentSink sink;
  SetMessageSink(&sink);
  int added = 0;
  for (auto _ : state) {
    state.PauseTiming();
    doc.ClearCanList(LIST_DEFINITION);
    ListRows defRows;
    state.ResumeTiming();
    added = AddReferenceRows(doc, BUS_CAN, refRows, selection, defRows);
    benchmark::DoNotOptimize(defRows.data());
  }
  SetMessageSink(nullptr);
  if (added != state.range(0) || sink.shown != 0) state.SkipWithError("not every row was added");
  state.SetComplexityN(state.range(0));
}

// Constructing the reader alone (three tables of 5000 entries).
void ConstructReader(benchmark::State& state) {
  for (auto _ : state) {
    CCanDB db(CANDB_DEFAULT_CAPACITY);
    benchmark::DoNotOptimize(db.GetCount());
  }
}

void RegisterStages(const std::string& label, const std::string& path, bool rows = true) {
  benchmark::RegisterBenchmark((label + "/Scan").c_str(), Scan, path)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark((label + "/Read").c_str(), Read, path)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark((label + "/Convert").c_str(), Convert, path)->Unit(benchmark::kMicrosecond);
  if (rows) benchmark::RegisterBenchmark((label + "/Rows").c_str(), Rows, path)->Unit(benchmark::kMicrosecond);
}

// Every ".dbc" file of the corpus but the named ones, in a stable order.
void RegisterWholeCorpus(const std::vector<std::string>& named) {
  fs::path folder = fs::path(VR_CORPUS_DIR) / "dbc";
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) return;
  std::vector<fs::path> files;
  for (const auto& e : fs::recursive_directory_iterator(folder, ec))
    if (e.is_regular_file() && e.path().extension() == ".dbc") files.push_back(e.path());
  std::sort(files.begin(), files.end());
  for (const fs::path& f : files) {
    if (std::find(named.begin(), named.end(), f.string()) != named.end()) continue;
    RegisterStages("corpus:" + f.parent_path().filename().string() + "/" + f.stem().string(), f.string(), false);
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  bool wholeCorpus = false;
  for (int i = 1; i < argc; ++i) wholeCorpus |= std::strcmp(argv[i], "--all_corpus") == 0;
  TempFiles temp;
  const std::string generated = temp.Write("generated_5000sig.dbc", GeneratedDbc());
  std::vector<std::string> named;
  for (const char* name : {"ford_lincoln_base_pt.dbc", "Model3CAN.dbc", "gm_global_a_lowspeed_1818125.dbc"}) {
    std::string path = CorpusFile(name);
    if (path.empty()) continue;
    RegisterStages(fs::path(name).stem().string(), path);
    named.push_back(path);
  }
  RegisterStages("generated_5000sig", generated);
  if (wholeCorpus) RegisterWholeCorpus(named);

  const std::string repeated = temp.Write("repeated_attributes.dbc", RepeatedAttributesDbc(20000));
  benchmark::RegisterBenchmark("repeated_attributes_20000/Scan", Scan, repeated)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("repeated_attributes_20000/Read", Read, repeated)->Unit(benchmark::kMicrosecond);

  benchmark::RegisterBenchmark("AddRows", AddRows, generated)
      ->RangeMultiplier(2)
      ->Range(125, 500)
      ->Unit(benchmark::kMicrosecond)
      ->Complexity();
  benchmark::RegisterBenchmark("ConstructReader", ConstructReader)->Unit(benchmark::kMicrosecond);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
