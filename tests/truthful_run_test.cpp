// Runs whose columns must tell the truth, not only print apart: every time
// and frequency within 1 % of a step of its true value, 7 significant digits
// at each slip history's peak; and a failed run that changes no file.  All
// checked against values worked out here in long double.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "support/child.hpp"
#include "support/csv_records.hpp"
#include "support/temp_dir.hpp"

namespace {

using testing_support::ChildOptions;
using testing_support::number;
using testing_support::Outcome;
using testing_support::read_file;
using testing_support::records;
using testing_support::significant_digits;
using testing_support::TempDir;
using testing_support::write_file;

constexpr int timeout_ms = 60000;

Outcome run(const std::string& dir, const std::vector<std::string>& args, ChildOptions options = {}) {
    return testing_support::run_without_pause(dir, args, std::move(options), timeout_ms);
}

struct Source {
    std::string dt_text;  // as given on the command line: its exact decimal value is the step
    long double dt;
    long double tau;
    int samples;
};

// Times k dt and frequencies k / (n dt), each within 1 % of its step.
void check_spacing(const std::vector<std::vector<std::string>>& rows, long double step, std::size_t first_k,
                   const std::string& what) {
    long double worst = 0.0L;
    std::size_t worst_row = 0;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const long double truth = static_cast<long double>(r + first_k) * step;
        const long double off = std::fabs(static_cast<long double>(number(rows[r][0])) - truth) / step;
        if (off > worst) worst = off, worst_row = r;
    }
    // strtod's rounding of the printed decimal adds 1e-16 relative at most.
    EXPECT_LE(worst, 0.01L + 1e-9L) << what << ": record " << worst_row + 1 << " '" << rows[worst_row][0] << "' is "
                                    << worst * 100 << " % of a step off";
}

// The largest magnitude of a column shows at least 7 significant digits.
void check_precision(const std::vector<std::vector<std::string>>& rows, std::size_t column, const std::string& what) {
    std::size_t largest = 0;
    for (std::size_t r = 0; r < rows.size(); ++r)
        if (std::fabs(number(rows[r][column])) > std::fabs(number(rows[largest][column]))) largest = r;
    EXPECT_GE(significant_digits(rows[largest][column]), 7) << what << " column " << column + 1 << ": '"
                                                            << rows[largest][column] << "'";
}

void check_run(const Source& s) {
    TempDir dir;
    const std::string what = "dt " + s.dt_text;
    char tau_text[64];
    std::snprintf(tau_text, sizeof tau_text, "--tau=%.17Lg", s.tau);
    const Outcome result = run(dir.path(), {tau_text, "--dt=" + s.dt_text, "--samples=" + std::to_string(s.samples)});
    ASSERT_EQ(result.status, 0) << what << result.err;
    const auto slip = records(read_file(dir.file("Exp_Slip.csv")));
    const auto spectrum = records(read_file(dir.file("Exp_Amp.csv")));
    ASSERT_EQ(slip.size(), static_cast<std::size_t>(s.samples)) << what;
    ASSERT_EQ(spectrum.size(), static_cast<std::size_t>(s.samples / 2 - 1)) << what;

    check_spacing(slip, s.dt, 0, what + " times");
    check_spacing(spectrum, 1.0L / (s.samples * s.dt), 1, what + " frequencies");
    for (std::size_t c = 1; c <= 3; ++c) check_precision(slip, c, what);

    // The largest velocity sample, found from the formula, prints as the
    // largest printed value (neighbours that 7 digits cannot tell apart may
    // print alike: the pulse is skewed, so the nearest to tau need not win).
    std::size_t peak = 0;
    long double best = 0.0L;
    for (int k = 0; k < s.samples; ++k) {
        const long double t = k * s.dt;
        const long double v = t / (s.tau * s.tau) * std::exp(-t / s.tau);
        if (v > best) best = v, peak = static_cast<std::size_t>(k);
    }
    double printed_max = 0.0;
    for (const auto& row : slip) printed_max = std::max(printed_max, number(row[1]));
    EXPECT_EQ(number(slip[peak][1]), printed_max) << what << ": the largest sample, at record " << peak + 1
                                                  << ", prints as '" << slip[peak][1] << "'";
    // And it lies within half a unit of the last digit of the formula's value.
    EXPECT_LE(std::fabs(number(slip[peak][1]) - static_cast<double>(best)), testing_support::half_unit(slip[peak][1]) * 1.001)
        << what;
}

TEST(TruthfulColumns, AShortDecimalStepPrintsItsTimesExactly) {
    check_run({"0.00025", 0.00025L, 0.05L, 65536});
    TempDir dir;
    ASSERT_EQ(run(dir.path(), {"--tau=0.05", "--dt=0.00025", "--samples=64"}).status, 0);
    const auto slip = records(read_file(dir.file("Exp_Slip.csv")));
    EXPECT_EQ(slip[1][0], " 0.00025");
    EXPECT_EQ(slip[2][0], " 0.00050");
    EXPECT_EQ(slip[3][0], " 0.00075");
}

