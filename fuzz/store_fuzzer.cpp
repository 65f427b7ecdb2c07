// The record store on hostile files. The input's head, up to the first kOpsMarker, is
// written as the log file; its tail drives store operations. Besides not crashing, every
// operation must change the file only where it says it does: nothing on a failure,
// exactly one field, one record or one appended slot on success, and a purge must leave
// exactly the unmarked records, in order, byte for byte.
#include <fuzzer/FuzzedDataProvider.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "scratch_folder.h"
#include "store/byte_order.h"
#include "store/fuel_log_store.h"
#include "store/log_file_format.h"
#include "text/value_text.h"

namespace {

using namespace tankora;

constexpr std::string_view kOpsMarker = "TANKORA-OPS";
// Writes past this fail with EFBIG, as on a full or quota-bound disk, and a hostile
// recordLength cannot make one input write gigabytes.
constexpr rlim_t kFileSizeLimit = 1 << 20;

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    FUZZ_CHECK(out.good());
}

std::int32_t int32At(std::string_view bytes, std::int64_t offset) {
    return loadInt32(reinterpret_cast<const std::uint8_t*>(bytes.data()) + offset);
}

// The parts of an accepted file's layout that the checks need.
struct Layout {
    std::int64_t dataStart = 0;
    std::int64_t recordLength = 0;
    std::vector<std::int64_t> fieldOffsets;
    std::vector<std::int64_t> fieldWidths;

    static Layout of(std::string_view file) {
        Layout layout;
        const std::int32_t fieldCount = int32At(file, kFieldCountOffset);
        layout.dataStart = kFieldTableOffset + kFieldEntryLength * fieldCount;
        layout.recordLength = int32At(file, kRecordLengthOffset);
        for (std::int32_t i = 0; i < fieldCount; ++i) {
            const std::int64_t entry = kFieldTableOffset + kFieldEntryLength * i;
            layout.fieldOffsets.push_back(int32At(file, entry + kEntryFieldOffsetOffset));
            layout.fieldWidths.push_back(fieldWidthOfType(int32At(file, entry + kEntryTypeOffset),
                                                          int32At(file, entry + kEntryTextWidthOffset)));
        }
        return layout;
    }
    std::int64_t recordStart(std::int64_t index) const { return dataStart + index * recordLength; }
    std::int64_t exactLength(std::string_view file) const {
        return recordStart(int32At(file, kStoredRecordsOffset));
    }
};

// True when `before` and `after` differ only inside [from, to).
bool changedOnlyWithin(std::string_view before, std::string_view after, std::int64_t from, std::int64_t to) {
    if (before.size() != after.size()) return false;
    for (std::size_t i = 0; i < before.size(); ++i) {
        const auto at = static_cast<std::int64_t>(i);
        if (before[i] != after[i] && (at < from || at >= to)) return false;
    }
    return true;
}

std::string purged(std::string_view before, const Layout& layout) {
    if (layout.recordLength < kRecordIdLength) return std::string(before);
    const std::int32_t stored = int32At(before, kStoredRecordsOffset);
    std::string after(before.substr(0, static_cast<std::size_t>(layout.dataStart)));
    std::int32_t kept = 0;
    for (std::int32_t i = 0; i < stored; ++i) {
        const std::string_view record = before.substr(static_cast<std::size_t>(layout.recordStart(i)),
                                                      static_cast<std::size_t>(layout.recordLength));
        if (int32At(record, 0) < 0) continue;
        after += record;
        ++kept;
    }
    if (kept == stored) return std::string(before);
    storeInt32(reinterpret_cast<std::uint8_t*>(after.data()) + kStoredRecordsOffset, kept);
    return after;
}

OptionalFieldValue valueFrom(FuzzedDataProvider& input) {
    switch (input.ConsumeIntegralInRange(0, 5)) {
        case 0:
            return std::nullopt;
        case 1:
            return FieldValue::ofInteger(input.ConsumeIntegral<std::int32_t>());
        case 2:
            return FieldValue::ofReal(input.ConsumeFloatingPoint<double>());
        case 3:
            return FieldValue::ofDateTime(input.ConsumeFloatingPoint<double>());
        case 4:
            return FieldValue::ofText(input.ConsumeRandomLengthString(48));
        default:
            return FieldValue::ofLogical(input.ConsumeBool());
    }
}

std::vector<OptionalFieldValue> valuesFrom(FuzzedDataProvider& input) {
    std::vector<OptionalFieldValue> values(input.ConsumeIntegralInRange(0, 12));
    for (OptionalFieldValue& value : values) value = valueFrom(input);
    return values;
}

struct Session {
    std::string path;
    FuelLogStore store;
    FuelLogStore other;  // a second store in the same process: never opens the file too
    Layout layout;
    bool tampered = false;  // the file was changed behind the store's back

    void open() {
        const bool wasOpen = store.isOpen();
        const std::string before = readFile(path);
        const bool opened = store.open(path);
        if (wasOpen) {
            FUZZ_CHECK(!opened && store.isOpen() && readFile(path) == before);
            return;
        }
        if (!opened) return;
        const std::string after = readFile(path);
        layout = Layout::of(after);
        FUZZ_CHECK(layout.exactLength(after) == static_cast<std::int64_t>(after.size()));
        FUZZ_CHECK(store.position() == 0);
        FUZZ_CHECK(!other.open(path));
        tampered = false;
    }

