#include "inspect/findings.hpp"

namespace exp_slipv {

namespace {

// In the order of the enumeration.
constexpr std::array<FindingText, finding_kinds> texts{{
    {"no_version", "no version line: read as 1.0", ""},
    {"other_version", "a version other than 1.0 and 2.0", ""},
    {"comment_lines", "'#' comment lines", "lines"},
    {"point_count", "a POINTS count that is not the number of points in its block", "blocks"},
    {"truncated_record", "the file ends inside a point record", "points"},
    {"fields_not_version", "point lines whose field count is not their version's (8 for 1.0, 10 for 2.0)", "points"},
    {"normalised_samples", "normalised samples: DT times their sum is 1, not SLIP", "points"},
    {"samples_not_slip", "DT times the sum of the samples differs from SLIP by more than 1e-3 of it", "points"},
    {"slip_without_samples", "slip with no samples (NT = 0)", "points"},
    {"zero_samples_with_slip", "slip with every sample 0", "points"},
    {"zero_samples_without_slip", "samples all 0 and no slip: NT could be 0", "points"},
    {"first_sample_not_zero", "the first sample is not 0: the slip starts with a jump", "points"},
    {"last_sample_not_zero", "the last sample is not 0: the record ends while slipping", "points"},
    {"negative_rates", "negative slip rates", "points"},
    {"u2_used", "u2 slip (along RAKE + 90 degrees)", "points"},
    {"u3_used", "u3 slip (opening, normal to the fault): no shear moment", "points"},
    {"several_dt", "DT differs between points", "points"},
    {"blank_at_line_end", "lines ending in a blank or tab", "lines"},
    {"long_line", "lines of 1024 characters or more", "lines"},
    {"leading_zero", "integers with a leading 0", "lines"},
    {"rigidity_assumed", "VS or DEN not positive: the rigidity option's value taken", "points"},
}};

}  // namespace

const FindingText& finding_text(Finding finding) { return texts[static_cast<std::size_t>(finding)]; }

void Findings::add(Finding finding, std::int64_t line, const std::string& detail) {
    FindingRecord& r = records_[static_cast<std::size_t>(finding)];
    if (r.count == 0) r.detail = detail;
    ++r.count;
    if (r.lines.size() < lines_kept) r.lines.push_back(line);
}

bool Findings::empty() const {
    for (const FindingRecord& r : records_)
        if (r.count > 0) return false;
    return true;
}

}  // namespace exp_slipv
