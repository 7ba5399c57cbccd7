// The reference list window with 5,000 and 50,000 CAN rows on the offscreen
// platform: showing the rows (refill and first paint), sorting them by a
// click on the Message header (and back), and selecting every row. Only the
// rows on screen should cost anything beyond the list logic's own work, so
// the figures should grow no faster than the row count.
#include "DocFill.h"
#include "FontManager.h"
#include "ListDlg.h"
#include "VestrelDoc.h"

#include <QApplication>
#include <QHeaderView>
#include <QTest>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

namespace {

// A reference list over a document of `rows` signals, 8 to a message.
struct Window {
  explicit Window(int rows) {
    for (int m = 0; m * 8 < rows; ++m) {
      char name[40];
      std::snprintf(name, sizeof name, "Message_%05d", m);
      _CANMsg* msg = AddCan(doc, LIST_REFERENCE, name, 0x100 + m);
      for (int s = 0; s < 8 && m * 8 + s < rows; ++s) {
        std::snprintf(name, sizeof name, "Signal_%05d_%d", m, s);
        AddCanSig(doc, msg, name, m * 8 + s);
      }
    }
    host.resize(900, 700);
    dlg = new CRefListDlg(&host);
    dlg->SetDocument(&doc);
    dlg->SetFontManager(&fonts);
    dlg->SetListKind(LIST_REFERENCE);
    dlg->SetBusKind(BUS_CAN);
    dlg->setGeometry(host.rect());
    dlg->Create();
    host.show();
    Paint();
  }
  // Runs the pending layout and paints the list as the screen would.
  void Paint() {
    QApplication::processEvents();
    dlg->List().viewport()->repaint();
  }
  void ClickHeader(int column) {
    QHeaderView* h = dlg->List().horizontalHeader();
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {},
                      QPoint(h->sectionViewportPosition(column) + 5, h->height() / 2));
  }

  CVestrelDoc doc;
  CFontManager fonts;
  QWidget host;
  CRefListDlg* dlg = nullptr;
};

void BM_ShowRows(benchmark::State& state) {
  Window w(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    w.dlg->RefreshList();
    w.Paint();
  }
  state.counters["rows"] = static_cast<double>(w.dlg->List().GetItemCount());
}

// The list logic's own refill, for comparison: what showing adds to it is
// the window's cost.
void BM_LogicRowsOnly(benchmark::State& state) {
  Window w(static_cast<int>(state.range(0)));
  for (auto _ : state) w.dlg->Logic()->RefreshList();
}

void BM_SortByHeaderClick(benchmark::State& state) {
  Window w(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    w.ClickHeader(2);  // ascending, then descending on the next round
    w.Paint();
  }
}

void BM_SelectAll(benchmark::State& state) {
  Window w(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    w.dlg->List().ClearRowSelection();
    w.dlg->SelectAll();
    w.Paint();
  }
  state.counters["selected"] = static_cast<double>(w.dlg->List().GetSelectedCount());
}

BENCHMARK(BM_ShowRows)->Arg(5000)->Arg(50000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LogicRowsOnly)->Arg(5000)->Arg(50000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortByHeaderClick)->Arg(5000)->Arg(50000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SelectAll)->Arg(5000)->Arg(50000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
