#include "store/fuel_log_store.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <limits>
#include <mutex>
#include <optional>
#include <string_view>
#include <thread>

#include "store/byte_order.h"
#include "store/fatal_error.h"
#include "store/lock_table.h"
#include "store/log_file.h"
#include "store/log_file_format.h"
#include "text/value_text.h"

namespace tankora {
namespace {

// The reasons of the two fatal reads.
const std::string kMissingFieldReason =
    "\xd6\xb8\xb6\xa8\xd7\xd6\xb6\xce\xb2\xbb\xb4\xe6\xd4\xda";  // 指定字段不存在
// 未指定当前数据库或者指定数据库未打开
const std::string kNoStoreReason =
    "\xce\xb4\xd6\xb8\xb6\xa8\xb5\xb1\xc7\xb0\xca\xfd\xbe\xdd\xbf\xe2\xbb\xf2\xd5\xdf\xd6\xb8\xb6\xa8\xca\xfd"
    "\xbe"
    "\xdd\xbf\xe2\xce\xb4\xb4\xf2\xbf\xaa";

[[noreturn]] void stopWithRuntimeError(const std::string& reason) { fatalError(runtimeErrorText(reason)); }

constexpr std::int64_t kCountLockOffset = kStoredRecordsOffset;  // byte 16
constexpr std::int64_t kSingleByte = 1;
constexpr std::int64_t kCountLockPatienceMs = 2000;
constexpr std::int64_t kCountLockPauseMs = 20;  // plus the tick modulo the same, 20 .. 39 ms
// Records and fields are written from buffers of at most this size, so a hostile
// recordLength or textWidth never makes the store allocate gigabytes.
constexpr std::int64_t kWritePieceBytes = 65536;
// Fields up to this width (every field of the log) are read on the stack with one
// system call; the list refresh reads eight of them per record.
constexpr std::int64_t kSmallFieldBytes = 256;

std::int64_t monotonicMilliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// One store per file in this process. Files are told apart by device and inode, so
// that two paths to one file (other letter case on a folding file system, "..", links)
// count as the same file.
class OpenFileRegistry {
public:
    static bool claim(const FileIdentity& identity) {
        std::lock_guard guard(mutex());
        auto& open = identities();
        if (std::find(open.begin(), open.end(), identity) != open.end()) return false;
        open.push_back(identity);
        return true;
    }
    static void release(const FileIdentity& identity) {
        std::lock_guard guard(mutex());
        auto& open = identities();
        open.erase(std::remove(open.begin(), open.end(), identity), open.end());
    }

private:
    static std::mutex& mutex() {
        static std::mutex m;
        return m;
    }
    static std::vector<FileIdentity>& identities() {
        static std::vector<FileIdentity> list;
        return list;
    }
};

std::string fullPathOf(const std::string& pathText) {
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(pathText, error);
    if (error) return pathText;
    return full.lexically_normal().string();
}

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        if (fold(a[i]) != fold(b[i])) return false;
    }
    return true;
}

struct FieldDescriptor {
    std::int32_t type = 0;
    std::int32_t offset = 0;
    std::int32_t textWidth = 0;
    std::int64_t width = 0;
};

// Kinds of the type codes the log uses; the others (1, 2, 4, 5, 9, 11, 12) have none
// and their bytes stay opaque.
std::optional<FieldKind> kindOfType(std::int32_t type) {
    switch (type) {
        case kIntegerFieldType:
            return FieldKind::Integer;
        case kRealFieldType:
            return FieldKind::Real;
        case kDateTimeFieldType:
            return FieldKind::DateTime;
        case kTextFieldType:
            return FieldKind::Text;
        case kLogicalFieldType:
            return FieldKind::Logical;
        default:
            return std::nullopt;
    }
}

FieldValue emptyValueOf(FieldKind kind) {
    FieldValue value;
    value.kind = kind;
    return value;
}

bool accepts(const FieldDescriptor& field, const FieldValue& value) {
    const std::optional<FieldKind> kind = kindOfType(field.type);
    if (!kind) return false;
    const bool fieldNumeric = *kind == FieldKind::Integer || *kind == FieldKind::Real;
    return (fieldNumeric && value.isNumeric()) || value.kind == *kind;
}

