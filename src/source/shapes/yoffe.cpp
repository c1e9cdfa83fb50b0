// The regularized Yoffe function: the Yoffe function of rise time tauR,
// (2/(pi tauR)) sqrt((tauR - t)/t), smoothed by the unit triangle of half
// width tauS.  As second differences of the Yoffe function's second and
// third antiderivatives P2, P3 (x = t/tauR):
//   v = [P2(t) - 2 P2(t - tauS) + P2(t - 2 tauS)] / tauS^2
//   s = [P3(t) - 2 P3(t - tauS) + P3(t - 2 tauS)] / tauS^2
// valid for every tauR, tauS > 0.  P2 and P3 are evaluated by series near
// x = 0 (where their closed forms cancel) and near x = 1 (where they meet
// the line L and the parabola M they continue as); near the end of the
// pulse v and 1 - s are second differences of the small P2 - L and M - P3.
#include <cmath>
#include <numbers>

#include "source/shape.hpp"
#include "source/shape_math.hpp"

namespace exp_slipv {

namespace {

using std::numbers::pi;
// Within this distance of x = 0 or x = 1 the series take over; their terms
// fall by this factor or more.
constexpr double series_band = 0.25;
constexpr int series_terms = 40;
// From this argument on |J0 + i J1| comes from Hankel's expansions, whose
// terms fall below 3e-16 of the first within the terms summed; below it
// from the library's Bessel functions.
constexpr double bessel_asymptotic = 25.0;
constexpr int hankel_terms = 24;

// Hankel's P and Q of order nu at x: P = sum (-1)^k a_2k / x^2k,
// Q = sum (-1)^k a_(2k+1) / x^(2k+1), a_k = prod_(j<=k) (4 nu^2 - (2j-1)^2) / (k! 8^k).
void hankel(double nu, double x, double& p, double& q) {
    const double mu = 4.0 * nu * nu;
    double term = 1.0;  // a_k / x^k
    p = 0.0, q = 0.0;
    for (int k = 0; k < hankel_terms; ++k) {
        const double signed_term = (k / 2) % 2 == 0 ? term : -term;
        (k % 2 == 0 ? p : q) += signed_term;
        const double odd = 2.0 * (k + 1) - 1.0;
        term *= (mu - odd * odd) / ((k + 1) * 8.0 * x);
    }
}

class YoffeSource final : public Source {
public:
    YoffeSource(double rise, double smoothing) : tr_(rise), ts_(smoothing) {}

    double velocity(double t) const override {
        if (t <= 0.0 || t >= duration()) return 0.0;
        if (upper_form(t)) return (d(t) - 2.0 * d(t - ts_) + d(t - 2.0 * ts_)) / (ts_ * ts_);
        return (p2(t) - 2.0 * p2(t - ts_) + p2(t - 2.0 * ts_)) / (ts_ * ts_);
    }
    double slip(double t) const override {
        if (t <= 0.0) return 0.0;
        if (t >= duration()) return 1.0;
        if (upper_form(t)) return 1.0 - (f(t) - 2.0 * f(t - ts_) + f(t - 2.0 * ts_)) / (ts_ * ts_);
        return (p3(t) - 2.0 * p3(t - ts_) + p3(t - 2.0 * ts_)) / (ts_ * ts_);
    }
    double initial_acceleration() const override { return 0.0; }  // v grows as t^(3/2)
    // |V| = |J0 + i J1|(omega tauR/2) sinc^2(omega tauS/2).
    double amplitude(double omega) const override {
        const double x = std::fabs(omega) * tr_ / 2.0;
        const double s = shape_math::sinc(omega * ts_ / 2.0);
        return bessel_modulus(x) * s * s;
    }
    // e^(-i omega (tauR/2 + tauS)) (J0 + i J1)(omega tauR/2) sinc^2(omega tauS/2):
    // the Yoffe function's transform, symmetric in modulus, times the
    // triangle's, both about their own centres.
    std::complex<double> spectrum(double omega) const override {
        const double x = std::fabs(omega) * tr_ / 2.0;
        const double s = shape_math::sinc(omega * ts_ / 2.0);
        double j0 = 0.0, j1 = 0.0;
        bessel_pair(x, j0, j1);
        const std::complex<double> v = std::polar(1.0, -std::fabs(omega) * (tr_ / 2.0 + ts_)) *
                                       std::complex<double>{j0, j1} * (s * s);
        return omega < 0.0 ? std::conj(v) : v;
    }
    double duration() const override { return tr_ + 2.0 * ts_; }
    SourceFigures figures() const override {
        const double peak = shape_math::peak_time(*this, 0.0, duration());
        return {peak, velocity(peak), tr_ / 4.0 + ts_, shape_math::slip_time(*this, 0.95, duration()),
                shape_math::half_amplitude_frequency(*this, duration())};
    }
    std::string name() const override { return "yoffe"; }
    std::vector<SourceParameter> parameters() const override {
        return {{" Rise(s) =", tr_, "rise", "s"}, {" Smoothing(s) =", ts_, "smoothing", "s"}};
    }

