#include "report/reference_transform.hpp"

#include <cmath>
#include <numbers>

namespace exp_slipv {

namespace {

using Wide = long double;
using WideComplex = std::complex<Wide>;

constexpr Wide wide_pi = std::numbers::pi_v<Wide>;

// Above this many sample-bin products the sums would take too long: a
// transform in extended precision takes over.
constexpr std::int64_t direct_sum_budget = std::int64_t{1} << 27;

// sum_k x_k z^k by Horner's rule, from the last sample down.
WideComplex horner(const double* x, std::int64_t count, WideComplex z) {
    WideComplex sum = 0.0L;
    for (std::int64_t k = count - 1; k >= 0; --k) sum = sum * z + static_cast<Wide>(x[k]);
    return sum;
}

// In-place radix-2 transform of length n (a power of two), sign -1, with
// every twiddle factor from the full-precision pi directly.
void wide_transform(std::vector<WideComplex>& a) {
    const std::size_t n = a.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (std::size_t length = 2; length <= n; length <<= 1) {
        const std::size_t half = length / 2;
        for (std::size_t m = 0; m < half; ++m) {
            const Wide angle = -2.0L * wide_pi * static_cast<Wide>(m) / static_cast<Wide>(length);
            const WideComplex w{std::cos(angle), std::sin(angle)};
            for (std::size_t start = 0; start < n; start += length) {
                const WideComplex u = a[start + m], v = a[start + m + half] * w;
                a[start + m] = u + v;
                a[start + m + half] = u - v;
            }
        }
    }
}

}  // namespace

std::vector<double> reference_amplitudes(const double* samples, std::int64_t count, std::int64_t support,
                                         std::int64_t n, double dt) {
    const std::int64_t used = std::min(count, support);
    const std::int64_t bins = n / 2 + 1;
    std::vector<double> amplitudes(static_cast<std::size_t>(bins));
    if (used <= 0) return amplitudes;
    if (used * bins <= direct_sum_budget) {
        for (std::int64_t j = 0; j < bins; ++j) {
            const Wide angle = -2.0L * wide_pi * static_cast<Wide>(j) / static_cast<Wide>(n);
            amplitudes[static_cast<std::size_t>(j)] =
                static_cast<double>(std::abs(horner(samples, used, {std::cos(angle), std::sin(angle)})) * dt);
        }
        return amplitudes;
    }
    std::vector<WideComplex> a(static_cast<std::size_t>(n));
    for (std::int64_t k = 0; k < used; ++k) a[static_cast<std::size_t>(k)] = static_cast<Wide>(samples[k]);
    wide_transform(a);
    for (std::int64_t j = 0; j < bins; ++j)
        amplitudes[static_cast<std::size_t>(j)] = static_cast<double>(std::abs(a[static_cast<std::size_t>(j)]) * dt);
    return amplitudes;
}

std::complex<double> sample_sum(const std::vector<double>& samples, double dt, double omega) {
    const Wide angle = -static_cast<Wide>(omega) * static_cast<Wide>(dt);
    const WideComplex sum =
        horner(samples.data(), static_cast<std::int64_t>(samples.size()), {std::cos(angle), std::sin(angle)});
    return {static_cast<double>(sum.real() * dt), static_cast<double>(sum.imag() * dt)};
}

}  // namespace exp_slipv
