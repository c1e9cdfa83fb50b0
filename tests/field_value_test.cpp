// The SRF reader's conversion of a field, against strtod over the whole
// field: the same double, bit for bit, for a million decimal fields of the
// forms files hold and of forms they rarely do; NaN for what is no number.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdlib>
#include <random>
#include <string>

#include "srf/reading/text_chunks.hpp"

namespace {

std::uint64_t bits(double v) { return std::bit_cast<std::uint64_t>(v); }

double reference(const std::string& text) {
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    EXPECT_EQ(*end, '\0') << text;
    return v;
}

std::string digits(std::mt19937_64& random, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += static_cast<char>('0' + random() % 10);
    return text;
}

// A decimal field: sign, integer part, fraction, exponent, each optional
// where a number allows it.
std::string decimal_field(std::mt19937_64& random) {
    std::string text;
    switch (random() % 4) {
        case 0: text += '-'; break;
        case 1: text += '+'; break;
        default: break;
    }
    const int whole = static_cast<int>(random() % 4 == 0 ? random() % 25 : random() % 4);
    const int fraction = static_cast<int>(random() % 4 == 0 ? random() % 25 : random() % 8);
    text += digits(random, whole);
    if (fraction > 0 || whole == 0) text += "." + digits(random, std::max(fraction, whole == 0 ? 1 : 0));
    if (random() % 2) {
        text += random() % 2 ? 'e' : 'E';
        const int sign = static_cast<int>(random() % 3);
        if (sign == 1) text += '-';
        if (sign == 2) text += '+';
        const int size = static_cast<int>(random() % 3 == 0 ? 3 : 2);
        text += digits(random, size);
    }
    return text;
}

TEST(FieldValue, DecimalFieldsAsStrtodReadsThem) {
    std::mt19937_64 random(20261211);
    for (int i = 0; i < 1000000; ++i) {
        const std::string text = decimal_field(random);
        const double expected = reference(text);
        const double got = exp_slipv::field_value(text);
        ASSERT_EQ(bits(got), bits(expected)) << text;
    }
}

TEST(FieldValue, EdgesOfTheExactPathAndBeyond) {
    const char* cases[] = {
        "9007199254740992",        "9007199254740993",        "9007199254740993e-22", "1e22", "1e23", "1.5e-22",
        "1.5e-23",                 "123456789012345678901",   "0.1",                  "0.000000e+00",
        "-0.000000e+00",           "1.797693134862315e+308",  "1.8e308",              "4.9e-324",
        "2e-324",                  "1e-400",                  "-1e-400",              "1e400",
        "000000000000000000000001", "0.30000000000000000000000000001", "7.",         ".5",
        "1.234567e+02",            "9.999999e-01",            "12345678901234567890e-10",
    };
    for (const char* text : cases) EXPECT_EQ(bits(exp_slipv::field_value(text)), bits(reference(text))) << text;
}

TEST(FieldValue, WhatIsNoNumberIsNaN) {
    for (const char* text : {"", "+", "-", ".", "e5", "1e", "1e+", "1.2.3", "++1", "+-1", "0x10", "1,5", "PLANE", "1d0", "--1", "1e5x"})
        EXPECT_TRUE(std::isnan(exp_slipv::field_value(text))) << "'" << text << "'";
}

}  // namespace
