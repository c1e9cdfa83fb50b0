#include "source/brune.hpp"

#include <cmath>

#include "complex_arithmetic.hpp"

namespace exp_slipv {

namespace {

// Below this x the slip is summed as a series of positive terms; above it
// (1 + x) e^(-x) is at most 0.41, and 1 minus it loses under one bit.
constexpr double series_limit = 2.0;
// Terms x^k/k! of the series beyond this add nothing at x <= 2: 2^27/27! is
// 1e-20 of the sum.
constexpr int series_terms = 27;

}  // namespace

double brune_slip_fraction(double x) {
    if (!(x > 0.0)) return 0.0;
    if (x > series_limit) return 1.0 - (1.0 + x) * std::exp(-x);
    // 1 - (1 + x) e^(-x) = e^(-x) (e^x - 1 - x) = e^(-x) sum_{k>=2} x^k / k!,
    // every term positive, so nothing cancels however small x is.  Nested,
    //   (x^2/2) (1 + x/3 (1 + x/4 (1 + ... (1 + x/n)))),
    // the rounding of each inner bracket reaches the sum scaled down.
    double inner = 1.0;
    for (int k = series_terms; k >= 3; --k) inner = 1.0 + x / k * inner;
    return x * x / 2.0 * inner * std::exp(-x);
}

double BruneSource::velocity(double t) const { return t / (std::exp(t / tau_) * tau2_); }

double BruneSource::slip(double t) const { return brune_slip_fraction(t / tau_); }

double BruneSource::initial_acceleration() const { return 1.0 / tau_ / tau_; }

double BruneSource::amplitude(double omega) const {
    using namespace complex_arithmetic;
    const Complex im{0.0, 1.0};
    const Complex one{1.0, 0.0};
    const Complex z = subtract(one, multiply(multiply(Complex{omega, 0.0}, im), Complex{tau_, 0.0}));
    return modulus(reciprocal(multiply(z, z)));
}

std::vector<SourceParameter> BruneSource::parameters() const { return {{" Tau(s) =", tau_, "tau", "s"}}; }

}  // namespace exp_slipv
