// The column widening rule, on extents whose fields were worked out by hand.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "column_layout.hpp"

namespace {

using exp_slipv::ColumnExtent;
using exp_slipv::Field;

ColumnExtent extent_of(std::initializer_list<double> values) {
    ColumnExtent e;
    for (double v : values) e.add(v);
    return e;
}

struct Case {
    const char* what;
    Field standard;
    std::initializer_list<double> values;
    double step;
    Field expected;
};

TEST(ColumnLayout, StandardFieldsStayWhereTheyShowTheValues) {
    const Field f84{false, 8, 4}, f157{false, 15, 7}, e124{true, 12, 4};
    const Case cases[] = {
        {"default times", f84, {0.0, 81.91}, 0.01, f84},
        {"default frequencies", f84, {0.0122, 49.9878}, 0.0122, f84},
        {"default velocities", f157, {0.0, 0.3678794}, 0.0, f157},
        {"default accelerations", f157, {1.0, -0.1353}, 0.0, f157},
        {"999.9999 still fits F8.4", f84, {999.9999}, 0.0, f84},
        {"spectra", e124, {1e-300, 1e300}, 0.0, e124},
        {"all zero", f157, {0.0, -0.0}, 0.0, f157},
    };
    for (const Case& c : cases) EXPECT_EQ(exp_slipv::plan_column(c.standard, extent_of(c.values), c.step), c.expected) << c.what;
}

TEST(ColumnLayout, ColumnsWidenByTheDocumentedRule) {
    const Field f84{false, 8, 4}, f157{false, 15, 7};
    const Case cases[] = {
        // "1000.0000" after rounding: nine characters.
        {"rounding carries into a new digit", f84, {999.99995}, 0.0, {false, 9, 4}},
        {"a large time", f84, {16777215.0}, 1.0, {false, 13, 4}},
        {"a sign needs room", f84, {-1000.0}, 0.0, {false, 10, 4}},
        {"a negative value that rounds to zero needs none", f157, {-4e-8, 0.5}, 0.0, f157},
        // 0.0000063 needs 9 decimals for 4 significant digits: "0.000006300".
        {"small times", f84, {6.3e-6}, 1e-7, {false, 11, 9}},
        // A step of 1e-4 spans only one unit of F8.4: one decimal more.
        {"steps of one unit", f84, {0.8191}, 1e-4, {false, 8, 5}},
        {"steps of two units", f84, {1.6382}, 2e-4, f84},
        // 3.679e-4 shows 4 digits with 7 decimals; 3.679e-5 needs 8.
        {"4 digits at 7 decimals", f157, {3.679e-4}, 0.0, f157},
        {"4 digits need 8 decimals", f157, {3.679e-5}, 0.0, {false, 15, 8}},
        {"20 characters are still fixed", f157, {123456789012.3}, 0.0, {false, 20, 7}},
        // 21 characters: exponent fields keep the width of F15.7.
        {"too wide for fixed", f157, {12345678901234.5}, 0.0, {true, 15, 7}},
        {"too many zeros for fixed", f157, {1e-18}, 0.0, {true, 15, 7}},
        // 1.048575e15 s in steps of 1e9 s: 0.10485750E+16 has its last digit
        // at 1e8, half a step: eight significant digits.
        {"large times in exponent form", f84, {1.048575e15}, 1e9, {true, 16, 8}},
        // 5e-10 Hz in steps of 6e-17 Hz: "0.00000000050000000" (19 characters).
        {"tiny frequencies, still fixed", f84, {5e-10}, 6e-17, {false, 19, 17}},
        // In steps of 6e-19 Hz fixed would need 21; 0.5000000000E-09 has its
        // last digit at 1e-19, a sixth of a step: ten significant digits.
        {"tiny frequencies in exponent form", f84, {5e-10}, 6e-19, {true, 18, 10}},
    };
    for (const Case& c : cases) EXPECT_EQ(exp_slipv::plan_column(c.standard, extent_of(c.values), c.step), c.expected) << c.what;
}

TEST(ColumnLayout, RecordFormatsGroupAlikeFields) {
    const Field f157{false, 15, 7}, e157{true, 15, 7}, e124{true, 12, 4};
    const std::vector<Field> alike{f157, f157, f157};
    const std::vector<Field> mixed{f157, e157, f157};
    const std::vector<Field> spectra(4, e124);
    EXPECT_EQ(exp_slipv::record_format_text({false, 8, 4}, alike), "(F8.4,3(\x02,\x02,F15.7))");
    EXPECT_EQ(exp_slipv::record_format_text({false, 8, 4}, spectra), "(F8.4,4(\x02,\x02,E12.4))");
    EXPECT_EQ(exp_slipv::record_format_text({true, 16, 8}, mixed),
              "(E16.8,\x02,\x02,F15.7,\x02,\x02,E15.7,\x02,\x02,F15.7)");
}

}  // namespace
