// The list refresh's access pattern on the record store, beside the floor that pattern
// demands: per record one locked serial write, eight locked field reads and one locked
// read of the count (the skip), each lock an F_OFD_SETLK on one byte and each read or
// write one pread/pwrite, with no store logic at all. Both run in every iteration on
// the same file, one after the other, so the ratio sees the same machine load.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <stdexcept>

#include "bench_log.h"
#include "store/fuel_log_store.h"
#include "store/log_file_format.h"

namespace tankora::bench {
namespace {

// The fields the refresh reads after writing the serial.
constexpr std::array<int, 8> kReadFields = {
    kSerialField,   kDateField,   kOdometerField, kLitresField,
    kFuelTypeField, kAmountField, kFullTankField, kConsumptionEstimateField};

std::int64_t storePass(const std::string& path) {
    FuelLogStore store;
    if (!store.open(path)) throw std::runtime_error("cannot open " + path);
    const std::int32_t n = store.recordCount();
    for (std::int32_t i = 1; i <= n; ++i) {
        store.writeField(kSerialField, FieldValue::ofInteger(i));
        for (int field : kReadFields) {
            FieldValue value = store.readField(field);
            benchmark::DoNotOptimize(value);
        }
        store.skip(1);
    }
    store.close(path);
    return n;
}

int setLock(int fd, short type, off_t start, off_t length) {
    struct flock request {};
    request.l_type = type;
    request.l_whence = SEEK_SET;
    request.l_start = start;
    request.l_len = length;
    return ::fcntl(fd, F_OFD_SETLK, &request);
}

// The same system calls, nothing else: lock, transfer, unlock.
template <typename Transfer>
void lockedTransfer(int fd, off_t lockAt, Transfer transfer) {
    setLock(fd, F_WRLCK, lockAt, 1);
    transfer();
    setLock(fd, F_UNLCK, lockAt, 1);
}

std::int64_t floorPass(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) throw std::runtime_error("cannot open " + path);
    std::array<std::uint8_t, kLogDataStart> head{};
    setLock(fd, F_WRLCK, kWholeFileLockOffset, kWholeFileLockLength);
    benchmark::DoNotOptimize(::pread(fd, head.data(), head.size(), 0));
    setLock(fd, F_UNLCK, kWholeFileLockOffset, kWholeFileLockLength);
    std::uint8_t counts[kCountPairLength];
    lockedTransfer(fd, kStoredRecordsOffset, [&] {
        benchmark::DoNotOptimize(::pread(fd, counts, sizeof counts, kStoredRecordsOffset));
    });
    const std::int32_t n = loadInt32(counts);
    std::uint8_t buffer[kFuelTypeTextWidth];
    for (std::int32_t i = 1; i <= n; ++i) {
        const off_t record = kLogDataStart + static_cast<off_t>(i - 1) * kLogRecordLength;
        std::uint8_t serial[4];
        storeInt32(serial, i);
        lockedTransfer(fd, record, [&] {
            benchmark::DoNotOptimize(
                ::pwrite(fd, serial, sizeof serial, record + kFuelRecordFields[0].offset));
        });
        for (int field : kReadFields) {
            const LogFieldLayout& layout = kFuelRecordFields[field - 1];
            const auto width = static_cast<std::size_t>(fieldWidthOfType(layout.type, layout.textWidth));
            lockedTransfer(fd, record, [&] {
                benchmark::DoNotOptimize(::pread(fd, buffer, width, record + layout.offset));
            });
        }
        lockedTransfer(fd, kStoredRecordsOffset, [&] {
            benchmark::DoNotOptimize(::pread(fd, counts, sizeof counts, kStoredRecordsOffset));
        });
    }
    ::close(fd);
    return n;
}

void BM_RefreshAccessPattern(benchmark::State& state) {
    TempFolder folder;
    const std::string path = folder.file("car.mdb");
    writeFileBytes(path, logFileBytes(state.range(0)));
    double storeSeconds = 0;
    double floorSeconds = 0;
    std::int64_t records = 0;
    for (auto _ : state) {
        // Alternate which goes first, so neither always finds the caches warmed by the other.
        const bool storeFirst = (state.iterations() % 2) == 0;
        for (int turn = 0; turn < 2; ++turn) {
            const bool runStore = (turn == 0) == storeFirst;
            const double start = threadCpuSeconds();
            const std::int64_t n = runStore ? storePass(path) : floorPass(path);
            const double spent = threadCpuSeconds() - start;
            (runStore ? storeSeconds : floorSeconds) += spent;
            if (runStore) {
                records += n;
                state.SetIterationTime(spent);
            }
        }
    }
    state.SetItemsProcessed(records);
    const double perRecord = 1e9 / static_cast<double>(records);
    state.counters["store_ns_per_record"] = storeSeconds * perRecord;
    state.counters["floor_ns_per_record"] = floorSeconds * perRecord;
    state.counters["ratio"] = storeSeconds / floorSeconds;
}
BENCHMARK(BM_RefreshAccessPattern)
    ->ArgName("records")
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tankora::bench

BENCHMARK_MAIN();
