// Numbers as the text exports write them, and the buffered writing of a
// text export.
#pragma once

#include <string>
#include <string_view>

#include "export/export_format.hpp"

namespace exp_slipv {

// The smallest normal single-precision magnitude: single-precision solvers
// read anything below it as zero, and some readers refuse subnormal text.
inline constexpr double smallest_single_normal = 1.17549435082228750797e-38;

// Appends the shortest decimal that reads back to the same double ("0.005",
// "1e-07"); a magnitude below smallest_single_normal is "0".
void append_number(std::string& text, double value);

// Collects the text of an export and hands it to the unit in large pieces.
class ExportText {
public:
    explicit ExportText(int unit);
    ExportText(const ExportText&) = delete;
    ExportText& operator=(const ExportText&) = delete;

    ExportText& operator<<(std::string_view text);
    ExportText& operator<<(double value);
    // Ends the line with a single LF.
    void end_line();
    // Hands over what is collected; call it at the end.
    void flush();

private:
    int unit_;
    std::string buffer_;
};

// The series one value a line, then flushed.
void write_value_lines(ExportText& text, const StfSeries& series);
// The series as "time value" lines, then flushed.
void write_time_value_lines(ExportText& text, const StfSeries& series);

}  // namespace exp_slipv
