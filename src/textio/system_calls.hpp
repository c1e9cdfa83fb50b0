// System calls as the runtime makes them: a call that a signal interrupts
// (EINTR) is made again, after a pending interrupt or termination request
// has been acted on, so that EINTR never reaches a report.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

namespace textio::sys {

// -1 with errno on failure, as the calls themselves.
int open(const char* path, int flags, mode_t mode = 0);
int fstat(int fd, struct stat* status);
int stat(const char* path, struct stat* status);
int access(const char* path, int mode);
int fsync(int fd);
int rename(const char* from, const char* to);
int ftruncate(int fd, off_t length);
off_t lseek(int fd, off_t offset, int whence);
// Takes O_NONBLOCK off fd; every fcntl result is checked.
int clear_nonblocking(int fd);
// EINTR counts as closed: Linux releases the descriptor before it returns.
int close(int fd);

}  // namespace textio::sys
