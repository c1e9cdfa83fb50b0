// The report block of the console, after the spectral parameters.
#pragma once

#include "report/run_report.hpp"

namespace exp_slipv {

void write_console_report(int unit, const RunReport& report);

}  // namespace exp_slipv
