#include "run_warnings.hpp"

#include <cmath>
#include <cstdio>

#include "command_line.hpp"
#include "export/export_content.hpp"
#include "source/shapes/brune.hpp"

namespace exp_slipv {

namespace {

// Samples per tau below which the pulse's rise is barely sampled.
constexpr double min_samples_per_tau = 2.0;
// Record length, in tau, by which the slip is practically complete.
constexpr double complete_record_in_tau = 10.0;
// The slip at the end of a record that holds practically the whole pulse.
constexpr double complete_slip_fraction = 0.999;

std::string format(const char* pattern, double a, double b = 0.0, double c = 0.0) {
    char text[512];
    std::snprintf(text, sizeof text, pattern, program_name, a, b, c);
    return text;
}

// How far the slip an export carries may be from the unit slip before a
// solver's reading of it changes the moment by more than a percent.
constexpr double export_slip_tolerance = 0.01;

// What the exports hold when their samples do not carry the unit slip (a
// pulse too short for dt, a record too short for the pulse), and what a
// solver that rescales them makes of it.
void warn_of_exports(std::vector<std::string>& warnings, const Parameters& p, bool under_resolved) {
    if (p.exports.empty()) return;
    const ExportContent content = export_content(StfSeries{*p.source, p.quantity, p.dt, p.nt});
    if (p.quantity == Quantity::rate) {
        if (std::fabs(content.rate_area - 1.0) <= export_slip_tolerance) return;
        warnings.push_back(format("%s: warning: the exported slip-rate samples carry dt times their sum = %.4g of the "
                                  "unit slip: a solver that rescales them to unit area multiplies them by %.4g, "
                                  "one that takes them as they are releases %.4g %% of the moment\n",
                                  content.rate_area, 1.0 / content.rate_area, 100.0 * content.rate_area));
        return;
    }
    const bool ends_at_one = std::fabs(content.last_value - 1.0) <= export_slip_tolerance;
    if (!under_resolved && ends_at_one) return;
    if (ends_at_one) {
        warnings.push_back(format("%s: warning: the exported cumulative slip rises by up to %.4g of the unit slip "
                                  "between two samples: a solver that rescales it to end at 1 leaves it as it is, "
                                  "and the slip rate it derives is that rise within one step, not the pulse\n",
                                  content.largest_step));
        return;
    }
    warnings.push_back(format("%s: warning: the exported cumulative slip ends at %.4g: a solver that rescales it to "
                              "end at 1 divides every sample by %.4g, one that takes it as it is releases %.4g %% of "
                              "the moment\n",
                              content.last_value, content.last_value, 100.0 * content.last_value));
}

}  // namespace

std::vector<std::string> run_warnings(const Parameters& p) {
    std::vector<std::string> warnings;
    const Source& source = *p.source;
    const double last_time = static_cast<double>(p.nt - 1) * p.dt;
    const double duration = static_cast<double>(p.nt) * p.dt;
    if (const auto* brune = dynamic_cast<const BruneSource*>(&source)) {
        const double tau = brune->tau();
        const bool under_resolved = tau < min_samples_per_tau * p.dt;
        if (under_resolved)
            warnings.push_back(format("%s: warning: tau = %g s is less than two samples (dt = %g s): the sampled "
                                      "spectrum departs from the closed form well below the Nyquist frequency\n",
                                      tau, p.dt));
        if (duration < complete_record_in_tau * tau)
            warnings.push_back(format("%s: warning: the record lasts %g s, less than 10 tau = %g s: at its last "
                                      "sample the slip reaches %.4g %% of its final value\n",
                                      duration, complete_record_in_tau * tau, 100.0 * source.slip(last_time)));
        warn_of_exports(warnings, p, under_resolved);
        return warnings;
    }
    // Another shape: its rise, to the peak (or to 95 % of the slip for a
    // plateau that peaks at once), and its slip at the end of the record.
    const SourceFigures figures = source.figures();
    const double rise = figures.peak_time > 0.0 ? figures.peak_time : figures.rise_time_95;
    const bool under_resolved = rise < min_samples_per_tau * p.dt;
    if (under_resolved)
        warnings.push_back(format("%s: warning: the pulse rises in %g s, less than two samples (dt = %g s): the "
                                  "sampled spectrum departs from the closed form well below the Nyquist frequency\n",
                                  rise, p.dt));
    const double final_slip = source.slip(last_time);
    if (final_slip < complete_slip_fraction)
        warnings.push_back(format("%s: warning: the record lasts %g s, too short for the pulse: at its last sample "
                                  "the slip reaches %.4g %% of its final value\n",
                                  duration, 100.0 * final_slip));
    warn_of_exports(warnings, p, under_resolved);
    return warnings;
}

}  // namespace exp_slipv
