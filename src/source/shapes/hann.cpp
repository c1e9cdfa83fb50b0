// The Hann pulse (raised cosine): v = (1 - cos(2 pi t/T))/T on [0, T].
#include <cmath>
#include <numbers>

#include "source/shape.hpp"
#include "source/shape_math.hpp"

namespace exp_slipv {

namespace {

using std::numbers::pi;
// Nearer the removable point u = 2 pi than this, |V| takes the form in
// d = 2 pi - u.
constexpr double removable_band = 1.0;

class HannSource final : public Source {
public:
    explicit HannSource(double duration) : t_(duration) {}

    // 2 sin^2(pi t/T)/T: no cancellation near the ends.
    double velocity(double t) const override {
        if (t < 0.0 || t > t_) return 0.0;
        // Measured from the nearer end, as for the half sine.
        const double from_end = t <= t_ / 2.0 ? t : t_ - t;
        const double s = std::sin(pi * (from_end / t_));
        return 2.0 * s * s / t_;
    }
    // t/T - sin(2 pi t/T)/(2 pi) = (phi - sin phi)/(2 pi), phi = 2 pi t/T.
    double slip(double t) const override {
        if (t <= 0.0) return 0.0;
        if (t >= t_) return 1.0;
        return shape_math::x_minus_sin(2.0 * pi * (t / t_)) / (2.0 * pi);
    }
    double initial_acceleration() const override { return 0.0; }  // v grows as t^2
    // |V| = |sinc(u/2)| / |1 - (u/2 pi)^2|, u = omega T.  Near u = 2 pi,
    // with d = 2 pi - u: sin(u/2) = sin(d/2) and 1 - (u/2pi)^2 =
    // d (2 pi + u)/(4 pi^2), so |V| = 4 pi^2 |sinc(d/2)| / (u (2 pi + u)),
    // which is 1/2 at u = 2 pi.
    double amplitude(double omega) const override { return std::fabs(symmetric_part(omega)); }
    // Symmetric about T/2: e^(-i omega T/2) times the signed form above.
    std::complex<double> spectrum(double omega) const override {
        return std::polar(1.0, -omega * t_ / 2.0) * symmetric_part(omega);
    }
    double duration() const override { return t_; }
    SourceFigures figures() const override {
        return {t_ / 2.0, 2.0 / t_, t_ / 2.0, shape_math::slip_time(*this, 0.95, t_),
                shape_math::half_amplitude_frequency(*this, t_)};
    }
    std::string name() const override { return "hann"; }
    std::vector<SourceParameter> parameters() const override { return {{" Duration(s) =", t_, "duration", "s"}}; }

private:
    // sinc(u/2) / (1 - (u/2 pi)^2), or its form in d near u = 2 pi: real,
    // even in omega.
    double symmetric_part(double omega) const {
        const double u = std::fabs(omega) * t_;
        const double d = 2.0 * pi - u;
        if (std::fabs(d) < removable_band) return 4.0 * pi * pi * shape_math::sinc(d / 2.0) / (u * (2.0 * pi + u));
        const double r = u / (2.0 * pi);
        return shape_math::sinc(u / 2.0) / ((1.0 - r) * (1.0 + r));
    }
    double t_;
};

class HannShape final : public Shape {
public:
    std::string_view name() const override { return "hann"; }
    std::string_view formula() const override { return "v = (1 - cos(2 pi t/T))/T on [0, T]"; }
    int rank() const override { return 5; }
    std::vector<ShapeOption> options() const override {
        return {{"duration", "SECONDS", "the length T (default 1 s)"},
                {"rise-time", "SECONDS", "time to 95 % of slip: T = SECONDS/0.79804"}};
    }
    MadeSource make(const ShapeValues& values) const override {
        const double factor = rise_time_factor_of(HannSource(1.0), 1.0);
        return source_of_scale<HannSource>(values, {direct_time("duration"), scale_from_rise_time(factor)}, "T", 1.0);
    }
};

const HannShape shape;
const bool registered = register_shape(shape);

}  // namespace

}  // namespace exp_slipv
