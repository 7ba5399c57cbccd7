// The load of a CANdb file must give the same records however it is made
// fast: every field of every reader record and name table, and every message
// and signal of the converted list with its key and table order, are hashed
// per file and compared with digests.tsv, recorded from the plain reader.
//
// VR_CANDB_DIGEST_WRITE=<file> writes the table afresh (after a deliberate
// change of results); VR_CANDB_DIGEST_DUMP=<folder> writes the full dumps.
#include "DocFixture.h"
#include "DbcFixture.h"
#include "Fixtures.h"
#include "ListLoad.h"
#include "VestrelDoc.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string Num(double v) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.17g", v);
  return buf;
}

std::string DumpReader(const CCanDB& db, int result) {
  std::ostringstream out;
  out << "result " << result << " count " << db.GetCount() << "\n";
  for (int i = 0; i < db.GetCount(); ++i) {
    const char* mux = db.GetMultiplexValue(i);
    out << i << "|" << db.GetSignalName(i) << "|" << db.GetMessageName(i) << "|" << db.GetNodeName(i) << "|"
        << db.IsExtended(i) << "|" << db.GetId(i) << "|" << db.GetDlc(i) << "|" << db.GetStartBit(i) << "|"
        << db.GetBitLength(i) << "|" << int{db.GetValueType(i)} << "|" << int{db.GetByteOrder(i)} << "|"
        << db.GetNodeIndex(i) << "|" << db.GetMessageNameIndex(i) << "|" << db.GetUnit(i) << "|" << Num(db.GetFactor(i))
        << "|" << Num(db.GetOffset(i)) << "|" << Num(db.GetMinimum(i)) << "|" << Num(db.GetMaximum(i)) << "|"
        << db.GetMultiplexor(i) << "|" << (mux ? "+" : "-") << (mux ? mux : "") << "|" << db.IsJ1939(i) << "\n";
  }
  out << "nodes " << db.GetNodeNameCount() << "\n";
  for (int k = 0; k < db.GetNodeNameCount(); ++k) out << db.GetNodeNameAt(k) << "\n";
  out << "messages " << db.GetMessageNameCount() << "\n";
  for (int k = 0; k < db.GetMessageNameCount(); ++k) out << db.GetMessageNameAt(k) << "\n";
  return out.str();
}

std::string DumpList(const CVestrelDoc& doc, int result) {
  std::ostringstream out;
  out << "result " << result << "\n";
  for (const auto& m : doc.GetCanMsgTable(LIST_REFERENCE)) {
    const _CANMsg& msg = *m.value;
    out << "M " << m.key << "|" << msg.name << "|" << int{msg.frameFormat} << "|" << msg.byteCount << "|" << msg.id
        << "|" << msg.j1939 << "|" << msg.frameType << "\n";
    for (const auto& s : msg.signals) {
      const _CANSignal& sig = *s.value;
      out << " S " << s.key << "|" << sig.name << "|" << int{sig.bitOrder} << "|" << int{sig.byteOrder} << "|"
          << int{sig.valueType} << "|" << sig.startBit << "|" << sig.bitCount << "|" << sig.unit << "|"
          << int{sig.identicalCoding} << "|" << int{sig.importError} << "|" << Num(sig.factor) << "|" << Num(sig.offset)
          << "|" << Num(sig.minimum) << "|" << Num(sig.maximum) << "|" << sig.loadNo << "|" << sig.multiplexor << "|"
          << sig.multiplexValue << "\n";
    }
  }
  return out.str();
}

uint64_t Fnv1a(const std::string& text) {
  uint64_t h = 14695981039346656037ull;
  for (unsigned char c : text) {
    h ^= c;
    h *= 1099511628211ull;
  }
  return h;
}

struct Case {
  std::string name;
  std::string path;
};

std::vector<Case> Cases(const TempFolder& folder) {
  std::vector<Case> cases;
  for (const auto& [name, text] : candbfix::Fixtures()) cases.push_back({"fixture/" + name, folder.Write(name, text)});
  std::error_code ec;
  std::vector<fs::path> files;
  for (const char* root : {VR_CANDB_SEEDS_DIR, VR_CORPUS_DIR "/dbc"})
    if (fs::is_directory(root, ec))
      for (const auto& e : fs::recursive_directory_iterator(root, ec))
        if (e.is_regular_file()) files.push_back(e.path());
  std::sort(files.begin(), files.end());
  for (const fs::path& f : files) {
    std::string key = f.string().find(VR_CANDB_SEEDS_DIR) == 0
                          ? "seed/" + f.filename().string()
                          : "corpus/" + fs::relative(f, VR_CORPUS_DIR "/dbc").generic_string();
    cases.push_back({key, f.string()});
  }
  return cases;
}

std::map<std::string, std::string> ReadTable(const std::string& path) {
  std::map<std::string, std::string> table;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::size_t tab = line.find('\t');
    if (tab != std::string::npos) table[line.substr(0, tab)] = line.substr(tab + 1);
  }
  return table;
}

}  // namespace

DOC_TEST(CanDbDigest, ReaderAndConversionGiveTheRecordedRecords) {
  TempFolder folder;
  std::map<std::string, std::string> expected = ReadTable(VR_CANDB_DIGESTS);
  const char* writeTo = std::getenv("VR_CANDB_DIGEST_WRITE");
  if (!writeTo) {
    ASSERT_FALSE(expected.empty()) << VR_CANDB_DIGESTS;
  }
  const char* dumpTo = std::getenv("VR_CANDB_DIGEST_DUMP");
  std::ostringstream table;
  table << "# case\treader digest\tlist digest (FNV-1a of the full dumps)\n";
  int compared = 0;
  for (const Case& c : Cases(folder)) {
    CCanDB db(CANDB_DEFAULT_CAPACITY);
    int n = db.ReadDbcFile(c.path);
    std::string reader = DumpReader(db, n);
    CVestrelDoc& rowDoc = NewDoc();
    int loaded = LoadCanDbFile(rowDoc, LIST_REFERENCE, c.path);
    std::string list = DumpList(rowDoc, loaded);
    char line[64];
    std::snprintf(line, sizeof line, "%016" PRIx64 "\t%016" PRIx64, Fnv1a(reader), Fnv1a(list));
    table << c.name << "\t" << line << "\n";
    if (dumpTo) {
      std::string base = std::string(dumpTo) + "/" + fs::path(c.name).filename().string();
      std::ofstream(base + ".reader.txt", std::ios::binary) << reader;
      std::ofstream(base + ".list.txt", std::ios::binary) << list;
    }
    auto it = expected.find(c.name);
    if (writeTo) continue;
    if (it == expected.end()) {
      // A corpus file that arrived after the table was made is only read.
      EXPECT_EQ(c.name.rfind("corpus/", 0), 0u) << c.name << " has no recorded digest";
      continue;
    }
    EXPECT_EQ(line, it->second) << c.name;
    ++compared;
  }
  if (writeTo) {
    std::ofstream(writeTo) << table.str();
    return;
  }
  EXPECT_GT(compared, 0);
}
