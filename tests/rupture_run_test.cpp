// The rupture mode end to end, as a user runs it: a subfault table in a
// temporary directory, the program run on it, and what it wrote read back by
// each solver's reader rules, with values worked out here from the pulses'
// definitions, never from the program's routines.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <complex>
#include <fstream>
#include <map>
#include <numbers>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "support/child.hpp"
#include "support/csv_records.hpp"
#include "support/sha256.hpp"
#include "support/temp_dir.hpp"

namespace {

using testing_support::Child;
using testing_support::ChildOptions;
using testing_support::has_temporary_file;
using testing_support::Outcome;
using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;
using L = long double;
constexpr L pi = std::numbers::pi_v<L>;
constexpr int timeout_ms = 120000;

Outcome rupture(const std::string& dir, std::vector<std::string> args, ChildOptions options = {}) {
    args.insert(args.begin(), "rupture");
    return testing_support::run_without_pause(dir, args, options, timeout_ms);
}

// A field as a strict reader takes it: strtod over all of it.
double value(const std::string& field) {
    char* end = nullptr;
    const double v = std::strtod(field.c_str(), &end);
    EXPECT_TRUE(!field.empty() && *end == '\0') << "not a number: '" << field << "'";
    return v;
}

// --- an SRF read back by the rules of its readers ------------------------

std::vector<std::string> tokens(const std::string& line) {
    std::vector<std::string> out;
    std::istringstream in(line);
    for (std::string t; in >> t;) out.push_back(t);
    return out;
}

struct SrfPoint {
    std::vector<std::string> head, slip;  // the two point lines' fields
    std::vector<double> samples;
};

struct Srf {
    std::string version;
    std::vector<std::string> comments;
    std::vector<std::vector<std::string>> plane;  // two lines per segment
    std::vector<std::vector<SrfPoint>> blocks;
};

// A strict reader: every line one blank between fields, no blank at either
// end, under 1024 characters, ending in "\n"; integers without a leading 0;
// each component's samples on lines of their own.
Srf read_srf(const std::string& text) {
    Srf srf;
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find('\n', at);
        EXPECT_NE(end, std::string::npos) << "the file does not end with a line end";
        if (end == std::string::npos) break;
        lines.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& l = lines[i];
        EXPECT_LT(l.size(), 1024u) << "line " << i + 1;
        EXPECT_FALSE(l.empty() || l.front() == ' ' || l.back() == ' ' || l.back() == '\t' || l.find("  ") != std::string::npos ||
                     l.find('\r') != std::string::npos)
            << "line " << i + 1 << ": '" << l << "'";
    }
    std::size_t i = 0;
    srf.version = lines.at(i++);
    while (i < lines.size() && lines[i].rfind("#", 0) == 0) srf.comments.push_back(lines[i++]);
    if (lines.at(i).rfind("PLANE", 0) == 0) {
        const int nseg = std::stoi(tokens(lines[i++]).at(1));
        for (int s = 0; s < 2 * nseg; ++s) srf.plane.push_back(tokens(lines.at(i++)));
    }
    const auto integer = [](const std::string& t) {
        EXPECT_TRUE(t == "0" || (t.front() != '0' && t.find_first_not_of("0123456789") == std::string::npos)) << t;
        return std::stol(t);
    };
    while (i < lines.size()) {
        const std::vector<std::string> points = tokens(lines[i++]);
        EXPECT_EQ(points.at(0), "POINTS");
        std::vector<SrfPoint> block(static_cast<std::size_t>(integer(points.at(1))));
        for (SrfPoint& p : block) {
            p.head = tokens(lines.at(i++));
            p.slip = tokens(lines.at(i++));
            const long nt1 = integer(p.slip.at(2));
            EXPECT_EQ(integer(p.slip.at(4)), 0);
            EXPECT_EQ(integer(p.slip.at(6)), 0);
            while (static_cast<long>(p.samples.size()) < nt1) {
                const std::vector<std::string> values = tokens(lines.at(i++));
                EXPECT_LE(values.size(), 6u);
                for (const std::string& v : values) p.samples.push_back(value(v));
            }
        }
        srf.blocks.push_back(block);
    }
    return srf;
}

std::vector<SrfPoint> all_points(const Srf& srf) {
    std::vector<SrfPoint> all;
    for (const auto& b : srf.blocks) all.insert(all.end(), b.begin(), b.end());
    return all;
}

// --- the model ------------------------------------------------------------

