// Texts the console report and the report file share.
#pragma once

#include <cmath>
#include <string>
#include <string_view>

namespace exp_slipv {

inline constexpr std::string_view judged_floor_text =
    "Relative figures judge the bins where the closed form is at least 1e-12 of its peak";

// Why a ratio at a bin below the floor is not given: below the floor, or
// not a finite number at all (the closed form is 0 there).
enum class UnjudgedRatio { below_floor, infinite, not_a_number };

inline UnjudgedRatio unjudged_ratio(double ratio) {
    if (std::isnan(ratio)) return UnjudgedRatio::not_a_number;
    if (std::isinf(ratio)) return UnjudgedRatio::infinite;
    return UnjudgedRatio::below_floor;
}

// The JSON's word for it.
inline std::string_view unjudged_ratio_key(double ratio) {
    switch (unjudged_ratio(ratio)) {
        case UnjudgedRatio::not_a_number: return "not_a_number";
        case UnjudgedRatio::infinite: return "infinite";
        case UnjudgedRatio::below_floor: break;
    }
    return "below_floor";
}

// The console's words for it.
inline std::string unjudged_ratio_text(double ratio) {
    switch (unjudged_ratio(ratio)) {
        case UnjudgedRatio::not_a_number: return "not a number, both spectra are 0 there (null in the report file)";
        case UnjudgedRatio::infinite: return "infinite, the closed form is 0 there (null in the report file)";
        case UnjudgedRatio::below_floor: break;
    }
    return "the closed form there is below the floor (null in the report file)";
}

}  // namespace exp_slipv
