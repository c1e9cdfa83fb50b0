// The pulse of Liu, Archuleta and Hartzell (2006): sine and cosine pieces
// on [0, tau1], [tau1, 2 tau1] and [2 tau1, tau], tau1 = 0.13 tau, with its
// peak 2C at tau1.
#include <array>
#include <cmath>
#include <numbers>

#include "source/shape.hpp"
#include "source/shape_math.hpp"

namespace exp_slipv {

namespace {

using shape_math::Complex;
using std::numbers::pi;
constexpr double first_fraction = 0.13;  // tau1 / tau

// c e^(p t) on [a, b]: the pieces of v, with p imaginary.
struct Term {
    Complex c;
    Complex p;
    double a, b;
};

class LiuSource final : public Source {
public:
    explicit LiuSource(double tau)
        : tau_(tau), t1_(first_fraction * tau), t2_(tau - t1_),
          c_(pi / (1.4 * pi * t1_ + 1.2 * t1_ + 0.3 * pi * t2_)) {}

    double velocity(double t) const override {
        if (t <= 0.0 || t >= tau_) return 0.0;
        if (t < t1_) {
            // 0.7 - 0.7 cos(pi t/tau1) = 1.4 sin^2(pi t/(2 tau1)).
            const double s = std::sin(pi * t / (2.0 * t1_));
            return c_ * (1.4 * s * s + 0.6 * s);
        }
        if (t < 2.0 * t1_) return c_ * (1.0 - 0.7 * std::cos(pi * t / t1_) + 0.3 * std::cos(pi * (t - t1_) / t2_));
        // 0.3 + 0.3 cos(pi (t - tau1)/tau2) = 0.6 sin^2(pi (tau - t)/(2 tau2)),
        // with tau - t exact near the end: no cancellation there.
        const double s = std::sin(pi * (tau_ - t) / (2.0 * t2_));
        return c_ * 0.6 * s * s;
    }
    double slip(double t) const override {
        if (t <= 0.0) return 0.0;
        if (t >= tau_) return 1.0;
        if (t < t1_) {
            // 0.7 t - (0.7 tau1/pi) sin(pi t/tau1) + (1.2 tau1/pi)(1 - cos(pi t/(2 tau1))),
            // the first two as x - sin x, the last as 2 sin^2.
            const double half = std::sin(pi * t / (4.0 * t1_));
            return c_ * (0.7 * t1_ / pi * shape_math::x_minus_sin(pi * t / t1_) + 2.4 * t1_ / pi * half * half);
        }
        if (t < 2.0 * t1_) {
            const double u = t - t1_;  // sin(pi t/tau1) = -sin(pi u/tau1)
            return slip_at_t1() + c_ * (u + 0.7 * t1_ / pi * std::sin(pi * u / t1_) + 0.3 * t2_ / pi * std::sin(pi * u / t2_));
        }
        return slip_at_2t1() + c_ * (0.3 * (t - 2.0 * t1_) + 0.3 * t2_ / pi *
                                                               (std::sin(pi * (t - t1_) / t2_) - std::sin(pi * t1_ / t2_)));
    }
    double initial_acceleration() const override { return 0.3 * pi * c_ / t1_; }

    // Each piece as sums of c e^(p t); the integral of c e^((p - i omega) t)
    // over [a, b] is c e^(lambda a) (b - a) phi(lambda (b - a)).
    double amplitude(double omega) const override { return std::abs(spectrum(omega)); }
    Complex spectrum(double omega) const override {
        Complex sum = 0.0;
        for (const Term& term : terms()) {
            const Complex lambda = term.p - Complex{0.0, omega};
            sum += term.c * std::exp(lambda * term.a) * (term.b - term.a) * shape_math::exp_ratio(lambda * (term.b - term.a));
        }
        return sum;
    }
    double duration() const override { return tau_; }
    SourceFigures figures() const override {
        const double centroid = shape_math::integrate([this](double t) { return t * velocity(t); }, 0.0, t1_) +
                                shape_math::integrate([this](double t) { return t * velocity(t); }, t1_, 2.0 * t1_) +
                                shape_math::integrate([this](double t) { return t * velocity(t); }, 2.0 * t1_, tau_);
        return {t1_, 2.0 * c_, centroid, shape_math::slip_time(*this, 0.95, tau_),
                shape_math::half_amplitude_frequency(*this, tau_)};
    }
    std::string name() const override { return "liu"; }
    std::vector<SourceParameter> parameters() const override { return {{" Tau(s) =", tau_, "tau", "s"}}; }

private:
    double slip_at_t1() const { return c_ * t1_ * (0.7 + 1.2 / pi); }
    double slip_at_2t1() const { return slip_at_t1() + c_ * (t1_ + 0.3 * t2_ / pi * std::sin(pi * t1_ / t2_)); }

    // cos(w t) = (e^(iwt) + e^(-iwt))/2, sin(w t) = (e^(iwt) - e^(-iwt))/(2i),
    // cos(w (t - s)) = (e^(-iws) e^(iwt) + e^(iws) e^(-iwt))/2.
    std::array<Term, 13> terms() const {
        const Complex i{0.0, 1.0};
        const double w1 = pi / t1_, wh = pi / (2.0 * t1_), w2 = pi / t2_;
        const Complex shift = std::polar(1.0, -w2 * t1_);  // e^(-i w2 tau1)
        const double a = 0.0, b = t1_, m = 2.0 * t1_, e = tau_;
        return {{{0.7 * c_, 0.0, a, b},
                 {-0.35 * c_, i * w1, a, b},
                 {-0.35 * c_, -i * w1, a, b},
                 {0.3 * c_ / i, i * wh, a, b},
                 {-0.3 * c_ / i, -i * wh, a, b},
                 {c_, 0.0, b, m},
                 {-0.35 * c_, i * w1, b, m},
                 {-0.35 * c_, -i * w1, b, m},
                 {0.15 * c_ * shift, i * w2, b, m},
                 {0.15 * c_ * std::conj(shift), -i * w2, b, m},
                 {0.3 * c_, 0.0, m, e},
                 {0.15 * c_ * shift, i * w2, m, e},
                 {0.15 * c_ * std::conj(shift), -i * w2, m, e}}};
    }

    double tau_, t1_, t2_, c_;
};

class LiuShape final : public Shape {
public:
    std::string_view name() const override { return "liu"; }
    std::string_view formula() const override { return "Liu et al. 2006: trig pieces, peak at 0.13 tau"; }
    int rank() const override { return 6; }
    std::vector<ShapeOption> options() const override {
        return {{"tau", "SECONDS", "the whole duration tau (default 1 s)"},
                {"rise-time", "SECONDS", "time to 95 % of slip: tau = SECONDS/0.65567"}};
    }
    MadeSource make(const ShapeValues& values) const override {
        const double factor = rise_time_factor_of(LiuSource(1.0), 1.0);
        return source_of_scale<LiuSource>(values, {direct_time("tau"), scale_from_rise_time(factor)}, "tau", 1.0);
    }
};

const LiuShape shape;
const bool registered = register_shape(shape);

}  // namespace

}  // namespace exp_slipv
