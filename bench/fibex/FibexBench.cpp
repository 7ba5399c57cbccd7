// Importing a large generated FIBEX 2.x file, beside libxml2 parsing the same
// bytes on its own, in the same run.
#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "FibexImport.h"
#include "MessageBox.h"
#include "VestrelDoc.h"
#include "XmlDom.h"

namespace {

constexpr int kFrames = 2000;
constexpr int kEcus = 36;

std::string N(int i) { return std::to_string(i); }

// A FIBEX 2.x network of kFrames frames with one signal each, a coding and a
// unit per signal, one triggering per frame on each of two channels, and
// ECUs whose connectors list a port for every triggering, as the files of
// real vehicle networks do; descriptions make up the rest of the size.
std::string Generate() {
  std::string s;
  s.reserve(24u << 20);
  const std::string desc =
      "<ho:DESC>Generated for the import benchmark. This text stands for the prose that real network "
      "descriptions carry about every element: purpose, source, timing notes and change history.</ho:DESC>";
  s +=
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<fx:FIBEX xmlns:fx=\"http://www.asam.net/xml/fbx\" xmlns:ho=\"http://www.asam.net/xml\" "
      "xmlns:flexray=\"http://www.asam.net/xml/fbx/flexray\" "
      "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" VERSION=\"2.0.1\">\n"
      "<fx:PROJECT ID=\"P1\"><ho:SHORT-NAME>Bench</ho:SHORT-NAME></fx:PROJECT>\n<fx:ELEMENTS>\n<fx:CLUSTERS>\n"
      "<fx:CLUSTER ID=\"CL1\" xsi:type=\"flexray:CLUSTER-TYPE\"><ho:SHORT-NAME>Backbone</ho:SHORT-NAME>" +
      desc +
      "<fx:SPEED>10000000</fx:SPEED><fx:IS-HIGH-LOW-BIT-ORDER>false</fx:IS-HIGH-LOW-BIT-ORDER>"
      "<fx:BIT-COUNTING-POLICY>MONOTONE</fx:BIT-COUNTING-POLICY><fx:PROTOCOL>FlexRay</fx:PROTOCOL>"
      "<fx:PROTOCOL-VERSION>2.1</fx:PROTOCOL-VERSION><fx:CHANNEL-REFS><fx:CHANNEL-REF ID-REF=\"CH_A\"/>"
      "<fx:CHANNEL-REF ID-REF=\"CH_B\"/></fx:CHANNEL-REFS>"
      "<flexray:PAYLOAD-LENGTH-STATIC>16</flexray:PAYLOAD-LENGTH-STATIC></fx:CLUSTER>\n</fx:CLUSTERS>\n<fx:CHANNELS>\n";
  for (const char* ch : {"A", "B"}) {
    s += std::string("<fx:CHANNEL ID=\"CH_") + ch + "\" xsi:type=\"flexray:CHANNEL-TYPE\"><ho:SHORT-NAME>Channel" + ch +
         "</ho:SHORT-NAME><fx:FRAME-TRIGGERINGS>\n";
    for (int f = 0; f < kFrames; ++f)
      s += "<fx:FRAME-TRIGGERING ID=\"FT_" + std::string(ch) + N(f) +
           "\"><fx:TIMINGS><fx:ABSOLUTELY-SCHEDULED-TIMING><fx:SLOT-ID>" + N(f % 2047 + 1) +
           "</fx:SLOT-ID><fx:BASE-CYCLE>" + N(f % 4) + "</fx:BASE-CYCLE><fx:CYCLE-REPETITION>" + N(4 << (f % 3)) +
           "</fx:CYCLE-REPETITION></fx:ABSOLUTELY-SCHEDULED-TIMING></fx:TIMINGS><fx:FRAME-REF ID-REF=\"FR" + N(f) +
           "\"/></fx:FRAME-TRIGGERING>\n";
    s += "</fx:FRAME-TRIGGERINGS></fx:CHANNEL>\n";
  }
  s += "</fx:CHANNELS>\n<fx:ECUS>\n";
  for (int e = 0; e < kEcus; ++e) {
    s += "<fx:ECU ID=\"ECU" + N(e) + "\"><ho:SHORT-NAME>Ecu" + N(e) + "</ho:SHORT-NAME>" + desc +
         "<fx:CONTROLLERS><fx:CONTROLLER ID=\"CT" + N(e) +
         "\" xsi:type=\"flexray:CONTROLLER-TYPE\"><ho:SHORT-NAME>Ctrl" + N(e) +
         "</ho:SHORT-NAME><flexray:MAX-DYNAMIC-PAYLOAD-LENGTH>127</flexray:MAX-DYNAMIC-PAYLOAD-LENGTH>"
         "</fx:CONTROLLER></fx:CONTROLLERS><fx:CONNECTORS><fx:CONNECTOR ID=\"CN" +
         N(e) + "\"><fx:CHANNEL-REF ID-REF=\"CH_A\"/><fx:CONTROLLER-REF ID-REF=\"CT" + N(e) + "\"/><fx:INPUTS>\n";
    for (int f = 0; f < kFrames; ++f)
      s += "<fx:INPUT-PORT ID=\"IP" + N(e) + "_" + N(f) + "\"><fx:FRAME-TRIGGERING-REF ID-REF=\"FT_A" + N(f) +
           "\"/><fx:INCLUDED-SIGNALS><fx:INCLUDED-SIGNAL><fx:SIGNAL-INSTANCE-REF ID-REF=\"SI" + N(f) +
           "\"/></fx:INCLUDED-SIGNAL></fx:INCLUDED-SIGNALS></fx:INPUT-PORT>\n";
    s += "</fx:INPUTS></fx:CONNECTOR></fx:CONNECTORS></fx:ECU>\n";
  }
  s += "</fx:ECUS>\n<fx:FRAMES>\n";
  for (int f = 0; f < kFrames; ++f)
    s += "<fx:FRAME ID=\"FR" + N(f) + "\"><ho:SHORT-NAME>Frame_" + N(f) + "</ho:SHORT-NAME>" + desc +
         "<fx:BYTE-LENGTH>16</fx:BYTE-LENGTH><fx:FRAME-TYPE>APPLICATION</fx:FRAME-TYPE><fx:SIGNAL-INSTANCES>"
         "<fx:SIGNAL-INSTANCE ID=\"SI" +
         N(f) + "\"><fx:BIT-POSITION>" + N(f % 8 * 16) + "</fx:BIT-POSITION><fx:IS-HIGH-LOW-BYTE-ORDER>" +
         (f % 2 ? "true" : "false") + "</fx:IS-HIGH-LOW-BYTE-ORDER><fx:SIGNAL-REF ID-REF=\"S" + N(f) +
         "\"/></fx:SIGNAL-INSTANCE></fx:SIGNAL-INSTANCES></fx:FRAME>\n";
  s += "</fx:FRAMES>\n<fx:SIGNALS>\n";
  for (int i = 0; i < kFrames; ++i)
    s += "<fx:SIGNAL ID=\"S" + N(i) + "\"><ho:SHORT-NAME>Signal_" + N(i) + "</ho:SHORT-NAME>" + desc +
         "<fx:CODING-REF ID-REF=\"C" + N(i) + "\"/></fx:SIGNAL>\n";
  s += "</fx:SIGNALS>\n</fx:ELEMENTS>\n<fx:PROCESSING-INFORMATION>\n<ho:UNITS>\n";
  for (int i = 0; i < kFrames; ++i)
    s += "<ho:UNIT ID=\"U" + N(i) + "\"><ho:SHORT-NAME>Unit" + N(i) + "</ho:SHORT-NAME><ho:DISPLAY-NAME>u" + N(i) +
         "</ho:DISPLAY-NAME></ho:UNIT>\n";
  s += "</ho:UNITS>\n<fx:CODINGS>\n";
  for (int i = 0; i < kFrames; ++i)
    s += "<fx:CODING ID=\"C" + N(i) + "\"><ho:SHORT-NAME>Coding_" + N(i) + "</ho:SHORT-NAME>" + desc +
         "<ho:CODED-TYPE ho:BASE-DATA-TYPE=\"A_UINT16\" CATEGORY=\"STANDARD-LENGTH-TYPE\"><ho:BIT-LENGTH>16"
         "</ho:BIT-LENGTH></ho:CODED-TYPE><ho:COMPU-METHODS><ho:COMPU-METHOD><ho:SHORT-NAME>CM" +
         N(i) + "</ho:SHORT-NAME><ho:CATEGORY>LINEAR</ho:CATEGORY><ho:UNIT-REF ID-REF=\"U" + N(i) +
         "\"/><ho:PHYS-CONSTRS><ho:SCALE-CONSTR VALIDITY=\"VALID\"><ho:LOWER-LIMIT INTERVAL-TYPE=\"CLOSED\">0"
         "</ho:LOWER-LIMIT><ho:UPPER-LIMIT INTERVAL-TYPE=\"CLOSED\">60000</ho:UPPER-LIMIT></ho:SCALE-CONSTR>"
         "</ho:PHYS-CONSTRS><ho:COMPU-INTERNAL-TO-PHYS><ho:COMPU-SCALES><ho:COMPU-SCALE><ho:COMPU-RATIONAL-COEFFS>"
         "<ho:COMPU-NUMERATOR><ho:V>-40</ho:V><ho:V>0.01</ho:V></ho:COMPU-NUMERATOR><ho:COMPU-DENOMINATOR><ho:V>1"
         "</ho:V></ho:COMPU-DENOMINATOR></ho:COMPU-RATIONAL-COEFFS></ho:COMPU-SCALE></ho:COMPU-SCALES>"
         "</ho:COMPU-INTERNAL-TO-PHYS></ho:COMPU-METHOD></ho:COMPU-METHODS></fx:CODING>\n";
  s += "</fx:CODINGS>\n</fx:PROCESSING-INFORMATION>\n</fx:FIBEX>\n";
  return s;
}

struct Fixture {
  Fixture() {
    bytes = Generate();
    path = (std::filesystem::temp_directory_path() / "vestrel-bench-fibex.xml").string();
    std::ofstream(path, std::ios::binary) << bytes;
  }
  ~Fixture() { std::remove(path.c_str()); }
  std::string bytes;
  std::string path;
};

Fixture& Data() {
  static Fixture f;
  return f;
}

void BM_Libxml2ParseOnly(benchmark::State& state) {
  const std::string& b = Data().bytes;
  for (auto _ : state) {
    xmlDocPtr doc = xmlReadMemory(b.data(), static_cast<int>(b.size()), nullptr, nullptr,
                                  XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_COMPACT);
    benchmark::DoNotOptimize(doc);
    xmlFreeDoc(doc);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(b.size()));
  state.counters["MB"] = static_cast<double>(b.size()) / 1e6;
}

void BM_XmlDomLoad(benchmark::State& state) {
  const Fixture& f = Data();
  for (auto _ : state) {
    XmlDomDocument doc;
    bool ok = doc.load(f.path);
    benchmark::DoNotOptimize(ok);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(f.bytes.size()));
}

void BM_ImportFibexFile(benchmark::State& state) {
  const Fixture& f = Data();
  CVestrelDoc doc;
  int signals = 0;
  for (auto _ : state) {
    doc.ClearFlexRayList(LIST_REFERENCE);
    int r = ImportFibexFile(doc, f.path, nullptr, LIST_REFERENCE);
    if (r != FIBEX_OK) state.SkipWithError("import failed");
    signals = doc.CountFlexRaySignals(LIST_REFERENCE);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(f.bytes.size()));
  state.counters["frames"] = static_cast<double>(doc.GetFlexRayMsgTable(LIST_REFERENCE).size());
  state.counters["signals"] = signals;
}

// The worst nesting a file may have: frames inside frames (range(0) levels:
// 5, the deepest the importer accepts, and 240, refused) around 2,048
// signal instances.
std::string NestedFrames(int depth, int instances) {
  std::string s =
      "<?xml version=\"1.0\"?>\n<fx:FIBEX xmlns:fx=\"http://www.asam.net/xml/fbx\" "
      "xmlns:ho=\"http://www.asam.net/xml\"><fx:ELEMENTS><fx:CLUSTERS><fx:CLUSTER ID=\"CL\"><fx:PROTOCOL>FlexRay"
      "</fx:PROTOCOL><fx:CHANNEL-REFS><fx:CHANNEL-REF ID-REF=\"CH\"/></fx:CHANNEL-REFS></fx:CLUSTER></fx:CLUSTERS>"
      "<fx:CHANNELS><fx:CHANNEL ID=\"CH\"><fx:FRAME-TRIGGERINGS>";
  for (int d = 0; d < depth; ++d)
    s += "<fx:FRAME-TRIGGERING ID=\"T" + N(d) + "\"><fx:TIMINGS><fx:ABSOLUTELY-SCHEDULED-TIMING><fx:SLOT-ID>" +
         N(d + 1) +
         "</fx:SLOT-ID><fx:BASE-CYCLE>0</fx:BASE-CYCLE><fx:CYCLE-REPETITION>1</fx:CYCLE-REPETITION>"
         "</fx:ABSOLUTELY-SCHEDULED-TIMING></fx:TIMINGS><fx:FRAME-REF ID-REF=\"F" +
         N(d) + "\"/></fx:FRAME-TRIGGERING>";
  s += "</fx:FRAME-TRIGGERINGS></fx:CHANNEL></fx:CHANNELS><fx:FRAMES>";
  for (int d = 0; d < depth; ++d)
    s +=
        "<fx:FRAME ID=\"F" + N(d) + "\"><ho:SHORT-NAME>F" + N(d) + "</ho:SHORT-NAME><fx:BYTE-LENGTH>8</fx:BYTE-LENGTH>";
  s += "<fx:SIGNAL-INSTANCES>";
  for (int i = 0; i < instances; ++i)
    s += "<fx:SIGNAL-INSTANCE ID=\"I" + N(i) +
         "\"><fx:BIT-POSITION>0</fx:BIT-POSITION><fx:IS-HIGH-LOW-BYTE-ORDER>false"
         "</fx:IS-HIGH-LOW-BYTE-ORDER><fx:SIGNAL-REF ID-REF=\"S" +
         N(i) + "\"/></fx:SIGNAL-INSTANCE>";
  s += "</fx:SIGNAL-INSTANCES>";
  for (int d = 0; d < depth; ++d) s += "</fx:FRAME>";
  s += "</fx:FRAMES><fx:SIGNALS>";
  for (int i = 0; i < instances; ++i)
    s += "<fx:SIGNAL ID=\"S" + N(i) + "\"><ho:SHORT-NAME>S" + N(i) + "</ho:SHORT-NAME></fx:SIGNAL>";
  s += "</fx:SIGNALS></fx:ELEMENTS></fx:FIBEX>\n";
  return s;
}

void BM_ImportNestedFrames(benchmark::State& state) {
  const std::string bytes = NestedFrames(static_cast<int>(state.range(0)), 2048);
  const std::string path = (std::filesystem::temp_directory_path() / "vestrel-bench-nested.xml").string();
  std::ofstream(path, std::ios::binary) << bytes;
  CVestrelDoc doc;
  int result = 0;
  for (auto _ : state) {
    doc.ClearFlexRayList(LIST_REFERENCE);
    result = ImportFibexFile(doc, path, nullptr, LIST_REFERENCE);
  }
  std::remove(path.c_str());
  state.counters["MB"] = static_cast<double>(bytes.size()) / 1e6;
  state.counters["result"] = result;
}

// One start tag with 100,000 attributes: refused before libxml2 sees it.
void BM_ImportManyAttributes(benchmark::State& state) {
  std::string bytes = "<?xml version=\"1.0\"?>\n<fx:FIBEX xmlns:fx=\"http://www.asam.net/xml/fbx\"><x";
  for (int i = 0; i < 100000; ++i) bytes += " a" + N(i) + "=\"1\"";
  bytes += "/></fx:FIBEX>\n";
  const std::string path = (std::filesystem::temp_directory_path() / "vestrel-bench-attrs.xml").string();
  std::ofstream(path, std::ios::binary) << bytes;
  CVestrelDoc doc;
  int result = 0;
  for (auto _ : state) result = ImportFibexFile(doc, path, nullptr, LIST_REFERENCE);
  std::remove(path.c_str());
  state.counters["MB"] = static_cast<double>(bytes.size()) / 1e6;
  state.counters["result"] = result;
}

// A file beyond the tables: 3,000 frames of two timings with two signals
// each, the signals listed in reverse order, so that the frames, the
// triggerings and the signals all pass their capacities.
std::string BeyondTables() {
  constexpr int kBigFrames = 3000;
  std::string s =
      "<?xml version=\"1.0\"?>\n<fx:FIBEX xmlns:fx=\"http://www.asam.net/xml/fbx\" "
      "xmlns:ho=\"http://www.asam.net/xml\"><fx:ELEMENTS><fx:CLUSTERS><fx:CLUSTER ID=\"CL\"><fx:PROTOCOL>FlexRay"
      "</fx:PROTOCOL><fx:CHANNEL-REFS><fx:CHANNEL-REF ID-REF=\"CH\"/></fx:CHANNEL-REFS></fx:CLUSTER></fx:CLUSTERS>"
      "<fx:CHANNELS><fx:CHANNEL ID=\"CH\"><fx:FRAME-TRIGGERINGS>";
  for (int f = 0; f < kBigFrames; ++f) {
    s += "<fx:FRAME-TRIGGERING ID=\"T" + N(f) + "\"><fx:TIMINGS>";
    for (int t = 0; t < 2; ++t)
      s += "<fx:ABSOLUTELY-SCHEDULED-TIMING><fx:SLOT-ID>" + N(2 * f + t + 1) +
           "</fx:SLOT-ID><fx:BASE-CYCLE>0</fx:BASE-CYCLE><fx:CYCLE-REPETITION>4</fx:CYCLE-REPETITION>"
           "</fx:ABSOLUTELY-SCHEDULED-TIMING>";
    s += "</fx:TIMINGS><fx:FRAME-REF ID-REF=\"F" + N(f) + "\"/></fx:FRAME-TRIGGERING>";
  }
  s += "</fx:FRAME-TRIGGERINGS></fx:CHANNEL></fx:CHANNELS><fx:FRAMES>";
  for (int f = 0; f < kBigFrames; ++f) {
    s += "<fx:FRAME ID=\"F" + N(f) + "\"><ho:SHORT-NAME>Frame" + N(f) +
         "</ho:SHORT-NAME><fx:BYTE-LENGTH>8</fx:BYTE-LENGTH><fx:SIGNAL-INSTANCES>";
    for (int k = 0; k < 2; ++k)
      s += "<fx:SIGNAL-INSTANCE ID=\"I" + N(2 * f + k) + "\"><fx:BIT-POSITION>" + N(8 * k) +
           "</fx:BIT-POSITION><fx:SIGNAL-REF ID-REF=\"S" + N(2 * f + k) + "\"/></fx:SIGNAL-INSTANCE>";
    s += "</fx:SIGNAL-INSTANCES></fx:FRAME>";
  }
  s += "</fx:FRAMES><fx:SIGNALS>";
  for (int i = 2 * kBigFrames - 1; i >= 0; --i)
    s += "<fx:SIGNAL ID=\"S" + N(i) + "\"><ho:SHORT-NAME>Sig" + N(i) + "</ho:SHORT-NAME></fx:SIGNAL>";
  s += "</fx:SIGNALS></fx:ELEMENTS></fx:FIBEX>\n";
  return s;
}

void BM_ImportBeyondTables(benchmark::State& state) {
  const std::string bytes = BeyondTables();
  const std::string path = (std::filesystem::temp_directory_path() / "vestrel-bench-beyond.xml").string();
  std::ofstream(path, std::ios::binary) << bytes;
  CVestrelDoc doc;
  int result = 0;
  for (auto _ : state) {
    doc.ClearFlexRayList(LIST_REFERENCE);
    result = ImportFibexFile(doc, path, nullptr, LIST_REFERENCE);
  }
  std::remove(path.c_str());
  state.counters["MB"] = static_cast<double>(bytes.size()) / 1e6;
  state.counters["result"] = result;
  state.counters["rows"] = doc.CountFlexRaySignals(LIST_REFERENCE);
}

BENCHMARK(BM_ImportNestedFrames)->Arg(5)->Arg(240)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportManyAttributes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportBeyondTables)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Libxml2ParseOnly)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_XmlDomLoad)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ImportFibexFile)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
