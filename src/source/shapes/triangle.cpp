// The triangle: v rises linearly to its peak 2/T at rT and falls to 0 at T.
//
//   2/T        .
//            /   .
//          /       .
//   0 ---/           .---
//        0    rT     T
#include <cmath>
#include <numbers>

#include "source/shape.hpp"
#include "source/shape_math.hpp"

namespace exp_slipv {

namespace {

using shape_math::Complex;
constexpr double default_peak_ratio = 0.5;
constexpr double rise_fraction = 0.95;
// Below this |lambda| g is summed as its series.
constexpr double series_limit = 1.0;
constexpr int series_terms = 30;

// g(lambda) = integral_0^1 u e^(lambda u) du = (1 + (lambda - 1) e^lambda)/lambda^2,
// whose terms cancel for small lambda: there sum lambda^n / (n! (n + 2)).
Complex g(Complex lambda) {
    if (std::abs(lambda) >= series_limit) return (1.0 + (lambda - 1.0) * std::exp(lambda)) / (lambda * lambda);
    Complex power = 1.0, sum = 0.0;
    double factorial = 1.0;
    for (int n = 0; n < series_terms; ++n) {
        sum += power / (factorial * (n + 2));
        power *= lambda;
        factorial *= n + 1;
    }
    return sum;
}

class TriangleSource final : public Source {
public:
    TriangleSource(double duration, double peak_ratio) : t_(duration), r_(peak_ratio) {}

    double velocity(double t) const override {
        if (t <= 0.0 || t >= t_) return 0.0;
        const double peak = r_ * t_;
        if (t <= peak) return 2.0 * t / (r_ * t_ * t_);
        return 2.0 * (t_ - t) / ((1.0 - r_) * t_ * t_);
    }
    double slip(double t) const override {
        if (t <= 0.0) return 0.0;
        if (t >= t_) return 1.0;
        if (t <= r_ * t_) return t * t / (r_ * t_ * t_);
        const double left = t_ - t;
        return 1.0 - left * left / ((1.0 - r_) * t_ * t_);
    }
    double initial_acceleration() const override { return 2.0 / (r_ * t_ * t_); }
    // V = 2 [r g(-i omega r T) + (1 - r) e^(-i omega T) g(i omega (1 - r) T)],
    // the two legs each an integral of u e^(lambda u).
    double amplitude(double omega) const override { return 2.0 * std::abs(legs(omega)); }
    Complex spectrum(double omega) const override { return 2.0 * legs(omega); }
    double duration() const override { return t_; }
    SourceFigures figures() const override {
        // 95 % on the falling leg when (1 - r) 0.05 is within its share.
        const double fall_time = t_ * (1.0 - std::sqrt((1.0 - rise_fraction) * (1.0 - r_)));
        const double t95 = fall_time >= r_ * t_ ? fall_time : t_ * std::sqrt(rise_fraction * r_);
        return {r_ * t_, 2.0 / t_, (1.0 + r_) * t_ / 3.0, t95,
                shape_math::half_amplitude_frequency(*this, t_)};
    }
    std::string name() const override { return "triangle"; }
    std::vector<SourceParameter> parameters() const override {
        return {{" Duration(s) =", t_, "duration", "s"}, {" Peak ratio =", r_, "peak_ratio", "1"}};
    }

private:
    Complex legs(double omega) const {
        const double u = omega * t_;
        const Complex rise = r_ * g(Complex{0.0, -u * r_});
        const Complex fall = (1.0 - r_) * std::polar(1.0, -u) * g(Complex{0.0, u * (1.0 - r_)});
        return rise + fall;
    }
    double t_;
    double r_;
};

// A ratio strictly between 0 and 1.
Checked<double> peak_ratio(const ShapeValues& values) {
    const std::string* text = values.find("peak-ratio");
    if (text == nullptr) return default_peak_ratio;
    const Checked<double> value = positive_decimal(*text);
    if (const Refusal* r = std::get_if<Refusal>(&value)) return Refusal{invalid_value("peak-ratio", *text, r->reason)};
    if (!(std::get<double>(value) < 1.0)) return Refusal{invalid_value("peak-ratio", *text, "not below 1")};
    return value;
}

class TriangleShape final : public Shape {
public:
    std::string_view name() const override { return "triangle"; }
    std::string_view formula() const override { return "v rises to 2/T at rT, falls to 0 at T"; }
    int rank() const override { return 3; }
    std::vector<ShapeOption> options() const override {
        return {{"duration", "SECONDS", "the length T (default 1 s)"},
                {"rise-time", "SECONDS", "time to 95 % of slip, at the peak ratio"},
                {"peak-ratio", "R", "r, between 0 and 1 (default 0.5)"}};
    }
    MadeSource make(const ShapeValues& values) const override {
        const Checked<double> r = peak_ratio(values);
        if (const Refusal* refusal = std::get_if<Refusal>(&r)) return *refusal;
        const double ratio = std::get<double>(r);
        const double factor = rise_time_factor_of(TriangleSource(1.0, ratio), 1.0);
        const Checked<double> t = one_time(values, {direct_time("duration"), scale_from_rise_time(factor)}, "T", 1.0);
        if (const Refusal* refusal = std::get_if<Refusal>(&t)) return *refusal;
        return std::make_shared<const TriangleSource>(std::get<double>(t), ratio);
    }
};

const TriangleShape shape;
const bool registered = register_shape(shape);

}  // namespace

}  // namespace exp_slipv
