// Reads every third-party ".ldf" of the shared corpus and prints what came
// out beside what other LDF readers made of the same file.
#include "Corpus.h"
#include "LdfParser.h"
#include "RecordingMessageSink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path kCorpus = vrtest::CorpusDir();

// "frames=5" out of a peer's result text; -1 when the field is absent.
int PeerField(const std::string& text, const std::string& key) {
  std::size_t p = text.find(key + "=");
  if (p == std::string::npos) return -1;
  return std::atoi(text.c_str() + p + key.size() + 1);
}

struct PeerCounts {
  std::string ldfparser = "-";  // "5/35" frames/mapped signals, or FAIL
  std::string canmatrix = "-";
};

// The peers' results by corpus path ("ldf/ecubus/Door.ldf"): lines of
// path, result and notes separated by tabs; the result holds one part per
// peer, separated by " | ".
std::map<std::string, PeerCounts> ReadPeerCounts() {
  std::map<std::string, PeerCounts> peers;
  std::ifstream in(kCorpus / "EXPECTATIONS_LDF_FIBEX.tsv");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("ldf/", 0) != 0) continue;
    std::size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    std::string result = line.substr(tab + 1);
    result = result.substr(0, result.find('\t'));
    PeerCounts& counts = peers[line.substr(0, tab)];
    std::size_t bar = result.find(" | ");
    std::string first = result.substr(0, bar);
    std::string second = bar == std::string::npos ? std::string() : result.substr(bar + 3);
    auto describe = [](const std::string& part, const char* signalsKey) -> std::string {
      if (part.find(" FAIL") != std::string::npos) return "FAIL";
      if (part.find(" ok") == std::string::npos) return "-";
      return std::to_string(PeerField(part, "frames")) + "/" + std::to_string(PeerField(part, signalsKey));
    };
    counts.ldfparser = describe(first, "mapped_sigs");
    counts.canmatrix = describe(second, "signals");
  }
  return peers;
}

TEST(LdfCorpus, EveryFileReadsWithoutCrash) {
  const fs::path dir = kCorpus / "ldf";
  VR_REQUIRE_CORPUS(dir);

  std::vector<fs::path> files;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    std::string ext = entry.path().extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    if (entry.is_regular_file() && ext == ".ldf") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  ASSERT_FALSE(files.empty());

  std::map<std::string, PeerCounts> peers = ReadPeerCounts();
  std::printf("%-44s %7s %6s %7s %9s %-16s %-4s  %-9s %-9s\n", "file", "result", "frames", "signals", "4037 line",
              "version", "sum", "ldfparser", "canmatrix");
  for (const fs::path& file : files) {
    RecordingMessageSink sink;
    CLdfParser parser;
    const int result = parser.Parse(file.string());
    EXPECT_GE(result, -1);
    EXPECT_LE(parser.OutputFrameCount(), LDF_MAX_FRAMES);
    EXPECT_LE(parser.OutputSignalCount(), LDF_MAX_SIGNALS);
    if (result >= 0) {
      EXPECT_TRUE(sink.shown.empty()) << file;
      EXPECT_EQ(result, parser.OutputSignalCount());
    } else {
      // Every corpus file opens, so a failure is a syntax error with its line.
      ASSERT_EQ(sink.Ids(), std::vector<int>{4037}) << file;
    }
    const std::string key = fs::relative(file, kCorpus).string();
    const PeerCounts& peer = peers[key];
    std::string line = sink.shown.empty() ? "" : std::to_string(sink.shown[0].ArgNumber(0));
    const char* checksum = parser.OutputFrameCount() == 0 ? "" : parser.OutputFrames()[0].enhanced ? "enh" : "cls";
    std::printf("%-44s %7d %6d %7d %9s %-16s %-4s  %-9s %-9s\n", key.c_str(), result, parser.OutputFrameCount(),
                parser.OutputSignalCount(), line.c_str(), parser.Version().c_str(), checksum, peer.ldfparser.c_str(),
                peer.canmatrix.c_str());
  }
}

}  // namespace
