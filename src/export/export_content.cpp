#include "export/export_content.hpp"

#include <algorithm>

namespace exp_slipv {

ExportContent export_content(const StfSeries& series) {
    ExportContent content;
    double rate_sum = 0.0, previous_slip = 0.0;
    for (std::int64_t k = 0; k < series.samples; ++k) {
        const double t = series.time(k);
        rate_sum += series.source.velocity(t);
        const double slip = series.source.slip(t);
        if (k > 0) content.largest_step = std::max(content.largest_step, slip - previous_slip);
        previous_slip = slip;
    }
    content.rate_area = rate_sum * series.dt;
    content.last_value = series.samples > 0 ? series.value(series.samples - 1) : 0.0;
    return content;
}

std::string_view quantity_description(Quantity quantity) {
    return quantity == Quantity::cumulative ? "cumulative slip" : "slip rate";
}

}  // namespace exp_slipv
