// Instaseis' from_srf_file: exactly 8 fields on a point's first line (a 2.0
// line fails), PLANE and comments skipped, the first POINTS block only; u2
// turned by the wrong rake, u3 refused.
#include "inspect/solver_reader.hpp"

namespace exp_slipv {
namespace {

Verdict judge(const SrfFacts& f) {
    Verdict v;
    judge_shared_rules(f, v);
    if (f.ten_fields > 0)
        v.cannot("it needs exactly 8 fields on a point's first line; " + count_of(f.ten_fields, "points") +
                 " have 10 (VS and DEN)");
    if (f.findings.has(Finding::u3_used)) v.cannot("it refuses u3 slip " + where(f, Finding::u3_used));
    if (f.blocks > 1)
        v.but("it reads the first POINTS block only: " + count_of(f.points - f.points_first_block, "points") + " of " +
              std::to_string(f.points) + " in " + count_of(f.blocks - 1, "later blocks") + " are lost");
    if (f.findings.has(Finding::u2_used))
        v.but("it turns u2 slip by the wrong rake " + where(f, Finding::u2_used));
    return v;
}

constexpr SolverReader reader{.name = "Instaseis", .input = "from_srf_file", .rank = 3, .judge = judge};
const bool registered = register_solver_reader(reader);

}  // namespace
}  // namespace exp_slipv
