// Formatted records: the format texts, the walk over them and the errors.
#include <gtest/gtest.h>

#include <string>

#include "support/unit_capture.hpp"
#include "textio/record_format.hpp"
#include "textio/record_output.hpp"

namespace {

using testing_support::written_on_unit;
using textio::write_record;

std::string record(const std::string& format, std::initializer_list<double> values) {
    return written_on_unit([&](int unit) { write_record(unit, format, values); });
}

const std::string slip_format = "(F8.4,3(\x02,\x02,F15.7))";
const std::string spectrum_format = "(F8.4,4(\x02,\x02,E12.4))";

TEST(Record, TheProgramsRecords) {
    EXPECT_EQ(record(slip_format, {0.01, 0.009900498337491681, 0.0000495024916874584, 0.9900498337491681}),
              "  0.0100,      0.0099005,      0.0000495,      0.9900498\n");
    EXPECT_EQ(record(spectrum_format, {0.012207031249999998, 0.9941434258037755, 0.07624984578924646,
                                       0.9941516616240281, 0.07625047746874854}),
              "  0.0122,  0.9941E+00,  0.7625E-01,  0.9942E+00,  0.7625E-01\n");
}

TEST(Record, MoreFormatsThanTheCacheHoldsStayApart) {
    // Six format texts in turn, twice round, more than the parsed formats
    // kept by text: each record must still follow its own format.
    const std::pair<std::string, std::string> cases[] = {
        {"(F6.2)", "  2.50\n"},       {"(F8.4)", "  2.5000\n"},     {"(E10.3)", " 0.250E+01\n"},
        {"(F5.1,'|')", "  2.5|\n"},   {"(2(F4.1))", " 2.5\n"},      {"('<',F4.1,'>')", "< 2.5>\n"},
    };
    for (int round = 0; round < 2; ++round)
        for (const auto& [format, expected] : cases) EXPECT_EQ(record(format, {2.5}), expected) << format << round;
}

TEST(Record, FormatItems) {
    const struct {
        const char* format;
        std::initializer_list<double> values;
        const char* text;
    } cases[] = {
        // Blanks outside literal texts are ignored, inside they are kept;
        // letters in either case; a missing ".d" means no decimals.
        {" ( f 6 . 2 , ' a b ' , e10.3 ) ", {1.5, 2.0}, "  1.50 a b  0.200E+01\n"},
        {"(F4)", {7.0}, "  7.\n"},
        // A doubled quote stands for one; the three quote characters.
        {"('it''s',\"\"\"\",\x02x\x02\x02\x02)", {}, "it's\"x\x02\n"},
        // A count before a field repeats it; groups nest.
        {"(2F4.1,2(',',2('<'F3.0)))", {1, 2, 3, 4, 5, 6}, " 1.0 2.0,< 3.< 4.,< 5.< 6.\n"},
        // After the last value the walk writes texts up to the next field.
        {"(F3.0,'|',F3.0,'!')", {1.0}, " 1.|\n"},
        {"(F3.0,'|',F3.0,'!')", {1.0, 2.0}, " 1.| 2.!\n"},
        // Values left at the end: a new record, resuming at the last group
        // directly inside the outer parentheses, with its full count.
        {"(F3.0,2('/',F3.0))", {1, 2, 3, 4, 5}, " 1./ 2./ 3.\n/ 4./ 5.\n"},
        {"('[',F3.0,']')", {1, 2}, "[ 1.]\n[ 2.]\n"},
        // Ew.dEe: the exponent in e digits with its letter, in either case.
        {"(E13.4E3,',',e12.4e2)", {0.8701e-100, 0.5}, "  0.8701E-100,  0.5000E+00\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(record(c.format, c.values), c.text) << c.format;
}

TEST(RecordFormat, ParseErrors) {
    const struct {
        const char* format;
        textio::FormatError error;
    } cases[] = {
        {"(F8.4", textio::FormatError::syntax},         {"F8.4", textio::FormatError::syntax},
        {"(F8.4,)", textio::FormatError::syntax},       {"(F8.4 F3.1)", textio::FormatError::syntax},
        {"(X8.4)", textio::FormatError::syntax},        {"(F.4)", textio::FormatError::syntax},
        {"(F8.)", textio::FormatError::syntax},         {"(0F8.4)", textio::FormatError::syntax},
        {"(F8.4))", textio::FormatError::syntax},       {"(2'a')", textio::FormatError::syntax},
        {"(F8.4,'abc)", textio::FormatError::unterminated_text},
        {"(\x02,)", textio::FormatError::unterminated_text},
        {"(F8.4,3(\x02,\x02,F15.7))", textio::FormatError::none},
        {"(E13.4E)", textio::FormatError::syntax},      {"(E13.4E0)", textio::FormatError::syntax},
        {"(F13.4E3)", textio::FormatError::syntax},     {"(E13.4E3)", textio::FormatError::none},
        {"()", textio::FormatError::none},
    };
    for (const auto& c : cases) {
        textio::RecordFormat format;
        EXPECT_EQ(textio::parse_format(c.format, format), c.error) << c.format;
    }
}

TEST(RecordDeathTest, Errors) {
    const int unit = testing_support::capture_unit;
    testing_support::TempDir dir;
    const std::string path = dir.file("r.txt");
    const auto after_open = [&](const char* format, std::initializer_list<double> values) {
        textio::open_unit(unit, path);
        write_record(unit, format, values);
    };
    EXPECT_EXIT(after_open("(F8.4", {1.0}), testing::ExitedWithCode(2),
                "^startio: error in format\napparent state: unit 20 named .*/r.txt\n"
                "last format: \\(F8.4\nlately writing sequential formatted external IO\n$");
    EXPECT_EXIT(after_open("(F8.4,'x)", {1.0}), testing::ExitedWithCode(2), "^bad string: error in format\n");
    EXPECT_EXIT(after_open("('x')", {1.0}), testing::ExitedWithCode(2), "^startio: error in format\n");
    EXPECT_EXIT(write_record(-1, "(F8.4)", {1.0}), testing::ExitedWithCode(2), "^startio: illegal unit number\n");
    EXPECT_EXIT(
        {
            textio::begin_record(textio::output_unit, "(F8.4)");
            textio::begin_record(textio::output_unit, "(F8.4)");
        },
        testing::ExitedWithCode(2), "^I/O recursion: I/O started while already doing I/O\n");
}

TEST(Record, PartsOfARecordByHand) {
    const std::string written = written_on_unit([](int unit) {
        textio::begin_record(unit, "(F8.4)");
        textio::put_fixed(1.25, 6, 2);
        textio::put_text(";");
        textio::put_exponent(-1.25, 10, 3);
        textio::end_record();
    });
    EXPECT_EQ(written, "  1.25;-0.125E+01\n");
}

}  // namespace
