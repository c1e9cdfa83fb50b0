// The solvers' SRF readers and what each makes of a file, from its rules:
// each lives in one file of solvers/ and registers itself.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "inspect/inspection.hpp"

namespace exp_slipv {

struct Verdict {
    enum class Kind { as_written, reads_but, cannot };
    Kind kind = Kind::as_written;
    std::vector<std::string> reasons;  // what changes what it computes, or why it cannot
    // A reason it cannot read the file outweighs what it would misread.
    void cannot(std::string why) {
        if (kind != Kind::cannot) reasons.clear();
        kind = Kind::cannot;
        reasons.push_back(std::move(why));
    }
    void but(std::string what) {
        if (kind == Kind::as_written) kind = Kind::reads_but;
        if (kind == Kind::reads_but) reasons.push_back(std::move(what));
    }
};

// "reads it as written", "reads it, but ...", "cannot read it".
std::string_view verdict_words(Verdict::Kind kind);

struct SolverReader {
    std::string_view name;   // "SW4"
    std::string_view input;  // how it is given the file: "rupture file="
    int rank = 0;            // its place in the lists
    Verdict (*judge)(const SrfFacts& facts) = nullptr;
};

bool register_solver_reader(const SolverReader& reader);
std::vector<const SolverReader*> solver_readers();  // in the order of their ranks

// Rules every reader shares: it takes the first line for the version, and
// reads as many points as a block declares (into the next block or past
// the end of the file where the block holds fewer; the ones beyond, not
// at all).
void judge_shared_rules(const SrfFacts& facts, Verdict& verdict);
// "3 points", "1 point"; with the finding's count and first line:
// "(3 points, the first at line 12)".
std::string count_of(std::uint64_t count, std::string_view unit);
std::string where(const SrfFacts& facts, Finding finding);

}  // namespace exp_slipv
