// For SW4's rupture command: it requires the PLANE block on the second line,
// refuses comment lines and reads the first POINTS block only.
#include "srf/srf_layout.hpp"

namespace exp_slipv {
namespace {
constexpr SrfLayout layout{.name = "srf-sw4",
                           .file_name = "Exp_Rupture_sw4.srf",
                           .reader = "SW4",
                           .rank = 1,
                           .version_2 = true,
                           .plane = true,
                           .provenance = false,
                           .block_per_segment = false};
const bool registered = register_srf_layout(layout);
}  // namespace
}  // namespace exp_slipv
