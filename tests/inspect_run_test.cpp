// The inspector end to end, as a user runs it: SRF files written here by
// hand (one for each finding and each reader's failure) or by the rupture
// mode, the program run on them in a temporary directory, and what it
// prints and writes checked against values worked out here.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <complex>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <numbers>
#include <string>
#include <string_view>
#include <vector>

#include "support/child.hpp"
#include "support/csv_records.hpp"
#include "support/temp_dir.hpp"

namespace {

using nlohmann::json;
using testing_support::ChildOptions;
using testing_support::Outcome;
using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;
using L = long double;
constexpr int timeout_ms = 120000;

Outcome inspect(const std::string& dir, std::vector<std::string> args, ChildOptions options = {}) {
    args.insert(args.begin(), "inspect");
    return testing_support::run_without_pause(dir, args, options, timeout_ms);
}

Outcome rupture(const std::string& dir, std::vector<std::string> args) {
    args.insert(args.begin(), "rupture");
    return testing_support::run_without_pause(dir, args, {}, timeout_ms);
}

double value(const std::string& field) {
    char* end = nullptr;
    const double v = std::strtod(field.c_str(), &end);
    EXPECT_TRUE(!field.empty() && *end == '\0') << "not a number: '" << field << "'";
    return v;
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

// For SW4: 2.0, PLANE on line 2, one block.  mu = VS^2 DEN = 2.43e10 Pa,
// AREA 1e6 m^2, slips 1 m and 0.5 m: M0 = 3.645e16 N m.
const std::string sw4_srf =
    "2.0\n"
    "PLANE 1\n"
    "-117.0000 34.0000 2 1 2.00 1.00\n"
    "90 60 0.00 0.00 0.50\n"
    "POINTS 2\n"
    "-117.0050 34.0000 0.5000 90 60 1.0000e+10 0.0000 0.1000 300000 2.7\n"  // 6
    "180 100 4 0 0 0 0\n"
    "0 500 500 0\n"
    "-116.9950 34.0000 0.5000 90 60 1.0000e+10 0.2000 0.1000 300000 2.7\n"  // 9
    "180 50 4 0 0 0 0\n"
    "0 250 250 0\n";

// For SeisSol and Instaseis: 1.0, no PLANE, one block; mu 3e10 Pa from
// the option's default: M0 = 4.5e16 N m.
const std::string v1_srf =
    "1.0\n"
    "POINTS 2\n"
    "-117.0050 34.0000 0.5000 90 60 1.0000e+10 0.0000 0.1000\n"  // 3
    "180 100 4 0 0 0 0\n"
    "0 500 500 0\n"
    "-116.9950 34.0000 0.5000 90 60 1.0000e+10 0.2000 0.1000\n"  // 6
    "180 50 4 0 0 0 0\n"
    "0 250 250 0\n";

const std::string first_point_v1 =
    "-117.0050 34.0000 0.5000 90 60 1.0000e+10 0.0000 0.1000\n180 100 4 0 0 0 0\n0 500 500 0\n";
const std::string second_point_v1 =
    "-116.9950 34.0000 0.5000 90 60 1.0000e+10 0.2000 0.1000\n180 50 4 0 0 0 0\n0 250 250 0\n";

json report_of(const std::string& dir) { return json::parse(read_file(dir + "/Exp_Report.json")).at("srf"); }

std::map<std::string, std::pair<std::uint64_t, std::int64_t>> findings_of(const json& srf) {
    std::map<std::string, std::pair<std::uint64_t, std::int64_t>> found;
    for (const json& f : srf.at("findings"))
        found[f.at("finding").get<std::string>()] = {f.at("count").get<std::uint64_t>(), f.at("lines").at(0).get<std::int64_t>()};
    return found;
}

std::vector<std::string> verdicts_of(const json& srf) {
    std::vector<std::string> v;
    for (const json& r : srf.at("readers")) v.push_back(r.at("verdict").get<std::string>());
    return v;
}

const std::string as = "reads it as written", but = "reads it, but", cannot = "cannot read it";

struct Case {
    const char* name;
    std::string srf;
    std::map<std::string, std::pair<std::uint64_t, std::int64_t>> findings;  // key: count, first line
    std::vector<std::string> verdicts;  // SW4, SeisSol, Instaseis
};

// Each finding, and each reader's rule, on a file that shows it alone.
TEST(Inspect, FindingsAndVerdicts) {
    const std::vector<Case> cases = {
        {"SW4's layout", sw4_srf, {}, {as, cannot, cannot}},
        {"1.0 without PLANE", v1_srf, {}, {cannot, as, as}},
        {"blanks at line ends", replaced(replaced(sw4_srf, "0 500 500 0\n", "0 500 500 0 \n"), "0 250 250 0\n", "0 250 250 0\t\n"),
         {{"blank_at_line_end", {2, 8}}}, {but, cannot, cannot}},
        {"a long line", replaced(sw4_srf, "-117.0000 34.0000 2", "-117.0000" + std::string(1100, ' ') + "34.0000 2"),
         {{"long_line", {1, 3}}}, {but, cannot, cannot}},
        {"a line of 1023 characters", replaced(sw4_srf, "-117.0000 34.0000 2", "-117.0000" + std::string(1023 - 31, ' ') + "34.0000 2"),
         {}, {as, cannot, cannot}},
        {"all-zero samples with slip", replaced(sw4_srf, "0 500 500 0\n", "0 0 0 0\n"), {{"zero_samples_with_slip", {1, 6}}},
         {but, cannot, cannot}},
        {"all-zero samples with slip, 1.0", replaced(v1_srf, "0 500 500 0\n", "0 0 0 0\n"), {{"zero_samples_with_slip", {1, 3}}},
         {cannot, but, as}},
        {"all-zero samples without slip", replaced(replaced(sw4_srf, "180 100 4", "180 0 4"), "0 500 500 0\n", "0 0 0 0\n"),
         {{"zero_samples_without_slip", {1, 6}}}, {but, cannot, cannot}},
        {"slip without samples", replaced(replaced(v1_srf, "180 100 4", "180 100 0"), "0 500 500 0\n", ""),
         {{"slip_without_samples", {1, 3}}}, {cannot, but, as}},
        {"a leading 0", replaced(sw4_srf, "180 100 4 0", "180 100 04 0"), {{"leading_zero", {1, 7}}}, {but, cannot, cannot}},
        {"comment lines", replaced(sw4_srf, "2.0\n", "2.0\n# made by hand\n"), {{"comment_lines", {1, 2}}},
         {cannot, cannot, cannot}},
        {"a comment after the PLANE block", replaced(sw4_srf, "POINTS 2\n", "# the points\nPOINTS 2\n"), {{"comment_lines", {1, 5}}},
         {cannot, cannot, cannot}},
        {"comment lines, 1.0", replaced(v1_srf, "1.0\n", "1.0\n  # made by hand\n"), {{"comment_lines", {1, 2}}}, {cannot, as, as}},
        {"two blocks", "1.0\nPOINTS 1\n" + first_point_v1 + "POINTS 1\n" + second_point_v1, {}, {cannot, as, but}},
        {"two blocks for SW4", replaced(replaced(sw4_srf, "POINTS 2", "POINTS 1"), "0 500 500 0\n", "0 500 500 0\nPOINTS 1\n"), {},
         {but, cannot, cannot}},
        {"a block declaring more than it holds", replaced(sw4_srf, "0 500 500 0\n", "0 500 500 0\nPOINTS 1\n"),
         {{"point_count", {1, 5}}}, {cannot, cannot, cannot}},
        {"normalised samples", replaced(v1_srf, "0 500 500 0\n", "0 5 5 0\n"), {{"normalised_samples", {1, 3}}}, {cannot, but, as}},
        {"samples that are not the slip", replaced(v1_srf, "0 500 500 0\n", "0 400 500 0\n"), {{"samples_not_slip", {1, 3}}},
         {cannot, but, as}},
        {"declared 1, a second record truncated", replaced(v1_srf, "POINTS 2", "POINTS 1").substr(0, v1_srf.size() - 30),
         {{"truncated_record", {1, 6}}}, {cannot, but, but}},
        {"declared 1, two records", replaced(v1_srf, "POINTS 2", "POINTS 1"), {{"point_count", {1, 2}}}, {cannot, but, but}},
        {"declared 3, two records", replaced(v1_srf, "POINTS 2", "POINTS 3"), {{"point_count", {1, 2}}},
         {cannot, cannot, cannot}},
        {"no version line", v1_srf.substr(4), {{"no_version", {1, 1}}}, {cannot, cannot, cannot}},
        {"u2", replaced(v1_srf, "180 100 4 0 0 0 0\n0 500 500 0\n", "180 100 4 10 4 0 0\n0 500 500 0\n0 50 50 0\n"),
         {{"u2_used", {1, 3}}}, {cannot, as, but}},
        {"u3", replaced(v1_srf, "180 100 4 0 0 0 0\n0 500 500 0\n", "180 100 4 0 0 10 4\n0 500 500 0\n0 50 50 0\n"),
         {{"u3_used", {1, 3}}}, {cannot, as, cannot}},
        {"2.0 with 8 fields", replaced(v1_srf, "1.0\n", "2.0\n"), {{"fields_not_version", {2, 3}}}, {cannot, cannot, as}},
        {"1.0 with 10 fields", replaced(sw4_srf, "2.0\n", "1.0\n"), {{"fields_not_version", {2, 6}}}, {as, cannot, cannot}},
        {"several DT", replaced(replaced(v1_srf, "0.2000 0.1000\n", "0.2000 0.0500\n"), "0 250 250 0\n", "0 500 500 0\n"),
         {{"several_dt", {1, 6}}}, {cannot, as, as}},
        {"a first sample not 0", replaced(v1_srf, "0 500 500 0\n", "100 400 500 0\n"), {{"first_sample_not_zero", {1, 3}}},
         {cannot, as, as}},
        {"negative rates, a last sample not 0", replaced(v1_srf, "0 500 500 0\n", "0 600 500 -100\n"),
         {{"negative_rates", {1, 3}}, {"last_sample_not_zero", {1, 3}}}, {cannot, as, as}},
        {"no VS and DEN", replaced(sw4_srf, "0.1000 300000 2.7\n180 100", "0.1000 0 0\n180 100"), {{"rigidity_assumed", {1, 6}}},
         {as, cannot, cannot}},
        {"version 3.0", replaced(v1_srf, "1.0\n", "3.0\n"), {{"other_version", {1, 1}}}, {cannot, as, as}},
        // What a careful reader takes: samples over lines, tabs, E
        // exponents, CRLF, blanks at line starts.
        {"lenient text", replaced(replaced(v1_srf, "0 500 500 0\n", "0\t5.0E+02\r\n  500\r\n0\r\n"), "180 50 4 0 0 0 0\n0 250 250 0\n",
                                  "180 50\n4 0 0 0 0 0 2.5e2 250 0\n"),
         {}, {cannot, as, as}},
    };
    for (const Case& c : cases) {
        TempDir dir;
        write_file(dir.file("f.srf"), c.srf);
        const Outcome result = inspect(dir.path(), {"--report", "f.srf"});
        ASSERT_EQ(result.status, 0) << c.name << ": " << result.err;
        EXPECT_EQ(result.err, "") << c.name;
        const json srf = report_of(dir.path());
        EXPECT_EQ(findings_of(srf), c.findings) << c.name << "\n" << result.out;
        EXPECT_EQ(verdicts_of(srf), c.verdicts) << c.name << "\n" << result.out;
        // The console says the same.
        for (const auto& [key, where] : c.findings)
            EXPECT_NE(result.out.find("  f.srf:" + std::to_string(where.second) + ": "), std::string::npos) << c.name << result.out;
        if (c.findings.empty()) {
            EXPECT_NE(result.out.find("\n Findings: none\n"), std::string::npos) << c.name;
        }
    }
}

// A reader that cannot read a file names only why, not what it would
// misread as well.
TEST(Inspect, ACannotNamesOnlyWhy) {
    TempDir dir;
    // No PLANE (SW4 cannot), and a point beyond the declared count.
    write_file(dir.file("f.srf"), replaced(v1_srf, "POINTS 2", "POINTS 1"));
    ASSERT_EQ(inspect(dir.path(), {"--report", "f.srf"}).status, 0);
    const json sw4 = report_of(dir.path()).at("readers").at(0);
    EXPECT_EQ(sw4.at("verdict"), cannot);
    EXPECT_EQ(sw4.at("reasons"), json::parse(R"(["it needs a PLANE block on line 2; the file has none"])"));
}

// M0 from SLIP, mu from VS and DEN or the option; Mw by its definition.
TEST(Inspect, TheMomentByHand) {
    const struct {
        std::string srf;
        std::vector<std::string> args;
        double m0;
    } cases[] = {
        {sw4_srf, {}, 2.43e10 * 1e6 * 1.5},
        {v1_srf, {}, 3e10 * 1e6 * 1.5},
        {v1_srf, {"--rigidity=3.2e10"}, 3.2e10 * 1e6 * 1.5},
        // u2 adds as a vector: |(100, 10)| cm.
        {replaced(v1_srf, "180 100 4 0 0 0 0\n0 500 500 0\n", "180 100 4 10 4 0 0\n0 500 500 0\n0 50 50 0\n"), {},
         3e10 * 1e6 * (std::hypot(1.0, 0.1) + 0.5)},
    };
    for (const auto& c : cases) {
        TempDir dir;
        write_file(dir.file("f.srf"), c.srf);
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--report", "f.srf"});
        const Outcome result = inspect(dir.path(), args);
        ASSERT_EQ(result.status, 0) << result.err;
        const json srf = report_of(dir.path());
        EXPECT_NEAR(srf.at("moment_Nm").get<double>(), c.m0, 1e-12 * c.m0);
        EXPECT_NEAR(srf.at("mw").get<double>(), 2.0 / 3.0 * (std::log10(c.m0) - 9.1), 1e-12);
        EXPECT_EQ(srf.at("points").get<int>(), 2);
        EXPECT_EQ(srf.at("points_with_slip").get<int>(), 2);
        EXPECT_DOUBLE_EQ(srf.at("duration_s").get<double>(), 0.5);  // 0 to 0.2 + 3 DT
    }
}

// The moment rate: each point's samples at TINIT + k DT joined by straight
// lines, on the grid of the first point's DT, and its exact integral; the
// spectrum a DFT of those rows.  Worked out here in long double.
TEST(Inspect, TheMomentRateByInterpolation) {
    struct P {
        L tinit, dt;
        std::vector<L> s;
    };
    const std::vector<P> points = {{0.013L, 0.02L, {0, 3, 7, 2, 0}}, {0.05L, 0.03L, {0, 1, 4, 0}}};
    // SLIP = DT sum: 0.24 and 0.15 cm.
    const std::string srf =
        "1.0\nPOINTS 2\n"
        "0 0 1 90 90 1e10 0.013 0.02\n0 0.24 5 0 0 0 0\n0 3 7 2 0\n"
        "0 0 1 90 90 1e10 0.05 0.03\n0 0.15 4 0 0 0 0\n0 1 4 0\n";
    TempDir dir;
    write_file(dir.file("f.srf"), srf);
    const Outcome result = inspect(dir.path(), {"--report", "f.srf"});
    ASSERT_EQ(result.status, 0) << result.err;
    const L factor = 3e10L * 1e6L * 0.01L;  // N m/s per cm/s
    const auto rate_at = [&](L t) {
        L total = 0;
        for (const P& p : points) {
            const L u = (t - p.tinit) / p.dt;
            if (u < 0 || u > p.s.size() - 1) continue;
            const std::size_t k = std::min<std::size_t>(static_cast<std::size_t>(u), p.s.size() - 2);
            total += factor * (p.s[k] + (u - k) * (p.s[k + 1] - p.s[k]));
        }
        return total;
    };
    const auto moment_at = [&](L t) {
        L total = 0;
        for (const P& p : points)
            for (std::size_t k = 0; k + 1 < p.s.size(); ++k) {
                const L a = p.tinit + k * p.dt, b = a + p.dt;
                if (t <= a) break;
                const L e = std::min(t, b), w = e - a;
                total += factor * (p.s[k] * w + (p.s[k + 1] - p.s[k]) * w * w / (2 * p.dt));
            }
        return total;
    };
    const auto rows = testing_support::records(read_file(dir.file("Exp_MomentRate.csv")));
    // From 0 to one sample past the last end, 0.14 s.
    ASSERT_EQ(rows.size(), 9u);
    const L peak = 7 * factor;
    for (std::size_t j = 0; j < rows.size(); ++j) {
        const L t = j * 0.02L;
        EXPECT_NEAR(value(rows[j][0]), static_cast<double>(t), 1e-15);
        EXPECT_NEAR(value(rows[j][1]), static_cast<double>(rate_at(t)), 1e-9 * static_cast<double>(peak)) << j;
        EXPECT_NEAR(value(rows[j][2]), static_cast<double>(moment_at(t)), 1e-9 * static_cast<double>(moment_at(1))) << j;
    }
    EXPECT_NEAR(value(rows.back()[2]), 3e10 * 1e6 * 0.01 * (0.24 + 0.15), 1e-9 * 3e10 * 1e6 * 0.01 * 0.39);

    const json r = report_of(dir.path());
    L weighted = 0, sum = 0, best = 0, best_t = 0;
    for (std::size_t j = 0; j < rows.size(); ++j) {
        const L v = value(rows[j][1]), t = j * 0.02L;
        weighted += t * v;
        sum += v;
        if (v > best) best = v, best_t = t;
    }
    EXPECT_NEAR(r.at("centroid_time_s").get<double>(), static_cast<double>(weighted / sum), 1e-9);
    EXPECT_NEAR(r.at("peak_moment_rate_Nm_per_s").get<double>(), static_cast<double>(best), 1e-9 * static_cast<double>(best));
    EXPECT_NEAR(r.at("peak_time_s").get<double>(), static_cast<double>(best_t), 1e-12);

    // The spectrum: 16 bins of zero padding, bins 0 .. 8; no closed form.
    const std::string amp = read_file(dir.file("Exp_MomentRate_Amp.csv"));
    ASSERT_EQ(amp.rfind("frequency_hz,sampled_Nm_no_closed_form\n", 0), 0u) << amp;
    const auto bins = testing_support::records(amp);
    ASSERT_EQ(bins.size(), 9u);
    for (std::size_t b = 0; b < bins.size(); ++b) {
        ASSERT_EQ(bins[b].size(), 2u);
        std::complex<L> x = 0;
        for (std::size_t j = 0; j < rows.size(); ++j)
            x += static_cast<L>(value(rows[j][1])) * std::polar(1.0L, -2 * std::numbers::pi_v<L> * b * j / 16);
        EXPECT_NEAR(value(bins[b][0]), b / (16 * 0.02), 1e-12);
        EXPECT_NEAR(value(bins[b][1]), static_cast<double>(std::abs(x) * 0.02L), 1e-9 * static_cast<double>(sum * 0.02L)) << b;
    }
}

// The rupture mode's SRFs read back: each read as written by its target,
// the same moment, and the same moment-rate function within the error of
// the straight lines between samples.
TEST(Inspect, TheRuptureModesFilesAreReadAsWritten) {
    TempDir dir;
    constexpr double tau = 0.1, dt = 0.01;
    const struct {
        double slip, onset, depth;
    } subfaults[] = {{1.0, 0.0, 1.5}, {2.0, 0.303, 1.5}, {0.5, 0.2, 2.5}, {0.0, 0.5, 2.5}, {1.5, 0.617, 2.0}};
    std::string csv = "lon_deg,lat_deg,depth_km,strike_deg,dip_deg,rake_deg,area_m2,slip_m,onset_s,segment\n";
    for (int i = 0; i < 5; ++i) {
        const auto& s = subfaults[i];
        csv += std::to_string(-117 + 0.01 * i) + ",34," + std::to_string(s.depth) + ",90,60,180,1e6," + std::to_string(s.slip) + "," +
               std::to_string(s.onset) + "," + (i < 4 ? "1" : "2") + "\n";
    }
    write_file(dir.file("m.csv"), csv);
    ASSERT_EQ(rupture(dir.path(), {"--tau=0.1", "--export=srf,srf-sw4,srf-seissol,srf-instaseis", "m.csv"}).status, 0);
    const auto reference = testing_support::records(read_file(dir.file("Exp_MomentRate.csv")));
    double m0 = 0.0, bound = 0.0;
    for (const auto& s : subfaults) {
        m0 += 3e10 * 1e6 * s.slip;
        // Brune: |v''| <= 2/tau^3; the samples' scaling to DT sum = slip
        // moves them by well under 1e-2 of the peak 1/(e tau).
        bound += 3e10 * 1e6 * s.slip * (dt * dt / 8 * 2 / (tau * tau * tau) + 1e-2 / (std::numbers::e * tau));
    }
    const std::map<std::string, std::size_t> target = {
        {"Exp_Rupture_sw4.srf", 0}, {"Exp_Rupture_seissol.srf", 1}, {"Exp_Rupture_instaseis.srf", 2}, {"Exp_Rupture.srf", 99}};
    for (const auto& [file, reader] : target) {
        const Outcome result = inspect(dir.path(), {"--report", file});
        ASSERT_EQ(result.status, 0) << result.err;
        const json srf = report_of(dir.path());
        if (reader < 3) {
            EXPECT_EQ(verdicts_of(srf).at(reader), as) << file << "\n" << result.out;
        }
        // The exchange layout's provenance is in '#' lines.
        const std::string expected = reader < 3 ? "[]" : R"([{"count":2,"counts":"lines","finding":"comment_lines","lines":[2,3],"what":"'#' comment lines"}])";
        EXPECT_EQ(srf.at("findings"), json::parse(expected)) << file << "\n" << result.out;
        EXPECT_NEAR(srf.at("moment_Nm").get<double>(), m0, 1e-6 * m0) << file;
        EXPECT_EQ(srf.at("points").get<int>(), 5);
        EXPECT_EQ(srf.at("points_with_slip").get<int>(), 4);
        // Two segments in PLANE where there is one, else one POINTS block.
        const bool plane = file == "Exp_Rupture.srf" || file == "Exp_Rupture_sw4.srf";
        EXPECT_EQ(srf.at("segments").get<int>(), plane ? 2 : 1) << file;
        const auto rows = testing_support::records(read_file(dir.file("Exp_MomentRate.csv")));
        ASSERT_EQ(rows.size(), reference.size()) << file;
        for (std::size_t k = 0; k < rows.size(); ++k) {
            EXPECT_EQ(rows[k][0], reference[k][0]);
            EXPECT_NEAR(value(rows[k][1]), value(reference[k][1]), bound) << file << " at " << rows[k][0];
        }
    }
}

// Files that cannot be read as SRF: status 65, one line with the file and
// the line, nothing written.
TEST(Inspect, UnreadableFilesAreRefusedWithTheirLine) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "f.srf: no SRF here: the file holds no fields"},
        {"\n  \n# only a comment\n", "f.srf: no SRF here: the file holds no fields"},
        {replaced(v1_srf, "0 250 250 0", "0 250 x 0"), "f.srf:8: 'x' where a number must be"},
        {replaced(v1_srf, "180 50 4", "180 50 -4"), "f.srf:7: NT1 '-4' is negative"},
        {replaced(v1_srf, "180 50 4", "180 50 1e9"), "f.srf:7: NT1 '1e9' is more than 16777216"},
        {replaced(v1_srf, "180 50 4", "180 50 4.5"), "f.srf:7: NT1 '4.5' is not a whole number"},
        {replaced(v1_srf, "POINTS 2", "POINTS -2"), "f.srf:2: POINTS '-2' is negative"},
        {replaced(v1_srf, "0.2000 0.1000", "0.2000 0"), "f.srf:7: samples with DT = 0.000000: they have no times"},
        {replaced(v1_srf, "1.0\n", "1.0 x\n"), "f.srf:1: the version line holds more than the version: 'x'"},
        {replaced(v1_srf, "1.0\n", "VERSION\n"), "f.srf:1: 'VERSION' where the version, PLANE or POINTS must be"},
        {v1_srf + "PLANE 1\n", "f.srf:9: a PLANE block after the points"},
        {replaced(v1_srf, "0 250 250 0", "0 250 nan 0"), "f.srf:8: 'nan' where a number must be"},
        {replaced(v1_srf, "0 250 250 0", "0 250 1e999 0"), "f.srf:8: '1e999' is not a finite number"},
        {replaced(v1_srf, "1.0000e+10 0.2000", "-1 0.2000"), "f.srf:6: AREA is negative"},
        {replaced(v1_srf, "1.0000e+10 0.2000", "1.0000e+10 1e300"),
         "f.srf:6: the moment rate would need more than 16777216 samples of dt = 0.100000 s to reach this point"},
        {"1.0\nPOINTS 1\n" + std::string(3 << 20, '7'), "f.srf:3: a field longer than 1048576 bytes"},
    };
    for (const auto& [text, message] : cases) {
        TempDir dir;
        write_file(dir.file("f.srf"), text);
        const Outcome result = inspect(dir.path(), {"f.srf"});
        EXPECT_EQ(result.status, 65) << message;
        EXPECT_EQ(result.err, "exp-slipv: " + message + "\n");
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(testing_support::directory_entries(dir.path()).size(), 1u) << message << ": a file was written";
    }
}

