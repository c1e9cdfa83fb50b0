// The smoothed Brune pulse: Brune's, with the slip's start smoothed by a
// quintic up to x = t/tau = h = 2.31, so that the slip has two continuous
// derivatives; after h it is Brune's exactly.
//   s = 1 - e^(-x) (1 + x + Q(x)),  Q = (x^2/2)(1 - x/h)^3,   x < h
//   v = (1/tau) e^(-x) P(x),        P = x + Q - Q' (no x or 1 term)
#include <cmath>
#include <numbers>

#include "source/shape.hpp"
#include "source/shape_math.hpp"
#include "source/shapes/brune.hpp"

namespace exp_slipv {

namespace {

using shape_math::Complex;

constexpr double h = 2.31;
// P(x) = c2 x^2 + c3 x^3 + c4 x^4 + c5 x^5.
constexpr double c2 = 0.5 + 9.0 / (2.0 * h);
constexpr double c3 = -(3.0 / (2.0 * h) + 6.0 / (h * h));
constexpr double c4 = 3.0 / (2.0 * h * h) + 5.0 / (2.0 * h * h * h);
constexpr double c5 = -1.0 / (2.0 * h * h * h);
// Below this x the slip is summed from series of positive terms: 1 minus
// the bracket loses under two bits above it.
constexpr double series_limit = 1.0;
constexpr int series_terms = 30;
// After this x, v = x e^(-x)/tau lies below the smallest double.
constexpr double end_in_tau = 800.0;
// The most samples the closed form of the endless record sums before its
// tail; finer samplings are left to a sum of all samples.
constexpr double max_head_samples = 65536.0;

// sum_{k > j} j! x^k / k! = e^x times the integral of u^j e^(-u) over
// [0, x], nested so that nothing cancels.
double tail_series(int j, double x) {
    double inner = 1.0;
    for (int k = j + series_terms; k >= j + 2; --k) inner = 1.0 + x / k * inner;
    return std::pow(x, j + 1) / (j + 1) * inner;
}

class SmoothedBruneSource final : public Source {
public:
    explicit SmoothedBruneSource(double tau) : tau_(tau) {}

    double velocity(double t) const override {
        const double x = t / tau_;
        if (x >= h) return x * std::exp(-x) / tau_;
        const double p = x * x * (c2 + x * (c3 + x * (c4 + x * c5)));
        return p * std::exp(-x) / tau_;
    }
    double slip(double t) const override {
        const double x = t / tau_;
        if (!(x > 0.0)) return 0.0;
        if (x >= h) return brune_slip_fraction(x);
        if (x > series_limit) {
            const double q = x * x / 2.0 * std::pow(1.0 - x / h, 3);
            return 1.0 - std::exp(-x) * (1.0 + x + q);
        }
        // s = integral_0^x e^(-u) P(u) du = e^(-x) sum_j c_j j! sum_{k>j} x^k/k!;
        // the x^3 term leads, and the others are smaller by x/4 and beyond.
        const double sum =
            c2 * tail_series(2, x) + c3 * tail_series(3, x) + c4 * tail_series(4, x) + c5 * tail_series(5, x);
        return sum * std::exp(-x);
    }
    double initial_acceleration() const override { return 0.0; }  // v grows as x^2

    // V = 1/p^3 + (p-1) [9/(h p^4) - 36/(h^2 p^5) + 60/(h^3 p^6)]
    //       - (p-1) e^(-p h) [3/(h p^4) + 24/(h^2 p^5) + 60/(h^3 p^6)],
    // p = 1 + i omega tau: 1/p^2 - (p-1) I(p) with the 1/p^3 terms
    // combined, so that the (omega tau)^-2 terms no longer cancel.
    double amplitude(double omega) const override { return std::abs(spectrum(omega)); }
    Complex spectrum(double omega) const override {
        const Complex p{1.0, omega * tau_};
        const Complex r = 1.0 / p;
        const Complex r4 = r * r * r * r;
        const Complex head = r * r * r + (p - 1.0) * r4 * (9.0 / h - r * (36.0 / (h * h) - r * 60.0 / (h * h * h)));
        const Complex edge = std::exp(-p * h) * (p - 1.0) * r4 * (3.0 / h + r * (24.0 / (h * h) + r * 60.0 / (h * h * h)));
        return head - edge;
    }

    double duration() const override { return end_in_tau * tau_; }
    // Brune's tail never ends; its duration is where v leaves the doubles.
    bool endless() const override { return true; }

    // The endless record: the samples up to x = h summed, then Brune's tail
    // a^2 sum_{k >= m} k q^k = a^2 q^m (m/(1 - q) + q/(1 - q)^2).
    std::optional<Complex> sampled_spectrum(double omega, double dt, std::int64_t n) const override {
        if (n != 0) return std::nullopt;
        const double a = dt / tau_;
        const double first_tail = std::ceil(h / a);
        if (!(first_tail <= max_head_samples)) return std::nullopt;
        const auto m = static_cast<std::int64_t>(first_tail);
        Complex head = 0.0;
        const Complex z = std::polar(1.0, -omega * dt);
        for (std::int64_t k = m - 1; k >= 0; --k) head = head * z + velocity(static_cast<double>(k) * dt);
        const Complex e{-a, -omega * dt};
        const Complex u = shape_math::expm1(e);  // q - 1
        const Complex qm = std::exp(static_cast<double>(m) * e);
        const Complex tail = a * a * qm * (-static_cast<double>(m) / u + (1.0 + u) / (u * u));
        return head * dt + tail;
    }

    SourceFigures figures() const override {
        const double peak = shape_math::peak_time(*this, 0.0, h * tau_);
        // t_c = (2 + I(1)) tau, I(1) the integral of e^(-x) Q over [0, h].
        const double i1 = 1.0 - 9.0 / h + 36.0 / (h * h) - 60.0 / (h * h * h) +
                          std::exp(-h) * (3.0 / h + 24.0 / (h * h) + 60.0 / (h * h * h));
        return {peak, velocity(peak), (2.0 + i1) * tau_, shape_math::slip_time(*this, 0.95, 50.0 * tau_),
                shape_math::half_amplitude_frequency(*this, tau_)};
    }
    std::string name() const override { return "smoothed-brune"; }
    std::vector<SourceParameter> parameters() const override { return {{" Tau(s) =", tau_, "tau", "s"}}; }

private:
    double tau_;
};

class SmoothedBruneShape final : public Shape {
public:
    std::string_view name() const override { return "smoothed-brune"; }
    std::string_view formula() const override {
        return "Brune's, the slip's start smoothed to 2.31 tau";
    }
    int rank() const override { return 1; }
    std::vector<ShapeOption> options() const override {
        return {{"tau", "SECONDS", "time constant tau (default 1 s)"},
                {"corner-frequency", "HZ", "tau = 1/(2 pi fc)"},
                {"rise-time", "SECONDS", "time to 95 % of slip: tau = SECONDS/4.7439"}};
    }
    MadeSource make(const ShapeValues& values) const override {
        const double factor = rise_time_factor_of(SmoothedBruneSource(1.0), 50.0);
        return source_of_scale<SmoothedBruneSource>(
            values, {direct_time("tau"), time_from_corner_frequency(), scale_from_rise_time(factor)}, "tau", default_tau);
    }
};

const SmoothedBruneShape shape;
const bool registered = register_shape(shape);

}  // namespace

}  // namespace exp_slipv
