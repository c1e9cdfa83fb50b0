#include "inspect/solver_reader.hpp"

#include <algorithm>

namespace exp_slipv {

namespace {

std::vector<const SolverReader*>& registry() {
    static std::vector<const SolverReader*> list;
    return list;
}

}  // namespace

std::string_view verdict_words(Verdict::Kind kind) {
    switch (kind) {
        case Verdict::Kind::as_written: return "reads it as written";
        case Verdict::Kind::reads_but: return "reads it, but";
        case Verdict::Kind::cannot: return "cannot read it";
    }
    return "";
}

bool register_solver_reader(const SolverReader& reader) {
    registry().push_back(&reader);
    return true;
}

std::vector<const SolverReader*> solver_readers() {
    std::vector<const SolverReader*> list = registry();
    std::sort(list.begin(), list.end(), [](const SolverReader* a, const SolverReader* b) { return a->rank < b->rank; });
    return list;
}

std::string count_of(std::uint64_t count, std::string_view unit) {
    std::string text = std::to_string(count) + " " + std::string(unit);
    if (count == 1 && text.back() == 's') text.pop_back();
    return text;
}

std::string where(const SrfFacts& facts, Finding finding) {
    const FindingRecord& r = facts.findings.at(finding);
    std::string text = "(" + count_of(r.count, finding_text(finding).unit);
    if (!r.lines.empty()) text += (r.count == 1 ? ", at line " : ", the first at line ") + std::to_string(r.lines.front());
    return text + ")";
}

void judge_shared_rules(const SrfFacts& facts, Verdict& verdict) {
    if (facts.findings.has(Finding::no_version))
        verdict.cannot("no version line: the first line is taken for the version");
    if (facts.short_blocks > 0)
        verdict.cannot("a block declares more points than it holds: the reader runs on into what follows (" +
                       count_of(facts.short_blocks, "blocks") + ")");
    if (facts.points_beyond_declared > 0)
        verdict.but("the points beyond the declared counts are not read (" +
                    count_of(facts.points_beyond_declared, "points") + ")");
}

}  // namespace exp_slipv
