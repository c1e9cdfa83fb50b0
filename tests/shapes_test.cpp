// Every pulse shape against values worked out here, in long double, by
// other routes than the program's: the definitions written out, Gauss-
// Legendre quadrature of v, and the closed forms of the sampled spectra.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <functional>
#include <map>
#include <numbers>
#include <string>

#include "report/reference_transform.hpp"
#include "source/shape.hpp"
#include "support/shape_reference.hpp"

namespace {

using L = long double;
using LC = std::complex<L>;
constexpr L pi = std::numbers::pi_v<L>;

std::shared_ptr<const exp_slipv::Source> make(const std::string& shape, const std::map<std::string, std::string>& values) {
    return testing_support::program_source(shape, values);
}

L quad(const std::function<L(L)>& f, L a, L b, int pieces = 8) { return testing_support::quadrature(f, a, b, pieces); }

double relative(double got, L want) { return static_cast<double>(std::fabs(got - want) / std::fabs(want)); }

const testing_support::ShapeReference smoothed_brune = testing_support::shape_reference("smoothed-brune", {});
const testing_support::ShapeReference liu = testing_support::shape_reference("liu", {});
L smoothed_brune_v(L t, L) { return smoothed_brune.v(t); }
L liu_v(L t, L) { return liu.v(t); }
using testing_support::smoothed_brune_c2;
using testing_support::yoffe_slip;
using testing_support::yoffe_velocity;

// --- v, s and |V| at chosen points, extreme ones included ---------------

struct Point {
    std::string shape;
    std::map<std::string, std::string> values;
    double t;
    L v, s;
    double tolerance;  // relative
};

TEST(Shapes, VelocityAndSlipAgainstTheDefinitions) {
    const L T = 2;
    const L tr = 1, ts = 0.1L;
    std::vector<Point> points;
    // Boxcar: mid value at the jumps.
    for (double t : {0.0, 1e-12, 0.7, 2.0, 2.5})
        points.push_back({"boxcar", {{"duration", "2"}}, t, t == 0.0 || t == 2.0 ? 0.25L : t < 2 ? 0.5L : 0, t >= 2 ? 1 : t / T, 1e-15});
    // Triangle, r = 0.3: v = 2t/(rT^2), s = t^2/(rT^2) rising.
    for (double t : {1e-12, 0.3, 0.6, 1.5, 2.0 - 1e-9}) {
        const L r = 0.3L, x = t;
        const L v = x <= r * T ? 2 * x / (r * T * T) : 2 * (T - x) / ((1 - r) * T * T);
        const L s = x <= r * T ? x * x / (r * T * T) : 1 - (T - x) * (T - x) / ((1 - r) * T * T);
        points.push_back({"triangle", {{"duration", "2"}, {"peak-ratio", "0.3"}}, t, v, s, 1e-6 < t && t < 1.99 ? 4e-16 : 2e-7});
    }
    // Half sine and Hann: slips from quadrature near 0, where 1 - cos cancels.
    for (double t : {1e-12, 1e-6, 0.25, 1.0, 1.9, 2.0 - 1e-9}) {
        const L x = t, near = std::min(x, T - x);  // sin(pi x/T) = sin(pi (T - x)/T), T - x exact
        points.push_back({"half-sine", {{"duration", "2"}}, t, pi / (2 * T) * std::sin(pi * near / T),
                          quad([&](L u) { return pi / (2 * T) * std::sin(pi * u / T); }, 0, x), 1e-15});
        points.push_back({"hann", {{"duration", "2"}}, t, 2 * std::pow(std::sin(pi * near / T), 2) / T,
                          quad([&](L u) { return 2 * std::sin(pi * u / T) * std::sin(pi * u / T) / T; }, 0, x),
                          t < 1e-3 ? 1e-8 : 1e-15});
    }
    // Smoothed Brune and Liu: slips by quadrature of the written-out v.
    points.push_back({"smoothed-brune", {{"tau", "1"}}, 1e-12, smoothed_brune_c2 * static_cast<L>(1e-12) * static_cast<L>(1e-12),
                      smoothed_brune_c2 * std::pow(static_cast<L>(1e-12), 3) / 3, 1e-11});
    for (double t : {1e-4, 0.5, 1.5, 2.3, 2.32, 6.0}) {
        const L x = t;
        points.push_back({"smoothed-brune", {{"tau", "1"}}, t, smoothed_brune_v(x, 1),
                          x < 2.31L ? quad([](L u) { return smoothed_brune_v(u, 1); }, 0, x)
                                    : quad([](L u) { return smoothed_brune_v(u, 1); }, 0, 2.31L) +
                                          quad([](L u) { return smoothed_brune_v(u, 1); }, 2.31L, x),
                          1e-13});
    }
    for (double t : {1e-12, 1e-5, 0.1, 0.13, 0.2, 0.26, 0.5, 0.9999}) {
        const L x = t;
        L s = 0;
        const L knots[] = {0, 0.13L, 0.26L, 1};
        for (int i = 0; i < 3; ++i) s += quad([](L u) { return liu_v(u, 1); }, knots[i], std::min(x, knots[i + 1]) > knots[i] ? std::min(x, knots[i + 1]) : knots[i]);
        points.push_back({"liu", {{"tau", "1"}}, t, liu_v(x, 1), s, 2e-14});
    }
    // Gaussian cut at 0: s is the integral from 0.
    for (double t : {1e-12, 0.01, 3.0, 6.0, 9.0}) {
        const L x = t;
        const L v = std::exp(-(x - 6) * (x - 6) / 2) / std::sqrt(2 * pi);
        const L s = x < 1 ? quad([](L u) { return std::exp(-(u - 6) * (u - 6) / 2) / std::sqrt(2 * pi); }, 0, x)
                          : (std::erfc((6 - x) / std::sqrt(2.0L)) - std::erfc(6 / std::sqrt(2.0L))) / 2;
        points.push_back({"gaussian", {{"sigma", "1"}}, t, v, s, 1e-14});
    }
    // Regularized Yoffe, tauR = 1, tauS = 0.1: near 0, mid-pulse, the tail.
    for (double t : {1e-12, 1e-6, 0.05, 0.15, 0.3, 0.7, 1.05, 1.15, 1.19, 1.2 - 1e-6}) {
        const L x = t;
        points.push_back({"yoffe", {{"rise", "1"}, {"smoothing", "0.1"}}, t,
                          yoffe_velocity(x, tr, ts), yoffe_slip(x, tr, ts),
                          t > 1.19 ? 1e-9 : 1e-12});
    }
    for (const Point& p : points) {
        const auto source = make(p.shape, p.values);
        if (p.v == 0) {
            EXPECT_EQ(source->velocity(p.t), 0.0) << p.shape << " t = " << p.t;
        } else {
            EXPECT_LE(relative(source->velocity(p.t), p.v), p.tolerance) << p.shape << " v at t = " << p.t;
        }
        if (p.s == 0) {
            EXPECT_EQ(source->slip(p.t), 0.0) << p.shape << " t = " << p.t;
        } else {
            EXPECT_LE(relative(source->slip(p.t), p.s), p.tolerance) << p.shape << " s at t = " << p.t;
        }
    }
}

TEST(Shapes, TheYoffeTailKeepsItsRelativePrecision) {
    // Near the end the pulse is (P2 - L) at the last argument alone: the
    // compact form would cancel to nothing there.
    const auto source = make("yoffe", {{"rise", "1"}, {"smoothing", "0.1"}});
    for (double before_end : {1e-2, 1e-4, 1e-6}) {
        const L t = 1.2L - before_end;
        const L want = yoffe_velocity(t, 1, 0.1L);
        EXPECT_LE(relative(source->velocity(static_cast<double>(t)), want), 1e-9) << before_end;
        EXPECT_GT(source->velocity(static_cast<double>(t)), 0.0);
    }
    // tauR < tauS is as valid: the pulse keeps unit area.
    const auto wide = make("yoffe", {{"rise", "0.5"}, {"smoothing", "1"}});
    EXPECT_NEAR(static_cast<double>(quad([&](L t) { return wide->velocity(static_cast<double>(t)); }, 0, 2.5L, 256)), 1.0, 1e-5);
    EXPECT_EQ(wide->slip(2.5), 1.0);
}

TEST(Shapes, AmplitudeAgainstQuadratureAndClosedForms) {
    struct Case {
        std::string shape;
        std::map<std::string, std::string> values;
        double omega;
        L want;
        double tolerance;
    };
    std::vector<Case> cases;
    const L T = 2;
    for (double om : {1e-6, 0.3, 1.0, 7.0, 40.0}) {
        const L u = om * T;
        cases.push_back({"boxcar", {{"duration", "2"}}, om, std::fabs(std::sin(u / 2) / (u / 2)), 1e-15});
        cases.push_back({"triangle", {{"duration", "2"}}, om, std::pow(std::sin(u / 4) / (u / 4), 2), 1e-14});
        cases.push_back({"triangle", {{"duration", "2"}, {"peak-ratio", "0.2"}}, om,
                         testing_support::shape_reference("triangle", {{"duration", 2}, {"peak-ratio", 0.2L}}).amplitude(om), 1e-13});
        cases.push_back({"half-sine", {{"duration", "2"}}, om, pi * pi * std::fabs(std::cos(u / 2)) / std::fabs(pi * pi - u * u), 1e-14});
        cases.push_back({"hann", {{"duration", "2"}}, om, std::fabs(std::sin(u / 2) / (u / 2)) / std::fabs(1 - u * u / (4 * pi * pi)), 1e-14});
        cases.push_back({"liu", {{"tau", "1"}}, om, liu.amplitude(om), 1e-13});
        cases.push_back({"smoothed-brune", {{"tau", "1"}}, om, smoothed_brune.amplitude(om), 1e-12});
        cases.push_back({"gaussian", {{"sigma", "0.5"}}, om, std::exp(-static_cast<L>(om) * om * 0.125L), 1e-15});
        cases.push_back({"yoffe", {{"rise", "1"}, {"smoothing", "0.1"}}, om,
                         testing_support::shape_reference("yoffe", {{"rise", 1}, {"smoothing", 0.1L}}).amplitude(om), 1e-11});
    }
    // The removable points: the half sine at omega T = pi (pi/4), Hann at
    // omega T = 2 pi (1/2), to the last bits.
    cases.push_back({"half-sine", {{"duration", "1"}}, std::numbers::pi, pi / 4 * std::cos((pi - std::numbers::pi) / 2), 1e-15});
    cases.push_back({"hann", {{"duration", "1"}}, 2 * std::numbers::pi, 0.5L, 1e-15});
    // Extreme arguments: the smoothed Brune's tail |(1 + 9/h) - (3/h) e^(-h)
    // e^(-i omega tau h)|/(omega tau)^3 (the jump of v'' at h beats against
    // the smooth part), where the form's two leading terms cancel; the Yoffe
    // tail sqrt(2/(pi x)) sinc^2(omega tauS/2), x = omega tauR/2.
    // At omega tau = 1e12 the next terms are 1e-12 of these, and the
    // cancelling form would have lost 12 digits.
    const L h = 2.31L, om = 1e12L;
    cases.push_back({"smoothed-brune", {{"tau", "1"}}, 1e12,
                     std::abs(LC(1 + 9 / h) - 3 / h * std::exp(-h) * std::polar(1.0L, -om * h)) / (om * om * om), 1e-10});
    const L yoffe_sinc = std::sin(1e7L * 1e-9L / 2) / (1e7L * 1e-9L / 2);
    cases.push_back({"yoffe", {{"rise", "2"}, {"smoothing", "1e-9"}}, 1e7,
                     std::sqrt(2 / (pi * 1e7L)) * yoffe_sinc * yoffe_sinc, 1e-7});
    for (const Case& c : cases)
        EXPECT_LE(relative(make(c.shape, c.values)->amplitude(c.omega), c.want), c.tolerance) << c.shape << " at omega = " << c.omega;
}

TEST(Shapes, TheYoffeSpectrumOnBothSidesOfItsAsymptoticForm) {
    // |J0 + i J1|(x) as (2/pi)|int_0^(pi/2) 2 cos^2(phi) e^(-2 i x sin^2 phi) dphi|,
    // by quadrature fine enough for the oscillations, against the program's
    // library Bessel functions below x = 25 and Hankel's expansions above.
    const auto source = make("yoffe", {{"rise", "2"}, {"smoothing", "1e-9"}});
    for (const L x : {1.0L, 24.9L, 25.0L, 25.1L, 60.0L, 150.0L}) {
        const L a = 2 * x;
        const L re = quad([&](L phi) { return 2 * std::pow(std::cos(phi), 2) * std::cos(a * std::pow(std::sin(phi), 2)); }, 0, pi / 2, 1024);
        const L im = quad([&](L phi) { return 2 * std::pow(std::cos(phi), 2) * std::sin(a * std::pow(std::sin(phi), 2)); }, 0, pi / 2, 1024);
        const L sinc = std::sin(x * 0.5e-9L) / (x * 0.5e-9L);  // omega = x, tauS = 1e-9
        EXPECT_LE(relative(source->amplitude(static_cast<double>(x)), 2 / pi * std::hypot(re, im) * sinc * sinc), 2e-14) << x;
    }
}

TEST(Shapes, DerivedFigures) {
    // Values computed independently (closed forms, 50-digit roots).
    struct Case {
        std::string shape;
        std::map<std::string, std::string> values;
        L peak_time, peak, centroid, t95, half;
        double tolerance;
    };
    const L T = 1;
    const std::vector<Case> cases = {
        {"smoothed-brune", {{"tau", "1"}}, 1.091366L, 0.414264L, 2.041311L, 4.743865L, 0.168431L, 2e-6},
        {"boxcar", {{"duration", "1"}}, 0, 1, 0.5L, 0.95L, 0.603355L, 2e-6},
        {"triangle", {{"duration", "1"}}, 0.5L, 2, 0.5L, 0.841886L, 0.885893L, 2e-6},
        {"half-sine", {{"duration", "1"}}, 0.5L, pi / 2, 0.5L, std::acos(-0.9L) / pi, 0.819704L, 2e-6},
        {"hann", {{"duration", "1"}}, 0.5L, 2, 0.5L, 0.798041L, 1 / T, 2e-6},
        {"liu", {{"tau", "1"}}, 0.13L, 4.059625L, 0.262294L, 0.655673L, 1.09655L, 2e-6},
        {"gaussian", {{"sigma", "1"}}, 6, 1 / std::sqrt(2 * pi), 6, 6 + 1.644854L, std::sqrt(2 * std::log(2.0L)) / (2 * pi), 2e-6},
        {"yoffe", {{"rise", "1"}, {"smoothing", "0.1"}}, 0.1318L, 3.047611L, 0.35L, 0.87386L, 0.77906L, 2e-4},
    };
    for (const Case& c : cases) {
        const exp_slipv::SourceFigures f = make(c.shape, c.values)->figures();
        const auto near = [&](double got, L want, const char* what) {
            EXPECT_LE(std::fabs(got - want), c.tolerance * std::max<L>(1, std::fabs(want))) << c.shape << " " << what;
        };
        near(f.peak_time, c.peak_time, "peak time");
        near(f.peak_velocity, c.peak, "peak");
        near(f.centroid_time, c.centroid, "centroid");
        near(f.rise_time_95, c.t95, "t95");
        near(f.half_amplitude_frequency, c.half, "f1/2");
    }
    // The Hann pulse's |V| = 1/2 at exactly 1/T; the triangle's 95 % on its
    // rising leg when r > 0.95: T sqrt(0.95 r).
    EXPECT_NEAR(make("hann", {{"duration", "2"}})->figures().half_amplitude_frequency, 0.5, 1e-13);
    EXPECT_NEAR(make("triangle", {{"duration", "1"}, {"peak-ratio", "0.99"}})->figures().rise_time_95,
                std::sqrt(0.95 * 0.99), 1e-15);
}

TEST(Shapes, TheRiseTimeSetsNinetyFivePercentOfTheSlip) {
    for (const char* shape : {"brune", "smoothed-brune", "boxcar", "triangle", "half-sine", "hann", "liu"}) {
        const auto source = make(shape, {{"rise-time", "3"}});
        EXPECT_NEAR(source->slip(3.0), 0.95, 1e-13) << shape;
    }
    const auto skewed = make("triangle", {{"rise-time", "3"}, {"peak-ratio", "0.2"}});
    EXPECT_NEAR(skewed->slip(3.0), 0.95, 1e-13);
}

TEST(Shapes, TheSamplesHaveUnitArea) {
    // dt times the sum of the samples: the transform at 0, exactly 1 for the
    // boxcar with its mid values and for a Hann or half sine of whole steps
    // up to rounding; within the aliasing of smooth pulses otherwise.
    const std::vector<std::pair<std::string, std::map<std::string, std::string>>> shapes = {
        {"smoothed-brune", {{"tau", "1"}}}, {"boxcar", {{"duration", "1"}}},  {"triangle", {{"duration", "1"}}},
        {"half-sine", {{"duration", "1"}}}, {"hann", {{"duration", "1"}}},    {"liu", {{"tau", "1"}}},
        {"gaussian", {{"sigma", "1"}}},     {"yoffe", {{"rise", "1"}, {"smoothing", "0.1"}}}};
    for (const auto& [shape, values] : shapes) {
        const auto source = make(shape, values);
        L sum = 0;
        for (int k = 0; k < 100000; ++k) sum += source->velocity(k * 0.001);
        const L area = sum * 0.001L;
        EXPECT_NEAR(static_cast<double>(area), shape == "gaussian" ? 1 - std::erfc(6 / std::sqrt(2.0)) / 2 : 1.0, 2e-6) << shape;
    }
}

TEST(Shapes, TheSmoothedBrunePulsesEndlessRecordAgainstItsSamplesSummed) {
    // The program sums the samples up to x = h and takes Brune's tail in
    // closed form; here every sample up to t = 60 tau is summed.
    const auto source = make("smoothed-brune", {{"tau", "0.5"}});
    const auto reference = testing_support::shape_reference("smoothed-brune", {{"tau", 0.5L}});
    for (const double dt : {0.01, 0.07, 0.2}) {
        for (const double om : {0.0, 0.5, 3.0, 40.0}) {
            std::complex<L> sum = 0;
            for (int k = static_cast<int>(30 / dt); k >= 0; --k) sum = sum * std::polar(1.0L, -static_cast<L>(om) * dt) + reference.v(k * static_cast<L>(dt));
            const L want = std::abs(sum) * dt;
            const auto got = source->sampled_spectrum(om, dt, 0);
            ASSERT_TRUE(got.has_value());
            EXPECT_LE(relative(std::abs(*got), want), 1e-13) << dt << " " << om;
        }
    }
    // Only the endless record has the closed form; the report sums finite ones.
    EXPECT_FALSE(source->sampled_spectrum(1.0, 0.01, 100).has_value());
}

TEST(ReferenceTransform, MatchesTheClosedFormsOfSampledSpectra) {
    // Hann and half sine of N = 50 whole steps: the closed forms of their
    // sampled spectra, with z = e^(-i theta), theta = 2 pi j / n.
    const int n = 256, steps = 50;
    const L dt = 0.02L, T = steps * dt;
    std::vector<double> hann(n, 0.0), half(n, 0.0);
    for (int k = 0; k <= steps; ++k) {
        hann[k] = static_cast<double>(2 * std::pow(std::sin(pi * k / steps), 2) / T);
        half[k] = static_cast<double>(pi / (2 * T) * std::sin(pi * k / steps));
    }
    const auto got_hann = exp_slipv::reference_amplitudes(hann.data(), n, n, n, 0.02);
    const auto got_half = exp_slipv::reference_amplitudes(half.data(), n, 60, n, 0.02);
    for (int j = 1; j < n / 2; ++j) {
        const L theta = 2 * pi * j / n;
        const LC z = std::polar(1.0L, -theta);
        const L alpha = 2 * pi / steps;
        const LC zn = std::pow(z, steps);
        const LC vh = dt / T * (1.0L - zn) * (1.0L / (1.0L - z) - (1.0L - z * std::cos(alpha)) / (1.0L - 2.0L * z * std::cos(alpha) + z * z));
        const LC vs = pi * dt / (2 * T) * std::sin(pi / steps) * z * (1.0L + zn) / (1.0L - 2.0L * z * std::cos(pi / steps) + z * z);
        // The samples are rounded to doubles: some 1e-16 each.
        EXPECT_LE(std::fabs(got_hann[j] - std::abs(vh)), 1e-15L + 1e-12L * std::abs(vh)) << j;
        EXPECT_LE(std::fabs(got_half[j] - std::abs(vs)), 1e-15L + 1e-12L * std::abs(vs)) << j;
    }
}

}  // namespace
