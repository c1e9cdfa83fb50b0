// The texts written on standard error when a run ends on a failure or a signal.
#pragma once

namespace textio {

// Both return false when a stop request made them give up a report that
// standard error would not take (a full pipe nobody reads).

// Writes the four lines of the fatal I/O report: the context word and the
// description of the error, then the state of the latest statement.
bool write_fatal_report(const char* context, const char* description);

// Writes the report line of a signal ("Interrupt", "Killed", ...); a hang-up
// has none, its terminal is gone.  Uses only async-signal-safe calls.
bool write_signal_report(int signal_number);

}  // namespace textio
