#include "moment/moment_series.hpp"

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>
#include <memory>

#include "dwvfast.hpp"
#include "source/source.hpp"

namespace exp_slipv {

double moment_sample_time(const MomentRate& rate, std::size_t k) {
    return sample_time(rate.first_index + static_cast<std::int64_t>(k), rate.dt);
}

MomentSpectrum sampled_moment_spectrum(const MomentRate& rate) {
    using Complex = std::complex<double>;
    MomentSpectrum result;
    std::size_t nfast = 2;
    while (nfast < rate.rate.size()) nfast *= 2;
    result.df = 1.0 / (static_cast<double>(nfast) * rate.dt);
    const std::size_t bins = nfast / 2 + 1;
    std::unique_ptr<Complex[]> a(new Complex[nfast]());
    std::copy(rate.rate.begin(), rate.rate.end(), a.get());
    dwvfast(static_cast<int>(nfast), a.get(), static_cast<int>(nfast) + 1, -1);
    result.sampled.resize(bins);
    for (std::size_t j = 0; j < bins; ++j) result.sampled[j] = std::abs(a[j]) * rate.dt;
    return result;
}

SeriesFigures series_figures(const MomentRate& rate) {
    SeriesFigures f;
    double weighted = 0.0, sum = 0.0;
    for (std::size_t k = 0; k < rate.rate.size(); ++k) {
        const double t = moment_sample_time(rate, k);
        weighted += t * rate.rate[k];
        sum += rate.rate[k];
        if (rate.rate[k] > f.peak_rate) {
            f.peak_rate = rate.rate[k];
            f.peak_time_s = t;
        }
    }
    f.centroid_time_s = sum > 0.0 ? weighted / sum : 0.0;
    return f;
}

double moment_magnitude(double moment_nm) {
    return moment_nm > 0.0 ? 2.0 / 3.0 * (std::log10(moment_nm) - 9.1) : -std::numeric_limits<double>::infinity();
}

}  // namespace exp_slipv
