// The main routine: the whole run, from the banner to the final pause.
#pragma once

#include <cstdint>

namespace exp_slipv {

// Runs once and ends through the stop; does not return.
[[noreturn]] void run();

// The capacity guard: a transform length the working arrays cannot hold
// prints its warning line and stops the run with a failure status.
void check_capacity(std::int32_t nfast);

}  // namespace exp_slipv