// A large file, cut into many chunks: the same bytes for any thread count,
// and the lines of findings deep in it, past lines longer than a chunk.
TEST(Inspect, ALargeFileGivesTheSameBytesForAnyThreadCount) {
    TempDir dir;
    std::string text = "2.0\n# a large rupture\nPOINTS 3002\n";
    std::int64_t line = 3;
    std::int64_t blank_line = 0, long_line = 0;
    std::size_t long_length = 0;
    const auto add_point = [&](int index, int nt, bool one_line) {
        text += std::to_string(-117 + index * 1e-4) + " 34 5 90 60 1e10 " + std::to_string(index * 0.01) + " 0.01 350000 2.8\n";
        text += "180 " + std::to_string(0.005 * (nt - 2)) + " " + std::to_string(nt) + " 0 0 0 0\n";
        line += 2;
        std::string samples;
        for (int k = 0; k < nt; ++k) {
            samples += (k == 0 || k == nt - 1) ? "0" : "0.5";
            if (one_line || (k % 6 != 5 && k != nt - 1)) {
                if (k != nt - 1) samples += ' ';
            } else {
                samples += '\n';
                ++line;
            }
        }
        if (one_line) {
            samples += '\n';
            ++line;
            if (long_line == 0) {
                long_line = line;
                long_length = samples.size() - 1;
            }
        }
        text += samples;
    };
    for (int i = 0; i < 3000; ++i) {
        add_point(i, 400, false);
        if (i == 2500) {
            text.back() = ' ';
            text += '\n';
            blank_line = line;
        }
    }
    add_point(3000, 600000, true);  // 2.4 MB on one line: longer than two chunks
    add_point(3001, 100, true);
    write_file(dir.file("f.srf"), text);
    ASSERT_GT(text.size(), 4u << 20);  // several chunks
    std::string out[3], rate[3], amp[3], report[3];
    for (int threads = 1; threads <= 3; ++threads) {
        const Outcome result = inspect(dir.path(), {"--report", "--threads=" + std::to_string(threads), "f.srf"});
        ASSERT_EQ(result.status, 0) << result.err;
        out[threads - 1] = result.out;
        rate[threads - 1] = read_file(dir.file("Exp_MomentRate.csv"));
        amp[threads - 1] = read_file(dir.file("Exp_MomentRate_Amp.csv"));
        report[threads - 1] = read_file(dir.file("Exp_Report.json"));
    }
    for (int t = 1; t < 3; ++t) {
        EXPECT_EQ(out[t], out[0]);
        EXPECT_TRUE(rate[t] == rate[0]) << "the moment rate differs with " << t + 1 << " threads";
        EXPECT_TRUE(amp[t] == amp[0]);
        EXPECT_EQ(report[t], report[0]);
    }
    const json srf = json::parse(report[0]).at("srf");
    const auto found = findings_of(srf);
    EXPECT_EQ(found.at("blank_at_line_end"), std::make_pair(std::uint64_t{1}, blank_line));
    EXPECT_EQ(found.at("long_line"), std::make_pair(std::uint64_t{1}, long_line));
    EXPECT_EQ(found.at("comment_lines"), std::make_pair(std::uint64_t{1}, std::int64_t{2}));
    for (const json& f : srf.at("findings"))
        if (f.at("finding") == "long_line") {
            EXPECT_EQ(f.at("detail"), std::to_string(long_length) + " characters");
        }
    EXPECT_EQ(srf.at("points").get<int>(), 3002);
    EXPECT_EQ(found.size(), 3u) << out[0];
}

