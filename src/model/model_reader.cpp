#include "model/model_reader.hpp"

#include <algorithm>

#include "model/model_error.hpp"

namespace exp_slipv {

namespace {

std::vector<const ModelReader*>& registry() {
    static std::vector<const ModelReader*> list;
    return list;
}

// Stable: within a segment the subfaults keep the model's order.
void group_by_segment(RuptureModel& model) {
    std::vector<int>& order = model.segments;
    order.clear();
    for (const Subfault& s : model.subfaults)
        if (std::find(order.begin(), order.end(), s.segment) == order.end()) order.push_back(s.segment);
    if (order.size() < 2) return;
    const auto rank = [&](int segment) { return std::find(order.begin(), order.end(), segment) - order.begin(); };
    std::stable_sort(model.subfaults.begin(), model.subfaults.end(),
                     [&](const Subfault& a, const Subfault& b) { return rank(a.segment) < rank(b.segment); });
}

}  // namespace

bool register_model_reader(const ModelReader& reader) {
    registry().push_back(&reader);
    return true;
}

RuptureModel read_model(const std::string& path, const ModelDefaults& defaults) {
    std::vector<const ModelReader*> readers = registry();
    std::sort(readers.begin(), readers.end(), [](const ModelReader* a, const ModelReader* b) { return a->rank() < b->rank(); });
    LineReader lines(path);
    const std::string_view head = lines.head();
    for (const ModelReader* reader : readers) {
        if (!reader->recognises(head)) continue;
        RuptureModel model = reader->read(lines, defaults);
        model.file = path;
        model.format = reader->name();
        if (model.subfaults.empty()) throw ModelError{lines.line_number(), "the model has no subfault"};
        group_by_segment(model);
        return model;
    }
    throw ModelError{1, "not a rupture model this program reads"};
}

}  // namespace exp_slipv