// The bytes a value occupies from the start of its field: a number's full width, a
// text's bytes with one zero byte unless cut at textWidth.
std::string encodeValue(const FieldDescriptor& field, const FieldValue& value) {
    std::string bytes;
    switch (field.type) {
        case kIntegerFieldType: {
            const std::int32_t v =
                value.kind == FieldKind::Integer ? value.integer : truncateToInteger(value.real);
            bytes.resize(4);
            storeInt32(reinterpret_cast<std::uint8_t*>(bytes.data()), v);
            break;
        }
        case kRealFieldType:
        case kDateTimeFieldType: {
            const double v =
                value.kind == FieldKind::Integer ? static_cast<double>(value.integer) : value.real;
            bytes.resize(8);
            storeDouble(reinterpret_cast<std::uint8_t*>(bytes.data()), v);
            break;
        }
        case kLogicalFieldType:
            bytes.assign(1, value.logical ? '\x01' : '\x00');
            break;
        case kTextFieldType: {
            const auto width = static_cast<std::size_t>(field.textWidth);
            bytes = value.text.substr(0, width);
            if (bytes.size() < width) bytes.push_back('\0');
            break;
        }
        default:
            break;
    }
    return bytes;
}

FieldValue decodeValue(FieldKind kind, const std::uint8_t* bytes, std::size_t width) {
    switch (kind) {
        case FieldKind::Integer:
            return FieldValue::ofInteger(loadInt32(bytes));
        case FieldKind::Real:
            return FieldValue::ofReal(loadDouble(bytes));
        case FieldKind::DateTime:
            return FieldValue::ofDateTime(clampDate(loadDouble(bytes)));
        case FieldKind::Logical:
            return FieldValue::ofLogical(bytes[0] != 0);
        case FieldKind::Text: {
            const auto* end = std::find(bytes, bytes + width, std::uint8_t{0});
            return FieldValue::ofText(std::string(reinterpret_cast<const char*>(bytes), end - bytes));
        }
    }
    return FieldValue{};
}

// Bytes placed at an offset inside a region that is otherwise zero or kept.
struct Overlay {
    std::int64_t offset;
    std::string bytes;
};

// Copies the part of each overlay that falls into [regionStart, regionStart + size).
void applyOverlays(std::uint8_t* region, std::int64_t regionStart, std::int64_t size,
                   const std::vector<Overlay>& overlays) {
    for (const Overlay& overlay : overlays) {
        const std::int64_t from = std::max(regionStart, overlay.offset);
        const std::int64_t to =
            std::min(regionStart + size, overlay.offset + static_cast<std::int64_t>(overlay.bytes.size()));
        if (from < to)
            std::memcpy(region + (from - regionStart), overlay.bytes.data() + (from - overlay.offset),
                        to - from);
    }
}

struct CountPair {
    std::int32_t storedRecords;
    std::int32_t nextRecordId;
};

}  // namespace

struct FuelLogStore::Impl {
    explicit Impl(std::shared_ptr<LogFileOpener> o) : opener(std::move(o)) {}

    std::shared_ptr<LogFileOpener> opener;
    std::unique_ptr<LogFile> file;
    std::string fullPath;
    FileIdentity identity;
    std::int32_t recordLength = 0;
    std::vector<FieldDescriptor> fields;
    std::int64_t dataStart = 0;
    std::int32_t position = 0;
    LockTable locks;
    StoreFailure lastFailure = StoreFailure::None;

    bool fail(StoreFailure failure) {
        lastFailure = failure;
        return false;
    }
    bool begin() {
        lastFailure = StoreFailure::None;
        return file ? true : fail(StoreFailure::NotOpen);
    }

    std::int64_t recordStart(std::int64_t index) const { return dataStart + index * recordLength; }
    bool fitsRecord(const FieldDescriptor& field) const {
        return static_cast<std::int64_t>(field.offset) + field.width <= recordLength;
    }

    // --- locks ---
    bool lock(std::int64_t offset, std::int64_t length) {
        switch (locks.acquire(*file, offset, length)) {
            case LockResult::Granted:
                return true;
            case LockResult::Refused:
                return fail(StoreFailure::Locked);
            case LockResult::Failed:
                break;
        }
        return fail(StoreFailure::IoError);
    }
    void unlock(std::int64_t offset, std::int64_t length) { locks.release(*file, offset, length); }

