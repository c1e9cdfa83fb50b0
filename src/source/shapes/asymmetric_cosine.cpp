// The asymmetric cosine of finite-fault inversions: a cosine rise over tr
// to the peak 2/(tr + tf), then a cosine fall over tf.
//
//   v = (1 - cos(pi t/tr)) / (tr + tf)             0 <= t <= tr
//   v = (1 + cos(pi (t - tr)/tf)) / (tr + tf)      tr <= t <= tr + tf
//
//   2/(tr+tf)      .  .
//               .        .
//             .             .
//   0  ....                     ....
//      0          tr           tr+tf
#include <cmath>
#include <numbers>

#include "source/shapes/asymmetric_cosine.hpp"

#include "source/shape.hpp"
#include "source/shape_math.hpp"

namespace exp_slipv {

namespace {

using shape_math::Complex;
using std::numbers::pi;

// Below this omega (tr + tf) the spectrum is the boxcar's plus two small
// cosine terms; above it the form whose 1/omega terms have been cancelled
// by hand.
constexpr double low_frequency_limit = pi;

class AsymmetricCosineSource final : public Source {
public:
    AsymmetricCosineSource(double rise, double fall) : tr_(rise), tf_(fall), t_(rise + fall) {}

    // 2 sin^2 of the angle from the nearer end: no cancellation near 0 or
    // near the end, where tr + tf - t is exact.
    double velocity(double t) const override {
        if (t <= 0.0 || t >= t_) return 0.0;
        if (t <= tr_) {
            const double s = std::sin(pi * (t / tr_) / 2.0);
            return 2.0 * s * s / t_;
        }
        const double s = std::sin(pi * ((t_ - t) / tf_) / 2.0);
        return 2.0 * s * s / t_;
    }
    // (tr/pi)(phi - sin phi)/(tr + tf) on the rise, phi = pi t/tr; on the
    // fall 1 minus the same form of the time left.
    double slip(double t) const override {
        if (t <= 0.0) return 0.0;
        if (t >= t_) return 1.0;
        if (t <= tr_) return tr_ / pi * shape_math::x_minus_sin(pi * (t / tr_)) / t_;
        return 1.0 - tf_ / pi * shape_math::x_minus_sin(pi * ((t_ - t) / tf_)) / t_;
    }
    double initial_acceleration() const override { return 0.0; }  // v grows as t^2
    double amplitude(double omega) const override { return std::abs(spectrum(omega)); }
    // With u = omega tr, w = omega tf and c(x) = (1 + e^(-ix))/(pi^2 - x^2)
    //   = e^(-ix/2) sinc((pi - x)/2)/(pi + x), smooth where x = pi:
    //   low:  V T = T e^(-i omega T/2) sinc(omega T/2) - i tr u c(u) + i tf w e^(-iu) c(w)
    //   high: V T = (i pi^2/omega) (e^(-iu) c(w) - c(u)),
    // the second the first with its three 1/omega terms cancelled exactly.
    Complex spectrum(double omega) const override {
        const double magnitude = std::fabs(omega);
        const double u = magnitude * tr_, w = magnitude * tf_;
        Complex v;
        if (magnitude * t_ < low_frequency_limit) {
            const Complex i{0.0, 1.0};
            v = (t_ * std::polar(1.0, -magnitude * t_ / 2.0) * shape_math::sinc(magnitude * t_ / 2.0) -
                 i * tr_ * u * c(u) + i * tf_ * w * std::polar(1.0, -u) * c(w)) / t_;
        } else {
            v = Complex{0.0, pi * pi / (magnitude * t_)} * (std::polar(1.0, -u) * c(w) - c(u));
        }
        return omega < 0.0 ? std::conj(v) : v;
    }
    double duration() const override { return t_; }
    // Centroid T/2 + 2 (tr - tf)/pi^2.
    SourceFigures figures() const override {
        return {tr_, 2.0 / t_, t_ / 2.0 + 2.0 * (tr_ - tf_) / (pi * pi), shape_math::slip_time(*this, 0.95, t_),
                shape_math::half_amplitude_frequency(*this, t_)};
    }
    std::string name() const override { return "asymmetric-cosine"; }
    std::vector<SourceParameter> parameters() const override {
        return {{" Rise(s) =", tr_, "rise", "s"}, {" Fall(s) =", tf_, "fall", "s"}};
    }

private:
    static Complex c(double x) { return std::polar(1.0, -x / 2.0) * (shape_math::sinc((pi - x) / 2.0) / (pi + x)); }

    double tr_, tf_, t_;
};

class AsymmetricCosineShape final : public Shape {
public:
    std::string_view name() const override { return "asymmetric-cosine"; }
    std::string_view formula() const override { return "cosine rise over tr, cosine fall over tf"; }
    int rank() const override { return 9; }
    std::vector<ShapeOption> options() const override {
        return {{"rise", "SECONDS", "the rise tr to the peak (required)"},
                {"fall", "SECONDS", "the fall tf from the peak (required)"}};
    }
    MadeSource make(const ShapeValues& values) const override {
        if (values.find("rise") == nullptr || values.find("fall") == nullptr)
            return Refusal{"--shape=asymmetric-cosine needs both --rise and --fall"};
        const Checked<double> rise = one_time(values, {direct_time("rise")}, "tr", 0.0);
        if (const Refusal* r = std::get_if<Refusal>(&rise)) return *r;
        const Checked<double> fall = one_time(values, {direct_time("fall")}, "tf", 0.0);
        if (const Refusal* r = std::get_if<Refusal>(&fall)) return *r;
        return std::make_shared<const AsymmetricCosineSource>(std::get<double>(rise), std::get<double>(fall));
    }
};

const AsymmetricCosineShape shape;
const bool registered = register_shape(shape);

}  // namespace

std::shared_ptr<const Source> make_asymmetric_cosine(double rise, double fall) {
    return std::make_shared<const AsymmetricCosineSource>(rise, fall);
}

}  // namespace exp_slipv