// A vertical east-west fault at the equator: segment 1 a grid of 2 by 2
// subfaults of 1 km^2 (centres 0.5 and 1.5 km along strike, 1.5 and 2.5 km
// deep), segment 2 one subfault; Brune pulses of tau 0.1 s from the command
// line, one boxcar of 0.055 s from the table; one subfault without slip.
constexpr L km_per_degree = pi * 6371 / 180;
struct Row {
    L x_km, depth_km, slip_m, onset_s;
    int segment;
    std::string shape, duration;
};
const std::vector<Row> rows = {
    {0.5L, 1.5L, 1.0L, 0.0L, 1, "", ""},     {1.5L, 1.5L, 2.0L, 0.2875L, 1, "", ""},
    {0.5L, 2.5L, 0.0L, 0.3L, 1, "", ""},     {1.5L, 2.5L, 0.5L, 0.413L, 1, "boxcar", "0.055"},
    {5.0L, 2.0L, 1.5L, 1.3333L, 2, "", ""},
};
constexpr L tau = 0.1L, dt = 0.01L, boxcar_t = 0.055L, mu = 3e10L, area = 1e6L;

std::string lon_text(L x_km) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", static_cast<double>(x_km / km_per_degree));
    return text;
}

std::string model_csv() {
    std::string csv = "# the test fault\nlon_deg,lat_deg,depth_km,strike_deg,dip_deg,rake_deg,area_m2,slip_m,onset_s,segment,shape,duration_s\n";
    for (const Row& r : rows) {
        std::ostringstream line;
        line << lon_text(r.x_km) << ",0," << static_cast<double>(r.depth_km) << ",90,90,180,1e6," << static_cast<double>(r.slip_m)
             << "," << static_cast<double>(r.onset_s) << "," << r.segment << "," << r.shape << "," << r.duration << "\n";
        csv += line.str();
    }
    return csv;
}

L brune_v(L t) { return t <= 0 ? 0 : t / (tau * tau) * std::exp(-t / tau); }
L boxcar_v(L t) { return t < 0 || t > boxcar_t ? 0 : (t == 0 || t == boxcar_t) ? 1 / (2 * boxcar_t) : 1 / boxcar_t; }
L v_of(const Row& r, L t) { return r.shape == "boxcar" ? boxcar_v(t) : brune_v(t); }

// Brune: the first k with (1 + x) e^(-x) < 1e-5, x = k dt/tau; boxcar: the
// first sample at or after its end.
long last_sample(const Row& r) {
    if (r.shape == "boxcar") return static_cast<long>(std::ceil(boxcar_t / dt - 1e-9L));
    long k = 0;
    while ((1 + k * dt / tau) * std::exp(-k * dt / tau) >= 1e-5L) ++k;
    return k;
}

// The samples an SRF point of the row holds, cm/s.
std::vector<L> expected_samples(const Row& r) {
    const long last = last_sample(r);
    L sum = 0;
    for (long k = 0; k < last; ++k) sum += v_of(r, k * dt);
    std::vector<L> out;
    for (long k = 0; k < last; ++k) out.push_back(100 * r.slip_m * v_of(r, k * dt) / (dt * sum));
    out.push_back(0);
    return out;
}

