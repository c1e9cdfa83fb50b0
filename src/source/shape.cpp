#include "source/shape.hpp"

#include <algorithm>
#include <cstdio>
#include <numbers>

#include "source/shape_math.hpp"

namespace exp_slipv {

namespace {

// Constructed on first use: shapes register from other files' static
// initialisers, in no set order.
std::vector<const Shape*>& registry() {
    static std::vector<const Shape*> list;
    return list;
}

constexpr double rise_fraction = 0.95;

}  // namespace

void ShapeValues::set(std::string_view name, std::string_view value) {
    for (auto& [given_name, given_value] : given_)
        if (given_name == name) {
            given_value = value;
            return;
        }
    given_.emplace_back(name, value);
}

const std::string* ShapeValues::find(std::string_view name) const {
    for (const auto& [given_name, given_value] : given_)
        if (given_name == name) return &given_value;
    return nullptr;
}

bool register_shape(const Shape& shape) {
    registry().push_back(&shape);
    return true;
}

std::vector<const Shape*> shapes() {
    std::vector<const Shape*> list = registry();
    std::sort(list.begin(), list.end(), [](const Shape* a, const Shape* b) { return a->rank() < b->rank(); });
    return list;
}

const Shape* find_shape(std::string_view name) {
    for (const Shape* shape : registry())
        if (shape->name() == name) return shape;
    return nullptr;
}

std::string invalid_value(std::string_view name, std::string_view value, std::string_view reason) {
    return "invalid value '" + std::string(value) + "' for --" + std::string(name) + ": " + std::string(reason);
}

std::string short_number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}

Checked<double> one_time(const ShapeValues& values, const std::vector<TimeOption>& ways, std::string_view quantity,
                         double fallback) {
    const TimeOption* chosen = nullptr;
    const std::string* chosen_value = nullptr;
    for (const auto& entry : values.given()) {
        const std::string& name = entry.first;
        const std::string& value = entry.second;
        const auto way = std::find_if(ways.begin(), ways.end(), [&](const TimeOption& w) { return w.name == name; });
        if (way == ways.end()) continue;
        if (chosen != nullptr)
            return Refusal{"--" + name + "=" + value + " cannot be combined with --" + chosen->name + ": give " +
                           std::string(quantity) + " one way only"};
        chosen = &*way;
        chosen_value = &value;
    }
    if (chosen == nullptr) return fallback;
    if (!chosen->convert) {
        const Checked<double> time = seconds(*chosen_value);
        if (const Refusal* r = std::get_if<Refusal>(&time)) return Refusal{invalid_value(chosen->name, *chosen_value, r->reason)};
        return time;
    }
    const Checked<double> given = positive_decimal(*chosen_value);
    if (const Refusal* r = std::get_if<Refusal>(&given)) return Refusal{invalid_value(chosen->name, *chosen_value, r->reason)};
    const double time = chosen->convert(std::get<double>(given));
    if (time >= min_seconds && time <= max_seconds) return time;
    return Refusal{invalid_value(chosen->name, *chosen_value,
                                 "it gives " + std::string(quantity) + " = " + chosen->how + " = " + short_number(time) +
                                     " s, outside 1e-9 to 1e9 s")};
}

TimeOption direct_time(std::string name) { return {std::move(name), {}, {}}; }

TimeOption time_from_corner_frequency() {
    return {"corner-frequency", [](double fc) { return 1.0 / (2.0 * std::numbers::pi * fc); }, "1/(2 pi fc)"};
}

TimeOption scale_from_rise_time(double factor) {
    return {"rise-time", [factor](double rise) { return rise / factor; }, "rise time / " + short_number(factor)};
}

double rise_time_factor_of(const Source& unit_scale, double end) {
    return shape_math::slip_time(unit_scale, rise_fraction, end);
}

}  // namespace exp_slipv
