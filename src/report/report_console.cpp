#include "report/report_console.hpp"

#include <cmath>
#include <string>

#include "report/report_text.hpp"
#include "textio/list_output.hpp"

namespace exp_slipv {

namespace {

using textio::write_line;

void band_line(int unit, const char* label, const BandEdge& edge, const RunReport& r) {
    switch (edge.kind) {
        case BandEdge::Kind::limited:
            write_line(unit, label, edge.highest_hz);
            write_line(unit, " as a fraction of the Nyquist frequency (relative) =", edge.fraction_of_nyquist);
            break;
        case BandEdge::Kind::nyquist:
            write_line(unit, std::string(label) + (r.unjudged_bins > 0 ? " the Nyquist frequency: no judged bin departs"
                                                                       : " the Nyquist frequency: no bin departs"));
            break;
        case BandEdge::Kind::unjudged:
            write_line(unit, std::string(label) + (r.bins == 0 ? " none: the run has no spectrum bins"
                                                               : " none: no bin's closed form reaches the floor"));
            break;
        case BandEdge::Kind::none:
            write_line(unit, std::string(label) + " none: the first bin departs; " +
                                 (r.record_truncated() ? "the record is too short for the pulse"
                                                       : "dt is too coarse for the pulse"));
            write_line(unit, " first bin (Hz) =", edge.first_departure_hz);
            write_line(unit, " its departure (relative) =", edge.first_departure);
            break;
    }
}

void last_bin_lines(int unit, const RunReport& r) {
    write_line(unit, " Last bin (Hz) =", r.last_bin_hz);
    if (r.last_bin_judged) {
        write_line(unit, " Ratio there (relative) =", r.ratio_at_last_bin);
    } else {
        write_line(unit, " Ratio there (relative) = not judged: " + std::string(unjudged_ratio(r.ratio_at_last_bin).text));
    }
}

void export_lines(int unit, const RunReport& r) {
    if (r.export_names.empty()) return;
    std::string names;
    for (const std::string& name : r.export_names) names += (names.empty() ? "" : ", ") + name;
    write_line(unit, " The exports (" + names + ") hold the " + r.export_quantity + ":");
    write_line(unit, " dt times the sum of the slip-rate samples (unit slip) =", r.export_figures.rate_area);
    write_line(unit, r.export_quantity == "slip rate" ? " Last exported value (1/s) =" : " Last exported value (unit slip) =",
               r.export_figures.last_value);
    if (r.export_quantity != "slip rate")
        write_line(unit, " Largest rise between two samples (unit slip) =", r.export_figures.largest_step);
}

}  // namespace

void write_console_report(int unit, const RunReport& r) {
    write_line(unit);
    write_line(unit, "How faithful the sampled pulse is");
    write_line(unit, " The source, closed form: " + r.shape);
    for (const SourceParameter& parameter : r.parameters) write_line(unit, parameter.label, parameter.value);
    write_line(unit, " Corner frequency, |V| = 1/2 (Hz) =", r.closed.half_amplitude_frequency);
    write_line(unit, " Velocity peak time (s) =", r.closed.peak_time);
    write_line(unit, " Velocity peak (1/s) =", r.closed.peak_velocity);
    write_line(unit, " Centroid time (s) =", r.closed.centroid_time);
    write_line(unit, " 95 % of the final slip at (s) =", r.closed.rise_time_95);
    for (const SourceNote& note : r.notes) write_line(unit, note.label, note.value);

    write_line(unit, " The sampled pulse:");
    write_line(unit, " Largest velocity sample (1/s) =", r.peak_velocity);
    write_line(unit, " at (s) =", r.peak_time);
    write_line(unit, " Centroid of the samples (s) =", r.centroid_time);
    if (r.time_to_95) {
        write_line(unit, " Slip column reaches 0.95 at (s) =", *r.time_to_95);
    } else {
        write_line(unit, " Slip column reaches 0.95 at (s) = never in the record");
    }
    write_line(unit, " Trapezoid sum at the last sample (unit slip) =", r.final_slip_trapezoid);
    write_line(unit, " Final slip, closed form (unit slip) =", r.final_slip_exact);
    write_line(unit, " Largest trapezoid error (unit slip) =", r.max_slip_error);
    write_line(unit, " at (s) =", r.max_slip_error_time);

    write_line(unit, " The faithful band, sampled against closed-form |V|:");
    write_line(unit, " Nyquist frequency (Hz) =", r.nyquist_hz);
    write_line(unit, " " + std::string(judged_floor_text));
    if (r.unjudged_bins > 0) {
        write_line(unit, " Bins below the floor =", r.unjudged_bins);
        write_line(unit, " the first at (Hz) =", r.first_unjudged_hz);
    }
    band_line(unit, " Within 1 % up to (Hz) =", r.fine, r);
    band_line(unit, " Within 10 % up to (Hz) =", r.coarse, r);
    if (r.bins > 0) last_bin_lines(unit, r);

    write_line(unit, " The transform against the exact transform of the samples (" + r.transform_reference + "):");
    if (r.bins == 0) {
        write_line(unit, " Largest difference (relative) = none: the run has no spectrum bins");
    } else {
        write_line(unit, " Largest difference (relative) =", r.max_transform_error);
        write_line(unit, " at (Hz) =", r.max_transform_error_hz);
        write_line(unit, " Largest difference, every bin (of the peak |V(0)| = 1) =", r.max_transform_abs_error);
        write_line(unit, " at (Hz) =", r.max_transform_abs_error_hz);
    }
    if (r.bins_over_tolerance == 0) {
        write_line(unit, " Bins beyond 5e-5 (relative) = none");
    } else {
        write_line(unit, " Bins beyond 5e-5 (relative) =", static_cast<std::int32_t>(r.bins_over_tolerance));
        write_line(unit, " the first at (Hz) =", r.first_over_tolerance_hz);
    }

    export_lines(unit, r);

    if (r.target) {
        const TargetBand& t = *r.target;
        write_line(unit, " The target band:");
        write_line(unit, " fmax (Hz) =", t.fmax_hz);
        if (t.above_nyquist) write_line(unit, " fmax lies above the Nyquist frequency (Hz)", r.nyquist_hz);
        write_line(unit, " Largest deviation up to fmax (relative) =", t.max_deviation);
        write_line(unit, " at (Hz) =", t.max_deviation_hz);
        if (t.largest_dt) {
            write_line(unit, " Largest dt within 1 % up to fmax (s) =", *t.largest_dt);
        } else {
            write_line(unit, " Largest dt within 1 % up to fmax (s) = none down to", t.smallest_dt_tried);
        }
    }
}

}  // namespace exp_slipv
