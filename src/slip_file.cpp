#include "slip_file.hpp"

#include <cmath>

#include "parameters.hpp"
#include "textio/list_output.hpp"
#include "textio/record_output.hpp"
#include "textio/units.hpp"

namespace exp_slipv {

namespace {

// F8.4 time, then three times a comma and an F15.7 field; the quote
// character of the literal is the byte 0x02.
const textio::Format slip_format("(F8.4,3(" "\x02" "," "\x02" ",F15.7))");
constexpr const char* slip_header = "time(s),velocity,displacement,acceleration";

}  // namespace

void write_slip_file(double* svwave, double tau2) {
    textio::open_unit(slip_unit, slip_file_name);
    textio::write_line(slip_unit, slip_header);

    // The first sample: no slip yet, and the exact initial acceleration 1/tau^2.
    svwave[0] = 0.0;
    double svs = 0.0;
    double sva = 1.0 / tau / tau;
    textio::write_record(slip_unit, slip_format, {0.0, svwave[0], svs, sva});

    for (std::int32_t i = 2; i <= nt; ++i) {
        const double t = static_cast<double>(i - 1) * dt;
        double& v = svwave[i - 1];
        const double previous = svwave[i - 2];
        v = t / (std::exp(t / tau) * tau2);
        // Trapezoidal slip and backward-difference acceleration.
        svs = svs + (v + previous) * dt / 2.0;
        sva = (v - previous) / dt;
        textio::write_record(slip_unit, slip_format, {t, v, svs, sva});
    }
    textio::close_unit(slip_unit);
}

}  // namespace exp_slipv
