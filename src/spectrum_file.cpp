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

}  // namespace

void transform_velocity(const double* svwave, Complex* svamp, std::int32_t nt, std::int32_t nfast, std::int32_t mom) {
    for (std::int32_t i = 0; i < nt; ++i) svamp[i] = {svwave[i], 0.0};
    for (std::int32_t i = nt; i < nfast; ++i) svamp[i] = {0.0, 0.0};  // zero padding
    dwvfast(nfast, svamp, mom, ind);
}

void write_spectrum_file(Complex* svamp, double dom, std::int32_t nom, const Parameters& p, const Source& source) {
    ColumnExtent frequencies;
    if (nom >= 2) frequencies.add(hertz(angular_frequency(nom, dom)));  // they rise with io
    const Field amplitudes[] = {amplitude_field, amplitude_field, amplitude_field, amplitude_field};
    // hertz(angular_frequency(io, dom)) for io = 2 .. nom: (io - 1) dom / (pai + pai).
    const ColumnNeeds bins = spaced_needs(hertz(angular_frequency(2, dom)), {1, nom - 1, dom, pai + pai});
    const textio::Format spectrum_format(record_format_text(plan_column(standard_frequency_field, frequencies, bins), amplitudes));

    textio::open_unit(spectrum_unit, output_path(p, spectrum_file_name));
    textio::write_line(spectrum_unit, spectrum_header);

    for (std::int32_t io = 2; io <= nom; ++io) {
        const double om = angular_frequency(io, dom);
        const double freq = hertz(om);
        // Conjugated and scaled by dt: the e^(+i omega t) convention of the
        // closed form, and the sum times dt of the continuous transform.
        Complex& bin = svamp[io - 1];
        bin = multiply(std::conj(bin), Complex{p.dt, 0.0});
        const double ga = source.amplitude(om);
        const double amplitude = modulus(bin);
        textio::write_record(spectrum_unit, spectrum_format, {freq, amplitude, amplitude * om, ga, ga * om});
    }
    textio::close_unit(spectrum_unit);
}

}  // namespace exp_slipv
