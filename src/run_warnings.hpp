// Warnings about a run whose parameters make its output less useful; the
// run still goes on and writes both files.
#pragma once

#include <string>
#include <vector>

#include "parameters.hpp"

namespace exp_slipv {

// The warning lines for the parameters, each ending with a line end.
std::vector<std::string> run_warnings(const Parameters& parameters);

}  // namespace exp_slipv
