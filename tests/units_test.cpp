// The unit table: the create-or-replace open, the first write, the cut at
// close, and the failures of opening and writing.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "support/temp_dir.hpp"
#include "textio/list_output.hpp"
#include "textio/units.hpp"

namespace {

using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;
using textio::write_line;

constexpr int unit = 21;

TEST(Units, OpenCreatesAndCloseKeepsExactlyWhatWasWritten) {
    TempDir dir;
    const std::string path = dir.file("new.csv");
    textio::open_unit(unit, path + "   ");  // trailing blanks are no part of the name
    EXPECT_EQ(textio::unit_entry(unit).name, path);
    textio::close_unit(unit);
    EXPECT_EQ(read_file(path), "");
    EXPECT_FALSE(textio::unit_entry(unit).connected());

    // A longer earlier file is replaced whole; a shorter one is overwritten.
    for (const std::string& earlier : {std::string(100000, 'o'), std::string("ab")}) {
        write_file(path, earlier);
        textio::open_unit(unit, path);
        write_line(unit, "new");
        textio::close_unit(unit);
        EXPECT_EQ(read_file(path), " new\n");
    }
}

TEST(Units, TheFirstWriteEmptiesAnEarlierFile) {
    TempDir dir;
    const std::string path = dir.file("old.csv");
    write_file(path, "an earlier run's records\n");
    textio::open_unit(unit, path);
    EXPECT_EQ(read_file(path), "an earlier run's records\n");  // the open alone changes nothing
    write_line(unit, "x");
    EXPECT_EQ(read_file(path), "");  // the line is still in the stream's buffer
    textio::flush_unit(unit);
    EXPECT_EQ(read_file(path), " x\n");
    textio::close_unit(unit);
}

TEST(Units, AFileOpenedButNeverWrittenIsLeftAsItWas) {
    // A run stopped between the open and the first write leaves an earlier
    // file as it found it: the close cuts only a file that was written.
    TempDir dir;
    const std::string path = dir.file("kept.csv");
    write_file(path, "an earlier run's records\n");
    textio::open_unit(unit, path);
    textio::close_unit(unit);
    EXPECT_EQ(read_file(path), "an earlier run's records\n");
}

TEST(Units, AKilledRunLeavesOnlyItsOwnRecords) {
    TempDir dir;
    const std::string path = dir.file("killed.csv");
    // Longer than all the test writes: without the emptying at the first
    // write, its tail would follow the records.
    write_file(path, std::string(1000000, 'Q'));
    const pid_t pid = fork();
    if (pid == 0) {
        textio::open_unit(unit, path);
        // More than one buffer's worth reaches the file before the kill.
        for (int i = 0; i < 20000; ++i) write_line(unit, "record", i);
        ::kill(::getpid(), SIGKILL);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_EQ(WTERMSIG(status), SIGKILL);
    const std::string left = read_file(path);
    EXPECT_EQ(left.find('Q'), std::string::npos);
    EXPECT_EQ(left.substr(0, 20), " record 0\n record 1\n");
    EXPECT_GT(left.size(), 65536u);  // a buffer's worth reached the file: the kill came after writes
    EXPECT_EQ(left.back(), '\n');
}

TEST(UnitsDeathTest, OpenFailuresNameTheUnitAndFile) {
    TempDir dir;
    ASSERT_EQ(::mkdir(dir.file("adir").c_str(), 0755), 0);
    EXPECT_EXIT(textio::open_unit(unit, dir.file("adir")), testing::ExitedWithCode(2),
                "^open: Is a directory\napparent state: unit 21 named .*/adir\n");
    EXPECT_EXIT(textio::open_unit(unit, dir.file("missing/x.csv")), testing::ExitedWithCode(2),
                "^open: No such file or directory\napparent state: unit 21 named .*/missing/x.csv\n");
    EXPECT_FALSE(testing_support::file_exists(dir.file("adir/x.csv")));
}

TEST(UnitsDeathTest, WriteFailuresAreFatal) {
    TempDir dir;
    const std::string path = dir.file("full.csv");
    ASSERT_EQ(::symlink("/dev/full", path.c_str()), 0);
    EXPECT_EXIT(
        {
            textio::open_unit(unit, path);
            write_line(unit, "header");
            textio::close_unit(unit);
            std::exit(0);
        },
        testing::ExitedWithCode(2),
        "^write: No space left on device\napparent state: unit 21 named .*/full.csv\n"
        "last format: list io\nlately writing sequential formatted external IO\n$");
}

TEST(UnitsDeathTest, AnUnconnectedUnitIsConnectedByDefault) {
    TempDir dir;
    EXPECT_EXIT(
        {
            if (::chdir(dir.path().c_str()) != 0) std::exit(3);
            write_line(33, "default");
            textio::close_unit(33);
            std::exit(0);
        },
        testing::ExitedWithCode(0), "");
    EXPECT_EQ(read_file(dir.file("fort.33")), " default\n");
}

}  // namespace
