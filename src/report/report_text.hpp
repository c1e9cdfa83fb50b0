// Texts the console report and the report file share.
#pragma once

#include <cmath>
#include <string_view>

namespace exp_slipv {

inline constexpr std::string_view judged_floor_text =
    "Relative figures judge the bins where the closed form is at least 1e-12 of its peak";

// Why a ratio at a bin below the floor is not given: below the floor, or
// not a finite number at all (the closed form is 0 there); the JSON's word
// for it and the console's words.
struct UnjudgedRatio {
    std::string_view key;
    std::string_view text;
};

inline UnjudgedRatio unjudged_ratio(double ratio) {
    if (std::isnan(ratio)) return {"not_a_number", "not a number, both spectra are 0 there (null in the report file)"};
    if (std::isinf(ratio)) return {"infinite", "infinite, the closed form is 0 there (null in the report file)"};
    return {"below_floor", "the closed form there is below the floor (null in the report file)"};
}

}  // namespace exp_slipv
