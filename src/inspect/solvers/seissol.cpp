// SeisSol's converter rconv (SRF to NRF): a file with a PLANE block gives
// no source at all; a point's first line has exactly 8 fields (1.0) or 10
// (2.0); comments and every POINTS block are read; the slip is the
// samples' integral, SLIP1 unread.
#include "inspect/solver_reader.hpp"

namespace exp_slipv {
namespace {

Verdict judge(const SrfFacts& f) {
    Verdict v;
    judge_shared_rules(f, v);
    if (f.plane) v.cannot("a PLANE block (line " + std::to_string(f.plane_line) + ") makes it read no source at all");
    if (f.findings.has(Finding::fields_not_version))
        v.cannot("it needs exactly 8 fields on a point's first line for 1.0 and 10 for 2.0 " +
                 where(f, Finding::fields_not_version));
    if (f.findings.has(Finding::normalised_samples))
        v.but("it takes the slip from the samples: normalised samples give 1 cm " +
              where(f, Finding::normalised_samples));
    if (f.findings.has(Finding::samples_not_slip))
        v.but("it takes the slip from the samples, whose integral is not SLIP " + where(f, Finding::samples_not_slip));
    if (f.findings.has(Finding::zero_samples_with_slip))
        v.but("it takes the slip from the samples: points whose samples are all 0 lose their slip " +
              where(f, Finding::zero_samples_with_slip));
    if (f.findings.has(Finding::slip_without_samples))
        v.but("it takes the slip from the samples: points with SLIP and NT = 0 lose their slip " +
              where(f, Finding::slip_without_samples));
    return v;
}

constexpr SolverReader reader{.name = "SeisSol", .input = "rconv", .rank = 2, .judge = judge};
const bool registered = register_solver_reader(reader);

}  // namespace
}  // namespace exp_slipv
