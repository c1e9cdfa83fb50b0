#include "inspect/inspection.hpp"

#include "figure_text.hpp"

#include <algorithm>
#include <bitset>
#include <cmath>

namespace exp_slipv {

namespace {

constexpr double pa_per_cgs_rigidity = 0.1;  // dyne/cm^2 to Pa
constexpr double m2_per_cm2 = 1e-4;
constexpr double m_per_cm = 1e-2;


}  // namespace

void Inspection::version(const std::string& text, std::int64_t line) {
    facts_.version = text;
    if (text.empty())
        facts_.findings.add(Finding::no_version, 1);
    else if (text != "1.0" && text != "2.0")
        facts_.findings.add(Finding::other_version, line, "version " + text);
}

void Inspection::plane(std::int64_t segments, std::int64_t line) {
    facts_.plane = true;
    facts_.plane_line = line;
    facts_.plane_segments = segments;
}

void Inspection::points_block(std::int64_t, std::int64_t) { ++facts_.blocks; }

void Inspection::block_end(std::int64_t declared, std::int64_t found, std::int64_t line) {
    const bool cut_short = truncated_in_block_;
    truncated_in_block_ = false;
    if (found == declared) {
        // A truncated record after the declared points: never read.
        if (cut_short) ++facts_.points_beyond_declared;
        return;
    }
    facts_.findings.add(Finding::point_count, line,
                        "POINTS " + std::to_string(declared) + " at line " + std::to_string(line) + ", " +
                            std::to_string(found) + " complete points in the block");
    if (found < declared)
        ++facts_.short_blocks;
    else
        facts_.points_beyond_declared += static_cast<std::uint64_t>(found - declared) + (cut_short ? 1 : 0);
}

void Inspection::truncated(std::int64_t line) {
    facts_.findings.add(Finding::truncated_record, line);
    truncated_in_block_ = true;
}
void Inspection::comment_line(std::int64_t line) { facts_.findings.add(Finding::comment_lines, line); }
void Inspection::blank_at_line_end(std::int64_t line) { facts_.findings.add(Finding::blank_at_line_end, line); }
void Inspection::long_line(std::int64_t line, std::uint64_t characters) {
    facts_.findings.add(Finding::long_line, line, std::to_string(characters) + " characters");
}
void Inspection::leading_zero(std::int64_t line, const std::string& field) {
    facts_.findings.add(Finding::leading_zero, line, "'" + field + "'");
}

void Inspection::point(const SrfPoint& p) {
    ++facts_.points;
    if (p.block == 0) ++facts_.points_first_block;
    ++(p.fields == 10 ? facts_.ten_fields : facts_.eight_fields);
    const bool version_2 = facts_.version == "2.0";
    if ((p.fields == 10) != version_2)
        facts_.findings.add(Finding::fields_not_version, p.line,
                            std::to_string(p.fields) + " fields in a version " + (version_2 ? "2.0" : "1.0") + " file");
    check_samples(p);
    add_moment(p);
}

// Each finding counts a point once, whichever of its components shows it.
void Inspection::check_samples(const SrfPoint& p) {
    std::bitset<finding_kinds> seen;
    std::string detail[finding_kinds];
    const auto note = [&](Finding f, std::string text = {}) {
        const auto i = static_cast<std::size_t>(f);
        if (!seen[i]) detail[i] = std::move(text);
        seen.set(i);
    };
    sums_ = {0.0, 0.0, 0.0};
    for (std::size_t c = 0; c < 3; ++c) {
        const std::vector<double>& s = p.samples[c];
        const double slip = p.slip_cm[c];
        if (c == 1 && (!s.empty() || slip != 0.0)) note(Finding::u2_used);
        if (c == 2 && (!s.empty() || slip != 0.0)) note(Finding::u3_used);
        if (s.empty()) {
            if (slip != 0.0) note(Finding::slip_without_samples);
            continue;
        }
        double sum = 0.0;
        bool negative = false;
        for (double v : s) {
            sum += v;
            negative |= v < 0.0;
        }
        sums_[c] = sum;
        const double area = p.dt_s * sum;
        const std::string u = "u" + std::to_string(c + 1) + ": ";
        if (sum == 0.0 && std::all_of(s.begin(), s.end(), [](double v) { return v == 0.0; })) {
            note(slip != 0.0 ? Finding::zero_samples_with_slip : Finding::zero_samples_without_slip);
            continue;
        }
        if (std::fabs(area - 1.0) <= sum_tolerance && std::fabs(slip - 1.0) > sum_tolerance)
            note(Finding::normalised_samples, u + "DT sum " + figure_text(area) + ", SLIP " + figure_text(slip));
        else if (std::fabs(area - slip) > sum_tolerance * std::max(std::fabs(slip), std::fabs(area)))
            note(Finding::samples_not_slip, u + "DT sum " + figure_text(area) + ", SLIP " + figure_text(slip));
        if (s.front() != 0.0) note(Finding::first_sample_not_zero, u + "first " + figure_text(s.front()));
        if (s.back() != 0.0) note(Finding::last_sample_not_zero, u + "last " + figure_text(s.back()));
        if (negative) note(Finding::negative_rates);
    }
    if (!p.samples[0].empty() || !p.samples[1].empty() || !p.samples[2].empty()) {
        if (first_dt_ == 0.0) {
            first_dt_ = p.dt_s;
            first_dt_line_ = p.line;
        } else if (p.dt_s != first_dt_) {
            note(Finding::several_dt,
                 "DT " + figure_text(first_dt_) + " at line " + std::to_string(first_dt_line_) + ", " + figure_text(p.dt_s) + " here");
        }
    }
    for (std::size_t i = 0; i < finding_kinds; ++i)
        if (seen[i]) facts_.findings.add(static_cast<Finding>(i), p.line, detail[i]);
}

// mu AREA |(SLIP1, SLIP2)|; u3 opens the fault and adds no shear moment.
// The rates are each component's samples scaled to DT sum = SLIP, as the
// readers that take the slip from SLIP use them, then joined as a vector.
void Inspection::add_moment(const SrfPoint& p) {
    double mu = rigidity_pa_;
    if (p.fields == 10) {
        if (p.vs_cm_s > 0.0 && p.den_g_cm3 > 0.0)
            mu = p.vs_cm_s * p.vs_cm_s * p.den_g_cm3 * pa_per_cgs_rigidity;
        else
            facts_.findings.add(Finding::rigidity_assumed, p.line);
    }
    const double slip = std::hypot(p.slip_cm[0], p.slip_cm[1]);
    const double area_factor = mu * p.area_cm2 * m2_per_cm2 * m_per_cm;  // N m per cm of slip
    moment_.total_nm += area_factor * slip;
    if (slip > 0.0) {
        ++facts_.points_with_slip;
        const std::size_t n = std::max(p.samples[0].size(), p.samples[1].size());
        const double end = p.tinit_s + (n > 0 ? static_cast<double>(n - 1) * p.dt_s : 0.0);
        moment_.first_onset_s = any_slip_ ? std::min(moment_.first_onset_s, p.tinit_s) : p.tinit_s;
        moment_.end_s = any_slip_ ? std::max(moment_.end_s, end) : end;
        any_slip_ = true;
    }
    double scale[2] = {0.0, 0.0};
    for (std::size_t c = 0; c < 2; ++c)
        if (sums_[c] != 0.0) scale[c] = std::fabs(p.slip_cm[c]) / (p.dt_s * sums_[c]);
    if (p.samples[1].empty()) {
        rate_.add(p.samples[0], p.tinit_s, p.dt_s, area_factor * scale[0], p.line);
        return;
    }
    combined_.assign(std::max(p.samples[0].size(), p.samples[1].size()), 0.0);
    for (std::size_t k = 0; k < combined_.size(); ++k) {
        const double r1 = k < p.samples[0].size() ? p.samples[0][k] * scale[0] : 0.0;
        const double r2 = k < p.samples[1].size() ? p.samples[1][k] * scale[1] : 0.0;
        combined_[k] = std::hypot(r1, r2);
    }
    rate_.add(combined_, p.tinit_s, p.dt_s, area_factor, p.line);
}

}  // namespace exp_slipv
