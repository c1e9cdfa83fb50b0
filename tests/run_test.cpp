// The whole program as a user runs it: in a fresh directory, with its
// transcript, both files, its failure reports and its exit status.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "reference_files.hpp"
#include "support/child.hpp"
#include "support/sha256.hpp"
#include "support/temp_dir.hpp"

namespace {

using testing_support::Child;
using testing_support::ChildOptions;
using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;

constexpr int timeout_ms = 60000;
const std::string slip_name = "Exp_Slip.csv";
const std::string spectrum_name = "Exp_Amp.csv";
const std::string transcript = reference::transcript;

// The first n lines of the transcript.
std::string transcript_lines(int n) {
    std::size_t end = 0;
    for (int i = 0; i < n; ++i) end = transcript.find('\n', end) + 1;
    return transcript.substr(0, end);
}

const std::string& expected_slip() {
    static const std::string file = reference::slip_file();
    return file;
}

const std::string& expected_spectrum() {
    static const std::string file = reference::spectrum_file();
    return file;
}

std::string report(int unit, const std::string& name, const std::string& first_line, const char* format = "list io") {
    std::string text = first_line + "\napparent state: unit " + std::to_string(unit) + " named " + name + "\n";
    if (format != nullptr) text += std::string("last format: ") + format + "\n";
    return text + "lately writing sequential formatted external IO\n";
}

struct Outcome {
    std::string out, err;
    int status = -1;
    bool signaled = false;
};

Outcome run_in(const std::string& dir, ChildOptions options = {}) {
    options.cwd = dir;
    Child child(options);
    child.close_input();
    EXPECT_TRUE(child.wait(timeout_ms)) << "the run did not end";
    return {child.out(), child.err(), child.exit_code(), child.signaled()};
}

// A run whose standard input is a pipe that receives the input and is then closed.
Outcome run_with_piped_input(const std::string& dir, const std::string& input, ChildOptions options = {}) {
    options.cwd = dir;
    options.input = ChildOptions::Input::pipe;
    Child child(options);
    child.write_input(input);
    child.close_input();
    EXPECT_TRUE(child.wait(timeout_ms)) << "the run did not end";
    return {child.out(), child.err(), child.exit_code(), child.signaled()};
}

std::string line(const std::string& file, std::size_t number) {
    std::size_t start = 0;
    for (std::size_t i = 1; i < number; ++i) start = file.find('\n', start) + 1;
    return file.substr(start, file.find('\n', start) - start);
}

// SHA-256 of the exact bytes of the run without options, as the program
// has always written them.
const std::string transcript_digest = "b44e13df1ef1391419869d998ab822c49fbcf2cf88a0838104f02c80bf09daba";
const std::string slip_digest = "a498751efba0df38cf52558375626945839106b3a1f4193d9d560194650823ea";
const std::string spectrum_digest = "88267421c221227af21627f5b8ba044eef36b8f1a004c02cf19dcebbef3e893e";

TEST(WholeRun, TheReferencesAreTheStoredBytes) {
    // The expected texts that other tests compare with, built from the
    // formulas and the C library's conversions, are the bytes of the digests.
    EXPECT_EQ(testing_support::sha256_hex(transcript), transcript_digest);
    EXPECT_EQ(testing_support::sha256_hex(expected_slip()), slip_digest);
    EXPECT_EQ(testing_support::sha256_hex(expected_spectrum()), spectrum_digest);
    // The digest itself, on the standard's own example.
    EXPECT_EQ(testing_support::sha256_hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

TEST(WholeRun, WritesTheTranscriptAndBothFilesExactly) {
    TempDir dir;
    const Outcome run = run_in(dir.path());
    EXPECT_EQ(testing_support::sha256_hex(run.out), transcript_digest);
    EXPECT_EQ(testing_support::sha256_hex(read_file(dir.file(slip_name))), slip_digest);
    EXPECT_EQ(testing_support::sha256_hex(read_file(dir.file(spectrum_name))), spectrum_digest);
    EXPECT_EQ(run.out, transcript);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 0);

    const std::string slip = read_file(dir.file(slip_name));
    const std::string spectrum = read_file(dir.file(spectrum_name));
    EXPECT_TRUE(slip == expected_slip()) << "the slip file differs from the reference";
    EXPECT_TRUE(spectrum == expected_spectrum()) << "the spectrum file differs from the reference";

    // Sizes, line counts and records that are known in advance.
    EXPECT_EQ(slip.size(), 44u + 8192u * 57u);
    EXPECT_EQ(spectrum.size(), 52u + 4095u * 61u);
    EXPECT_EQ(line(slip, 1), " time(s),velocity,displacement,acceleration");
    EXPECT_EQ(line(slip, 2), "  0.0000,      0.0000000,      0.0000000,      1.0000000");
    EXPECT_EQ(line(slip, 3), "  0.0100,      0.0099005,      0.0000495,      0.9900498");
    EXPECT_EQ(line(slip, 4), "  0.0200,      0.0196040,      0.0001970,      0.9703475");
    EXPECT_EQ(line(slip, 102), "  1.0000,      0.3678794,      0.2642328,      0.0018517");
    EXPECT_EQ(line(slip, 103), "  1.0100,      0.3678612,      0.2679115,     -0.0018272");
    EXPECT_EQ(line(slip, 203), "  2.0100,      0.2693172,      0.5966846,     -0.1353330");
    EXPECT_EQ(line(slip, 2102), " 21.0000,      0.0000000,      0.9999917,      0.0000000");
    EXPECT_EQ(line(slip, 8193), " 81.9100,      0.0000000,      0.9999917,      0.0000000");
    EXPECT_EQ(slip.find("-0.0000000"), std::string::npos);
    EXPECT_EQ(line(spectrum, 1), " freq(Hz),abs(vel),abs(acc),theory(vel),theory(acc)");
    EXPECT_EQ(line(spectrum, 2), "  0.0122,  0.9941E+00,  0.7625E-01,  0.9942E+00,  0.7625E-01");
    EXPECT_EQ(line(spectrum, 3), "  0.0244,  0.9770E+00,  0.1499E+00,  0.9770E+00,  0.1499E+00");
    EXPECT_EQ(line(spectrum, 4), "  0.0366,  0.9497E+00,  0.2185E+00,  0.9497E+00,  0.2185E+00");
    EXPECT_EQ(line(spectrum, 82), "  0.9888,  0.2526E-01,  0.1569E+00,  0.2525E-01,  0.1569E+00");
    EXPECT_EQ(line(spectrum, 4096), " 49.9878,  0.2500E-04,  0.7852E-02,  0.1014E-04,  0.3184E-02");
    // Exactly halfway frequencies go to the even digit.
    EXPECT_EQ(line(spectrum, 321).substr(0, 8), "  3.9062");
    EXPECT_EQ(line(spectrum, 3649).substr(0, 8), " 44.5312");

    // Nothing else is left in the directory: no temporary file.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

TEST(WholeRun, EarlierFilesAreReplacedWhole) {
    for (const std::string& earlier : {std::string(2000000, 'z'), std::string("short\n")}) {
        TempDir dir;
        write_file(dir.file(slip_name), earlier);
        write_file(dir.file(spectrum_name), earlier);
        const Outcome run = run_in(dir.path());
        EXPECT_EQ(run.status, 0);
        EXPECT_TRUE(read_file(dir.file(slip_name)) == expected_slip());
        EXPECT_TRUE(read_file(dir.file(spectrum_name)) == expected_spectrum());
    }
}

TEST(WholeRun, ThePauseConsumesExactlyOneLine) {
    TempDir dir;
    const std::string input = dir.file("input.txt");
    write_file(input, "typed before Enter\nnext line\nlast line\n");
    ChildOptions options;
    options.argv = {"/bin/sh", "-c", "\"$0\"; cat", testing_support::program_path()};
    // From a file, which can be read ahead and put back, and from a pipe.
    options.input = ChildOptions::Input::file;
    options.input_file = input;
    Outcome run = run_in(dir.path(), options);
    EXPECT_EQ(run.out, transcript + "next line\nlast line\n");
    EXPECT_EQ(run.status, 0);

    run = run_with_piped_input(dir.path(), "typed\nafter\n", options);
    EXPECT_EQ(run.out, transcript + "after\n");
    EXPECT_EQ(run.status, 0);
}

TEST(WholeRun, EndOfInputOrAClosedInputEndsThePause) {
    TempDir dir;
    ChildOptions options;
    options.input = ChildOptions::Input::closed;
    const Outcome closed = run_in(dir.path(), options);
    EXPECT_EQ(closed.out, transcript);
    EXPECT_EQ(closed.status, 0);

    // A long line without a line feed, through a pipe.
    const Outcome long_line = run_with_piped_input(dir.path(), std::string(1 << 20, 'k'));
    EXPECT_EQ(long_line.out, transcript);
    EXPECT_EQ(long_line.status, 0);
}

TEST(WholeRun, ClosedStandardOutputNeverReachesAFile) {
    TempDir dir;
    ChildOptions options;
    options.output = ChildOptions::Output::closed;
    const Outcome run = run_in(dir.path(), options);
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(read_file(dir.file(slip_name)) == expected_slip());
    EXPECT_TRUE(read_file(dir.file(spectrum_name)) == expected_spectrum());
}

// Whether text is a prefix of whole, ending at a line end.
bool whole_lines_of(const std::string& text, const std::string& whole) {
    return whole.compare(0, text.size(), text) == 0 && (text.empty() || text.back() == '\n');
}

TEST(WholeRun, FailedWritesAreFatal) {
    {
        TempDir dir;
        ASSERT_EQ(::symlink("/dev/full", dir.file(slip_name).c_str()), 0);
        const Outcome run = run_in(dir.path());
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err, report(11, slip_name, "write: No space left on device", "(F8.4,3(\x02,\x02,F15.7))"));
        EXPECT_EQ(run.out, transcript_lines(8));
        EXPECT_FALSE(testing_support::file_exists(dir.file(spectrum_name)));
    }
    {
        TempDir dir;
        ChildOptions options;
        options.output = ChildOptions::Output::file;
        options.output_file = "/dev/full";
        const Outcome run = run_in(dir.path(), options);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err,
                  "write: No space left on device\napparent state: unit 6 (unnamed)\nlast format: list io\n"
                  "lately writing sequential formatted external IO\n");
        // Both files were complete before the console was written out.
        EXPECT_TRUE(read_file(dir.file(spectrum_name)) == expected_spectrum());
    }
    {
        // A file size limit: the system takes part of a record, then
        // refuses; the file keeps its whole lines only.
        TempDir dir;
        ChildOptions options;
        options.file_size_limit = 100000;
        const Outcome run = run_in(dir.path(), options);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err, report(11, slip_name, "write: File too large", "(F8.4,3(\x02,\x02,F15.7))"));
        EXPECT_EQ(run.out, transcript_lines(8));
        const std::string slip = read_file(dir.file(slip_name));
        EXPECT_GT(slip.size(), 100000u - 57u);
        EXPECT_TRUE(whole_lines_of(slip, expected_slip()));
        EXPECT_FALSE(testing_support::file_exists(dir.file("core")));
    }
}

