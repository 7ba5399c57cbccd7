// Real FIBEX files written by other tools: every one imports without a crash,
// and what came out is printed beside what the peers saw.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <string>

#include "DocFixture.h"
#include "Corpus.h"
#include "FibexImport.h"
#include "RecordingMessageSink.h"
#include "VestrelDoc.h"

namespace {

namespace fs = std::filesystem;

std::map<std::string, std::string> ReadExpectations(const fs::path& tsv) {
  std::map<std::string, std::string> rows;
  std::ifstream in(tsv);
  std::string line;
  while (std::getline(in, line)) {
    auto tab = line.find('\t');
    if (tab == std::string::npos || line.rfind("fibex/", 0) != 0) continue;
    std::string rest = line.substr(tab + 1);
    auto tab2 = rest.find('\t');
    rows[line.substr(0, tab)] = tab2 == std::string::npos ? rest : rest.substr(0, tab2);
  }
  return rows;
}

DOC_TEST(FibexCorpus, EveryFileImportsWithoutCrashing) {
  const fs::path corpus = vrtest::CorpusDir();
  const fs::path folder = corpus / "fibex";
  VR_REQUIRE_CORPUS(folder);
  auto expectations = ReadExpectations(corpus / "EXPECTATIONS_LDF_FIBEX.tsv");

  std::vector<fs::path> files;
  for (const auto& e : fs::recursive_directory_iterator(folder))
    if (e.is_regular_file()) files.push_back(e.path());
  std::sort(files.begin(), files.end());
  ASSERT_FALSE(files.empty());

  for (const auto& file : files) {
    SCOPED_TRACE(file.string());
    CVestrelDoc& rowDoc = NewDoc();
    RecordingMessageSink sink;
    int result = ImportFibexFile(rowDoc, file.string(), nullptr, LIST_REFERENCE);
    EXPECT_TRUE(result == FIBEX_OK || result == FIBEX_FAILED || result == FIBEX_NO_FLEXRAY) << result;
    const auto& frames = rowDoc.GetFlexRayMsgTable(LIST_REFERENCE);
    int placeholders = 0, flagged = 0;
    for (const auto& f : frames)
      for (const auto& s : f.value->signals) {
        if (std::string(s.value->name) == "NoName") ++placeholders;
        if (s.value->importError) ++flagged;
      }
    const std::string rel = fs::relative(file, corpus).generic_string();
    std::cout << "[corpus] " << rel << "\tresult=" << result << " frames=" << frames.size()
              << " signals=" << rowDoc.CountFlexRaySignals(LIST_REFERENCE) << " placeholders=" << placeholders
              << " error-flagged=" << flagged << " messages=" << sink.shown.size() << "\n"
              << "[peers ] " << expectations[rel] << "\n";
    for (const auto& f : frames) {
      std::cout << "         " << f.value->name << " slot=" << f.value->slotId << " bytes=" << int(f.value->byteCount)
                << " base=" << f.value->baseCycle << " rep=" << f.value->cycleRepetition << " :";
      for (const auto& s : f.value->signals)
        std::cout << " " << s.value->name << "@" << s.value->startBit << "/" << s.value->bitCount;
      std::cout << "\n";
    }
  }
}

}  // namespace
