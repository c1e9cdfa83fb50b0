#include "export/stf_text.hpp"

#include <charconv>
#include <cmath>

#include "textio/byte_output.hpp"

namespace exp_slipv {

namespace {

// Text is handed over in pieces of about this size.
constexpr std::size_t piece_size = 64 * 1024;

}  // namespace

void append_number(std::string& text, double value) {
    if (std::fabs(value) < smallest_single_normal) {
        text += '0';
        return;
    }
    char digits[32];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    text.append(digits, result.ptr);
}

ExportText::ExportText(int unit) : unit_(unit) { buffer_.reserve(piece_size + 256); }

ExportText& ExportText::operator<<(std::string_view text) {
    buffer_ += text;
    return *this;
}

ExportText& ExportText::operator<<(double value) {
    append_number(buffer_, value);
    return *this;
}

void ExportText::end_line() {
    buffer_ += '\n';
    if (buffer_.size() >= piece_size) flush();
}

void ExportText::flush() {
    if (buffer_.empty()) return;
    textio::write_bytes(unit_, buffer_);
    buffer_.clear();
}

void write_value_lines(ExportText& text, const StfSeries& series) {
    for (std::int64_t k = 0; k < series.samples; ++k) {
        text << series.value(k);
        text.end_line();
    }
    text.flush();
}

void write_time_value_lines(ExportText& text, const StfSeries& series) {
    for (std::int64_t k = 0; k < series.samples; ++k) {
        text << series.time(k) << " " << series.value(k);
        text.end_line();
    }
    text.flush();
}

}  // namespace exp_slipv