    // The count lock of recordCount, goTo and skip: a refusal is tried again for a while.
    bool lockCountWaiting() {
        const std::int64_t start = monotonicMilliseconds();
        for (;;) {
            const LockResult result = locks.acquire(*file, kCountLockOffset, kSingleByte);
            if (result == LockResult::Granted) return true;
            if (result == LockResult::Failed) return fail(StoreFailure::IoError);
            const std::int64_t now = monotonicMilliseconds();
            if (now - start >= kCountLockPatienceMs) return fail(StoreFailure::Locked);
            std::this_thread::sleep_for(
                std::chrono::milliseconds(kCountLockPauseMs + now % kCountLockPauseMs));
        }
    }

    // --- reads and writes ---
    // Reads exactly `size` bytes; the length check first, so nothing beyond the file is
    // ever allocated.
    std::optional<std::vector<std::uint8_t>> readExactly(std::int64_t offset, std::int64_t size) {
        const std::int64_t fileLength = file->length();
        if (fileLength < 0) return fail(StoreFailure::IoError), std::nullopt;
        if (offset >= fileLength) return fail(StoreFailure::OutOfFile), std::nullopt;
        if (size > fileLength - offset) return fail(StoreFailure::ShortRead), std::nullopt;
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
        const std::int64_t got = file->readAt(offset, bytes.data(), bytes.size());
        if (got < 0) return fail(StoreFailure::IoError), std::nullopt;
        if (got != size) return fail(StoreFailure::ShortRead), std::nullopt;
        return bytes;
    }

    // Reads exactly `size` bytes into `buffer` without asking the file's length: the
    // read's own count tells a place at or past the end from a short read.
    bool readInto(std::int64_t offset, std::uint8_t* buffer, std::int64_t size) {
        const std::int64_t got = file->readAt(offset, buffer, static_cast<std::size_t>(size));
        if (got < 0) return fail(StoreFailure::IoError);
        if (got == 0 && size > 0) return fail(StoreFailure::OutOfFile);
        if (got != size) return fail(StoreFailure::ShortRead);
        return true;
    }

    bool writeBytes(std::int64_t offset, const void* data, std::size_t size) {
        return file->writeAt(offset, data, size) ? true : fail(StoreFailure::ShortWrite);
    }

    // Writes `size` bytes at `start`: zeros with the overlays placed on them.
    bool writeOverlaid(std::int64_t start, std::int64_t size, const std::vector<Overlay>& overlays) {
        std::vector<std::uint8_t> piece;
        for (std::int64_t done = 0; done < size;) {
            const std::int64_t n = std::min(kWritePieceBytes, size - done);
            piece.assign(static_cast<std::size_t>(n), 0);
            applyOverlays(piece.data(), done, n, overlays);
            if (!writeBytes(start + done, piece.data(), piece.size())) return false;
            done += n;
        }
        return true;
    }

    bool sync() { return file->sync() ? true : fail(StoreFailure::SyncFailed); }

    std::optional<CountPair> readCounts() {
        std::uint8_t bytes[kCountPairLength];
        const std::int64_t got = file->readAt(kStoredRecordsOffset, bytes, sizeof bytes);
        if (got != static_cast<std::int64_t>(sizeof bytes)) {
            fail(got < 0 ? StoreFailure::IoError : StoreFailure::ShortRead);
            return std::nullopt;
        }
        return CountPair{std::max(0, loadInt32(bytes)), std::max(1, loadInt32(bytes + 4))};
    }

    std::optional<std::int32_t> readStoredRecordsWaiting() {
        if (!lockCountWaiting()) return std::nullopt;
        const std::optional<CountPair> counts = readCounts();
        unlock(kCountLockOffset, kSingleByte);
        if (!counts) return std::nullopt;
        return counts->storedRecords;
    }

    // The values given for the fields, placed at the fields' offsets; fails on a kind
    // mismatch or a field that does not fit inside the record.
    bool encodeGivenValues(const std::vector<OptionalFieldValue>& values, std::vector<Overlay>& overlays) {
        const std::size_t paired = std::min(values.size(), fields.size());
        for (std::size_t i = 0; i < paired; ++i) {
            if (!values[i]) continue;
            const FieldDescriptor& field = fields[i];
            if (!accepts(field, *values[i])) return fail(StoreFailure::KindMismatch);
            if (!fitsRecord(field)) return fail(StoreFailure::FieldOutsideRecord);
            overlays.push_back({field.offset, encodeValue(field, *values[i])});
        }
        return true;
    }

