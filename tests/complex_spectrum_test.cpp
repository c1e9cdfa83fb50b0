// Each shape's complex spectrum V(omega) = integral of v(t) e^(-i omega t),
// against the transform of the shape's definition by quadrature in long
// double (never the program's routines), and at extreme arguments against
// forms worked out here: the moment-rate spectrum of a rupture adds these
// with their phases, so the phase must be right as well as the modulus.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <functional>
#include <map>
#include <numbers>
#include <string>
#include <vector>

#include "source/shape.hpp"
#include "support/shape_reference.hpp"

namespace {

using L = long double;
using LC = std::complex<L>;
constexpr L pi = std::numbers::pi_v<L>;

std::shared_ptr<const exp_slipv::Source> make(const std::string& shape, const std::map<std::string, std::string>& values) {
    return testing_support::program_source(shape, values);
}

// The integral of v e^(-i omega t) over the pieces between the knots.
LC transform(const std::function<L(L)>& v, const std::vector<L>& knots, L omega, int pieces) {
    L re = 0, im = 0;
    for (std::size_t i = 0; i + 1 < knots.size(); ++i) {
        re += testing_support::quadrature([&](L t) { return v(t) * std::cos(omega * t); }, knots[i], knots[i + 1], pieces);
        im -= testing_support::quadrature([&](L t) { return v(t) * std::sin(omega * t); }, knots[i], knots[i + 1], pieces);
    }
    return {re, im};
}

// The asymmetric cosine written out from its definition, 1 - cos x as
// 2 sin^2(x/2) so that even long double keeps its digits near t = 0.
L asymmetric_cosine(L t, L tr, L tf) {
    if (t <= 0 || t >= tr + tf) return 0;
    if (t <= tr) return 2 * std::pow(std::sin(pi * t / (2 * tr)), 2) / (tr + tf);
    return (1 + std::cos(pi * (t - tr) / tf)) / (tr + tf);
}

struct Case {
    std::string shape;
    std::map<std::string, std::string> values;
    std::function<L(L)> v;
    std::vector<L> knots;  // where v or a derivative breaks, and its end
};

std::vector<Case> cases() {
    using testing_support::shape_reference;
    const auto reference = [](const std::string& shape, const std::map<std::string, L>& p) { return shape_reference(shape, p).v; };
    return {
        {"brune", {{"tau", "0.5"}}, reference("brune", {{"tau", 0.5L}}), {0, 2, 8, 20, 40}},
        {"smoothed-brune", {{"tau", "1"}}, reference("smoothed-brune", {{"tau", 1}}), {0, 2.31L, 20, 60, 120}},
        {"triangle", {{"duration", "2"}, {"peak-ratio", "0.3"}}, reference("triangle", {{"duration", 2}, {"peak-ratio", 0.3L}}), {0, 0.6L, 2}},
        {"half-sine", {{"duration", "1.5"}}, reference("half-sine", {{"duration", 1.5L}}), {0, 1.5L}},
        {"hann", {{"duration", "1.5"}}, reference("hann", {{"duration", 1.5L}}), {0, 1.5L}},
        {"liu", {{"tau", "2"}}, reference("liu", {{"tau", 2}}), {0, 0.26L, 0.52L, 2}},
        {"asymmetric-cosine", {{"rise", "0.4"}, {"fall", "1.1"}}, [](L t) { return asymmetric_cosine(t, 0.4L, 1.1L); }, {0, 0.4L, 1.5L}},
        {"boxcar", {{"duration", "0.8"}}, [](L t) { return t > 0 && t < 0.8L ? 1 / 0.8L : 0; }, {0, 0.8L}},
        // The uncut Gaussian, whose transform the closed form is.
        {"gaussian", {{"sigma", "0.2"}, {"delay", "1.2"}},
         [](L t) { return std::exp(-(t - 1.2L) * (t - 1.2L) / (2 * 0.04L)) / (0.2L * std::sqrt(2 * pi)); }, {-7, 1.2L, 9.5L}},
    };
}

TEST(ComplexSpectrum, EveryShapeAgainstTheTransformOfItsDefinition) {
    for (const Case& c : cases()) {
        const auto source = make(c.shape, c.values);
        for (L omega : {0.0L, 0.37L, 2.0L, 3.14159L, 7.5L, 19.0L, 41.0L}) {
            const LC want = transform(c.v, c.knots, omega, 256);
            const std::complex<double> got = source->spectrum(static_cast<double>(omega));
            const L error = std::abs(LC(got.real(), got.imag()) - want);
            EXPECT_LE(static_cast<double>(error), 1e-12 * static_cast<double>(std::abs(want)) + 1e-14)
                << c.shape << " at omega " << static_cast<double>(omega) << ": " << got << " against "
                << static_cast<double>(want.real()) << "," << static_cast<double>(want.imag());
            // The modulus is the amplitude, and V(-omega) its conjugate.
            EXPECT_NEAR(std::abs(got), source->amplitude(static_cast<double>(omega)), 1e-14 + 1e-14 * std::abs(got)) << c.shape;
            EXPECT_LE(std::abs(source->spectrum(-static_cast<double>(omega)) - std::conj(got)), 1e-15) << c.shape;
        }
    }
}

// The Yoffe function's own transform by x = sin^2 phi, which removes its
// singularity: (2/pi) integral of 2 cos^2 phi e^(-i omega tauR sin^2 phi)
// over [0, pi/2]; then the triangle's, e^(-i omega tauS) sinc^2(omega tauS/2).
TEST(ComplexSpectrum, YoffeAgainstItsFactorsByQuadrature) {
    const L tr = 0.8L, ts = 0.15L;
    const auto source = make("yoffe", {{"rise", "0.8"}, {"smoothing", "0.15"}});
    for (L omega : {0.5L, 3.0L, 11.0L, 40.0L, 90.0L}) {
        const L a = omega * tr;
        const L re = testing_support::quadrature([&](L phi) { return 2 * std::pow(std::cos(phi), 2) * std::cos(a * std::pow(std::sin(phi), 2)); }, 0, pi / 2, 128);
        const L im = -testing_support::quadrature([&](L phi) { return 2 * std::pow(std::cos(phi), 2) * std::sin(a * std::pow(std::sin(phi), 2)); }, 0, pi / 2, 128);
        const L x = omega * ts / 2, sinc = std::sin(x) / x;
        const LC want = LC(re, im) * (2 / pi) * std::polar(1.0L, -omega * ts) * sinc * sinc;
        const std::complex<double> got = source->spectrum(static_cast<double>(omega));
        EXPECT_LE(static_cast<double>(std::abs(LC(got.real(), got.imag()) - want)), 1e-12 * static_cast<double>(std::abs(want)))
            << "omega " << static_cast<double>(omega);
    }
}

// Far out, where the Bessel functions come from Hankel's expansions, the
// phase still follows the Yoffe function's: J0 + i J1 against the library's
// Bessel functions just below and just above the switch.
TEST(ComplexSpectrum, YoffeIsContinuousWhereItsBesselFormsMeet) {
    const auto source = make("yoffe", {{"rise", "2"}, {"smoothing", "0.001"}});
    const double switch_omega = 2.0 * 25.0 / 2.0;  // x = omega tauR / 2 = 25
    const std::complex<double> below = source->spectrum(switch_omega * (1 - 1e-13));
    const std::complex<double> above = source->spectrum(switch_omega * (1 + 1e-13));
    EXPECT_LE(std::abs(below - above), 1e-12 * std::abs(below));
    const double x = 30.0;
    const std::complex<double> bessel{std::cyl_bessel_j(0.0, x), std::cyl_bessel_j(1.0, x)};
    const double omega = 2.0 * x / 2.0, s = std::sin(omega * 0.0005) / (omega * 0.0005);
    const std::complex<double> want = std::polar(1.0, -omega * (1.0 + 0.001)) * bessel * (s * s);
    EXPECT_LE(std::abs(source->spectrum(omega) - want), 1e-12 * std::abs(want));
}

// The asymmetric cosine at extreme frequencies.  High: v and v' are
// continuous and v'' jumps at 0, tr and T, so V = (i omega)^-3 sum of the
// jumps times e^(-i omega b), to O(omega^-5); a form whose 1/omega terms
// cancelled numerically would keep no digit there.  Low: V = 1 - i omega t_c,
// t_c = T/2 + 2(tr - tf)/pi^2, to O(omega^2).
TEST(ComplexSpectrum, AsymmetricCosineAtExtremeFrequencies) {
    const L a = 0.4L, b = 1.1L, T = a + b;
    const auto source = make("asymmetric-cosine", {{"rise", "0.4"}, {"fall", "1.1"}});
    for (L omega : {1e5L, 1e6L, 3.3e7L}) {
        const LC i{0, 1};
        const LC jumps = pi * pi / (a * a * T) + (pi * pi / (a * a * T) - pi * pi / (b * b * T)) * std::polar(1.0L, -omega * a) -
                         pi * pi / (b * b * T) * std::polar(1.0L, -omega * T);
        const LC want = jumps / (i * omega * i * omega * i * omega);
        const std::complex<double> got = source->spectrum(static_cast<double>(omega));
        EXPECT_LE(static_cast<double>(std::abs(LC(got.real(), got.imag()) - want) / std::abs(want)), 1e-7)
            << "omega " << static_cast<double>(omega);
    }
    for (L omega : {1e-6L, 1e-9L, 1e-14L}) {
        const L centroid = T / 2 + 2 * (a - b) / (pi * pi);
        const std::complex<double> got = source->spectrum(static_cast<double>(omega));
        EXPECT_NEAR(got.real(), 1.0, 1e-11);
        EXPECT_LE(std::fabs(static_cast<double>((got.imag() + omega * centroid) / (omega * centroid))), 1e-9)
            << "omega " << static_cast<double>(omega);
    }
    // Both forms agree where they meet, at omega T = pi.
    const double meet = static_cast<double>(pi / T);
    const std::complex<double> low = source->spectrum(meet * (1 - 1e-14)), high = source->spectrum(meet * (1 + 1e-14));
    EXPECT_LE(std::abs(low - high), 1e-13 * std::abs(low));
}

// Its slip and figures, from the definition: s on the rise, 1 - s near the
// end, the peak 2/T at tr and the centroid.
TEST(ComplexSpectrum, AsymmetricCosineSlipAndFigures) {
    const L a = 0.4L, b = 1.1L, T = a + b;
    const auto source = make("asymmetric-cosine", {{"rise", "0.4"}, {"fall", "1.1"}});
    for (L t : {1e-9L, 1e-4L, 0.1L, 0.4L, 0.9L, 1.5L - 1e-6L}) {
        const L s = testing_support::quadrature([&](L u) { return asymmetric_cosine(u, a, b); }, 0, std::min(t, a), 16) +
                    (t > a ? testing_support::quadrature([&](L u) { return asymmetric_cosine(u, a, b); }, a, t, 16) : 0);
        const L rest = (t < a ? testing_support::quadrature([&](L u) { return asymmetric_cosine(u, a, b); }, t, a, 16) : 0) +
                       testing_support::quadrature([&](L u) { return asymmetric_cosine(u, a, b); }, std::max(t, a), T, 16);
        const double got = source->slip(static_cast<double>(t));
        EXPECT_LE(std::fabs(got - static_cast<double>(s)) / static_cast<double>(s), 1e-13) << "t " << static_cast<double>(t);
        EXPECT_LE(std::fabs((1 - got) - static_cast<double>(rest)), 1e-16 + 1e-12 * static_cast<double>(rest));
    }
    const exp_slipv::SourceFigures f = source->figures();
    EXPECT_DOUBLE_EQ(f.peak_time, 0.4);
    EXPECT_DOUBLE_EQ(f.peak_velocity, static_cast<double>(2 / T));
    EXPECT_NEAR(f.centroid_time, static_cast<double>(T / 2 + 2 * (a - b) / (pi * pi)), 1e-15);
    EXPECT_FALSE(source->endless());
}

}  // namespace
