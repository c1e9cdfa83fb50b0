// The Brune source's closed forms against values worked out here in long
// double, by other routes than the program's, at ordinary and extreme
// arguments.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

#include "source/shapes/brune.hpp"
#include "support/brune_reference.hpp"

namespace {

using testing_support::reference_brune_slip;

double ulps(double got, long double want) { return static_cast<double>(std::fabs(got - want) / (want * DBL_EPSILON)); }

TEST(BruneSource, TheSlipKeepsFullRelativePrecisionForEveryArgument) {
    // x from 1e-15 to 800 in steps of 0.2 % (and the series' edge at 2).
    double worst = 0.0, at = 0.0;
    for (double x = 1e-15; x < 800.0; x *= 1.002) {
        const double e = ulps(exp_slipv::brune_slip_fraction(x), reference_brune_slip(x));
        if (e > worst) worst = e, at = x;
    }
    for (double x = 1.9; x < 2.1; x += 1e-4) {
        const double e = ulps(exp_slipv::brune_slip_fraction(x), reference_brune_slip(x));
        if (e > worst) worst = e, at = x;
    }
    EXPECT_LE(worst, 2.5) << "at x = " << at;
}

TEST(BruneSource, ExtremeArguments) {
    // x = 1e-12: x^2/2 - x^3/3 to 24 digits; x = 1e3: 1 - 1001 e^-1000 is 1.
    // The doubles nearest 1e-12 and 1e-15, as the program gets them.
    const long double pico = 1e-12, femto = 1e-15;
    EXPECT_LE(ulps(exp_slipv::brune_slip_fraction(1e-12), pico * pico / 2 - pico * pico * pico / 3), 1.5);
    EXPECT_LE(ulps(exp_slipv::brune_slip_fraction(1e-15), femto * femto / 2 - femto * femto * femto / 3), 1.5);
    EXPECT_EQ(exp_slipv::brune_slip_fraction(1e3), 1.0);
    EXPECT_EQ(exp_slipv::brune_slip_fraction(0.0), 0.0);
    const exp_slipv::BruneSource source(2.0);
    // v = t/tau^2 e^(-t/tau): at t = 2e-12 s, 5e-13 (1 - 1e-12); at 1400 s,
    // 350 e^-700, where e^x carries x times the rounding of its argument; at
    // t/tau = 1e3, 500 e^-1000 lies below the smallest double.
    EXPECT_LE(ulps(source.velocity(2e-12), 0.25L * static_cast<long double>(2e-12) * std::exp(-pico)), 1.5);
    EXPECT_LE(ulps(source.velocity(1400.0), 350.0L * std::exp(-700.0L)), 700.0 / 2 + 3);
    EXPECT_EQ(source.velocity(2e3), 0.0);
    EXPECT_LE(ulps(source.slip(2e-12), reference_brune_slip(1e-12L)), 1.0);
    EXPECT_EQ(source.initial_acceleration(), 0.25);
}

TEST(BruneSource, TheSpectrumIsOneOverOnePlusOmegaTauSquared) {
    const exp_slipv::BruneSource source(0.5);
    for (double om : {0.0, 1e-9, 0.3, 2.0, 17.0, 1e4, 1e150}) {
        const long double want = 1.0L / (1.0L + static_cast<long double>(om) * om * 0.25L);
        EXPECT_LE(ulps(source.amplitude(om), want), 4.0) << om;
    }
}

}  // namespace
