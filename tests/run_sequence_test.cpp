// The capacity guard of the run, and the error table of the reports.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "exp_slipv.hpp"
#include "support/temp_dir.hpp"
#include "textio/errors.hpp"
#include "textio/signals.hpp"
#include "textio/units.hpp"

namespace {

TEST(CapacityGuardDeathTest, StopsTheRunAfterItsLine) {
    testing_support::TempDir dir;
    const std::string console = dir.file("console.txt");
    const auto guard_with_console_in_file = [&](int nfast) {
        const int fd = ::open(console.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(fd, STDOUT_FILENO);
        exp_slipv::check_capacity(nfast, 16400);
        std::exit(0);  // the guard let the run go on
    };
    EXPECT_EXIT(guard_with_console_in_file(16399), testing::ExitedWithCode(0), "");
    EXPECT_EQ(testing_support::read_file(console), "");
    EXPECT_EXIT(guard_with_console_in_file(16400), testing::ExitedWithCode(3), "");
    EXPECT_EQ(testing_support::read_file(console), " from Triangle: nfast > MOM ! 16400 16400\n");
}

TEST(FatalReportDeathTest, RuntimeAndSystemNumbersAreNotConfused) {
    // The messages the program can meet, through the report itself.
    EXPECT_EXIT(textio::fatal_error(111, "endfile"), testing::ExitedWithCode(2), "^endfile: truncation failed in endfile\n");
    EXPECT_EXIT(textio::fatal_error(127, "list output start"), testing::ExitedWithCode(2),
                "^list output start: can't write file\n");
    EXPECT_EXIT(textio::fatal_error(113, "working arrays"), testing::ExitedWithCode(2), "^working arrays: out of free space\n");
    // EDQUOT is 122 on Linux, inside the runtime's numbers: a system error
    // shows the system's description, never "subscript for scalar variable".
    EXPECT_EXIT(textio::fatal_system_error(EDQUOT, "write"), testing::ExitedWithCode(2), "^write: Disk quota exceeded\n");
    EXPECT_EQ(textio::runtime_error_message(99), nullptr);
    EXPECT_EQ(textio::runtime_error_message(133), nullptr);
}

TEST(SignalSafeSectionDeathTest, NestedSectionsHoldASignalUntilTheOutermostEnds) {
    const auto nested = [] {
        textio::install_signal_reports();
        textio::init_unit_table();
        {
            textio::SignalSafeSection outer;
            {
                textio::SignalSafeSection inner;
                ::kill(::getpid(), SIGABRT);  // sent, not raised by an instruction: it waits
            }
            // The inner section has ended, the outer has not: still held.
            const char held[] = "held\n";
            ssize_t ignored = ::write(STDERR_FILENO, held, sizeof held - 1);
            (void)ignored;
        }
        std::exit(0);  // never reached: the abort acts when the outer section ends
    };
    EXPECT_EXIT(nested(), testing::ExitedWithCode(128 + SIGABRT), "^held\nIOT Trap\n$");
}

}  // namespace
