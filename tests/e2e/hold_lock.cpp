// Plays "another program" holding the log: takes a whole-file write lock on an open
// file description, says "locked" on stdout and keeps the lock until stdin closes.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
        return 2;
    }
    const int fd = ::open(argv[1], O_RDWR);
    if (fd < 0) {
        std::fprintf(stderr, "cannot open %s: %s\n", argv[1], std::strerror(errno));
        return 1;
    }
    struct flock whole {};
    whole.l_type = F_WRLCK;
    whole.l_whence = SEEK_SET;
    whole.l_start = 0;
    whole.l_len = 0;  // to the end of the file and beyond
    if (::fcntl(fd, F_OFD_SETLK, &whole) != 0) {
        std::fprintf(stderr, "cannot lock %s: %s\n", argv[1], std::strerror(errno));
        return 1;
    }
    std::puts("locked");
    std::fflush(stdout);
    char buffer[256];
    while (::read(STDIN_FILENO, buffer, sizeof buffer) > 0) {
    }
    ::close(fd);
    return 0;
}
