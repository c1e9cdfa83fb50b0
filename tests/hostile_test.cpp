// The program in hostile settings: a standard error nobody reads, a FIFO
// whose reader leaves, signals blocked or ignored by the parent, a terminal
// that hangs up.  Every case must end, with the status a user expects.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "reference_files.hpp"
#include "support/child.hpp"
#include "support/temp_dir.hpp"

namespace {

using testing_support::Child;
using testing_support::ChildOptions;
using testing_support::read_file;
using testing_support::TempDir;

// Long enough for any run; a case that reaches it has hung.
constexpr int timeout_ms = 20000;
const std::string transcript = reference::transcript;
const std::string prompt = " Hit any key to stop\n";

// A pipe whose write end is full and whose read end is never read.
struct FullPipe {
    int read_end = -1, write_end = -1;
    FullPipe() {
        int ends[2];
        if (::pipe(ends) != 0) return;
        read_end = ends[0];
        write_end = ends[1];
        ::fcntl(write_end, F_SETFL, O_NONBLOCK);
        const std::string block(4096, 'x');
        while (::write(write_end, block.data(), block.size()) > 0) {
        }
        ::fcntl(write_end, F_SETFL, 0);  // the program gets a blocking descriptor, as from a shell
    }
    ~FullPipe() {
        ::close(read_end);
        ::close(write_end);
    }
};

// Sends the signal and expects the run to end at once with the status.
void expect_end_on(Child& child, int signal_number, int status) {
    child.send(signal_number);
    ASSERT_TRUE(child.wait(timeout_ms)) << "the run did not end on signal " << signal_number;
    EXPECT_EQ(child.exit_code(), status) << "after signal " << signal_number;
}

// Waits until the file holds the given number of bytes (or the timeout).
void wait_for_size(const std::string& path, std::size_t size) {
    struct stat status {};
    for (int i = 0; i < timeout_ms / 10; ++i) {
        if (::stat(path.c_str(), &status) == 0 && static_cast<std::size_t>(status.st_size) >= size) return;
        ::usleep(10000);
    }
}

TEST(Hostile, AnInterruptEndsARunWhoseReportCannotBeWritten) {
    for (int signal_number : {SIGINT, SIGTERM}) {
        TempDir dir;
        FullPipe errors;
        ChildOptions options;
        options.cwd = dir.path();
        options.input = ChildOptions::Input::pipe;  // the pause waits
        options.error_fd = errors.write_end;
        Child child(options);
        ASSERT_TRUE(child.wait_for_output(prompt, timeout_ms));
        // "Interrupt" cannot be written: the run still ends, with status 1.
        ASSERT_NO_FATAL_FAILURE(expect_end_on(child, signal_number, 1));
        EXPECT_TRUE(read_file(dir.file("Exp_Amp.csv")) == reference::spectrum_file());
    }
}

TEST(Hostile, ATerminationRequestEndsAFatalReportThatCannotBeWritten) {
    TempDir dir;
    ASSERT_EQ(::mkdir(dir.file("Exp_Slip.csv").c_str(), 0755), 0);  // the open fails
    FullPipe errors;
    ChildOptions options;
    options.cwd = dir.path();
    options.error_fd = errors.write_end;
    Child child(options);
    // The console lines come out before the report, which then blocks.
    ASSERT_TRUE(child.wait_for_output(" Fourier spectrum is stored in Exp_Amp.csv\n", timeout_ms));
    EXPECT_TRUE(child.running_after(200)) << "the report did not block; the test shows nothing";
    ASSERT_NO_FATAL_FAILURE(expect_end_on(child, SIGTERM, 1));
    EXPECT_FALSE(testing_support::file_exists(dir.file("Exp_Amp.csv")));
}

TEST(Hostile, AFifoWhoseReaderLeavesIsABrokenPipe) {
    TempDir dir;
    const std::string fifo = dir.file("Exp_Amp.csv");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    std::thread reader([&] {
        const int fd = ::open(fifo.c_str(), O_RDONLY);
        char head[100];
        ssize_t taken = 0;
        while (fd >= 0 && taken < 100) {
            const ssize_t n = ::read(fd, head + taken, sizeof head - static_cast<std::size_t>(taken));
            if (n <= 0) break;
            taken += n;
        }
        ::close(fd);
    });
    ChildOptions options;
    options.cwd = dir.path();
    Child child(options);
    const bool ended = child.wait(timeout_ms);
    reader.join();
    ASSERT_TRUE(ended) << "the run did not notice that its reader left";
    EXPECT_EQ(child.exit_code(), 2);
    EXPECT_EQ(child.err().substr(0, child.err().find("last format")),
              "write: Broken pipe\napparent state: unit 12 named Exp_Amp.csv\n");
    // The console lines up to the spectrum file, and the slip file, complete.
    const std::string through_frequency = "  Highest Frequency (hz)=  50.\n";
    EXPECT_EQ(child.out(), transcript.substr(0, transcript.find(through_frequency) + through_frequency.size()));
    EXPECT_TRUE(read_file(dir.file("Exp_Slip.csv")) == reference::slip_file());
}

TEST(Hostile, AFifoWithoutReaderWaitsAndAnInterruptStillEndsTheRun) {
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.file("Exp_Amp.csv").c_str(), 0644), 0);
    ChildOptions options;
    options.cwd = dir.path();
    Child child(options);
    // The spectrum file is opened once the slip file is complete.
    wait_for_size(dir.file("Exp_Slip.csv"), reference::slip_file().size());
    EXPECT_TRUE(child.running_after(300)) << "the run did not wait for a reader";
    ASSERT_NO_FATAL_FAILURE(expect_end_on(child, SIGINT, 1));
    EXPECT_EQ(child.err(), "Interrupt\n");
}

