// Writing and reading definition files: a full definition list (500 rows)
// and large reference files, beside a plain XML parse and a byte scan of the
// same text.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "Markup.h"
#include "TextFile.h"
#include "VestrelDoc.h"

namespace {

constexpr int kSignalsPerMessage = 10;

// `signals` CAN signals, ten to a message, with the fields a real file has.
void Fill(CVestrelDoc& doc, int list, int signals) {
  for (int m = 0; m * kSignalsPerMessage < signals; ++m) {
    _CANMsg* msg = doc.AllocCanMsg();
    CopyToCharBuffer(msg->name, "EngineMessage_" + std::to_string(m), MAX_NAME_LEN);
    msg->id = m;
    msg->byteCount = 8;
    for (int s = 0; s < kSignalsPerMessage && m * kSignalsPerMessage + s < signals; ++s) {
      _CANSignal* sig = doc.AllocCanSignal();
      CopyToCharBuffer(sig->name, "Signal_" + std::to_string(m) + "_" + std::to_string(s), MAX_NAME_LEN);
      CopyToCharBuffer(sig->unit, "km/h", MAX_NAME_LEN);
      sig->startBit = s * 6;
      sig->bitCount = 6;
      sig->factor = 0.1;
      sig->offset = -40;
      sig->loadNo = m * kSignalsPerMessage + s;
      if (s > 0) {
        CopyToCharBuffer(sig->multiplexor, "Signal_" + std::to_string(m) + "_0", MAX_NAME_LEN);
        sig->multiplexValue = "1,3-5";
      }
      doc.AddCanSignal(msg, sig);
    }
    doc.AddCanMsg(msg, list);
  }
}

std::string FileText(int signals) {
  CVestrelDoc doc;
  Fill(doc, LIST_DEFINITION, signals);
  return doc.BuildSblText(LIST_DEFINITION);
}

void Report(benchmark::State& state, std::size_t bytes) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
  state.counters["bytes"] = static_cast<double>(bytes);
}

void BM_WriteDefinitions(benchmark::State& state) {
  CVestrelDoc doc;
  Fill(doc, LIST_DEFINITION, static_cast<int>(state.range(0)));
  std::size_t bytes = 0;
  for (auto _ : state) {
    std::string text = doc.BuildSblText(LIST_DEFINITION);
    bytes = text.size();
    benchmark::DoNotOptimize(text.data());
  }
  Report(state, bytes);
}
BENCHMARK(BM_WriteDefinitions)->Arg(500)->Arg(5000)->Arg(20000)->Unit(benchmark::kMillisecond);

void ReadInto(benchmark::State& state, int list) {
  std::string text = FileText(static_cast<int>(state.range(0)));
  CVestrelDoc doc;
  for (auto _ : state) {
    doc.ClearCanList(list);  // as the loader does; the records come back from the pools
    if (doc.ParseSblText(text, list) != 0) state.SkipWithError("read failed");
  }
  Report(state, text.size());
}

void BM_ReadDefinitions(benchmark::State& state) { ReadInto(state, LIST_DEFINITION); }
BENCHMARK(BM_ReadDefinitions)->Arg(500)->Unit(benchmark::kMillisecond);

void BM_ReadReference(benchmark::State& state) { ReadInto(state, LIST_REFERENCE); }
BENCHMARK(BM_ReadReference)->Arg(5000)->Arg(20000)->Unit(benchmark::kMillisecond);

// The XML class alone on the same text, wrapped as the reader wraps it.
void BM_MarkupParseOnly(benchmark::State& state) {
  std::string text = "<Vestrel>" + FileText(static_cast<int>(state.range(0))) + "</Vestrel>";
  for (auto _ : state) {
    CMarkup xml;
    if (!xml.SetDocument(text)) state.SkipWithError("parse failed");
    benchmark::DoNotOptimize(&xml);
  }
  Report(state, text.size());
}
BENCHMARK(BM_MarkupParseOnly)->Arg(500)->Arg(5000)->Arg(20000)->Unit(benchmark::kMillisecond);

// Touching every byte once: a scan for '<'.
void BM_PlainScan(benchmark::State& state) {
  std::string text = FileText(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    std::size_t tags = 0;
    const char* p = text.data();
    const char* end = p + text.size();
    while ((p = static_cast<const char*>(std::memchr(p, '<', static_cast<std::size_t>(end - p))))) {
      ++tags;
      ++p;
    }
    benchmark::DoNotOptimize(tags);
  }
  Report(state, text.size());
}
BENCHMARK(BM_PlainScan)->Arg(20000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
