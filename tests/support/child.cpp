#include "support/child.hpp"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <regex>
#include <chrono>
#include <stdexcept>

namespace testing_support {

namespace {

constexpr uid_t nobody = 65534;
constexpr gid_t nogroup = 65534;

[[noreturn]] void child_fail(const char* what) {
    ssize_t ignored = ::write(2, what, __builtin_strlen(what));
    (void)ignored;
    ::_exit(127);
}

void drop_privileges() {
    if (::geteuid() != 0) return;
    if (::setgroups(0, nullptr) != 0 || ::setgid(nogroup) != 0 || ::setuid(nobody) != 0)
        child_fail("cannot drop privileges\n");
}

int now_ms() {
    using namespace std::chrono;
    return static_cast<int>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace

std::string program_path() { return EXP_SLIPV_PATH; }

bool running_as_root() { return ::geteuid() == 0; }

Child::Child(const ChildOptions& options) {
    ::signal(SIGPIPE, SIG_IGN);
    int in_pipe[2] = {-1, -1}, out_pipe[2] = {-1, -1}, err_pipe[2] = {-1, -1};
    if (options.input == ChildOptions::Input::pipe && ::pipe2(in_pipe, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
    if (options.output_fd < 0 && options.output == ChildOptions::Output::pipe && ::pipe2(out_pipe, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe");
    if (options.error_fd < 0 && ::pipe2(err_pipe, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
    std::vector<std::string> argv = options.argv.empty() ? std::vector<std::string>{program_path()} : options.argv;

    pid_ = ::fork();
    if (pid_ < 0) throw std::runtime_error("fork");
    if (pid_ == 0) {
        if (!options.cwd.empty() && ::chdir(options.cwd.c_str()) != 0) child_fail("chdir failed\n");
        int in = -1;
        switch (options.input) {
            case ChildOptions::Input::dev_null: in = ::open("/dev/null", O_RDONLY); break;
            case ChildOptions::Input::file: in = ::open(options.input_file.c_str(), O_RDONLY); break;
            case ChildOptions::Input::pipe: in = in_pipe[0]; break;
            case ChildOptions::Input::closed: break;
        }
        int out = -1;
        switch (options.output) {
            case ChildOptions::Output::pipe: out = out_pipe[1]; break;
            case ChildOptions::Output::file: out = ::open(options.output_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644); break;
            case ChildOptions::Output::closed: break;
        }
        if (in >= 0) ::dup2(in, 0); else ::close(0);
        if (options.output_fd >= 0) out = options.output_fd;
        if (out >= 0) ::dup2(out, 1); else ::close(1);
        ::dup2(options.error_fd >= 0 ? options.error_fd : err_pipe[1], 2);
        if (options.unprivileged) drop_privileges();
        if (options.file_size_limit > 0) {
            const rlimit limit = {static_cast<rlim_t>(options.file_size_limit),
                                  static_cast<rlim_t>(options.file_size_limit)};
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) child_fail("setrlimit failed\n");
        }
        if (options.address_space_limit > 0) {
            const rlimit limit = {static_cast<rlim_t>(options.address_space_limit),
                                  static_cast<rlim_t>(options.address_space_limit)};
            if (::setrlimit(RLIMIT_AS, &limit) != 0) child_fail("setrlimit failed\n");
        }
        // The program starts as from a shell: default signal actions, none blocked.
        ::signal(SIGPIPE, SIG_DFL);
        ::signal(SIGINT, options.ignore_interrupts ? SIG_IGN : SIG_DFL);
        ::signal(SIGHUP, options.ignore_hang_up ? SIG_IGN : SIG_DFL);
        sigset_t mask;
        sigemptyset(&mask);
        if (options.block_stop_signals) {
            sigaddset(&mask, SIGINT);
            sigaddset(&mask, SIGTERM);
        }
        ::sigprocmask(SIG_SETMASK, &mask, nullptr);
        for (const auto& [name, value] : options.environment) ::setenv(name.c_str(), value.c_str(), 1);
        std::vector<char*> args;
        for (std::string& arg : argv) args.push_back(arg.data());
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        child_fail("exec failed\n");
    }
    if (in_pipe[0] >= 0) ::close(in_pipe[0]);
    if (out_pipe[1] >= 0) ::close(out_pipe[1]);
    if (err_pipe[1] >= 0) ::close(err_pipe[1]);
    input_fd_ = in_pipe[1];
    out_fd_ = out_pipe[0];
    err_fd_ = err_pipe[0];
}

Child::~Child() {
    if (!reaped_ && pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status_, 0);
    }
    for (int fd : {input_fd_, out_fd_, err_fd_})
        if (fd >= 0) ::close(fd);
}

void Child::write_input(const std::string& text) {
    const char* p = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t n = ::write(input_fd_, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        p += n;
        left -= static_cast<std::size_t>(n);
    }
}

void Child::close_input() {
    if (input_fd_ >= 0) ::close(input_fd_);
    input_fd_ = -1;
}

void Child::close_output() {
    if (out_fd_ >= 0) ::close(out_fd_);
    out_fd_ = -1;
}

void Child::send(int signal_number) { ::kill(pid_, signal_number); }

void Child::collect(int timeout_ms) {
    pollfd fds[2];
    int count = 0;
    if (out_fd_ >= 0) fds[count++] = {out_fd_, POLLIN, 0};
    if (err_fd_ >= 0) fds[count++] = {err_fd_, POLLIN, 0};
    if (count == 0 || ::poll(fds, static_cast<nfds_t>(count), timeout_ms) <= 0) return;
    for (int i = 0; i < count; ++i) {
        if (fds[i].revents == 0) continue;
        char block[65536];
        const ssize_t n = ::read(fds[i].fd, block, sizeof block);
        const bool is_out = fds[i].fd == out_fd_;
        if (n > 0) {
            (is_out ? out_ : err_).append(block, static_cast<std::size_t>(n));
        } else if (n == 0 || errno != EINTR) {
            ::close(fds[i].fd);
            (is_out ? out_fd_ : err_fd_) = -1;
        }
    }
}

bool Child::wait_for_output(const std::string& marker, int timeout_ms) {
    const int deadline = now_ms() + timeout_ms;
    while (out_.find(marker) == std::string::npos) {
        if (now_ms() >= deadline || (out_fd_ < 0 && err_fd_ < 0)) return false;
        collect(50);
    }
    return true;
}

bool Child::wait(int timeout_ms) {
    const int deadline = now_ms() + timeout_ms;
    while (!reaped_ || out_fd_ >= 0 || err_fd_ >= 0) {
        if (!reaped_ && ::waitpid(pid_, &status_, WNOHANG) == pid_) reaped_ = true;
        if (now_ms() >= deadline) {
            if (!reaped_) {
                ::kill(pid_, SIGKILL);
                ::waitpid(pid_, &status_, 0);
                reaped_ = true;
            }
            return false;
        }
        if (out_fd_ >= 0 || err_fd_ >= 0)
            collect(20);
        else
            ::usleep(1000);
    }
    return true;
}

bool Child::running_after(int ms) {
    const int deadline = now_ms() + ms;
    while (now_ms() < deadline) {
        if (!reaped_ && ::waitpid(pid_, &status_, WNOHANG) == pid_) reaped_ = true;
        if (reaped_) return false;
        if (out_fd_ >= 0 || err_fd_ >= 0)
            collect(10);
        else
            ::usleep(10000);
    }
    return true;
}

bool Child::exited() const { return reaped_ && WIFEXITED(status_); }
int Child::exit_code() const { return exited() ? WEXITSTATUS(status_) : -1; }
bool Child::signaled() const { return reaped_ && WIFSIGNALED(status_); }

Outcome run_to_end(ChildOptions options, int timeout_ms, bool keep_input_open) {
    if (keep_input_open) options.input = ChildOptions::Input::pipe;
    Child child(options);
    if (!keep_input_open) child.close_input();
    const bool ended = child.wait(timeout_ms);
    return {child.out(), child.err(), child.exit_code(), child.signaled(), ended};
}

Outcome run_without_pause(const std::string& dir, std::vector<std::string> args, ChildOptions options, int timeout_ms) {
    args.insert(args.begin(), program_path());
    args.push_back("--no-pause");
    options.argv = args;
    options.cwd = dir;
    return run_to_end(options, timeout_ms);
}

int first_write_to_temporary_file(const std::string& trace_path) {
    std::ifstream in(trace_path);
    const std::regex open_part(R"(openat\(.*\.part", .*\) = (\d+))"), write_call(R"(write\((\d+),)");
    std::string fd;
    int writes = 0;
    for (std::string line; std::getline(in, line);) {
        std::smatch m;
        if (std::regex_search(line, m, open_part)) fd = m[1];
        if (std::regex_search(line, m, write_call)) {
            ++writes;
            if (!fd.empty() && m[1] == fd) return writes;
        }
    }
    return 0;
}

std::string strace_path() {
    for (const char* path : {"/usr/bin/strace", "/bin/strace", "/usr/local/bin/strace"})
        if (::access(path, X_OK) == 0) return path;
    return {};
}

bool can_run_unprivileged(const std::string& dir) {
    if (!running_as_root()) return true;
    const pid_t pid = ::fork();
    if (pid == 0) {
        drop_privileges();
        ::_exit(::access(program_path().c_str(), X_OK) == 0 && ::access(dir.c_str(), X_OK) == 0 ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace testing_support
