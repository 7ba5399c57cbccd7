// Parse time of a large generated ".ldf" and of the largest corpus file,
// each beside a plain read of the same bytes split into lines.
#include "LdfParser.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Every section the parser reads, at the sizes a big body network reaches:
// 5000 signals, all 60 frame identifiers, an encoding per signal with
// logical values, plus node attributes and schedule tables it skips.
std::string GenerateLdf() {
  constexpr int kSignals = 5000;
  constexpr int kFrames = 60;
  std::string t;
  t.reserve(4 << 20);
  t += "/* Generated body network */\nLIN_description_file;\nLIN_protocol_version = \"2.2\";\n"
       "LIN_language_version = \"2.2\";\nLIN_speed = 19.2 kbps;\n\n"
       "Nodes {\n  Master: BCM, 5 ms, 0.1 ms;\n  Slaves: N0, N1, N2, N3, N4, N5, N6, N7;\n}\n\n";
  t += "Signals {\n";
  for (int i = 0; i < kSignals; ++i) {
    int size = 1 + i % 16;
    t += "  Sig_" + std::to_string(i) + ": " + std::to_string(size) + ", 0, N" + std::to_string(i % 8) +
         ", BCM;  // signal " + std::to_string(i) + "\n";
  }
  t += "}\n\nFrames {\n";
  for (int f = 0; f < kFrames; ++f) {
    t += "  Frame_" + std::to_string(f) + ": 0x" + (f < 16 ? "0" : "") +
         [&] {
           char b[8];
           std::snprintf(b, sizeof b, "%X", f);
           return std::string(b);
         }() +
         ", N" + std::to_string(f % 8) + ", 8 {\n";
    for (int s = f; s < kSignals; s += kFrames)
      t += "    Sig_" + std::to_string(s) + ", " + std::to_string((s / kFrames) % 64) + ";\n";
    t += "  }\n";
  }
  t += "}\n\nNode_attributes {\n";
  for (int n = 0; n < 8; ++n)
    t += "  N" + std::to_string(n) + " {\n    LIN_protocol = \"2.2\";\n    configured_NAD = 0x" +
         std::to_string(n + 1) + ";\n    product_id = 0x1E, 0x1, 0;\n    P2_min = 50 ms;\n    ST_min = 0 ms;\n  }\n";
  t += "}\n\nSchedule_tables {\n  Normal {\n";
  for (int f = 0; f < kFrames; ++f) t += "    Frame_" + std::to_string(f) + " delay 10 ms;\n";
  t += "  }\n}\n\nSignal_encoding_types {\n";
  for (int i = 0; i < kSignals; ++i) {
    t += "  Enc_" + std::to_string(i) +
         " {\n    physical_value, 0, 254, 0.5, -40, \"degC\";\n"
         "    logical_value, 255, \"invalid\";\n    logical_value, 0, \"off; reserved\";\n  }\n";
  }
  t += "}\n\nSignal_representation {\n";
  for (int i = 0; i < kSignals; ++i) t += "  Enc_" + std::to_string(i) + ": Sig_" + std::to_string(i) + ";\n";
  t += "}\n";
  return t;
}

std::string ReadAll(const std::string& path) {
  std::string bytes;
  if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
    char buf[65536];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
    std::fclose(f);
  }
  return bytes;
}

void BM_Parse(benchmark::State& state, std::string path) {
  const std::size_t bytes = ReadAll(path).size();
  int signals = 0;
  for (auto _ : state) {
    CLdfParser parser;
    signals = parser.Parse(path);
    benchmark::DoNotOptimize(signals);
  }
  state.counters["signals"] = signals;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

// The floor: read the file and cut it into lines, nothing else.
void BM_ReadAndSplitLines(benchmark::State& state, std::string path) {
  std::size_t bytes = 0;
  std::vector<std::string_view> lines;
  for (auto _ : state) {
    std::string text = ReadAll(path);
    bytes = text.size();
    lines.clear();
    std::size_t pos = 0;
    while (pos < text.size()) {
      const void* nl = std::memchr(text.data() + pos, '\n', text.size() - pos);
      std::size_t end = nl ? static_cast<std::size_t>(static_cast<const char*>(nl) - text.data()) : text.size();
      lines.emplace_back(text.data() + pos, end - pos);
      pos = end + 1;
    }
    benchmark::DoNotOptimize(lines.data());
  }
  state.counters["lines"] = static_cast<double>(lines.size());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

fs::path LargestCorpusLdf() {
  fs::path best;
  std::uintmax_t bestSize = 0;
  const fs::path dir = fs::path(VR_CORPUS_DIR) / "ldf";
  std::error_code ec;
  if (!fs::is_directory(dir, ec)) return best;
  for (const auto& e : fs::recursive_directory_iterator(dir, ec)) {
    if (!e.is_regular_file() || e.path().extension() != ".ldf") continue;
    if (e.file_size() > bestSize) {
      bestSize = e.file_size();
      best = e.path();
    }
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  char pattern[] = "/tmp/vr_ldf_bench_XXXXXX";
  int fd = mkstemp(pattern);
  if (fd < 0) return 1;
  const std::string generated = GenerateLdf();
  if (write(fd, generated.data(), generated.size()) != static_cast<ssize_t>(generated.size())) return 1;
  close(fd);
  const std::string genPath = pattern;

  benchmark::RegisterBenchmark("Generated/Parse", BM_Parse, genPath)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("Generated/ReadAndSplitLines", BM_ReadAndSplitLines, genPath)
      ->Unit(benchmark::kMillisecond);
  const fs::path corpus = LargestCorpusLdf();
  if (!corpus.empty()) {
    benchmark::RegisterBenchmark("Corpus/Parse", BM_Parse, corpus.string())->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("Corpus/ReadAndSplitLines", BM_ReadAndSplitLines, corpus.string())
        ->Unit(benchmark::kMicrosecond);
  }
  benchmark::Initialize(&argc, argv);
  std::printf("generated file: %zu bytes; largest corpus file: %s\n", generated.size(),
              corpus.empty() ? "(none)" : corpus.string().c_str());
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::remove(genPath.c_str());
  return 0;
}
