// The rupture mode: a model in, SRF files, the moment-rate function and its
// spectrum out.
#pragma once

#include "rupture/rupture_command_line.hpp"

namespace exp_slipv {

// Exit status of a model that cannot be used.
inline constexpr int status_bad_model = 65;

// The whole mode from its command line (argv[0] = "rupture"); returns the
// exit status or ends the run itself.
int rupture_main(int argc, char** argv);

}  // namespace exp_slipv
