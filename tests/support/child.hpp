// Runs the built program (or a shell around it) as a user would, with its
// standard streams where a test wants them, and collects what it prints.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace testing_support {

// The program under test.
std::string program_path();

struct ChildOptions {
    std::vector<std::string> argv;  // empty: the program itself
    std::string cwd;
    enum class Input { dev_null, file, pipe, closed } input = Input::dev_null;
    std::string input_file;  // for Input::file
    enum class Output { pipe, file, closed } output = Output::pipe;
    std::string output_file;  // for Output::file, opened for writing
    bool unprivileged = false;  // run as nobody when the tests run as root
    bool ignore_interrupts = false;  // start with SIGINT ignored, as "nohup" or "&" do
    long file_size_limit = 0;        // bytes a file may hold ("ulimit -f"); 0: no limit
    long address_space_limit = 0;    // bytes of address space ("ulimit -v"); 0: no limit
    int error_fd = -1;               // standard error on this descriptor instead of a pipe to the test
    int output_fd = -1;              // standard output on this descriptor (a terminal, say)
    bool block_stop_signals = false; // start with SIGINT and SIGTERM blocked, as a careless parent may
    bool ignore_hang_up = false;     // start with SIGHUP ignored, as "nohup" does
    std::vector<std::pair<std::string, std::string>> environment;  // set in the child before it starts
};

class Child {
public:
    explicit Child(const ChildOptions& options);
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    void write_input(const std::string& text);
    void close_input();
    // Closes the test's end of the output pipe: a reader that went away.
    void close_output();
    // Collects output until standard output holds the marker; false on timeout.
    bool wait_for_output(const std::string& marker, int timeout_ms);
    void send(int signal_number);
    // Collects output until the process has ended; false on timeout (it is
    // then killed).
    bool wait(int timeout_ms);
    // Collects output for the given time; true if the process is still
    // running then (it is left running).
    bool running_after(int ms);

    int pid() const { return pid_; }
    const std::string& out() const { return out_; }
    const std::string& err() const { return err_; }
    bool exited() const;
    int exit_code() const;
    bool signaled() const;

private:
    void collect(int timeout_ms);

    int pid_ = -1;
    int input_fd_ = -1;
    int out_fd_ = -1;
    int err_fd_ = -1;
    int status_ = 0;
    bool reaped_ = false;
    std::string out_;
    std::string err_;
};

// What a run left behind: its output, its report and how it ended.
struct Outcome {
    std::string out, err;
    int status = -1;  // the exit status, or -1 when a signal ended it
    bool signaled = false;
    bool ended = false;  // false: it was still running at the timeout and was killed
};

// Runs the program to its end with its standard input closed after start
// (or, with keep_input_open, a pipe that stays open, so that a pause would
// wait until the timeout).
Outcome run_to_end(ChildOptions options, int timeout_ms, bool keep_input_open = false);

// Runs the program in dir with the arguments and --no-pause, as a script
// does, to its end.
Outcome run_without_pause(const std::string& dir, std::vector<std::string> args, ChildOptions options = {},
                          int timeout_ms = 120000);

// strace, where it is installed; empty otherwise.
std::string strace_path();
// In a trace of openat and write calls (strace -o), the number of the
// first write to a file opened as a temporary ".part" file, counting every
// write from 1; 0 when there is none.
int first_write_to_temporary_file(const std::string& trace_path);

// Whether the unprivileged user can run the program from this directory
// (it must reach the binary and the directory).
bool can_run_unprivileged(const std::string& dir);
// Whether tests run with root's rights, which ignore file modes.
bool running_as_root();

}  // namespace testing_support