    bool openFile(const std::string& path);
    void closeFile();
    bool validateAndRepair();
    bool compactChunks(std::int32_t storedRecords, std::int64_t& kept, std::int64_t& dropped);
    void markStaleSlots(std::int64_t from, std::int64_t to);
    bool dropMarkedRecords();
    bool markRepeatedIds(std::int32_t storedRecords, bool& marked);
};

// --- open and close ---------------------------------------------------------------

bool FuelLogStore::Impl::openFile(const std::string& path) {
    lastFailure = StoreFailure::None;
    if (file) return fail(StoreFailure::AlreadyOpen);  // one file per store object
    if (path.empty()) return fail(StoreFailure::EmptyPath);
    const std::string full = fullPathOf(path);
    std::unique_ptr<LogFile> opened = opener->open(full);
    if (!opened) return fail(StoreFailure::CannotOpen);
    if (!OpenFileRegistry::claim(opened->identity())) return fail(StoreFailure::AlreadyOpen);
    file = std::move(opened);
    identity = file->identity();
    fullPath = full;
    if (!lock(kWholeFileLockOffset, kWholeFileLockLength)) {
        closeFile();
        return false;
    }
    const bool valid = validateAndRepair();
    unlock(kWholeFileLockOffset, kWholeFileLockLength);
    if (!valid) {
        closeFile();
        return false;
    }
    position = 0;
    return true;
}

bool FuelLogStore::Impl::validateAndRepair() {
    std::uint8_t header[kHeaderLength];
    if (file->readAt(0, header, sizeof header) != kHeaderLength) return fail(StoreFailure::BadHeader);
    if (std::memcmp(header + kMagicOffset, kLogMagic.data(), kLogMagic.size()) != 0) {
        return fail(StoreFailure::BadHeader);
    }
    const std::int32_t length = loadInt32(header + kRecordLengthOffset);
    std::int32_t storedRecords = loadInt32(header + kStoredRecordsOffset);
    if (length <= 0 || storedRecords < 0 || loadInt32(header + kNextRecordIdOffset) < 1) {
        return fail(StoreFailure::BadHeader);
    }
    if (loadInt32(header + kFormatVersionOffset) > kFormatVersion) return fail(StoreFailure::BadHeader);

    std::uint8_t countBytes[4];
    if (file->readAt(kFieldCountOffset, countBytes, sizeof countBytes) != 4)
        return fail(StoreFailure::BadFieldTable);
    const std::int32_t fieldCount = loadInt32(countBytes);
    if (fieldCount <= 0) return fail(StoreFailure::BadFieldTable);
    const std::int64_t tableLength = kFieldEntryLength * fieldCount;
    const std::int64_t fileLength = file->length();
    if (fileLength < 0) return fail(StoreFailure::IoError);
    if (tableLength > fileLength - kFieldTableOffset) return fail(StoreFailure::BadFieldTable);
    std::vector<std::uint8_t> table(static_cast<std::size_t>(tableLength));
    if (file->readAt(kFieldTableOffset, table.data(), table.size()) != tableLength) {
        return fail(StoreFailure::BadFieldTable);
    }

    // Repair: exactly storedRecords whole records, nothing after them.
    dataStart = kFieldTableOffset + tableLength;
    recordLength = length;
    const std::int64_t wholeRecords = (fileLength - dataStart) / recordLength;
    if (wholeRecords < storedRecords) {
        storedRecords = static_cast<std::int32_t>(wholeRecords);
        std::uint8_t bytes[4];
        storeInt32(bytes, storedRecords);
        if (!writeBytes(kStoredRecordsOffset, bytes, sizeof bytes)) return false;
    }
    const std::int64_t exactLength = recordStart(storedRecords);
    if (fileLength != exactLength && !file->setLength(exactLength)) return fail(StoreFailure::IoError);

    fields.clear();
    fields.reserve(static_cast<std::size_t>(fieldCount));
    for (std::int32_t i = 0; i < fieldCount; ++i) {
        const std::uint8_t* entry = table.data() + static_cast<std::size_t>(i) * kFieldEntryLength;
        const std::uint8_t* nameEnd = entry + kEntryNameOffset + kEntryNameTerminatorWithin;
        if (std::find(entry + kEntryNameOffset, nameEnd, std::uint8_t{0}) == nameEnd) {
            return fail(StoreFailure::BadFieldTable);
        }
        FieldDescriptor field;
        field.type = loadInt32(entry + kEntryTypeOffset);
        field.offset = loadInt32(entry + kEntryFieldOffsetOffset);
        field.textWidth = loadInt32(entry + kEntryTextWidthOffset);
        if (field.offset < 0 || field.type < kLowestFieldType || field.type > kHighestFieldType) {
            return fail(StoreFailure::BadFieldTable);
        }
        if (field.type == kTextFieldType && field.textWidth <= 0) return fail(StoreFailure::BadFieldTable);
        field.width = fieldWidthOfType(field.type, field.textWidth);
        fields.push_back(field);
    }
    // Only a file that is accepted whole is repaired past its tail.
    bool repeated = false;
    if (!markRepeatedIds(storedRecords, repeated)) return false;
    if (repeated && !dropMarkedRecords()) return false;
    return true;
}

