// The boxcar: v = 1/T on (0, T).  A sample at one of the two jumps takes
// the mid value 1/(2T), so the samples' transform is the trapezoid rule's.
#include <cmath>
#include <numbers>

#include "source/shape.hpp"
#include "source/shape_math.hpp"

namespace exp_slipv {

namespace {

constexpr double rise_fraction = 0.95;

class BoxcarSource final : public Source {
public:
    explicit BoxcarSource(double duration) : t_(duration) {}

    double velocity(double t) const override {
        if (t < 0.0 || t > t_) return 0.0;
        if (t == 0.0 || t == t_) return 0.5 / t_;
        return 1.0 / t_;
    }
    double slip(double t) const override { return t <= 0.0 ? 0.0 : t >= t_ ? 1.0 : t / t_; }
    double initial_acceleration() const override { return 0.0; }  // the derivative on (0, T)
    // |sinc(omega T / 2)|.
    double amplitude(double omega) const override { return std::fabs(shape_math::sinc(omega * t_ / 2.0)); }
    // e^(-i omega T/2) sinc(omega T/2): symmetric about T/2.
    std::complex<double> spectrum(double omega) const override {
        return std::polar(1.0, -omega * t_ / 2.0) * shape_math::sinc(omega * t_ / 2.0);
    }
    double duration() const override { return t_; }
    SourceFigures figures() const override {
        // The plateau starts at once: its peak time is t = 0+.
        return {0.0, 1.0 / t_, t_ / 2.0, rise_fraction * t_,
                shape_math::half_amplitude_frequency(*this, t_)};
    }
    std::string name() const override { return "boxcar"; }
    std::vector<SourceParameter> parameters() const override { return {{" Duration(s) =", t_, "duration", "s"}}; }

private:
    double t_;
};

class BoxcarShape final : public Shape {
public:
    std::string_view name() const override { return "boxcar"; }
    std::string_view formula() const override { return "v = 1/T on [0, T]"; }
    int rank() const override { return 2; }
    std::vector<ShapeOption> options() const override {
        return {{"duration", "SECONDS", "the length T (default 1 s)"},
                {"rise-time", "SECONDS", "time to 95 % of slip: T = SECONDS/0.95"}};
    }
    MadeSource make(const ShapeValues& values) const override {
        const double factor = rise_time_factor_of(BoxcarSource(1.0), 1.0);
        return source_of_scale<BoxcarSource>(values, {direct_time("duration"), scale_from_rise_time(factor)}, "T", 1.0);
    }
};

const BoxcarShape shape;
const bool registered = register_shape(shape);

}  // namespace

}  // namespace exp_slipv
