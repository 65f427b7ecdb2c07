// refreshLog into the real main window (Qt's list and labels, shown on the offscreen
// platform, with the repaint that follows) beside refreshLog into the fake view, on
// the same file in the same iteration. Both pay the same store work; the difference is
// what the window adds. Memory: the heap the first fill of the shown window takes,
// beside the GBK bytes of the rows' texts, and the process's peak resident size.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QApplication>
#include <cstdint>
#include <fstream>
#include <stdexcept>
#include <string>

#include "bench_log.h"
#include "log/log_refresh.h"
#include "qt_benchmark_main.h"
#include "support/fake_toolkit.h"
#include "ui/qt_main_window.h"

namespace tankora::bench {
namespace {

std::int64_t heapBytes() { return static_cast<std::int64_t>(mallinfo2().uordblks); }

// The process's peak resident size so far (VmHWM), in bytes; run one size alone in a
// fresh process to read it for that size.
std::int64_t peakResidentBytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::stoll(line.substr(6)) * 1024;
    }
    return 0;
}

// The GBK bytes of every cell: what the rows say, before any toolkit's bookkeeping.
std::int64_t textBytes(const ReportList& list) {
    std::int64_t bytes = 0;
    for (int row = 0; row < list.rowCount(); ++row) {
        for (int column = 0; column < list.columnCount(); ++column)
            bytes += list.cellText(row, column).size();
    }
    return bytes;
}

void BM_RefreshIntoWindow(benchmark::State& state) {
    const std::int64_t entries = state.range(0);
    TempFolder folder;
    const std::string path = folder.file("car.mdb");
    writeFileBytes(path, logFileBytes(entries));
    FuelLogStore store;
    testing::FakeMessageBoxes messages;
    testing::FakeMainWindow fake;
    testing::IgnoredMainWindowEvents events;
    QtMainWindow window(events);
    window.open();
    QApplication::processEvents();
    // What the first fill of the shown window holds.
    const std::int64_t heapBefore = heapBytes();
    refreshLog(path, store, window.view(), messages);
    QApplication::processEvents();
    const auto perRow = [entries](std::int64_t bytes) {
        return static_cast<double>(bytes) / static_cast<double>(entries);
    };
    const double heapPerRow = perRow(heapBytes() - heapBefore);
    const double textPerRow = perRow(textBytes(window.view().logList()));

    double qtSeconds = 0;
    double paintSeconds = 0;
    double fakeSeconds = 0;
    double longestStall = 0;
    for (auto _ : state) {
        double start = threadCpuSeconds();
        const double wallStart = wallSeconds();
        refreshLog(path, store, window.view(), messages);
        const double painting = threadCpuSeconds();
        QApplication::processEvents();  // the repaint: until then the window does not answer
        const double spent = threadCpuSeconds() - start;
        paintSeconds += threadCpuSeconds() - painting;
        longestStall = std::max(longestStall, wallSeconds() - wallStart);
        qtSeconds += spent;
        state.SetIterationTime(spent);

        start = threadCpuSeconds();
        refreshLog(path, store, fake, messages);
        fakeSeconds += threadCpuSeconds() - start;
        if (window.view().logList().rowCount() != entries || fake.list.rowCount() != entries) {
            throw std::runtime_error("the refresh did not list every entry");
        }
    }
    const double iterations = static_cast<double>(state.iterations());
    state.SetItemsProcessed(state.iterations() * entries);
    state.counters["window_ms"] = 1e3 * qtSeconds / iterations;
    state.counters["paint_ms"] = 1e3 * paintSeconds / iterations;
    state.counters["fake_ms"] = 1e3 * fakeSeconds / iterations;
    state.counters["ratio"] = qtSeconds / fakeSeconds;
    state.counters["stall_wall_ms"] = 1e3 * longestStall;
    state.counters["heap_per_row"] = heapPerRow;
    state.counters["peak_rss_mb"] = static_cast<double>(peakResidentBytes()) / (1024.0 * 1024.0);
    state.counters["text_per_row"] = textPerRow;
}
BENCHMARK(BM_RefreshIntoWindow)
    ->ArgName("entries")
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tankora::bench

int main(int argc, char** argv) { return tankora::bench::runBenchmarksInQtApplication(argc, argv); }
