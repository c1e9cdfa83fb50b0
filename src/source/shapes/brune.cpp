#include "source/shapes/brune.hpp"

#include <cmath>
#include <numbers>

#include "complex_arithmetic.hpp"
#include "source/shape.hpp"
#include "source/shape_math.hpp"

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

double brune_rise_time_factor() {
    // Newton's method on f(x) = (1 + x) e^(-x) - 0.05, which falls and is
    // convex right of x = 1: from x = 1 the steps rise to the root without
    // passing it, and stop when rounding leaves nothing to gain.
    static const double factor = [] {
        constexpr double fraction_left = 0.05;
        double x = 1.0;
        for (int i = 0; i < 100; ++i) {
            const double next = x + ((1.0 + x) - fraction_left * std::exp(x)) / x;
            if (!(next > x)) break;
            x = next;
        }
        return x;
    }();
    return factor;
}

double BruneSource::slip(double t) const { return brune_slip_fraction(t / tau_); }

double BruneSource::initial_acceleration() const { return 1.0 / tau_ / tau_; }

double BruneSource::amplitude(double omega) const {
    using namespace complex_arithmetic;
    const Complex im{0.0, 1.0};
    const Complex one{1.0, 0.0};
    const Complex z = subtract(one, multiply(multiply(Complex{omega, 0.0}, im), Complex{tau_, 0.0}));
    return modulus(reciprocal(multiply(z, z)));
}

std::complex<double> BruneSource::spectrum(double omega) const {
    const std::complex<double> p{1.0, omega * tau_};
    return 1.0 / (p * p);
}

namespace {

using C = std::complex<double>;

// Below this |n u| the numerator is summed as a series (it would cancel).
constexpr double series_bound = 0.5;

}  // namespace

std::optional<std::complex<double>> BruneSource::sampled_spectrum(double omega, double dt, std::int64_t n) const {
    const double a = dt / tau_;
    const C z{-a, -omega * dt};
    const C u = shape_math::expm1(z);  // q - 1
    const C q = 1.0 + u;
    if (n <= 0) return a * a * q / (u * u);
    // 1 - n q^(n-1) + (n-1) q^n = sum_{j=2..n} (j-1) C(n,j) u^j: for small
    // n u the sum, whose first term dominates, divided by u^2.
    const double count = static_cast<double>(n);
    if (std::abs(count * u) < series_bound) {
        C term = count * (count - 1.0) / 2.0;  // C(n,j) u^(j-2) at j = 2
        C sum = term;
        for (std::int64_t j = 2; j < n; ++j) {
            term *= (count - static_cast<double>(j)) / static_cast<double>(j + 1) * u;
            const C add = static_cast<double>(j) * term;  // (j+1-1) C(n,j+1) u^(j-1)
            sum += add;
            if (std::abs(add) < 1e-18 * std::abs(sum)) break;
        }
        return a * a * q * sum;
    }
    const C qn = std::exp(count * z);
    const C numerator = 1.0 - count * qn / q + (count - 1.0) * qn;
    return a * a * q * numerator / (u * u);
}

SourceFigures BruneSource::figures() const {
    return {tau_, 1.0 / (std::numbers::e * tau_), 2.0 * tau_, brune_rise_time_factor() * tau_,
            1.0 / (2.0 * std::numbers::pi * tau_)};
}

std::vector<SourceParameter> BruneSource::parameters() const { return {{" Tau(s) =", tau_, "tau", "s"}}; }

namespace {

class BruneShape final : public Shape {
public:
    std::string_view name() const override { return "brune"; }
    std::string_view formula() const override { return "v = (t/tau^2) exp(-t/tau)"; }
    int rank() const override { return 0; }
    std::vector<ShapeOption> options() const override {
        return {{"tau", "SECONDS", "time constant tau (default 1 s)"},
                {"corner-frequency", "HZ", "corner frequency fc: tau = 1/(2 pi fc)"},
                {"rise-time", "SECONDS", "time to 95 % of slip: tau = SECONDS/4.7439"}};
    }
    MadeSource make(const ShapeValues& values) const override {
        return source_of_scale<BruneSource>(
            values, {direct_time("tau"), time_from_corner_frequency(), scale_from_rise_time(brune_rise_time_factor())},
            "tau", default_tau);
    }
};

const BruneShape shape;
const bool registered = register_shape(shape);

}  // namespace

}  // namespace exp_slipv
