// For other tools: SRF 2.0 with a PLANE entry and a POINTS block per
// segment, and where it came from as '#' lines after the version.
#include "srf/srf_layout.hpp"

namespace exp_slipv {
namespace {
constexpr SrfLayout layout{.name = "srf",
                           .file_name = "Exp_Rupture.srf",
                           .reader = "SRF exchange (2.0, a block per segment)",
                           .rank = 0,
                           .version_2 = true,
                           .plane = true,
                           .provenance = true,
                           .block_per_segment = true};
const bool registered = register_srf_layout(layout);
}  // namespace
}  // namespace exp_slipv