TEST(TruthfulColumns, ALongRecordOfASlowSource) {
    // Frequencies of 1/1024 Hz and velocities near 3.68e-4 /s.
    check_run({"1", 1.0L, 1000.0L, 1024});
}

TEST(TruthfulColumns, AStepThatIsNoShortDecimal) {
    check_run({"0.0003333", 0.0003333L, 0.002L, 8192});
    check_run({"0.0003333", 0.0003333L, 0.002L, 65536});
}

TEST(TruthfulColumns, OtherSourcesKeepTheirPrecision) {
    check_run({"1e-7", 1e-7L, 1e-6L, 64});     // huge accelerations in exponent form
    check_run({"1e9", 1e9L, 1e9L, 1024});      // huge times, tiny frequencies
    check_run({"0.01", 0.01L, 1.0L, 8192});    // the default run
}

// A field as a strict reader takes it: blanks, then one number that strtod
// reads to the field's end.  "0.8701-100" fails (strtod stops at the "-").
bool parses_whole(const std::string& field, double& value) {
    const std::size_t start = field.find_first_not_of(' ');
    if (start == std::string::npos) return false;
    char* end = nullptr;
    value = std::strtod(field.c_str() + start, &end);
    return end == field.c_str() + field.size() && end != field.c_str() + start;
}

void expect_every_field_parses(const std::vector<std::vector<std::string>>& rows, const std::string& what) {
    int failures = 0;
    for (std::size_t r = 0; r < rows.size() && failures < 5; ++r)
        for (const std::string& field : rows[r]) {
            double value = 0.0;
            if (!parses_whole(field, value)) {
                ADD_FAILURE() << what << " record " << r + 1 << ": '" << field << "' is not one number";
                ++failures;
            }
        }
}

// A Gaussian of sigma 0.05 s sampled at 1 ms: its closed form
// e^(-omega^2 sigma^2 / 2) falls through 1e-100 near 68 Hz and below the
// smallest normal double near 119 Hz; its sampled spectrum stays near 1e-17.
TEST(TruthfulColumns, ExponentsOfThreeDigitsParseAsNumbers) {
    TempDir dir;
    const Outcome result = run(dir.path(), {"--shape=gaussian", "--sigma=0.05", "--delay=0.5", "--dt=0.001", "--samples=4096"});
    ASSERT_EQ(result.status, 0) << result.err;
    const auto spectrum = records(read_file(dir.file("Exp_Amp.csv")));
    ASSERT_EQ(spectrum.size(), 2047u);
    expect_every_field_parses(spectrum, "Exp_Amp.csv");
    int three_digit = 0, zeros = 0;
    for (std::size_t r = 0; r < spectrum.size(); ++r) {
        const long double hz = static_cast<long double>(r + 1) / (4096 * 0.001L);
        const long double om = 2 * 3.14159265358979323846264338327950288L * hz;
        const long double closed = std::exp(-om * om * 0.05L * 0.05L / 2);
        double printed = 0.0;
        ASSERT_TRUE(parses_whole(spectrum[r][3], printed));
        if (closed < 2.2250738585072014e-308L) {
            // Below the smallest normal double: 0, with the column's exponent.
            EXPECT_EQ(spectrum[r][3], "  0.0000E+000") << "record " << r + 1;
            ++zeros;
            continue;
        }
        // The 4 digits of the closed form, whatever its exponent (the
        // program's pi has 10 digits: 1e-9 relative in omega, 2e-9 om^2 s^2).
        const long double pi_error = 2.1e-9L * om * om * 0.05L * 0.05L;
        EXPECT_LE(std::fabs(printed / closed - 1), 5.001e-4L + pi_error) << "record " << r + 1 << ": '" << spectrum[r][3] << "'";
        if (closed < 1e-99L) {
            ++three_digit;
            EXPECT_EQ(spectrum[r][3].size(), 13u) << spectrum[r][3];
            EXPECT_NE(spectrum[r][3].find("E-"), std::string::npos) << spectrum[r][3];
        }
    }
    EXPECT_GT(three_digit, 200);
    EXPECT_GT(zeros, 300);
    // A column that needs no third digit keeps its E12.4 field.
    EXPECT_EQ(spectrum[0][1].size(), 12u) << spectrum[0][1];
}

TEST(TruthfulColumns, ATinySourcesSlipFileParsesAsNumbers) {
    TempDir dir;
    // Accelerations to 1e18 and slip-rate tails below 1e-300.
    const Outcome result = run(dir.path(), {"--tau=1e-9", "--dt=1e-9", "--samples=1024"});
    ASSERT_EQ(result.status, 0) << result.err;
    const auto slip = records(read_file(dir.file("Exp_Slip.csv")));
    expect_every_field_parses(slip, "Exp_Slip.csv");
    expect_every_field_parses(records(read_file(dir.file("Exp_Amp.csv"))), "Exp_Amp.csv");
    // The first acceleration is 1/tau^2 = 1e18, in a column of E3 exponents.
    EXPECT_EQ(slip[0][3], "  0.1000000E+019");
}