TEST(Rupture, EachSrfAsItsReaderReadsIt) {
    TempDir dir;
    write_file(dir.file("m.csv"), model_csv());
    const Outcome result = rupture(dir.path(), {"--tau=0.1", "--export=srf,srf-sw4,srf-seissol,srf-instaseis", "m.csv"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");

    // Exchange: 2.0, provenance, a PLANE entry and a POINTS block per segment.
    const Srf exchange = read_srf(read_file(dir.file("Exp_Rupture.srf")));
    EXPECT_EQ(exchange.version, "2.0");
    ASSERT_EQ(exchange.comments.size(), 2u);
    EXPECT_TRUE(exchange.comments[1].find("exp-slipv rupture --tau=0.1") != std::string::npos) << exchange.comments[1];
    ASSERT_EQ(exchange.plane.size(), 4u);
    ASSERT_EQ(exchange.blocks.size(), 2u);
    EXPECT_EQ(exchange.blocks[0].size(), 4u);
    EXPECT_EQ(exchange.blocks[1].size(), 1u);
    // Segment 1: a 2 by 2 grid of 2 km by 2 km, its top 1 km deep, centred
    // 1 km along strike; the hypocentre the first subfault, 0.5 km before
    // the centre and 0.5 km below the top.
    const std::vector<std::string>& p1 = exchange.plane[0];
    EXPECT_NEAR(std::stod(p1[0]), static_cast<double>(1 / km_per_degree), 2e-6);
    EXPECT_NEAR(std::stod(p1[1]), 0.0, 1e-6);
    EXPECT_EQ(p1[2], "2");
    EXPECT_EQ(p1[3], "2");
    EXPECT_NEAR(std::stod(p1[4]), 2.0, 1e-3);
    EXPECT_NEAR(std::stod(p1[5]), 2.0, 1e-3);
    const std::vector<std::string>& q1 = exchange.plane[1];
    EXPECT_EQ(q1[0], "90.00");
    EXPECT_EQ(q1[1], "90.00");
    EXPECT_NEAR(std::stod(q1[2]), 1.0, 1e-5);
    EXPECT_NEAR(std::stod(q1[3]), -0.5, 1e-3);
    EXPECT_NEAR(std::stod(q1[4]), 0.5, 1e-3);
    EXPECT_EQ(exchange.plane[2][2], "1");
    EXPECT_EQ(exchange.plane[2][3], "1");

    // SW4: PLANE on line 2, no comment, one POINTS block with every point.
    const std::string sw4_text = read_file(dir.file("Exp_Rupture_sw4.srf"));
    EXPECT_EQ(sw4_text.find('#'), std::string::npos);
    const Srf sw4 = read_srf(sw4_text);
    EXPECT_EQ(sw4_text.substr(0, 10), "2.0\nPLANE ");
    EXPECT_EQ(sw4.plane.size(), 4u);
    ASSERT_EQ(sw4.blocks.size(), 1u);
    EXPECT_EQ(sw4.blocks[0].size(), 5u);
    // SeisSol: no PLANE at all, 10 fields a point line.
    const std::string seissol_text = read_file(dir.file("Exp_Rupture_seissol.srf"));
    EXPECT_EQ(seissol_text.find("PLANE"), std::string::npos);
    const Srf seissol = read_srf(seissol_text);
    ASSERT_EQ(seissol.blocks.size(), 1u);
    for (const SrfPoint& p : seissol.blocks[0]) EXPECT_EQ(p.head.size(), 10u);
    // Instaseis: 1.0, exactly 8 fields.
    const Srf instaseis = read_srf(read_file(dir.file("Exp_Rupture_instaseis.srf")));
    EXPECT_EQ(instaseis.version, "1.0");
    EXPECT_TRUE(instaseis.plane.empty());
    ASSERT_EQ(instaseis.blocks.size(), 1u);
    for (const SrfPoint& p : instaseis.blocks[0]) EXPECT_EQ(p.head.size(), 8u);

    // Every layout holds the same points, worked out here.
    for (const Srf* srf : {&exchange, &sw4, &seissol, &instaseis}) {
        const std::vector<SrfPoint> points = all_points(*srf);
        ASSERT_EQ(points.size(), rows.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const Row& r = rows[i];
            const SrfPoint& p = points[i];
            EXPECT_EQ(p.head[0], lon_text(r.x_km));
            EXPECT_EQ(p.head[1], "0.000000");
            EXPECT_NEAR(std::stod(p.head[2]), static_cast<double>(r.depth_km), 1e-12);
            EXPECT_EQ(p.head[2].size() - p.head[2].find('.') - 1, 5u) << "depth decimals";
            EXPECT_EQ(p.head[3], "90.00");
            EXPECT_EQ(p.head[5], "1.000000e+10");  // cm^2
            EXPECT_NEAR(std::stod(p.head[6]), static_cast<double>(r.onset_s), 5e-7);
            EXPECT_EQ(p.head[7], "0.01");
            if (p.head.size() == 10) {
                // mu = VS^2 DEN = 3e10 Pa = 3e11 dyne/cm^2.
                EXPECT_NEAR(std::pow(std::stod(p.head[8]), 2) * std::stod(p.head[9]), 3e11, 3e11 * 1e-6);
            }
            EXPECT_EQ(p.slip[0], "180.00");
            const double slip_cm = static_cast<double>(100 * r.slip_m);
            EXPECT_NEAR(std::stod(p.slip[1]), slip_cm, 1e-7 * slip_cm);
            if (r.slip_m == 0) {
                EXPECT_EQ(p.slip[2], "0") << "zero slip is NT1 = 0, no samples";
                continue;
            }
            const std::vector<L> want = expected_samples(r);
            ASSERT_EQ(p.samples.size(), want.size()) << "point " << i;
            double sum = 0;
            for (std::size_t k = 0; k < want.size(); ++k) {
                EXPECT_NEAR(p.samples[k], static_cast<double>(want[k]), 5.1e-7 * static_cast<double>(want[k]) + 1e-300)
                    << "point " << i << " sample " << k;
                sum += p.samples[k];
            }
            EXPECT_EQ(p.samples.back(), 0.0);
            EXPECT_NEAR(0.01 * sum, std::stod(p.slip[1]), 1e-6 * slip_cm) << "DT sum = SLIP1";
        }
    }
}

// M'(t) = sum mu A D v(t - t_i) at k dt, the moment released by then from
// the slips' closed forms (a pulse counted whole once its record ends), and
// its spectrum: the closed form against the sum with the pulses' transforms
// written here, the sampled column against a direct DFT of the samples.
TEST(Rupture, TheMomentRateAndItsSpectrum) {
    TempDir dir;
    write_file(dir.file("m.csv"), model_csv());
    const Outcome result = rupture(dir.path(), {"--tau=0.1", "m.csv"});
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string rate_text = read_file(dir.file("Exp_MomentRate.csv"));
    EXPECT_EQ(rate_text.substr(0, rate_text.find('\n')), "time_s,moment_rate_Nm_per_s,moment_Nm");
    const auto rate_rows = testing_support::records(read_file(dir.file("Exp_MomentRate.csv")));
    L m0 = 0, peak = 0;
    for (const Row& r : rows) m0 += mu * area * r.slip_m;
    std::vector<double> rates;
    for (std::size_t k = 0; k < rate_rows.size(); ++k) {
        const L t = k * dt;
        EXPECT_NEAR(value(rate_rows[k][0]), static_cast<double>(t), 1e-12);
        L want = 0;
        for (const Row& r : rows) want += mu * area * r.slip_m * v_of(r, t - r.onset_s);
        peak = std::max(peak, want);
        const double got = value(rate_rows[k][1]);
        rates.push_back(got);
        // The Brune pulses end where 1 - s < 1e-5, v below 2e-5 of its peak.
        EXPECT_NEAR(got, static_cast<double>(want), 1e-5 * static_cast<double>(m0 / tau)) << "t = " << static_cast<double>(t);
        L moment = 0;
        for (const Row& r : rows) {
            const L x = (t - r.onset_s) / tau;
            const L s = t <= r.onset_s ? 0
                        : r.shape == "boxcar" ? std::min<L>(1, (t - r.onset_s) / boxcar_t)
                        : t - r.onset_s > last_sample(r) * dt ? 1
                                                               : 1 - (1 + x) * std::exp(-x);
            moment += mu * area * r.slip_m * s;
        }
        EXPECT_NEAR(value(rate_rows[k][2]), static_cast<double>(moment), 1e-9 * static_cast<double>(m0)) << "t = " << static_cast<double>(t);
    }
    EXPECT_EQ(rates.back(), 0.0) << "the record ends at rest";
    EXPECT_EQ(value(rate_rows.back()[2]), 1.5e17) << "the whole moment at the end";

    const auto spectrum_rows = testing_support::records(read_file(dir.file("Exp_MomentRate_Amp.csv")));
    std::size_t nfast = 2;
    while (nfast < rates.size()) nfast *= 2;
    ASSERT_EQ(spectrum_rows.size(), nfast / 2 + 1);
    const L df = 1 / (nfast * dt);
    for (std::size_t j = 0; j < spectrum_rows.size(); ++j) {
        const L f = j * df, omega = 2 * pi * f;
        EXPECT_NEAR(value(spectrum_rows[j][0]), static_cast<double>(f), 1e-9 * static_cast<double>(f) + 1e-15);
        std::complex<L> closed = 0, sampled = 0;
        for (const Row& r : rows) {
            const std::complex<L> p{1, omega * tau};
            const L x = omega * boxcar_t / 2;
            const std::complex<L> v = r.shape == "boxcar" ? std::polar(1.0L, -x) * (x == 0 ? 1 : std::sin(x) / x) : 1.0L / (p * p);
            closed += mu * area * r.slip_m * v * std::polar(1.0L, -omega * r.onset_s);
        }
        for (std::size_t k = 0; k < rates.size(); ++k) sampled += static_cast<L>(rates[k]) * std::polar(1.0L, -2 * pi * j * k / nfast);
        sampled *= dt;
        EXPECT_NEAR(value(spectrum_rows[j][2]), static_cast<double>(std::abs(closed)),
                    1e-9 * static_cast<double>(std::abs(closed)) + 1e-12 * static_cast<double>(m0)) << "bin " << j;
        EXPECT_NEAR(value(spectrum_rows[j][1]), static_cast<double>(std::abs(sampled)),
                    1e-8 * static_cast<double>(m0)) << "bin " << j;
    }

    // The console's figures: M0 = 3e10 x 1e6 x 5 m, Mw = 2/3 (log10 M0 - 9.1).
    EXPECT_NE(result.out.find(" M0 (N m) = 1.5e+17\n"), std::string::npos) << result.out;
    char mw[64];
    std::snprintf(mw, sizeof mw, " Mw = %.7g\n", static_cast<double>(2.0L / 3 * (std::log10(1.5e17L) - 9.1L)));
    EXPECT_NE(result.out.find(mw), std::string::npos) << result.out;
    EXPECT_NE(result.out.find(" Subfaults = 5, with slip = 4, segments = 2\n"), std::string::npos) << result.out;
}

// The report file holds the same figures; the shortest pulse is the boxcar
// (95 % of its slip in 0.95 x 0.055 s), and the largest sampling correction
// a Brune pulse's: |dt sum v(k dt) - 1| over its samples, worked out here.
TEST(Rupture, TheReportNamesTheShortestPulseAndTheLargestCorrection) {
    TempDir dir;
    write_file(dir.file("m.csv"), model_csv());
    const Outcome result = rupture(dir.path(), {"--tau=0.1", "--report", "m.csv"});
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string json = read_file(dir.file("Exp_Report.json"));
    const auto number_after = [&](const std::string& key) {
        const std::size_t at = json.find("\"" + key + "\": ");
        EXPECT_NE(at, std::string::npos) << key;
        return std::stod(json.substr(at + key.size() + 4));
    };
    EXPECT_DOUBLE_EQ(number_after("moment_Nm"), 1.5e17);
    EXPECT_EQ(number_after("subfaults_with_slip"), 4);
    EXPECT_NEAR(number_after("rise_time_95_s"), 0.95 * 0.055, 1e-12);
    EXPECT_EQ(number_after("line"), 6);  // the boxcar's row
    L sum = 0;
    for (long k = 0; k < last_sample(rows[0]); ++k) sum += brune_v(k * dt);
    EXPECT_NEAR(number_after("value"), static_cast<double>(std::fabs(dt * sum - 1)), 1e-12);
    EXPECT_NE(result.out.find(" Shortest pulse, 95 % of its slip in (s) = 0.05225 = 5.225 samples, at m.csv:6\n"),
              std::string::npos) << result.out;
}

// The same bytes from any thread count; a stored digest guards the layout.
TEST(Rupture, TheFilesAreTheSameForAnyThreadCount) {
    TempDir one, two;
    std::string csv = "lon_deg,lat_deg,depth_km,strike_deg,dip_deg,rake_deg,area_m2,slip_m,onset_s,tau_s\n";
    for (int i = 0; i < 3000; ++i)
        csv += std::to_string(-117 + i * 1e-3) + ",34," + std::to_string(1 + (i % 7)) + ",30,60,90,4e6," +
               std::to_string(0.5 + (i % 13) * 0.1) + "," + std::to_string(i * 0.002) + "," + (i % 3 ? "0.2" : "") + "\n";
    write_file(one.file("m.csv"), csv);
    write_file(two.file("m.csv"), csv);
    const std::vector<std::string> files = {"Exp_Rupture_sw4.srf", "Exp_MomentRate.csv", "Exp_MomentRate_Amp.csv"};
    ASSERT_EQ(rupture(one.path(), {"--threads=1", "--export=srf-sw4", "m.csv"}).status, 0);
    ASSERT_EQ(rupture(two.path(), {"--threads=2", "--export=srf-sw4", "m.csv"}).status, 0);
    for (const std::string& f : files) EXPECT_TRUE(read_file(one.file(f)) == read_file(two.file(f))) << f;
}

TEST(Rupture, TheSmallModelsBytesAreStored) {
    TempDir dir;
    write_file(dir.file("m.csv"), model_csv());
    ASSERT_EQ(rupture(dir.path(), {"--tau=0.1", "--export=srf-sw4,srf-instaseis", "m.csv"}).status, 0);
    EXPECT_EQ(testing_support::sha256_hex(read_file(dir.file("Exp_Rupture_sw4.srf"))), "a091a66840adfd1cea0fe22cea9468315d3c9407754599802cb056d968963e5f");
    EXPECT_EQ(testing_support::sha256_hex(read_file(dir.file("Exp_Rupture_instaseis.srf"))), "63d5d7c420e1fbd315edc532fc28acedd6dfa8385fb50b196a07aadaa5a2708d");
}

// A table with CRLF line ends, a byte-order mark, comments, blank lines and
// its columns in another order makes the same SRF.
TEST(Rupture, TheTableIsReadWhateverItsLayout) {
    TempDir plain, other;
    write_file(plain.file("m.csv"), "lon_deg,lat_deg,depth_km,strike_deg,dip_deg,rake_deg,area_m2,slip_m,onset_s\n"
                                    "10.5,45.25,3,120,30,90,2.5e6,1.25,0.5\n10.51,45.25,3,120,30,90,2.5e6,0.75,0.75\n");
    write_file(other.file("m.csv"), "\xEF\xBB\xBF# comment\r\n\r\n onset_s , slip_m,area_m2,rake_deg,dip_deg,strike_deg,depth_km,lat_deg,lon_deg\r\n"
                                    "0.5,1.25,2.5e6,90,30,120,3,45.25,10.5\r\n# between\r\n\r\n0.75, 0.75,2.5e6,90,30,120,3,45.25,10.51");
    ASSERT_EQ(rupture(plain.path(), {"--export=srf-sw4", "m.csv"}).status, 0);
    const Outcome result = rupture(other.path(), {"--export=srf-sw4", "m.csv"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(read_file(plain.file("Exp_Rupture_sw4.srf")) == read_file(other.file("Exp_Rupture_sw4.srf")));
}

// Every model that cannot be used: status 65, one line naming the file, the
// line and what is wrong, and nothing written.
TEST(Rupture, BadModelsAreRefusedWithTheirLine) {
    const std::string header = "lon_deg,lat_deg,depth_km,strike_deg,dip_deg,rake_deg,area_m2,slip_m,onset_s";
    const std::string good = "10,45,3,120,30,90,1e6,1,0";
    struct Bad {
        std::string table;
        std::vector<std::string> args;
        std::string message;  // after "exp-slipv: m.csv:"
    };
    const std::vector<Bad> cases = {
        {"", {}, "1: no header line: the table is empty"},
        {"# only a comment\n\n", {}, "2: no header line: the table is empty"},
        {header + "\n", {}, "1: the table has no subfault"},
        {header + ",colour\n" + good + ",red\n", {}, "1: unknown column 'colour'; the columns are lon_deg, lat_deg"},
        {header + ",slip_m\n" + good + ",1\n", {}, "1: column 'slip_m' given twice"},
        {"lon_deg,lat_deg,depth_km,strike_deg,dip_deg,rake_deg,area_m2,slip_m\n10,45,3,120,30,90,1e6,1\n", {}, "1: missing column(s) onset_s"},
        {header + ",vs_m_s\n" + good + ",3000\n", {}, "1: vs_m_s without density_kg_m3: give both or neither"},
        {header + "\n10,45,3,120,30,90,1e6,1\n", {}, "2: 8 fields where the header has 9"},
        {header + "\n" + good + "\n10,45,3,120,30,90,1e6,abc,0\n", {}, "3: slip_m 'abc': not a decimal number"},
        {header + "\n10,45,3,120,30,nan,1e6,1,0\n", {}, "2: rake_deg 'nan': not a decimal number"},
        {header + "\n10,45,3,120,30,90,1e6,1e400,0\n", {}, "2: slip_m '1e400': too large for a double"},
        {header + "\n10,45,3,120,30,90,0,1,0\n", {}, "2: area_m2 '0': not positive"},
        {header + "\n10,45,3,120,30,90,1e6,-1,0\n", {}, "2: slip_m '-1': negative slip"},
        {header + "\n10,45,3,120,95,90,1e6,1,0\n", {}, "2: dip_deg '95': outside 0 to 90 degrees"},
        {header + "\n10,91,3,120,30,90,1e6,1,0\n", {}, "2: lat_deg '91': outside -90 to 90 degrees"},
        {header + "\n10,45,-1,120,30,90,1e6,1,0\n", {}, "2: depth_km '-1': negative depth"},
        {header + "\n10,45,3,120,30,90,1e6,1,-0.5\n", {}, "2: onset_s '-0.5': negative onset"},
        {header + ",shape\n" + good + ",cosine\n", {}, "2: shape 'cosine': unknown shape; the shapes are brune"},
        {header + ",tau_s\n" + good + ",0\n", {}, "2: invalid value '0' for tau_s: not positive"},
        {header + ",shape,peak_ratio\n" + good + ",triangle,1.5\n", {}, "2: invalid value '1.5' for peak_ratio: not below 1"},
        {header + ",duration_s\n" + good + ",2\n", {}, "2: duration_s=2 cannot be used with the shape brune"},
        {header + ",vs_m_s,density_kg_m3\n" + good + ",3000,\n", {}, "2: vs_m_s without density_kg_m3 in this row"},
        {header + ",segment\n" + good + ",1.5\n", {}, "2: segment '1.5': not a whole number"},
        {header + ",shape,duration_s\n" + good + ",triangle,0.05\n", {"--dt=0.1"},
         "2: the pulse (triangle, duration = 0.05 s, peak_ratio = 0.5) has no sample above 0 at dt = 0.1 s: give a smaller --dt"},
        {header + ",shape,duration_s\n" + good + ",boxcar,1e9\n", {"--dt=1e-3"},
         "2: the pulse (boxcar, duration = 1e+09 s) needs more than 16777216 samples at dt = 0.001 s"},
    };
    for (const Bad& c : cases) {
        TempDir dir;
        write_file(dir.file("m.csv"), c.table);
        std::vector<std::string> args = c.args;
        args.push_back("m.csv");
        const Outcome result = rupture(dir.path(), args);
        EXPECT_EQ(result.status, 65) << c.message;
        EXPECT_EQ(result.err.rfind("exp-slipv: m.csv:" + c.message, 0), 0u) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(testing_support::directory_entries(dir.path()).size(), 1u) << c.message << ": a file was written";
    }
}

// Command lines the mode cannot use: status 64, two lines, nothing written.
TEST(Rupture, UnusableCommandLines) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "missing the model file operand"},
        {{"m.csv", "n.csv"}, "unexpected operand 'n.csv'"},
        {{"--export=srf5", "m.csv"}, "invalid value 'srf5' for --export: unknown format 'srf5'; the formats are srf, srf-sw4, srf-seissol, srf-instaseis"},
        {{"--threads=0", "m.csv"}, "invalid value '0' for --threads: not a whole number from 1 to 64"},
        {{"--rigidity=-3e10", "m.csv"}, "invalid value '-3e10' for --rigidity: not positive"},
        {{"--samples=10", "m.csv"}, "unrecognized option '--samples'"},
        {{"--shape=yoffe", "m.csv"}, "--shape=yoffe needs both --rise and --smoothing"},
    };
    for (const auto& [args, message] : cases) {
        TempDir dir;
        write_file(dir.file("m.csv"), "lon_deg,lat_deg,depth_km,strike_deg,dip_deg,rake_deg,area_m2,slip_m,onset_s\n10,45,3,120,30,90,1e6,1,0\n");
        const Outcome result = rupture(dir.path(), args);
        EXPECT_EQ(result.status, 64) << message;
        EXPECT_EQ(result.err, "exp-slipv: " + message + "\nTry 'exp-slipv --help' for more information.\n");
        EXPECT_EQ(testing_support::directory_entries(dir.path()).size(), 1u) << message;
    }
    TempDir dir;
    const Outcome missing = rupture(dir.path(), {"nowhere.csv"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err, "exp-slipv: cannot open 'nowhere.csv': No such file or directory\n");
    EXPECT_TRUE(testing_support::directory_entries(dir.path()).empty());
}

// An earlier SRF that may not be written stays, and nothing else is written.
TEST(Rupture, AReadOnlyEarlierSrfIsNeverReplaced) {
    TempDir dir;
    ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);
    if (!testing_support::can_run_unprivileged(dir.path())) GTEST_SKIP() << "file modes bind no root";
    write_file(dir.file("m.csv"), model_csv());
    ASSERT_EQ(::chmod(dir.file("m.csv").c_str(), 0644), 0);
    write_file(dir.file("Exp_Rupture_sw4.srf"), "an earlier rupture");
    ASSERT_EQ(::chmod(dir.file("Exp_Rupture_sw4.srf").c_str(), 0444), 0);
    ChildOptions options;
    options.unprivileged = true;
    const Outcome result = rupture(dir.path(), {"--export=srf,srf-sw4", "m.csv"}, options);
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("can't write file\napparent state: unit 32 named Exp_Rupture_sw4.srf"), std::string::npos)
        << result.err;
    EXPECT_EQ(read_file(dir.file("Exp_Rupture_sw4.srf")), "an earlier rupture");
    EXPECT_EQ(testing_support::directory_entries(dir.path()).size(), 2u) << "a file was written";
}

