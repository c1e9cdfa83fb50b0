// The SRF layouts the rupture mode writes: one per reader, since no single
// layout is read correctly by every solver.  Each lives in one file of
// layouts/ and registers itself; --export and the help ask the registry.
#pragma once

#include <string_view>
#include <vector>

namespace exp_slipv {

struct SrfLayout {
    std::string_view name;       // as --export takes it: "srf-sw4"
    std::string_view file_name;  // "Exp_Rupture_sw4.srf"
    std::string_view reader;     // who reads it, for the transcript and help
    int rank = 0;                // its place in the help
    bool version_2 = true;       // "2.0" with VS and DEN on each point; else "1.0", 8 fields
    bool plane = true;           // a PLANE block
    bool provenance = false;     // '#' lines after the version: the command line and the program
    bool block_per_segment = false;  // a POINTS block per segment, else one for all points
};

bool register_srf_layout(const SrfLayout& layout);
std::vector<const SrfLayout*> srf_layouts();  // in the order of their ranks
const SrfLayout* find_srf_layout(std::string_view name);

}  // namespace exp_slipv
