// Every system call of a run made to fail in turn, with every error it can
// really return, by strace's fault injection; and signals sent by a tracer
// in the middle of the output.  Whatever fails, the run ends, and either
// retries to the exact normal output or reports the real error of the
// failing call, and never leaves a short file behind a status of 0.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <tuple>
#include <regex>
#include <string>
#include <vector>

#include "reference_files.hpp"
#include "support/child.hpp"
#include "support/temp_dir.hpp"

namespace {

using testing_support::ChildOptions;
using testing_support::strace_path;
using testing_support::Outcome;
using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;

constexpr int timeout_ms = 20000;
const std::string transcript = reference::transcript;
const std::string slip_name = "Exp_Slip.csv";
const std::string spectrum_name = "Exp_Amp.csv";
// Half of an earlier file: two of them are longer than either file of a run.
const std::string earlier_file(300000, 'O');

// The errors each call can really return; EINTR and, for read and write,
// EAGAIN must be retried.
const std::map<std::string, std::vector<std::string>> errors_of = {
    {"openat", {"EACCES", "EIO", "EMFILE", "ENFILE", "ENOSPC", "EINTR"}},
    // The check that a file may be written before any is: a refusal there
    // is a file that may not be written, tested apart.
    {"access", {"EIO", "ENOMEM", "EINTR"}},
    {"write", {"ENOSPC", "EIO", "EDQUOT", "EFBIG", "EINTR", "EAGAIN"}},
    {"read", {"EIO", "EINTR", "EAGAIN"}},
    {"close", {"EIO", "ENOSPC", "EDQUOT", "EINTR"}},
    {"newfstatat", {"EIO", "EOVERFLOW", "EINTR"}},
    {"fstat", {"EIO", "EOVERFLOW", "EINTR"}},
    {"ftruncate", {"EIO", "EPERM", "EFBIG", "EINTR"}},
    {"fcntl", {"EBADF", "EINTR"}},
    {"lseek", {"EIO", "ESPIPE", "EINTR"}},
    {"ppoll", {"ENOMEM", "EINTR"}},
    {"poll", {"ENOMEM", "EINTR"}},
};

const std::map<std::string, std::string> description_of = {
    {"EACCES", std::strerror(EACCES)}, {"EIO", std::strerror(EIO)},       {"EMFILE", std::strerror(EMFILE)},
    {"ENFILE", std::strerror(ENFILE)}, {"ENOSPC", std::strerror(ENOSPC)}, {"EDQUOT", std::strerror(EDQUOT)},
    {"EFBIG", std::strerror(EFBIG)},   {"EPERM", std::strerror(EPERM)},   {"EOVERFLOW", std::strerror(EOVERFLOW)},
    {"EBADF", std::strerror(EBADF)},   {"ESPIPE", std::strerror(ESPIPE)}, {"ENOMEM", std::strerror(ENOMEM)},
};

bool retried(const std::string& call, const std::string& error) {
    return error == "EINTR" || (error == "EAGAIN" && (call == "read" || call == "write"));
}

std::string call_list() {
    std::string list;
    for (const auto& [call, errors] : errors_of) list += (list.empty() ? "" : ",") + call;
    return list;
}

Outcome traced_run(const std::string& dir, const std::vector<std::string>& strace_args) {
    ChildOptions options;
    options.cwd = dir;
    options.argv = {strace_path(), "-f", "-qq"};
    options.argv.insert(options.argv.end(), strace_args.begin(), strace_args.end());
    options.argv.push_back(testing_support::program_path());
    // The leak check of the sanitized build needs ptrace, which strace holds.
    options.environment = {{"ASAN_OPTIONS", "detect_leaks=0"}};
    return testing_support::run_to_end(options, timeout_ms);
}

// The calls of a clean run, as (call, its ordinal among the calls of that
// name), from the program's first own call on: the start-up of a sanitized
// build is not the program's.
std::vector<std::pair<std::string, int>> calls_of_a_clean_run(bool earlier_files) {
    TempDir dir;
    if (earlier_files) {
        write_file(dir.file(slip_name), earlier_file + earlier_file);
        write_file(dir.file(spectrum_name), earlier_file + earlier_file);
    }
    const std::string trace = dir.file("trace.txt");
    traced_run(dir.path(), {"-o", trace, "-e", "trace=" + call_list() + ",pipe,pipe2"});
    std::vector<std::pair<std::string, int>> calls;
    std::map<std::string, int> counts;
    bool own = false;
    // The undefined-behaviour sanitizer probes memory by writing to a pipe of
    // its own (a type check of a polymorphic object): those writes are not
    // the program's.
    std::vector<std::string> sanitizer_pipes;
    std::ifstream in(trace);
    const std::regex line(R"(^(?:\d+ +)?(\w+)\((.*))");
    const std::regex pipe_fds(R"(\[(\d+), (\d+)\])");
    for (std::string text; std::getline(in, text);) {
        std::smatch m;
        if (!std::regex_search(text, m, line)) continue;
        const std::string call = m[1];
        if (call == "pipe" || call == "pipe2") {
            std::smatch fds;
            const std::string arguments = m[2];
            if (std::regex_search(arguments, fds, pipe_fds)) sanitizer_pipes.insert(sanitizer_pipes.end(), {fds[1], fds[2]});
            continue;
        }
        if (errors_of.count(call) == 0) continue;
        const int ordinal = ++counts[call];
        // The guard of the standard descriptors is the program's first call.
        if (call == "fcntl" && m[2].str().rfind("0, F_GETFD", 0) == 0) own = true;
        // A pipe's descriptors are the sanitizer's until it closes them; the
        // program may get the same numbers afterwards.
        const std::string fd = m[2].str().substr(0, m[2].str().find_first_of(",)"));
        const auto pipe_end = std::find(sanitizer_pipes.begin(), sanitizer_pipes.end(), fd);
        if (pipe_end != sanitizer_pipes.end() && (call == "write" || call == "close")) {
            if (call == "close") sanitizer_pipes.erase(pipe_end);
            continue;
        }
        if (own) calls.push_back({call, ordinal});
    }
    return calls;
}

bool whole_line_prefix(const std::string& text, const std::string& full) {
    return full.compare(0, text.size(), text) == 0 && (text.empty() || text.back() == '\n');
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size()) lines.push_back(text.substr(start) + "<no line end>");
    return lines;
}