void FuelLogStore::Impl::closeFile() {
    if (!file) return;
    locks.clear();
    file.reset();  // closing the description drops every lock it holds
    OpenFileRegistry::release(identity);
    fields.clear();
    fullPath.clear();
    position = 0;
}

// --- purge ------------------------------------------------------------------------

// Marks the slots in [from, to) deleted. After a purge stopped part-way they hold only
// records that were moved down or were already marked, so a later purge drops them and
// no live record is lost or doubled.
void FuelLogStore::Impl::markStaleSlots(std::int64_t from, std::int64_t to) {
    for (std::int64_t slot = from; slot < to; slot += recordLength) {
        std::uint8_t bytes[kRecordIdLength];
        if (file->readAt(slot, bytes, sizeof bytes) != kRecordIdLength) continue;
        const std::int32_t id = loadInt32(bytes);
        if (id <= 0) continue;
        storeInt32(bytes, -id);
        file->writeAt(slot, bytes, sizeof bytes);
    }
    file->sync();
}

bool FuelLogStore::Impl::compactChunks(std::int32_t storedRecords, std::int64_t& kept,
                                       std::int64_t& dropped) {
    const std::int64_t chunkRecords = std::max<std::int64_t>(1, kPurgeChunkBytes / recordLength);
    std::vector<std::uint8_t> chunk(
        static_cast<std::size_t>(std::min<std::int64_t>(chunkRecords, storedRecords) * recordLength));
    std::int64_t readPosition = dataStart;
    std::int64_t writePosition = dataStart;
    for (std::int64_t remaining = storedRecords; remaining > 0;) {
        const std::int64_t records = std::min(chunkRecords, remaining);
        const std::int64_t bytes = records * recordLength;
        const std::int64_t got = file->readAt(readPosition, chunk.data(), static_cast<std::size_t>(bytes));
        if (got != bytes) {
            if (dropped > 0) markStaleSlots(writePosition, readPosition);
            return fail(got < 0 ? StoreFailure::IoError : StoreFailure::ShortRead);
        }
        const std::int64_t droppedBefore = dropped;
        std::int64_t leadingKept = -1;  // records before the chunk's first drop
        std::int64_t compacted = 0;     // bytes kept in this chunk
        for (std::int64_t i = 0; i < records; ++i) {
            const std::uint8_t* record = chunk.data() + i * recordLength;
            if (loadInt32(record + kRecordIdOffset) < 0) {
                if (leadingKept < 0) leadingKept = i;
                ++dropped;
                continue;
            }
            if (compacted != i * recordLength) std::memmove(chunk.data() + compacted, record, recordLength);
            compacted += recordLength;
            ++kept;
        }
        if (dropped > 0) {
            // Nothing before the first dropped record is rewritten: it stays where it is.
            const std::int64_t from = droppedBefore == 0 ? leadingKept * recordLength : 0;
            if (compacted > from && !writeBytes(writePosition + from, chunk.data() + from,
                                                static_cast<std::size_t>(compacted - from))) {
                return false;
            }
        }
        writePosition += compacted;
        readPosition += bytes;
        remaining -= records;
    }
    return true;
}

