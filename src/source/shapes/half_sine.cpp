// The half sine: v = (pi/2T) sin(pi t/T) on [0, T].
#include <cmath>
#include <numbers>

#include "source/shape.hpp"
#include "source/shape_math.hpp"

namespace exp_slipv {

namespace {

using std::numbers::pi;

class HalfSineSource final : public Source {
public:
    explicit HalfSineSource(double duration) : t_(duration) {}

    double velocity(double t) const override {
        if (t < 0.0 || t > t_) return 0.0;
        // Measured from the nearer end, with T - t exact near T: v keeps its
        // relative precision there and is 0 at T.
        const double from_end = t <= t_ / 2.0 ? t : t_ - t;
        return pi / (2.0 * t_) * std::sin(pi * (from_end / t_));
    }
    // (1 - cos(pi t/T))/2 = sin^2(pi t/2T): no cancellation near 0.
    double slip(double t) const override {
        if (t <= 0.0) return 0.0;
        if (t >= t_) return 1.0;
        const double half = std::sin(pi * (t / t_) / 2.0);
        return half * half;
    }
    double initial_acceleration() const override { return pi * pi / (2.0 * t_ * t_); }
    // |V| = pi^2 |cos(u/2)| / |pi^2 - u^2|, u = omega T.  With d = pi - u,
    // cos(u/2) = sin(d/2) and pi^2 - u^2 = d (pi + u), so
    //   |V| = pi^2/(pi + u) |sinc(d/2)| / 2,
    // which is pi/4 at the removable point u = pi, smooth in d there.
    double amplitude(double omega) const override { return std::fabs(symmetric_part(omega)); }
    // Symmetric about T/2: e^(-i omega T/2) times the signed form above.
    std::complex<double> spectrum(double omega) const override {
        return std::polar(1.0, -omega * t_ / 2.0) * symmetric_part(omega);
    }
    double duration() const override { return t_; }
    SourceFigures figures() const override {
        return {t_ / 2.0, pi / (2.0 * t_), t_ / 2.0, t_ * std::acos(-0.9) / pi,
                shape_math::half_amplitude_frequency(*this, t_)};
    }
    std::string name() const override { return "half-sine"; }
    std::vector<SourceParameter> parameters() const override { return {{" Duration(s) =", t_, "duration", "s"}}; }

private:
    // pi^2/(pi + u) sinc(d/2) / 2, u = |omega| T, d = pi - u: real, even in omega.
    double symmetric_part(double omega) const {
        const double u = std::fabs(omega) * t_;
        const double d = pi - u;
        return pi * pi / (pi + u) * shape_math::sinc(d / 2.0) / 2.0;
    }
    double t_;
};

class HalfSineShape final : public Shape {
public:
    std::string_view name() const override { return "half-sine"; }
    std::string_view formula() const override { return "v = (pi/2T) sin(pi t/T) on [0, T]"; }
    int rank() const override { return 4; }
    std::vector<ShapeOption> options() const override {
        return {{"duration", "SECONDS", "the length T (default 1 s)"},
                {"rise-time", "SECONDS", "time to 95 % of slip: T = SECONDS/0.85643"}};
    }
    MadeSource make(const ShapeValues& values) const override {
        const double factor = rise_time_factor_of(HalfSineSource(1.0), 1.0);
        return source_of_scale<HalfSineSource>(values, {direct_time("duration"), scale_from_rise_time(factor)}, "T", 1.0);
    }
};

const HalfSineShape shape;
const bool registered = register_shape(shape);

}  // namespace

}  // namespace exp_slipv
