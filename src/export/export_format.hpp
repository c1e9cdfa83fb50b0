// A source-time-function file in a solver's own layout.  Each format lives
// in a file of its own under formats/ and registers itself; the run writes
// the formats the command line names and knows none of them by name.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "source/source.hpp"

namespace exp_slipv {

// What the exports hold.
enum class Quantity {
    cumulative,  // the normalised slip (moment) function s(t), from 0 to 1
    rate,        // its derivative v(t), of unit integral
};


// The exported series: the closed form of the source at t = k dt, for
// k = 0 .. samples-1; exact, not the slip file's trapezoid.
struct StfSeries {
    const Source& source;
    Quantity quantity;
    double dt;
    std::int32_t samples;

    double time(std::int64_t k) const { return static_cast<double>(k) * dt; }
    double value(std::int64_t k) const {
        const double t = time(k);
        return quantity == Quantity::cumulative ? source.slip(t) : source.velocity(t);
    }
};

class ExportFormat {
public:
    virtual ~ExportFormat() = default;
    // The name on the command line: "sw4".
    virtual std::string_view name() const = 0;
    // The file in the output directory: "Exp_STF_sw4.txt".
    virtual std::string_view file_name() const = 0;
    // The solver as the transcript names it: "SW4".
    virtual std::string_view solver() const = 0;
    // Where the format stands in lists (help, README order).
    virtual int rank() const = 0;
    // The fewest samples the solver's reader takes, and why.
    virtual std::int32_t min_samples() const { return 1; }
    virtual std::string_view min_samples_reason() const { return {}; }
    // Writes the whole file on the unit, already opened to replace it.
    virtual void write(int unit, const StfSeries& series) const = 0;
};

// Registers a format (at static initialisation, from its own file).
bool register_export_format(const ExportFormat& format);
// Every registered format, by rank.
std::vector<const ExportFormat*> export_formats();
// The format of that name, or nullptr.
const ExportFormat* find_export_format(std::string_view name);

}  // namespace exp_slipv
