#include "inspect/srf_moment_rate.hpp"

#include <algorithm>
#include <cmath>
#include <string>

#include "model/model_error.hpp"
#include "source/source.hpp"

namespace exp_slipv {

namespace {

// Grid indices beyond this are refused before they become integers.
constexpr double farthest_index = 0x1p52;

std::int64_t index_at_or_after(double t, double dt) {
    auto k = static_cast<std::int64_t>(std::ceil(t / dt));
    while (sample_time(k - 1, dt) >= t) --k;
    while (sample_time(k, dt) < t) ++k;
    return k;
}

std::int64_t index_at_or_before(double t, double dt) {
    auto k = static_cast<std::int64_t>(std::floor(t / dt));
    while (sample_time(k + 1, dt) <= t) ++k;
    while (sample_time(k, dt) > t) --k;
    return k;
}

std::string too_long(double dt) {
    return "the moment rate would need more than " + std::to_string(max_moment_rate_samples) +
           " samples of dt = " + std::to_string(dt) + " s to reach this point";
}

}  // namespace

void SrfMomentRate::make_room(std::int64_t first, std::int64_t end, std::int64_t line) {
    if (!any_) {
        first_ = std::min<std::int64_t>(0, first);
        any_ = true;
    }
    const std::int64_t new_first = std::min(first_, first);
    const std::int64_t old_end = first_ + static_cast<std::int64_t>(rate_.size());
    const std::int64_t new_end = std::max(old_end, end);
    if (new_end - new_first > max_moment_rate_samples) throw ModelError{line, too_long(dt_)};
    if (new_first < first_) {
        const auto extra = static_cast<std::size_t>(first_ - new_first);
        rate_.insert(rate_.begin(), extra, 0.0);
        moment_.insert(moment_.begin(), extra, 0.0);
        completed_.insert(completed_.begin(), extra, 0.0);
        first_ = new_first;
    }
    const auto size = static_cast<std::size_t>(new_end - first_);
    rate_.resize(size, 0.0);
    moment_.resize(size, 0.0);
    completed_.resize(size, 0.0);
}

void SrfMomentRate::add(const std::vector<double>& r, double tinit, double dt_s, double factor, std::int64_t line) {
    if (r.empty()) return;
    if (dt_ <= 0.0) dt_ = dt_s;
    const std::size_t n = r.size();
    const double end = tinit + static_cast<double>(n - 1) * dt_s;
    if (!(std::fabs(tinit / dt_) < farthest_index && std::fabs(end / dt_) < farthest_index))
        throw ModelError{line, too_long(dt_)};
    const std::int64_t lo = index_at_or_after(tinit, dt_);
    const std::int64_t hi = index_at_or_before(end, dt_);
    // One sample past the end: the record ends at rest, and the point's
    // whole moment counts from there.
    make_room(std::min(lo, hi + 1), hi + 2, line);

    const double per_sample = 1.0 / dt_s;
    double trapezoids = 0.0;  // the samples' integral up to sample k, in DT
    std::size_t k = 0;
    for (std::int64_t j = lo; j <= hi; ++j) {
        const double u = (sample_time(j, dt_) - tinit) * per_sample;
        double value = r[0], within = 0.0;
        if (n > 1) {
            const auto at = static_cast<std::size_t>(std::clamp(std::floor(u), 0.0, static_cast<double>(n - 2)));
            for (; k < at; ++k) trapezoids += 0.5 * (r[k] + r[k + 1]);
            const double frac = u - static_cast<double>(k);
            const double step = r[k + 1] - r[k];
            value = r[k] + frac * step;
            within = frac * r[k] + 0.5 * frac * frac * step;
        }
        const auto i = static_cast<std::size_t>(j - first_);
        rate_[i] += factor * value;
        moment_[i] += factor * dt_s * (trapezoids + within);
    }
    for (; k + 1 < n; ++k) trapezoids += 0.5 * (r[k] + r[k + 1]);
    completed_[static_cast<std::size_t>(hi + 1 - first_)] += factor * dt_s * trapezoids;
}

MomentRate SrfMomentRate::finish() && {
    MomentRate result;
    result.dt = dt_ > 0.0 ? dt_ : 1.0;
    if (!any_) {
        result.rate.assign(1, 0.0);
        result.moment.assign(1, 0.0);
        return result;
    }
    double ended = 0.0;
    for (std::size_t i = 0; i < moment_.size(); ++i) {
        ended += completed_[i];
        moment_[i] += ended;
    }
    result.first_index = first_;
    result.rate = std::move(rate_);
    result.moment = std::move(moment_);
    return result;
}

}  // namespace exp_slipv
