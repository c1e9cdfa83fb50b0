#include "srf/srf_layout.hpp"

#include <algorithm>

namespace exp_slipv {

namespace {

std::vector<const SrfLayout*>& registry() {
    static std::vector<const SrfLayout*> list;
    return list;
}

}  // namespace

bool register_srf_layout(const SrfLayout& layout) {
    registry().push_back(&layout);
    return true;
}

std::vector<const SrfLayout*> srf_layouts() {
    std::vector<const SrfLayout*> list = registry();
    std::sort(list.begin(), list.end(), [](const SrfLayout* a, const SrfLayout* b) { return a->rank < b->rank; });
    return list;
}

const SrfLayout* find_srf_layout(std::string_view name) {
    for (const SrfLayout* layout : registry())
        if (layout->name == name) return layout;
    return nullptr;
}

}  // namespace exp_slipv
