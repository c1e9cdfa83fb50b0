// SPECFEM3D's external source time function (USE_EXTERNAL_SOURCE_FILE =
// .true., the file named in CMTSOLUTION or FORCESOLUTION): comment lines
// beginning with '#', then one value a line, the value of line i for time
// step i.  Its reader takes lines of fewer than 256 characters.
#include <cstdio>
#include <string>

#include "export/export_format.hpp"
#include "export/stf_text.hpp"

namespace exp_slipv {

namespace {

std::string shortest(double value) {
    std::string text;
    append_number(text, value);
    return text;
}

class Specfem3dFormat final : public ExportFormat {
public:
    std::string_view name() const override { return "specfem3d"; }
    std::string_view file_name() const override { return "Exp_STF_specfem3d.txt"; }
    std::string_view solver() const override { return "SPECFEM3D"; }
    int rank() const override { return 2; }

    void write(int unit, const StfSeries& series) const override {
        ExportText text(unit);
        std::string source = "# source: " + series.source.name();
        for (const SourceParameter& p : series.source.parameters())
            source += ", " + p.name + " = " + shortest(p.value) + " " + p.unit;
        text << "# exp-slipv source time function for SPECFEM3D";
        text.end_line();
        text << source;
        text.end_line();
        if (series.quantity == Quantity::cumulative)
            text << "# quantity: cumulative, the normalised moment (slip) function s(t), from 0 to 1";
        else
            text << "# quantity: rate, the moment (slip) rate v(t) = ds/dt, of unit integral";
        text.end_line();
        const std::string dt = shortest(series.dt), samples = std::to_string(series.samples);
        text << "# dt = " + dt + " s, " + samples + " samples; line i below is the value at t = (i - 1) dt";
        text.end_line();
        text << "# the solver's DT must equal " + dt + " s and NSTEP may not exceed " + samples;
        text.end_line();
        write_value_lines(text, series);
    }
};

const Specfem3dFormat format;
const bool registered = register_export_format(format);

}  // namespace

}  // namespace exp_slipv
