// Saving an entry: the store's append (open, count, addRecord with its two syncs,
// close) and the whole OK of the entry dialog through the fake toolkit (checks, append,
// refresh of a small log, summary labels), each beside a bare pwrite of one record and
// fdatasync on a file in the same folder (and the same with the count written and
// synced after it, the store's order), taken in the same iteration. Wall time: what
// the user waits for is the disk.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <stdexcept>
#include <string>

#include "bench_log.h"
#include "entry/entry_commands.h"
#include "entry/entry_mode.h"
#include "store/fuel_log_store.h"
#include "store/log_file_format.h"
#include "support/fake_toolkit.h"

namespace tankora::bench {
namespace {

constexpr std::int64_t kSmallLog = 20;  // the log the dialog's refresh lists

class BareAppender {
public:
    explicit BareAppender(const std::string& path)
        : fd_(::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600)) {
        if (fd_ < 0) throw std::runtime_error("cannot open " + path);
    }
    ~BareAppender() { ::close(fd_); }
    BareAppender(const BareAppender&) = delete;
    BareAppender& operator=(const BareAppender&) = delete;

    // One record written at the end and synced; the time it took.
    double appendSynced() {
        const double start = wallSeconds();
        if (::pwrite(fd_, record_, sizeof record_, end_) != static_cast<ssize_t>(sizeof record_) ||
            ::fdatasync(fd_) != 0) {
            throw std::runtime_error("bare append failed");
        }
        end_ += static_cast<off_t>(sizeof record_);
        return wallSeconds() - start;
    }

    // The store's order for an append: the record synced, then the count synced.
    double appendThenCountSynced() {
        const double start = wallSeconds();
        appendSynced();
        if (::pwrite(fd_, record_, kCountPairLength, kStoredRecordsOffset) != kCountPairLength ||
            ::fdatasync(fd_) != 0) {
            throw std::runtime_error("bare count write failed");
        }
        return wallSeconds() - start;
    }

private:
    int fd_;
    off_t end_ = 0;
    char record_[kLogRecordLength] = {};
};

void syncFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0 || ::fdatasync(fd) != 0) throw std::runtime_error("cannot sync " + path);
    ::close(fd);
}

struct Bare {
    double oneSync = 0;
    double twoSyncs = 0;
    void measure(BareAppender& appender) {
        oneSync += appender.appendSynced();
        twoSyncs += appender.appendThenCountSynced();
    }
};

void reportPair(benchmark::State& state, double subjectSeconds, const Bare& bare) {
    const double iterations = static_cast<double>(state.iterations());
    state.counters["subject_ms"] = 1e3 * subjectSeconds / iterations;
    state.counters["bare_ms"] = 1e3 * bare.oneSync / iterations;
    state.counters["bare2_ms"] = 1e3 * bare.twoSyncs / iterations;
    state.counters["ratio"] = subjectSeconds / bare.oneSync;
    state.counters["ratio2"] = subjectSeconds / bare.twoSyncs;
}

void BM_StoreAppend(benchmark::State& state) {
    TempFolder folder;
    const std::string path = folder.file("car.mdb");
    writeFileBytes(path, logFileBytes(kSmallLog));
    syncFile(path);
    BareAppender bare(folder.file("bare.dat"));
    const std::vector<OptionalFieldValue> values = {std::nullopt,
                                                    FieldValue::ofDateTime(40000.5),
                                                    FieldValue::ofReal(23456.0),
                                                    FieldValue::ofReal(0.0),
                                                    FieldValue::ofReal(41.27),
                                                    FieldValue::ofText("93"),
                                                    FieldValue::ofReal(300.0),
                                                    FieldValue::ofLogical(true),
                                                    FieldValue::ofReal(0.0),
                                                    FieldValue::ofReal(7.27)};
    FuelLogStore store;
    double storeSeconds = 0;
    Bare bareSeconds;
    for (auto _ : state) {
        const double start = wallSeconds();
        if (!store.open(path)) throw std::runtime_error("cannot open " + path);
        std::vector<OptionalFieldValue> record = values;
        record[0] = FieldValue::ofReal(store.recordCount() + 1.0);
        if (!store.addRecord(record)) throw std::runtime_error("append failed");
        store.close(path);
        const double spent = wallSeconds() - start;
        storeSeconds += spent;
        state.SetIterationTime(spent);
        bareSeconds.measure(bare);
    }
    reportPair(state, storeSeconds, bareSeconds);
}
BENCHMARK(BM_StoreAppend)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_DialogSave(benchmark::State& state) {
    TempFolder folder;
    const std::string path = folder.file("car.mdb");
    const std::string smallLog = logFileBytes(kSmallLog);
    BareAppender bare(folder.file("bare.dat"));
    EntryMode entryMode;
    FuelLogStore store;
    testing::FakeSettings settings;
    testing::FakeToolkit toolkit;
    testing::FakeMainWindow window;
    EntryContext context{entryMode, path, store, settings, toolkit, window};
    toolkit.script = [](testing::FakeEntryDialog& dialog, EntryDialogEvents& events) {
        dialog.datePicker.setValue(40000.5);
        for (auto& [box, text] :
             {std::pair{EntryBox::Odometer, "23456"}, std::pair{EntryBox::UnitPrice, "7.27"},
              std::pair{EntryBox::Amount, "300"}}) {
            for (testing::FakeEditBox& b : dialog.boxes) b.focused = false;
            dialog.edit(box).type(text);  // the live calculation fills the litres
        }
        events.okClicked(dialog);
    };
    double saveSeconds = 0;
    Bare bareSeconds;
    for (auto _ : state) {
        state.PauseTiming();
        writeFileBytes(path, smallLog);  // the same small log every time
        syncFile(path);
        state.ResumeTiming();
        const double start = wallSeconds();
        addEntry(context);
        const double spent = wallSeconds() - start;
        if (window.list.rowCount() != kSmallLog + 1) throw std::runtime_error("the entry was not saved");
        saveSeconds += spent;
        state.SetIterationTime(spent);
        bareSeconds.measure(bare);
    }
    reportPair(state, saveSeconds, bareSeconds);
}
BENCHMARK(BM_DialogSave)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tankora::bench

BENCHMARK_MAIN();