// The report's first line names the failing call's own error; its second the
// unit and the file of the failure.
void check_report(const std::string& err, const std::string& error, const std::string& what) {
    const std::vector<std::string> lines = lines_of(err);
    ASSERT_GE(lines.size(), 3u) << what << err;
    ASSERT_LE(lines.size(), 4u) << what << err;
    const std::string& first = lines[0];
    const std::string description = ": " + description_of.at(error);
    const bool names_error = first.size() > description.size() &&
                             first.compare(first.size() - description.size(), description.size(), description) == 0;
    EXPECT_TRUE(names_error || first == "endfile: truncation failed in endfile") << what << err;
    EXPECT_TRUE(lines[1] == "apparent state: unit 11 named " + slip_name ||
                lines[1] == "apparent state: unit 12 named " + spectrum_name ||
                lines[1] == "apparent state: unit 6 (unnamed)")
        << what << err;
    if (lines.size() == 4) {
        EXPECT_EQ(lines[2].rfind("last format: ", 0), 0u) << what << err;
    }
    EXPECT_TRUE(lines.back() == "lately writing sequential formatted external IO" ||
                lines.back() == "lately reading sequential formatted external IO")
        << what << err;
}

void check_file(const std::string& path, const std::string& expected, const std::string& earlier, bool had_earlier,
                const std::string& what) {
    if (!testing_support::file_exists(path)) {
        EXPECT_FALSE(had_earlier) << what << path << " was removed";
        return;
    }
    const std::string content = read_file(path);
    if (had_earlier && content == earlier) return;  // never reached: untouched
    EXPECT_TRUE(whole_line_prefix(content, expected))
        << what << path << " is no whole-line prefix of its content (" << content.size() << " bytes)";
}

void sweep(bool earlier_files) {
    const std::string earlier = earlier_file + earlier_file;  // 600,000 bytes: longer than either file
    const auto calls = calls_of_a_clean_run(earlier_files);
    ASSERT_GT(calls.size(), 20u) << "the clean run's trace holds too few calls";
    int cases = 0;
    for (const auto& [call, ordinal] : calls) {
        for (const std::string& error : errors_of.at(call)) {
            TempDir dir;
            if (earlier_files) {
                write_file(dir.file(slip_name), earlier);
                write_file(dir.file(spectrum_name), earlier);
            }
            const std::string injection = call + ":error=" + error + ":when=" + std::to_string(ordinal);
            const std::string what = "[" + injection + (earlier_files ? ", earlier files" : "") + "] ";
            const Outcome run = traced_run(dir.path(), {"-o", "/dev/null", "-e", "trace=" + call, "-e", "inject=" + injection});
            ++cases;
            ASSERT_TRUE(run.ended) << what << "the run hung";
            EXPECT_FALSE(run.signaled) << what;
            EXPECT_FALSE(testing_support::file_exists(dir.file("core"))) << what;
            const std::string slip = dir.file(slip_name), spectrum = dir.file(spectrum_name);
            if (run.status == 0 || retried(call, error)) {
                EXPECT_EQ(run.status, 0) << what << run.err;
                EXPECT_EQ(run.out, transcript) << what;
                EXPECT_EQ(run.err, "") << what;
                EXPECT_TRUE(read_file(slip) == reference::slip_file()) << what << "short or wrong slip file";
                EXPECT_TRUE(read_file(spectrum) == reference::spectrum_file()) << what << "short or wrong spectrum file";
                continue;
            }
            EXPECT_EQ(run.status, 2) << what << run.err;
            check_report(run.err, error, what);
            EXPECT_TRUE(whole_line_prefix(run.out, transcript)) << what << run.out;
            check_file(slip, reference::slip_file(), earlier, earlier_files, what);
            check_file(spectrum, reference::spectrum_file(), earlier, earlier_files, what);
        }
    }
    std::cout << cases << " cases\n";
}

