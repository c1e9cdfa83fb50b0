// The program run with options, as a user runs it: in a fresh directory,
// checked against closed forms worked out here, not against the program's
// own routines.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "reference_files.hpp"
#include "support/child.hpp"
#include "support/csv_records.hpp"
#include "support/temp_dir.hpp"

namespace {

using testing_support::ChildOptions;
using testing_support::half_unit;
using testing_support::number;
using testing_support::records;
using testing_support::significant_digits;
using testing_support::split;
using testing_support::Outcome;
using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;

constexpr int timeout_ms = 60000;
const std::string try_help = "Try 'exp-slipv --help' for more information.\n";

Outcome run(const std::string& dir, std::vector<std::string> args, ChildOptions options = {},
            bool keep_input_open = false) {
    args.insert(args.begin(), testing_support::program_path());
    options.argv = args;
    options.cwd = dir;
    return testing_support::run_to_end(options, timeout_ms, keep_input_open);
}

std::size_t entries(const std::string& dir) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir), {}));
}

std::string fixed(double value, int w, int d) {
    char text[64];
    std::snprintf(text, sizeof text, "%*.*f", w, d, value);
    return text;
}

TEST(BadCommandLine, ChangesNothingAndSaysWhy) {
    struct Case {
        std::vector<std::string> args;
        std::string mentions;  // the option and the value as the message shows them
    };
    const Case cases[] = {
        {{"--bogus"}, "'--bogus'"},
        {{"stray"}, "'stray'"},
        {{"--dt"}, "'--dt'"},
        {{"--tau="}, "--tau"},
        {{"--tau=abc"}, "'abc' for --tau"},
        {{"--dt", "0.01s"}, "'0.01s' for --dt"},
        {{"--tau=nan"}, "'nan' for --tau"},
        {{"--dt=0x1p-7"}, "'0x1p-7' for --dt"},
        {{"--tau=-1"}, "'-1' for --tau"},
        {{"--tau=1e999"}, "'1e999' for --tau"},
        {{"--corner-frequency=1e-12"}, "'1e-12' for --corner-frequency"},
        {{"--rise-time=1e-12"}, "'1e-12' for --rise-time"},
        {{"--samples=1"}, "'1' for --samples"},
        {{"--export=sw5"}, "'sw5' for --export"},
        {{"--export=sw4", "--samples=6"}, "--export=sw4 cannot be used with --samples=6"},
        {{"--quantity=moment"}, "'moment' for --quantity"},
        {{"--samples=33554432"}, "'33554432' for --samples"},
        {{"--tau=2", "--corner-frequency=1"}, "--corner-frequency=1 cannot be combined with --tau"},
        {{"--output-dir=missing"}, "'missing' for --output-dir"},
        {{"--output-dir=Exp_Slip.csv"}, "'Exp_Slip.csv' for --output-dir"},
        {{"--tau=0.5", "--no-pause", "--samples=1"}, "'1' for --samples"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string earlier = "an earlier slip file\n";
        write_file(dir.file("Exp_Slip.csv"), earlier);
        // Started under another name: the messages still say exp-slipv.
        const std::string other_name = dir.file("slipper");
        ASSERT_EQ(::symlink(testing_support::program_path().c_str(), other_name.c_str()), 0);
        std::vector<std::string> args = c.args;
        args.insert(args.begin(), other_name);
        ChildOptions options;
        options.argv = args;
        options.cwd = dir.path();
        // Input that never ends: a pause would hold the run to the timeout.
        const Outcome result = testing_support::run_to_end(options, 10000, true);
        const std::string shown = c.args[0];
        EXPECT_TRUE(result.ended) << shown << ": the run waited";
        EXPECT_EQ(result.status, 64) << shown;
        EXPECT_EQ(result.out, "") << shown;
        const std::vector<std::string> lines = split(result.err, '\n');
        ASSERT_EQ(lines.size(), 2u) << shown << ": " << result.err;
        EXPECT_EQ(lines[0].rfind("exp-slipv: ", 0), 0u) << lines[0];
        EXPECT_NE(lines[0].find(c.mentions), std::string::npos) << lines[0];
        EXPECT_EQ(lines[1] + "\n", try_help);
        EXPECT_EQ(read_file(dir.file("Exp_Slip.csv")), earlier) << shown;
        EXPECT_EQ(entries(dir.path()), 2u) << shown << ": a file was created";
    }
}

TEST(Options, DefaultValuesGiveTheDefaultRunExactly) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--tau=1", "--dt=0.01", "--samples=8192"},
          std::vector<std::string>{"--tau", "1.0", "--dt", ".01", "--samples", "8192"},
          std::vector<std::string>{"--dt=1e-2", "--tau=10e-1"}}) {
        TempDir dir;
        const Outcome result = run(dir.path(), args);
        EXPECT_EQ(result.status, 0) << args[0];
        EXPECT_EQ(result.out, reference::transcript) << args[0];
        EXPECT_EQ(result.err, "") << args[0];
        EXPECT_TRUE(read_file(dir.file("Exp_Slip.csv")) == reference::slip_file()) << args[0];
        EXPECT_TRUE(read_file(dir.file("Exp_Amp.csv")) == reference::spectrum_file()) << args[0];
    }
}

