#include "textio/stream.hpp"

#include <limits.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

#include "textio/signals.hpp"

namespace textio {

bool Stream::attach(int fd, Buffering buffering, std::size_t buffer_size) {
    buffer_.reset(new (std::nothrow) char[buffer_size]);
    if (!buffer_) return false;
    capacity_ = buffer_size;
    buffering_ = buffering;
    used_ = 0;
    written_ = 0;
    error_ = 0;
    replace_descriptor(fd);
    return true;
}

void Stream::detach() {
    fd_ = -1;
    buffer_.reset();
    capacity_ = used_ = 0;
}

void Stream::replace_descriptor(int fd) {
    fd_ = fd;
    struct stat status;
    regular_ = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
}

Stream::Status Stream::write(const char* data, std::size_t size) {
    if (buffering_ == Buffering::none) return write_through(data, size, Waiting::allowed);
    if (size > capacity_ - used_) {
        if (Status status = flush(); status != Status::ok) return status;
        if (size >= capacity_) return write_through(data, size, Waiting::allowed);
    }
    std::memcpy(buffer_.get() + used_, data, size);
    used_ += size;
    return buffering_ == Buffering::line ? flush() : Status::ok;
}

Stream::Status Stream::flush(Waiting waiting) {
    if (used_ == 0) return Status::ok;
    const std::size_t before = static_cast<std::size_t>(written_);
    const Status status = write_through(buffer_.get(), used_, waiting);
    // Whatever was not handed on stays in the buffer, in order.
    const std::size_t done = static_cast<std::size_t>(written_) - before;
    if (done < used_) std::memmove(buffer_.get(), buffer_.get() + done, used_ - done);
    used_ -= done;
    return status;
}

Stream::Status Stream::write_through(const char* data, std::size_t size, Waiting waiting) {
    while (size > 0) {
        std::size_t chunk = size;
        if (!regular_) {
            // A pipe or terminal can block: wait until it takes data, and then
            // hand on no more than it takes at once.
            const bool ready = waiting == Waiting::allowed ? wait_for(fd_, POLLOUT) == Wait::ready
                                                           : ready_now(fd_, POLLOUT);
            if (!ready) return Status::interrupted;
            chunk = std::min<std::size_t>(size, PIPE_BUF);
        }
        const ssize_t count = ::write(fd_, data, chunk);
        if (count < 0) {
            if (errno == EINTR || errno == EAGAIN) {
                if (regular_ && stop_request() != 0 && waiting == Waiting::never) return Status::interrupted;
                continue;
            }
            error_ = errno;
            return Status::failed;
        }
        if (count == 0) {  // a device that takes nothing would loop for ever
            error_ = EIO;
            return Status::failed;
        }
        data += count;
        size -= static_cast<std::size_t>(count);
        written_ += count;
    }
    return Status::ok;
}

}  // namespace textio
