// purgeDeleted on a large log with every other record marked, beside a plain copy of the
// same bytes (read in chunks of the same size, written to a second file, synced once).
// The heap is counted by replacing the global allocation functions in this program:
// the peak above the level before the purge is what the purge itself held at once.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <stdexcept>
#include <vector>

#include "bench_log.h"
#include "store/fuel_log_store.h"
#include "store/log_file_format.h"

namespace {

std::atomic<std::int64_t> heapInUse{0};
std::atomic<std::int64_t> heapPeak{0};

void* countedAllocation(std::size_t size, std::size_t alignment) {
    void* p = alignment > alignof(std::max_align_t)
                  ? std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment)
                  : std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) throw std::bad_alloc();
    const std::int64_t now = heapInUse += static_cast<std::int64_t>(malloc_usable_size(p));
    std::int64_t peak = heapPeak.load();
    while (now > peak && !heapPeak.compare_exchange_weak(peak, now)) {
    }
    return p;
}

void countedRelease(void* p) {
    if (p == nullptr) return;
    heapInUse -= static_cast<std::int64_t>(malloc_usable_size(p));
    std::free(p);
}

}  // namespace

void* operator new(std::size_t size) { return countedAllocation(size, 0); }
void* operator new[](std::size_t size) { return countedAllocation(size, 0); }
void* operator new(std::size_t size, std::align_val_t a) { return countedAllocation(size, std::size_t(a)); }
void* operator new[](std::size_t size, std::align_val_t a) { return countedAllocation(size, std::size_t(a)); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return countedAllocation(size, 0);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p) noexcept { countedRelease(p); }
void operator delete[](void* p) noexcept { countedRelease(p); }
void operator delete(void* p, std::size_t) noexcept { countedRelease(p); }
void operator delete[](void* p, std::size_t) noexcept { countedRelease(p); }
void operator delete(void* p, std::align_val_t) noexcept { countedRelease(p); }
void operator delete[](void* p, std::align_val_t) noexcept { countedRelease(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { countedRelease(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { countedRelease(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { countedRelease(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { countedRelease(p); }

namespace tankora::bench {
namespace {

constexpr std::int64_t kChunkBytes = kPurgeChunkBytes / kLogRecordLength * kLogRecordLength;

// Copies the file chunk by chunk into `target`, then syncs the copy once, as the purge
// syncs what it wrote.
void plainCopy(const std::string& source, const std::string& target, std::vector<char>& chunk) {
    const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    const int out = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (in < 0 || out < 0) throw std::runtime_error("cannot open the copy's files");
    for (off_t at = 0;;) {
        const ssize_t got = ::pread(in, chunk.data(), chunk.size(), at);
        if (got <= 0) break;
        if (::pwrite(out, chunk.data(), static_cast<std::size_t>(got), at) != got) {
            throw std::runtime_error("short write");
        }
        at += got;
    }
    ::fdatasync(out);
    ::close(in);
    ::close(out);
}

// Written and synced outside the timing, so no measured sync pays for the set-up.
void writeSyncedFile(const std::string& path, const std::string& bytes) {
    writeFileBytes(path, bytes);
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) throw std::runtime_error("cannot sync " + path);
    ::close(fd);
}

void BM_PurgeEveryOtherMarked(benchmark::State& state) {
    TempFolder folder;
    const std::string path = folder.file("car.mdb");
    const std::string copyPath = folder.file("copy.mdb");
    const std::string log = logFileBytes(state.range(0), 2);
    std::vector<char> chunk(static_cast<std::size_t>(kChunkBytes));
    double purgeSeconds = 0;
    double copySeconds = 0;
    std::int64_t peakAbove = 0;
    for (auto _ : state) {
        // The purge changed the file: both start from the same bytes, on disk and cached.
        writeSyncedFile(path, log);
        FuelLogStore store;
        if (!store.open(path)) throw std::runtime_error("cannot open " + path);
        const std::int64_t before = heapInUse.load();
        heapPeak = before;
        double start = wallSeconds();
        const bool purged = store.purgeDeleted();
        const double spent = wallSeconds() - start;
        peakAbove = std::max(peakAbove, heapPeak.load() - before);
        if (!purged || store.recordCount() != state.range(0) / 2) throw std::runtime_error("purge failed");
        store.close(path);
        purgeSeconds += spent;
        state.SetIterationTime(spent);

        writeSyncedFile(path, log);
        std::filesystem::remove(copyPath);
        start = wallSeconds();
        plainCopy(path, copyPath, chunk);
        copySeconds += wallSeconds() - start;
    }
    const double iterations = static_cast<double>(state.iterations());
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(log.size()));
    state.counters["purge_ms"] = 1e3 * purgeSeconds / iterations;
    state.counters["copy_ms"] = 1e3 * copySeconds / iterations;
    state.counters["ratio"] = purgeSeconds / copySeconds;
    state.counters["peak_heap_bytes"] = static_cast<double>(peakAbove);
    state.counters["heap_limit_bytes"] = static_cast<double>(kPurgeChunkBytes + 65536);
}
BENCHMARK(BM_PurgeEveryOtherMarked)
    ->ArgName("records")
    ->Arg(1000)
    ->Arg(1000000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tankora::bench

BENCHMARK_MAIN();
