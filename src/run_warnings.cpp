#include "run_warnings.hpp"

#include <cstdio>

#include "command_line.hpp"
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

}  // namespace

std::vector<std::string> run_warnings(const Parameters& p) {
    std::vector<std::string> warnings;
    const Source& source = *p.source;
    const double last_time = static_cast<double>(p.nt - 1) * p.dt;
    const double duration = static_cast<double>(p.nt) * p.dt;
    if (const auto* brune = dynamic_cast<const BruneSource*>(&source)) {
        const double tau = brune->tau();
        if (tau < min_samples_per_tau * p.dt)
            warnings.push_back(format("%s: warning: tau = %g s is less than two samples (dt = %g s): the sampled "
                                      "spectrum departs from the closed form well below the Nyquist frequency\n",
                                      tau, p.dt));
        if (duration < complete_record_in_tau * tau)
            warnings.push_back(format("%s: warning: the record lasts %g s, less than 10 tau = %g s: at its last "
                                      "sample the slip reaches %.4g %% of its final value\n",
                                      duration, complete_record_in_tau * tau, 100.0 * source.slip(last_time)));
        return warnings;
    }
    // Another shape: its rise, to the peak (or to 95 % of the slip for a
    // plateau that peaks at once), and its slip at the end of the record.
    const SourceFigures figures = source.figures();
    const double rise = figures.peak_time > 0.0 ? figures.peak_time : figures.rise_time_95;
    if (rise < min_samples_per_tau * p.dt)
        warnings.push_back(format("%s: warning: the pulse rises in %g s, less than two samples (dt = %g s): the "
                                  "sampled spectrum departs from the closed form well below the Nyquist frequency\n",
                                  rise, p.dt));
    const double final_slip = source.slip(last_time);
    if (final_slip < complete_slip_fraction)
        warnings.push_back(format("%s: warning: the record lasts %g s, too short for the pulse: at its last sample "
                                  "the slip reaches %.4g %% of its final value\n",
                                  duration, 100.0 * final_slip));
    return warnings;
}

}  // namespace exp_slipv
