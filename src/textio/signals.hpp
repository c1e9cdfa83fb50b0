// Signal reports and the waits that a stop request can interrupt.
//
// An interrupt or termination request is only recorded by its handler; the
// run acts on it at the next statement, or at once when it is waiting for a
// descriptor, so that every file then holds exactly the complete records
// handed over before it.  The floating-point exception and abort signals end
// the run inside their handler, with async-signal-safe calls only; one that
// arrives inside a SignalSafeSection is acted on when the section ends.
#pragma once

#include <atomic>
#include <csignal>
#include <ctime>

namespace textio {

// Installs the four signal reports and the hang-up (a terminal that closed:
// a stop request without a report text), unblocks the signals they handle,
// and ignores SIGPIPE and SIGXFSZ, so that a reader that went away or a file
// that reaches the size limit is reported as a failed write rather than a
// silent death.  An interrupt or hang-up ignored at start stays ignored.
void install_signal_reports();

namespace detail {
extern volatile std::sig_atomic_t stop_signal;
extern volatile std::sig_atomic_t in_safe_section;  // the depth of nested sections
extern volatile std::sig_atomic_t deferred_signal;
extern volatile std::sig_atomic_t run_ending;
[[noreturn]] void act_on_deferred_signal();
}  // namespace detail

// A stretch of code that changes state the abnormal-signal handlers read
// (the streams' buffers and counts).  Such a signal sent by another process
// or a tracer waits until the section ends.  Sections may nest: the depth is
// counted (only this thread changes it; the handlers only read it), and a
// deferred signal is acted on when the outermost one ends.
class SignalSafeSection {
public:
    [[gnu::always_inline]] SignalSafeSection() {
        detail::in_safe_section = detail::in_safe_section + 1;
        std::atomic_signal_fence(std::memory_order_seq_cst);
    }
    [[gnu::always_inline]] ~SignalSafeSection() {
        std::atomic_signal_fence(std::memory_order_seq_cst);
        detail::in_safe_section = detail::in_safe_section - 1;
        std::atomic_signal_fence(std::memory_order_seq_cst);
        if (detail::in_safe_section == 0 && detail::deferred_signal != 0) detail::act_on_deferred_signal();
    }
    SignalSafeSection(const SignalSafeSection&) = delete;
    SignalSafeSection& operator=(const SignalSafeSection&) = delete;
};

// The interrupt or termination signal that has arrived, or 0.
inline int stop_request() { return detail::stop_signal; }

// Acts on a recorded stop request, if any: see act_on_stop_request().  Once
// the run has begun to end (a report, a stop, an abnormal signal) it does
// nothing: that end goes on.
void check_stop_request();

// Marks the run as ending.
inline void begin_ending() { detail::run_ending = 1; }

enum class Wait { ready, interrupted };

// Waits until fd is ready for the given poll events.  Returns interrupted,
// without waiting, once a stop request is recorded and fd is not ready; no
// signal can slip in between the test and the wait.
Wait wait_for(int fd, short events, const timespec* timeout = nullptr);

// Sleeps for the given time, or less when a stop request comes, which it
// then acts on.
void nap(int milliseconds);

// Whether fd is ready for the given events right now.
bool ready_now(int fd, short events);

// Waits until a report may be written on fd.  A stop request cuts the wait
// short after a grace of half a second: false then, and the report is given
// up, since the run must end.  Async-signal-safe.
bool wait_to_report(int fd);

// Holds back the floating-point exception and abort signals for the rest of
// the run (the end that one of them has begun).
void block_abnormal_signals();

}  // namespace textio