// Every file is checked before the first one changes: a spectrum file that
// cannot be opened stops the run before the slip file is touched.
TEST(WholeRun, ADirectoryUnderAFileNameIsAnOpenFailure) {
    TempDir dir;
    ASSERT_EQ(::mkdir(dir.file(spectrum_name).c_str(), 0755), 0);
    const Outcome run = run_in(dir.path());
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, report(12, spectrum_name, "open: Is a directory"));
    EXPECT_EQ(run.out, transcript_lines(8));
    EXPECT_FALSE(testing_support::file_exists(dir.file(slip_name)));

    TempDir other;
    write_file(other.file(spectrum_name), "an earlier spectrum\n");
    ASSERT_EQ(::mkdir(other.file(slip_name).c_str(), 0755), 0);
    const Outcome slip_run = run_in(other.path());
    EXPECT_EQ(slip_run.status, 2);
    EXPECT_EQ(slip_run.err, report(11, slip_name, "open: Is a directory"));
    EXPECT_EQ(slip_run.out, transcript_lines(8));
    EXPECT_EQ(read_file(other.file(spectrum_name)), "an earlier spectrum\n");
}

// File modes bind only an unprivileged user: as root the run is made as nobody.
class UnprivilegedRun : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);
        if (!testing_support::can_run_unprivileged(dir.path()))
            GTEST_SKIP() << "the unprivileged user cannot reach the program from here; "
                            "file modes cannot be tested as root";
        options.unprivileged = true;
    }
    TempDir dir;
    ChildOptions options;
};