// The purge proper, under the whole-file lock: compaction, then the lowered count.
bool FuelLogStore::Impl::dropMarkedRecords() {
    std::uint8_t countBytes[4];
    if (file->readAt(kStoredRecordsOffset, countBytes, sizeof countBytes) != 4)
        return fail(StoreFailure::ShortRead);
    const std::int32_t storedRecords = std::max(0, loadInt32(countBytes));
    if (recordLength < kRecordIdLength) return true;  // no room for ids, so none is marked
    const std::int64_t fileLength = file->length();
    if (fileLength < 0) return fail(StoreFailure::IoError);
    // A data area shorter than its count is refused before anything moves.
    if (fileLength < recordStart(storedRecords)) return fail(StoreFailure::ShortRead);
    std::int64_t kept = 0;
    std::int64_t dropped = 0;
    if (!compactChunks(storedRecords, kept, dropped)) return false;
    if (dropped == 0) return true;
    std::uint8_t keptBytes[4];
    storeInt32(keptBytes, static_cast<std::int32_t>(kept));
    if (!sync() || !writeBytes(kStoredRecordsOffset, keptBytes, sizeof keptBytes)) return false;
    if (!file->setLength(recordStart(kept))) return fail(StoreFailure::IoError);
    return sync();
}

// A purge stopped part-way (a crash, a failed write) leaves the records it had moved
// down also at their old places, with the count not yet lowered. Ids are never reused,
// so an id met twice can only be such a copy. The last copy is kept: it is the original,
// which the move never wrote, while a cut move write can only have torn a lower copy.
// The earlier copies are marked; the caller then purges, finishing what was stopped.
bool FuelLogStore::Impl::markRepeatedIds(std::int32_t storedRecords, bool& marked) {
    marked = false;
    if (recordLength < kRecordIdLength || storedRecords < 2) return true;
    std::vector<std::pair<std::int32_t, std::int32_t>> ids;  // (id, index) of live records
    bool ascending = true;
    const std::int64_t chunkRecords = std::max<std::int64_t>(1, kPurgeChunkBytes / recordLength);
    std::vector<std::uint8_t> chunk;
    for (std::int64_t first = 0; first < storedRecords; first += chunkRecords) {
        const std::int64_t records = std::min<std::int64_t>(chunkRecords, storedRecords - first);
        chunk.resize(static_cast<std::size_t>(records * recordLength));
        const std::int64_t got = file->readAt(recordStart(first), chunk.data(), chunk.size());
        if (got != static_cast<std::int64_t>(chunk.size()))
            return fail(got < 0 ? StoreFailure::IoError : StoreFailure::ShortRead);
        for (std::int64_t i = 0; i < records; ++i) {
            const std::int32_t id = loadInt32(chunk.data() + i * recordLength + kRecordIdOffset);
            if (id <= 0) continue;
            ascending = ascending && (ids.empty() || id > ids.back().first);
            ids.emplace_back(id, static_cast<std::int32_t>(first + i));
        }
    }
    if (ascending) return true;  // the usual file: nothing can repeat
    std::sort(ids.begin(), ids.end());
    for (std::size_t i = 0; i + 1 < ids.size(); ++i) {
        if (ids[i].first != ids[i + 1].first) continue;
        std::uint8_t bytes[kRecordIdLength];
        storeInt32(bytes, -ids[i].first);
        if (!writeBytes(recordStart(ids[i].second) + kRecordIdOffset, bytes, sizeof bytes)) return false;
        marked = true;
    }
    return !marked || sync();
}

// --- the public operations ----------------------------------------------------------

FuelLogStore::FuelLogStore() : FuelLogStore(posixLogFileOpener()) {}
FuelLogStore::FuelLogStore(std::shared_ptr<LogFileOpener> opener)
    : impl_(std::make_unique<Impl>(std::move(opener))) {}
FuelLogStore::~FuelLogStore() { impl_->closeFile(); }

bool FuelLogStore::open(const std::string& path) { return impl_->openFile(path); }

void FuelLogStore::close(const std::string& pathText) {
    Impl& s = *impl_;
    if (!s.file || pathText.empty()) return;
    const std::string stem = std::filesystem::path(s.fullPath).stem().string();
    if (equalsIgnoringAsciiCase(fullPathOf(pathText), s.fullPath) ||
        equalsIgnoringAsciiCase(pathText, stem)) {
        s.closeFile();
    }
}

std::int32_t FuelLogStore::recordCount() {
    Impl& s = *impl_;
    if (!s.begin()) return 0;
    return s.readStoredRecordsWaiting().value_or(0);
}

bool FuelLogStore::goTo(std::int32_t recordNumber) {
    Impl& s = *impl_;
    if (!s.begin()) return false;
    const std::optional<std::int32_t> stored = s.readStoredRecordsWaiting();
    if (!stored) return false;
    const std::int64_t index = std::min<std::int64_t>(*stored - 1, std::int64_t{recordNumber} - 1);
    s.position = static_cast<std::int32_t>(std::max<std::int64_t>(0, index));
    return true;
}

