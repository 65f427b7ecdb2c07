#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>

#include "store/log_file.h"

namespace tankora {
namespace {

bool validRange(std::int64_t offset, std::size_t size) {
    return offset >= 0 &&
           size <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max() - offset);
}

class PosixLogFile final : public LogFile {
public:
    PosixLogFile(int fd, FileIdentity identity) : fd_(fd), identity_(identity) {}
    ~PosixLogFile() override { ::close(fd_); }
    PosixLogFile(const PosixLogFile&) = delete;
    PosixLogFile& operator=(const PosixLogFile&) = delete;

    std::int64_t readAt(std::int64_t offset, void* buffer, std::size_t size) override {
        if (!validRange(offset, size)) return -1;
        auto* bytes = static_cast<char*>(buffer);
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n = ::pread(fd_, bytes + done, size - done, static_cast<off_t>(offset + done));
            if (n < 0) {
                if (errno == EINTR) continue;
                return -1;
            }
            if (n == 0) break;  // end of file
            done += static_cast<std::size_t>(n);
        }
        return static_cast<std::int64_t>(done);
    }

    bool writeAt(std::int64_t offset, const void* data, std::size_t size) override {
        if (!validRange(offset, size)) return false;
        const auto* bytes = static_cast<const char*>(data);
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n = ::pwrite(fd_, bytes + done, size - done, static_cast<off_t>(offset + done));
            if (n < 0) {
                if (errno == EINTR) continue;
                return false;
            }
            if (n == 0) return false;  // no progress: give up rather than spin
            done += static_cast<std::size_t>(n);
        }
        return true;
    }

    std::int64_t length() override {
        struct stat st {};
        if (::fstat(fd_, &st) != 0) return -1;
        return static_cast<std::int64_t>(st.st_size);
    }

    bool setLength(std::int64_t newLength) override {
        if (newLength < 0) return false;
        while (::ftruncate(fd_, static_cast<off_t>(newLength)) != 0) {
            if (errno != EINTR) return false;
        }
        return true;
    }

    // Never retried: after a failed fdatasync the kernel may have dropped the pages, and
    // a second call can succeed without the data having reached the disk.
    bool sync() override { return ::fdatasync(fd_) == 0; }

    LockResult lock(std::int64_t offset, std::int64_t length) override {
        if (setLock(F_WRLCK, offset, length) == 0) return LockResult::Granted;
        switch (errno) {
            case EAGAIN:
            case EACCES:
                return LockResult::Refused;
            case ENOLCK:
            case EINVAL:
            case EOPNOTSUPP:
            case ENOSYS:
                return LockResult::Granted;  // the file system has no range locks
            default:
                return LockResult::Failed;
        }
    }

    void unlock(std::int64_t offset, std::int64_t length) override { setLock(F_UNLCK, offset, length); }

    FileIdentity identity() const override { return identity_; }

private:
    int setLock(short type, std::int64_t offset, std::int64_t length) {
        struct flock request {};
        request.l_type = type;
        request.l_whence = SEEK_SET;
        request.l_start = static_cast<off_t>(offset);
        request.l_len = static_cast<off_t>(length);
        request.l_pid = 0;  // required for open file description locks
        int result;
        do {
            result = ::fcntl(fd_, F_OFD_SETLK, &request);
        } while (result != 0 && errno == EINTR);
        return result;
    }

    int fd_;
    FileIdentity identity_;
};

class PosixLogFileOpener final : public LogFileOpener {
public:
    std::unique_ptr<LogFile> open(const std::string& path) override {
        int fd;
        do {
            fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY);
        } while (fd < 0 && errno == EINTR);
        if (fd < 0) return nullptr;
        struct stat st {};
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {  // no devices, FIFOs or sockets
            ::close(fd);
            return nullptr;
        }
        return std::make_unique<PosixLogFile>(
            fd, FileIdentity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)});
    }
};

}  // namespace

std::shared_ptr<LogFileOpener> posixLogFileOpener() { return std::make_shared<PosixLogFileOpener>(); }

}  // namespace tankora
