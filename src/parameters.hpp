// The fixed parameters of the run.  Nothing is read from the command line,
// the environment or a file: every run writes the same two files.
#pragma once

#include <cstdint>

namespace exp_slipv {

inline constexpr double dt = 0.01;          // sampling interval, s
inline constexpr std::int32_t nt = 8192;    // number of time samples, 2^13
inline constexpr double tau = 1.0;          // time constant of the slip velocity, s
inline constexpr double pai = 3.141592654;  // the program's value of pi, 10 digits
inline constexpr std::int32_t mom = 16400;  // capacity of each working array
inline constexpr std::int32_t ind = -1;     // exponent sign of the transform
// The printed highest frequency divides by this literal, not by pai + pai.
inline constexpr double two_pi_literal = 6.283185307;

// I/O units.
inline constexpr int console_out = 6;
inline constexpr int slip_unit = 11;
inline constexpr int spectrum_unit = 12;

inline constexpr const char* slip_file_name = "Exp_Slip.csv";
inline constexpr const char* spectrum_file_name = "Exp_Amp.csv";

// Exit status when the capacity guard stops the run.
inline constexpr int status_capacity_exceeded = 3;

}  // namespace exp_slipv