bool FuelLogStore::skip(std::int32_t step) {
    Impl& s = *impl_;
    if (!s.begin()) return false;
    if (step == 0) return true;
    const std::optional<std::int32_t> stored = s.readStoredRecordsWaiting();
    if (!stored) return false;
    if (*stored == 0) return s.fail(StoreFailure::BadPosition);
    if (step > 0 && s.position >= *stored) return s.fail(StoreFailure::BadPosition);
    if (step < 0 && s.position < 0) return s.fail(StoreFailure::BadPosition);
    const std::int64_t moved = std::min<std::int64_t>(*stored, std::int64_t{s.position} + step);
    s.position = static_cast<std::int32_t>(std::max<std::int64_t>(-1, moved));
    return true;
}

FieldValue FuelLogStore::readField(int fieldNumber) {
    Impl& s = *impl_;
    if (!s.file) stopWithRuntimeError(kNoStoreReason);
    if (fieldNumber < 1 || static_cast<std::size_t>(fieldNumber) > s.fields.size()) {
        stopWithRuntimeError(kMissingFieldReason);
    }
    s.lastFailure = StoreFailure::None;
    const FieldDescriptor& field = s.fields[static_cast<std::size_t>(fieldNumber - 1)];
    const std::optional<FieldKind> kind = kindOfType(field.type);
    if (!kind) {
        s.fail(StoreFailure::KindMismatch);
        return FieldValue{};
    }
    const FieldValue empty = emptyValueOf(*kind);
    if (s.position < 0) return s.fail(StoreFailure::BadPosition), empty;
    if (!s.fitsRecord(field)) return s.fail(StoreFailure::FieldOutsideRecord), empty;
    const std::int64_t start = s.recordStart(s.position);
    if (!s.lock(start, kSingleByte)) return empty;
    FieldValue value = empty;
    if (field.width <= kSmallFieldBytes) {
        std::uint8_t buffer[kSmallFieldBytes];
        if (s.readInto(start + field.offset, buffer, field.width)) {
            value = decodeValue(*kind, buffer, static_cast<std::size_t>(field.width));
        }
    } else if (const auto bytes = s.readExactly(start + field.offset, field.width)) {
        value = decodeValue(*kind, bytes->data(), bytes->size());
    }
    s.unlock(start, kSingleByte);
    return value;
}

bool FuelLogStore::writeField(int fieldNumber, const OptionalFieldValue& value) {
    Impl& s = *impl_;
    if (!s.begin()) return false;
    if (fieldNumber < 1 || static_cast<std::size_t>(fieldNumber) > s.fields.size()) {
        return s.fail(StoreFailure::BadFieldTable);
    }
    const FieldDescriptor& field = s.fields[static_cast<std::size_t>(fieldNumber - 1)];
    const std::optional<FieldKind> kind = kindOfType(field.type);
    if (!kind || (value && !accepts(field, *value))) return s.fail(StoreFailure::KindMismatch);
    if (s.position < 0) return s.fail(StoreFailure::BadPosition);
    if (!s.fitsRecord(field)) return s.fail(StoreFailure::FieldOutsideRecord);
    const std::int64_t start = s.recordStart(s.position);
    if (!s.lock(start, kSingleByte)) return false;
    const std::int64_t place = start + field.offset;
    const std::int64_t fileLength = s.file->length();
    bool written = false;
    if (fileLength < 0) {
        s.fail(StoreFailure::IoError);
    } else if (place >= fileLength) {
        s.fail(StoreFailure::OutOfFile);
    } else if (field.width > fileLength - place) {
        s.fail(StoreFailure::OutOfFile);  // would leave a partial record behind the last one
    } else {
        std::string bytes = encodeValue(field, value ? *value : emptyValueOf(*kind));
        written = s.writeOverlaid(place, field.width, {{0, std::move(bytes)}});
    }
    s.unlock(start, kSingleByte);
    return written;
}

