#include "program_messages.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "command_line.hpp"
#include "textio/run_frame.hpp"

namespace exp_slipv {

bool write_all(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t count = ::write(fd, text.data() + done, text.size() - done);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) return false;
        done += static_cast<std::size_t>(count);
    }
    return true;
}

int print_information(const std::string& text) {
    if (write_all(STDOUT_FILENO, text)) return EXIT_SUCCESS;
    const std::string report = std::string(program_name) + ": write error: " + std::strerror(errno) + "\n";
    (void)write_all(STDERR_FILENO, report);
    return textio::status_fatal_report;
}

int report_usage_error(const std::string& error) {
    (void)write_all(STDERR_FILENO, usage_error_text(error));
    return status_usage;
}

}  // namespace exp_slipv
