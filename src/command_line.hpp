// The command line: GNU-style options, read with getopt_long.
#pragma once

#include <string>

#include "parameters.hpp"

namespace exp_slipv {

// The name in every message, however the program was invoked.
inline constexpr const char* program_name = "exp-slipv";

// Exit status of a command line that cannot be used.
inline constexpr int status_usage = 64;

struct CommandLine {
    enum class Action { run, help, version, usage_error };
    Action action = Action::run;
    Parameters parameters;
    std::string error;  // usage_error: the first line of the report, without the name
};

// Reads the options in order; the first that cannot be used, a help or a
// version option ends the reading.  Touches nothing but the output
// directory's status.
CommandLine parse_command_line(int argc, char** argv);

std::string help_text();
std::string version_text();
// The two lines of a usage error.
std::string usage_error_text(const std::string& error);

}  // namespace exp_slipv