std::string large_model() {
    std::string csv = "lon_deg,lat_deg,depth_km,strike_deg,dip_deg,rake_deg,area_m2,slip_m,onset_s\n";
    for (int i = 0; i < 2000; ++i) csv += std::to_string(i * 1e-3) + ",0,5,90,90,0,1e6,1," + std::to_string(i * 0.01) + "\n";
    return csv;
}

// An interrupt while a large SRF is written: no trace of the run's files.
TEST(Rupture, AnInterruptDuringALargeWriteLeavesNoTrace) {
    TempDir dir;
    write_file(dir.file("m.csv"), large_model());
    write_file(dir.file("Exp_Rupture.srf"), "an earlier rupture\n");
    ChildOptions options;
    options.argv = {testing_support::program_path(), "rupture", "--dt=0.0005", "m.csv"};
    options.cwd = dir.path();
    Child child(options);
    const bool seen = testing_support::wait_for_temporary_file(dir.path(), 60000);
    ASSERT_TRUE(seen) << "the SRF's temporary file never appeared";
    child.send(SIGINT);
    ASSERT_TRUE(child.wait(timeout_ms));
    EXPECT_EQ(child.exit_code(), 1);
    EXPECT_EQ(child.err(), "Interrupt\n");
    EXPECT_EQ(read_file(dir.file("Exp_Rupture.srf")), "an earlier rupture\n");
    EXPECT_FALSE(has_temporary_file(dir.path()));
    EXPECT_EQ(testing_support::directory_entries(dir.path()).size(), 2u);
}

