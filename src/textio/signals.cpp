#include "textio/signals.hpp"

#include <poll.h>
#include <signal.h>

#include <cerrno>
#include <initializer_list>

#include "textio/run_frame.hpp"

namespace textio {

namespace detail {

volatile std::sig_atomic_t stop_signal = 0;
volatile std::sig_atomic_t in_safe_section = 0;
volatile std::sig_atomic_t deferred_signal = 0;

void act_on_deferred_signal() {
    const int signal_number = deferred_signal;
    deferred_signal = 0;
    end_on_abnormal_signal(signal_number);
}

}  // namespace detail

namespace {

void on_stop_signal(int signal_number) { detail::stop_signal = signal_number; }

void on_abnormal_signal(int signal_number, siginfo_t* info, void*) {
    // A fault raised by the instruction itself cannot wait: returning would
    // run that instruction again.
    const bool sent = info == nullptr || info->si_code <= 0;
    if (sent && detail::in_safe_section != 0) {
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
sigset_t stop_signals() { return signal_set({SIGINT, SIGTERM}); }

void install(int signal_number, void (*handler)(int), struct sigaction* previous = nullptr) {
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a blocked read or write returns so that the run can act.
    action.sa_flags = 0;
    sigaction(signal_number, &action, previous);
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
    struct sigaction previous_interrupt = {};
    install(SIGINT, on_stop_signal, &previous_interrupt);
    // A program started with interrupts ignored keeps ignoring them.
    if (previous_interrupt.sa_handler == SIG_IGN) std::signal(SIGINT, SIG_IGN);
    install(SIGTERM, on_stop_signal);
    std::signal(SIGPIPE, SIG_IGN);
    // Likewise a file that reaches the size limit: "File too large".
    std::signal(SIGXFSZ, SIG_IGN);
}

void block_abnormal_signals() {
    const sigset_t set = abnormal_signals();
    sigprocmask(SIG_BLOCK, &set, nullptr);
}

void check_stop_request() {
    if (stop_request() != 0) act_on_stop_request();
}

bool ready_now(int fd, short events) {
    pollfd entry = {fd, events, 0};
    return ::poll(&entry, 1, 0) != 0;  // an error counts as ready: the I/O call reports it
}

Wait wait_for(int fd, short events) {
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
        if (::ppoll(&entry, 1, nullptr, &previous) >= 0 || errno != EINTR) break;
    }
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    return outcome;
}

}  // namespace textio
