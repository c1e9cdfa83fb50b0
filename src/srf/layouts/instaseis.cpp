// For Instaseis: version 1.0, whose point lines have exactly the 8 fields
// its reader takes; no PLANE block, one POINTS block.
#include "srf/srf_layout.hpp"

namespace exp_slipv {
namespace {
constexpr SrfLayout layout{.name = "srf-instaseis",
                           .file_name = "Exp_Rupture_instaseis.srf",
                           .reader = "Instaseis",
                           .rank = 3,
                           .version_2 = false,
                           .plane = false,
                           .provenance = false,
                           .block_per_segment = false};
const bool registered = register_srf_layout(layout);
}  // namespace
}  // namespace exp_slipv
