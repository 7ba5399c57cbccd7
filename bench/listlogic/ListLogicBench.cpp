// Timings of the list road on a generated CANdb file of 5,000 signals:
// open it into the reference list (read, convert, fill the rows), add 500
// rows to the definitions, sort 5,000 rows, and the row fill alone at
// several sizes (it should grow linearly).
#include "ListAdd.h"
#include "ListLoad.h"
#include "ListLogic.h"
#include "ListSort.h"
#include "MessageBox.h"
#include "TextFile.h"
#include "VestrelDoc.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

// 625 messages of 8 bytes with 8 signals of 8 bits each: 5,000 signals.
std::string GenerateDbc(int signals) {
  std::string text = "VERSION \"\"\n\nBU_: Node\n\n";
  const int perMessage = 8;
  for (int m = 0; m * perMessage < signals; ++m) {
    text += "BO_ " + std::to_string(0x100 + m) + " Message_" + std::to_string(m) + ": 8 Node\n";
    for (int s = 0; s < perMessage && m * perMessage + s < signals; ++s)
      text += " SG_ Signal_" + std::to_string(m) + "_" + std::to_string(s) + " : " + std::to_string(s * 8) +
              "|8@1+ (0.5,-10) [-10|117.5] \"km/h\" Vector__XXX\n";
    text += "\n";
  }
  return text;
}

class BenchFile {
 public:
  BenchFile() {
    char tmpl[] = "/tmp/vr_listbench_XXXXXX";
    char* made = ::mkdtemp(tmpl);
    dir_ = made ? made : "/tmp";
    path_ = dir_ + "/bench5000.dbc";
    WriteTextFile(path_, GenerateDbc(5000));
  }
  ~BenchFile() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  const std::string& Path() const { return path_; }

 private:
  std::string dir_, path_;
};

const BenchFile& File() {
  static BenchFile file;
  return file;
}

// Messages would otherwise go to no one; none are expected here.
class SilentSink : public IMessageSink {
 public:
  int Show(int, const std::vector<MsgArg>&, MsgButtons, MsgIcon) override {
    ++shown;
    return MSG_OK;
  }
  int shown = 0;
};

void BM_OpenDbcIntoReferenceList(benchmark::State& state) {
  CVestrelDoc doc;
  CRefListLogic ref(doc);
  CDefListLogic def(doc);
  ref.SetPartner(&def);
  def.SetPartner(&ref);
  const std::vector<std::string> paths = {File().Path()};
  for (auto _ : state) {
    ref.DropFiles(paths);
    benchmark::DoNotOptimize(ref.Rows().data());
  }
  if (ref.RowCount() != 5000) state.SkipWithError("the file did not load 5,000 rows");
  state.counters["rows"] = ref.RowCount();
}
BENCHMARK(BM_OpenDbcIntoReferenceList)->Unit(benchmark::kMillisecond);

void BM_Add500RowsToDefinitions(benchmark::State& state) {
  CVestrelDoc doc;
  if (LoadListFile(doc, LIST_REFERENCE, File().Path(), BUS_CAN).result != 0) {
    state.SkipWithError("load failed");
    return;
  }
  ListRows refRows = BuildListRows(doc, LIST_REFERENCE, BUS_CAN, 0);
  // Every tenth row: 500 rows from 500 messages, each a new definition message.
  std::vector<int> selection;
  for (int i = 0; i < 5000; i += 10) selection.push_back(i);
  SilentSink sink;
  SetMessageSink(&sink);
  int added = 0;
  for (auto _ : state) {
    state.PauseTiming();
    doc.ClearCanList(LIST_DEFINITION);
    ListRows defRows;
    state.ResumeTiming();
    added = AddReferenceRows(doc, BUS_CAN, refRows, selection, defRows);
    benchmark::DoNotOptimize(defRows.data());
  }
  SetMessageSink(nullptr);
  if (added != 500 || sink.shown != 0) state.SkipWithError("not every row was added");
}
BENCHMARK(BM_Add500RowsToDefinitions)->Unit(benchmark::kMillisecond);

void BM_Sort5000Rows(benchmark::State& state) {
  CVestrelDoc doc;
  LoadListFile(doc, LIST_REFERENCE, File().Path(), BUS_CAN);
  const int column = static_cast<int>(state.range(0));
  const int format = static_cast<int>(state.range(1));
  const ListRows rows = BuildListRows(doc, LIST_REFERENCE, BUS_CAN, format);
  for (auto _ : state) {
    state.PauseTiming();
    ListRows copy = rows;
    tagListSortInfo info;
    // The record already names the column, so the click sorts descending:
    // the reverse of the file's own order, real work for the sort.
    info.column = column;
    info.ascending = 1;
    state.ResumeTiming();
    SortRowsByColumn(copy, info, column, BUS_CAN, format);
    benchmark::DoNotOptimize(copy.data());
  }
  state.counters["rows"] = static_cast<double>(rows.size());
}
BENCHMARK(BM_Sort5000Rows)
    ->ArgNames({"column", "hex"})
    ->Args({COL_MESSAGE, 0})
    ->Args({COL_ID, 0})
    ->Args({COL_ID, 1})
    ->Args({COL_SIGNAL, 0})
    ->Unit(benchmark::kMillisecond);

// The row fill alone, by signal count: linear growth expected.
void BM_FillRows(benchmark::State& state) {
  CVestrelDoc doc;
  const int signals = static_cast<int>(state.range(0));
  char tmpl[] = "/tmp/vr_listfill_XXXXXX";
  char* made = ::mkdtemp(tmpl);
  std::string path = std::string(made ? made : "/tmp") + "/fill.dbc";
  WriteTextFile(path, GenerateDbc(signals));
  LoadListFile(doc, LIST_REFERENCE, path, BUS_CAN);
  ::unlink(path.c_str());
  if (made) ::rmdir(made);
  for (auto _ : state) {
    ListRows rows = BuildListRows(doc, LIST_REFERENCE, BUS_CAN, 0);
    benchmark::DoNotOptimize(rows.data());
  }
  state.SetComplexityN(signals);
}
BENCHMARK(BM_FillRows)->Arg(1000)->Arg(2500)->Arg(5000)->Unit(benchmark::kMicrosecond)->Complexity(benchmark::oN);

}  // namespace

BENCHMARK_MAIN();
