#include "textio/units.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <new>

#include "textio/errors.hpp"
#include "textio/run_frame.hpp"
#include "textio/signals.hpp"
#include "textio/statement.hpp"

namespace textio {

namespace {

std::array<Unit, unit_count> units;

bool table_ready = false;
bool close_all_done = false;

constexpr int open_flags = O_CLOEXEC | O_NOCTTY;
constexpr mode_t new_file_mode = 0666;  // less the umask

void connect_standard(int unit, int fd, int access, int last_was_write) {
    Unit& entry = units[static_cast<std::size_t>(unit)];
    Stream::Buffering buffering = Stream::Buffering::full;
    if (unit == error_unit) buffering = Stream::Buffering::none;
    // On a terminal each console line is visible as soon as it is written.
    else if (::isatty(fd)) buffering = Stream::Buffering::line;
    if (!entry.stream.attach(fd, buffering, Stream::console_buffer_size)) fatal_error(err_no_space, "no space");
    entry.named = false;
    entry.access = access;
    entry.last_was_write = last_was_write;
}

std::string_view without_trailing_blanks(std::string_view name) {
    const std::size_t end = name.find_last_not_of(' ');
    return end == std::string_view::npos ? std::string_view{} : name.substr(0, end + 1);
}

// The descriptor of the named file by the create-or-replace rule: update,
// else read only, else created.  Sets the unit's access and last-was-write.
// Opening never blocks on a FIFO; the flag is taken off afterwards.
int open_create_or_replace(Unit& entry) {
    const char* path = entry.name.c_str();
    int fd = ::open(path, O_RDWR | O_NONBLOCK | open_flags);
    entry.access = may_read | may_write;
    entry.last_was_write = 0;
    if (fd < 0) {
        fd = ::open(path, O_RDONLY | O_NONBLOCK | open_flags);
        entry.access = may_read;
        struct stat status;
        // A directory opens for reading, but it can never hold the file.
        if (fd >= 0 && ::fstat(fd, &status) == 0 && S_ISDIR(status.st_mode)) {
            ::close(fd);
            fd = -1;
            errno = EISDIR;
        }
    }
    if (fd < 0) {
        fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | open_flags, new_file_mode);
        entry.access = may_write;
        entry.last_was_write = 1;
    }
    if (fd >= 0) ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

// Connects the unit to its file; on failure returns errno (0 on success).
int connect_file(int unit, std::string_view given_name) {
    Unit& entry = unit_entry(unit);
    if (entry.connected()) close_unit(unit);
    const std::string_view name = without_trailing_blanks(given_name);
    try {
        entry.name.assign(name);
    } catch (const std::bad_alloc&) {
        fatal_error(err_no_space, "no space");
    }
    entry.named = true;
    entry.record_length = 0;
    entry.formatted = true;
    entry.at_end = false;
    if (name.empty() || name.find('\0') != std::string_view::npos) return ENOENT;
    const int fd = open_create_or_replace(entry);
    if (fd < 0) return errno;
    if (!entry.stream.attach(fd, Stream::Buffering::full, Stream::file_buffer_size)) {
        ::close(fd);
        fatal_error(err_no_space, "no space");
    }
    return 0;
}

void disconnect(Unit& entry, CloseAll mode) {
    if (mode == CloseAll::signal_handler) {
        entry.stream.replace_descriptor(-1);  // frees nothing inside a handler
        return;
    }
    entry.stream.detach();
    entry.named = false;
    entry.name.clear();
    entry.at_end = false;
}

[[noreturn]] void report_stream_failure(int unit, const char* context) {
    Unit& entry = unit_entry(unit);
    entry.stream.discard();  // nothing more is tried on this stream
    statement_state().current_unit = unit;
    fatal_system_error(entry.stream.error(), context);
}

// Cuts a regular file at the stream's cut position: what lies beyond it is
// no part of this run's output.  Returns false on failure.
bool cut_at_position(Unit& entry) {
    if (!entry.named || !entry.stream.regular_file()) return true;
    const std::int64_t end = entry.stream.cut_position();
    struct stat status;
    if (::fstat(entry.stream.fd(), &status) != 0) return false;
    if (end >= status.st_size) return true;
    return ::ftruncate(entry.stream.fd(), end) == 0;
}

// Writes out, cuts and closes a connected unit; a standard stream is only
// written out.  Failures count only when reporting.
void close_connected(int unit, CloseAll mode) {
    Unit& entry = unit_entry(unit);
    const Stream::Waiting waiting =
        mode == CloseAll::signal_handler ? Stream::Waiting::never : Stream::Waiting::allowed;
    const Stream::Status flushed = entry.stream.flush(waiting);
    if (flushed == Stream::Status::failed && mode == CloseAll::reporting) report_stream_failure(unit, "write");
    // A reader that does not take the rest before the run must end loses it.
    if (flushed != Stream::Status::ok) entry.stream.discard();
    if (!entry.named) return;  // the standard streams stay open
    if (entry.last_was_write == 1 && !cut_at_position(entry) && mode == CloseAll::reporting) {
        statement_state().current_unit = unit;
        fatal_error(err_endfile, "endfile");
    }
    const bool closed = ::close(entry.stream.fd()) == 0;
    const int close_errno = errno;
    if (!closed && mode == CloseAll::reporting) {
        statement_state().current_unit = unit;
        entry.stream.detach();  // the report still names the file
        fatal_system_error(close_errno, "close");
    }
    disconnect(entry, mode);
}

}  // namespace

void init_unit_table() {
    if (table_ready) return;
    table_ready = true;
    connect_standard(error_unit, STDERR_FILENO, may_write, 1);
    connect_standard(input_unit, STDIN_FILENO, may_read, 0);
    connect_standard(output_unit, STDOUT_FILENO, may_write, 1);
}

bool unit_table_ready() { return table_ready; }

Unit& unit_entry(int unit) { return units[static_cast<std::size_t>(unit)]; }

void open_unit(int unit, std::string_view name) {
    if (!table_ready) init_unit_table();
    if (!valid_unit(unit)) fatal_error(err_unit_number, "open");
    statement_state().current_unit = unit;
    if (const int error = connect_file(unit, name); error != 0) fatal_system_error(error, "open");
}

bool connect_by_default(int unit) { return connect_file(unit, "fort." + std::to_string(unit)) == 0; }

bool switch_to_writing(int unit) {
    Unit& entry = unit_entry(unit);
    if (!(entry.access & may_write)) {
        if (!entry.named) return false;  // standard input cannot be written
        // Connected for reading only: it must now be opened for update, at
        // the same position.
        const int fd = ::open(entry.name.c_str(), O_RDWR | O_NONBLOCK | open_flags);
        if (fd < 0) {
            ::close(entry.stream.fd());
            entry.stream.detach();  // the unit loses its stream, keeps its name
            return false;
        }
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        ::lseek(fd, entry.stream.position(), SEEK_SET);
        ::close(entry.stream.fd());
        entry.stream.replace_descriptor(fd);
        entry.access = may_read | may_write;
    }
    entry.last_was_write = 1;
    // An earlier file is emptied beyond the position as soon as the first
    // write reaches it, so that a run stopped at any point, even by SIGKILL,
    // never leaves this run's records followed by an earlier file's tail.
    if (!cut_at_position(entry)) report_stream_failure(unit, "truncate");
    return true;
}

void hand_over(int unit, const char* data, std::size_t size) {
    switch (unit_entry(unit).stream.write(data, size)) {
        case Stream::Status::ok:
            return;
        case Stream::Status::interrupted:
            act_on_stop_request();
        case Stream::Status::failed:
            report_stream_failure(unit, "write");
    }
}

void flush_unit(int unit) {
    switch (unit_entry(unit).stream.flush()) {
        case Stream::Status::ok:
            return;
        case Stream::Status::interrupted:
            act_on_stop_request();
        case Stream::Status::failed:
            report_stream_failure(unit, "write");
    }
}

void close_unit(int unit) {
    if (statement_state().busy) fatal_error(err_recursion, "I/O recursion");
    Unit& entry = unit_entry(unit);
    if (entry.connected()) return close_connected(unit, CloseAll::reporting);
    entry.at_end = false;
    entry.name.clear();
    entry.named = false;
}

void close_all(CloseAll mode) {
    if (close_all_done) return;
    statement_state().busy = false;
    // A report made during this loop runs it again for the units still
    // connected; no unit is closed twice.
    for (int unit = 0; unit < unit_count; ++unit)
        if (unit_entry(unit).connected()) close_connected(unit, mode);
    close_all_done = true;
}

}  // namespace textio
