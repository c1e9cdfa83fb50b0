// A moment-rate function sampled on a grid, its moment, its transform and
// the figures read off the samples: what every mode that ends in a moment
// rate writes and reports alike.
#pragma once

#include <cstdint>
#include <vector>

namespace exp_slipv {

struct MomentRate {
    double dt = 0.0;
    std::int64_t first_index = 0;  // sample k is at (first_index + k) dt
    std::vector<double> rate;      // N m/s
    std::vector<double> moment;    // N m released by each sample's time
};

// The time of sample k.
double moment_sample_time(const MomentRate& rate, std::size_t k);

struct MomentSpectrum {
    double df = 0.0;                // Hz
    std::vector<double> sampled;    // |dt sum M'(t_k) e^(-i omega t_k)|, the program's transform
    std::vector<double> closed;     // the closed form, where there is one; else empty
};

// Bins 0 .. nfast/2 of the program's transform of the samples, padded with
// zeros to the power of two nfast, scaled by dt; `closed` left empty.
MomentSpectrum sampled_moment_spectrum(const MomentRate& rate);

// Figures of the samples.
struct SeriesFigures {
    double centroid_time_s = 0.0;  // sum t M' / sum M' (0 when the sum is not positive)
    double peak_rate = 0.0, peak_time_s = 0.0;
};
SeriesFigures series_figures(const MomentRate& rate);

// Mw = 2/3 (log10 M0 - 9.1), M0 in N m; -infinity for no moment.
double moment_magnitude(double moment_nm);

}  // namespace exp_slipv
