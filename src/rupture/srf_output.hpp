// One SRF file of a rupture, written whole into a temporary file that
// replaces the named one when complete.  The points are formatted on every
// core, in pieces written out in order: the same bytes for any thread count.
#pragma once

#include <string>

#include "rupture/pulse_plan.hpp"
#include "srf/srf_text.hpp"

namespace exp_slipv {

void write_srf(int unit, const std::string& path, const SrfContent& content, const SrfLayout& layout,
               const PulsePlans& plans, int threads);

}  // namespace exp_slipv
