#include "run_warnings.hpp"

#include <cstdio>

#include "command_line.hpp"
#include "option_values.hpp"
#include "source/brune.hpp"

namespace exp_slipv {

namespace {

// Samples per tau below which the pulse's rise is barely sampled.
constexpr double min_samples_per_tau = 2.0;
// Record length, in tau, by which the slip is practically complete.
constexpr double complete_record_in_tau = 10.0;

std::string format(const char* pattern, double a, double b, double c = 0.0) {
    char text[512];
    std::snprintf(text, sizeof text, pattern, program_name, a, b, c);
    return text;
}

}  // namespace

std::vector<std::string> run_warnings(const Parameters& p) {
    std::vector<std::string> warnings;
    if (p.tau < min_samples_per_tau * p.dt)
        warnings.push_back(format("%s: warning: tau = %g s is less than two samples (dt = %g s): the sampled "
                                  "spectrum departs from the closed form well below the Nyquist frequency\n",
                                  p.tau, p.dt));
    const double duration = static_cast<double>(p.nt) * p.dt;
    if (duration < complete_record_in_tau * p.tau) {
        const double last_time = static_cast<double>(p.nt - 1) * p.dt;
        warnings.push_back(format("%s: warning: the record lasts %g s, less than 10 tau = %g s: at its last "
                                  "sample the slip reaches %.4g %% of its final value\n",
                                  duration, complete_record_in_tau * p.tau, 100.0 * brune_slip_fraction(last_time / p.tau)));
    }
    return warnings;
}

}  // namespace exp_slipv
