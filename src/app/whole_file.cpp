#include "app/whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace tankora {
namespace {

constexpr mode_t kNewFileMode = 0666;  // narrowed by the umask
constexpr int kTemporaryNameAttempts = 100;

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

std::string folderOf(const std::string& path) {
    std::string::size_type slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

void syncFolder(const std::string& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// A new, synced file holding the bytes beside `path`; its name, or empty on failure.
std::string writeTemporarySibling(const std::string& path, std::string_view bytes,
                                  const struct stat* modeFrom) {
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        std::string name = path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return {};
        }
        bool ok = true;
        if (modeFrom) ok = ::fchmod(fd, modeFrom->st_mode & 07777) == 0;
        ok = ok && writeAll(fd, bytes) && ::fsync(fd) == 0;
        ok = (::close(fd) == 0) && ok;
        if (ok) return name;
        ::unlink(name.c_str());
        return {};
    }
    return {};
}

}  // namespace

void createFolder(const std::string& path) { ::mkdir(path.c_str(), 0777); }

void createFolderTree(const std::string& path) {
    for (std::string::size_type slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        ::mkdir(path.substr(0, slash).c_str(), 0700);
    }
    ::mkdir(path.c_str(), 0700);
}

bool writeWholeFile(const std::string& path, std::string_view bytes) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, kNewFileMode);
    if (fd < 0) return false;
    bool ok = writeAll(fd, bytes);
    return (::close(fd) == 0) && ok;
}

bool createNewFile(const std::string& path, std::string_view bytes) {
    // Written aside and linked into place: the name appears only with every byte behind
    // it, and link() refuses, like O_EXCL, when something is already there.
    std::string temporary = writeTemporarySibling(path, bytes, nullptr);
    if (!temporary.empty()) {
        int linked = ::link(temporary.c_str(), path.c_str());
        int linkError = errno;
        ::unlink(temporary.c_str());
        if (linked == 0) {
            syncFolder(folderOf(path));
            return true;
        }
        if (linkError == EEXIST) return false;
    }
    // A file system without hard links: create exclusively in place, and take the file
    // away again when it could not be filled, so no half file stays behind.
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
    if (fd < 0) return false;
    bool ok = writeAll(fd, bytes);
    ok = (::close(fd) == 0) && ok;
    if (!ok) ::unlink(path.c_str());
    return ok;
}

bool replaceFile(const std::string& path, std::string_view bytes) {
    struct stat existing {};
    bool exists = ::stat(path.c_str(), &existing) == 0;
    std::string temporary = writeTemporarySibling(path, bytes, exists ? &existing : nullptr);
    if (temporary.empty()) return false;
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    syncFolder(folderOf(path));
    return true;
}

FileContents readWholeFile(const std::string& path) {
    FileContents contents;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        contents.outcome = (errno == ENOENT || errno == ENOTDIR) ? ReadOutcome::Missing : ReadOutcome::Failed;
        return contents;
    }
    char buffer[65536];
    for (;;) {
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            contents.bytes.clear();
            return contents;
        }
        if (got == 0) break;
        contents.bytes.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    contents.outcome = ReadOutcome::Read;
    return contents;
}

}  // namespace tankora
