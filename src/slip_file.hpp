// The exponential slip functions and the slip file.
#pragma once

#include "parameters.hpp"

namespace exp_slipv {

// Samples the slip velocity into svwave[0 .. nt-1], derives slip and
// acceleration, and writes the three histories to the slip file.
void write_slip_file(double* svwave, const Parameters& parameters);

}  // namespace exp_slipv
