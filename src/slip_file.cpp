#include "slip_file.hpp"

#include <cmath>

#include "column_layout.hpp"
#include "slip_history.hpp"
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
    // sample_time(k, dt), k = 0 .. nt-1.
    const ColumnNeeds times = spaced_needs(p.dt, {0, p.nt, p.dt, 1.0});
    const Field time_field = plan_column(standard_time_field, time, times);
    const textio::Format slip_format(record_format_text(time_field, histories));

    textio::open_unit(slip_unit, output_path(p, slip_file_name));
    textio::write_line(slip_unit, slip_header);
    for_each_record(svwave, p, source, [&](double t, double v, double svs, double sva) {
        textio::write_record(slip_unit, slip_format,
                             {as_written(time_field.exponent, t), as_written(histories[0].exponent, v),
                              as_written(histories[1].exponent, svs), as_written(histories[2].exponent, sva)});
    });
    textio::close_unit(slip_unit);
}

}  // namespace exp_slipv
