// An SRF as the inspection sees it: the facts of its layout, the findings
// with their lines, the rupture's moment and its moment-rate function; all
// gathered in one pass over the file.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "inspect/findings.hpp"
#include "inspect/srf_moment_rate.hpp"
#include "srf/reading/srf_reader.hpp"

namespace exp_slipv {

inline constexpr double sum_tolerance = 1e-3;  // DT sum against SLIP, relative

struct SrfFacts {
    std::string version;            // as written; empty where there is no version line
    bool plane = false;
    std::int64_t plane_line = 0, plane_segments = 0;
    std::size_t blocks = 0;
    std::uint64_t points = 0;              // complete records
    std::uint64_t points_first_block = 0;  // of them, in the first block
    std::uint64_t points_with_slip = 0;
    std::uint64_t eight_fields = 0, ten_fields = 0;  // points by their first line
    // Blocks that end before their declared count (a reader runs on into
    // the next block or the end), and points beyond a declared count.
    std::uint64_t short_blocks = 0, points_beyond_declared = 0;
    Findings findings;
};

struct SrfMoment {
    double total_nm = 0.0;  // sum mu AREA |(SLIP1, SLIP2)|
    double first_onset_s = 0.0, end_s = 0.0;  // of the points with slip
};

class Inspection final : public SrfVisitor {
public:
    // rigidity_pa: mu where a point gives no VS and DEN; dt: the moment
    // rate's step, 0 for the first point's DT.
    Inspection(double rigidity_pa, double dt) : rigidity_pa_(rigidity_pa), rate_(dt) {}

    const SrfFacts& facts() const { return facts_; }
    const SrfMoment& moment() const { return moment_; }
    MomentRate moment_rate() && { return std::move(rate_).finish(); }

    void version(const std::string& text, std::int64_t line) override;
    void plane(std::int64_t segments, std::int64_t line) override;
    void points_block(std::int64_t declared, std::int64_t line) override;
    void block_end(std::int64_t declared, std::int64_t found, std::int64_t line) override;
    void point(const SrfPoint& point) override;
    void truncated(std::int64_t line) override;
    void comment_line(std::int64_t line) override;
    void blank_at_line_end(std::int64_t line) override;
    void long_line(std::int64_t line, std::uint64_t characters) override;
    void leading_zero(std::int64_t line, const std::string& field) override;

private:
    void check_samples(const SrfPoint& p);
    void add_moment(const SrfPoint& p);

    double rigidity_pa_;
    SrfFacts facts_;
    SrfMoment moment_;
    SrfMomentRate rate_;
    bool any_slip_ = false;
    bool truncated_in_block_ = false;
    double first_dt_ = 0.0;
    std::int64_t first_dt_line_ = 0;
    std::array<double, 3> sums_{};  // of each component's samples
    std::vector<double> combined_;  // u1 and u2 scaled and joined
};

}  // namespace exp_slipv
