// The texts written on standard error when a run ends on a failure or a signal.
#pragma once

namespace textio {

// Writes the four lines of the fatal I/O report for an error number and its
// context word, from the statement state and the unit table.
void write_fatal_report(int number, const char* context);

// Writes the report line of a signal ("Interrupt", "Killed", ...).  Uses only
// async-signal-safe calls.
void write_signal_report(int signal_number);

}  // namespace textio
