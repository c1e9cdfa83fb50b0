#include "textio/report.hpp"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <string_view>

#include "textio/decimal.hpp"
#include "textio/signals.hpp"
#include "textio/statement.hpp"
#include "textio/units.hpp"

namespace textio {

namespace {

// Collects a report and writes it to standard error in few writes, without
// allocating: a report must get out when memory is exhausted.
class ReportWriter {
public:
    ~ReportWriter() { flush(); }
    ReportWriter& operator<<(std::string_view text) {
        while (!text.empty()) {
            if (used_ == sizeof buffer_) flush();
            const std::size_t n = std::min(text.size(), sizeof buffer_ - used_);
            std::memcpy(buffer_ + used_, text.data(), n);
            used_ += n;
            text.remove_prefix(n);
        }
        return *this;
    }
    ReportWriter& operator<<(int value) {
        char digits[1 + max_integer_digits];
        const unsigned magnitude = value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
        digits[0] = '-';
        const int count = write_integer(digits + 1, magnitude);
        const int start = value < 0 ? 0 : 1;
        return *this << std::string_view(digits + start, static_cast<std::size_t>(count + 1 - start));
    }
    void flush() {
        const char* p = buffer_;
        while (used_ > 0 && !given_up_) {
            if (!wait_to_report(STDERR_FILENO)) {
                given_up_ = true;
                break;
            }
            const ssize_t count = ::write(STDERR_FILENO, p, used_);
            if (count < 0 && (errno == EINTR || errno == EAGAIN)) continue;  // the wait sees a stop request
            if (count <= 0) break;  // standard error failed: nowhere left to report it
            p += count;
            used_ -= static_cast<std::size_t>(count);
        }
        used_ = 0;
    }
    // Whether the report was given up for a stop request.
    bool given_up() {
        flush();
        return given_up_;
    }

private:
    char buffer_[1024];
    std::size_t used_ = 0;
    bool given_up_ = false;
};

}  // namespace

bool write_fatal_report(const char* context, const char* description) {
    const StatementState& state = statement_state();
    ReportWriter out;
    out << context << ": " << description << "\n";
    if (valid_unit(state.current_unit)) {
        const Unit& entry = unit_entry(state.current_unit);
        out << "apparent state: unit " << state.current_unit << " ";
        if (entry.named)
            out << "named " << entry.name << "\n";
        else
            out << "(unnamed)\n";
    } else {
        out << "apparent state: no unit\n";
    }
    if (state.has_last_format) out << "last format: " << state.last_format << "\n";
    out << "lately " << state.direction << " sequential formatted external IO\n";
    return !out.given_up();
}

bool write_signal_report(int signal_number) {
    const char* text = "Signal";
    switch (signal_number) {
        case SIGFPE: text = "Floating Exception"; break;
        case SIGABRT: text = "IOT Trap"; break;
        case SIGINT: text = "Interrupt"; break;
        case SIGTERM: text = "Killed"; break;
        case SIGHUP: return true;
        default: break;
    }
    ReportWriter out;
    out << text << "\n";
    return !out.given_up();
}

}  // namespace textio
