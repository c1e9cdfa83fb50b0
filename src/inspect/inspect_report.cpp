#include "inspect/inspect_report.hpp"

#include <cmath>
#include <nlohmann/json.hpp>

#include "figure_text.hpp"

namespace exp_slipv {

namespace {


std::string layout_line(const SrfFacts& f) {
    std::string text = " Version " + (f.version.empty() ? std::string("1.0 (no version line)") : f.version);
    text += f.plane ? ", PLANE of " + std::to_string(f.plane_segments) + " segments at line " + std::to_string(f.plane_line)
                    : std::string(", no PLANE");
    return text + ", POINTS blocks = " + std::to_string(f.blocks);
}

// The PLANE block's segments; without one, the POINTS blocks, which
// writers give a segment each.
std::uint64_t segments(const SrfFacts& f) {
    return f.plane ? static_cast<std::uint64_t>(f.plane_segments) : f.blocks;
}

std::string finding_line(const std::string& file, Finding finding, const FindingRecord& r) {
    const FindingText& t = finding_text(finding);
    std::string text = "  " + file + ":" + std::to_string(r.lines.empty() ? 0 : r.lines.front()) + ": " + t.what;
    if (!r.detail.empty()) text += " (" + r.detail + ")";
    if (*t.unit != '\0') {
        text += "; " + count_of(r.count, t.unit);
        if (r.lines.size() > 1) {
            text += ", at lines";
            for (std::size_t i = 0; i < r.lines.size(); ++i) text += (i ? ", " : " ") + std::to_string(r.lines[i]);
            if (r.count > r.lines.size()) text += ", ...";
        }
    }
    return text;
}

}  // namespace

std::vector<std::string> inspect_console_lines(const InspectFigures& f) {
    std::vector<std::string> lines;
    const SrfFacts& s = f.facts;
    lines.push_back(layout_line(s));
    lines.push_back(" Points = " + std::to_string(s.points) + ", with slip = " + std::to_string(s.points_with_slip) +
                    ", segments = " + std::to_string(segments(s)));
    lines.push_back(" M0 (N m) = " + figure_text(f.moment.total_nm) + (s.eight_fields > 0 ? ", mu = " + figure_text(f.rigidity_pa) +
                                                                     " Pa where a point gives no VS and DEN"
                                                                   : std::string()));
    lines.push_back(" Mw = " + (f.moment.total_nm > 0.0 ? figure_text(f.mw) : std::string("none (no slip)")));
    if (s.points_with_slip > 0) {
        lines.push_back(" Duration (s) = " + figure_text(f.moment.end_s - f.moment.first_onset_s) + ", from " +
                        figure_text(f.moment.first_onset_s) + " to " + figure_text(f.moment.end_s));
        lines.push_back(" Centroid time (s) = " + figure_text(f.series.centroid_time_s));
        lines.push_back(" Peak moment rate (N m/s) = " + figure_text(f.series.peak_rate) + " at t (s) = " +
                        figure_text(f.series.peak_time_s));
    }
    lines.push_back("");
    if (s.findings.empty()) {
        lines.push_back(" Findings: none");
    } else {
        lines.push_back(" Findings:");
        for (std::size_t i = 0; i < finding_kinds; ++i) {
            const auto finding = static_cast<Finding>(i);
            if (s.findings.has(finding)) lines.push_back(finding_line(f.file, finding, s.findings.at(finding)));
        }
    }
    lines.push_back("");
    lines.push_back(" Readers:");
    for (const auto& [reader, verdict] : f.verdicts) {
        std::string text = "  " + std::string(reader->name) + " (" + std::string(reader->input) + "): " +
                           std::string(verdict_words(verdict.kind));
        if (verdict.reasons.size() == 1)
            text += (verdict.kind == Verdict::Kind::reads_but ? " " : ": ") + verdict.reasons.front();
        lines.push_back(text);
        if (verdict.reasons.size() > 1)
            for (const std::string& reason : verdict.reasons) lines.push_back("   - " + reason);
    }
    return lines;
}

std::string inspect_json(const InspectFigures& f) {
    using nlohmann::ordered_json;
    const SrfFacts& s = f.facts;
    ordered_json r;
    r["file"] = f.file;
    r["version"] = s.version.empty() ? ordered_json(nullptr) : ordered_json(s.version);
    r["plane_segments"] = s.plane ? ordered_json(s.plane_segments) : ordered_json(nullptr);
    r["plane_line"] = s.plane ? ordered_json(s.plane_line) : ordered_json(nullptr);
    r["points_blocks"] = s.blocks;
    r["segments"] = segments(s);
    r["points"] = s.points;
    r["points_with_slip"] = s.points_with_slip;
    r["rigidity_Pa_without_vs_den"] = f.rigidity_pa;
    r["moment_Nm"] = f.moment.total_nm;
    r["mw"] = f.moment.total_nm > 0.0 ? ordered_json(f.mw) : ordered_json(nullptr);
    r["first_onset_s"] = f.moment.first_onset_s;
    r["end_s"] = f.moment.end_s;
    r["duration_s"] = f.moment.end_s - f.moment.first_onset_s;
    r["moment_rate_dt_s"] = f.dt;
    r["centroid_time_s"] = f.series.centroid_time_s;
    r["peak_moment_rate_Nm_per_s"] = f.series.peak_rate;
    r["peak_time_s"] = f.series.peak_time_s;
    ordered_json findings = ordered_json::array();
    for (std::size_t i = 0; i < finding_kinds; ++i) {
        const auto finding = static_cast<Finding>(i);
        if (!s.findings.has(finding)) continue;
        const FindingRecord& record = s.findings.at(finding);
        const FindingText& t = finding_text(finding);
        ordered_json item;
        item["finding"] = t.key;
        item["what"] = t.what;
        item["count"] = record.count;
        item["counts"] = *t.unit ? t.unit : "file";
        item["lines"] = record.lines;
        if (!record.detail.empty()) item["detail"] = record.detail;
        findings.push_back(item);
    }
    r["findings"] = findings;
    ordered_json readers = ordered_json::array();
    for (const auto& [reader, verdict] : f.verdicts)
        readers.push_back({{"reader", reader->name},
                           {"input", reader->input},
                           {"verdict", verdict_words(verdict.kind)},
                           {"reasons", verdict.reasons}});
    r["readers"] = readers;
    ordered_json root;
    root["srf"] = r;
    return root.dump(2) + "\n";
}

}  // namespace exp_slipv
