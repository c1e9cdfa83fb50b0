#include "moment/moment_rate_files.hpp"

#include "srf/number_text.hpp"
#include "textio/byte_output.hpp"
#include "textio/units.hpp"

namespace exp_slipv {

namespace {

constexpr int digits = 10;
constexpr std::size_t flush_bytes = 1 << 16;

// Rows of values, handed to the unit a block at a time.
template <typename Row>
void write_rows(int unit, const std::string& path, const char* header, std::size_t rows, Row row) {
    textio::open_unit_replacing(unit, path);
    std::string text = header;
    for (std::size_t k = 0; k < rows; ++k) {
        row(text, k);
        if (text.size() >= flush_bytes) {
            textio::write_bytes(unit, text);
            text.clear();
        }
    }
    textio::write_bytes(unit, text);
    textio::close_unit(unit);
}

void values(std::string& out, std::initializer_list<double> row) {
    bool first = true;
    for (double v : row) {
        if (!first) out += ',';
        number_text::general(out, v, digits);
        first = false;
    }
    out += '\n';
}

}  // namespace

void write_moment_rate_file(int unit, const std::string& path, const MomentRate& rate) {
    write_rows(unit, path, "time_s,moment_rate_Nm_per_s,moment_Nm\n", rate.rate.size(), [&](std::string& out, std::size_t k) {
        values(out, {moment_sample_time(rate, k), rate.rate[k], rate.moment[k]});
    });
}

void write_moment_spectrum_file(int unit, const std::string& path, const MomentSpectrum& spectrum) {
    const bool closed = !spectrum.closed.empty();
    write_rows(unit, path, closed ? "frequency_hz,sampled_Nm,closed_form_Nm\n" : "frequency_hz,sampled_Nm_no_closed_form\n",
               spectrum.sampled.size(), [&](std::string& out, std::size_t j) {
                   const double f = static_cast<double>(j) * spectrum.df;
                   if (closed)
                       values(out, {f, spectrum.sampled[j], spectrum.closed[j]});
                   else
                       values(out, {f, spectrum.sampled[j]});
               });
}

}  // namespace exp_slipv
