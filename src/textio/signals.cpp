#include "textio/signals.hpp"

#include <poll.h>
#include <signal.h>

#include <cerrno>
#include <initializer_list>

#include "textio/errors.hpp"

namespace textio {

namespace detail {

volatile std::sig_atomic_t stop_signal = 0;
volatile std::sig_atomic_t in_safe_section = 0;
volatile std::sig_atomic_t deferred_signal = 0;
volatile std::sig_atomic_t run_ending = 0;

void act_on_deferred_signal() {
    const int signal_number = deferred_signal;
    deferred_signal = 0;
    end_on_abnormal_signal(signal_number);
}

}  // namespace detail

namespace {

void on_stop_signal(int signal_number) { detail::stop_signal = signal_number; }

// How long a report may wait for a reader once a stop request has come.
constexpr int report_grace_ms = 500;

// An arithmetic fault of the running instruction, which cannot wait:
// returning would run that instruction again.  Every other signal, whoever
// sent it (another process, a tracer, the kernel), can.
bool raised_by_instruction(int signal_number, const siginfo_t* info) {
    if (signal_number != SIGFPE || info == nullptr) return false;
    switch (info->si_code) {
        case FPE_INTDIV:
        case FPE_INTOVF:
        case FPE_FLTDIV:
        case FPE_FLTOVF:
        case FPE_FLTUND:
        case FPE_FLTRES:
        case FPE_FLTINV:
        case FPE_FLTSUB:
            return true;
        default:
            return false;
    }
}

void on_abnormal_signal(int signal_number, siginfo_t* info, void*) {
    if (!raised_by_instruction(signal_number, info) && detail::in_safe_section != 0) {
        detail::deferred_signal = signal_number;
        return;
    }
    end_on_abnormal_signal(signal_number);
}

sigset_t signal_set(std::initializer_list<int> signals) {
    sigset_t set;
    sigemptyset(&set);
    for (int signal_number : signals) sigaddset(&set, signal_number);
    return set;
}

sigset_t abnormal_signals() { return signal_set({SIGFPE, SIGABRT}); }
sigset_t stop_signals() { return signal_set({SIGINT, SIGTERM, SIGHUP}); }

void install(int signal_number, void (*handler)(int)) {
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a blocked read or write returns so that the run can act.
    action.sa_flags = 0;
    sigaction(signal_number, &action, nullptr);
}

void install_abnormal(int signal_number) {
    struct sigaction action = {};
    action.sa_sigaction = on_abnormal_signal;
    // One abnormal end at a time: the other signal waits and never comes.
    action.sa_mask = abnormal_signals();
    action.sa_flags = SA_SIGINFO;
    sigaction(signal_number, &action, nullptr);
}

}  // namespace

void install_signal_reports() {
    install_abnormal(SIGFPE);
    install_abnormal(SIGABRT);
    // A program started with interrupts ignored (a background job) keeps
    // ignoring them; one started under nohup keeps ignoring the hang-up.
    for (int signal_number : {SIGINT, SIGHUP}) {
        struct sigaction current = {};
        sigaction(signal_number, nullptr, &current);
        if (current.sa_handler != SIG_IGN) install(signal_number, on_stop_signal);
    }
    install(SIGTERM, on_stop_signal);
    // A parent may have blocked them: they would never be acted on.
    const sigset_t handled = signal_set({SIGFPE, SIGABRT, SIGINT, SIGTERM, SIGHUP});
    sigprocmask(SIG_UNBLOCK, &handled, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    // Likewise a file that reaches the size limit: "File too large".
    std::signal(SIGXFSZ, SIG_IGN);
}

void block_abnormal_signals() {
    const sigset_t set = abnormal_signals();
    sigprocmask(SIG_BLOCK, &set, nullptr);
}

void check_stop_request() {
    if (stop_request() != 0 && detail::run_ending == 0) act_on_stop_request();
}

bool ready_now(int fd, short events) {
    pollfd entry = {fd, events, 0};
    return ::poll(&entry, 1, 0) != 0;  // an error counts as ready: the I/O call reports it
}

void nap(int milliseconds) {
    const timespec time = {milliseconds / 1000, (milliseconds % 1000) * 1000000L};
    // No descriptor (poll skips a negative one): the time or a stop request
    // ends the wait.
    wait_for(-1, 0, &time);
    check_stop_request();
}

bool wait_to_report(int fd) {
    if (wait_for(fd, POLLOUT) == Wait::ready) return true;
    pollfd entry = {fd, POLLOUT, 0};
    return ::poll(&entry, 1, report_grace_ms) > 0;
}

Wait wait_for(int fd, short events, const timespec* timeout) {
    const sigset_t blocked = stop_signals();
    sigset_t previous;
    sigprocmask(SIG_BLOCK, &blocked, &previous);
    Wait outcome = Wait::ready;
    for (;;) {
        if (stop_request() != 0) {
            outcome = ready_now(fd, events) ? Wait::ready : Wait::interrupted;
            break;
        }
        pollfd entry = {fd, events, 0};
        // The stop signals are unblocked only inside the wait itself.
        if (::ppoll(&entry, 1, timeout, &previous) >= 0 || errno != EINTR) break;
    }
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    return outcome;
}

}  // namespace textio
