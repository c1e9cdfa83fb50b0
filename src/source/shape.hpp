// The pulse shapes --shape offers.  Each lives in one file of shapes/ and
// registers itself there; the command line and the help ask the registry,
// so adding a shape touches no other file.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "option_values.hpp"
#include "source/source.hpp"

namespace exp_slipv {

// An option a shape takes, as the help lists it.
struct ShapeOption {
    std::string name;        // "duration", given as --duration
    std::string value_name;  // "SECONDS"
    std::string help;        // what it sets
};

// The shape options of a command line, by name, in the order first given;
// a repeated option keeps its place and takes the later value.
class ShapeValues {
public:
    void set(std::string_view name, std::string_view value);
    const std::string* find(std::string_view name) const;
    const std::vector<std::pair<std::string, std::string>>& given() const { return given_; }

private:
    std::vector<std::pair<std::string, std::string>> given_;
};

// A made source, or the whole first line of a usage error.
using MadeSource = Checked<std::shared_ptr<const Source>>;

class Shape {
public:
    virtual ~Shape() = default;
    virtual std::string_view name() const = 0;  // as --shape takes it
    // v(t) in a line of the help.
    virtual std::string_view formula() const = 0;
    // Its place in the help, from 0.
    virtual int rank() const = 0;
    virtual std::vector<ShapeOption> options() const = 0;
    // The source for the values; every given option is one of options().
    virtual MadeSource make(const ShapeValues& values) const = 0;
};

// Called once by each shape's file, from a static initialiser.
bool register_shape(const Shape& shape);
// In the order of their ranks.
std::vector<const Shape*> shapes();
const Shape* find_shape(std::string_view name);
inline constexpr std::string_view default_shape = "brune";

// Helpers for make().

// "invalid value 'V' for --NAME: REASON".
std::string invalid_value(std::string_view name, std::string_view value, std::string_view reason);

// A time given by one of several options: directly, or by a conversion of
// another's value.  Two of them given is a refusal that names both; a
// conversion that leaves the range of times names the quantity ("tau").
struct TimeOption {
    std::string name;
    std::function<double(double)> convert;  // empty: the value is the time
    std::string how;                        // the conversion as a refusal shows it
};
// The time, or the fallback when none of the options is given.
Checked<double> one_time(const ShapeValues& values, const std::vector<TimeOption>& ways, std::string_view quantity,
                         double fallback);

// Common ways: a time as given; 1/(2 pi fc) from a corner frequency; a
// scale from the time at which 95 % of the slip is reached, rise / factor.
TimeOption direct_time(std::string name);
TimeOption time_from_corner_frequency();
TimeOption scale_from_rise_time(double factor);

// The source of a shape with one time scale, given one of the ways, or the
// fallback: Made(scale).
template <typename Made>
MadeSource source_of_scale(const ShapeValues& values, const std::vector<TimeOption>& ways, std::string_view quantity,
                           double fallback) {
    const Checked<double> scale = one_time(values, ways, quantity, fallback);
    if (const Refusal* r = std::get_if<Refusal>(&scale)) return *r;
    return std::make_shared<const Made>(std::get<double>(scale));
}

// The factor x of a shape whose slip at unit scale, s1, reaches 0.95 at x:
// solved for the shape, within [0, end].
double rise_time_factor_of(const Source& unit_scale, double end);

// "1.5" for 1.5, "4.74386" for 4.743864...: six digits, as refusals show.
std::string short_number(double value);

}  // namespace exp_slipv
