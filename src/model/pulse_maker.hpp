// The pulse of each subfault: the shape and parameters a model gives for
// it, the command line's for the rest.  Subfaults with the same pulse share
// one source.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "source/shape.hpp"

namespace exp_slipv {

// The command line's pulse: --shape and the shape options as given.
struct PulseDefaults {
    const Shape* shape = nullptr;
    ShapeValues values;
    bool shape_given = false;  // --shape on the command line: it wins over a model's pulse
};

// Options that set a pulse's time scale, each another way of the same
// quantity: a model's value for one of them replaces the command line's
// values for all of them.
inline constexpr std::string_view scale_options[] = {"tau", "corner-frequency", "rise-time", "duration"};

class PulseMaker {
public:
    explicit PulseMaker(PulseDefaults defaults) : defaults_(std::move(defaults)) {}
    // The source for a model's shape (nullptr: the command line's) and
    // values; the refusal names options as --NAME.
    MadeSource make(const Shape* shape, const ShapeValues& model_values);
    const PulseDefaults& defaults() const { return defaults_; }

private:
    PulseDefaults defaults_;
    std::map<std::string, std::shared_ptr<const Source>> made_;
};

}  // namespace exp_slipv
