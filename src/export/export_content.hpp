// What an export holds, as a solver that reads it sees it: the slip the
// samples carry, which a pulse too short for dt or a record too short for the
// pulse leaves far from the unit slip.
#pragma once

#include "export/export_format.hpp"

namespace exp_slipv {

struct ExportContent {
    double rate_area = 0.0;    // dt times the sum of the exported slip-rate samples
    double last_value = 0.0;   // the last sample of the exported quantity
    double largest_step = 0.0; // cumulative: the largest rise between two samples
};

ExportContent export_content(const StfSeries& series);

// "cumulative slip" or "slip rate", as the transcript and the report name it.
std::string_view quantity_description(Quantity quantity);

}  // namespace exp_slipv
