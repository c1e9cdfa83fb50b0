// SW4's rupture command: PLANE required on the second line, no comment
// lines, the first POINTS block only; fields split on blanks and tabs in
// lines read 1024 characters at a time; all-zero samples rescaled to unit
// area give NaN; integers read as C reads them, a leading 0 meaning octal.
#include "inspect/solver_reader.hpp"

namespace exp_slipv {
namespace {

constexpr std::int64_t plane_line = 2;

Verdict judge(const SrfFacts& f) {
    Verdict v;
    judge_shared_rules(f, v);
    if (!f.plane)
        v.cannot("it needs a PLANE block on line 2; the file has none");
    else if (f.plane_line != plane_line)
        v.cannot("it needs the PLANE block on line 2; here it is on line " + std::to_string(f.plane_line));
    if (f.findings.has(Finding::comment_lines)) v.cannot("it refuses '#' lines " + where(f, Finding::comment_lines));
    if (f.blocks > 1)
        v.but("it reads the first POINTS block only: " + count_of(f.points - f.points_first_block, "points") + " of " +
              std::to_string(f.points) + " in " + count_of(f.blocks - 1, "later blocks") + " are lost");
    if (f.findings.has(Finding::blank_at_line_end))
        v.but("a blank or tab at a line's end is read as one more field: the samples after it shift " +
              where(f, Finding::blank_at_line_end));
    if (f.findings.has(Finding::long_line))
        v.but("it cuts lines at 1024 characters: samples are lost and the rest shift " + where(f, Finding::long_line));
    if (f.findings.has(Finding::leading_zero))
        v.but("it reads an integer with a leading 0 as octal: a count changes and the records after it shift " +
              where(f, Finding::leading_zero));
    if (f.findings.has(Finding::zero_samples_with_slip))
        v.but("all-zero samples rescaled to unit area give NaN " + where(f, Finding::zero_samples_with_slip));
    if (f.findings.has(Finding::zero_samples_without_slip))
        v.but("all-zero samples rescaled to unit area give NaN, even without slip " +
              where(f, Finding::zero_samples_without_slip));
    return v;
}

constexpr SolverReader reader{.name = "SW4", .input = "rupture file=", .rank = 1, .judge = judge};
const bool registered = register_solver_reader(reader);

}  // namespace
}  // namespace exp_slipv