TEST(Hostile, AFifoReaderThatComesLateGetsTheWholeFile) {
    // The run waits for the reader, trying again now and then; one that comes
    // while it waits gets every record.
    TempDir dir;
    const std::string fifo = dir.file("Exp_Amp.csv");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    ChildOptions options;
    options.cwd = dir.path();
    Child child(options);
    wait_for_size(dir.file("Exp_Slip.csv"), reference::slip_file().size());
    EXPECT_TRUE(child.running_after(300)) << "the run did not wait for a reader";
    const int fd = ::open(fifo.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    std::string received;
    char block[65536];
    for (ssize_t n; (n = ::read(fd, block, sizeof block)) > 0;) received.append(block, static_cast<std::size_t>(n));
    ::close(fd);
    ASSERT_TRUE(child.wait(timeout_ms));
    EXPECT_EQ(child.exit_code(), 0);
    EXPECT_TRUE(received == reference::spectrum_file()) << received.size() << " bytes";
}

// A reader already waiting on a FIFO takes the first open for writing as its
// writer's, and the close of that open as the end of its input: the run
// must open the FIFO once, for writing only.  Every open is delayed by a
// tracer, so that a reader woken by an earlier open has surely met its close.
TEST(Hostile, AFifoReaderWaitingBeforeTheRunGetsTheWholeFile) {
    const std::string strace = testing_support::strace_path();
    if (strace.empty()) GTEST_SKIP() << "strace is not installed (apt-get install strace)";
    TempDir dir;
    const std::string fifo = dir.file("Exp_Slip.csv");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    std::string received;
    std::thread reader([&] {
        const int fd = ::open(fifo.c_str(), O_RDONLY);  // waits for a writer
        if (fd < 0) return;
        char block[65536];
        for (ssize_t n; (n = ::read(fd, block, sizeof block)) > 0;) received.append(block, static_cast<std::size_t>(n));
        ::close(fd);
    });
    ChildOptions options;
    options.cwd = dir.path();
    options.argv = {strace, "-f", "-qq", "-o", "/dev/null", "-e", "trace=openat", "-e",
                    "inject=openat:delay_enter=100000", testing_support::program_path(), "--no-pause"};
    options.environment = {{"ASAN_OPTIONS", "detect_leaks=0"}};
    Child child(options);
    const bool ended = child.wait(timeout_ms);
    if (!ended) {
        // The run waits for a reader that saw its input end: let both go.
        const int fd = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
        child.send(SIGINT);
        child.wait(timeout_ms);
        if (fd >= 0) ::close(fd);
    }
    reader.join();
    EXPECT_TRUE(ended) << "the run was left waiting for a reader";
    EXPECT_EQ(child.exit_code(), 0);
    EXPECT_TRUE(received == reference::slip_file()) << received.size() << " bytes";
}

TEST(Hostile, AConsoleReaderThatLeftIsABrokenPipe) {
    // Standard output is a pipe whose reader has gone: the console lines
    // cannot be written, which is a report, not a silent death by SIGPIPE.
    TempDir dir;
    ChildOptions options;
    options.cwd = dir.path();
    Child child(options);
    child.close_output();
    ASSERT_TRUE(child.wait(timeout_ms));
    EXPECT_FALSE(child.signaled());
    EXPECT_EQ(child.exit_code(), 2);
    EXPECT_EQ(child.err().substr(0, child.err().find("last format")),
              "write: Broken pipe\napparent state: unit 6 (unnamed)\n");
}

TEST(Hostile, OnATerminalEachLineIsVisibleAtOnce) {
    // Standard output a pseudo-terminal, the slip file a FIFO without a
    // reader: the run waits at the slip file, and the console lines printed
    // before it must already be on the terminal.
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.file("Exp_Slip.csv").c_str(), 0644), 0);
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const int terminal = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
    ASSERT_GE(terminal, 0);
    ChildOptions options;
    options.cwd = dir.path();
    options.output_fd = terminal;
    Child child(options);
    ::close(terminal);
    std::string shown;
    for (int i = 0; i < timeout_ms / 10 && shown.find("Exp_Amp.csv") == std::string::npos; ++i) {
        pollfd entry = {master, POLLIN, 0};
        if (::poll(&entry, 1, 10) <= 0) continue;
        char block[4096];
        const ssize_t n = ::read(master, block, sizeof block);
        if (n <= 0) break;
        shown.append(block, static_cast<std::size_t>(n));
    }
    EXPECT_NE(shown.find("Fourier spectrum is stored in Exp_Amp.csv"), std::string::npos) << shown;
    EXPECT_TRUE(child.running_after(100)) << "the run did not wait for the FIFO's reader";
    ASSERT_NO_FATAL_FAILURE(expect_end_on(child, SIGINT, 1));
    ::close(master);
}

