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

    // Opens an existing file (never creates one), repairs its tail, validates it.
    // Fails when this process already has a store open on the same file.
    bool open(const std::string& path);
    // Closes when the text is the full path or the bare file name (no folder, no
    // extension), letters without case; any other text does nothing.
    void close(const std::string& pathText);

    std::int32_t recordCount();            // storedRecords; 0 on any failure
    bool goTo(std::int32_t recordNumber);  // clamped into the records
    bool skip(std::int32_t step = 1);
    // Field k (1-based). A field number the file lacks, or no store open, is fatal.
    FieldValue readField(int fieldNumber);
    bool writeField(int fieldNumber, const OptionalFieldValue& value);
    bool addRecord(const std::vector<OptionalFieldValue>& values);
    bool modifyRecord(const std::vector<OptionalFieldValue>& values);
    bool deleteRecord();
    bool purgeDeleted();

    bool isOpen() const;
    std::int32_t position() const;  // index: -1 .. storedRecords
    StoreFailure lastFailure() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace tankora
