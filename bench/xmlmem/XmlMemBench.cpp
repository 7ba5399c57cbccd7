// Peak memory of the XML loads (.sbl, FIBEX, settings) against the size of
// the file, through the real load path, for hostile shapes and for a
// realistic file of each kind. Each benchmark resets the process's peak
// resident set before its load and reports:
//   file_MB    the file's size
//   peak_MB    the rise of the peak resident set during the load
//   ratio      peak_MB / file_MB (the goal is at most 10)
// The time column is the load's wall time.
//
// VR_XMLMEM_MB sets the size of the generated files (default 32).
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "AppSettings.h"
#include "ListLoad.h"
#include "VestrelDoc.h"
#include "XmlShapes.h"

namespace {

std::size_t TargetBytes() {
  const char* mb = std::getenv("VR_XMLMEM_MB");
  const long n = mb ? std::atol(mb) : 32;
  return static_cast<std::size_t>(n > 0 ? n : 32) << 20;
}

long StatusKb(const char* key) {
  std::FILE* f = std::fopen("/proc/self/status", "r");
  if (!f) return 0;
  char line[256];
  long kb = 0;
  const std::size_t n = std::strlen(key);
  while (std::fgets(line, sizeof line, f))
    if (std::strncmp(line, key, n) == 0) kb = std::atol(line + n);
  std::fclose(f);
  return kb;
}

// Sets the peak resident set back to the current one.
void ResetPeak() {
  malloc_trim(0);
  if (std::FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
    std::fputs("5", f);
    std::fclose(f);
  }
}

using xmlshape::Deep;
using xmlshape::ManyAttributes;
using xmlshape::Numbered;
using xmlshape::Repeat;

const char* kFibexHead =
    "<?xml version=\"1.0\"?>\n<fx:FIBEX xmlns:fx=\"f\" xmlns:ho=\"h\" xmlns:flexray=\"r\" xmlns:xsi=\"x\">";

// The smallest groups that still make a record each: a message with a
// name, or a signal with a name.
std::string SblRecords(bool signalsOnly, std::size_t bytes) {
  std::string s = "<SBLVersion>1.2</SBLVersion><CanSymbolTable><MessageTotalNum>999999999</MessageTotalNum>";
  if (signalsOnly) s += "<Group><Message><MSGName>M</MSGName></Message><SignalNum>999999999</SignalNum>";
  s.reserve(bytes);
  char unit[128];
  for (unsigned i = 0; s.size() + sizeof unit <= bytes; ++i) {
    if (signalsOnly) std::snprintf(unit, sizeof unit, "<Signal><SIGName>%x</SIGName></Signal>", i);
    else std::snprintf(unit, sizeof unit, "<Group><Message><MSGName>%x</MSGName></Message></Group>", i);
    s += unit;
  }
  return s + (signalsOnly ? "</Group></CanSymbolTable>" : "</CanSymbolTable>");
}

// A realistic FIBEX file: frames with signals, codings and units.
std::string RealFibex(std::size_t bytes) {
  std::string s = std::string(kFibexHead) +
                  "<fx:ELEMENTS><fx:CLUSTERS><fx:CLUSTER "
                  "ID=\"CL\"><ho:SHORT-NAME>C</ho:SHORT-NAME><fx:PROTOCOL>FlexRay</fx:PROTOCOL>"
                  "<fx:CHANNEL-REFS><fx:CHANNEL-REF ID-REF=\"CH\"/></fx:CHANNEL-REFS></fx:CLUSTER></fx:CLUSTERS>\n"
                  "<fx:CHANNELS><fx:CHANNEL ID=\"CH\"><ho:SHORT-NAME>A</ho:SHORT-NAME><fx:FRAME-TRIGGERINGS>\n";
  const int frames = 2000;
  for (int f = 0; f < frames; ++f)
    s += "  <fx:FRAME-TRIGGERING ID=\"T" + std::to_string(f) +
         "\"><fx:TIMINGS><fx:ABSOLUTELY-SCHEDULED-TIMING><fx:SLOT-ID>" + std::to_string(f % 2047 + 1) +
         "</fx:SLOT-ID><fx:BASE-CYCLE>0</fx:BASE-CYCLE><fx:CYCLE-REPETITION>4</fx:CYCLE-REPETITION>"
         "</fx:ABSOLUTELY-SCHEDULED-TIMING></fx:TIMINGS><fx:FRAME-REF ID-REF=\"F" +
         std::to_string(f) + "\"/></fx:FRAME-TRIGGERING>\n";
  s += "</fx:FRAME-TRIGGERINGS></fx:CHANNEL></fx:CHANNELS>\n<fx:FRAMES>\n";
  for (int f = 0; f < frames; ++f)
    s += "  <fx:FRAME ID=\"F" + std::to_string(f) + "\"><ho:SHORT-NAME>Frame" + std::to_string(f) +
         "</ho:SHORT-NAME><fx:BYTE-LENGTH>8</fx:BYTE-LENGTH><fx:SIGNAL-INSTANCES><fx:SIGNAL-INSTANCE ID=\"I" +
         std::to_string(f) +
         "\"><fx:BIT-POSITION>0</fx:BIT-POSITION><fx:IS-HIGH-LOW-BYTE-ORDER>false</fx:IS-HIGH-LOW-BYTE-ORDER>"
         "<fx:SIGNAL-REF ID-REF=\"S" +
         std::to_string(f) + "\"/></fx:SIGNAL-INSTANCE></fx:SIGNAL-INSTANCES></fx:FRAME>\n";
  s += "</fx:FRAMES>\n<fx:SIGNALS>\n";
  for (int f = 0; f < frames; ++f)
    s += "  <fx:SIGNAL ID=\"S" + std::to_string(f) + "\"><ho:SHORT-NAME>Sig" + std::to_string(f) +
         "</ho:SHORT-NAME><fx:CODING-REF ID-REF=\"C" + std::to_string(f) + "\"/></fx:SIGNAL>\n";
  s += "</fx:SIGNALS>\n</fx:ELEMENTS><fx:PROCESSING-INFORMATION><ho:UNITS>\n";
  s += "  <ho:UNIT ID=\"U\"><ho:SHORT-NAME>km</ho:SHORT-NAME><ho:DISPLAY-NAME>km/h</ho:DISPLAY-NAME></ho:UNIT>\n";
  s += "</ho:UNITS><fx:CODINGS>\n";
  for (int f = 0; f < frames; ++f)
    s += "  <fx:CODING ID=\"C" + std::to_string(f) +
         "\"><ho:SHORT-NAME>Cod</ho:SHORT-NAME><ho:CODED-TYPE CATEGORY=\"STANDARD-LENGTH-TYPE\" "
         "ho:BASE-DATA-TYPE=\"A_UINT8\"><ho:BIT-LENGTH>8</ho:BIT-LENGTH></ho:CODED-TYPE>"
         "<ho:COMPU-METHODS><ho:COMPU-METHOD><ho:CATEGORY>LINEAR</ho:CATEGORY><ho:UNIT-REF ID-REF=\"U\"/>"
         "<ho:COMPU-INTERNAL-TO-PHYS><ho:COMPU-SCALES><ho:COMPU-SCALE><ho:COMPU-RATIONAL-COEFFS>"
         "<ho:COMPU-NUMERATOR><ho:V>0</ho:V><ho:V>0.5</ho:V></ho:COMPU-NUMERATOR></ho:COMPU-RATIONAL-COEFFS>"
         "</ho:COMPU-SCALE></ho:COMPU-SCALES></ho:COMPU-INTERNAL-TO-PHYS></ho:COMPU-METHOD></ho:COMPU-METHODS>"
         "</fx:CODING>\n";
  s += "</fx:CODINGS></fx:PROCESSING-INFORMATION>";
  // Descriptions make up the rest, as in the files of real networks.
  const std::string desc = "<ho:DESC>Notes about purpose, source, timing and change history.</ho:DESC>\n";
  while (s.size() + desc.size() + 20 < bytes) s += desc;
  return s + "</fx:FIBEX>\n";
}

// The generated files, removed when the program ends.
struct Scratch {
  Scratch() {
    path = (std::filesystem::temp_directory_path() / ("vr_xmlmem_" + std::to_string(::getpid()))).string();
    std::filesystem::create_directories(path);
  }
  ~Scratch() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
  std::string path;
};

const std::string& Folder() {
  static const Scratch scratch;
  return scratch.path;
}

std::string Write(const std::string& name, const std::string& text) {
  const std::string path = Folder() + "/" + name;
  std::ofstream(path, std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
  return path;
}

template <class Load>
void Measure(benchmark::State& state, const std::string& path, Load load) {
  const double fileMb = static_cast<double>(std::filesystem::file_size(path)) / (1 << 20);
  double peakMb = 0;
  for (auto _ : state) {
    state.PauseTiming();
    ResetPeak();
    const long before = StatusKb("VmRSS:");
    state.ResumeTiming();
    int result = load();
    state.PauseTiming();
    peakMb = std::max(peakMb, static_cast<double>(StatusKb("VmHWM:") - before) / 1024);
    if (result != 0) state.counters["result"] = result;
    state.ResumeTiming();
  }
  state.counters["file_MB"] = fileMb;
  state.counters["peak_MB"] = peakMb;
  state.counters["ratio"] = peakMb / fileMb;
}

void LoadInto(benchmark::State& state, const std::string& path, int list) {
  Measure(state, path, [&] {
    CVestrelDoc doc;
    return LoadListFile(doc, list, path, BUS_CAN).result;
  });
}

void BM_SblEmptyElements(benchmark::State& state) {
  static const std::string path = Write("empty.sbl", Repeat("", "<a/>", "", TargetBytes()));
  LoadInto(state, path, LIST_REFERENCE);
}
void BM_SblDeepNesting(benchmark::State& state) {
  static const std::string path = Write("deep.sbl", Deep("", "", TargetBytes()));
  LoadInto(state, path, LIST_REFERENCE);
}
void BM_SblManyAttributes(benchmark::State& state) {
  static const std::string path = Write("attrs.sbl", ManyAttributes("", "", TargetBytes()));
  LoadInto(state, path, LIST_REFERENCE);
}
void BM_SblManyMessages(benchmark::State& state) {
  static const std::string path = Write("messages.sbl", SblRecords(false, TargetBytes()));
  LoadInto(state, path, LIST_REFERENCE);
}
void BM_SblManySignals(benchmark::State& state) {
  static const std::string path = Write("signals.sbl", SblRecords(true, TargetBytes()));
  LoadInto(state, path, LIST_REFERENCE);
}

// What the program writes for the realistic FIBEX file's 2,000 frames.
void BM_SblRealFile(benchmark::State& state) {
  static const std::string path = [] {
    CVestrelDoc doc;
    LoadListFile(doc, LIST_REFERENCE, Write("real.xml", RealFibex(TargetBytes())), BUS_CAN);
    return Write("real.sbl", doc.BuildSblText(LIST_REFERENCE));
  }();
  LoadInto(state, path, LIST_REFERENCE);
}
void BM_FibexEmptyElements(benchmark::State& state) {
  static const std::string path = Write("empty.xml", Repeat(kFibexHead, "<a/>", "</fx:FIBEX>", TargetBytes()));
  LoadInto(state, path, LIST_REFERENCE);
}
void BM_FibexEmptyFrames(benchmark::State& state) {
  static const std::string path = Write("frames.xml", Repeat(kFibexHead, "<fx:FRAME/>", "</fx:FIBEX>", TargetBytes()));
  LoadInto(state, path, LIST_REFERENCE);
}
void BM_FibexDeepNesting(benchmark::State& state) {
  static const std::string path = Write("deep.xml", Deep(kFibexHead, "</fx:FIBEX>", TargetBytes()));
  LoadInto(state, path, LIST_REFERENCE);
}
void BM_FibexManyAttributes(benchmark::State& state) {
  static const std::string path = Write("attrs.xml", ManyAttributes(kFibexHead, "</fx:FIBEX>", TargetBytes()));
  LoadInto(state, path, LIST_REFERENCE);
}
void BM_FibexDistinctNames(benchmark::State& state) {
  static const std::string path = Write("names.xml", Numbered(kFibexHead, "<a%x/>", "</fx:FIBEX>", TargetBytes()));
  LoadInto(state, path, LIST_REFERENCE);
}
// A namespace of its own on every element, under a prefix or as the default.
void BM_FibexPrefixedNamespaces(benchmark::State& state) {
  static const std::string path =
      Write("prefixed.xml", Numbered(kFibexHead, "<p:a xmlns:p=\"u%x\"/>", "</fx:FIBEX>", TargetBytes()));
  LoadInto(state, path, LIST_REFERENCE);
}
void BM_FibexDefaultNamespaces(benchmark::State& state) {
  static const std::string path =
      Write("default.xml", Numbered(kFibexHead, "<a xmlns=\"u%x\"/>", "</fx:FIBEX>", TargetBytes()));
  LoadInto(state, path, LIST_REFERENCE);
}
// Shapes that grow the engine's name dictionary without an element name:
// different processing-instruction targets, and undefined entity references
// (different or the same), which are malformed from the first.
void BM_FibexInstructionNames(benchmark::State& state) {
  static const std::string path = Write("pis.xml", Numbered(kFibexHead, "<?p%x?>", "</fx:FIBEX>", TargetBytes()));
  LoadInto(state, path, LIST_REFERENCE);
}
void BM_FibexUndefinedEntities(benchmark::State& state) {
  static const std::string path = Write("entities.xml", Numbered(kFibexHead, "&e%x;", "</fx:FIBEX>", TargetBytes()));
  LoadInto(state, path, LIST_REFERENCE);
}
void BM_FibexSameUndefinedEntity(benchmark::State& state) {
  static const std::string path = Write("entity.xml", Repeat(kFibexHead, "&e;", "</fx:FIBEX>", TargetBytes()));
  LoadInto(state, path, LIST_REFERENCE);
}
void BM_FibexEntitiesInValues(benchmark::State& state) {
  static const std::string path =
      Write("values.xml", Numbered(kFibexHead, "<a b=\"&e%x;\"/>", "</fx:FIBEX>", TargetBytes()));
  LoadInto(state, path, LIST_REFERENCE);
}
// End tags that close no element, each of another name.
void BM_FibexStrayEndTags(benchmark::State& state) {
  static const std::string path = Write("ends.xml", Numbered(kFibexHead, "<a></b%x>", "</fx:FIBEX>", TargetBytes()));
  LoadInto(state, path, LIST_REFERENCE);
}
// Prefixes never declared, on elements and on attributes.
void BM_FibexUndeclaredPrefixes(benchmark::State& state) {
  static const std::string path = Write("prefixes.xml", Numbered(kFibexHead, "<p%x:a/>", "</fx:FIBEX>", TargetBytes()));
  LoadInto(state, path, LIST_REFERENCE);
}
void BM_FibexUndeclaredAttributePrefixes(benchmark::State& state) {
  static const std::string path =
      Write("aprefixes.xml", Numbered(kFibexHead, "<a p%x:b=\"\"/>", "</fx:FIBEX>", TargetBytes()));
  LoadInto(state, path, LIST_REFERENCE);
}
// A DOCTYPE is refused as soon as it is seen; these come after a malformed
// comment, when the parser no longer reports what it reads.
std::string DoctypeAfterError(const char* format) {
  return Numbered("<!-- a -- b --><!DOCTYPE r [", format, "]><r/>", TargetBytes());
}
void BM_FibexDoctypeEntities(benchmark::State& state) {
  static const std::string path = Write("dtdent.xml", DoctypeAfterError("<!ENTITY e%x 'x'>"));
  LoadInto(state, path, LIST_REFERENCE);
}
void BM_FibexDoctypeElements(benchmark::State& state) {
  static const std::string path = Write("dtdelem.xml", DoctypeAfterError("<!ELEMENT e%x ANY>"));
  LoadInto(state, path, LIST_REFERENCE);
}
void BM_FibexDoctypeNotations(benchmark::State& state) {
  static const std::string path = Write("dtdnot.xml", DoctypeAfterError("<!NOTATION n%x SYSTEM 'x'>"));
  LoadInto(state, path, LIST_REFERENCE);
}
void BM_FibexDoctypeOnly(benchmark::State& state) {
  static const std::string path =
      Write("dtd.xml", Numbered("<!DOCTYPE r [", "<!ENTITY e%x 'x'>", "]><r/>", TargetBytes()));
  LoadInto(state, path, LIST_REFERENCE);
}
void BM_FibexRealFile(benchmark::State& state) {
  static const std::string path = Write("real.xml", RealFibex(TargetBytes()));
  LoadInto(state, path, LIST_REFERENCE);
}

// The settings file is read with the same element class as the .sbl file.
void BM_SettingsEmptyElements(benchmark::State& state) {
  static const std::string path =
      Write("Default.xml", Repeat("<VestrelSettings>", "<a/>", "</VestrelSettings>", TargetBytes()));
  Measure(state, path, [&] {
    CAppSettings settings;
    settings.SetSettingsFolder(Folder());
    return settings.Load() ? 0 : 1;
  });
}

BENCHMARK(BM_SblEmptyElements)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_SblDeepNesting)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_SblManyAttributes)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_SblManyMessages)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_SblManySignals)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_SblRealFile)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_SettingsEmptyElements)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_FibexEmptyElements)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_FibexEmptyFrames)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_FibexDeepNesting)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_FibexManyAttributes)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_FibexDistinctNames)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_FibexPrefixedNamespaces)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_FibexDefaultNamespaces)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_FibexInstructionNames)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_FibexUndefinedEntities)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_FibexSameUndefinedEntity)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_FibexEntitiesInValues)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_FibexStrayEndTags)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_FibexUndeclaredPrefixes)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_FibexUndeclaredAttributePrefixes)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_FibexDoctypeEntities)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_FibexDoctypeElements)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_FibexDoctypeNotations)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_FibexDoctypeOnly)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_FibexRealFile)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