// Earlier files of another run in place, one of which may not be written:
// the run stops with the report of today for that file and leaves both
// files byte for byte as they were.
class FailedRun : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);
        if (!testing_support::can_run_unprivileged(dir.path()))
            GTEST_SKIP() << "the unprivileged user cannot reach the program from here; file modes bind no root";
        options.unprivileged = true;
        // The earlier run, by the same user.
        ASSERT_EQ(run(dir.path(), {"--tau=1"}, options).status, 0);
        slip = read_file(dir.file("Exp_Slip.csv"));
        spectrum = read_file(dir.file("Exp_Amp.csv"));
    }
    std::string report(int unit, const std::string& name) const {
        return "list output start: can't write file\napparent state: unit " + std::to_string(unit) + " named " + name +
               "\nlast format: list io\nlately writing sequential formatted external IO\n";
    }
    void expect_unchanged() const {
        EXPECT_TRUE(read_file(dir.file("Exp_Slip.csv")) == slip) << "the slip file changed";
        EXPECT_TRUE(read_file(dir.file("Exp_Amp.csv")) == spectrum) << "the spectrum file changed";
    }
    TempDir dir;
    ChildOptions options;
    std::string slip, spectrum;
};

const std::string announced =
    "\n Slip Velocity Function using Exponential Function\n\n  dt,nt=  0.01 8192\n  Tau(s) =  2.\n\n"
    "  Slip functions are stored in Exp_Slip.csv\n  Fourier spectrum is stored in Exp_Amp.csv\n";

TEST_F(FailedRun, AReadOnlySlipFile) {
    ASSERT_EQ(::chmod(dir.file("Exp_Slip.csv").c_str(), 0444), 0);
    const Outcome result = run(dir.path(), {"--tau=2"}, options);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, report(11, "Exp_Slip.csv"));
    EXPECT_EQ(result.out, announced);
    expect_unchanged();
}

TEST_F(FailedRun, AReadOnlySpectrumFile) {
    ASSERT_EQ(::chmod(dir.file("Exp_Amp.csv").c_str(), 0444), 0);
    const Outcome result = run(dir.path(), {"--tau=2"}, options);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, report(12, "Exp_Amp.csv"));
    EXPECT_EQ(result.out, announced);
    expect_unchanged();
}

// Root may write any file, whatever its bits, and the program follows the
// system's rule: a read-only earlier slip file and export are replaced as
// writable ones would be.  (As an unprivileged user they are refused: the
// tests above.)
TEST(ReadOnlyFiles, AsRootTheyAreReplacedAsTheSystemAllows) {
    if (!testing_support::running_as_root()) GTEST_SKIP() << "needs root";
    TempDir dir, fresh;
    ASSERT_EQ(run(dir.path(), {"--tau=1", "--export=sw4"}).status, 0);
    ASSERT_EQ(::chmod(dir.file("Exp_Slip.csv").c_str(), 0444), 0);
    ASSERT_EQ(::chmod(dir.file("Exp_STF_sw4.txt").c_str(), 0444), 0);
    const Outcome result = run(dir.path(), {"--tau=2", "--export=sw4"});
    EXPECT_EQ(result.status, 0) << result.err;
    ASSERT_EQ(run(fresh.path(), {"--tau=2", "--export=sw4"}).status, 0);
    EXPECT_TRUE(read_file(dir.file("Exp_Slip.csv")) == read_file(fresh.file("Exp_Slip.csv")));
    EXPECT_TRUE(read_file(dir.file("Exp_STF_sw4.txt")) == read_file(fresh.file("Exp_STF_sw4.txt")));
}

TEST_F(FailedRun, ANewFileInADirectoryThatMayNotBeWritten) {
    // The spectrum file is gone, and its directory takes no new file.
    ASSERT_EQ(std::remove(dir.file("Exp_Amp.csv").c_str()), 0);
    ASSERT_EQ(::chmod(dir.path().c_str(), 0555), 0);
    const Outcome result = run(dir.path(), {"--tau=2"}, options);
    ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "open: Permission denied\napparent state: unit 12 named Exp_Amp.csv\nlast format: list io\n"
                          "lately writing sequential formatted external IO\n");
    EXPECT_EQ(result.out, announced);
    EXPECT_TRUE(read_file(dir.file("Exp_Slip.csv")) == slip) << "the slip file changed";
    EXPECT_FALSE(testing_support::file_exists(dir.file("Exp_Amp.csv")));
}

}  // namespace