TEST(Hostile, StopSignalsBlockedByTheParentStillWork) {
    TempDir dir;
    ChildOptions options;
    options.cwd = dir.path();
    options.input = ChildOptions::Input::pipe;
    options.block_stop_signals = true;
    Child child(options);
    ASSERT_TRUE(child.wait_for_output(prompt, timeout_ms));
    ASSERT_NO_FATAL_FAILURE(expect_end_on(child, SIGTERM, 1));
    EXPECT_EQ(child.err(), "Killed\n");
}

TEST(Hostile, AHangUpEndsTheRunWithoutAReport) {
    TempDir dir;
    ChildOptions options;
    options.cwd = dir.path();
    options.input = ChildOptions::Input::pipe;
    options.output = ChildOptions::Output::file;  // a file keeps the console lines in the buffer
    options.output_file = dir.file("console.txt");
    Child child(options);
    // The pause is reached once both files are complete.
    wait_for_size(dir.file("Exp_Amp.csv"), reference::spectrum_file().size());
    EXPECT_TRUE(child.running_after(100));
    ASSERT_NO_FATAL_FAILURE(expect_end_on(child, SIGHUP, 129));
    EXPECT_EQ(child.err(), "");
    EXPECT_EQ(read_file(dir.file("console.txt")), transcript);
    EXPECT_TRUE(read_file(dir.file("Exp_Slip.csv")) == reference::slip_file());
}

TEST(Hostile, AHangUpIgnoredAtStartStaysIgnored) {
    TempDir dir;
    ChildOptions options;
    options.cwd = dir.path();
    options.input = ChildOptions::Input::pipe;
    options.ignore_hang_up = true;  // nohup
    Child child(options);
    ASSERT_TRUE(child.wait_for_output(prompt, timeout_ms));
    child.send(SIGHUP);
    EXPECT_TRUE(child.running_after(300)) << "an ignored hang-up ended the run";
    child.close_input();
    ASSERT_TRUE(child.wait(timeout_ms));
    EXPECT_EQ(child.exit_code(), 0);
    EXPECT_EQ(child.out(), transcript);
}

}  // namespace
