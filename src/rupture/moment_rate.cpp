#include "rupture/moment_rate.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <memory>
#include <numbers>
#include <unordered_map>

#include "parallel/parallel.hpp"
#include "parallel/progress.hpp"

namespace exp_slipv {

namespace {

using Complex = std::complex<double>;

constexpr std::size_t bins_per_block = 32;

// Where a subfault's pulse is not zero: its onset to its end.
struct Window {
    double start, end;
};

Window window_of(const Subfault& s, const PulsePlans& plans) {
    return {s.onset_s, s.onset_s + plans.of(*s.source).end_time()};
}

std::int64_t first_index_at_or_after(double t, double dt) {
    auto k = static_cast<std::int64_t>(std::ceil(t / dt));
    while (k > 0 && sample_time(k - 1, dt) >= t) --k;
    while (sample_time(k, dt) < t) ++k;
    return k;
}

std::int64_t last_index_at_or_before(double t, double dt) {
    auto k = static_cast<std::int64_t>(std::floor(t / dt));
    while (sample_time(k + 1, dt) <= t) ++k;
    while (k > 0 && sample_time(k, dt) > t) --k;
    return k;
}

}  // namespace

MomentRate moment_rate(const RuptureModel& model, const PulsePlans& plans, int threads) {
    MomentRate result;
    const double dt = plans.dt();
    result.dt = dt;
    double end = 0.0;
    for (const Subfault& s : model.subfaults)
        if (s.slip_m > 0.0) end = std::max(end, window_of(s, plans).end);
    // One sample past the end: the record ends at rest.
    const std::size_t count = static_cast<std::size_t>(last_index_at_or_before(end, dt)) + 2;
    result.rate.assign(count, 0.0);
    result.moment.assign(count, 0.0);
    // The moments of pulses whose records have ended: added from the first
    // sample after each end on, in the model's order.
    std::vector<double> completed(count + 1, 0.0);
    for (const Subfault& s : model.subfaults) {
        if (!(s.slip_m > 0.0)) continue;
        const auto after = static_cast<std::size_t>(last_index_at_or_before(window_of(s, plans).end, dt) + 1);
        completed[std::min(after, count)] += s.moment_nm();
    }
    run_tasks(threads, [&](int part) {
        const IndexRange range = part_of(count, part, threads);
        const auto begin = static_cast<std::int64_t>(range.begin), stop = static_cast<std::int64_t>(range.end);
        for (const Subfault& s : model.subfaults) {
            if (!(s.slip_m > 0.0)) continue;
            const Window w = window_of(s, plans);
            const std::int64_t first = std::max(begin, first_index_at_or_after(w.start, dt));
            const std::int64_t last = std::min(stop - 1, last_index_at_or_before(w.end, dt));
            const double m0 = s.moment_nm();
            for (std::int64_t k = first; k <= last; ++k) {
                const double t = sample_time(k, dt) - s.onset_s;
                result.rate[static_cast<std::size_t>(k)] += m0 * s.source->velocity(t);
                result.moment[static_cast<std::size_t>(k)] += m0 * s.source->slip(t);
            }
        }
    });
    double ended = 0.0;
    for (std::size_t k = 0; k < count; ++k) {
        ended += completed[k];
        result.moment[k] += ended;
    }
    return result;
}

MomentSpectrum moment_spectrum(const RuptureModel& model, const MomentRate& rate, int threads) {
    // The program's own transform of the samples, then the closed form.
    MomentSpectrum result = sampled_moment_spectrum(rate);
    const std::size_t bins = result.sampled.size();

    // Subfaults of one pulse share V(omega): sum M0 e^(-i omega t) within
    // each, in the model's order, then over the pulses in order of first use.
    struct Group {
        const Source* source;
        std::vector<std::pair<double, double>> terms;  // M0, onset
    };
    std::vector<Group> groups;
    std::unordered_map<const Source*, std::size_t> index;
    for (const Subfault& s : model.subfaults) {
        if (!(s.slip_m > 0.0)) continue;
        const auto [at, added] = index.emplace(s.source.get(), groups.size());
        if (added) groups.push_back({s.source.get(), {}});
        groups[at->second].terms.emplace_back(s.moment_nm(), s.onset_s);
    }
    // Bins in blocks: e^(-i omega t) is exact at a block's first bin and
    // stepped by e^(-i d_omega t) across it, so that the sines and cosines
    // cost one pair a block rather than one a bin; the steps' rounding stays
    // below 1e-14 of each term.
    std::vector<Complex> steps;
    for (const Group& g : groups)
        for (const auto& [m0, onset] : g.terms) steps.push_back(std::polar(1.0, -2.0 * std::numbers::pi * result.df * onset));
    result.closed.assign(bins, 0.0);
    const std::size_t blocks = (bins + bins_per_block - 1) / bins_per_block;
    Progress progress("the moment-rate spectrum's closed form");
    run_tasks(threads, [&](int part) {
        std::array<Complex, bins_per_block> total, phases;
        for (std::size_t block = static_cast<std::size_t>(part); block < blocks; block += static_cast<std::size_t>(threads)) {
            const std::size_t first = block * bins_per_block;
            const std::size_t count = std::min(bins_per_block, bins - first);
            const double omega0 = 2.0 * std::numbers::pi * (static_cast<double>(first) * result.df);
            total.fill(0.0);
            std::size_t term = 0;
            for (const Group& g : groups) {
                phases.fill(0.0);
                for (const auto& [m0, onset] : g.terms) {
                    Complex z = m0 * std::polar(1.0, -omega0 * onset);
                    const Complex step = steps[term++];
                    for (std::size_t j = 0; j < count; ++j) {
                        phases[j] += z;
                        z *= step;
                    }
                }
                for (std::size_t j = 0; j < count; ++j) {
                    const double omega = 2.0 * std::numbers::pi * (static_cast<double>(first + j) * result.df);
                    total[j] += g.source->spectrum(omega) * phases[j];
                }
            }
            for (std::size_t j = 0; j < count; ++j) result.closed[first + j] = std::abs(total[j]);
            if (part == 0) progress.update(static_cast<double>(block), static_cast<double>(blocks));
        }
    });
    return result;
}

MomentFigures moment_figures(const RuptureModel& model, const PulsePlans& plans, const MomentRate& rate) {
    MomentFigures f;
    bool any = false;
    for (const Subfault& s : model.subfaults) {
        f.total_nm += s.moment_nm();
        if (!(s.slip_m > 0.0)) continue;
        const Window w = window_of(s, plans);
        f.first_onset_s = any ? std::min(f.first_onset_s, w.start) : w.start;
        f.end_s = any ? std::max(f.end_s, w.end) : w.end;
        any = true;
    }
    f.mw = moment_magnitude(f.total_nm);
    const SeriesFigures series = series_figures(rate);
    f.centroid_time_s = series.centroid_time_s;
    f.peak_rate = series.peak_rate;
    f.peak_time_s = series.peak_time_s;
    return f;
}

double agreement_band(const MomentSpectrum& spectrum, double tolerance, double floor) {
    const double peak = *std::max_element(spectrum.closed.begin(), spectrum.closed.end());
    double band = 0.0;
    for (std::size_t j = 0; j < spectrum.closed.size(); ++j) {
        const double c = spectrum.closed[j];
        if (c < floor * peak) continue;
        if (std::fabs(spectrum.sampled[j] - c) > tolerance * c) break;
        band = static_cast<double>(j) * spectrum.df;
    }
    return band;
}

}  // namespace exp_slipv
