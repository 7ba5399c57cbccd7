// Reading a ".dbc" file, beside plain reads of the same bytes that only
// split them into lines (a memchr scan over the whole file read at once, and
// the standard stream's getline): the reader's cost over touching every byte.
#include "CanDB.h"
#include "TextFile.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

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
  out += "BA_DEF_ BO_ \"GenMsgCycleTime\" INT 0 65535;\n"
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

std::string GeneratedPath() {
  static std::string path = [] {
    std::string p = (fs::temp_directory_path() / ("candb_bench_" + std::to_string(::getpid()) + ".dbc")).string();
    std::ofstream(p, std::ios::binary) << GeneratedDbc();
    return p;
  }();
  return path;
}

std::string LargestCorpusFile() {
  fs::path folder = fs::path(VR_CORPUS_DIR) / "dbc";
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) return std::string();
  fs::path best;
  std::uintmax_t size = 0;
  for (const auto& e : fs::recursive_directory_iterator(folder, ec))
    if (e.is_regular_file() && e.file_size() > size) {
      size = e.file_size();
      best = e.path();
    }
  return best.string();
}

void ReadDbc(benchmark::State& state, const std::string& path) {
  int records = 0;
  for (auto _ : state) {
    CCanDB db(CANDB_DEFAULT_CAPACITY);
    records = db.ReadDbcFile(path);
    benchmark::DoNotOptimize(records);
  }
  state.counters["records"] = records;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(fs::file_size(path)));
}

void ReadAndSplitLines(benchmark::State& state, const std::string& path) {
  std::size_t lines = 0;
  for (auto _ : state) {
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
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(fs::file_size(path)));
}

// The same bytes read line by line with the standard stream, each line
// copied into a string: the plain way to split a text file into lines.
void GetlineLines(benchmark::State& state, const std::string& path) {
  std::size_t lines = 0;
  for (auto _ : state) {
    std::ifstream in(path, std::ios::binary);
    std::string line;
    lines = 0;
    while (std::getline(in, line)) {
      benchmark::DoNotOptimize(line.data());
      ++lines;
    }
    benchmark::DoNotOptimize(lines);
  }
  state.counters["lines"] = static_cast<double>(lines);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(fs::file_size(path)));
}

// Constructing the reader alone (three tables of 5000 entries, zero-filled).
void ConstructReader(benchmark::State& state) {
  for (auto _ : state) {
    CCanDB db(CANDB_DEFAULT_CAPACITY);
    benchmark::DoNotOptimize(db.GetCount());
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  std::string generated = GeneratedPath();
  benchmark::RegisterBenchmark("Generated_5000sig/SplitLines", ReadAndSplitLines, generated)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("Generated_5000sig/GetlineLines", GetlineLines, generated)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("Generated_5000sig/ReadDbc", ReadDbc, generated)->Unit(benchmark::kMicrosecond);
  std::string largest = LargestCorpusFile();
  if (!largest.empty()) {
    std::string name = "Corpus_" + fs::path(largest).filename().string();
    benchmark::RegisterBenchmark((name + "/SplitLines").c_str(), ReadAndSplitLines, largest)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark((name + "/GetlineLines").c_str(), GetlineLines, largest)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark((name + "/ReadDbc").c_str(), ReadDbc, largest)->Unit(benchmark::kMicrosecond);
  }
  benchmark::RegisterBenchmark("ConstructReader", ConstructReader)->Unit(benchmark::kMicrosecond);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ec;
  fs::remove(generated, ec);
  return 0;
}
