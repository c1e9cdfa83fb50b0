#include "textio/pause.hpp"

#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "textio/errors.hpp"
#include "textio/signals.hpp"
#include "textio/statement.hpp"
#include "textio/system_calls.hpp"
#include "textio/units.hpp"

namespace textio {

namespace {

enum class Consumed { line, end_of_input };

constexpr StatementContexts read_contexts = {"startio", "lio", "lio"};

constexpr std::size_t seekable_block = 4096;

// A regular file is read in blocks and the offset is put back just after the
// line feed, so that the next reader starts there.
Consumed consume_line_seekable(int fd, off_t start) {
    char block[seekable_block];
    off_t offset = start;
    for (;;) {
        const ssize_t count = ::read(fd, block, sizeof block);
        if (count < 0 && errno == EINTR) {
            check_stop_request();
            continue;
        }
        if (count <= 0) return Consumed::end_of_input;  // a read error ends it like end of input
        const void* feed = std::memchr(block, '\n', static_cast<std::size_t>(count));
        if (feed != nullptr) {
            sys::lseek(fd, offset + (static_cast<const char*>(feed) - block) + 1, SEEK_SET);
            return Consumed::line;
        }
        offset += count;
    }
}

// A pipe or terminal cannot be put back: it is read one byte at a time.
Consumed consume_line_bytewise(int fd) {
    for (;;) {
        if (wait_for(fd, POLLIN) == Wait::interrupted) act_on_stop_request();
        char c;
        const ssize_t count = ::read(fd, &c, 1);
        if (count < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (count <= 0) return Consumed::end_of_input;
        if (c == '\n') return Consumed::line;
    }
}

}  // namespace

void pause_read() {
    // The prompt must be visible while the run waits.
    flush_unit(output_unit);
    begin_statement(input_unit, read_contexts, "reading");
    StatementState& state = statement_state();
    state.has_last_format = true;
    state.last_format = list_io_format;
    end_statement();

    const int fd = unit_entry(input_unit).stream.fd();
    struct stat status;
    // Should either call fail, the line is read byte by byte, which is
    // always right, only slower.
    const off_t start = sys::lseek(fd, 0, SEEK_CUR);
    const bool seekable = start >= 0 && sys::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
    const Consumed consumed = seekable ? consume_line_seekable(fd, start) : consume_line_bytewise(fd);
    if (consumed == Consumed::end_of_input) unit_entry(input_unit).at_end = true;
}

}  // namespace textio
