// The slip file: the source's sampled velocity, its slip and acceleration.
#pragma once

#include "parameters.hpp"
#include "source/source.hpp"

namespace exp_slipv {

// Samples the slip velocity into svwave[0 .. nt-1], derives slip and
// acceleration, and writes the three histories to the slip file.
void write_slip_file(double* svwave, const Parameters& parameters, const Source& source);

}  // namespace exp_slipv
