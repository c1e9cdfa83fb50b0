// What every mode prints before its run starts: the help, the version and
// the usage error, straight to the descriptors.
#pragma once

#include <string>

namespace exp_slipv {

// Writes all of the text; false with errno set when a write fails.
bool write_all(int fd, const std::string& text);
// The help or the version on standard output; a failed write is reported
// and ends with the fatal-report status.
int print_information(const std::string& text);
// The two lines of a usage error on standard error; the usage status.
int report_usage_error(const std::string& error);

}  // namespace exp_slipv
