// The inspector's command line: exp-slipv inspect [OPTION]... FILE.srf.
#pragma once

#include <string>

#include "option_parsing.hpp"

namespace exp_slipv {

struct InspectOptions {
    double rigidity_pa = default_rigidity_pa;  // mu where a point gives no VS and DEN
    double dt = 0.0;                           // the moment rate's step; 0: the first point's DT
    std::string output_dir;                    // empty: the current directory
    bool report = false;
    int threads = 1;
    std::string srf_path;
};

struct InspectCommandLine {
    enum class Action { run, help, version, usage_error };
    Action action = Action::run;
    InspectOptions options;
    std::string error;  // usage_error: the first line of the report, without the name
};

// argv[0] is the mode's word, "inspect".
InspectCommandLine parse_inspect_command_line(int argc, char** argv);
std::string inspect_help_text();

}  // namespace exp_slipv
