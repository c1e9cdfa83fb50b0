// The transform: its reordering, exact cases, and agreement with the
// defining sum.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstring>
#include <random>
#include <vector>

#include "dwvfast.hpp"

namespace {

using Complex = std::complex<double>;
using Signal = std::vector<Complex>;

Signal ramp(int n) {
    Signal a(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) a[static_cast<std::size_t>(i)] = {static_cast<double>(i + 1), 0.0};
    return a;
}

Signal random_signal(int n, unsigned seed) {
    std::mt19937_64 random(seed);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    Signal x(static_cast<std::size_t>(n));
    for (Complex& v : x) v = {unit(random), unit(random)};
    return x;
}

TEST(Dwvfast, ShortLengthsAreLeftAlone) {
    Signal a = {{3, 1}, {5, -2}};
    const Signal before = a;
    dwvfast(0, a.data(), 2, -1);
    dwvfast(-4, a.data(), 2, -1);
    dwvfast(1, a.data(), 2, -1);
    EXPECT_EQ(a, before);
}

TEST(Dwvfast, TwoPoints) {
    Signal a = {{3, 1}, {5, -2}};
    dwvfast(2, a.data(), 2, -1);
    EXPECT_EQ(a, (Signal{{8, -1}, {-2, 3}}));
}

TEST(Dwvfast, ReorderingIsTheBitReversal) {
    // A ramp 1, 2, ..., n shows the order the reordering leaves: element i
    // (numbered from 1) then holds 1 plus the bit reversal of i - 1.
    for (const auto& [n, order] : std::vector<std::pair<int, std::vector<int>>>{
             {8, {1, 5, 3, 7, 2, 6, 4, 8}},
             {16, {1, 9, 5, 13, 3, 11, 7, 15, 2, 10, 6, 14, 4, 12, 8, 16}}}) {
        Signal a = ramp(n);
        dwvfast_reorder(n, a.data());
        for (int i = 0; i < n; ++i)
            EXPECT_EQ(a[static_cast<std::size_t>(i)].real(), order[static_cast<std::size_t>(i)]) << n << " " << i;
    }
}

TEST(Dwvfast, ImpulseAndConstantAreExact) {
    for (int n = 2; n <= 8192; n *= 2) {
        for (int ind : {-1, 1}) {
            Signal impulse(static_cast<std::size_t>(n));
            impulse[0] = {1.0, 0.0};
            dwvfast(n, impulse.data(), n, ind);
            for (const Complex& x : impulse) ASSERT_EQ(x, Complex(1.0, 0.0)) << n << " " << ind;

            Signal constant(static_cast<std::size_t>(n), Complex(1.0, 0.0));
            dwvfast(n, constant.data(), n, ind);
            ASSERT_EQ(constant[0], Complex(n, 0.0));
            for (int i = 1; i < n; ++i) ASSERT_EQ(constant[static_cast<std::size_t>(i)], Complex(0.0, 0.0)) << n << " " << i;
        }
    }
}

TEST(Dwvfast, QuarterTurnUsesTheProgramsPi) {
    // n = 4, ind = -1, input at element 4: the second stage's factor for
    // k - 1 = kmax / 2 is (c, -1) with c = cos(-pai/2) = -sin(delta), delta =
    // (pai - pi)/2 = 2.05e-10, so c = -delta to far below a unit of its last
    // digit (delta^3/6 ~ 1e-30).  pi as the double nearest it plus the rest
    // (1.2246467991473532e-16): pai minus the first is exact, and the rest
    // is needed, as delta is ten digits smaller than pi.
    Signal a = {{0, 0}, {0, 0}, {0, 0}, {1, 0}};
    dwvfast(4, a.data(), 4, -1);
    const double pi_high = 3.141592653589793, pi_low = 1.2246467991473532e-16;
    const double c = -((3.141592654 - pi_high) - pi_low) / 2;
    EXPECT_NEAR(c, -2.05e-10, 0.01e-10);
    const Signal expected = {{1, 0}, {-c, 1}, {-1, 0}, {c, -1}};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_DOUBLE_EQ(a[i].real(), expected[i].real()) << i;
        EXPECT_EQ(a[i].imag(), expected[i].imag()) << i;
    }
}

