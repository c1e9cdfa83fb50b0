#include "model/header_fields.hpp"

#include <cctype>
#include <cmath>
#include <cstdlib>

namespace exp_slipv {

std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> list;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
        if (i > start) list.push_back(line.substr(start, i - start));
    }
    return list;
}

std::string normal_key(std::string_view key) {
    std::string text;
    for (char c : key) {
        if (c == '(') break;
        if (c == ':' || c == '%' || c == '#') continue;
        text += c == '-' ? '_' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

std::vector<HeaderField> header_fields(std::string_view line) {
    // Each '=' with the word before it and the word after it.
    std::vector<HeaderField> fields;
    std::size_t at = 0;
    while ((at = line.find('=', at)) != std::string_view::npos) {
        std::size_t key_end = at;
        while (key_end > 0 && (line[key_end - 1] == ' ' || line[key_end - 1] == '\t')) --key_end;
        std::size_t key_start = key_end;
        while (key_start > 0 && line[key_start - 1] != ' ' && line[key_start - 1] != '\t' && line[key_start - 1] != '=') --key_start;
        std::size_t value_start = at + 1;
        while (value_start < line.size() && (line[value_start] == ' ' || line[value_start] == '\t')) ++value_start;
        std::size_t value_end = value_start;
        while (value_end < line.size() && line[value_end] != ' ' && line[value_end] != '\t' && line[value_end] != '=') ++value_end;
        fields.push_back({normal_key(line.substr(key_start, key_end - key_start)), std::string(line.substr(value_start, value_end - value_start))});
        at += 1;
    }
    return fields;
}

std::optional<std::string> field_value(const std::vector<HeaderField>& fields, std::string_view key) {
    for (const HeaderField& f : fields)
        if (f.key == key) return f.value;
    return std::nullopt;
}

std::optional<double> leading_number(std::string_view text) {
    std::size_t i = 0;
    const auto digits = [&] {
        const std::size_t start = i;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i;
        return i - start;
    };
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t mantissa = digits();
    if (i < text.size() && text[i] == '.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0) return std::nullopt;
    std::size_t end = i;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        if (digits() > 0) end = i;
    }
    const std::string copy(text.substr(0, end));
    const double value = std::strtod(copy.c_str(), nullptr);
    if (!std::isfinite(value)) return std::nullopt;
    return value;
}

}  // namespace exp_slipv