// Command lines the mode cannot use: status 64, two lines, nothing written.
TEST(Inspect, UnusableCommandLinesAndFiles) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "missing the SRF file operand"},
        {{"f.srf", "g.srf"}, "unexpected operand 'g.srf'"},
        {{"--threads=65", "f.srf"}, "invalid value '65' for --threads: not a whole number from 1 to 64"},
        {{"--rigidity=1e14", "f.srf"}, "invalid value '1e14' for --rigidity: outside 1e5 to 1e13 Pa"},
        {{"--dt=0", "f.srf"}, "invalid value '0' for --dt: not positive"},
        {{"--export=srf", "f.srf"}, "unrecognized option '--export'"},
        {{"--output-dir=nowhere", "f.srf"}, "invalid value 'nowhere' for --output-dir: No such file or directory"},
    };
    for (const auto& [args, message] : cases) {
        TempDir dir;
        write_file(dir.file("f.srf"), v1_srf);
        const Outcome result = inspect(dir.path(), args);
        EXPECT_EQ(result.status, 64) << message;
        EXPECT_EQ(result.err, "exp-slipv: " + message + "\nTry 'exp-slipv --help' for more information.\n");
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(testing_support::directory_entries(dir.path()).size(), 1u) << message;
    }
    TempDir dir;
    const Outcome missing = inspect(dir.path(), {"nowhere.srf"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err, "exp-slipv: cannot open 'nowhere.srf': No such file or directory\n");
    const Outcome directory = inspect(dir.path(), {"."});
    EXPECT_EQ(directory.status, 2);
    EXPECT_EQ(directory.err, "exp-slipv: cannot read '.': Is a directory\n");
    EXPECT_TRUE(testing_support::directory_entries(dir.path()).empty());
}