// The defining sum with the full-precision pi, in long double.
Signal direct_sum(const Signal& x, int ind) {
    const std::size_t n = x.size();
    const long double pi = 3.14159265358979323846264338327950288L;
    Signal result(n);
    for (std::size_t m = 0; m < n; ++m) {
        long double re = 0, im = 0;
        for (std::size_t l = 0; l < n; ++l) {
            const long double angle = ind * 2.0L * pi * static_cast<long double>((l * m) % n) / static_cast<long double>(n);
            const long double c = std::cos(angle), s = std::sin(angle);
            re += x[l].real() * c - x[l].imag() * s;
            im += x[l].real() * s + x[l].imag() * c;
        }
        result[m] = {static_cast<double>(re), static_cast<double>(im)};
    }
    return result;
}

TEST(Dwvfast, AgreesWithTheDefiningSum) {
    const int n = 512;
    const Signal x = random_signal(n, 42);
    for (int ind : {-1, 1}) {
        Signal fast = x;
        dwvfast(n, fast.data(), n, ind);
        const Signal exact = direct_sum(x, ind);
        // Each term's phase is the sum of at most log2(n) stage angles below pi
        // in size, each too large by the factor pai/pi: its error is at most
        // log2(n) * pi * (pai/pi - 1) = log2(n) * (pai - pi).  Rounding adds
        // far less (about log2(n) * 2^-53 * sum |x|).
        double sum = 0;
        for (const Complex& v : x) sum += std::abs(v);
        const double bound = sum * std::log2(n) * (3.141592654 - M_PI) + sum * 1e-14;
        double worst = 0;
        for (int i = 0; i < n; ++i) worst = std::max(worst, std::abs(fast[i] - exact[i]));
        EXPECT_LT(worst, bound);
        // The bound is a real limit: the angle excess shows in the result.
        EXPECT_GT(worst, 1e-12);
    }
}

// The transform as its definition states it, stage by stage: the reordering,
// then for kmax = 1, 2, 4, ... every butterfly with its twiddle factor
// evaluated afresh, exp(0) times the cosine and the sine of its angle.
Signal stage_by_stage(Signal a, int ind) {
    const int n = static_cast<int>(a.size());
    dwvfast_reorder(n, a.data());
    for (int kmax = 1; kmax < n; kmax *= 2) {
        const int istep = 2 * kmax;
        for (int k = 1; k <= kmax; ++k) {
            const int trips = (n - k + istep) / istep;
            for (int t = 0, i = k; t < trips; ++t, i += istep) {
                const int j = i + kmax;
                const double phi = static_cast<double>((k - 1) * ind) * 3.141592654 / static_cast<double>(kmax);
                const double e = std::exp(0.0);
                const double c = std::cos(phi) * e, s = std::sin(phi) * e;
                Complex& upper = a[static_cast<std::size_t>(i - 1)];
                Complex& lower = a[static_cast<std::size_t>(j - 1)];
                const double p = lower.real(), q = lower.imag();
                const double temp_re = p * c - q * s, temp_im = p * s + c * q;
                lower = {upper.real() - temp_re, upper.imag() - temp_im};
                upper = {upper.real() + temp_re, upper.imag() + temp_im};
            }
        }
    }
    return a;
}

TEST(Dwvfast, EveryLengthGivesTheBitsOfTheStageByStageOrder) {
    // The stages are done several at a time; every bit must stay as the
    // definition makes it, for every count of stages (1 to 14).
    for (int n = 2; n <= 16384; n *= 2) {
        for (int ind : {-1, 1}) {
            const Signal x = random_signal(n, static_cast<unsigned>(n + ind));
            Signal fast = x;
            dwvfast(n, fast.data(), n, ind);
            const Signal expected = stage_by_stage(x, ind);
            for (int i = 0; i < n; ++i) {
                const Complex f = fast[static_cast<std::size_t>(i)], e = expected[static_cast<std::size_t>(i)];
                ASSERT_TRUE(std::memcmp(&f, &e, sizeof f) == 0) << "n " << n << " ind " << ind << " element " << i;
            }
        }
    }
}

TEST(Dwvfast, OtherLengthsAreLeftAlone) {
    // Their stages would reach beyond the n elements given.
    for (int n : {3, 5, 6, 12, 1000, 8191}) {
        Signal a = random_signal(n, 3);
        const Signal before = a;
        dwvfast(n, a.data(), n, -1);
        EXPECT_EQ(a, before) << n;
    }
}

TEST(Dwvfast, ForwardThenBackwardGivesNTimesTheInput) {
    const int n = 8192;
    const Signal x = random_signal(n, 7);
    Signal y = x;
    dwvfast(n, y.data(), n, -1);
    dwvfast(n, y.data(), n, 1);
    for (int i = 0; i < n; ++i) ASSERT_LT(std::abs(y[i] / static_cast<double>(n) - x[i]), 1e-14) << i;
}

}  // namespace
