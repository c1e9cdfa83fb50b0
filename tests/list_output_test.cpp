// Free-format lines: item layout, the line breaks at the limit and the line buffer.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>

#include "support/unit_capture.hpp"
#include "textio/line_buffer.hpp"
#include "textio/list_output.hpp"

namespace {

using testing_support::written_on_unit;
using textio::write_line;

TEST(ListOutput, ItemLayout) {
    const std::string written = written_on_unit([](int unit) {
        write_line(unit);
        write_line(unit, "Slip Velocity Function using Exponential Function");
        write_line(unit, " dt,nt=", 0.01, std::int32_t{8192});
        write_line(unit, std::int32_t{5}, "abc");
        write_line(unit, "trailing  ", std::int32_t{0}, 0.0, -0.0, -2.5);
        write_line(unit, std::int32_t{INT_MIN}, std::int32_t{-7});
        write_line(unit, std::string_view("a\0b", 3));
        write_line(unit, "from Triangle: nfast > MOM !", std::int32_t{16400}, std::int32_t{16400});
    });
    EXPECT_EQ(written,
              "\n"
              " Slip Velocity Function using Exponential Function\n"
              "  dt,nt=  0.01 8192\n"
              " 5abc\n"
              " trailing   0  0.  0. -2.5\n"
              " -2147483648 -7\n" +
                  std::string(" a\0b\n", 5) +
                  " from Triangle: nfast > MOM ! 16400 16400\n");
}

TEST(ListOutput, LineBreaksAtTheLimit) {
    const std::string filler(74, 'x');  // 75 bytes with the leading blank
    const std::string long_text(90, 'y');
    const std::string written = written_on_unit([&](int unit) {
        write_line(unit, filler, std::int32_t{1234});   // 75 + 4 = 79: stays, line of 80
        write_line(unit, filler, std::int32_t{12345});  // 75 + 5 = 80: new line
        write_line(unit, filler, std::int32_t{-1234});  // the sign is not counted: 81 bytes
        write_line(unit, filler.substr(1), 0.01);       // 74 + 6 = 80: new line
        write_line(unit, long_text);                    // alone: whole, after one blank
        write_line(unit, "ab", long_text);              // after an item: on a new line
        write_line(unit, filler.substr(1), "z");        // 74 + 1 = 75: stays
        write_line(unit, filler, "abcd");               // 75 + 4 = 79: stays, 79 bytes
        write_line(unit, filler, "abcde");              // 75 + 5 = 80: new line
    });
    const std::string line = " " + filler;
    EXPECT_EQ(written, line + " 1234\n" +
                           line + "\n 12345\n" +
                           line + " -1234\n" +
                           " " + filler.substr(1) + "\n  0.01\n" +
                           " " + long_text + "\n" +
                           " ab\n " + long_text + "\n" +
                           " " + filler.substr(1) + "z\n" +
                           line + "abcd\n" +
                           line + "\n abcde\n");
}

TEST(ListOutput, TheLineBufferGrowsAndIsKept) {
    const std::string huge(5000, 'q');
    const std::string written = written_on_unit([&](int unit) { write_line(unit, huge); });
    EXPECT_EQ(written, " " + huge + "\n");
    // 400, then 1024, then doubling until the position fits: 8192 for 5001 bytes.
    EXPECT_EQ(textio::line_buffer().capacity(), 8192);
    written_on_unit([](int unit) { write_line(unit, "short"); });
    EXPECT_EQ(textio::line_buffer().capacity(), 8192);
}

TEST(ListOutputDeathTest, IllegalUnitAndRecursion) {
    EXPECT_EXIT(write_line(100, "x"), testing::ExitedWithCode(2), "^stler: illegal unit number\n");
    EXPECT_EXIT(write_line(textio::input_unit, "x"), testing::ExitedWithCode(2),
                "^list output start: can't write file\napparent state: unit 5 \\(unnamed\\)\n");
    EXPECT_EXIT(
        {
            textio::list_begin(textio::output_unit);
            textio::list_begin(textio::output_unit);
        },
        testing::ExitedWithCode(2), "^I/O recursion: I/O started while already doing I/O\n");
}

}  // namespace