TEST_F(UnprivilegedRun, AReadOnlySlipFileIsLeftUntouched) {
    write_file(dir.file(slip_name), "an earlier slip file\n");
    ASSERT_EQ(::chmod(dir.file(slip_name).c_str(), 0444), 0);
    const Outcome run = run_in(dir.path(), options);
    EXPECT_EQ(run.status, 2);
    EXPECT_FALSE(run.signaled);
    EXPECT_EQ(run.err, report(11, slip_name, "list output start: can't write file"));
    EXPECT_EQ(run.out, transcript_lines(8));
    EXPECT_EQ(read_file(dir.file(slip_name)), "an earlier slip file\n");
    EXPECT_FALSE(testing_support::file_exists(dir.file(spectrum_name)));
    EXPECT_FALSE(testing_support::file_exists(dir.file("core")));
}

// The same report as the first write would give, but before the slip file
// is touched: an earlier slip file stays as it was.
TEST_F(UnprivilegedRun, AReadOnlySpectrumFileStopsTheRunBeforeTheSlipFile) {
    write_file(dir.file(slip_name), "an earlier slip file\n");
    ASSERT_EQ(::chmod(dir.file(slip_name).c_str(), 0666), 0);  // the run's user may write it
    write_file(dir.file(spectrum_name), "an earlier spectrum\n");
    ASSERT_EQ(::chmod(dir.file(spectrum_name).c_str(), 0444), 0);
    const Outcome run = run_in(dir.path(), options);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, report(12, spectrum_name, "list output start: can't write file"));
    EXPECT_EQ(run.out, transcript_lines(8));
    EXPECT_EQ(read_file(dir.file(spectrum_name)), "an earlier spectrum\n");
    EXPECT_EQ(read_file(dir.file(slip_name)), "an earlier slip file\n");
}

