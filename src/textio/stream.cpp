#include "textio/stream.hpp"

#include <limits.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <utility>

#include "textio/signals.hpp"
#include "textio/system_calls.hpp"

namespace textio {

int Stream::attach(int fd, Buffering buffering, std::size_t buffer_size) {
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[buffer_size]);
    if (!buffer) return ENOMEM;
    SignalSafeSection section;
    buffer_ = std::move(buffer);
    capacity_ = buffer_size;
    buffering_ = buffering;
    head_ = used_ = 0;
    written_ = complete_lines_ = 0;
    error_ = 0;
    return replace_descriptor(fd);
}

void Stream::detach() {
    SignalSafeSection section;
    fd_ = -1;
    buffer_.reset();
    capacity_ = head_ = used_ = 0;
}

int Stream::replace_descriptor(int fd) {
    fd_ = fd;
    regular_ = false;
    if (fd < 0) return 0;
    struct stat status;
    // Unknown, the file could be neither emptied nor cut: the caller reports it.
    if (sys::fstat(fd, &status) != 0) return errno;
    regular_ = S_ISREG(status.st_mode);
    return 0;
}

void Stream::discard() {
    SignalSafeSection section;
    head_ = used_ = 0;
}

Stream::Status Stream::write(const char* data, std::size_t size) {
    if (buffering_ == Buffering::none) return write_through(data, size, Waiting::allowed, false);
    if (size > capacity_ - used_) {
        if (Status status = flush(); status != Status::ok) return status;
        if (size >= capacity_) return write_through(data, size, Waiting::allowed, false);
    }
    std::memcpy(buffer_.get() + used_, data, size);
    {
        SignalSafeSection section;  // the bytes are in place before they count
        used_ += size;
    }
    return buffering_ == Buffering::line ? flush() : Status::ok;
}

Stream::Status Stream::flush(Waiting waiting) {
    const Status status = write_through(buffer_.get() + head_, used_ - head_, waiting, true);
    if (status == Status::ok) {
        SignalSafeSection section;
        head_ = used_ = 0;
    }
    // Otherwise whatever was not handed on stays in the buffer, in order.
    return status;
}

std::size_t Stream::next_chunk(std::size_t size, Waiting waiting) const {
    if (regular_) return size;
    // A pipe or terminal can block: wait until it takes data, and then hand
    // on no more than it takes at once.
    const bool ready =
        waiting == Waiting::allowed ? wait_for(fd_, POLLOUT) == Wait::ready : ready_now(fd_, POLLOUT);
    return ready ? std::min<std::size_t>(size, PIPE_BUF) : 0;
}

Stream::Status Stream::write_through(const char* data, std::size_t size, Waiting waiting, bool from_buffer) {
    while (size > 0) {
        const std::size_t chunk = next_chunk(size, waiting);
        if (chunk == 0) return Status::interrupted;
        // What the system takes is counted before any handler can look.
        SignalSafeSection section;
        const ssize_t count = ::write(fd_, data, chunk);
        if (count > 0) {
            const auto taken = static_cast<std::size_t>(count);
            // Lines are short: the last line end lies near the chunk's end.
            for (std::size_t i = taken; i > 0; --i) {
                if (data[i - 1] == '\n') {
                    complete_lines_ = written_ + static_cast<std::int64_t>(i);
                    break;
                }
            }
            written_ += count;
            if (from_buffer) head_ += taken;
            data += taken;
            size -= taken;
            continue;
        }
        if (count < 0 && (errno == EINTR || errno == EAGAIN)) {
            // Who may give up here, and who goes round again:
            //
            //                     waiting allowed          waiting never (a handler)
            //   pipe, terminal    next_chunk waits, and    next_chunk hands on only
            //                     a stop request ends it   what is ready now
            //   regular file      write again: a file      a stop request ends the
            //                     never blocks for long    flush here, else again
            if (regular_ && stop_request() != 0 && waiting == Waiting::never) return Status::interrupted;
            continue;
        }
        // A device that takes nothing would loop for ever.
        error_ = count == 0 ? EIO : errno;
        return Status::failed;
    }
    return Status::ok;
}

}  // namespace textio
