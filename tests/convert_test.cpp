// Field conversions: the tables of fixed, exponent and free-format texts,
// and agreement with the C library's exact conversions on many values.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "support/reference_fields.hpp"
#include "textio/convert.hpp"

namespace {

struct FieldCase {
    double value;
    int w;
    int d;
    const char* text;
};

TEST(FixedField, Table) {
    const FieldCase cases[] = {
        {0.0, 8, 4, "  0.0000"},           {0.01, 8, 4, "  0.0100"},
        {1.0, 8, 4, "  1.0000"},           {81.91, 8, 4, " 81.9100"},
        {-0.00004, 8, 4, "  0.0000"},      {-0.5, 8, 4, " -0.5000"},
        {999.9999, 8, 4, "999.9999"},      {999.99995, 8, 4, "********"},
        {-999.9999, 8, 4, "********"},     {-0.5, 6, 4, "-.5000"},
        {0.5, 5, 4, ".5000"},              {0.0099005, 15, 7, "      0.0099005"},
        {-0.0000000001, 15, 7, "      0.0000000"},
        {1.0, 15, 7, "      1.0000000"},   {1234567.0, 15, 7, "1234567.0000000"},
        {-1234567.0, 15, 7, "***************"},
        {12345678.9, 15, 7, "***************"},
        {-0.0, 8, 4, "  0.0000"},          {2.5, 4, 0, "  2."},
        {0.4, 2, 0, "0."},                 {0.4, 1, 0, "."},
        {1e-300, 8, 4, "  0.0000"},
        // 10 * 10^7 is exactly 10^8, one digit beyond the eight of the short form.
        {10.0, 15, 7, "     10.0000000"},  {99.99999995, 15, 7, "    100.0000000"},
    };
    for (const FieldCase& c : cases)
        EXPECT_EQ(textio::fixed_field(c.value, c.w, c.d), c.text) << c.value << " F" << c.w << "." << c.d;
}

TEST(ExponentField, Table) {
    const FieldCase cases[] = {
        {1.0, 12, 4, "  0.1000E+01"},      {0.5, 12, 4, "  0.5000E+00"},
        {0.0, 12, 4, "  0.0000E+00"},      {-0.0, 12, 4, "  0.0000E+00"},
        {-2.5, 12, 4, " -0.2500E+01"},     {9.99996, 12, 4, "  0.1000E+02"},
        {123456.0, 12, 4, "  0.1235E+06"}, {1.0e-100, 12, 4, "  0.1000E-99"},
        {1.0e+99, 12, 4, "  0.1000+100"},  {1.0e-120, 12, 4, "  0.1000-119"},
        {-1.0e-120, 12, 4, " -0.1000-119"},{2.5, 10, 4, "0.2500E+01"},
        {-2.5, 10, 4, "-.2500E+01"},       {2.5, 9, 4, ".2500E+01"},
        {-2.5, 9, 4, "*********"},         {5e-324, 12, 4, "  0.4941-323"},
        {1.7976931348623157e308, 12, 4, "  0.1798+309"},
        // Exact ties reached by dividing by a power of ten go to the even digit.
        {25.0, 8, 1, " 0.2E+02"},          {35.0, 8, 1, " 0.4E+02"},
        {125.0, 9, 2, " 0.12E+03"},
    };
    for (const FieldCase& c : cases)
        EXPECT_EQ(textio::exponent_field(c.value, c.w, c.d), c.text) << c.value << " E" << c.w << "." << c.d;
}

// Ew.dEe: the exponent in exactly e digits, always with its letter; the
// rest of the field as Ew.d lays it out in the width left.
TEST(ExponentDigitsField, Table) {
    const struct {
        double value;
        int w, d, e;
        const char* text;
    } cases[] = {
        {0.8701e-100, 13, 4, 3, "  0.8701E-100"}, {1.0, 13, 4, 3, "  0.1000E+001"},
        {0.0, 13, 4, 3, "  0.0000E+000"},         {-2.5e-300, 13, 4, 3, " -0.2500E-299"},
        {2.2250738585072014e-308, 13, 4, 3, "  0.2225E-307"},
        {1.7976931348623157e308, 13, 4, 3, "  0.1798E+309"},
        // Rounded to four digits it is 0.1000 x 10^-99.
        {9.99996e-101, 13, 4, 3, "  0.1000E-099"},
        // No blank, then no room for the "0", then none for the sign: as Ew.d.
        {0.8701e-100, 11, 4, 3, "0.8701E-100"},
        {-0.8701e-100, 11, 4, 3, "-.8701E-100"},  {-0.8701e-100, 10, 4, 3, "**********"},
        // More exponent digits than e: asterisks.
        {1e-101, 10, 4, 2, "**********"},         {1e-11, 9, 4, 1, "*********"},
        {1e-5, 9, 4, 1, "0.1000E-4"},             {1e-5, 11, 4, 2, " 0.1000E-04"},
        {std::nan(""), 13, 4, 3, "          NaN"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(textio::exponent_digits_field(c.value, c.w, c.d, c.e), c.text)
            << c.value << " E" << c.w << "." << c.d << "E" << c.e;
}

TEST(ListDouble, Table) {
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {0.01, "  0.01"},          {1.0, "  1."},
        {8192.0, "  8192."},       {81.92, "  81.92"},
        {1.0 / 3.0, "  0.333333333"}, {-2.5, " -2.5"},
        {-0.5, " -0.5"},           {0.0, "  0."},
        {-0.0, "  0."},            {0.0001, "  0.0001"},
        {123456789.0, "  123456789."}, {1.0e-05, "  1.E-05"},
        {9.999e-05, "  9.999E-05"}, {999999999.5, "  1.E+09"},
        {1.0e+100, "  1.E+100"},   {0.07669903940429687, "  0.0766990394"},
        {314.1592654, "  314.159265"}, {50.000000007957745, "  50."},
        {INFINITY, "  INF"},       {-INFINITY, " -INF"},
    };
    for (const auto& c : cases) EXPECT_EQ(textio::list_double(c.value), c.text) << c.value;
}

// The digits must be those of a correctly rounded conversion of the exact
// double; the C library's "%#.*f" and "%#.*E" give such digits.
using testing_support::reference_exponent;
using testing_support::reference_fixed;

TEST(FieldConversion, AgreesWithTheCLibraryOnRandomDoubles) {
    std::mt19937_64 random(20261210);
    std::uniform_real_distribution<double> exponent(-12.0, 9.0);
    std::uniform_real_distribution<double> any_exponent(-322.0, 307.0);
    std::uniform_int_distribution<int> sign(0, 1);
    const int formats[][2] = {{8, 4}, {15, 7}, {12, 4}, {20, 12}, {6, 1},  {30, 17}, {40, 19},
                              {9, 0}, {10, 2}, {16, 7}, {24, 5}, {8, 1},  {11, 3}, {18, 6},
                              {14, 8}, {9, 4}, {10, 4}, {13, 8}, {25, 8}};
    const int format_count = static_cast<int>(std::size(formats));
    for (int i = 0; i < 200000; ++i) {
        // Mostly values of the files' range, some from the whole range of doubles.
        const double scale = std::pow(10.0, i % 7 == 0 ? any_exponent(random) : exponent(random));
        double value = scale * (sign(random) ? -1.0 : 1.0);
        // Some values exactly halfway between two field texts.
        if (i % 10 == 0 && std::fabs(value) < 1e300) value = std::ldexp(std::round(std::ldexp(value, 10)), -10);
        const int* f = formats[i % format_count];
        ASSERT_EQ(textio::fixed_field(value, f[0], f[1]), reference_fixed(value, f[0], f[1])) << value;
        if (f[1] >= 1) {  // an exponent field shows at least one digit
            ASSERT_EQ(textio::exponent_field(value, f[0], f[1]), reference_exponent(value, f[0], f[1])) << value;
        }
    }
}

TEST(FieldConversion, HalfwayValuesFollowTheCLibrary) {
    for (double value : {3.90625, 7.03125, 10.15625, 16.40625, 32.03125, 44.53125, 0.25, 2.5})
        EXPECT_EQ(textio::fixed_field(value, 8, 4), reference_fixed(value, 8, 4)) << value;
    EXPECT_EQ(textio::fixed_field(3.90625, 8, 4), "  3.9062");
    EXPECT_EQ(textio::exponent_field(0.25, 8, 1), reference_exponent(0.25, 8, 1));
}

TEST(FieldConversion, LongFieldsPadDigitsBeyondTheConvertedOnes) {
    // Decimals beyond 344 and significant digits beyond 41 are zeros.
    const std::string fixed = textio::fixed_field(0.1, 400, 350);
    EXPECT_EQ(fixed.substr(fixed.size() - 6), "000000");
    EXPECT_EQ(fixed.substr(fixed.find('.') - 1, 12), "0.1000000000");
    const std::string exponent = textio::exponent_field(0.1, 60, 50);
    EXPECT_EQ(exponent.substr(exponent.size() - 13), "000000000E+00");
    EXPECT_EQ(exponent.substr(exponent.find('.'), 6), ".10000");
}

}  // namespace
