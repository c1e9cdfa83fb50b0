// The parameters of a run.  Without options a run uses the defaults below
// and writes the same two files every time; the command line may set the
// source (its shape and scale), the sampling (dt, nt), where the files go
// and the pause.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "export/export_format.hpp"
#include "source/shapes/brune.hpp"

namespace exp_slipv {

inline constexpr double default_dt = 0.01;          // sampling interval, s
inline constexpr std::int32_t default_nt = 8192;    // number of time samples, 2^13

inline constexpr double pai = 3.141592654;  // the program's value of pi, 10 digits
inline constexpr std::int32_t ind = -1;     // exponent sign of the transform
// The printed highest frequency divides by this literal, not by pai + pai.
inline constexpr double two_pi_literal = 6.283185307;

struct Parameters {
    double dt = default_dt;
    std::int32_t nt = default_nt;  // 2 to 2^24; the transform pads to a power of two
    // The pulse: by default the Brune pulse of tau = 1 s.
    std::shared_ptr<const Source> source = std::make_shared<const BruneSource>(default_tau);
    std::string output_dir;        // empty: the current directory
    bool pause = true;             // wait for a line of input at the end
    std::vector<std::string> exports;  // export format names, as given, each once
    Quantity quantity = Quantity::cumulative;
    bool report = false;  // the faithfulness report, on the console and in a file
    double fmax = 0.0;    // a target band, Hz; 0 for none
};

// The transform length of a run: the samples, padded with zeros to the next
// power of two.
std::int32_t transform_length(std::int32_t nt);

// I/O units.
inline constexpr int console_out = 6;
inline constexpr int slip_unit = 11;
inline constexpr int spectrum_unit = 12;
inline constexpr int report_unit = 13;
inline constexpr int first_export_unit = 21;  // the exports, in the order given

inline constexpr const char* slip_file_name = "Exp_Slip.csv";
inline constexpr const char* spectrum_file_name = "Exp_Amp.csv";
inline constexpr const char* report_file_name = "Exp_Report.json";

// The path of a file in the run's output directory, as the user gave it:
// "out" and "out/" both give "out/Exp_Slip.csv".
std::string output_path(const Parameters& parameters, std::string_view file_name);

// Exit status when the capacity guard stops the run.
inline constexpr int status_capacity_exceeded = 3;

}  // namespace exp_slipv
