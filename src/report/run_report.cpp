#include "report/run_report.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "complex_arithmetic.hpp"
#include "report/reference_transform.hpp"
#include "slip_history.hpp"
#include "spectrum_bins.hpp"

namespace exp_slipv {

namespace {

// Frequencies at which a trial dt is checked between 0 and fmax; the ratio
// of the endless record's transform to the closed form rises with the
// frequency, so the ends decide and the grid guards the rest.
constexpr int target_grid = 512;
// Bisection steps on log dt within one halving: 2^-50 of it.
constexpr int target_steps = 50;
// Halvings of dt from 1/(2 fmax) before no dt is said to hold the band:
// 2^-200 lies below any dt the program takes.
constexpr int max_halvings = 200;
constexpr double slip_threshold = 0.95;
// The departure a trial dt is allowed short of the tolerance: the ratio is
// known to some 1e-15, and the answer must hold however it is evaluated.
constexpr double evaluation_margin = 1e-12;
// The most samples of a pulse without a closed-form sampled transform that a
// trial dt may take: below such a dt the search stops and says so.
constexpr std::int64_t max_trial_samples = std::int64_t{1} << 15;

void measure_pulse(RunReport& r, const Parameters& p, const Source& source, const double* svwave) {
    double weighted = 0.0, total = 0.0;
    for_each_record(svwave, p, source, [&](double t, double v, double slip, double) {
        if (v > r.peak_velocity) r.peak_velocity = v, r.peak_time = t;
        weighted += t * v;
        total += v;
        if (!r.time_to_95 && slip >= slip_threshold) r.time_to_95 = t;
        const double exact = source.slip(t);
        const double error = std::fabs(slip - exact);
        if (error > r.max_slip_error) r.max_slip_error = error, r.max_slip_error_time = t;
        r.final_slip_trapezoid = slip;
        r.final_slip_exact = exact;
    });
    r.centroid_time = total > 0.0 ? weighted / total : 0.0;
}

// Walks the judged bins in order and fixes the edge at the first departure.
class EdgeFinder {
public:
    EdgeFinder(double tolerance, double nyquist) : nyquist_(nyquist) {
        edge_.tolerance = tolerance;
        edge_.kind = BandEdge::Kind::unjudged;
    }
    void add(double hz, double departure) {
        if (done_) return;
        if (departure > edge_.tolerance) {
            edge_.kind = edge_.kind == BandEdge::Kind::unjudged ? BandEdge::Kind::none : BandEdge::Kind::limited;
            edge_.first_departure_hz = hz;
            edge_.first_departure = departure;
            done_ = true;
            return;
        }
        edge_.kind = BandEdge::Kind::nyquist;
        edge_.highest_hz = hz;
        edge_.fraction_of_nyquist = hz / nyquist_;
    }
    BandEdge edge() const { return edge_; }

private:
    double nyquist_;
    BandEdge edge_;
    bool done_ = false;
};

// The samples of the pulse that can differ from zero: all of a record
// shorter than the pulse.
std::int64_t pulse_samples(const Source& source, double dt, std::int64_t limit) {
    const double end = source.duration() / dt;
    if (!(end < static_cast<double>(limit))) return limit;
    return std::min<std::int64_t>(static_cast<std::int64_t>(end) + 2, limit);
}

void measure_spectrum(RunReport& r, const Parameters& p, const Source& source, const double* svwave,
                      const std::complex<double>* svamp, double dom, std::int32_t nom) {
    // The exact transform of the samples: the shape's closed form, or the
    // samples summed in extended precision at the transform's own bins.
    const bool closed_form = source.sampled_spectrum(dom, p.dt, p.nt).has_value();
    std::vector<double> reference;
    if (!closed_form)
        reference = reference_amplitudes(svwave, p.nt, pulse_samples(source, p.dt, p.nt), transform_length(p.nt), p.dt);
    r.transform_reference = closed_form ? "closed form" : "extended-precision sum of the samples";
    EdgeFinder fine(band_tolerance_fine, r.nyquist_hz), coarse(band_tolerance_coarse, r.nyquist_hz);
    const double bin_step = 2.0 * std::numbers::pi / (static_cast<double>(transform_length(p.nt)) * p.dt);
    for (std::int32_t io = 2; io <= nom; ++io) {
        const double om = angular_frequency(io, dom);
        const double hz = hertz(om);
        const double sampled = complex_arithmetic::modulus(svamp[io - 1]);
        const double closed = source.amplitude(om);
        const double ratio = sampled / closed;
        // Judged by the closed form at the bin's own frequency, k/(N dt): om
        // carries the 10-digit pi of the spectrum file, which moves it by
        // 1.5e-10 relative and lifts a zero of |V| that falls on a bin to
        // some 1e-10, above the floor, while the transform there is 0.
        const double bin_om = static_cast<double>(io - 1) * bin_step;
        const bool judged = source.amplitude(bin_om) >= judged_floor;
        r.last_bin_hz = hz;
        r.ratio_at_last_bin = ratio;
        r.last_bin_judged = judged;
        ++r.bins;
        if (judged) {
            fine.add(hz, std::fabs(ratio - 1.0));
            coarse.add(hz, std::fabs(ratio - 1.0));
            if (r.target && hz <= r.target->fmax_hz && std::fabs(ratio - 1.0) > r.target->max_deviation) {
                r.target->max_deviation = std::fabs(ratio - 1.0);
                r.target->max_deviation_hz = hz;
            }
        } else if (r.unjudged_bins++ == 0) {
            r.first_unjudged_hz = hz;
        }
        const double exact =
            closed_form ? std::abs(*source.sampled_spectrum(om, p.dt, p.nt)) : reference[static_cast<std::size_t>(io - 1)];
        const double difference = std::fabs(sampled - exact);
        if (difference > r.max_transform_abs_error) r.max_transform_abs_error = difference, r.max_transform_abs_error_hz = hz;
        if (!judged || !(exact >= judged_floor)) continue;
        const double error = difference / exact;
        if (error > r.max_transform_error) r.max_transform_error = error, r.max_transform_error_hz = hz;
        if (error > transform_tolerance && r.bins_over_tolerance++ == 0) r.first_over_tolerance_hz = hz;
    }
    r.fine = fine.edge();
    r.coarse = coarse.edge();
}

// Whether the endless record's transform at a trial dt stays within the
// tolerance of the closed form at every frequency of 0 .. fmax.  The
// frequencies are taken from fmax down, where a departure is likeliest, and
// the first beyond the tolerance ends the check.
bool endless_within(const Source& source, double dt, double fmax_hz, double tolerance) {
    std::vector<double> samples;
    if (!source.sampled_spectrum(0.0, dt, 0)) {
        // A pulse of finite duration: its endless record is its samples.
        samples.resize(static_cast<std::size_t>(pulse_samples(source, dt, max_trial_samples)));
        for (std::size_t k = 0; k < samples.size(); ++k) samples[k] = source.velocity(sample_time(static_cast<std::int64_t>(k), dt));
    }
    for (int g = target_grid; g >= 0; --g) {
        const double om = 2.0 * std::numbers::pi * fmax_hz * g / target_grid;
        const double closed = source.amplitude(om);
        // A zero of the closed form or a tail too faint to judge (a
        // Gaussian's underflows).
        if (closed < judged_floor) continue;
        const std::complex<double> sampled =
            samples.empty() ? *source.sampled_spectrum(om, dt, 0) : sample_sum(samples, dt, om);
        if (std::fabs(std::abs(sampled) / closed - 1.0) > tolerance) return false;
    }
    return true;
}

// Whether a trial dt can be checked: a pulse summed sample by sample must
// fit in the budget.
bool checkable(const Source& source, double dt) {
    if (source.sampled_spectrum(0.0, dt, 0)) return true;
    return source.duration() / dt < static_cast<double>(max_trial_samples - 2);
}

}  // namespace

FaithfulDt largest_faithful_dt(const Source& source, double fmax_hz, double requested_tolerance) {
    const double tolerance = requested_tolerance - evaluation_margin;
    // Beyond 1/(2 fmax) the band reaches past the Nyquist frequency; below
    // it, halve dt until the band holds, then bisect the last halving.
    double high = 1.0 / (2.0 * fmax_hz);
    if (!checkable(source, high)) return {std::nullopt, high};
    if (endless_within(source, high, fmax_hz, tolerance)) return {high, high};
    double low = high;
    int halvings = 0;
    do {
        high = low;
        low = high / 2.0;
        if (!checkable(source, low)) {
            // The finest dt that can still be checked, between the two.
            double fine = low, coarse = high;
            for (int i = 0; i < target_steps; ++i) {
                const double middle = std::sqrt(fine * coarse);
                (checkable(source, middle) ? coarse : fine) = middle;
            }
            if (coarse >= high) return {std::nullopt, high};
            low = coarse;
            if (!endless_within(source, low, fmax_hz, tolerance)) return {std::nullopt, low};
            break;
        }
        if (++halvings > max_halvings) return {std::nullopt, high};
    } while (!endless_within(source, low, fmax_hz, tolerance));
    for (int i = 0; i < target_steps; ++i) {
        const double middle = std::sqrt(low * high);
        (endless_within(source, middle, fmax_hz, tolerance) ? low : high) = middle;
    }
    return {low, low};
}

RunReport analyse_run(const Parameters& p, const Source& source, const double* svwave,
                      const std::complex<double>* svamp, double dom, std::int32_t nom) {
    RunReport r;
    r.shape = source.name();
    r.parameters = source.parameters();
    r.closed = source.figures();
    r.dt = p.dt;
    r.samples = p.nt;
    r.transform_length = transform_length(p.nt);
    r.nyquist_hz = 1.0 / (2.0 * p.dt);
    r.record_duration = static_cast<double>(p.nt) * p.dt;
    if (p.fmax > 0.0) r.target = TargetBand{p.fmax, p.fmax > r.nyquist_hz, 0.0, 0.0, std::nullopt};
    measure_pulse(r, p, source, svwave);
    measure_spectrum(r, p, source, svwave, svamp, dom, nom);
    r.notes = source.notes();
    if (!p.exports.empty()) {
        r.export_names = p.exports;
        r.export_quantity = quantity_description(p.quantity);
        r.export_figures = export_content(StfSeries{source, p.quantity, p.dt, p.nt});
    }
    if (r.target) {
        const FaithfulDt found = largest_faithful_dt(source, p.fmax, target_tolerance);
        r.target->largest_dt = found.dt;
        r.target->smallest_dt_tried = found.smallest_tried;
    }
    return r;
}

}  // namespace exp_slipv
