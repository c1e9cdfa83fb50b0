#include "spectrum_file.hpp"

#include <cmath>
#include <utility>

#include "column_layout.hpp"
#include "complex_arithmetic.hpp"
#include "dwvfast.hpp"
#include "spectrum_bins.hpp"
#include "textio/list_output.hpp"
#include "textio/record_output.hpp"
#include "textio/units.hpp"

namespace exp_slipv {

namespace {

// F8.4 frequency, unless the run's frequencies need a wider column, then
// four times a comma and an E12.4 field.
constexpr Field standard_frequency_field{false, 8, 4};
constexpr Field amplitude_field{true, 12, 4};
constexpr const char* spectrum_header = "freq(Hz),abs(vel),abs(acc),theory(vel),theory(acc)";

using namespace complex_arithmetic;

// A bin's amplitudes: sampled velocity and acceleration, closed-form
// velocity and acceleration.
struct SpectrumRecord {
    double values[4];
};

SpectrumRecord spectrum_record(const Complex& bin, double om, const Source& source) {
    const double amplitude = modulus(bin);
    const double ga = source.amplitude(om);
    return {{amplitude, amplitude * om, ga, ga * om}};
}

}  // namespace

void transform_velocity(const double* svwave, Complex* svamp, std::int32_t nt, std::int32_t nfast, std::int32_t mom) {
    for (std::int32_t i = 0; i < nt; ++i) svamp[i] = {svwave[i], 0.0};
    for (std::int32_t i = nt; i < nfast; ++i) svamp[i] = {0.0, 0.0};  // zero padding
    dwvfast(nfast, svamp, mom, ind);
}

void write_spectrum_file(Complex* svamp, double dom, std::int32_t nom, const Parameters& p, const Source& source) {
    // The bins, conjugated and scaled by dt: the e^(+i omega t) convention of
    // the closed form, and the sum times dt of the continuous transform.
    // The columns are laid out for the values they will hold.
    ColumnExtent frequencies, amplitude_extents[4];
    if (nom >= 2) frequencies.add(hertz(angular_frequency(nom, dom)));  // they rise with io
    for (std::int32_t io = 2; io <= nom; ++io) {
        const double om = angular_frequency(io, dom);
        Complex& bin = svamp[io - 1];
        bin = multiply(std::conj(bin), Complex{p.dt, 0.0});
        const SpectrumRecord record = spectrum_record(bin, om, source);
        for (int column = 0; column < 4; ++column) amplitude_extents[column].add(record.values[column]);
    }
    Field amplitudes[4];
    for (int column = 0; column < 4; ++column) amplitudes[column] = plan_column(amplitude_field, amplitude_extents[column], {});
    // hertz(angular_frequency(io, dom)) for io = 2 .. nom: (io - 1) dom / (pai + pai).
    const ColumnNeeds bins = spaced_needs(hertz(angular_frequency(2, dom)), {1, nom - 1, dom, pai + pai});
    const textio::Format spectrum_format(record_format_text(plan_column(standard_frequency_field, frequencies, bins), amplitudes));

    textio::open_unit(spectrum_unit, output_path(p, spectrum_file_name));
    textio::write_line(spectrum_unit, spectrum_header);
    for (std::int32_t io = 2; io <= nom; ++io) {
        const double om = angular_frequency(io, dom);
        const SpectrumRecord record = spectrum_record(svamp[io - 1], om, source);
        textio::write_record(spectrum_unit, spectrum_format,
                             {hertz(om), normal_or_zero(record.values[0]), normal_or_zero(record.values[1]),
                              normal_or_zero(record.values[2]), normal_or_zero(record.values[3])});
    }
    textio::close_unit(spectrum_unit);
}

}  // namespace exp_slipv
