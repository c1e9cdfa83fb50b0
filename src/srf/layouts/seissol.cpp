// For SeisSol's converter: a PLANE block would make it read no source at
// all; version 2.0, so that mu comes from each point's VS and DEN.
#include "srf/srf_layout.hpp"

namespace exp_slipv {
namespace {
constexpr SrfLayout layout{.name = "srf-seissol",
                           .file_name = "Exp_Rupture_seissol.srf",
                           .reader = "SeisSol",
                           .rank = 2,
                           .version_2 = true,
                           .plane = false,
                           .provenance = false,
                           .block_per_segment = false};
const bool registered = register_srf_layout(layout);
}  // namespace
}  // namespace exp_slipv
