// What the inspection tells: the figures, the findings and each reader's
// verdict, on the console and, with --report, in the "srf" section of the
// report file.
#pragma once

#include <string>
#include <vector>

#include "inspect/inspection.hpp"
#include "inspect/solver_reader.hpp"
#include "moment/moment_series.hpp"

namespace exp_slipv {

struct InspectFigures {
    std::string file;
    double rigidity_pa = 0.0;
    SrfFacts facts;
    SrfMoment moment;
    double mw = 0.0;
    double dt = 0.0;  // of the moment rate
    SeriesFigures series;
    std::vector<std::pair<const SolverReader*, Verdict>> verdicts;
};

std::vector<std::string> inspect_console_lines(const InspectFigures& figures);
std::string inspect_json(const InspectFigures& figures);

}  // namespace exp_slipv