// An earlier moment-rate file that may not be written stays, and nothing
// else is written.
TEST(Inspect, AReadOnlyEarlierFileIsNeverReplaced) {
    TempDir dir;
    ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);
    if (!testing_support::can_run_unprivileged(dir.path())) GTEST_SKIP() << "file modes bind no root";
    write_file(dir.file("f.srf"), v1_srf);
    ASSERT_EQ(::chmod(dir.file("f.srf").c_str(), 0644), 0);
    write_file(dir.file("Exp_MomentRate_Amp.csv"), "an earlier spectrum");
    ASSERT_EQ(::chmod(dir.file("Exp_MomentRate_Amp.csv").c_str(), 0444), 0);
    ChildOptions options;
    options.unprivileged = true;
    const Outcome result = inspect(dir.path(), {"f.srf"}, options);
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("can't write file\napparent state: unit 42 named Exp_MomentRate_Amp.csv"), std::string::npos)
        << result.err;
    EXPECT_EQ(read_file(dir.file("Exp_MomentRate_Amp.csv")), "an earlier spectrum");
    EXPECT_EQ(testing_support::directory_entries(dir.path()).size(), 2u) << "a file was written";
}

// The inspector reading a FIFO in its own directory, and the FIFO's writer,
// held open by the test (so that the reader's open does not wait and the
// FIFO reports no end until the test closes it), which has written `text`.
struct FifoInspection {
    FifoInspection(const char* threads, std::string_view text) {
        EXPECT_EQ(::mkfifo(dir.file("f.srf").c_str(), 0644), 0);
        ChildOptions options;
        options.argv = {testing_support::program_path(), "inspect", threads, "f.srf"};
        options.cwd = dir.path();
        child = std::make_unique<testing_support::Child>(options);
        writer = ::open(dir.file("f.srf").c_str(), O_WRONLY);
        EXPECT_GE(writer, 0);
        EXPECT_EQ(::write(writer, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }
    ~FifoInspection() {
        if (writer >= 0) ::close(writer);
    }
    void close_writer() {
        ::close(writer);
        writer = -1;
    }
    TempDir dir;
    std::unique_ptr<testing_support::Child> child;
    int writer = -1;
};

// A reader that never ends (a FIFO nobody writes to) and an interrupt: the
// run ends with the interrupt's status, on one thread or several.
TEST(Inspect, AnInterruptWhileWaitingForTheFileEndsTheRun) {
    for (const char* threads : {"--threads=1", "--threads=2"}) {
        FifoInspection run(threads, "1.0\nPOINTS 1\n");
        ::usleep(300000);
        run.child->send(SIGINT);
        ASSERT_TRUE(run.child->wait(timeout_ms)) << threads;
        run.close_writer();
        EXPECT_EQ(run.child->exit_code(), 1) << threads;
        EXPECT_EQ(run.child->err(), "Interrupt\n") << threads;
        EXPECT_EQ(testing_support::directory_entries(run.dir.path()).size(), 1u) << threads;
    }
}

// A FIFO whose writer pauses after a line that cannot be read: the refusal
// comes at once, without waiting for more.
TEST(Inspect, AnUnreadableLineFromAPausingWriterIsRefusedAtOnce) {
    for (const char* threads : {"--threads=1", "--threads=2"}) {
        FifoInspection run(threads, "1.0\nPOINTS 1\n0 0 x\n");
        const bool ended = run.child->wait(30000);
        if (!ended) run.child->send(SIGKILL);
        run.close_writer();
        ASSERT_TRUE(ended || run.child->wait(timeout_ms)) << threads;
        EXPECT_TRUE(ended) << threads << ": it waited for the writer";
        EXPECT_EQ(run.child->exit_code(), 65) << threads;
        EXPECT_EQ(run.child->err(), "exp-slipv: f.srf:3: 'x' where a number must be\n") << threads;
    }
}

}  // namespace
