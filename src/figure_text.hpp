// A figure of a report as the console shows it: seven significant digits.
#pragma once

#include <cstdio>
#include <string>

namespace exp_slipv {

inline std::string figure_text(double value) {
    char text[48];
    std::snprintf(text, sizeof text, "%.7g", value);
    return text;
}

}  // namespace exp_slipv
