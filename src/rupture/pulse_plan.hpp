// How each pulse of a rupture is sampled at dt for its SRF points: the
// samples v(k dt), k = 0 .. K, the last written as 0, where K is the first
// sample at or after the end of a finite pulse or the first where
// 1 - s < 1e-5 for an endless one; scaled so that dt times their sum is 1.
// Worked out once per distinct pulse, on every core.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "model/subfault.hpp"

namespace exp_slipv {

inline constexpr double endless_cut = 1e-5;
inline constexpr std::int64_t max_pulse_samples = 16777216;  // 2^24
// Unit samples kept for pulses that many points share, at most this many.
inline constexpr std::size_t sample_cache_limit = 2 * 1024 * 1024;

struct PulsePlan {
    std::int64_t last = 0;    // K: samples 0 .. K, the last written as 0
    double scale = 1.0;       // 1 / (dt sum of v(k dt), k < K)
    double correction = 0.0;  // |dt sum - 1|, the sampling's error before the scaling
    double rise_time_95 = 0.0;  // s, where s reaches 0.95
    std::vector<double> unit_samples;  // v(k dt) scale, k = 0 .. K, where kept
    double end_time() const;  // K dt, set with the plan
    double dt = 0.0;
};

// "triangle, duration = 0.05 s, peak_ratio = 0.5": a pulse as the
// transcript and the refusals name it.
std::string describe_pulse(const Source& source);

class PulsePlans {
public:
    // Plans every pulse of the model's subfaults with slip; a pulse with
    // no sample above 0, or too many samples, is a ModelError at the first
    // subfault that has it.
    PulsePlans(const RuptureModel& model, double dt, int threads);

    const PulsePlan& of(const Source& source) const { return plans_.at(&source); }
    // A subfault's samples, cm/s: slip (cm) times the unit samples; none for
    // no slip.
    void samples(const Subfault& subfault, std::vector<double>& out) const;
    std::int64_t sample_count(const Subfault& subfault) const;
    double dt() const { return dt_; }

private:
    double dt_;
    std::unordered_map<const Source*, PulsePlan> plans_;
};

}  // namespace exp_slipv
