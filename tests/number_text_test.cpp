// The SRF samples' seven digits against the C library's printf("%.6e"),
// which rounds exactly: random values over the whole range of doubles,
// values next to the halves where rounding turns, powers of ten and their
// neighbours, and the extremes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>

#include "srf/number_text.hpp"

namespace {

std::string printed(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.6e", v);
    return text;
}

std::string seven(double v) {
    char text[32];
    char* end = exp_slipv::number_text::seven_digits(text, v);
    return {text, end};
}

TEST(NumberText, SevenDigitsAsPrintfRoundsThem) {
    std::mt19937_64 random(20261211);
    std::uniform_real_distribution<double> exponent(-300.0, 300.0);
    for (int i = 0; i < 400000; ++i) {
        const double v = std::pow(10.0, exponent(random));
        ASSERT_EQ(seven(v), printed(v)) << v;
    }
    // Where the seventh digit turns: d.dddddd5 10^e and its neighbours.
    std::uniform_int_distribution<int> digits(1000000, 9999999);
    for (int i = 0; i < 200000; ++i) {
        const double half = (digits(random) + 0.5) * std::pow(10.0, i % 40 - 26);
        for (double v : {half, std::nextafter(half, 0.0), std::nextafter(half, 1e300)}) ASSERT_EQ(seven(v), printed(v)) << v;
    }
    for (int e = -320; e <= 308; ++e) {
        const double p = std::pow(10.0, e);
        for (double v : {p, std::nextafter(p, 0.0), std::nextafter(p, 1e308), 9.9999995 * p, 9.9999994999 * p})
            ASSERT_EQ(seven(v), printed(v)) << v;
    }
    for (double v : {0.0, 5e-324, std::numeric_limits<double>::min(), std::numeric_limits<double>::max(), 1.0, 123.4567, 0.5,
                     9999999.5, 9999999.499999999})
        EXPECT_EQ(seven(v), printed(v)) << v;
}

}  // namespace
