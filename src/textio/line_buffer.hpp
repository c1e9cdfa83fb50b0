// The one buffer in which free-format lines and formatted records are
// assembled, with the line position.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>

namespace textio {

class LineBuffer {
public:
    static constexpr int initial_capacity = 400;
    static constexpr int first_growth = 1024;

    LineBuffer() = default;
    LineBuffer(const LineBuffer&) = delete;
    LineBuffer& operator=(const LineBuffer&) = delete;

    int position() const { return position_; }
    int capacity() const { return capacity_; }
    const char* data() const { return data_; }
    void clear() { position_ = 0; }

    // Room for n more bytes at the position; the buffer grows as needed (a
    // failure to grow is fatal).  Returns where those bytes go.
    char* reserve(std::int64_t n) {
        if (position_ + n > capacity_) grow(position_ + n - 1);
        return data_ + position_;
    }
    // Counts n bytes written at reserve()'s pointer as placed.
    void advance(int n) { position_ += n; }

    void put(char c) {
        *reserve(1) = c;
        ++position_;
    }
    void put(const char* bytes, int n) {
        std::memcpy(reserve(n), bytes, static_cast<std::size_t>(n));
        position_ += n;
    }

private:
    // Makes the capacity exceed last: 1024 after the initial buffer, then doubling.
    void grow(std::int64_t last);

    char initial_[initial_capacity];
    std::unique_ptr<char[]> grown_;
    char* data_ = initial_;
    int capacity_ = initial_capacity;
    int position_ = 0;
};

namespace detail {
extern LineBuffer line_buffer;
}

// The process-wide line buffer.
inline LineBuffer& line_buffer() { return detail::line_buffer; }

}  // namespace textio