TEST(Options, HelpAndVersionGoToStandardOutput) {
    TempDir dir;
    const Outcome help = run(dir.path(), {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.err, "");
    EXPECT_EQ(help.out.rfind("Usage: exp-slipv [OPTION]...\n", 0), 0u);
    for (const char* option : {"--tau=SECONDS", "--corner-frequency=HZ", "--rise-time=SECONDS", "--dt=SECONDS",
                               "--samples=N", "--output-dir=DIR", "--no-pause", "-h, --help", "--version",
                               "--export=FORMAT", "--quantity=QUANTITY", "Exp_STF_sw4.txt", "Exp_STF.sac",
                               "(default 0.01)", "(default 8192)", "tau = 1 s", "64"})
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
    EXPECT_EQ(run(dir.path(), {"-h"}).out, help.out);

    const Outcome version = run(dir.path(), {"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "exp-slipv " EXP_SLIPV_VERSION "\n");
    EXPECT_EQ(entries(dir.path()), 0u);

    // Help that cannot be written is a failure, not a silent success.
    ChildOptions full;
    full.output = ChildOptions::Output::file;
    full.output_file = "/dev/full";
    const Outcome failed = run(dir.path(), {"--help"}, full);
    EXPECT_EQ(failed.status, 2);
    EXPECT_EQ(failed.err, "exp-slipv: write error: No space left on device\n");
}

// dt sum_k v_k e^(-i om k dt) for v_k = k dt / tau^2 e^(-k dt / tau), k = 0 .. n-1:
// (dt/tau)^2 q (1 - n q^(n-1) + (n-1) q^n) / (1 - q)^2, q = e^(-dt/tau - i om dt).
double sampled_amplitude(double om, double dt, double tau, int n) {
    using C = std::complex<long double>;
    const long double x = static_cast<long double>(dt) / static_cast<long double>(tau);
    const C q = std::exp(C(-x, -static_cast<long double>(om) * static_cast<long double>(dt)));
    const C finite = 1.0L - static_cast<long double>(n) * std::pow(q, n - 1) + static_cast<long double>(n - 1) * std::pow(q, n);
    return static_cast<double>(std::abs(x * x * q * finite / ((1.0L - q) * (1.0L - q))));
}

// Checks a run's spectrum file against the closed forms: the sampled pulse's
// for the two sampled columns, 1/(1 + om^2 tau^2) and om/(1 + om^2 tau^2).
void check_spectrum(const std::string& file, double dt, double tau, int n) {
    const auto rows = records(file);
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(n / 2 - 1));
    const double dur = n * dt;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const auto& f = rows[r];
        ASSERT_EQ(f.size(), 5u) << r;
        const double k = static_cast<double>(r + 1);
        // The program's om is built on pi = 3.141592654.
        const double om = k * (2.0 * 3.141592654 / dur);
        const double hz = k / dur;
        EXPECT_LE(std::fabs(number(f[0]) - hz), half_unit(f[0]) * 1.001) << "frequency, record " << r + 1;
        const double v = sampled_amplitude(om, dt, tau, n);
        const double theory = 1.0 / (1.0 + om * om * tau * tau);
        const struct {
            int column;
            double expected, relative;
        } checks[] = {{1, v, 2e-5}, {2, v * om, 2e-5}, {3, theory, 1e-12}, {4, theory * om, 1e-12}};
        for (const auto& c : checks) {
            const double printed = number(f[static_cast<std::size_t>(c.column)]);
            EXPECT_LE(std::fabs(printed - c.expected), half_unit(f[static_cast<std::size_t>(c.column)]) + c.relative * c.expected)
                << "column " << c.column + 1 << ", record " << r + 1 << ": " << f[static_cast<std::size_t>(c.column)]
                << " against " << c.expected;
        }
    }
}

// Checks a run's slip file: times, velocities as printed from the formula,
// slip against the integral 1 - (1 + t/tau) e^(-t/tau) within the
// trapezoidal rule's error, acceleration against v'(t - dt/2).
void check_slip(const std::string& file, double dt, double tau, int n, int time_decimals, bool exact_velocity) {
    const auto rows = records(file);
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const auto& f = rows[static_cast<std::size_t>(i)];
        ASSERT_EQ(f.size(), 4u) << i;
        const double t = i * dt;
        EXPECT_EQ(f[0], fixed(t, 8, time_decimals)) << "record " << i + 1;
        const double v = i == 0 ? 0.0 : t / (std::exp(t / tau) * tau * tau);
        if (exact_velocity) {
            EXPECT_EQ(f[1], fixed(v, 15, 7)) << "record " << i + 1;
        } else {
            EXPECT_LE(std::fabs(number(f[1]) - v), 0.5e-7 + 1e-12 * v) << "record " << i + 1;
        }
        // The trapezoidal rule's error: (dt^2/12) (v'(t) - v'(0)), to O(dt^4).
        const double slip = 1.0 - (1.0 + t / tau) * std::exp(-t / tau);
        const double slope_change = (1.0 - t / tau) * std::exp(-t / tau) / (tau * tau) - 1.0 / (tau * tau);
        EXPECT_LE(std::fabs(number(f[2]) - slip), dt * dt / 12.0 * std::fabs(slope_change) * 1.01 + 1e-7)
            << "record " << i + 1;
        const double mid = t - dt / 2.0;
        const double slope = i == 0 ? 1.0 / (tau * tau) : (1.0 - mid / tau) * std::exp(-mid / tau) / (tau * tau);
        EXPECT_LE(std::fabs(number(f[3]) - slope), dt * dt / 8.0 / std::pow(tau, 4) + 1e-7) << "record " << i + 1;
    }
}

