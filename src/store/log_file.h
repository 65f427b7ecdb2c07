// How the record store reaches its file: positioned reads and writes, length, sync and
// non-blocking byte-range locks. The real implementation is a POSIX file with open file
// description locks; tests wrap it to inject faults.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace tankora {

enum class LockResult {
    Granted,  // held now (also when the file system has no range locks)
    Refused,  // another holder has an overlapping range
    Failed    // any other error
};

// Which file an open file is, whatever path reached it.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

class LogFile {
public:
    virtual ~LogFile() = default;
    // Reads up to `size` bytes at `offset`; the count read, short only at the end of
    // the file; -1 on an error.
    virtual std::int64_t readAt(std::int64_t offset, void* buffer, std::size_t size) = 0;
    // Writes all `size` bytes at `offset`; false when any could not be written.
    virtual bool writeAt(std::int64_t offset, const void* data, std::size_t size) = 0;
    // The file's length in bytes; -1 on an error.
    virtual std::int64_t length() = 0;
    // Cuts or extends the file to `newLength` bytes; false on an error.
    virtual bool setLength(std::int64_t newLength) = 0;
    // Brings the written data to stable storage (fdatasync); false on an error, which is
    // final: a later sync succeeding says nothing about the data of this one.
    virtual bool sync() = 0;
    // A write lock on [offset, offset + length), never waiting.
    virtual LockResult lock(std::int64_t offset, std::int64_t length) = 0;
    // Releases exactly that range. Unlocking part of a held range splits it.
    virtual void unlock(std::int64_t offset, std::int64_t length) = 0;
    virtual FileIdentity identity() const = 0;
};

class LogFileOpener {
public:
    virtual ~LogFileOpener() = default;
    // Opens an existing regular file for reading and writing, never creating it;
    // nullptr when it is missing or cannot be opened so.
    virtual std::unique_ptr<LogFile> open(const std::string& path) = 0;
};

// Real files: open(2) with O_RDWR | O_CLOEXEC, pread/pwrite, fdatasync, F_OFD_SETLK.
std::shared_ptr<LogFileOpener> posixLogFileOpener();

}  // namespace tankora
