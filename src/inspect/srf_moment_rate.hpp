// The moment-rate function of an SRF's points, on a grid of step dt: each
// point's slip rates placed at TINIT + k DT and joined by straight lines,
// zero outside its first and last sample:
//
//   r1 .      .--.                     grid  |   |   |   |   |   |
//       \    /    \                    value = the line between the
//   r0 . '--'      '. r(n-1)                   samples on either side
//       TINIT       TINIT + (n-1) DT
//
// The moment column is the integral of that function, exact: within a
// point, the trapezoids of its samples up to the grid time.  Points are
// added in the file's order, each sum the same whatever else runs.
#pragma once

#include <cstdint>
#include <vector>

#include "moment/moment_series.hpp"

namespace exp_slipv {

inline constexpr std::int64_t max_moment_rate_samples = std::int64_t{1} << 24;

class SrfMomentRate {
public:
    // dt: the grid's step; 0 for the DT of the first point added.
    explicit SrfMomentRate(double dt) : dt_(dt) {}

    // Adds factor * r(t), r the samples at tinit + k dt_s.  A point that
    // would stretch the record beyond max_moment_rate_samples is a
    // ModelError at `line`.
    void add(const std::vector<double>& samples, double tinit, double dt_s, double factor, std::int64_t line);

    double dt() const { return dt_; }
    // The record, from its first grid time to one sample past the last
    // point's end; a single sample at 0 when nothing was added (step 1 s
    // where no point gave one).
    MomentRate finish() &&;

private:
    void make_room(std::int64_t first, std::int64_t end, std::int64_t line);  // grid indices [first, end)

    double dt_;
    bool any_ = false;
    std::int64_t first_ = 0;  // grid index of rate_[0]
    std::vector<double> rate_, moment_;
    std::vector<double> completed_;  // whole moments counted from this sample on
};

}  // namespace exp_slipv
