// The command line read into parameters, and the values behind the options,
// checked against values worked out by hand or by an independent method.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "command_line.hpp"
#include "option_values.hpp"
#include "support/temp_dir.hpp"

namespace {

using exp_slipv::CommandLine;

CommandLine parse(std::vector<std::string> args) {
    args.insert(args.begin(), "some/other/name");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    return exp_slipv::parse_command_line(static_cast<int>(args.size()), argv.data());
}

// The tau of a run's Brune source; NaN for another shape.
double tau_of(const CommandLine& line) {
    const auto* brune = dynamic_cast<const exp_slipv::BruneSource*>(line.parameters.source.get());
    return brune != nullptr ? brune->tau() : std::nan("");
}

TEST(CommandLine, WithoutOptionsTheRunHasItsDefaults) {
    const CommandLine line = parse({});
    ASSERT_EQ(line.action, CommandLine::Action::run);
    EXPECT_EQ(tau_of(line), 1.0);
    EXPECT_EQ(line.parameters.dt, 0.01);
    EXPECT_EQ(line.parameters.nt, 8192);
    EXPECT_EQ(line.parameters.output_dir, "");
    EXPECT_TRUE(line.parameters.pause);
}

struct Accepted {
    std::vector<std::string> args;
    double tau, dt;
    int nt;
    bool pause;
};

TEST(CommandLine, BothFormsOfAValueAreRead) {
    const Accepted cases[] = {
        {{"--tau=0.05", "--dt=0.001"}, 0.05, 0.001, 8192, true},
        {{"--tau", "0.05", "--dt", "1e-3"}, 0.05, 0.001, 8192, true},
        {{"--tau=.5", "--samples", "65536", "--no-pause"}, 0.5, 0.01, 65536, false},
        {{"--samples=2"}, 1.0, 0.01, 2, true},
        {{"--samples=16777216"}, 1.0, 0.01, 16777216, true},
        {{"--samples=1000"}, 1.0, 0.01, 1000, true},
        {{"--samples=3", "--export=sac"}, 1.0, 0.01, 3, true},
        {{"--samples=7", "--export=sw4"}, 1.0, 0.01, 7, true},
        {{"--dt=1e-9", "--tau=1e9"}, 1e9, 1e-9, 8192, true},
        {{"--tau=+2.5E+0"}, 2.5, 0.01, 8192, true},
        {{"--tau=1", "--tau=3"}, 3.0, 0.01, 8192, true},  // the same option again: the last counts
    };
    for (const Accepted& c : cases) {
        const CommandLine line = parse(c.args);
        ASSERT_EQ(line.action, CommandLine::Action::run) << c.args[0] << ": " << line.error;
        EXPECT_EQ(tau_of(line), c.tau) << c.args[0];
        EXPECT_EQ(line.parameters.dt, c.dt) << c.args[0];
        EXPECT_EQ(line.parameters.nt, c.nt) << c.args[0];
        EXPECT_EQ(line.parameters.pause, c.pause) << c.args[0];
    }
}

TEST(CommandLine, ExportsAreListedOnceInTheOrderGiven) {
    const CommandLine line = parse({"--export=sac,sw4", "--quantity", "rate", "--export", "specfem2d,sac"});
    ASSERT_EQ(line.action, CommandLine::Action::run) << line.error;
    EXPECT_EQ(line.parameters.exports, (std::vector<std::string>{"sac", "sw4", "specfem2d"}));
    EXPECT_EQ(line.parameters.quantity, exp_slipv::Quantity::rate);
    const CommandLine plain = parse({});
    EXPECT_TRUE(plain.parameters.exports.empty());
    EXPECT_EQ(plain.parameters.quantity, exp_slipv::Quantity::cumulative);
}

TEST(CommandLine, HelpAndVersionEndTheReading) {
    EXPECT_EQ(parse({"-h"}).action, CommandLine::Action::help);
    EXPECT_EQ(parse({"--tau=2", "--help", "--bogus"}).action, CommandLine::Action::help);
    EXPECT_EQ(parse({"--version"}).action, CommandLine::Action::version);
    EXPECT_EQ(parse({"--bogus", "--help"}).action, CommandLine::Action::usage_error);
}

TEST(CommandLine, TheSourceMayBeGivenAsCornerFrequencyOrRiseTime) {
    // fc = 1/(2 pi tau): fc = 0.5 Hz gives tau = 1/pi s.
    const CommandLine corner = parse({"--corner-frequency=0.5"});
    ASSERT_EQ(corner.action, CommandLine::Action::run);
    EXPECT_DOUBLE_EQ(tau_of(corner), 0.31830988618379067);
    // T95 = x tau with x = 4.7438645183905783758..., worked out with 50-digit
    // decimal arithmetic: a rise time of 4.7438645183905784 s gives tau = 1 s.
    const CommandLine rise = parse({"--rise-time=4.7438645183905784"});
    ASSERT_EQ(rise.action, CommandLine::Action::run);
    EXPECT_NEAR(tau_of(rise), 1.0, 4e-16);
    EXPECT_NEAR(exp_slipv::brune_rise_time_factor(), 4.7438645183905783758, 1e-15);
}

struct Refused {
    std::vector<std::string> args;
    std::vector<std::string> mentions;  // the message names these
};

TEST(CommandLine, EveryUnusableCommandLineIsRefusedWithItsReason) {
    testing_support::TempDir dir;
    testing_support::write_file(dir.file("plain"), "x");
    const Refused cases[] = {
        {{"--bogus"}, {"unrecognized option '--bogus'"}},
        {{"--bogus=3"}, {"'--bogus'"}},
        {{"-x"}, {"'-x'"}},
        {{"operand"}, {"unexpected operand 'operand'"}},
        {{"--tau=1", "--", "--dt=1"}, {"operand '--dt=1'"}},
        {{"--tau"}, {"'--tau' requires a value"}},
        {{"--samples"}, {"'--samples' requires a value"}},
        {{"--tau="}, {"--tau", "empty"}},
        {{"--output-dir="}, {"--output-dir", "empty"}},
        {{"--samples="}, {"--samples", "empty"}},
        {{"--no-pause=yes"}, {"'--no-pause' takes no value"}},
        {{"--tau=abc"}, {"'abc'", "--tau", "not a decimal number"}},
        {{"--dt=0.01s"}, {"'0.01s'", "--dt", "not a decimal number"}},
        {{"--tau=nan"}, {"'nan'", "not a decimal number"}},
        {{"--tau=inf"}, {"'inf'", "not a decimal number"}},
        {{"--tau=infinity"}, {"'infinity'", "not a decimal number"}},
        {{"--dt=0x1p-7"}, {"'0x1p-7'", "not a decimal number"}},
        {{"--dt=0x10"}, {"'0x10'", "not a decimal number"}},
        {{"--tau=1e"}, {"'1e'", "not a decimal number"}},
        {{"--tau=."}, {"'.'", "not a decimal number"}},
        {{"--tau= 1"}, {"' 1'", "not a decimal number"}},
        {{"--tau=1,5"}, {"'1,5'", "not a decimal number"}},
        {{"--tau=0"}, {"'0'", "--tau", "not positive"}},
        {{"--dt=-0.01"}, {"'-0.01'", "--dt", "not positive"}},
        {{"--dt=-0"}, {"'-0'", "not positive"}},
        {{"--tau=0.000e5"}, {"'0.000e5'", "not positive"}},
        {{"--tau=1e999"}, {"'1e999'", "outside 1e-9 to 1e9 s"}},
        {{"--tau=1e-999"}, {"'1e-999'", "outside 1e-9 to 1e9 s"}},
        {{"--dt=2e9"}, {"'2e9'", "--dt", "outside"}},
        {{"--dt=9.9e-10"}, {"'9.9e-10'", "--dt", "outside"}},
        {{"--corner-frequency=1e-12"}, {"'1e-12'", "--corner-frequency", "tau", "outside"}},
        {{"--corner-frequency=1e999"}, {"'1e999'", "--corner-frequency", "outside"}},
        {{"--corner-frequency=0"}, {"--corner-frequency", "not positive"}},
        {{"--rise-time=1e-12"}, {"'1e-12'", "--rise-time", "tau", "outside"}},
        {{"--rise-time=1e10"}, {"'1e10'", "--rise-time", "outside"}},
        {{"--samples=1"}, {"'1'", "outside 2 to 16777216"}},
        {{"--samples=0"}, {"'0'", "outside"}},
        {{"--samples=16777217"}, {"'16777217'", "outside 2 to 16777216"}},
        {{"--samples=33554432"}, {"'33554432'", "outside"}},
        {{"--samples=99999999999999999999999"}, {"outside"}},
        {{"--export=sw5"}, {"'sw5'", "--export", "unknown format 'sw5'", "sw4, specfem3d, specfem2d, sem2dpack, sac"}},
        {{"--export=sw4,,sac"}, {"'sw4,,sac'", "an empty format name"}},
        {{"--export="}, {"--export", "empty"}},
        {{"--export=SW4"}, {"unknown format 'SW4'"}},
        {{"--quantity=slip"}, {"'slip'", "--quantity", "cumulative and rate"}},
        {{"--quantity="}, {"--quantity"}},
        // SW4 refuses fewer than 7 samples, whichever option comes first.
        {{"--export=sw4", "--samples=6"}, {"--export=sw4", "--samples=6", "7 samples"}},
        {{"--samples=2", "--export=sac,sw4"}, {"--export=sw4", "--samples=2"}},
        {{"--samples=8192.0"}, {"'8192.0'", "not a positive whole number"}},
        {{"--samples=-8"}, {"'-8'", "not a positive whole number"}},
        {{"--samples=1e3"}, {"'1e3'", "not a positive whole number"}},
        {{"--tau=1", "--rise-time=2"}, {"--rise-time=2", "--tau", "one way"}},
        {{"--corner-frequency=1", "--tau=2"}, {"--tau=2", "--corner-frequency"}},
        {{"--rise-time=1", "--corner-frequency=2"}, {"--corner-frequency=2", "--rise-time"}},
        {{"--output-dir=" + dir.file("missing")}, {"'" + dir.file("missing") + "'", "--output-dir", "No such file"}},
        {{"--output-dir", dir.file("plain")}, {"'" + dir.file("plain") + "'", "not a directory"}},
        {{"--output-dir=" + dir.file("plain") + "/sub"}, {"--output-dir", "Not a directory"}},
    };
    for (const Refused& c : cases) {
        const CommandLine line = parse(c.args);
        std::string shown;
        for (const std::string& a : c.args) shown += a + " ";
        ASSERT_EQ(line.action, CommandLine::Action::usage_error) << shown;
        for (const std::string& m : c.mentions) EXPECT_NE(line.error.find(m), std::string::npos) << shown << "-> " << line.error;
        EXPECT_EQ(line.error.find('\n'), std::string::npos) << shown;
    }
}

// --length covers [0, SECONDS]: SECONDS/dt steps, whole to rounding or
// rounded up, and one sample more; whichever of it and --dt comes first.
TEST(CommandLine, ALengthSetsTheSamplesThatCoverIt) {
    const struct {
        std::vector<std::string> args;
        int nt;
    } cases[] = {
        {{"--dt=0.004", "--length=60"}, 15001},     // 60/0.004 = 15000 to rounding
        {{"--length=60", "--dt=0.004"}, 15001},
        {{"--length=81.91"}, 8192},                  // the run without options
        {{"--length=0.019"}, 3},                     // 1.9 steps: 2
        {{"--length=0.02"}, 3},
        {{"--length=0.0001"}, 2},                    // a fraction of a step: one
        {{"--length=1e-9", "--dt=1e-9"}, 2},
        {{"--length=167772.15"}, 16777216},          // 2^24 samples, the most
        {{"--length=0.3", "--dt=0.1"}, 4},           // 0.3/0.1 = 2.9999999999999996
        {{"--length=0.07"}, 8},                      // 0.07/0.01 = 7.000000000000001: 7 steps, not 8
    };
    for (const auto& c : cases) {
        const CommandLine line = parse(c.args);
        ASSERT_EQ(line.action, CommandLine::Action::run) << c.args[0] << " " << line.error;
        EXPECT_EQ(line.parameters.nt, c.nt) << c.args[0];
    }
    const struct {
        std::vector<std::string> args;
        std::vector<std::string> mentions;
    } refused[] = {
        {{"--length=60", "--samples=5"}, {"--length=60", "--samples"}},
        {{"--samples=5", "--length=60"}, {"--length=60", "--samples"}},
        {{"--length=167772.16"}, {"'167772.16'", "--length", "16777217 samples", "beyond 16777216"}},
        {{"--length=1e9", "--dt=1e-9"}, {"--length", "beyond"}},
        {{"--length=0"}, {"--length", "not positive"}},
        {{"--length=abc"}, {"'abc'", "--length", "not a decimal number"}},
        {{"--length"}, {"'--length' requires a value"}},
        {{"--export=sw4", "--length=0.05"}, {"--export=sw4", "--length=0.05 (6 samples)", "7 samples"}},
    };
    for (const auto& c : refused) {
        const CommandLine line = parse(c.args);
        ASSERT_EQ(line.action, CommandLine::Action::usage_error) << c.args[0];
        for (const std::string& m : c.mentions) EXPECT_NE(line.error.find(m), std::string::npos) << c.args[0] << " -> " << line.error;
    }
}

TEST(CommandLine, UsageErrorsNameTheProgramAndTheHelp) {
    EXPECT_EQ(exp_slipv::usage_error_text("unexpected operand 'x'"),
              "exp-slipv: unexpected operand 'x'\nTry 'exp-slipv --help' for more information.\n");
}

}  // namespace