    // sqrt(J0^2 + J1^2) at x >= 0.  Far out, with J0 = sqrt(2/(pi x))
    // (P0 cos c - Q0 sin c), J1 = sqrt(2/(pi x))(P1 sin c + Q1 cos c),
    // c = x - pi/4:
    //   J0^2 + J1^2 = (2/(pi x)) [(P0^2 + Q0^2 + P1^2 + Q1^2)/2
    //                 + sin 2x (P0^2 + Q1^2 - P1^2 - Q0^2)/2 - cos 2x (P1 Q1 - P0 Q0)],
    // where the oscillating terms are of order 1/x: the phase of a huge x,
    // which no double carries, hardly matters.
    // J0(x) and J1(x), x >= 0; far out from Hankel's expansions with
    // cos(x - pi/4) = (cos x + sin x)/sqrt2 and sin(x - pi/4) = (sin x - cos x)/sqrt2,
    // so that no rounded pi/4 is taken from a large x.
    static void bessel_pair(double x, double& j0, double& j1) {
        if (x < bessel_asymptotic) {
            j0 = std::cyl_bessel_j(0.0, x);
            j1 = std::cyl_bessel_j(1.0, x);
            return;
        }
        double p0, q0, p1, q1;
        hankel(0.0, x, p0, q0);
        hankel(1.0, x, p1, q1);
        const double c = std::cos(x), s = std::sin(x);
        const double cos_c = (c + s) / std::numbers::sqrt2, sin_c = (s - c) / std::numbers::sqrt2;
        const double scale = std::sqrt(2.0 / (pi * x));
        j0 = scale * (p0 * cos_c - q0 * sin_c);
        j1 = scale * (p1 * sin_c + q1 * cos_c);
    }
    static double bessel_modulus(double x) {
        if (x < bessel_asymptotic) {
            const double j0 = std::cyl_bessel_j(0.0, x), j1 = std::cyl_bessel_j(1.0, x);
            return std::sqrt(j0 * j0 + j1 * j1);
        }
        double p0, q0, p1, q1;
        hankel(0.0, x, p0, q0);
        hankel(1.0, x, p1, q1);
        const double bracket = (p0 * p0 + q0 * q0 + p1 * p1 + q1 * q1) / 2.0 +
                               std::sin(2.0 * x) * (p0 * p0 + q1 * q1 - p1 * p1 - q0 * q0) / 2.0 -
                               std::cos(2.0 * x) * (p1 * q1 - p0 * q0);
        return std::sqrt(2.0 / (pi * x) * bracket);
    }

private:
    // Whether the three arguments lie where P2 - L and M - P3 are smaller
    // than P2 and P3: all past 0, the middle one past tauR/2.
    bool upper_form(double t) const { return t - 2.0 * ts_ >= 0.0 && t - ts_ >= tr_ / 2.0; }

