#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <string_view>

#include "command_line.hpp"
#include "exp_slipv.hpp"
#include "inspect/inspect_run.hpp"
#include "program_messages.hpp"
#include "rupture/rupture_run.hpp"
#include "run_warnings.hpp"
#include "textio/errors.hpp"
#include "textio/run_frame.hpp"
#include "textio/units.hpp"

namespace {

using exp_slipv::print_information;
using exp_slipv::write_all;

// The first word chooses the mode; without one, the single pulse.
constexpr std::string_view rupture_mode = "rupture";
constexpr std::string_view inspect_mode = "inspect";

int run_program(int argc, char** argv) {
    if (argc > 1 && argv[1] == rupture_mode) return exp_slipv::rupture_main(argc - 1, argv + 1);
    if (argc > 1 && argv[1] == inspect_mode) return exp_slipv::inspect_main(argc - 1, argv + 1);
    using exp_slipv::CommandLine;
    const CommandLine line = exp_slipv::parse_command_line(argc, argv);
    switch (line.action) {
        case CommandLine::Action::help: return print_information(exp_slipv::help_text());
        case CommandLine::Action::version: return print_information(exp_slipv::version_text());
        case CommandLine::Action::usage_error: return exp_slipv::report_usage_error(line.error);
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