TEST(OtherSource, TheDefaultRunAgainstTheClosedForms) {
    // The run without options, checked as every other source is.
    TempDir dir;
    const Outcome result = run(dir.path(), {"--no-pause"});
    EXPECT_EQ(result.status, 0);
    check_slip(read_file(dir.file("Exp_Slip.csv")), 0.01, 1.0, 8192, 4, true);
    check_spectrum(read_file(dir.file("Exp_Amp.csv")), 0.01, 1.0, 8192);
}

TEST(OtherSource, AShortPulseSampledFiner) {
    TempDir dir;
    const Outcome result = run(dir.path(), {"--tau=0.05", "--dt=0.001", "--no-pause"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out,
              "\n Slip Velocity Function using Exponential Function\n\n"
              "  dt,nt=  0.001 8192\n"
              "  Tau(s) =  0.05\n\n"
              "  Slip functions are stored in Exp_Slip.csv\n"
              "  Fourier spectrum is stored in Exp_Amp.csv\n\n"
              "  DUR,DOM,NOM,EOM=  8.192  0.766990394 4096  3141.59265\n"
              "  Highest Frequency (hz)=  500.\n");
    const std::string slip = read_file(dir.file("Exp_Slip.csv"));
    EXPECT_EQ(slip.substr(0, slip.find('\n')), " time(s),velocity,displacement,acceleration");
    check_slip(slip, 0.001, 0.05, 8192, 4, true);
    check_spectrum(read_file(dir.file("Exp_Amp.csv")), 0.001, 0.05, 8192);
}

TEST(OtherSource, ARiseTime) {
    TempDir dir;
    const Outcome result = run(dir.path(), {"--rise-time=2", "--no-pause"});
    EXPECT_EQ(result.status, 0);
    // tau = 2 s / 4.7438645183905783758 (the root of (1 + x) e^-x = 0.05).
    const double tau = 2.0 / 4.7438645183905783758;
    const std::string tau_line = split(result.out, '\n')[4];
    ASSERT_EQ(tau_line.rfind("  Tau(s) =  ", 0), 0u) << tau_line;
    EXPECT_NEAR(std::strtod(tau_line.c_str() + 12, nullptr), tau, 5e-9);
    check_slip(read_file(dir.file("Exp_Slip.csv")), 0.01, tau, 8192, 4, false);
    check_spectrum(read_file(dir.file("Exp_Amp.csv")), 0.01, tau, 8192);
    // At the rise time 95 % of the slip is there: record 201 is t = 2.00 s.
    const auto rows = records(read_file(dir.file("Exp_Slip.csv")));
    EXPECT_NEAR(number(rows[200][2]), 0.95, 1e-4);
}

TEST(OtherSource, ManySamplesIntoAnOutputDirectory) {
    TempDir dir;
    ASSERT_EQ(::mkdir(dir.file("out").c_str(), 0755), 0);
    const Outcome result = run(dir.path(), {"--samples", "65536", "--output-dir", "out/", "--no-pause"});
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.out.find("\n  dt,nt=  0.01 65536\n"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("\n  Slip functions are stored in out/Exp_Slip.csv\n"), std::string::npos);
    EXPECT_NE(result.out.find("\n  Fourier spectrum is stored in out/Exp_Amp.csv\n"), std::string::npos);
    EXPECT_NE(result.out.find("\n  DUR,DOM,NOM,EOM=  655.36  0.00958737993 32768  314.159265\n"), std::string::npos);
    EXPECT_EQ(entries(dir.path()), 1u) << "files written outside the output directory";
    check_slip(read_file(dir.file("out/Exp_Slip.csv")), 0.01, 1.0, 65536, 4, true);
    check_spectrum(read_file(dir.file("out/Exp_Amp.csv")), 0.01, 1.0, 65536);
}

// Whatever the run's values, every field is a number of its column's width,
// consecutive times and frequencies print apart, and each column's largest
// magnitude shows at least 4 significant digits.
void check_columns(const std::string& file, std::size_t columns, const std::string& what) {
    const auto rows = records(file);
    for (std::size_t c = 0; c < columns; ++c) {
        std::size_t widest_row = 0;
        for (std::size_t r = 0; r < rows.size(); ++r) {
            ASSERT_EQ(rows[r].size(), columns) << what << " record " << r + 1;
            const std::string& field = rows[r][c];
            EXPECT_EQ(field.find('*'), std::string::npos) << what << " record " << r + 1 << ": " << field;
            EXPECT_EQ(field.size(), rows[0][c].size()) << what << " record " << r + 1 << " column " << c + 1;
            if (std::fabs(number(field)) > std::fabs(number(rows[widest_row][c]))) widest_row = r;
            if (c == 0 && r > 0) {
                EXPECT_NE(field, rows[r - 1][0]) << what << " records " << r << " and " << r + 1;
            }
        }
        if (!rows.empty() && number(rows[widest_row][c]) != 0.0) {
            EXPECT_GE(significant_digits(rows[widest_row][c]), 4) << what << " column " << c + 1 << ": " << rows[widest_row][c];
        }
    }
}

TEST(OtherSource, ColumnsWidenToShowEveryRunsValues) {
    const std::vector<std::vector<std::string>> runs = {
        {"--tau=1e-6", "--dt=1e-7", "--samples=64"},   // huge accelerations, tiny times
        {"--tau=1e-9", "--dt=1e-9", "--samples=8"},    // the smallest tau and dt
        {"--tau=1e9", "--dt=1e9", "--samples=1024"},   // huge times, tiny frequencies
        {"--tau=1e9", "--dt=1e-9", "--samples=256"},   // velocities near 1e-27
        {"--tau=1e3", "--dt=1", "--samples=4096"},     // small velocities and accelerations
        {"--tau=0.001", "--dt=0.0001", "--samples=2048"},  // steps of one unit of F8.4
        {"--samples=2"},                               // a single time step, no spectrum record
    };
    for (const auto& args : runs) {
        TempDir dir;
        std::vector<std::string> with_end = args;
        with_end.push_back("--no-pause");
        const Outcome result = run(dir.path(), with_end);
        std::string what;
        for (const auto& a : args) what += a + " ";
        EXPECT_EQ(result.status, 0) << what << result.err;
        const std::string slip = read_file(dir.file("Exp_Slip.csv"));
        const std::string spectrum = read_file(dir.file("Exp_Amp.csv"));
        EXPECT_EQ(slip.substr(0, slip.find('\n')), " time(s),velocity,displacement,acceleration") << what;
        EXPECT_EQ(spectrum.substr(0, spectrum.find('\n')), " freq(Hz),abs(vel),abs(acc),theory(vel),theory(acc)") << what;
        check_columns(slip, 4, what + "slip file");
        check_columns(spectrum, 5, what + "spectrum file");
    }
}

TEST(OtherSource, WarningsGoToStandardErrorAndTheRunGoesOn) {
    TempDir dir;
    const Outcome coarse = run(dir.path(), {"--tau=0.01", "--no-pause"});
    EXPECT_EQ(coarse.status, 0);
    EXPECT_EQ(coarse.err,
              "exp-slipv: warning: tau = 0.01 s is less than two samples (dt = 0.01 s): the sampled spectrum "
              "departs from the closed form well below the Nyquist frequency\n");
    EXPECT_EQ(records(read_file(dir.file("Exp_Amp.csv"))).size(), 4095u);
    // At tau = 2 dt exactly the rise has its two samples: no warning; just
    // below, the warning.
    const Outcome two_samples = run(dir.path(), {"--tau=0.02", "--no-pause"});
    EXPECT_EQ(two_samples.status, 0);
    EXPECT_EQ(two_samples.err, "");
    const Outcome just_below = run(dir.path(), {"--tau=0.0199999", "--no-pause"});
    EXPECT_NE(just_below.err.find("warning: tau = 0.0199999 s is less than two samples"), std::string::npos)
        << just_below.err;

    // 256 samples of 0.01 s: the last is at 2.55 s, where the slip is
    // 1 - 3.55 e^-2.55 of its final value.
    const Outcome short_record = run(dir.path(), {"--samples=256", "--no-pause"});
    EXPECT_EQ(short_record.status, 0);
    char percent[32];
    std::snprintf(percent, sizeof percent, "%.4g", 100.0 * (1.0 - 3.55 * std::exp(-2.55)));
    EXPECT_EQ(short_record.err, std::string("exp-slipv: warning: the record lasts 2.56 s, less than 10 tau = 10 s: at "
                                            "its last sample the slip reaches ") +
                                    percent + " % of its final value\n");
    EXPECT_EQ(records(read_file(dir.file("Exp_Slip.csv"))).size(), 256u);
}

TEST(OtherShapes, WarningsSpeakOfThePulsesRiseAndItsSlip) {
    TempDir dir;
    // A half sine of 0.03 s peaks at 0.015 s, less than two samples of 0.01 s;
    // one of 0.04 s peaks at exactly two.
    const Outcome coarse = run(dir.path(), {"--shape=half-sine", "--duration=0.03", "--no-pause"});
    EXPECT_EQ(coarse.status, 0);
    EXPECT_EQ(coarse.err,
              "exp-slipv: warning: the pulse rises in 0.015 s, less than two samples (dt = 0.01 s): the sampled "
              "spectrum departs from the closed form well below the Nyquist frequency\n");
    EXPECT_EQ(run(dir.path(), {"--shape=half-sine", "--duration=0.04", "--no-pause"}).err, "");
    // The boxcar's plateau starts at once: its rise is the time to 95 %.
    EXPECT_NE(run(dir.path(), {"--shape=boxcar", "--duration=0.02", "--no-pause"}).err.find("rises in 0.019 s"),
              std::string::npos);
    // A Hann pulse of 100 s in a record of 50 s: the slip at 49.99 s is
    // 0.4999 - sin(2 pi 0.4999)/(2 pi) = 49.98 % of its final value.
    const Outcome short_record = run(dir.path(), {"--shape=hann", "--duration=100", "--samples=5000", "--no-pause"});
    EXPECT_EQ(short_record.status, 0);
    char percent[32];
    std::snprintf(percent, sizeof percent, "%.4g", 100.0 * (0.4999 - std::sin(2 * M_PI * 0.4999) / (2 * M_PI)));
    EXPECT_EQ(short_record.err, std::string("exp-slipv: warning: the record lasts 50 s, too short for the pulse: at its "
                                            "last sample the slip reaches ") + percent + " % of its final value\n");
    // A Gaussian's area is Phi(6) < 1 by 1e-9: not a short record.
    EXPECT_EQ(run(dir.path(), {"--shape=gaussian", "--no-pause"}).err, "");
}

// With exports, a warning says what their samples carry when that is not the
// unit slip, and what a solver that rescales them does; worked out here from
// v(t) = (t/tau^2) e^(-t/tau) and s(t) = 1 - (1 + t/tau) e^(-t/tau).
TEST(Exports, TheWarningSaysWhatTheSamplesCarry) {
    TempDir dir;
    const auto g = [](long double x) {
        char text[32];
        std::snprintf(text, sizeof text, "%.4Lg", x);
        return std::string(text);
    };
    // tau = 0.002 s at dt = 0.01 s: the rate samples carry dt sum v.
    long double area = 0;
    for (int k = 0; k < 8192; ++k) area += k * 0.01L / (0.002L * 0.002L) * std::exp(-k * 0.01L / 0.002L);
    area *= 0.01L;
    const Outcome rate = run(dir.path(), {"--tau=0.002", "--export=sw4", "--quantity=rate", "--report", "--no-pause"});
    EXPECT_EQ(rate.status, 0);
    EXPECT_NE(rate.err.find("exp-slipv: warning: the exported slip-rate samples carry dt times their sum = " + g(area) +
                            " of the unit slip: a solver that rescales them to unit area multiplies them by " + g(1 / area) +
                            ", one that takes them as they are releases " + g(100 * area) + " % of the moment\n"),
              std::string::npos) << rate.err;
    // The file holds what the warning says: dt times the sum of its samples.
    std::istringstream sw4(read_file(dir.file("Exp_STF_sw4.txt")));
    std::string line;
    std::getline(sw4, line);
    long double file_area = 0;
    while (std::getline(sw4, line)) file_area += std::strtold(line.c_str(), nullptr);
    EXPECT_NEAR(static_cast<double>(file_area * 0.01L), static_cast<double>(area), 1e-12);
    const nlohmann::json report = nlohmann::json::parse(read_file(dir.file("Exp_Report.json")));
    EXPECT_EQ(report["exports"]["quantity"], "slip rate");
    EXPECT_EQ(report["exports"]["formats"], nlohmann::json::array({"sw4"}));
    EXPECT_NEAR(report["exports"]["rate_area"].get<double>(), static_cast<double>(area), 1e-12);
    EXPECT_NE(rate.out.find("  The exports (sw4) hold the slip rate:\n"), std::string::npos) << rate.out;

    // A record of 3 s: the cumulative slip ends at s(2.99 s).
    const long double last = 1 - 3.99L * std::exp(-2.99L);
    const Outcome cumulative = run(dir.path(), {"--samples=300", "--export=sw4", "--no-pause"});
    EXPECT_NE(cumulative.err.find("exp-slipv: warning: the exported cumulative slip ends at " + g(last) +
                                  ": a solver that rescales it to end at 1 divides every sample by " + g(last) +
                                  ", one that takes it as it is releases " + g(100 * last) + " % of the moment\n"),
              std::string::npos) << cumulative.err;
    // A boxcar of 0.015 s at 0.01 s: the slip rises by 0.01/0.015 in one step.
    const Outcome boxcar = run(dir.path(), {"--shape=boxcar", "--duration=0.015", "--export=sw4", "--no-pause"});
    EXPECT_NE(boxcar.err.find("the exported cumulative slip rises by up to " + g(0.01L / 0.015L) + " of the unit slip"),
              std::string::npos) << boxcar.err;
    // Samples that carry the unit slip, or no export: no such warning.
    EXPECT_EQ(run(dir.path(), {"--tau=0.05", "--dt=0.001", "--export=sw4", "--quantity=rate", "--no-pause"}).err, "");
    EXPECT_EQ(run(dir.path(), {"--tau=1", "--samples=300", "--no-pause"}).err.find("exported"), std::string::npos);
}

TEST(Options, NoPauseEndsWithoutThePrompt) {
    TempDir dir;
    const Outcome result = run(dir.path(), {"--no-pause"}, {}, true);
    EXPECT_TRUE(result.ended) << "the run waited for input";
    EXPECT_EQ(result.status, 0);
    const std::string transcript = reference::transcript;
    EXPECT_EQ(result.out, transcript.substr(0, transcript.size() - std::string("\n Hit any key to stop\n").size()));
    EXPECT_TRUE(read_file(dir.file("Exp_Amp.csv")) == reference::spectrum_file());
}

TEST(Options, AnOutputDirectoryThatMayNotBeWrittenIsAFatalReport) {
    TempDir dir;
    ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);
    ASSERT_EQ(::mkdir(dir.file("ro").c_str(), 0555), 0);
    if (!testing_support::can_run_unprivileged(dir.path())) GTEST_SKIP() << "the unprivileged user cannot run the program here";
    ChildOptions options;
    options.unprivileged = true;
    const Outcome result = run(dir.path(), {"--output-dir=ro", "--no-pause"}, options);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err,
              "open: Permission denied\napparent state: unit 11 named ro/Exp_Slip.csv\nlast format: list io\n"
              "lately writing sequential formatted external IO\n");
    EXPECT_NE(result.out.find("stored in ro/Exp_Amp.csv"), std::string::npos);
    EXPECT_EQ(entries(dir.file("ro")), 0u);
}

TEST(Options, NoMemoryForTheWorkingArraysIsAReport) {
#if EXPSLIPV_SANITIZED
    GTEST_SKIP() << "the sanitizers reserve more address space than the limit";
#else
    TempDir dir;
    ChildOptions options;
    options.address_space_limit = 256L << 20;  // 2^24 samples need 384 MiB
    const Outcome result = run(dir.path(), {"--samples=16777216", "--no-pause"}, options);
    EXPECT_FALSE(result.signaled);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err.substr(0, result.err.find('\n')), "working arrays: out of free space");
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(entries(dir.path()), 0u);
#endif
}

}  // namespace
