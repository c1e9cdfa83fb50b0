#include "rupture/pulse_plan.hpp"

#include <algorithm>
#include <cmath>
#include <string>

#include "model/model_error.hpp"
#include "parallel/parallel.hpp"
#include "source/shape.hpp"
#include "source/shape_math.hpp"

namespace exp_slipv {

namespace {

constexpr double cm_per_m = 100.0;

// v(k dt), never below 0: a closed form made of differences may round a
// zero of v to a tiny negative number, which no slip rate is.
double rate_sample(const Source& source, std::int64_t k, double dt) {
    return std::max(0.0, source.velocity(sample_time(k, dt)));
}

// The first k with 1 - s(k dt) < endless_cut; -1 past the limit.
std::int64_t endless_last(const Source& source, double dt) {
    const auto complete = [&](std::int64_t k) { return 1.0 - source.slip(sample_time(k, dt)) < endless_cut; };
    std::int64_t high = 1;
    while (!complete(high)) {
        if (high > max_pulse_samples) return -1;
        high *= 2;
    }
    std::int64_t low = high / 2;  // not complete, or 0
    if (low == 0 && complete(0)) return 0;
    while (high - low > 1) {
        const std::int64_t mid = low + (high - low) / 2;
        (complete(mid) ? high : low) = mid;
    }
    return high;
}

// The first k with k dt at or after the end; -1 past the limit.
std::int64_t finite_last(const Source& source, double dt) {
    const double end = source.duration();
    const double estimate = std::ceil(end / dt);
    if (!(estimate <= static_cast<double>(max_pulse_samples))) return -1;
    auto k = static_cast<std::int64_t>(estimate);
    while (k > 0 && sample_time(k - 1, dt) >= end) --k;
    while (sample_time(k, dt) < end) ++k;
    return k;
}


// The plan of one pulse, or the reason it has none.
struct Planned {
    PulsePlan plan;
    std::string problem;
};

Planned plan_pulse(const Source& source, double dt, bool keep_samples) {
    Planned result;
    PulsePlan& plan = result.plan;
    plan.dt = dt;
    plan.last = source.endless() ? endless_last(source, dt) : finite_last(source, dt);
    if (plan.last < 0 || plan.last >= max_pulse_samples) {
        result.problem = "the pulse (" + describe_pulse(source) + ") needs more than " + std::to_string(max_pulse_samples) +
                         " samples at dt = " + short_number(dt) + " s";
        return result;
    }
    double sum = 0.0;
    if (keep_samples) plan.unit_samples.resize(static_cast<std::size_t>(plan.last) + 1);
    for (std::int64_t k = 0; k < plan.last; ++k) {
        const double v = rate_sample(source, k, dt);
        sum += v;
        if (keep_samples) plan.unit_samples[static_cast<std::size_t>(k)] = v;
    }
    const double area = dt * sum;
    if (!(area > 0.0) || !std::isfinite(area)) {
        result.problem = "the pulse (" + describe_pulse(source) + ") has no sample above 0 at dt = " + short_number(dt) +
                         " s: give a smaller --dt";
        return result;
    }
    plan.scale = 1.0 / area;
    plan.correction = std::fabs(area - 1.0);
    for (double& v : plan.unit_samples) v *= plan.scale;
    if (keep_samples) plan.unit_samples.back() = 0.0;
    plan.rise_time_95 = shape_math::slip_time(source, 0.95, std::max(plan.end_time(), dt));
    return result;
}

}  // namespace

std::string describe_pulse(const Source& source) {
    std::string text = source.name();
    for (const SourceParameter& p : source.parameters()) {
        text += ", " + p.name + " = " + short_number(p.value);
        if (p.unit != "1") text += " " + p.unit;
    }
    return text;
}

double PulsePlan::end_time() const { return sample_time(last, dt); }

PulsePlans::PulsePlans(const RuptureModel& model, double dt, int threads) : dt_(dt) {
    // The distinct pulses of subfaults with slip, in order of first use, and
    // how many points use each.
    std::vector<const Subfault*> first_use;
    std::unordered_map<const Source*, std::size_t> users;
    for (const Subfault& s : model.subfaults) {
        if (!(s.slip_m > 0.0)) continue;
        if (users[s.source.get()]++ == 0) first_use.push_back(&s);
    }
    std::vector<Planned> planned(first_use.size());
    // Samples are kept for pulses that several points share, within the
    // budget; the others are worked out again for each point.
    std::vector<bool> keep(first_use.size(), false);
    for (std::size_t i = 0; i < first_use.size(); ++i) keep[i] = users[first_use[i]->source.get()] > 1;
    run_tasks(threads, [&](int part) {
        const IndexRange range = part_of(first_use.size(), part, threads);
        for (std::size_t i = range.begin; i < range.end; ++i) planned[i] = plan_pulse(*first_use[i]->source, dt, keep[i]);
    });
    std::size_t kept = 0;
    for (std::size_t i = 0; i < first_use.size(); ++i) {
        if (!planned[i].problem.empty()) throw ModelError{first_use[i]->line, planned[i].problem};
        std::vector<double>& unit = planned[i].plan.unit_samples;
        if (kept + unit.size() > sample_cache_limit) std::vector<double>().swap(unit);
        kept += unit.size();
        plans_.emplace(first_use[i]->source.get(), std::move(planned[i].plan));
    }
}

std::int64_t PulsePlans::sample_count(const Subfault& subfault) const {
    if (!(subfault.slip_m > 0.0)) return 0;
    return of(*subfault.source).last + 1;
}

void PulsePlans::samples(const Subfault& subfault, std::vector<double>& out) const {
    out.clear();
    if (!(subfault.slip_m > 0.0)) return;
    const PulsePlan& plan = of(*subfault.source);
    const double slip_cm = subfault.slip_m * cm_per_m;
    out.resize(static_cast<std::size_t>(plan.last) + 1);
    if (!plan.unit_samples.empty()) {
        for (std::size_t k = 0; k < out.size(); ++k) out[k] = slip_cm * plan.unit_samples[k];
        return;
    }
    for (std::int64_t k = 0; k < plan.last; ++k)
        out[static_cast<std::size_t>(k)] = slip_cm * (rate_sample(*subfault.source, k, dt_) * plan.scale);
    out.back() = 0.0;
}

}  // namespace exp_slipv
