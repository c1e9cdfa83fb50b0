// The capacity guard of the run, and the error table of the reports.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "exp_slipv.hpp"
#include "support/temp_dir.hpp"
#include "textio/errors.hpp"

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

TEST(ErrorTable, EveryRuntimeNumberHasItsMessage) {
    for (int number = textio::first_runtime_error; number <= textio::last_runtime_error; ++number)
        EXPECT_NE(textio::runtime_error_message(number), nullptr) << number;
    EXPECT_EQ(textio::runtime_error_message(99), nullptr);
    EXPECT_EQ(textio::runtime_error_message(133), nullptr);
    EXPECT_STREQ(textio::runtime_error_message(100), "error in format");
    EXPECT_STREQ(textio::runtime_error_message(109), textio::runtime_error_message(114));
    EXPECT_STREQ(textio::runtime_error_message(111), "truncation failed in endfile");
    EXPECT_STREQ(textio::runtime_error_message(127), "can't write file");
    EXPECT_STREQ(textio::runtime_error_message(132), "Temporary file name (TMPDIR?) too long");
}

}  // namespace
