// A buffered output channel on a file descriptor.  Unlike a stdio stream it
// reports every failed write, never blocks past a stop request, and knows how
// many bytes it has been handed, which is where a file is cut at its close.
//
// The abort and floating-point exception handlers flush and cut the streams
// themselves, so every change of a stream's bookkeeping is made inside a
// SignalSafeSection: a handler never sees bytes that the system has taken
// still counted as waiting in the buffer, which would send them twice.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace textio {

class Stream {
public:
    enum class Buffering {
        full,  // hands bytes on when the buffer is full, and at flush
        line,  // hands every line on at once (a terminal)
        none,  // hands everything on at once (standard error)
    };
    enum class Status { ok, interrupted, failed };
    // Whether a flush may wait for a descriptor that is not ready.
    enum class Waiting { allowed, never };

    static constexpr std::size_t file_buffer_size = 64 * 1024;
    static constexpr std::size_t console_buffer_size = 4 * 1024;

    Stream() = default;
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;

    // Attaches the stream to fd: 0, ENOMEM when no buffer can be had, or the
    // errno of fstat, which tells whether fd is a regular file.
    int attach(int fd, Buffering buffering, std::size_t buffer_size);
    // Forgets the descriptor and the buffer; does not close fd.
    void detach();
    // Takes a new descriptor for the same file, keeping buffer and position;
    // 0 or the errno of fstat.  A negative fd only forgets the old one.
    int replace_descriptor(int fd);

    int fd() const { return fd_; }
    bool attached() const { return fd_ >= 0; }
    // A regular file can be cut; pipes, terminals and devices cannot.
    bool regular_file() const { return regular_; }
    // The bytes handed to the stream since it was attached.
    std::int64_t position() const { return written_ + static_cast<std::int64_t>(used_ - head_); }
    // Where the file ends when it is closed: at the position, or after a
    // failed write just after the last line end that the system took, so
    // that it ends with a whole line.
    std::int64_t cut_position() const { return error_ != 0 ? complete_lines_ : position(); }
    // errno of the last failure, 0 while none.
    int error() const { return error_; }

    Status write(const char* data, std::size_t size);
    Status flush(Waiting waiting = Waiting::allowed);
    // Drops the bytes not yet handed on (a reader that will never take them).
    void discard();

private:
    // Hands size bytes on to the descriptor; from_buffer when they are the
    // buffer's own, which then leave it as the system takes them.
    Status write_through(const char* data, std::size_t size, Waiting waiting, bool from_buffer);
    // Waits, when allowed, until the descriptor takes data; returns how many
    // of size bytes to hand on in one call, or 0 when it may not wait.
    std::size_t next_chunk(std::size_t size, Waiting waiting) const;

    int fd_ = -1;
    bool regular_ = false;
    Buffering buffering_ = Buffering::full;
    std::unique_ptr<char[]> buffer_;
    std::size_t capacity_ = 0;
    // The buffer holds the bytes [head_, used_) not yet handed on.
    std::size_t head_ = 0;
    std::size_t used_ = 0;
    std::int64_t written_ = 0;
    std::int64_t complete_lines_ = 0;
    int error_ = 0;
};

}  // namespace textio
