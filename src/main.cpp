#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "command_line.hpp"
#include "exp_slipv.hpp"
#include "run_warnings.hpp"
#include "textio/errors.hpp"
#include "textio/run_frame.hpp"
#include "textio/units.hpp"

namespace {

// Writes all of the text; false with errno set when a write fails.
bool write_all(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t count = ::write(fd, text.data() + done, text.size() - done);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) return false;
        done += static_cast<std::size_t>(count);
    }
    return true;
}

// The help or the version on standard output; a failed write is reported.
int print_information(const std::string& text) {
    if (write_all(STDOUT_FILENO, text)) return EXIT_SUCCESS;
    const std::string report = std::string(exp_slipv::program_name) + ": write error: " + std::strerror(errno) + "\n";
    (void)write_all(STDERR_FILENO, report);
    return textio::status_fatal_report;
}

int run_program(int argc, char** argv) {
    using exp_slipv::CommandLine;
    const CommandLine line = exp_slipv::parse_command_line(argc, argv);
    switch (line.action) {
        case CommandLine::Action::help: return print_information(exp_slipv::help_text());
        case CommandLine::Action::version: return print_information(exp_slipv::version_text());
        case CommandLine::Action::usage_error:
            (void)write_all(STDERR_FILENO, exp_slipv::usage_error_text(line.error));
            return exp_slipv::status_usage;
        case CommandLine::Action::run: break;
    }
    // Warnings cannot be reported when standard error fails; the run goes on.
    for (const std::string& warning : exp_slipv::run_warnings(line.parameters)) (void)write_all(STDERR_FILENO, warning);

    textio::start_up(argc, argv);
    exp_slipv::run(line.parameters);
}

}  // namespace

int main(int argc, char** argv) {
    // Memory that runs out in a container of the standard library is a
    // report like any other, never an uncaught exception.
    try {
        return run_program(argc, argv);
    } catch (const std::bad_alloc&) {
        if (textio::unit_table_ready()) textio::fatal_error(textio::err_no_space, "malloc failure");
        (void)write_all(STDERR_FILENO, std::string(exp_slipv::program_name) + ": out of free space\n");
        return textio::status_fatal_report;
    }
}