    void run(FuzzedDataProvider& input) {
        const int op = input.ConsumeIntegralInRange(0, 13);
        if (op == 0) return open();
        if (op == 1) {
            store.close(input.ConsumeBool() ? path : std::string("CAR"));
            return;
        }
        if (op == 2) return tamper(input);
        if (!store.isOpen()) return;

        const std::string before = readFile(path);
        const std::int32_t position = store.position();
        const std::int64_t start = layout.recordStart(position);
        bool done = false;
        switch (op) {
            case 3:
                FUZZ_CHECK(store.recordCount() >= 0);
                break;
            case 4:
                store.goTo(input.ConsumeIntegral<std::int32_t>());
                break;
            case 5:
                store.skip(input.ConsumeIntegralInRange(-3, 3));
                break;
            case 6: {
                const int field =
                    input.ConsumeIntegralInRange<int>(1, static_cast<int>(layout.fieldOffsets.size()));
                const FieldValue value = store.readField(field);
                if (value.kind == FieldKind::Text)
                    FUZZ_CHECK(static_cast<std::int64_t>(value.text.size()) <= layout.fieldWidths[field - 1]);
                if (value.kind == FieldKind::DateTime)
                    FUZZ_CHECK(value.real >= kFirstValidDate && value.real <= kLastValidDate);
                break;
            }
            case 7: {
                const int field =
                    input.ConsumeIntegralInRange<int>(0, static_cast<int>(layout.fieldOffsets.size()) + 1);
                done = store.writeField(field, valueFrom(input));
                if (done && !tampered) {
                    const std::int64_t at = start + layout.fieldOffsets[field - 1];
                    FUZZ_CHECK(
                        changedOnlyWithin(before, readFile(path), at, at + layout.fieldWidths[field - 1]));
                }
                break;
            }
            case 8:
            case 9:
                done = store.addRecord(valuesFrom(input));
                if (!tampered) checkAppend(before, done);
                break;
            case 10:
                done = store.modifyRecord(valuesFrom(input));
                if (done && !tampered) {
                    FUZZ_CHECK(changedOnlyWithin(before, readFile(path), start + kRecordIdLength,
                                                 start + layout.recordLength));
                }
                break;
            case 11:
                done = store.deleteRecord();
                if (done && !tampered) {
                    const std::string after = readFile(path);
                    FUZZ_CHECK(changedOnlyWithin(before, after, start, start + kRecordIdLength));
                    const std::int32_t id = int32At(before, start);
                    FUZZ_CHECK(int32At(after, start) == (id > 0 ? -id : id));
                }
                break;
            default:
                done = store.purgeDeleted();
                if (done && !tampered) FUZZ_CHECK(readFile(path) == purged(before, layout));
                break;
        }
        // Reads, moves and refused changes leave the file alone; a refused append may
        // leave bytes only past the counted records, which the next open cuts off.
        const bool append = op == 8 || op == 9;
        if (!tampered && (!done || op <= 6) && !append) FUZZ_CHECK(readFile(path) == before);
    }

    void checkAppend(const std::string& before, bool added) {
        const std::string after = readFile(path);
        const std::int32_t stored = int32At(before, kStoredRecordsOffset);
        const std::int64_t slot = layout.recordStart(stored);
        // Whatever happens, the bytes before the new slot keep their values, the counts aside.
        FUZZ_CHECK(after.size() >= before.size());
        FUZZ_CHECK(changedOnlyWithin(before.substr(0, slot), after.substr(0, slot), kStoredRecordsOffset,
                                     added ? kStoredRecordsOffset + kCountPairLength : kStoredRecordsOffset));
        if (!added) return;
        const std::int32_t nextId = std::max(1, int32At(before, kNextRecordIdOffset));
        FUZZ_CHECK(
            static_cast<std::int64_t>(after.size()) ==
            std::max<std::int64_t>(static_cast<std::int64_t>(before.size()), slot + layout.recordLength));
        FUZZ_CHECK(int32At(after, kStoredRecordsOffset) == stored + 1);
        FUZZ_CHECK(int32At(after, kNextRecordIdOffset) == nextId + 1);
        // A foreign field table may place a field over the id; its value then wins.
        bool idOwnBytes = true;
        for (std::int64_t offset : layout.fieldOffsets) idOwnBytes = idOwnBytes && offset >= kRecordIdLength;
        if (idOwnBytes) FUZZ_CHECK(int32At(after, slot) == nextId);
        FUZZ_CHECK(store.position() == stored);
    }

    // Another party cuts or extends the file, or rewrites a header count.
    void tamper(FuzzedDataProvider& input) {
        if (input.ConsumeBool()) {
            FUZZ_CHECK(::truncate(path.c_str(), input.ConsumeIntegralInRange<off_t>(0, 1 << 16)) == 0);
        } else {
            std::string bytes = readFile(path);
            if (bytes.size() < kStoredRecordsOffset + kCountPairLength) return;
            storeInt32(reinterpret_cast<std::uint8_t*>(bytes.data()) + kStoredRecordsOffset +
                           4 * input.ConsumeBool(),
                       input.ConsumeIntegral<std::int32_t>());
            writeFile(path, bytes);
        }
        tampered = true;
    }
};

void limitFileSize() {
    static const bool done = [] {
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{kFileSizeLimit, kFileSizeLimit};
        return ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }();
    FUZZ_CHECK(done);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    limitFileSize();
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t marker = input.find(kOpsMarker);
    const std::string_view head = input.substr(0, marker);
    const std::string_view tail =
        marker == std::string_view::npos ? std::string_view() : input.substr(marker + kOpsMarker.size());

    Session session;
    session.path = scratchFolder() + "/car.mdb";
    writeFile(session.path, head);
    session.open();
    FuzzedDataProvider ops(reinterpret_cast<const std::uint8_t*>(tail.data()), tail.size());
    for (int i = 0; i < 64 && ops.remaining_bytes() > 0; ++i) session.run(ops);
    session.store.close(session.path);
    return 0;
}
