// The cursor-style record store over the log file: the only code that reads or
// changes car.mdb. Every operation reports failure by its result; none shows anything.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "store/field_value.h"

namespace tankora {

class LogFileOpener;  // store/log_file.h: how files are reached (real, or fault-injecting)

enum class StoreFailure {
    None,
    EmptyPath,
    AlreadyOpen,
    CannotOpen,
    Locked,
    ShortRead,
    ShortWrite,
    BadHeader,
    BadFieldTable,
    NotOpen,
    BadPosition,
    KindMismatch,
    OutOfFile,
    SyncFailed,
    IoError,
    FieldOutsideRecord,  // the field (or the record id) does not fit inside recordLength
    CountLimit           // storedRecords or nextRecordId cannot grow past the int32 range
};

class FuelLogStore {
public:
    FuelLogStore();  // real files, OFD locks
    explicit FuelLogStore(std::shared_ptr<LogFileOpener> opener);
    ~FuelLogStore();  // closes what is still open
    FuelLogStore(const FuelLogStore&) = delete;
    FuelLogStore& operator=(const FuelLogStore&) = delete;

    // Opens an existing file (never creates one), repairs its tail, validates it; record
    // 1 is then current. Fails when this process already has a store open on the same
    // file (same device and inode, whatever the path) or this store is open already.
    bool open(const std::string& path);
    // Closes when the text is the full path or the bare file name (no folder, no
    // extension), letters without case; any other text does nothing.
    void close(const std::string& pathText);

    // storedRecords; 0 on any failure. This, goTo and skip wait up to 2 s for the count.
    std::int32_t recordCount();
    bool goTo(std::int32_t recordNumber);  // clamped into the records
    bool skip(std::int32_t step = 1);      // to one past either end at most
    // Field k (1-based) of the current record. A field number the file lacks, or no store
    // open, is fatal. A failed read gives the kind's empty value; so does a field of a
    // type the log does not use (1, 2, 4, 5, 9, 11, 12), whose bytes are never taken as
    // a value, and one that does not fit inside the record.
    FieldValue readField(int fieldNumber);
    // Exactly the field's width; an omitted value writes the kind's empty value. Not synced.
    bool writeField(int fieldNumber, const OptionalFieldValue& value);
    // One value per field in table order, each may be omitted. The record is on disk
    // before the count that includes it; true only once both are synced.
    bool addRecord(const std::vector<OptionalFieldValue>& values);
    // Rewrites the current record after its id, keeping omitted fields; synced.
    bool modifyRecord(const std::vector<OptionalFieldValue>& values);
    // Marks the current record by negating its id; synced. A marked record stays marked.
    bool deleteRecord();
    // Drops the marked records, chunk by chunk; record 1 is then current. Synced when it
    // changed the file. A chunk that cannot be read fails the purge: the slots already
    // emptied are then marked, so no live record is lost or doubled and the next purge
    // completes the work.
    bool purgeDeleted();

    bool isOpen() const;
    std::int32_t position() const;  // index: -1 .. storedRecords
    StoreFailure lastFailure() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace tankora
