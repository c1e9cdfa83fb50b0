#include "textio/system_calls.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "textio/signals.hpp"

namespace textio::sys {

namespace {

template <typename Call>
auto retried(Call&& call) {
    for (;;) {
        const auto result = call();
        if (result >= 0 || errno != EINTR) return result;
        check_stop_request();
    }
}

}  // namespace

int open(const char* path, int flags, mode_t mode) {
    return retried([&] { return ::open(path, flags, mode); });
}

int fstat(int fd, struct stat* status) {
    return retried([&] { return ::fstat(fd, status); });
}

int stat(const char* path, struct stat* status) {
    return retried([&] { return ::stat(path, status); });
}

int access(const char* path, int mode) {
    return retried([&] { return ::access(path, mode); });
}

int fsync(int fd) {
    return retried([&] { return ::fsync(fd); });
}

int rename(const char* from, const char* to) {
    return retried([&] { return std::rename(from, to); });
}

int ftruncate(int fd, off_t length) {
    return retried([&] { return ::ftruncate(fd, length); });
}

off_t lseek(int fd, off_t offset, int whence) {
    return retried([&] { return ::lseek(fd, offset, whence); });
}

int clear_nonblocking(int fd) {
    const int flags = retried([&] { return ::fcntl(fd, F_GETFL); });
    if (flags < 0) return -1;
    return retried([&] { return ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK); });
}

int close(int fd) {
    if (::close(fd) == 0 || errno == EINTR) return 0;
    return -1;
}

}  // namespace textio::sys
