// The frame around the main routine: start-up, the stop, the fatal I/O
// report and the ends of the run after a signal.
#pragma once

#include "textio/errors.hpp"

namespace textio {

// Exit statuses of a run.
inline constexpr int status_normal = 0;
inline constexpr int status_stop_signal = 1;   // interrupt or termination request
inline constexpr int status_hang_up = 129;     // the terminal closed (128 + SIGHUP)
inline constexpr int status_fatal_report = 2;  // after a fatal I/O report
// After the floating-point exception or abort report the status is this plus
// the signal number (136 and 134), as a shell reports a death by that signal,
// but without a core file.
inline constexpr int status_signal_base = 128;

// Guards the standard descriptors, installs the signal reports, sets up the
// unit table and registers the close-all as exit handler.
void start_up(int argc, char** argv);

int argument_count();
char** argument_vector();

// Closes every unit and ends the run with the status; writes nothing.
[[noreturn]] void stop(int status = status_normal);

}  // namespace textio
