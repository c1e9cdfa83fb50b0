#include "srf/srf_text.hpp"

#include "srf/number_text.hpp"

#include <algorithm>
#include <charconv>

namespace exp_slipv {

namespace {

using namespace number_text;

// Digits, never fewer than the format's readers expect.
constexpr int degree_decimals = 6;      // lon, lat: 0.1 m
constexpr int depth_decimals = 5;       // km: 1 cm
constexpr int angle_decimals = 2;
constexpr int time_decimals = 6;        // TINIT: 1 us
constexpr int plane_km_decimals = 4;    // LEN, WID, SHYP, DHYP: 10 cm
constexpr int value_digits = 7;         // AREA, VS, DEN and the samples
// SLIP1 one digit more than the samples, so that DT times the sum of the
// written samples meets the written SLIP1 to 1e-6 however the two round.
constexpr int slip_digits = 8;

constexpr double cm_per_m = 100.0;
constexpr double cm2_per_m2 = 1e4;
constexpr double g_cm3_per_kg_m3 = 1e-3;

void blank(std::string& out) { out += ' '; }

// Six samples a line, one blank between them, none at the end.  The
// samples are never negative, so no "-0" can arise.
void append_samples(std::string& out, const std::vector<double>& samples) {
    constexpr std::size_t longest = 16;  // "1.234567e+100" and its blank, as seven_digits needs
    char line[samples_per_line * longest];
    for (std::size_t k = 0; k < samples.size(); k += samples_per_line) {
        char* at = line;
        const std::size_t stop = std::min(samples.size(), k + samples_per_line);
        for (std::size_t j = k; j < stop; ++j) {
            at = seven_digits(at, samples[j]);
            *at++ = j + 1 == stop ? '\n' : ' ';
        }
        out.append(line, at);
    }
}

}  // namespace

std::string srf_head(const SrfContent& content, const SrfLayout& layout) {
    std::string out = layout.version_2 ? "2.0\n" : "1.0\n";
    if (layout.provenance)
        for (const std::string& line : content.provenance) out += "# " + line + "\n";
    if (!layout.plane) return out;
    out += "PLANE ";
    integer(out, static_cast<std::int64_t>(content.planes.size()));
    out += '\n';
    for (const PlaneEntry& p : content.planes) {
        fixed(out, p.elon, degree_decimals), blank(out);
        fixed(out, p.elat, degree_decimals), blank(out);
        integer(out, p.nstk), blank(out);
        integer(out, p.ndip), blank(out);
        fixed(out, p.length_km, plane_km_decimals), blank(out);
        fixed(out, p.width_km, plane_km_decimals);
        out += '\n';
        fixed(out, p.strike_deg, angle_decimals), blank(out);
        fixed(out, p.dip_deg, angle_decimals), blank(out);
        fixed(out, p.top_depth_km, depth_decimals), blank(out);
        fixed(out, p.hypo_along_km, plane_km_decimals), blank(out);
        fixed(out, p.hypo_down_km, plane_km_decimals);
        out += '\n';
    }
    return out;
}

std::string points_line(std::size_t count) {
    std::string out = "POINTS ";
    integer(out, static_cast<std::int64_t>(count));
    return out += '\n';
}

void append_points(std::string& out, const SrfContent& content, const SrfLayout& layout, std::size_t begin,
                   std::size_t end, std::vector<double>& scratch) {
    for (std::size_t i = begin; i < end; ++i) {
        const Subfault& s = content.model->subfaults[i];
        content.samples(i, scratch);
        fixed(out, s.lon_deg, degree_decimals), blank(out);
        fixed(out, s.lat_deg, degree_decimals), blank(out);
        fixed(out, s.depth_km, depth_decimals), blank(out);
        fixed(out, s.strike_deg, angle_decimals), blank(out);
        fixed(out, s.dip_deg, angle_decimals), blank(out);
        significant(out, s.area_m2 * cm2_per_m2, value_digits), blank(out);
        fixed(out, s.onset_s, time_decimals), blank(out);
        shortest(out, content.dt);
        if (layout.version_2) {
            blank(out), significant(out, s.vs_m_s * cm_per_m, value_digits);
            blank(out), significant(out, s.density_kg_m3 * g_cm3_per_kg_m3, value_digits);
        }
        out += '\n';
        fixed(out, s.rake_deg, angle_decimals), blank(out);
        significant(out, s.slip_m * cm_per_m, slip_digits), blank(out);
        integer(out, static_cast<std::int64_t>(scratch.size()));
        out += " 0.0 0 0.0 0\n";
        append_samples(out, scratch);
    }
}

}  // namespace exp_slipv
