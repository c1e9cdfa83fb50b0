// The column widening rule, on extents whose fields were worked out by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <string>
#include <vector>

#include "column_layout.hpp"

namespace exp_slipv {
// Fields as a reader of the failures knows them: "F8.4", "E15.7".
void PrintTo(const Field& f, std::ostream* out) {
    *out << (f.exponent ? 'E' : 'F') << f.width << '.' << f.digits;
    if (f.exponent_digits > 0) *out << 'E' << f.exponent_digits;
}
}  // namespace exp_slipv

namespace {

using exp_slipv::ColumnExtent;
using exp_slipv::ColumnNeeds;
using exp_slipv::Field;

// An evenly spaced column k * step, k = 0 .. count-1, as a run's times are.
ColumnNeeds spaced(double step, std::int64_t count) {
    return exp_slipv::spaced_needs(step, {0, count, step, 1.0});
}
// Spaced up to about `last`.
ColumnNeeds spaced_to(double step, double last) { return spaced(step, std::llround(last / step) + 1); }
const ColumnNeeds plain{};
const ColumnNeeds history = exp_slipv::history_needs();

ColumnExtent extent_of(std::initializer_list<double> values) {
    ColumnExtent e;
    for (double v : values) e.add(v);
    return e;
}

struct Case {
    const char* what;
    Field standard;
    std::initializer_list<double> values;
    ColumnNeeds needs;
    Field expected;
};

TEST(ColumnLayout, StandardFieldsStayWhereTheyShowTheValues) {
    const Field f84{false, 8, 4}, f157{false, 15, 7}, e124{true, 12, 4};
    const Case cases[] = {
        {"default times", f84, {0.0, 81.91}, spaced(0.01, 8192), f84},
        {"default frequencies", f84, {0.0122, 49.9878}, spaced(1.0 / 81.92, 4096), f84},
        {"default velocities", f157, {0.0, 0.3678794}, history, f157},
        {"default slip", f157, {0.0, 0.9999794}, history, f157},
        {"default accelerations", f157, {1.0, -0.1353}, history, f157},
        {"999.9999 still fits F8.4", f84, {999.9999}, plain, f84},
        {"spectra within two exponent digits", e124, {1e-99, 9.9e98}, plain, e124},
        {"all zero", f157, {0.0, -0.0}, history, f157},
    };
    for (const Case& c : cases) EXPECT_EQ(exp_slipv::plan_column(c.standard, extent_of(c.values), c.needs), c.expected) << c.what;
}

TEST(ColumnLayout, ColumnsWidenByTheDocumentedRule) {
    const Field f84{false, 8, 4}, f157{false, 15, 7}, e124{true, 12, 4};
    const Case cases[] = {
        // "1000.0000" after rounding: nine characters.
        {"rounding carries into a new digit", f84, {999.99995}, plain, {false, 9, 4}},
        {"a large time", f84, {16777215.0}, spaced(1.0, 16777216), {false, 13, 4}},
        {"a sign needs room", f84, {-1000.0}, plain, {false, 10, 4}},
        {"a negative value that rounds to zero needs none", f157, {-4e-8, 0.5}, history, f157},
        // 0.0000063 needs 9 decimals for 4 significant digits: "0.000006300".
        {"small times", f84, {6.3e-6}, spaced_to(1e-7, 6.3e-6), {false, 11, 9}},
        // A step of 1e-4 spans only one unit of F8.4: one decimal more.
        {"steps of one unit", f84, {0.8191}, spaced_to(1e-4, 0.8191), {false, 8, 5}},
        {"steps of two units", f84, {1.6382}, spaced_to(2e-4, 1.6382), f84},
        // Three units of F8.4 that print exactly: nothing to add.
        {"steps of three exact units", f84, {1.2285}, spaced_to(3e-4, 1.2285), f84},
        // 0.00025 s: at 4 decimals 0.0003 for 0.00025 is a fifth of a step
        // off; at 5 every time prints exactly: "16.38375".
        {"a short decimal step", f84, {16.38375}, spaced(0.00025, 65536), {false, 8, 5}},
        // 0.0003333 s: 0.00033 is 1 % of the step off only from 6 decimals,
        // where half a unit, 5e-7, is within 3.3e-6: "2.730060".
        {"a step that is no short decimal", f84, {2.7300603}, spaced(0.0003333, 8192), {false, 8, 6}},
        // 1/1024 Hz: 0.0010 for 0.000977 is 2.4 % off; 0.00098 is 0.3 %.
        {"frequencies of a long record", f84, {0.4990234}, spaced(1.0 / 1024, 511), {false, 8, 5}},
        // 2.00001e-4 drifts off 2 units of the 4th decimal by 1e-9 a step: a
        // thousand steps stay within 1 %, ten thousand do not (from the
        // 2001st on); at 6 decimals half a unit is within 1 % anyway.
        {"a slow drift that stays within the tolerance", f84, {0.1998}, spaced(2.00001e-4, 1000), f84},
        {"a slow drift that leaves it", f84, {1.9999}, spaced(2.00001e-4, 10000), {false, 8, 6}},
        // The histories show 7 significant digits at their largest magnitude.
        {"7 digits at 10 decimals", f157, {3.678794e-4}, history, {false, 15, 10}},
        {"7 digits need 11 decimals", f157, {3.678794e-5}, history, {false, 15, 11}},
        {"4 digits are enough for no history", f157, {3.679e-4}, plain, f157},
        {"20 characters are still fixed", f157, {123456789012.3}, history, {false, 20, 7}},
        // 21 characters: exponent fields keep the width of F15.7.
        {"too wide for fixed", f157, {12345678901234.5}, history, {true, 15, 7}},
        {"too many zeros for fixed", f157, {1e-18}, history, {true, 15, 7}},
        // 0.3678794E-13 as 0.000000000000036787944 would need 23 characters.
        {"tiny velocities", f157, {3.678794e-14}, history, {true, 15, 7}},
        // 1.048575e15 s in steps of 1e9 s: 0.10485750E+16 has its last digit
        // at 1e8, half a step, and half a unit is 5 % of the step; with nine
        // digits, at 1e7, it is 0.5 %.
        {"large times in exponent form", f84, {1.048575e15}, spaced_to(1e9, 1.048575e15), {true, 17, 9}},
        // 5e-10 Hz in steps of 6e-17 Hz: "0.00000000050000000" (19 characters).
        {"tiny frequencies, still fixed", f84, {5e-10}, spaced_to(6e-17, 5e-10), {false, 19, 17}},
        // In steps of 6e-19 Hz fixed would need 21; 0.5000000000E-09 has its
        // last digit at 1e-19, a sixth of a step, half a unit 8 %; with 11
        // digits half a unit is 0.8 % of the step.
        {"tiny frequencies in exponent form", f84, {5e-10}, spaced_to(6e-19, 5e-10), {true, 19, 11}},
        // An exponent column whose values need three exponent digits: one
        // character more and E3, whether the smallest or the largest needs
        // them; a value that only rounds to 1e-99 does not; subnormals are
        // written as 0 and need nothing; zeros neither.
        {"a spectrum reaching 1e-300", e124, {0.5, 1e-300, 0.0}, plain, {true, 13, 4, 3}},
        {"a spectrum reaching 1e100", e124, {1e100, 0.5}, plain, {true, 13, 4, 3}},
        {"down to 0.1e-99", e124, {0.5, 1e-100, 9.99996e-101}, plain, e124},
        {"just below 0.1e-99", e124, {0.5, 9.99e-101}, plain, {true, 13, 4, 3}},
        {"subnormals and zeros", e124, {0.5, 4e-320, -4e-320, 0.0}, plain, e124},
        {"a negative tiny value", e124, {0.5, -1e-200}, plain, {true, 13, 4, 3}},
        // A column made an exponent column by its large values, whose small
        // ones need three digits too.
        {"large and tiny values", f157, {1e18, 1e-200}, history, {true, 16, 7, 3}},
    };
    for (const Case& c : cases) EXPECT_EQ(exp_slipv::plan_column(c.standard, extent_of(c.values), c.needs), c.expected) << c.what;
}

TEST(ColumnLayout, RecordFormatsGroupAlikeFields) {
    const Field f157{false, 15, 7}, e157{true, 15, 7}, e124{true, 12, 4};
    const std::vector<Field> alike{f157, f157, f157};
    const std::vector<Field> mixed{f157, e157, f157};
    const std::vector<Field> spectra(4, e124);
    EXPECT_EQ(exp_slipv::record_format_text({false, 8, 4}, alike), "(F8.4,3(\x02,\x02,F15.7))");
    EXPECT_EQ(exp_slipv::record_format_text({false, 8, 4}, spectra), "(F8.4,4(\x02,\x02,E12.4))");
    const std::vector<Field> wide_exponents{e124, {true, 13, 4, 3}};
    EXPECT_EQ(exp_slipv::record_format_text({false, 8, 4}, wide_exponents),
              "(F8.4,\x02,\x02,E12.4,\x02,\x02,E13.4E3)");
    EXPECT_EQ(exp_slipv::record_format_text({true, 16, 8}, mixed),
              "(E16.8,\x02,\x02,F15.7,\x02,\x02,E15.7,\x02,\x02,F15.7)");
}

}  // namespace
