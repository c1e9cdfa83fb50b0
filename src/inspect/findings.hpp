// What an inspection finds in an SRF: each finding with how often it
// occurs, the lines of its first occurrences and a word on the first.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace exp_slipv {

enum class Finding {
    no_version,
    other_version,
    comment_lines,
    point_count,
    truncated_record,
    fields_not_version,
    normalised_samples,
    samples_not_slip,
    slip_without_samples,
    zero_samples_with_slip,
    zero_samples_without_slip,
    first_sample_not_zero,
    last_sample_not_zero,
    negative_rates,
    u2_used,
    u3_used,
    several_dt,
    blank_at_line_end,
    long_line,
    leading_zero,
    rigidity_assumed,
};
inline constexpr std::size_t finding_kinds = static_cast<std::size_t>(Finding::rigidity_assumed) + 1;

struct FindingText {
    const char* key;   // in the report file
    const char* what;  // a line of the console's list
    const char* unit;  // what the count counts: "points", "lines", "blocks", ""
};
const FindingText& finding_text(Finding finding);

struct FindingRecord {
    std::uint64_t count = 0;
    std::vector<std::int64_t> lines;  // of the first few
    std::string detail;               // about the first, where there is more to say
};

class Findings {
public:
    static constexpr std::size_t lines_kept = 5;

    void add(Finding finding, std::int64_t line, const std::string& detail = {});
    bool has(Finding finding) const { return at(finding).count > 0; }
    const FindingRecord& at(Finding finding) const { return records_[static_cast<std::size_t>(finding)]; }
    bool empty() const;

private:
    std::array<FindingRecord, finding_kinds> records_;
};

}  // namespace exp_slipv
