// The rupture mode's command line: exp-slipv rupture [OPTION]... MODEL.
#pragma once

#include <string>
#include <vector>

#include "model/model_reader.hpp"
#include "option_parsing.hpp"
#include "srf/srf_layout.hpp"

namespace exp_slipv {

inline constexpr double default_rupture_dt = 0.01;    // s
inline constexpr double min_rupture_velocity = 1.0;    // m/s
inline constexpr double max_rupture_velocity = 1.0e5;

struct RuptureOptions {
    double dt = default_rupture_dt;
    ModelDefaults defaults;
    std::vector<const SrfLayout*> layouts;  // in the order given, each once
    std::string output_dir;                 // empty: the current directory
    bool report = false;
    int threads = 1;
    std::string model_path;
    std::string command;  // the command line as typed, for the provenance lines
};

struct RuptureCommandLine {
    enum class Action { run, help, version, usage_error };
    Action action = Action::run;
    RuptureOptions options;
    std::string error;  // usage_error: the first line of the report, without the name
};

// argv[0] is the mode's word, "rupture".
RuptureCommandLine parse_rupture_command_line(int argc, char** argv);
std::string rupture_help_text();

}  // namespace exp_slipv
