// The texts written on standard error when a run ends on a failure or a signal.
#pragma once

namespace textio {

// Writes the four lines of the fatal I/O report: the context word and the
// description of the error, then the state of the latest statement.
void write_fatal_report(const char* context, const char* description);

// Writes the report line of a signal ("Interrupt", "Killed", ...).  Uses only
// async-signal-safe calls.
void write_signal_report(int signal_number);

}  // namespace textio
