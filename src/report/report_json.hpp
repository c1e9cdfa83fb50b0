// The report as JSON, for scripts: every figure under a key that names its
// unit (_s, _hz, _per_s; slip in unit slip; ratios relative).
#pragma once

#include <string>

#include "report/run_report.hpp"

namespace exp_slipv {

std::string report_json(const RunReport& report);

}  // namespace exp_slipv
