// Every third-party ".dbc" file of the shared corpus must read without a
// crash; the counts are printed beside what other readers found in the same
// files (EXPECTATIONS.tsv: one header line of comment, then a tab-separated
// table with named columns).
#include "Corpus.h"
#include "DbcFixture.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <vector>

namespace {

namespace fs = std::filesystem;

using Row = std::map<std::string, std::string>;

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> cells;
  std::stringstream in(line);
  std::string cell;
  while (std::getline(in, cell, '\t')) cells.push_back(cell);
  return cells;
}

std::map<std::string, Row> ReadExpectations(const fs::path& file) {
  std::map<std::string, Row> rows;
  std::ifstream in(file);
  std::string line;
  std::vector<std::string> header;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> cells = SplitTabs(line);
    if (header.empty()) {
      header = cells;
      continue;
    }
    Row row;
    for (std::size_t k = 0; k < header.size() && k < cells.size(); ++k) row[header[k]] = cells[k];
    rows[row["file"]] = row;
  }
  return rows;
}

struct Counts {
  int records = 0;
  int messages = 0;  // distinct message names among the records
  int signals = 0;   // records that are not placeholders of signal-less messages
  int extended = 0;  // messages with identifier bit 31
  int j1939 = 0;     // messages marked J1939
  int floats = 0;    // signals of value type 2
  int mux = 0;       // switches and the signals they select
};

Counts CountRecords(const CCanDB& db) {
  Counts c;
  c.records = db.GetCount();
  std::set<std::string> names, extended, j1939, switches;
  for (int i = 0; i < db.GetCount(); ++i) {
    names.insert(db.GetMessageName(i));
    if (std::string(db.GetSignalName(i)) != "NoName") ++c.signals;
    if (db.IsExtended(i)) extended.insert(db.GetMessageName(i));
    if (db.IsJ1939(i)) j1939.insert(db.GetMessageName(i));
    if (db.GetValueType(i) == 2) ++c.floats;
    if (*db.GetMultiplexor(i)) switches.insert(std::string(db.GetMessageName(i)) + "/" + db.GetMultiplexor(i));
  }
  for (int i = 0; i < db.GetCount(); ++i)
    if (db.GetMultiplexValue(i) || switches.count(std::string(db.GetMessageName(i)) + "/" + db.GetSignalName(i)))
      ++c.mux;
  c.messages = static_cast<int>(names.size());
  c.extended = static_cast<int>(extended.size());
  c.j1939 = static_cast<int>(j1939.size());
  return c;
}

std::string Cell(const Row& row, const char* column) {
  auto it = row.find(column);
  return it == row.end() || it->second.empty() ? "-" : it->second;
}

}  // namespace

TEST(CanDbCorpus, EveryFileReadsAndCountsArePrintedBesideThePeers) {
  const fs::path corpus = vrtest::CorpusDir();
  VR_REQUIRE_CORPUS(corpus / "dbc");
  std::map<std::string, Row> expected = ReadExpectations(corpus / "EXPECTATIONS.tsv");

  std::vector<fs::path> files;
  for (const auto& entry : fs::recursive_directory_iterator(corpus / "dbc"))
    if (entry.is_regular_file()) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  ASSERT_FALSE(files.empty());

  // Ours, then the plain textual counts, then canmatrix (cm) and dbcppp (dp);
  // ext/j1939/float/mux: ours against canmatrix's.
  std::printf("%-58s %6s|%5s %5s|%5s %5s|%5s %5s|%5s %5s|%4s %4s|%4s %4s|%4s %4s|%4s %4s\n", "file", "bytes", "msgs",
              "sigs", "scBO", "scSG", "cmMsg", "cmSig", "dpMsg", "dpSig", "ext", "cm", "j19", "cm", "flt", "cm", "mux",
              "cm");
  for (const fs::path& file : files) {
    std::string key = fs::relative(file, corpus).generic_string();
    CCanDB db(CANDB_DEFAULT_CAPACITY);
    int n = db.ReadDbcFile(file.string());
    ASSERT_GE(n, 0) << key;
    ASSERT_LE(n, CANDB_DEFAULT_CAPACITY) << key;
    Counts c = CountRecords(db);
    Row row = expected.count(key) ? expected[key] : Row{};
    std::string shortKey = key.substr(4);  // without "dbc/"
    if (shortKey.size() > 58) shortKey = shortKey.substr(0, 55) + "...";
    std::printf("%-58s %6ju|%5d %5d|%5s %5s|%5s %5s|%5s %5s|%4d %4s|%4d %4s|%4d %4s|%4d %4s\n", shortKey.c_str(),
                static_cast<std::uintmax_t>(fs::file_size(file)), c.messages, c.signals, Cell(row, "scan_BO").c_str(),
                Cell(row, "scan_SG").c_str(), Cell(row, "cm_msgs").c_str(), Cell(row, "cm_sigs").c_str(),
                Cell(row, "dp_msgs").c_str(), Cell(row, "dp_sigs").c_str(), c.extended, Cell(row, "cm_ext").c_str(),
                c.j1939, Cell(row, "cm_j1939").c_str(), c.floats, Cell(row, "cm_float").c_str(), c.mux,
                Cell(row, "cm_mux").c_str());
    // A message or signal line is never lost: the counts equal the textual
    // ones (no file of the corpus has a statement inside a multi-line string).
    if (row.count("scan_BO") && c.records < CANDB_DEFAULT_CAPACITY) {
      EXPECT_EQ(std::to_string(c.messages), row["scan_BO"]) << key;
      EXPECT_EQ(std::to_string(c.signals), row["scan_SG"]) << key;
    }
  }
}
