// The main routine: the whole run, from the banner to the final pause.
#pragma once

#include <cstdint>

#include "parameters.hpp"

namespace exp_slipv {

// Runs once and ends through the stop; does not return.
[[noreturn]] void run(const Parameters& parameters);

// The capacity guard: a transform length the working arrays (of mom
// elements) cannot hold prints its warning line and stops the run with a
// failure status.
void check_capacity(std::int32_t nfast, std::int32_t mom);

}  // namespace exp_slipv