class SystemCallSweep : public testing::Test {
protected:
    void SetUp() override {
        if (strace_path().empty()) GTEST_SKIP() << "strace is not installed (apt-get install strace)";
    }
};

TEST_F(SystemCallSweep, WithoutEarlierFiles) { sweep(false); }

TEST_F(SystemCallSweep, WithEarlierLongerFiles) { sweep(true); }

// The paths at a close: a cut that cannot be made (its fstat fails) and a
// close that fails, each with its exact report.
TEST_F(SystemCallSweep, AFailedCutAndAFailedCloseAtTheClose) {
    const std::string endfile_report =
        "endfile: truncation failed in endfile\napparent state: unit 11 named Exp_Slip.csv\n"
        "lately writing sequential formatted external IO\n";
    bool cut_failed = false;
    for (const auto& [call, n] : calls_of_a_clean_run(true)) {
        if (call != "newfstatat" || cut_failed) continue;
        TempDir dir;
        // An earlier file: the slip file is then checked at its first write
        // and again at its close.
        write_file(dir.file(slip_name), earlier_file + earlier_file);
        const Outcome run = traced_run(dir.path(), {"-o", "/dev/null", "-e", "trace=newfstatat", "-e",
                                                    "inject=newfstatat:error=EIO:when=" + std::to_string(n)});
        cut_failed = run.err == endfile_report;
    }
    // Every fstat of the slip file before its close is checked and reported
    // as "fstat"; only the one at the close gives this report.
    EXPECT_TRUE(cut_failed) << "no failed fstat made the cut at the close fail";

    // The program's first close is the slip file's.
    int first_close = 0;
    for (const auto& [call, n] : calls_of_a_clean_run(false))
        if (call == "close" && first_close == 0) first_close = n;
    ASSERT_GT(first_close, 0);
    TempDir dir;
    const Outcome run = traced_run(dir.path(), {"-o", "/dev/null", "-e", "trace=close", "-e",
                                                "inject=close:error=EIO:when=" + std::to_string(first_close)});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "close: " + description_of.at("EIO") +
                           "\napparent state: unit 11 named Exp_Slip.csv\nlately writing sequential formatted external IO\n");
    EXPECT_TRUE(read_file(dir.file(slip_name)) == reference::slip_file());
}

// A signal sent in the middle of the output by a tracer comes with the
// kernel's si_code; it must never make bytes go out twice.
TEST_F(SystemCallSweep, AbnormalSignalsFromATracerNeverDuplicateOutput) {
    std::vector<int> writes;
    for (const auto& [call, ordinal] : calls_of_a_clean_run(false))
        if (call == "write") writes.push_back(ordinal);
    ASSERT_GT(writes.size(), 5u);
    for (const auto& [signal_name, status, text] : {std::tuple{"SIGABRT", 134, "IOT Trap\n"},
                                                    std::tuple{"SIGFPE", 136, "Floating Exception\n"}}) {
        for (int n : writes) {
            TempDir dir;
            const std::string injection = std::string("write:signal=") + signal_name + ":when=" + std::to_string(n);
            const Outcome run = traced_run(dir.path(), {"-o", "/dev/null", "-e", "trace=write", "-e", "inject=" + injection});
            ASSERT_TRUE(run.ended) << injection;
            EXPECT_EQ(run.status, status) << injection;
            EXPECT_EQ(run.err, text) << injection;
            EXPECT_TRUE(whole_line_prefix(run.out, transcript)) << injection << ": " << run.out.size() << " bytes";
            for (const auto& [name, expected] : {std::pair{slip_name, reference::slip_file()},
                                                 std::pair{spectrum_name, reference::spectrum_file()}})
                if (testing_support::file_exists(dir.file(name))) {
                    EXPECT_TRUE(whole_line_prefix(read_file(dir.file(name)), expected)) << injection << " " << name;
                }
        }
    }
}

}  // namespace
