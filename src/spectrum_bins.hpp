// The bins of a run's spectrum: bin io (from 1) is the angular frequency
// (io - 1) dom; the spectrum file writes bins 2 .. nom, and the report
// measures them.  Both are built on the program's pi.
#pragma once

#include <cstdint>

#include "parameters.hpp"

namespace exp_slipv {

// The angular frequency of bin io, and a frequency in Hz.
inline double angular_frequency(std::int32_t io, double dom) { return static_cast<double>(io - 1) * dom; }
inline double hertz(double om) { return om / (pai + pai); }

}  // namespace exp_slipv
