#include "export/export_format.hpp"

#include <algorithm>

namespace exp_slipv {

namespace {

// Constructed on first use: formats register from other files' static
// initialisers, in no set order.
std::vector<const ExportFormat*>& registry() {
    static std::vector<const ExportFormat*> formats;
    return formats;
}

}  // namespace

bool register_export_format(const ExportFormat& format) {
    registry().push_back(&format);
    return true;
}

std::vector<const ExportFormat*> export_formats() {
    std::vector<const ExportFormat*> formats = registry();
    std::sort(formats.begin(), formats.end(), [](const ExportFormat* a, const ExportFormat* b) { return a->rank() < b->rank(); });
    return formats;
}

const ExportFormat* find_export_format(std::string_view name) {
    for (const ExportFormat* format : registry())
        if (format->name() == name) return format;
    return nullptr;
}

}  // namespace exp_slipv
