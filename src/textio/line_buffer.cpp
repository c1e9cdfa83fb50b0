#include "textio/line_buffer.hpp"

#include <limits>
#include <new>

#include "textio/errors.hpp"

namespace textio {

void LineBuffer::grow(std::int64_t last) {
    std::int64_t capacity = grown_ ? capacity_ : first_growth;
    while (capacity <= last) capacity *= 2;
    // The line position is a 32-bit count.
    if (capacity > std::numeric_limits<int>::max()) fatal_error(err_no_space, "malloc failure");
    std::unique_ptr<char[]> larger(new (std::nothrow) char[static_cast<std::size_t>(capacity)]);
    if (!larger) fatal_error(err_no_space, "malloc failure");
    std::memcpy(larger.get(), data_, static_cast<std::size_t>(position_));
    grown_ = std::move(larger);
    data_ = grown_.get();
    capacity_ = static_cast<int>(capacity);
}

namespace detail {
LineBuffer line_buffer;
}

}  // namespace textio
