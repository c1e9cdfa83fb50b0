// Error numbers of the text services and their messages.
#pragma once

namespace textio {

// Numbers below this one are the operating system's own error numbers.
inline constexpr int first_runtime_error = 100;
inline constexpr int last_runtime_error = 132;

// The numbers this runtime reports itself.
enum RuntimeError : int {
    err_format = 100,
    err_unit_number = 101,
    err_formatted_not_allowed = 102,
    err_endfile = 111,
    err_no_space = 113,
    err_not_connected = 114,
    err_cannot_write = 127,
    err_recursion = 131,
};

// The message of a runtime error number (100 to 132), or nullptr for any
// other number.
const char* runtime_error_message(int number);

// The ends of a run that every layer may call.  The run frame carries them
// out; they are declared here, with the errors they report, so that no layer
// below the frame depends on it.

// Writes the fatal I/O report for a runtime error number (100 to 132) and
// its context word on standard error, closes every unit and ends the run
// with the fatal-report status.
[[noreturn]] void fatal_error(int number, const char* context);

// The same for an operating-system error number (errno): the first line
// gives the system's description.  Kept apart from the runtime numbers,
// since some errno values (EDQUOT is 122) lie in their range.
[[noreturn]] void fatal_system_error(int error_number, const char* context);

// The end of the run after an interrupt or termination request: the console
// lines already written, the report line, the close-all, status 1; after a
// hang-up no report line and status 129.
[[noreturn]] void act_on_stop_request();

// The end of the run inside the floating-point exception or abort handler.
[[noreturn]] void end_on_abnormal_signal(int signal_number);

}  // namespace textio
