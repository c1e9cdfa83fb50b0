#include "slip_file.hpp"

#include <cmath>

#include "column_layout.hpp"
#include "textio/list_output.hpp"
#include "textio/record_output.hpp"
#include "textio/units.hpp"

namespace exp_slipv {

namespace {

// F8.4 time, then three times a comma and an F15.7 field, unless the run's
// values need wider columns.
constexpr Field standard_time_field{false, 8, 4};
constexpr Field standard_history_field{false, 15, 7};
constexpr const char* slip_header = "time(s),velocity,displacement,acceleration";

// The time of sample k (from 0), as every column and formula takes it.
double sample_time(std::int64_t k, double dt) { return static_cast<double>(k) * dt; }

// The source's velocity at t = (i-1) dt, for i = 2 .. nt; v(0) = 0.
void sample_velocity(double* svwave, const Parameters& p, const Source& source) {
    svwave[0] = 0.0;
    for (std::int32_t i = 2; i <= p.nt; ++i) svwave[i - 1] = source.velocity(sample_time(i - 1, p.dt));
}

// Calls record(t, v, slip, acceleration) for every sample in order.  The
// first carries the source's exact initial acceleration (1/tau^2); later
// ones the trapezoidal slip and the backward-difference acceleration.
template <typename Record>
void for_each_record(const double* svwave, const Parameters& p, const Source& source, Record&& record) {
    double svs = 0.0;
    double sva = source.initial_acceleration();
    record(0.0, svwave[0], svs, sva);
    for (std::int32_t i = 2; i <= p.nt; ++i) {
        const double t = sample_time(i - 1, p.dt);
        const double v = svwave[i - 1];
        const double previous = svwave[i - 2];
        svs = svs + (v + previous) * p.dt / 2.0;
        sva = (v - previous) / p.dt;
        record(t, v, svs, sva);
    }
}

}  // namespace

void write_slip_file(double* svwave, const Parameters& p, const Source& source) {
    sample_velocity(svwave, p, source);

    // The columns are laid out for the values they will hold; the times
    // rise, so the last is the largest.
    ColumnExtent time, velocity, slip, acceleration;
    double last_time = 0.0;
    for_each_record(svwave, p, source, [&](double t, double v, double svs, double sva) {
        last_time = t;
        velocity.add(v);
        slip.add(svs);
        acceleration.add(sva);
    });
    time.add(last_time);
    const Field histories[] = {plan_column(standard_history_field, velocity, history_needs()),
                               plan_column(standard_history_field, slip, history_needs()),
                               plan_column(standard_history_field, acceleration, history_needs())};
    const ColumnNeeds times = spaced_needs(p.dt, p.nt, [&](std::int64_t k) { return sample_time(k, p.dt); });
    const textio::Format slip_format(record_format_text(plan_column(standard_time_field, time, times), histories));

    textio::open_unit(slip_unit, output_path(p, slip_file_name));
    textio::write_line(slip_unit, slip_header);
    for_each_record(svwave, p, source, [&](double t, double v, double svs, double sva) {
        textio::write_record(slip_unit, slip_format, {t, v, svs, sva});
    });
    textio::close_unit(slip_unit);
}

}  // namespace exp_slipv