TEST_F(UnprivilegedRun, ADirectoryThatMayNotBeWritten) {
    ASSERT_EQ(::chmod(dir.path().c_str(), 0555), 0);
    const Outcome run = run_in(dir.path(), options);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, report(11, slip_name, "open: Permission denied"));
    EXPECT_EQ(run.out, transcript_lines(8));
    EXPECT_FALSE(testing_support::file_exists(dir.file(slip_name)));
}

// A run in dir whose pause waits on a pipe that the test holds open.
ChildOptions waiting_run(const TempDir& dir) {
    ChildOptions options;
    options.cwd = dir.path();
    options.input = ChildOptions::Input::pipe;
    return options;
}

struct SignalCase {
    int signal_number;
    const char* report;
    int status;
};

TEST(RunSignals, AtThePause) {
    for (const SignalCase& c : {SignalCase{SIGINT, "Interrupt\n", 1}, SignalCase{SIGTERM, "Killed\n", 1},
                                SignalCase{SIGABRT, "IOT Trap\n", 128 + SIGABRT},
                                SignalCase{SIGFPE, "Floating Exception\n", 128 + SIGFPE}}) {
        TempDir dir;
        ChildOptions options = waiting_run(dir);
        Child child(options);
        ASSERT_TRUE(child.wait_for_output("Hit any key to stop\n", timeout_ms));
        child.send(c.signal_number);
        ASSERT_TRUE(child.wait(timeout_ms));
        EXPECT_EQ(child.exit_code(), c.status) << c.report;
        EXPECT_EQ(child.err(), c.report);
        EXPECT_EQ(child.out(), transcript);
        EXPECT_TRUE(read_file(dir.file(spectrum_name)) == expected_spectrum());
    }
}


