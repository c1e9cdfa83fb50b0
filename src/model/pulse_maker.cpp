#include "model/pulse_maker.hpp"

#include <algorithm>

namespace exp_slipv {

namespace {

bool is_scale_option(std::string_view name) {
    return std::find(std::begin(scale_options), std::end(scale_options), name) != std::end(scale_options);
}

bool takes(const Shape& shape, std::string_view name) {
    for (const ShapeOption& o : shape.options())
        if (o.name == name) return true;
    return false;
}

}  // namespace

MadeSource PulseMaker::make(const Shape* model_shape, const ShapeValues& model_values) {
    const Shape& shape = model_shape != nullptr ? *model_shape : *defaults_.shape;
    const bool model_scale = std::any_of(model_values.given().begin(), model_values.given().end(),
                                         [](const auto& entry) { return is_scale_option(entry.first); });
    // The command line's values, where the model gives none of the same
    // quantity and the shape takes them; then the model's.
    ShapeValues values;
    for (const auto& [name, value] : defaults_.values.given()) {
        if (model_scale && is_scale_option(name)) continue;
        if (&shape != defaults_.shape && !takes(shape, name)) continue;
        if (model_values.find(name) != nullptr) continue;
        values.set(name, value);
    }
    std::string key(shape.name());
    for (const auto& [name, value] : model_values.given()) {
        if (!takes(shape, name))
            return Refusal{"--" + name + "=" + value + " cannot be used with the shape " + std::string(shape.name())};
        values.set(name, value);
    }
    for (const auto& [name, value] : values.given()) key += '\0' + name + '=' + value;
    if (const auto found = made_.find(key); found != made_.end()) return found->second;
    MadeSource made = shape.make(values);
    if (const auto* source = std::get_if<std::shared_ptr<const Source>>(&made)) made_.emplace(key, *source);
    return made;
}

}  // namespace exp_slipv
