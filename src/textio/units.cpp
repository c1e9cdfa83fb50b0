#include "textio/units.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <new>

#include "textio/errors.hpp"
#include "textio/signals.hpp"
#include "textio/statement.hpp"
#include "textio/system_calls.hpp"

namespace textio {

namespace {

std::array<Unit, unit_count> units;

bool table_ready = false;
// The close-all runs once per run; see close_all for a call made while it runs.
bool close_all_done = false;

constexpr int open_flags = O_CLOEXEC | O_NOCTTY;
constexpr mode_t new_file_mode = 0666;  // less the umask

// A failed system call: its errno and the name the report gives the call.
struct Failure {
    int number = 0;
    const char* call = nullptr;
    explicit operator bool() const { return number != 0; }
};

// How often a data file that is a FIFO is tried again while it has no reader.
constexpr int reader_poll_ms = 100;

void connect_standard(int unit, int fd, int access, int last_was_write) {
    Unit& entry = units[static_cast<std::size_t>(unit)];
    Stream::Buffering buffering = Stream::Buffering::full;
    if (unit == error_unit) buffering = Stream::Buffering::none;
    // On a terminal each console line is visible as soon as it is written.
    else if (::isatty(fd)) buffering = Stream::Buffering::line;
    // A standard stream whose kind cannot be told is taken for a pipe,
    // which is never cut and always waited for: no harm.
    if (entry.stream.attach(fd, buffering, Stream::console_buffer_size) == ENOMEM) fatal_error(err_no_space, "no space");
    entry.named = false;
    entry.access = access;
    entry.last_was_write = last_was_write;
}

std::string_view without_trailing_blanks(std::string_view name) {
    const std::size_t end = name.find_last_not_of(' ');
    return end == std::string_view::npos ? std::string_view{} : name.substr(0, end + 1);
}

// Errors of the update open after which the file may still be read: it is
// then connected for reading, and its first write fails as the rule says.
bool read_only_error(int number) { return number == EACCES || number == EPERM || number == EROFS || number == ETXTBSY; }

// A FIFO opened for writing alone has no reader until one comes: it is
// tried again every tenth of a second, and a stop request ends the wait.
int open_write_only(const char* path) {
    for (;;) {
        const int fd = sys::open(path, O_WRONLY | O_NONBLOCK | open_flags);
        if (fd >= 0 || errno != ENXIO) return fd;
        nap(reader_poll_ms);
    }
}

// Takes O_NONBLOCK off a new descriptor, which then becomes the unit's.
Failure hand_out(int fd, int* opened) {
    if (sys::clear_nonblocking(fd) != 0) {
        const int error = errno;
        sys::close(fd);
        return {error, "fcntl"};
    }
    *opened = fd;
    return {};
}

// The descriptor of the named file by the create-or-replace rule: update,
// else read only, else created; another error is the open's failure, and
// nothing is created or emptied.  Sets the unit's access and last-was-write.
// Opening never blocks on a FIFO; the flag is taken off afterwards.
Failure open_create_or_replace(Unit& entry, int* opened) {
    const char* path = entry.name.c_str();
    entry.access = may_read | may_write;
    entry.last_was_write = 0;
    // A FIFO is never opened for reading: the run would count as a reader,
    // a waiting reader would take that open for its writer's, and then see
    // the end of its input when it closes.
    struct stat ahead;
    if (sys::stat(path, &ahead) == 0 && S_ISFIFO(ahead.st_mode)) {
        const int fd = open_write_only(path);
        if (fd < 0) return {errno, "open"};
        entry.access = may_write;
        return hand_out(fd, opened);
    }
    int fd = sys::open(path, O_RDWR | O_NONBLOCK | open_flags);
    if (fd < 0 && read_only_error(errno)) {
        fd = sys::open(path, O_RDONLY | O_NONBLOCK | open_flags);
        entry.access = may_read;
    }
    if (fd < 0 && errno == ENOENT) {
        fd = sys::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | open_flags, new_file_mode);
        entry.access = may_write;
        entry.last_was_write = 1;
    }
    if (fd < 0) return {errno, "open"};
    struct stat status;
    if (sys::fstat(fd, &status) != 0) {
        const int error = errno;
        sys::close(fd);
        return {error, "fstat"};
    }
    // A directory opens for reading, but it can never hold the file.
    if (S_ISDIR(status.st_mode)) {
        sys::close(fd);
        return {EISDIR, "open"};
    }
    // A FIFO, terminal or device is written as such: opened for reading too,
    // a FIFO would have the run for its reader and never tell that its real
    // reader went away.
    if (!S_ISREG(status.st_mode) && (entry.access & may_write) != 0) {
        sys::close(fd);
        fd = open_write_only(path);
        if (fd < 0) return {errno, "open"};
        entry.access = may_write;
    }
    return hand_out(fd, opened);
}

// Errors of finding a path, which its open would meet as well.
bool path_error(int number) {
    return read_only_error(number) || number == ENOENT || number == ENOTDIR || number == ELOOP || number == ENAMETOOLONG;
}

// The directory a new file of that name goes into.
std::string directory_of(std::string_view path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string_view::npos) return ".";
    if (slash == 0) return "/";
    return std::string(path.substr(0, slash));
}

