// What the command lines of every mode share: the shapes' options in
// getopt_long's table, the reports of an option that cannot be used, the
// source made from --shape and its options, and the help's entries.
#pragma once

#include <getopt.h>

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "option_values.hpp"
#include "source/shape.hpp"

namespace exp_slipv {

// Every option some shape takes, each once, in the order of the shapes.
const std::vector<std::string>& shape_option_names();

// The fixed options, then the shapes' with ids from first_shape_id in the
// order of shape_option_names(), then the end mark.
std::vector<option> with_shape_options(std::span<const option> fixed, int first_shape_id);
const option* find_option(const option* table, int id);

// "invalid value 'V' for --NAME: REASON".
std::string refused(const char* name, std::string_view value, const std::string& reason);
// The report of what getopt_long returned as '?' or ':'.
std::string unusable_option(int code, char** argv, const option* table);

// "brune, smoothed-brune, ...".
std::string shape_names();
// The source of the shape for the given values; every value must be one the
// shape takes.
MadeSource make_source(const Shape& shape, const ShapeValues& values);
// --threads: a whole number from 1 to max_thread_option.
inline constexpr int max_thread_option = 64;
Checked<int> thread_option(std::string_view text);
// --rigidity: Pa, from min_rigidity_pa to max_rigidity_pa.
inline constexpr double min_rigidity_pa = 1e5;
inline constexpr double max_rigidity_pa = 1e13;
inline constexpr double default_rigidity_pa = 3.0e10;
Checked<double> rigidity_option(std::string_view text);

// Why dir cannot take the output files, or empty.
std::string directory_problem(const std::string& dir);

// "      --NAME=VALUE" and the text from the help's second column.
std::string help_entry(const std::string& left, const std::string& text);
// Each shape with its options.
std::string shape_help();

}  // namespace exp_slipv
