#include "rupture/rupture_report.hpp"

#include <cmath>
#include <nlohmann/json.hpp>

#include "figure_text.hpp"

namespace exp_slipv {

namespace {

std::string at_line(const RuptureFigures& f, std::int64_t line) { return f.model_file + ":" + std::to_string(line); }

}  // namespace

RuptureFigures rupture_figures(const RuptureModel& model, const PulsePlans& plans, const MomentFigures& moment,
                               const MomentSpectrum& spectrum) {
    RuptureFigures f;
    f.model_file = model.file;
    f.stated_moment_nm = model.stated_moment_nm;
    f.subfaults = model.subfaults.size();
    f.segments = model.segments.size();
    f.dt = plans.dt();
    f.moment = moment;
    f.band_hz = agreement_band(spectrum, band_tolerance, band_floor);
    bool first = true;
    for (const Subfault& s : model.subfaults) {
        if (!(s.slip_m > 0.0)) continue;
        ++f.with_slip;
        const PulsePlan& plan = plans.of(*s.source);
        if (first || plan.rise_time_95 < f.shortest_rise_s) {
            f.shortest_rise_s = plan.rise_time_95;
            f.shortest_line = s.line;
        }
        if (first || plan.correction > f.largest_correction) {
            f.largest_correction = plan.correction;
            f.correction_line = s.line;
        }
        first = false;
    }
    return f;
}

std::vector<std::string> rupture_console_lines(const RuptureFigures& f) {
    std::vector<std::string> lines;
    lines.push_back(" M0 (N m) = " + figure_text(f.moment.total_nm));
    lines.push_back(" Mw = " + (f.moment.total_nm > 0.0 ? figure_text(f.moment.mw) : std::string("none (no slip)")));
    // Published headers are rounded and sometimes disagree: a figure.
    if (f.stated_moment_nm > 0.0)
        lines.push_back(" M0 stated by the model (N m) = " + figure_text(f.stated_moment_nm) + ", computed/stated = " +
                        figure_text(f.moment.total_nm / f.stated_moment_nm));
    if (f.with_slip == 0) return lines;
    lines.push_back(" Duration (s) = " + figure_text(f.moment.end_s - f.moment.first_onset_s) + ", from " +
                    figure_text(f.moment.first_onset_s) + " to " + figure_text(f.moment.end_s));
    lines.push_back(" Centroid time (s) = " + figure_text(f.moment.centroid_time_s));
    lines.push_back(" Peak moment rate (N m/s) = " + figure_text(f.moment.peak_rate) + " at t (s) = " +
                    figure_text(f.moment.peak_time_s));
    // No bin at all: the samples' sum already misses the moment by 1 %.
    lines.push_back(" Sampled spectrum within 1 % of the closed form up to (Hz) = " +
                    (f.band_hz > 0.0 ? figure_text(f.band_hz) : std::string("none, not even at 0 Hz")));
    lines.push_back(" Shortest pulse, 95 % of its slip in (s) = " + figure_text(f.shortest_rise_s) + " = " +
                    figure_text(f.shortest_rise_s / f.dt) + " samples, at " + at_line(f, f.shortest_line));
    lines.push_back(" Largest sampling correction |dt sum/slip - 1| = " + figure_text(f.largest_correction) + ", at " +
                    at_line(f, f.correction_line));
    return lines;
}

std::string rupture_json(const RuptureFigures& f) {
    using nlohmann::ordered_json;
    const auto finite_or_null = [](double v) { return std::isfinite(v) ? ordered_json(v) : ordered_json(nullptr); };
    ordered_json r;
    r["model"] = f.model_file;
    r["subfaults"] = f.subfaults;
    r["subfaults_with_slip"] = f.with_slip;
    r["segments"] = f.segments;
    r["dt_s"] = f.dt;
    r["moment_Nm"] = f.moment.total_nm;
    if (f.stated_moment_nm > 0.0) {
        r["stated_moment_Nm"] = f.stated_moment_nm;
        r["moment_over_stated"] = f.moment.total_nm / f.stated_moment_nm;
    }
    r["mw"] = finite_or_null(f.moment.total_nm > 0.0 ? f.moment.mw : NAN);
    r["first_onset_s"] = f.moment.first_onset_s;
    r["end_s"] = f.moment.end_s;
    r["duration_s"] = f.moment.end_s - f.moment.first_onset_s;
    r["centroid_time_s"] = f.moment.centroid_time_s;
    r["peak_moment_rate_Nm_per_s"] = f.moment.peak_rate;
    r["peak_time_s"] = f.moment.peak_time_s;
    r["band_within_1_percent_hz"] = f.band_hz;
    r["band_floor_relative"] = band_floor;
    r["shortest_pulse"] = {{"rise_time_95_s", f.shortest_rise_s},
                           {"samples", f.shortest_rise_s / f.dt},
                           {"line", f.shortest_line}};
    r["largest_sampling_correction"] = {{"value", f.largest_correction}, {"line", f.correction_line}};
    ordered_json root;
    root["rupture"] = r;
    return root.dump(2) + "\n";
}

}  // namespace exp_slipv
