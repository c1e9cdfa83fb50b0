// The Gaussian pulse of RMS width sigma, peaking at the delay t0, sampled
// from t = 0: the pulse as defined, cut there.  Its area is Phi(t0/sigma);
// the closed-form spectrum is that of the uncut pulse, e^(-omega^2 sigma^2/2),
// and the cut's effect is a figure of its own.
#include <cmath>
#include <numbers>

#include "source/shape.hpp"
#include "source/shape_math.hpp"

namespace exp_slipv {

namespace {

using std::numbers::pi;
using std::numbers::sqrt2;
constexpr double default_delay_in_sigma = 6.0;
constexpr double min_delay_in_sigma = 5.0;
// 40 sigma past its peak, v lies below the smallest double.
constexpr double end_in_sigma = 40.0;
// While t t0 / sigma^2 is below this, the cut slip is a short integral of
// v; above it the two erfc values differ by a factor e or more.
constexpr double quadrature_limit = 1.0;

class GaussianSource final : public Source {
public:
    GaussianSource(double sigma, double delay) : sigma_(sigma), delay_(delay) {}

    double velocity(double t) const override {
        const double z = (t - delay_) / sigma_;
        return std::exp(-z * z / 2.0) / (sigma_ * std::sqrt(2.0 * pi));
    }
    // The integral of v over [0, t]: (erfc((t0 - t)/(sigma sqrt2)) - erfc(t0/(sigma sqrt2)))/2.
    double slip(double t) const override {
        if (!(t > 0.0)) return 0.0;
        if (t < delay_ && t * delay_ / (sigma_ * sigma_) < quadrature_limit)
            return shape_math::integrate([this](double u) { return velocity(u); }, 0.0, t, 1);
        return (std::erfc((delay_ - t) / (sigma_ * sqrt2)) - cut_erfc()) / 2.0;
    }
    double initial_acceleration() const override { return velocity(0.0) * delay_ / (sigma_ * sigma_); }
    double amplitude(double omega) const override {
        const double x = omega * sigma_;
        return std::exp(-x * x / 2.0);
    }
    // The uncut pulse's: e^(-i omega t0) e^(-omega^2 sigma^2/2).
    std::complex<double> spectrum(double omega) const override {
        return std::polar(amplitude(omega), -omega * delay_);
    }
    double duration() const override { return delay_ + end_in_sigma * sigma_; }
    // Its duration is only where v falls below every double.
    bool endless() const override { return true; }
    SourceFigures figures() const override {
        return {delay_, 1.0 / (sigma_ * std::sqrt(2.0 * pi)), delay_,
                shape_math::slip_time(*this, 0.95, duration()),
                std::sqrt(2.0 * std::numbers::ln2) / (2.0 * pi * sigma_)};
    }
    // What the cut costs: the area left out, v(0) against the peak, and the
    // frequency above which the cut's step, of spectrum v(0)/omega, is
    // larger than the uncut |V| (where (omega sigma)^2/2 = ln(omega / v(0))).
    std::vector<SourceNote> notes() const override {
        const double v0 = velocity(0.0);
        double low = 1.0, high = 100.0;  // omega sigma
        for (int i = 0; i < 200; ++i) {
            const double y = (low + high) / 2.0;
            (y * y / 2.0 < std::log(y / (sigma_ * v0)) ? low : high) = y;
        }
        return {{" Area cut off at t = 0 (unit slip) =", cut_erfc() / 2.0, "cut_area"},
                {" Velocity at t = 0 over the peak (relative) =", v0 * sigma_ * std::sqrt(2.0 * pi), "start_to_peak_ratio"},
                {" The cut's step exceeds |V| above (Hz) =", high / (2.0 * pi * sigma_), "cut_dominates_hz"}};
    }
    std::string name() const override { return "gaussian"; }
    std::vector<SourceParameter> parameters() const override {
        return {{" Sigma(s) =", sigma_, "sigma", "s"}, {" Delay(s) =", delay_, "delay", "s"}};
    }

private:
    double cut_erfc() const { return std::erfc(delay_ / (sigma_ * sqrt2)); }
    double sigma_, delay_;
};

class GaussianShape final : public Shape {
public:
    std::string_view name() const override { return "gaussian"; }
    std::string_view formula() const override { return "v = exp(-(t-t0)^2/2sigma^2)/(sigma sqrt(2pi))"; }
    int rank() const override { return 7; }
    std::vector<ShapeOption> options() const override {
        return {{"sigma", "SECONDS", "the RMS width sigma (default 1 s)"},
                {"delay", "SECONDS", "peak time t0 >= 5 sigma (default 6 sigma)"}};
    }
    MadeSource make(const ShapeValues& values) const override {
        const Checked<double> sigma = one_time(values, {direct_time("sigma")}, "sigma", 1.0);
        if (const Refusal* r = std::get_if<Refusal>(&sigma)) return *r;
        const double s = std::get<double>(sigma);
        const Checked<double> delay = one_time(values, {direct_time("delay")}, "t0", default_delay_in_sigma * s);
        if (const Refusal* r = std::get_if<Refusal>(&delay)) return *r;
        const double t0 = std::get<double>(delay);
        if (t0 > max_seconds)
            return Refusal{"--sigma=" + *values.find("sigma") + " gives the delay 6 sigma = " + short_number(t0) +
                           " s, outside 1e-9 to 1e9 s"};
        if (t0 < min_delay_in_sigma * s)
            return Refusal{invalid_value("delay", *values.find("delay"),
                                         "less than 5 sigma = " + short_number(min_delay_in_sigma * s) + " s")};
        return std::make_shared<const GaussianSource>(s, t0);
    }
};

const GaussianShape shape;
const bool registered = register_shape(shape);

}  // namespace

}  // namespace exp_slipv
