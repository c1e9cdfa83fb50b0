// Error numbers of the text services and their messages.
#pragma once

namespace textio {

// Numbers below this one are the operating system's own error numbers.
inline constexpr int first_runtime_error = 100;
inline constexpr int last_runtime_error = 132;

inline constexpr int err_format = 100;
inline constexpr int err_unit_number = 101;
inline constexpr int err_formatted_not_allowed = 102;
inline constexpr int err_endfile = 111;
inline constexpr int err_no_space = 113;
inline constexpr int err_not_connected = 114;
inline constexpr int err_cannot_write = 127;
inline constexpr int err_recursion = 131;

// The message of a runtime error number (100 to 132), or nullptr for any
// other number.
const char* runtime_error_message(int number);

}  // namespace textio
