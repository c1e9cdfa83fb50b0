// The "KEY = value" fields of a header line, as published model formats
// write them: "% Loc  : LAT = 34.2 LON = -118.5", "Dx= 20.00km",
// "nx(Along-strike)=  21".  Keys compare without case, '-' as '_', and
// without a parenthesised remark.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace exp_slipv {

struct HeaderField {
    std::string key;    // "LAT", "S_VEL", "NX"
    std::string value;  // the text after '=', up to a blank: "34.2", "20.00km"
};

std::vector<HeaderField> header_fields(std::string_view line);

// The value of the first field with the key, or nothing.
std::optional<std::string> field_value(const std::vector<HeaderField>& fields, std::string_view key);

// A number as published files write it: sign, digits, point, exponent of
// any length ("1.82e+020"), and a unit glued on after ("20.00km"), which is
// dropped; nothing when the text starts with no number.
std::optional<double> leading_number(std::string_view text);

// The words of a line split at blanks and tabs.
std::vector<std::string_view> words(std::string_view line);

// "Hypz" and "HypZ", "S-VEL" and "S_VEL": upper case, '-' as '_'.
std::string normal_key(std::string_view key);

}  // namespace exp_slipv
