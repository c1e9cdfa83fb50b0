// The slip histories of a run: the sampled velocity, the trapezoidal slip
// and the backward-difference acceleration, the rules the slip file writes
// and the report measures.
#pragma once

#include <cstdint>

#include "parameters.hpp"
#include "source/source.hpp"

namespace exp_slipv {

// The source's velocity at t = (i-1) dt, for i = 1 .. nt.
inline void sample_velocity(double* svwave, const Parameters& p, const Source& source) { source.sample(svwave, p.nt, p.dt); }

// Calls record(t, v, slip, acceleration) for every sample in order.  The
// first carries the source's exact initial acceleration (1/tau^2 for Brune); later
// ones the trapezoidal slip and the backward-difference acceleration.
template <typename Record>
void for_each_record(const double* svwave, const Parameters& p, const Source& source, Record&& record) {
    double svs = 0.0;
    double sva = source.initial_acceleration();
    record(0.0, svwave[0], svs, sva);
    for (std::int32_t i = 2; i <= p.nt; ++i) {
        const double t = sample_time(i - 1, p.dt);
        const double v = svwave[i - 1];
        const double previous = svwave[i - 2];
        svs = svs + (v + previous) * p.dt / 2.0;
        sva = (v - previous) / p.dt;
        record(t, v, svs, sva);
    }
}

}  // namespace exp_slipv