// A full disk at the SRF's first write, or at its flush to the disk: the
// earlier SRF stays and no later file is written.  On one thread, so that
// the sanitizers' runtime, which writes when a thread starts, leaves the
// count of writes the same in both runs.
TEST(Rupture, AFullDiskLeavesTheEarlierSrf) {
    if (testing_support::strace_path().empty()) GTEST_SKIP() << "strace is not installed";
    int first_srf_write = 0;
    {
        TempDir dir;
        write_file(dir.file("m.csv"), model_csv());
        ChildOptions options;
        options.argv = {testing_support::strace_path(), "-f", "-qq", "-o", dir.file("trace"), "-e", "trace=openat,write",
                        testing_support::program_path(), "rupture", "--threads=1", "m.csv"};
        options.cwd = dir.path();
        options.environment = {{"ASAN_OPTIONS", "detect_leaks=0"}};
        ASSERT_EQ(testing_support::run_to_end(options, timeout_ms).status, 0);
        first_srf_write = testing_support::first_write_to_temporary_file(dir.file("trace"));
        ASSERT_GT(first_srf_write, 0);
    }
    for (const std::string& injection : {"write:error=ENOSPC:when=" + std::to_string(first_srf_write), std::string("fsync:error=ENOSPC")}) {
        TempDir dir;
        write_file(dir.file("m.csv"), model_csv());
        write_file(dir.file("Exp_Rupture.srf"), "an earlier rupture\n");
        ChildOptions options;
        const std::string call = injection.substr(0, injection.find(':'));
        options.argv = {testing_support::strace_path(), "-f", "-qq", "-o", "/dev/null", "-e", "trace=" + call, "-e", "inject=" + injection,
                        testing_support::program_path(), "rupture", "--threads=1", "m.csv"};
        options.cwd = dir.path();
        options.environment = {{"ASAN_OPTIONS", "detect_leaks=0"}};
        const Outcome result = testing_support::run_to_end(options, timeout_ms);
        EXPECT_EQ(result.status, 2) << injection;
        EXPECT_EQ(result.err, call + ": No space left on device\napparent state: unit 31 named Exp_Rupture.srf\n"
                                     "lately writing sequential formatted external IO\n") << injection;
        EXPECT_EQ(read_file(dir.file("Exp_Rupture.srf")), "an earlier rupture\n") << injection;
        EXPECT_FALSE(has_temporary_file(dir.path())) << injection;
        EXPECT_EQ(testing_support::directory_entries(dir.path()).size(), 2u) << injection;
    }
}

// The asymmetric cosine in the single-pulse mode: its samples against the
// definition.
TEST(Rupture, TheAsymmetricCosineIsAPulseOfTheSinglePulseMode) {
    TempDir dir;
    const Outcome result = testing_support::run_without_pause(dir.path(), {"--shape=asymmetric-cosine", "--rise=0.3", "--fall=0.7", "--samples=200"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("Shape = asymmetric-cosine\n  Rise(s) =  0.3\n  Fall(s) =  0.7\n"), std::string::npos) << result.out;
    const auto slip_rows = testing_support::records(read_file(dir.file("Exp_Slip.csv")));
    for (std::size_t k = 0; k < 150; ++k) {
        const L t = k * 0.01L;
        const L v = t <= 0.3L ? (1 - std::cos(pi * t / 0.3L)) : t < 1 ? (1 + std::cos(pi * (t - 0.3L) / 0.7L)) : 0;
        EXPECT_NEAR(value(slip_rows[k][1]), static_cast<double>(v), testing_support::half_unit(slip_rows[k][1]) + 1e-12)
            << "t = " << static_cast<double>(t);
    }
}

}  // namespace
