#include "support/csv_records.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>

namespace testing_support {

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator)) parts.push_back(part);
    return parts;
}

std::vector<std::vector<std::string>> records(const std::string& file) {
    std::vector<std::vector<std::string>> rows;
    const std::vector<std::string> lines = split(file, '\n');
    for (std::size_t i = 1; i < lines.size(); ++i) rows.push_back(split(lines[i], ','));
    return rows;
}

double number(const std::string& field) {
    std::string text = field.substr(field.find_first_not_of(' '));
    const std::size_t sign = text.find_last_of("+-");
    if (sign != std::string::npos && sign > 0 && text[sign - 1] != 'E') text.insert(sign, "E");
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    EXPECT_EQ(*end, '\0') << "not a number: '" << field << "'";
    return value;
}

double half_unit(const std::string& field) {
    const std::size_t point = field.find('.');
    const std::size_t e = field.find_first_of("E+-", point);
    if (e == std::string::npos) return 0.5 * std::pow(10.0, -static_cast<double>(field.size() - point - 1));
    const int digits = static_cast<int>(e - point - 1);
    const int exponent = std::atoi(field.substr(field[e] == 'E' ? e + 1 : e).c_str());  // "+01", "-119"
    return 0.5 * std::pow(10.0, exponent - digits);
}

int significant_digits(const std::string& field) {
    const std::size_t end = field.find_first_of("E+-", field.find('.'));
    const std::string mantissa = field.substr(0, end);
    const std::size_t first = mantissa.find_first_of("123456789");
    if (first == std::string::npos) return 0;
    int count = 0;
    for (std::size_t i = first; i < mantissa.size(); ++i) count += mantissa[i] >= '0' && mantissa[i] <= '9';
    return count;
}

}  // namespace testing_support
