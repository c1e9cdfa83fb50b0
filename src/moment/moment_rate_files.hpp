// The moment-rate function and its spectrum as CSV files, each written whole
// into a temporary file that replaces the named one when complete.
#pragma once

#include <string>

#include "moment/moment_series.hpp"

namespace exp_slipv {

inline constexpr const char* moment_rate_file_name = "Exp_MomentRate.csv";
inline constexpr const char* moment_spectrum_file_name = "Exp_MomentRate_Amp.csv";

// time_s,moment_rate_Nm_per_s,moment_Nm
void write_moment_rate_file(int unit, const std::string& path, const MomentRate& rate);
// frequency_hz,sampled_Nm,closed_form_Nm; without a closed form
// frequency_hz,sampled_Nm_no_closed_form, so that the header says which.
void write_moment_spectrum_file(int unit, const std::string& path, const MomentSpectrum& spectrum);

}  // namespace exp_slipv