// Connects the unit to its file.
Failure connect_file(int unit, std::string_view given_name) {
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
    if (name.empty() || name.find('\0') != std::string_view::npos) return {ENOENT, "open"};
    int fd = -1;
    if (const Failure failure = open_create_or_replace(entry, &fd)) return failure;
    if (const int error = entry.stream.attach(fd, Stream::Buffering::full, Stream::file_buffer_size); error != 0) {
        entry.stream.detach();
        sys::close(fd);
        if (error == ENOMEM) fatal_error(err_no_space, "no space");
        return {error, "fstat"};
    }
    return {};
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

// Reports a failed call on the unit: nothing more is tried on its stream.
[[noreturn]] void report_failure(int unit, const Failure& failure) {
    unit_entry(unit).stream.discard();
    statement_state().current_unit = unit;
    fatal_system_error(failure.number, failure.call);
}

[[noreturn]] void report_stream_failure(int unit, const char* context) {
    report_failure(unit, {unit_entry(unit).stream.error(), context});
}

// Cuts a regular file at the stream's cut position: what lies beyond it is
// no part of this run's output.
Failure cut_at_position(Unit& entry) {
    if (!entry.named || !entry.stream.regular_file()) return {};
    const std::int64_t end = entry.stream.cut_position();
    struct stat status;
    if (sys::fstat(entry.stream.fd(), &status) != 0) return {errno, "fstat"};
    if (end >= status.st_size) return {};
    if (sys::ftruncate(entry.stream.fd(), end) != 0) return {errno, "truncate"};
    return {};
}

// What a statement does when its stream could not take its bytes: a stop
// request that cut a wait short ends the run as the request does; a failed
// write is a fatal report.
void act_on(Stream::Status status, int unit) {
    if (status == Stream::Status::interrupted) act_on_stop_request();
    if (status == Stream::Status::failed) report_stream_failure(unit, "write");
}

// Lets go of a unit's temporary file after a failure whose report is made:
// the file it was to replace stays as it was.
// Removes a unit's temporary file and forgets it; async-signal-safe.
void drop_replacement(Unit& entry) {
    ::unlink(entry.replacement.c_str());
    SignalSafeSection section;
    entry.replacement.clear();  // frees nothing
}

[[noreturn]] void give_up_replacement(int unit, const Failure& failure) {
    Unit& entry = unit_entry(unit);
    drop_replacement(entry);
    entry.stream.detach();  // the report still names the file
    statement_state().current_unit = unit;
    fatal_system_error(failure.number, failure.call);
}

// The normal close of a unit that replaces its file: everything written
// out and on the disk, then renamed over the file in one step, so that the
// file is either the earlier one or this run's, whole.
void commit_replacement(int unit) {
    Unit& entry = unit_entry(unit);
    act_on(entry.stream.flush(), unit);
    if (sys::fsync(entry.stream.fd()) != 0) report_failure(unit, {errno, "fsync"});
    // Linux releases the descriptor even when close fails.
    if (sys::close(entry.stream.fd()) != 0) give_up_replacement(unit, {errno, "close"});
    if (sys::rename(entry.replacement.c_str(), entry.name.c_str()) != 0) give_up_replacement(unit, {errno, "rename"});
    {
        SignalSafeSection section;
        entry.replacement.clear();
    }
    disconnect(entry, CloseAll::reporting);
}

// Any other end: the temporary file goes, unwritten bytes with it.  Only
// async-signal-safe calls, for the signal handlers.
void abandon_replacement(Unit& entry, CloseAll mode) {
    entry.stream.discard();
    ::close(entry.stream.fd());
    drop_replacement(entry);
    disconnect(entry, mode);
}

// Writes out, cuts and closes a connected unit; a standard stream is only
// written out.  Failures count only when reporting.
void close_connected(int unit, CloseAll mode) {
    Unit& entry = unit_entry(unit);
    if (!entry.replacement.empty()) {
        if (mode == CloseAll::reporting) return commit_replacement(unit);
        return abandon_replacement(entry, mode);
    }
    const Stream::Waiting waiting =
        mode == CloseAll::signal_handler ? Stream::Waiting::never : Stream::Waiting::allowed;
    const Stream::Status flushed = entry.stream.flush(waiting);
    if (flushed == Stream::Status::failed && mode == CloseAll::reporting) report_stream_failure(unit, "write");
    // A reader that does not take the rest before the run must end loses it.
    if (flushed != Stream::Status::ok) entry.stream.discard();
    if (!entry.named) return;  // the standard streams stay open
    if (entry.last_was_write == 1 && cut_at_position(entry) && mode == CloseAll::reporting) {
        statement_state().current_unit = unit;
        fatal_error(err_endfile, "endfile");
    }
    const bool closed = sys::close(entry.stream.fd()) == 0;
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

namespace {

// How many names a temporary file may try before its open gives up.
constexpr int temporary_name_tries = 100;

// ".<name>.<pid>.<try>.part" beside the named file: hidden, of this run.
std::string temporary_name(std::string_view name, int attempt) {
    const std::size_t slash = name.find_last_of('/');
    const std::size_t base = slash == std::string_view::npos ? 0 : slash + 1;
    std::string temporary(name.substr(0, base));
    temporary += '.';
    temporary += name.substr(base);
    temporary += '.' + std::to_string(::getpid()) + '.' + std::to_string(attempt) + ".part";
    return temporary;
}

}  // namespace

void open_unit_replacing(int unit, std::string_view given_name) {
    if (!table_ready) init_unit_table();
    if (!valid_unit(unit)) fatal_error(err_unit_number, "open");
    statement_state().current_unit = unit;
    Unit& entry = unit_entry(unit);
    if (entry.connected()) close_unit(unit);
    name_unit(unit, given_name);
    entry.record_length = 0;
    entry.formatted = true;
    entry.at_end = false;
    const std::string_view name = without_trailing_blanks(given_name);
    if (name.empty() || name.find('\0') != std::string_view::npos) fatal_system_error(ENOENT, "open");
    for (int attempt = 0;; ++attempt) {
        std::string temporary;
        try {
            temporary = temporary_name(name, attempt);
        } catch (const std::bad_alloc&) {
            fatal_error(err_no_space, "no space");
        }
        int fd = -1;
        {
            // The file is known for removal as soon as it exists.
            SignalSafeSection section;
            fd = sys::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | open_flags, new_file_mode);
            if (fd >= 0) entry.replacement.swap(temporary);
        }
        if (fd < 0 && errno == EEXIST && attempt + 1 < temporary_name_tries) continue;
        if (fd < 0) fatal_system_error(errno, "open");
        if (const int error = entry.stream.attach(fd, Stream::Buffering::full, Stream::file_buffer_size); error != 0) {
            sys::close(fd);
            if (error != ENOMEM) give_up_replacement(unit, {error, "fstat"});
            drop_replacement(entry);
            entry.stream.detach();
            fatal_error(err_no_space, "no space");
        }
        entry.access = may_write;
        entry.last_was_write = 1;
        return;
    }
}

void open_unit(int unit, std::string_view name) {
    if (!table_ready) init_unit_table();
    if (!valid_unit(unit)) fatal_error(err_unit_number, "open");
    statement_state().current_unit = unit;
    if (const Failure failure = connect_file(unit, name)) fatal_system_error(failure.number, failure.call);
}

WriteProbe probe_writable(std::string_view given_name, bool replacing) {
    using Verdict = WriteProbe::Verdict;
    const std::string_view name = without_trailing_blanks(given_name);
    if (name.empty() || name.find('\0') != std::string_view::npos) return {Verdict::failed, ENOENT, "open"};
    const std::string path(name);
    // A path that cannot be looked up fails as its open would; another
    // failure of the look-up itself is reported as what it is.
    const auto failure = [](const char* call) {
        const int error = errno;
        return WriteProbe{Verdict::failed, error, path_error(error) ? "open" : call};
    };
    struct stat status;
    if (sys::stat(path.c_str(), &status) != 0) {
        if (errno != ENOENT) return failure("stat");
        // A new file: its directory must take it.
        if (sys::access(directory_of(name).c_str(), W_OK | X_OK) != 0) return failure("access");
        return {};
    }
    if (S_ISDIR(status.st_mode)) return {Verdict::failed, EISDIR, "open"};
    if (sys::access(path.c_str(), W_OK) != 0) {
        if (read_only_error(errno)) return {Verdict::read_only, errno, nullptr};
        return failure("access");
    }
    // A replacement is a new file in the directory, even over an old one.
    if (replacing && sys::access(directory_of(name).c_str(), W_OK | X_OK) != 0) return failure("access");
    return {};
}

void check_writable(int unit, std::string_view name, bool replacing, const char* first_write) {
    if (!table_ready) init_unit_table();
    if (!valid_unit(unit)) fatal_error(err_unit_number, "open");
    const WriteProbe probe = probe_writable(name, replacing);
    if (probe.verdict == WriteProbe::Verdict::writable) return;
    name_unit(unit, name);
    if (probe.verdict == WriteProbe::Verdict::read_only) fatal_error(err_cannot_write, first_write);
    fatal_system_error(probe.error, probe.call);
}

void name_unit(int unit, std::string_view name) {
    Unit& entry = unit_entry(unit);
    try {
        entry.name.assign(without_trailing_blanks(name));
    } catch (const std::bad_alloc&) {
        fatal_error(err_no_space, "no space");
    }
    entry.named = true;
    statement_state().current_unit = unit;
}

bool connect_by_default(int unit) { return !connect_file(unit, "fort." + std::to_string(unit)); }

bool switch_to_writing(int unit) {
    Unit& entry = unit_entry(unit);
    if (!(entry.access & may_write)) {
        if (!entry.named) return false;  // standard input cannot be written
        // Connected for reading only: it must now be opened for update, at
        // the same position.
        const int fd = sys::open(entry.name.c_str(), O_RDWR | O_NONBLOCK | open_flags);
        if (fd < 0) {
            sys::close(entry.stream.fd());
            entry.stream.detach();  // the unit loses its stream, keeps its name
            return false;
        }
        const int read_only = entry.stream.fd();
        Failure failure;
        if (sys::clear_nonblocking(fd) != 0)
            failure = {errno, "fcntl"};
        else if (sys::lseek(fd, entry.stream.position(), SEEK_SET) < 0)
            failure = {errno, "lseek"};
        else if (const int error = entry.stream.replace_descriptor(fd); error != 0)
            failure = {error, "fstat"};
        sys::close(read_only);
        if (failure) {
            sys::close(fd);
            entry.stream.replace_descriptor(-1);
            report_failure(unit, failure);
        }
        entry.access = may_read | may_write;
    }
    entry.last_was_write = 1;
    // An earlier file is emptied beyond the position as soon as the first
    // write reaches it, so that a run stopped at any point, even by SIGKILL,
    // never leaves this run's records followed by an earlier file's tail.
    if (const Failure failure = cut_at_position(entry)) report_failure(unit, failure);
    return true;
}

void hand_over(int unit, const char* data, std::size_t size) { act_on(unit_entry(unit).stream.write(data, size), unit); }

void flush_unit(int unit) { act_on(unit_entry(unit).stream.flush(), unit); }

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
    // A failure reported in the middle of this loop (a failed flush, cut or
    // close, when reporting) ends the run through the fatal report, which
    // calls the close-all again, quietly: that inner call goes on with the
    // units still connected (the failed one has been let go) and ends the
    // run, so that this loop never resumes and no unit is closed twice.
    statement_state().busy = false;
    for (int unit = 0; unit < unit_count; ++unit)
        if (unit_entry(unit).connected()) close_connected(unit, mode);
    close_all_done = true;
}

}  // namespace textio