bool FuelLogStore::addRecord(const std::vector<OptionalFieldValue>& values) {
    Impl& s = *impl_;
    if (!s.begin()) return false;
    std::vector<Overlay> overlays{{kRecordIdOffset, std::string(kRecordIdLength, '\0')}};  // id first
    if (!s.encodeGivenValues(values, overlays)) return false;
    if (s.recordLength < kRecordIdLength) return s.fail(StoreFailure::FieldOutsideRecord);

    if (!s.lock(kCountLockOffset, kSingleByte)) return false;
    bool added = false;
    if (const std::optional<CountPair> counts = s.readCounts()) {
        const std::int32_t maximum = std::numeric_limits<std::int32_t>::max();
        if (counts->storedRecords == maximum || counts->nextRecordId == maximum) {
            s.fail(StoreFailure::CountLimit);
        } else {
            const std::int64_t slot = s.recordStart(counts->storedRecords);
            const std::int64_t fileLength = s.file->length();
            if (fileLength < 0) {
                s.fail(StoreFailure::IoError);
            } else if (slot > fileLength) {
                // A count raised past the records since the open: appending would leave a
                // hole of records that were never written.
                s.fail(StoreFailure::OutOfFile);
            } else if (s.lock(slot, kSingleByte)) {
                storeInt32(reinterpret_cast<std::uint8_t*>(overlays.front().bytes.data()),
                           counts->nextRecordId);
                std::uint8_t newCounts[kCountPairLength];
                storeInt32(newCounts, counts->storedRecords + 1);
                storeInt32(newCounts + 4, counts->nextRecordId + 1);
                // The record reaches the disk before the count that makes it part of the log.
                // nextRecordId is raised before storedRecords: a count raised alone would
                // hand this record's id to the next append.
                added = s.writeOverlaid(slot, s.recordLength, overlays) && s.sync() &&
                        s.writeBytes(kNextRecordIdOffset, newCounts + 4, 4) &&
                        s.writeBytes(kStoredRecordsOffset, newCounts, 4) && s.sync();
                if (added) s.position = counts->storedRecords;
                s.unlock(slot, kSingleByte);
            }
        }
    }
    s.unlock(kCountLockOffset, kSingleByte);
    return added;
}

bool FuelLogStore::modifyRecord(const std::vector<OptionalFieldValue>& values) {
    Impl& s = *impl_;
    if (!s.begin()) return false;
    std::vector<Overlay> overlays;
    if (!s.encodeGivenValues(values, overlays)) return false;
    if (s.position < 0) return s.fail(StoreFailure::BadPosition);
    const std::int64_t start = s.recordStart(s.position);
    if (!s.lock(start, kSingleByte)) return false;
    bool modified = false;
    if (auto record = s.readExactly(start, s.recordLength)) {
        applyOverlays(record->data(), 0, s.recordLength, overlays);
        if (s.recordLength <= kRecordIdLength) {
            modified = true;  // nothing after the record id to write back
        } else {
            modified = s.writeBytes(start + kRecordIdLength, record->data() + kRecordIdLength,
                                    record->size() - kRecordIdLength) &&
                       s.sync();
        }
    }
    s.unlock(start, kSingleByte);
    return modified;
}

bool FuelLogStore::deleteRecord() {
    Impl& s = *impl_;
    if (!s.begin()) return false;
    if (s.position < 0) return s.fail(StoreFailure::BadPosition);
    if (s.recordLength < kRecordIdLength) return s.fail(StoreFailure::FieldOutsideRecord);
    const std::int64_t start = s.recordStart(s.position);
    if (!s.lock(start, kSingleByte)) return false;
    bool marked = false;
    if (auto idBytes = s.readExactly(start + kRecordIdOffset, kRecordIdLength)) {
        const std::int32_t id = loadInt32(idBytes->data());
        if (id > 0) {
            storeInt32(idBytes->data(), -id);
            marked = s.writeBytes(start + kRecordIdOffset, idBytes->data(), idBytes->size()) && s.sync();
        } else {
            marked = true;  // already marked
        }
    }
    s.unlock(start, kSingleByte);
    return marked;
}

bool FuelLogStore::purgeDeleted() {
    Impl& s = *impl_;
    if (!s.begin()) return false;
    if (!s.lock(kWholeFileLockOffset, kWholeFileLockLength)) return false;
    const bool purged = s.dropMarkedRecords();
    if (purged) s.position = 0;
    s.unlock(kWholeFileLockOffset, kWholeFileLockLength);
    return purged;
}

bool FuelLogStore::isOpen() const { return impl_->file != nullptr; }
std::int32_t FuelLogStore::position() const { return impl_->position; }
StoreFailure FuelLogStore::lastFailure() const { return impl_->lastFailure; }

}  // namespace tankora