TEST(RunSignals, AbnormalEndRightAfterTheLastWrite) {
    // The signal sent the moment the prompt arrives often lands as the
    // program returns from handing it on: the handler must not send the
    // console lines a second time.
    for (int attempt = 0; attempt < 20; ++attempt) {
        TempDir dir;
        ChildOptions options = waiting_run(dir);
        Child child(options);
        ASSERT_TRUE(child.wait_for_output("Hit any key to stop\n", timeout_ms));
        child.send(SIGABRT);
        ASSERT_TRUE(child.wait(timeout_ms));
        EXPECT_EQ(child.exit_code(), 128 + SIGABRT) << attempt;
        EXPECT_EQ(child.out(), transcript) << attempt;
    }
}

TEST(RunSignals, ASignalAnywhereLeavesCompleteRecords) {
    // Signals at many points of the run: each file then holds complete
    // records of this run and nothing else, and the console lines printed
    // so far have reached standard output, once.
    for (const SignalCase& c : {SignalCase{SIGINT, "Interrupt\n", 1}, SignalCase{SIGABRT, "IOT Trap\n", 128 + SIGABRT}}) {
        for (int delay_us = 0; delay_us <= 30000; delay_us += 1500) {
            TempDir dir;
            ChildOptions options = waiting_run(dir);
            Child child(options);
            ::usleep(static_cast<useconds_t>(delay_us));
            child.send(c.signal_number);
            ASSERT_TRUE(child.wait(timeout_ms));
            if (child.signaled()) continue;  // before the program could install its handlers
            EXPECT_EQ(child.exit_code(), c.status) << c.report << delay_us;
            EXPECT_EQ(child.err(), c.report) << delay_us;
            EXPECT_TRUE(whole_lines_of(child.out(), transcript)) << c.report << delay_us;
            EXPECT_TRUE(whole_lines_of(read_file(dir.file(slip_name)), expected_slip())) << c.report << delay_us;
            EXPECT_TRUE(whole_lines_of(read_file(dir.file(spectrum_name)), expected_spectrum())) << c.report << delay_us;
        }
    }
}

TEST(RunSignals, InterruptsIgnoredAtStartStayIgnored) {
    TempDir dir;
    ChildOptions options = waiting_run(dir);
    options.ignore_interrupts = true;
    Child child(options);
    ASSERT_TRUE(child.wait_for_output("Hit any key to stop\n", timeout_ms));
    child.send(SIGINT);
    ::usleep(100000);
    child.write_input("\n");
    ASSERT_TRUE(child.wait(timeout_ms));
    EXPECT_EQ(child.exit_code(), 0);
    EXPECT_EQ(child.err(), "");
}

TEST(RunSignals, WhileAWriteIsBlocked) {
    // A slip file that is a FIFO nobody reads blocks the run in its first
    // large write; a termination request still ends it.
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.file(slip_name).c_str(), 0644), 0);
    ChildOptions options = waiting_run(dir);
    Child child(options);
    // The request comes once the run waits for a reader of the FIFO (in
    // ppoll, 271, or openat, 257, as /proc/PID/syscall shows), however
    // loaded the machine; where that cannot be read, after a generous second.
    bool waiting = false;
    for (int i = 0; i < timeout_ms / 10 && !waiting; ++i) {
        const std::string state = testing_support::read_file("/proc/" + std::to_string(child.pid()) + "/syscall");
        if (state.empty()) break;
        waiting = state.rfind("271 ", 0) == 0 || state.rfind("257 ", 0) == 0;
        if (!waiting) ::usleep(10000);
    }
    ::usleep(waiting ? 100000 : 1000000);
    child.send(SIGTERM);
    ASSERT_TRUE(child.wait(timeout_ms));
    EXPECT_EQ(child.exit_code(), 1);
    EXPECT_EQ(child.err(), "Killed\n");
    EXPECT_EQ(child.out(), transcript_lines(8));
    EXPECT_FALSE(testing_support::file_exists(dir.file(spectrum_name)));
}

}  // namespace
