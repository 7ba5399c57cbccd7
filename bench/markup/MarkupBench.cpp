// Parsing speed of the XML element class against a bare scan for '<' over
// the same bytes, and the growth of building a document by insertion.
#include "CNumber.h"
#include "Markup.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

namespace {

// A definition-file-like document: one element per line, CR LF, groups of
// messages with their signals, about `bytes` long.
const std::string& ElementDocument(std::size_t bytes) {
  static std::string doc;
  if (!doc.empty()) return doc;
  doc = "<?xml version=\"1.0\"?>\r\n<SymbolFile>\r\n<Version>1.2</Version>\r\n";
  for (int m = 0; doc.size() < bytes; ++m) {
    doc += "<Message>\r\n<MSGName>" + cnum::Format("MSG_%05d", m) + "</MSGName>\r\n";
    doc += "<MSGid>" + cnum::Format("%d", m & 0x7FF) + "</MSGid>\r\n<MSGByteSize>8</MSGByteSize>\r\n";
    for (int s = 0; s < 8; ++s) {
      doc += "<Signal>\r\n<SIGName>" + cnum::Format("SIG_%05d_%d", m, s) + "</SIGName>\r\n";
      doc += "<StartBit>" + cnum::Format("%d", s * 8) + "</StartBit>\r\n<BitSize>8</BitSize>\r\n";
      doc += "<Factor>1.000000e+00</Factor>\r\n<Offset>0.000000e+00</Offset>\r\n<Unit>km&amp;h</Unit>\r\n";
      doc += "<Multiplexor/>\r\n</Signal>\r\n";
    }
    doc += "</Message>\r\n";
  }
  doc += "</SymbolFile>\r\n";
  return doc;
}

constexpr std::size_t kDocBytes = 5u << 20;

void BM_MemchrScanForTag(benchmark::State& state) {
  const std::string& doc = ElementDocument(kDocBytes);
  for (auto _ : state) {
    std::size_t tags = 0;
    const char* p = doc.data();
    const char* end = p + doc.size();
    while ((p = static_cast<const char*>(std::memchr(p, '<', static_cast<std::size_t>(end - p)))) != nullptr) {
      ++tags;
      ++p;
    }
    benchmark::DoNotOptimize(tags);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(doc.size()));
}
BENCHMARK(BM_MemchrScanForTag)->Unit(benchmark::kMillisecond);

void BM_MarkupParse(benchmark::State& state) {
  const std::string& doc = ElementDocument(kDocBytes);
  CMarkup xml;
  for (auto _ : state) {
    bool ok = xml.SetDocument(doc);
    benchmark::DoNotOptimize(ok);
    if (!ok) state.SkipWithError("document did not parse");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(doc.size()));
}
BENCHMARK(BM_MarkupParse)->Unit(benchmark::kMillisecond);

// Parse, then read every message name and signal name the way a reader does.
void BM_MarkupParseAndRead(benchmark::State& state) {
  const std::string& doc = ElementDocument(kDocBytes);
  CMarkup xml;
  for (auto _ : state) {
    xml.SetDocument(doc);
    std::size_t chars = 0;
    while (xml.FindChildElement("Message")) {
      xml.EnterElement();
      if (xml.FindChildElement("MSGName")) chars += xml.GetChildText().size();
      while (xml.FindChildElement("Signal")) {
        xml.EnterElement();
        if (xml.FindChildElement("SIGName")) chars += xml.GetChildText().size();
        if (xml.FindChildElement("Unit")) chars += xml.GetChildText().size();
        xml.LeaveElement();
      }
      xml.LeaveElement();
    }
    benchmark::DoNotOptimize(chars);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(doc.size()));
}
BENCHMARK(BM_MarkupParseAndRead)->Unit(benchmark::kMillisecond);

// Writer-style building: messages with a name and signals below the top
// element, each insertion spliced into the text at once. `range(0)` is the
// number of elements inserted.
void BM_MarkupBuildByInsertion(benchmark::State& state) {
  const int elements = static_cast<int>(state.range(0));
  std::size_t bytes = 0;
  for (auto _ : state) {
    CMarkup xml;
    xml.InsertElement("SymbolFile", nullptr, false, false);
    int inserted = 1;
    for (int m = 0; inserted < elements; ++m) {
      xml.InsertElement("Message", nullptr, false, true);
      xml.EnterElement();
      xml.InsertElement("MSGName", cnum::Format("MSG_%05d", m).c_str(), false, true);
      inserted += 2;
      for (int s = 0; s < 3 && inserted < elements; ++s, ++inserted) xml.InsertElement("Signal", "a&b<c>", false, true);
      xml.LeaveElement();
    }
    bytes = xml.GetDoc().size();
    benchmark::DoNotOptimize(bytes);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * elements);
  state.SetComplexityN(elements);
  state.counters["doc_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_MarkupBuildByInsertion)
    ->Arg(5000)
    ->Arg(20000)
    ->Arg(80000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

// The same count of elements all appended directly below the top element.
void BM_MarkupBuildFlat(benchmark::State& state) {
  const int elements = static_cast<int>(state.range(0));
  for (auto _ : state) {
    CMarkup xml;
    xml.InsertElement("KeyWords", nullptr, false, false);
    for (int i = 1; i < elements; ++i) xml.InsertElement("KeyWord", "text", false, true);
    benchmark::DoNotOptimize(xml.GetDoc().size());
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * elements);
  state.SetComplexityN(elements);
}
BENCHMARK(BM_MarkupBuildFlat)
    ->Arg(5000)
    ->Arg(20000)
    ->Arg(80000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

}  // namespace

BENCHMARK_MAIN();
