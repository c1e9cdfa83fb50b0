// SW4's source time function file (a source line with dfile=): a first line
// "t0 dt npts", then npts values one a line.  SW4 reads the first line with
// %lg %lg %i, so npts is written without leading zeros (a leading 0 would be
// octal), and allows no comment anywhere.
#include "export/export_format.hpp"
#include "export/stf_text.hpp"

namespace exp_slipv {

namespace {

class Sw4Format final : public ExportFormat {
public:
    std::string_view name() const override { return "sw4"; }
    std::string_view file_name() const override { return "Exp_STF_sw4.txt"; }
    std::string_view solver() const override { return "SW4"; }
    int rank() const override { return 1; }
    // SW4 fits a spline through the samples and refuses fewer than 7.
    std::int32_t min_samples() const override { return 7; }
    std::string_view min_samples_reason() const override { return "SW4 takes no fewer than 7 samples"; }

    void write(int unit, const StfSeries& series) const override {
        ExportText text(unit);
        text << "0 " << series.dt << " " << std::to_string(series.samples);
        text.end_line();
        write_value_lines(text, series);
    }
};

const Sw4Format format;
const bool registered = register_export_format(format);

}  // namespace

}  // namespace exp_slipv