    // sum b_k x^(k+a) / prod, b_k the coefficients of sqrt(1 - y) (from x=0)
    // or of 1/sqrt(1 - w) (from x=1), prod = (k + a0)(k + a0 + 1)...
    static double series(bool from_end, double x, int order) {
        double coefficient = 1.0, sum = 0.0;
        const double first = from_end ? 1.5 : 0.5;  // the exponent of the first integral
        for (int k = 0; k < series_terms; ++k) {
            double product = 1.0;
            for (int j = 0; j < order; ++j) product *= k + first + j;
            sum += coefficient * std::pow(x, k) / product;
            coefficient *= from_end ? (k + 0.5) / (k + 1.0) : (k - 0.5) / (k + 1.0);
        }
        return sum * std::pow(x, first + order - 1.0);
    }

    // P2 for t < tauR by its closed form.
    double p2_closed(double x) const {
        const double root = std::sqrt(x), s = std::sqrt(x * (1.0 - x));
        return 2.0 * tr_ / pi * ((x - 0.25) * std::asin(root) + 0.25 * (1.0 + 2.0 * x) * s);
    }
    double p3_closed(double x) const {
        const double root = std::sqrt(x), s = std::sqrt(x * (1.0 - x));
        return 2.0 * tr_ * tr_ / pi *
               ((x * x / 2.0 - x / 4.0 + 1.0 / 16.0) * std::asin(root) + (8.0 * x * x + 10.0 * x - 3.0) * s / 48.0);
    }
    double line(double t) const { return t - tr_ / 4.0; }
    double parabola(double t) const { return t * t / 2.0 - tr_ * t / 4.0 + tr_ * tr_ / 16.0; }

    double p2(double t) const {
        if (t <= 0.0) return 0.0;
        const double x = t / tr_;
        if (x >= 1.0) return line(t);
        if (x < series_band) return 2.0 * tr_ / pi * series(false, x, 2);
        if (1.0 - x < series_band) return line(t) + d(t);
        return p2_closed(x);
    }
    // P2 - L, which falls to 0 at tauR and stays there.
    double d(double t) const {
        const double x = t / tr_;
        if (x >= 1.0) return 0.0;
        if (1.0 - x < series_band) return 2.0 * tr_ / pi * series(true, 1.0 - x, 2);
        return p2(t) - line(t);
    }
    double p3(double t) const {
        if (t <= 0.0) return 0.0;
        const double x = t / tr_;
        if (x >= 1.0) return parabola(t);
        if (x < series_band) return 2.0 * tr_ * tr_ / pi * series(false, x, 3);
        if (1.0 - x < series_band) return parabola(t) - f(t);
        return p3_closed(x);
    }
    // M - P3, which falls to 0 at tauR and stays there.
    double f(double t) const {
        const double x = t / tr_;
        if (x >= 1.0) return 0.0;
        if (1.0 - x < series_band) return 2.0 * tr_ * tr_ / pi * series(true, 1.0 - x, 3);
        return parabola(t) - p3(t);
    }

    double tr_, ts_;
};

class YoffeShape final : public Shape {
public:
    std::string_view name() const override { return "yoffe"; }
    std::string_view formula() const override { return "regularized Yoffe: rise tauR, smoothing tauS"; }
    int rank() const override { return 8; }
    std::vector<ShapeOption> options() const override {
        return {{"rise", "SECONDS", "the Yoffe rise time tauR (required)"},
                {"smoothing", "SECONDS", "the triangle's half width tauS (required)"}};
    }
    MadeSource make(const ShapeValues& values) const override {
        if (values.find("rise") == nullptr || values.find("smoothing") == nullptr)
            return Refusal{"--shape=yoffe needs both --rise and --smoothing"};
        const Checked<double> rise = one_time(values, {direct_time("rise")}, "tauR", 0.0);
        if (const Refusal* r = std::get_if<Refusal>(&rise)) return *r;
        const Checked<double> smoothing = one_time(values, {direct_time("smoothing")}, "tauS", 0.0);
        if (const Refusal* r = std::get_if<Refusal>(&smoothing)) return *r;
        return std::make_shared<const YoffeSource>(std::get<double>(rise), std::get<double>(smoothing));
    }
};

const YoffeShape shape;
const bool registered = register_shape(shape);

}  // namespace

}  // namespace exp_slipv
