#include "textio/run_frame.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include "textio/errors.hpp"
#include "textio/report.hpp"
#include "textio/signals.hpp"
#include "textio/statement.hpp"
#include "textio/system_calls.hpp"
#include "textio/units.hpp"

namespace textio {

namespace {

int kept_argc = 0;
char** kept_argv = nullptr;
bool acting_on_stop = false;

// A standard descriptor that is closed at start-up is put on /dev/null, so
// that no file opened later can take its number and receive console text.
// open() takes the lowest free number: any other number than fd means that
// fd was open after all (whatever fcntl said).
void guard_standard_descriptors() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        const int replacement = sys::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
        if (replacement > fd) sys::close(replacement);
        if (replacement < 0) {
            static const char message[] = "exp-slipv: cannot open /dev/null for a closed standard stream\n";
            ssize_t ignored = ::write(STDERR_FILENO, message, sizeof message - 1);
            (void)ignored;
            ::_exit(status_fatal_report);
        }
    }
}

void close_all_at_exit() {
    close_all(CloseAll::reporting);
    // A stop request that came while the units were being closed still ends
    // the run as a stop request does.
    if (stop_request() != 0 && !acting_on_stop) act_on_stop_request();
}

}  // namespace

void start_up(int argc, char** argv) {
    kept_argc = argc;
    kept_argv = argv;
    guard_standard_descriptors();
    install_signal_reports();
    init_unit_table();
    std::atexit(close_all_at_exit);
}

int argument_count() { return kept_argc; }
char** argument_vector() { return kept_argv; }

void stop(int status) {
    close_all_at_exit();
    std::exit(status);
}

namespace {

// A report given up for a stop request ends the run as that request does.
int status_after_report(bool report_written, int status) {
    return report_written || stop_request() == 0 ? status : status_stop_signal;
}

[[noreturn]] void end_with_report(const char* context, const char* description) {
    begin_ending();
    statement_state().busy = false;
    // The console lines already written come before the report.
    unit_entry(output_unit).stream.flush();
    const bool written = write_fatal_report(context, description);
    close_all(CloseAll::quiet);
    ::_exit(status_after_report(written, status_fatal_report));
}

}  // namespace

void fatal_error(int number, const char* context) {
    const char* message = runtime_error_message(number);
    end_with_report(context, message != nullptr ? message : "unknown error");
}

void fatal_system_error(int error_number, const char* context) {
    end_with_report(context, std::strerror(error_number));
}

void act_on_stop_request() {
    begin_ending();
    acting_on_stop = true;
    // The console lines already written come before the report.
    unit_entry(output_unit).stream.flush();
    const int signal_number = stop_request();
    write_signal_report(signal_number);
    close_all(CloseAll::quiet);
    ::_exit(signal_number == SIGHUP ? status_hang_up : status_stop_signal);
}

void end_on_abnormal_signal(int signal_number) {
    begin_ending();
    // Called at a section's end, the signals are not blocked yet.
    block_abnormal_signals();
    unit_entry(output_unit).stream.flush(Stream::Waiting::never);
    const bool written = write_signal_report(signal_number);
    close_all(CloseAll::signal_handler);
    ::_exit(status_after_report(written, status_signal_base + signal_number));
}

}  // namespace textio
