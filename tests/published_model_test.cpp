// Published rupture models through the rupture mode: small FSP and USGS
// .param files of each variant, written here, run as a user runs them, and
// the SRF points checked against values worked out here by the rules the
// formats' descriptions give.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "support/child.hpp"
#include "support/temp_dir.hpp"

namespace {

using testing_support::Outcome;
using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;
constexpr double pi = std::numbers::pi;
constexpr double km_per_degree = pi * 6371.0 / 180.0;

Outcome rupture(const std::string& dir, std::vector<std::string> args) {
    args.insert(args.begin(), "rupture");
    return testing_support::run_without_pause(dir, args, {}, 120000);
}

std::vector<std::string> tokens(const std::string& line) {
    std::vector<std::string> out;
    std::istringstream in(line);
    for (std::string t; in >> t;) out.push_back(t);
    return out;
}

struct Point {
    std::vector<std::string> head, slip;
};
struct Srf {
    std::vector<std::vector<std::string>> plane;
    std::vector<std::vector<Point>> blocks;
};

// The SRF's PLANE lines and point lines, the samples skipped.
Srf read_srf(const std::string& text) {
    Srf srf;
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    std::size_t i = 1;
    while (lines[i][0] == '#') ++i;
    if (lines[i].rfind("PLANE", 0) == 0) {
        const int n = std::stoi(tokens(lines[i++])[1]);
        for (int k = 0; k < 2 * n; ++k) srf.plane.push_back(tokens(lines[i++]));
    }
    while (i < lines.size()) {
        const int n = std::stoi(tokens(lines[i++])[1]);
        std::vector<Point> block;
        for (int p = 0; p < n; ++p) {
            Point point{tokens(lines[i]), tokens(lines[i + 1])};
            i += 2;
            const long nt = std::stol(point.slip[2]);
            i += static_cast<std::size_t>((nt + 5) / 6);
            block.push_back(point);
        }
        srf.blocks.push_back(block);
    }
    return srf;
}

std::string fixed(double v, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, v);
    return text;
}

// SRCMOD style: top-centres ("coordinates of top-center"), X==EW, a
// velocity structure, SVF triang, TRUP and RISE columns, a three-digit
// exponent, tabs, trailing blanks and CRLF line ends.
const std::string srcmod =
    "%------------------------------------------------------------------\r\n"
    "% Event : TEST 2026  \r\n"
    "% Loc  : LAT = 10.0  LON = 20.0  DEP = 5.0\r\n"
    "% Size : LEN = 4 km  WID = 4 km  Mw = 6.0  Mo = 3.5e+017 Nm\r\n"
    "% Mech : STRK = 90 DIP = 30  RAKE = 90  Htop = 1.0 km\r\n"
    "% Rupt : HypX = 1 km  Hypz = 3 km  avTr = 1.5 s  avVr = 2.5 km/s\r\n"
    "% Invs : Nx = 2  Nz = 2 Fmin = 0 Hz Fmax = 1 Hz\r\n"
    "% Invs : Dx = 2.00 km Dz = 2.00 km \r\n"
    "% Invs : Ntw = 1  Nsg = 1     (# of time-windows,# of fault segments)\r\n"
    "% Invs : LEN = 0 s SHF = 0 s  (time-window length and time-shift)\r\n"
    "% SVF  : triang  (type of slip-velocity function used)\r\n"
    "%\r\n"
    "% VELOCITY-DENSITY STRUCTURE\r\n"
    "% No. of layers = 2\r\n"
    "%    DEPTH  P-VEL  S-VEL  DENS  QP  QS\r\n"
    "%    [km]  [km/s] [km/s] [g/cm^3]\r\n"
    "%     0.0   5.00   3.00   2.50  1000 500\r\n"
    "%     2.5   6.00   3.50   2.80  1000 500\r\n"
    "%\r\n"
    "% SOURCE MODEL PARAMETERS\r\n"
    "%  Nsbfs = 4 subfaults\r\n"
    "%  - coordinates of top-center of each subfault\r\n"
    "%   LAT  LON  X==EW  Y==NS  Z  SLIP  RAKE  TRUP  RISE  SF_MOMENT\r\n"
    "%   [deg]  [deg]  [km]  [km]  [km]  [m]  [deg]  [s]  [s]  [Nm]\r\n"
    "%------------------------------------------\r\n"
    "  10.0000\t20.0000  0.0  0.0  1.0  1.00  90.0  0.50  1.0  1.5e+017  \r\n"
    "  10.0000\t20.0182  2.0  0.0  1.0  2.00  85.0  1.20  2.0  3.0e+017\r\n"
    "   9.9922  20.0000  0.0 -0.87 2.0  0.50  90.0  1.00  1.5  1.0e+017\r\n"
    "   9.9922  20.0182  2.0 -0.87 2.0  0.00  90.0  1.80  1.5  0.0e+000\r\n";

TEST(PublishedModels, AnSrcmodFspWithTopCentresAndAStructure) {
    TempDir dir;
    write_file(dir.file("s.fsp"), srcmod);
    const Outcome result = rupture(dir.path(), {"--export=srf", "s.fsp"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("Rupture from s.fsp (FSP)"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("SVF 'triang': triangle, RISE its duration"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("positions: top-centres, moved to the subfaults' centres"), std::string::npos);
    // mu: 2500 x 3000^2 above 2.5 km, 2800 x 3500^2 from there; A = 4 km^2.
    const double m0 = 2.25e10 * 4e6 * 3.0 + 3.43e10 * 4e6 * 0.5;
    char want[128];
    std::snprintf(want, sizeof want, " M0 (N m) = %.7g\n M", m0);
    EXPECT_NE(result.out.find(want), std::string::npos) << result.out;
    std::snprintf(want, sizeof want, " M0 stated by the model (N m) = 3.5e+17, computed/stated = %.7g\n", m0 / 3.5e17);
    EXPECT_NE(result.out.find(want), std::string::npos) << result.out;

    const Srf srf = read_srf(read_file(dir.file("Exp_Rupture.srf")));
    ASSERT_EQ(srf.blocks.size(), 1u);
    ASSERT_EQ(srf.blocks[0].size(), 4u);
    const double lats[] = {10.0, 10.0, 9.9922, 9.9922}, lons[] = {20.0, 20.0182, 20.0, 20.0182}, zs[] = {1.0, 1.0, 2.0, 2.0};
    const char* rakes[] = {"90.00", "85.00", "90.00", "90.00"};
    const char* tinit[] = {"0.500000", "1.200000", "1.000000", "1.800000"};
    const char* nt[] = {"101", "201", "151", "0"};  // triangles of RISE, sampled to their end
    const char* vs[] = {"3.000000e+05", "3.000000e+05", "3.500000e+05", "3.500000e+05"};
    for (int p = 0; p < 4; ++p) {
        const Point& point = srf.blocks[0][p];
        // Half of Dz down the dip: 1 km x sin 30 deeper, 1 km x cos 30 south.
        EXPECT_EQ(point.head[1], fixed(lats[p] - std::cos(pi / 6) / km_per_degree, 6)) << p;
        EXPECT_EQ(point.head[0], fixed(lons[p], 6)) << p;
        EXPECT_EQ(point.head[2], fixed(zs[p] + 0.5, 5)) << p;
        EXPECT_EQ(point.head[3], "90.00");
        EXPECT_EQ(point.head[4], "30.00");
        EXPECT_EQ(point.head[5], "4.000000e+10");
        EXPECT_EQ(point.head[6], tinit[p]);
        EXPECT_EQ(point.head[8], vs[p]);
        EXPECT_EQ(point.slip[0], rakes[p]);
        EXPECT_EQ(point.slip[2], nt[p]) << p;
    }
}

// USGS style: centres, X==NS, three segments of 2, 3 and 1 subfaults with
// their own strike, dip and size, sentinels (-99, 0, 999), no TRUP (onsets
// from the hypocentre at avVr), no RAKE column (the header's), no
// structure (the rigidity), SVF "Asymetriccosine".
const std::string usgs =
    "% Event : USGS TEST\n"
    "% Loc  : LAT = 0.0 LON = 0.0 DEP = 10.0\n"
    "% Size : LEN = 20 km WID = 10 km Mw = 6.5 Mo = 999 Nm\n"
    "% Mech : STRK = 45 DIP = 60 RAKE = 180 Htop = 1.0 km\n"
    "% Rupt : HypX = -99 km HypZ = -99 km avTr = 2.0 s avVr = 2.5 km/s\n"
    "% Invs : Nx = 2 Nz = 1 Fmin = 0 Hz Fmax = 1 Hz\n"
    "% Invs : Dx = 4.00 km Dz = 3.00 km\n"
    "% Invs : Ntw = 1 Nsg = 3\n"
    "% SVF  : Asymetriccosine (type of SVF)\n"
    "%\n"
    "% SEGMENT # 1: STRIKE = 40 deg DIP = 50 deg\n"
    "% LEN = 8 km WID = 3 km\n"
    "% Nsbfs = 2 subfaults\n"
    "% LAT LON X==NS Y==EW Z SLIP RISE\n"
    "0.0100\t0.0100\t1.1\t1.1\t10.0\t1.0\t-99   \n"
    "0.0300 0.0300 3.3 3.3 10.0 2.0 3.0\n"
    "% SEGMENT # 2: STRIKE = 90 deg DIP = 80 deg\n"
    "% Dx = 2.00 km Dz = 2.00 km\n"
    "% Nsbfs = 3 subfaults\n"
    "% LAT LON X==NS Y==EW Z SLIP RISE\n"
    "-0.0100 0.0000 -1.1 0.0 12.0 1.0 0\n"
    "-0.0100 0.0180 -1.1 2.0 12.0 0.5 1.0\n"
    "-0.0100 0.0360 -1.1 4.0 12.0 0.25 999\n"
    "% SEGMENT # 3: STRIKE = 45 deg DIP = 60 deg\n"
    "% Nsbfs = 1 subfaults\n"
    "% LAT LON X==NS Y==EW Z SLIP RISE\n"
    "0.0500 0.0500 5.5 5.5 8.0 0.5 1.0\n";

double onset(double lat, double lon, double depth, double vr) {
    const double north = lat * km_per_degree, east = lon * km_per_degree, down = depth - 10.0;
    return std::sqrt(north * north + east * east + down * down) * 1000.0 / vr;
}

TEST(PublishedModels, AUsgsFspWithThreeSegmentsAndSentinels) {
    TempDir dir;
    write_file(dir.file("u.fsp"), usgs);
    const Outcome result = rupture(dir.path(), {"--export=srf,srf-sw4", "u.fsp"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("SVF 'Asymetriccosine': asymmetric cosine, rise = fall = RISE/2"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("onsets: distance to the hypocentre / 2500 m/s (the header's avVr)"), std::string::npos);
    EXPECT_NE(result.out.find("positions: the subfaults' centres"), std::string::npos);
    EXPECT_EQ(result.out.find("stated by the model"), std::string::npos) << "Mo = 999 states nothing";
    const double m0 = 3e10 * (12e6 * 3.0 + 4e6 * 1.75 + 12e6 * 0.5);
    char want[64];
    std::snprintf(want, sizeof want, " M0 (N m) = %.7g\n", m0);
    EXPECT_NE(result.out.find(want), std::string::npos) << result.out;

    const Srf exchange = read_srf(read_file(dir.file("Exp_Rupture.srf")));
    ASSERT_EQ(exchange.plane.size(), 6u);
    ASSERT_EQ(exchange.blocks.size(), 3u);
    EXPECT_EQ(exchange.blocks[0].size(), 2u);
    EXPECT_EQ(exchange.blocks[1].size(), 3u);
    EXPECT_EQ(exchange.blocks[2].size(), 1u);
    EXPECT_EQ(exchange.plane[1][0], "40.00");
    EXPECT_EQ(exchange.plane[3][0], "90.00");
    EXPECT_EQ(exchange.plane[3][1], "80.00");
    EXPECT_EQ(exchange.plane[2][2] + "x" + exchange.plane[2][3], "3x1");
    const Srf sw4 = read_srf(read_file(dir.file("Exp_Rupture_sw4.srf")));
    ASSERT_EQ(sw4.blocks.size(), 1u);
    ASSERT_EQ(sw4.blocks[0].size(), 6u);

    struct Want {
        double lat, lon, z, area_cm2, rise;
    };
    const Want w[] = {{0.01, 0.01, 10, 1.2e11, 2.0}, {0.03, 0.03, 10, 1.2e11, 3.0}, {-0.01, 0, 12, 4e10, 2.0},
                      {-0.01, 0.018, 12, 4e10, 1.0}, {-0.01, 0.036, 12, 4e10, 2.0}, {0.05, 0.05, 8, 1.2e11, 1.0}};
    for (int p = 0; p < 6; ++p) {
        const Point& point = sw4.blocks[0][p];
        EXPECT_EQ(point.head[1], fixed(w[p].lat, 6)) << p;
        EXPECT_EQ(point.head[2], fixed(w[p].z, 5)) << p;
        EXPECT_NEAR(std::stod(point.head[5]), w[p].area_cm2, 1e-6 * w[p].area_cm2) << p;
        EXPECT_NEAR(std::stod(point.head[6]), onset(w[p].lat, w[p].lon, w[p].z, 2500.0), 5e-7) << p;
        EXPECT_EQ(point.slip[0], "180.00");
        // An asymmetric cosine of rise + fall = RISE, sampled to its end.
        EXPECT_EQ(std::stol(point.slip[2]), std::lround(w[p].rise / 0.01) + 1) << p;
    }

    // --rupture-velocity wins over avVr; --shape wins over the SVF.
    TempDir other;
    write_file(other.file("u.fsp"), usgs);
    const Outcome faster = rupture(other.path(), {"--export=srf-sw4", "--rupture-velocity=2000", "--shape=boxcar", "u.fsp"});
    ASSERT_EQ(faster.status, 0) << faster.err;
    EXPECT_NE(faster.out.find("--shape=boxcar wins over the model's SVF 'Asymetriccosine'"), std::string::npos) << faster.out;
    EXPECT_NE(faster.out.find("onsets: distance to the hypocentre / 2000 m/s (--rupture-velocity)"), std::string::npos);
    const Srf fast = read_srf(read_file(other.file("Exp_Rupture_sw4.srf")));
    EXPECT_NEAR(std::stod(fast.blocks[0][0].head[6]), onset(0.01, 0.01, 10, 2000.0), 5e-7);
    EXPECT_EQ(std::stol(fast.blocks[0][1].slip[2]), 301) << "a boxcar of RISE = 3 s";
}

// Two time windows of a 1 s triangle, 0.5 s apart, with 0.9 m and 0.6 m
// (60 % and 40 % of the slip): the SRF's samples are the weighted sum,
// scaled to SLIP1, and the moment rate mu A (0.9 tri(t) + 0.6 tri(t - 0.5)).
TEST(PublishedModels, SeveralTimeWindowsAddUp) {
    const std::string head =
        "% Loc  : LAT = 0 LON = 0 DEP = 5\n% Mech : STRK = 0 DIP = 90 RAKE = 0\n% Invs : Dx = 1 km Dz = 1 km\n"
        "% Invs : Ntw = 2 Nsg = 1\n% Invs : LEN = 1.0 s SHF = 0.5 s\n% SVF  : triangle\n% Nsbfs = 1 subfaults\n"
        "% LAT LON X==EW Y==NS Z SLIP RAKE TRUP TW1 rkTW1 TW2 rkTW2\n";
    TempDir dir;
    write_file(dir.file("w.fsp"), head + "0 0 0 0 5 1.5 90 0.0 0.9 90 0.6 90\n");
    const Outcome result = rupture(dir.path(), {"--export=srf-sw4", "w.fsp"});
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string text = read_file(dir.file("Exp_Rupture_sw4.srf"));
    const Srf srf = read_srf(text);
    ASSERT_EQ(srf.blocks[0][0].slip[2], "151");  // 1 s + 0.5 s, sampled at 0.01 s
    EXPECT_EQ(srf.blocks[0][0].slip[0], "90.00");
    // The samples: 100 (0.6 tri(t) + 0.4 tri(t - 0.5)), tri of unit area on [0, 1].
    const auto tri = [](double t) { return t <= 0 || t >= 1 ? 0.0 : t <= 0.5 ? 4 * t : 4 * (1 - t); };
    std::istringstream in(text);
    std::string l;
    while (std::getline(in, l) && l.rfind("90.00 ", 0) != 0) {
    }
    std::vector<double> got;
    for (double v; in >> v;) got.push_back(v);
    ASSERT_EQ(got.size(), 151u);
    double sum = 0;
    for (int k = 0; k < 150; ++k) sum += 0.6 * tri(k * 0.01) + 0.4 * tri(k * 0.01 - 0.5);
    for (int k = 0; k < 150; ++k) {
        const double want = 150.0 * (0.6 * tri(k * 0.01) + 0.4 * tri(k * 0.01 - 0.5)) / (0.01 * sum);
        EXPECT_NEAR(got[k], want, 5e-7 * want + 1e-12) << k;
    }
    const std::string rate = read_file(dir.file("Exp_MomentRate.csv"));
    for (const auto& [row, want] : {std::pair{"0.25,", 3e10 * 1e6 * 0.9 * 1.0}, std::pair{"0.75,", 3e10 * 1e6 * (0.9 * 1.0 + 0.6 * 1.0)}}) {
        const std::size_t at = rate.find(std::string("\n") + row);
        ASSERT_NE(at, std::string::npos) << row;
        EXPECT_NEAR(std::stod(rate.substr(at + 1 + std::string(row).size())), want, 1e-9 * want) << row;
    }
    // Windows whose rakes differ are not read yet.
    write_file(dir.file("x.fsp"), head + "0 0 0 0 5 1.5 90 0.0 0.9 90 0.6 80\n");
    const Outcome refused = rupture(dir.path(), {"x.fsp"});
    EXPECT_EQ(refused.status, 65);
    EXPECT_EQ(refused.err, "exp-slipv: x.fsp:9: time windows with different rakes (90 and 80): not read yet\n");
}

// A USGS .param file: two segments, "Dx=" and "Dx =", a leading blank, E
// exponents; a zero rise (the fall alone) and a zero fall (the rise alone);
// mu from mo / (area slip), so that M0 is the model's.
const std::string param =
    "#Total number of fault_segments=     2\n"
    "#Fault_segment =   1 nx(Along-strike)=  2 Dx= 3.00km ny(downdip)=  1 Dy= 2.00km\n"
    "#Boundary of Fault_segment     1. EQ in cell 1,1. Lon:   20.0000   Lat:  10.0000\n"
    "#Lon.  Lat.  Depth\n"
    "   19.99  9.99  4.0\n   20.03  9.99  4.0\n   20.03 10.02  6.0\n   19.99 10.02  6.0\n   19.99  9.99  4.0\n"
    "#Lat. Lon. depth slip rake strike dip t_rup t_ris t_fal mo\n"
    " 10.0000 20.0000 5.0000 100.0 90.0 30.0 45.0 0.5 1.2 0.8 1.8E+24\n"
    " 10.0100 20.0200 5.0000 0.0 90.0 30.0 45.0 1.5 0.0 2.0 0.0e+00\n"
    " #Fault_segment =   2 nx(Along-strike)=  1 Dx =2.00km ny(downdip)=  1 Dy =2.00km\n"
    "#Boundary of Fault_segment     2. Lon:   20.0000   Lat:  10.0000\n"
    "#Lon.  Lat.  Depth\n"
    "   20.03 10.01 5.0\n   20.05 10.01 5.0\n   20.05 10.03 7.0\n   20.03 10.03 7.0\n   20.03 10.01 5.0\n"
    "#Lat. Lon. depth slip rake strike dip t_rup t_ris t_fal mo\n"
    " 10.0200 20.0400 6.0000 50.0 80.0 35.0 50.0 2.0 1.0 0.0 6.0e+23\n";

TEST(PublishedModels, AUsgsParamFile) {
    TempDir dir;
    write_file(dir.file("m.param"), param);
    const Outcome result = rupture(dir.path(), {"--export=srf", "m.param"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("Rupture from m.param (USGS .param)"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("1 subfaults with t_ris = 0: the fall alone"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("1 subfaults with t_fal = 0: the rise alone"), std::string::npos);
    // 1.8e24 + 6e23 dyne cm = 2.4e17 N m.
    EXPECT_NE(result.out.find(" M0 (N m) = 2.4e+17\n"), std::string::npos) << result.out;
    const Srf srf = read_srf(read_file(dir.file("Exp_Rupture.srf")));
    ASSERT_EQ(srf.blocks.size(), 2u);
    const Point& a = srf.blocks[0][0];
    EXPECT_EQ(a.head[0], "20.000000");
    EXPECT_EQ(a.head[1], "10.000000");
    EXPECT_EQ(a.head[2], "5.00000");
    EXPECT_EQ(a.head[3], "30.00");
    EXPECT_EQ(a.head[4], "45.00");
    EXPECT_EQ(a.head[5], "6.000000e+10");  // 3 km x 2 km
    EXPECT_EQ(a.head[6], "0.500000");
    EXPECT_EQ(a.slip[1], "1.0000000e+02");  // 100 cm
    EXPECT_EQ(a.slip[2], "201");             // rise 1.2 s + fall 0.8 s
    // mu = 1.8e17 N m / (6e6 m^2 x 1 m) = 3e10 Pa = VS^2 DEN.
    EXPECT_NEAR(std::pow(std::stod(a.head[8]), 2) * std::stod(a.head[9]), 3e11, 3e11 * 1e-6);
    EXPECT_EQ(srf.blocks[0][1].slip[2], "0");
    EXPECT_EQ(srf.blocks[1][0].head[5], "4.000000e+10");
    EXPECT_EQ(srf.blocks[1][0].slip[2], "101");  // the rise alone, 1 s
}

// Files that cannot be used: status 65, the file and line, nothing written.
TEST(PublishedModels, BadFilesAreRefusedWithTheirLine) {
    const std::string fsp_head = "% Loc  : LAT = 0 LON = 0 DEP = 5\n% Mech : STRK = 0 DIP = 90 RAKE = 0\n"
                                 "% Invs : Dx = 1 km Dz = 1 km\n% SVF  : triangle\n";
    struct Bad {
        std::string file, text;
        std::vector<std::string> args;
        std::string message;
    };
    const std::vector<Bad> cases = {
        {"a.fsp", "% Rupt : avTr = abc s\n% LAT LON Z SLIP TRUP RISE\n0 0 5 1 0 1\n", {}, "a.fsp:1: AVTR 'abc': not a number"},
        {"b.fsp", fsp_head + "0 0 5 1 0 1\n", {}, "b.fsp:5: a row before the column line (% LAT LON ... SLIP ...)"},
        {"c.fsp", fsp_head + "% Nsbfs = 3 subfaults\n% LAT LON Z SLIP TRUP RISE\n0 0 5 1 0 1\n0 0.01 5 1 1 1\n", {},
         "c.fsp:8: segment 1 declares 3 subfaults and has 2: the file is cut short"},
        {"d.fsp", fsp_head + "% LAT LON Z SLIP TRUP RISE\n0 0 5 1 0\n", {}, "d.fsp:6: 5 fields where the column line has 6"},
        {"e.fsp", fsp_head + "% LAT LON Z SLIP TRUP RISE\n0 0 5 1x 0 1\n", {}, "e.fsp:6: SLIP '1x': not a number"},
        {"f.fsp", "% Loc : LAT = 0 LON = 0 DEP = 5\n% Mech : STRK = 0 DIP = 90 RAKE = 0\n% Invs : Dx = 1 km Dz = 1 km\n"
                  "% SVF : tanhyp\n% LAT LON Z SLIP TRUP RISE\n0 0 5 1 0 1\n", {},
         "f.fsp:4: SVF 'tanhyp' is no pulse this program has: give --shape"},
        {"g.fsp", "% Loc : LAT = 0 LON = 0 DEP = 5\n% Mech : STRK = 0 DIP = 90 RAKE = 0\n% Invs : Dx = 1 km Dz = 1 km\n"
                  "% SVF : kostrov\n% LAT LON Z SLIP TRUP RISE\n0 0 5 1 0 1\n", {},
         "g.fsp:4: SVF 'kostrov' is read as the regularized Yoffe function: give its --smoothing (and --shape=yoffe)"},
        {"h.fsp", fsp_head + "% LAT LON Z SLIP RISE\n0 0 5 1 1\n", {},
         "h.fsp:5: no onsets (no TRUP values): give --rupture-velocity, and the header's Loc line the hypocentre"},
        {"i.fsp", "%\n", {}, "i.fsp:1: no subfault rows"},
        {"j.fsp", fsp_head + "% LAT LON Z SLIP TRUP\n0 0 5 1 0\n% LAT LON Z SLIP TRUP RISE\n0 0 5 1 0 1\n", {},
         "j.fsp:7: a second column line in segment 1, after its rows"},
        {"e.csv", "", {}, "e.csv:1: no header line: the table is empty"},
        {"a.param", "#Total number of fault_segments=     1\n", {}, "a.param:1: 1 segments declared, 0 given: the file is cut short"},
        {"b.param", "#Total number of fault_segments= 1\n#Fault_segment = 1 nx(Along-strike)= 2 Dx= 1km ny(downdip)= 1 Dy= 1km\n"
                    "#Lat. Lon. depth slip rake strike dip t_rup t_ris t_fal mo\n 0 0 5 100 0 0 90 0 1 1 1e24\n", {},
         "b.param:2: segment 1 lacks 1 of its rows: the file is cut short"},
        {"c.param", "#Total number of fault_segments= 1\n#Fault_segment = 1 nx(Along-strike)= 1 Dx= 1km ny(downdip)= 1 Dy= 1km\n"
                    "#Lat. Lon. depth slip rake strike dip t_rup t_ris t_fal mo\n 0 0 5 100 0 0 90 0 0 0 1e24\n", {},
         "c.param:4: t_ris and t_fal both 0: no pulse"},
        {"d.param", "#Total number of fault_segments= 1\n#Fault_segment = 1 nx(Along-strike)= 1 Dx= 1km ny(downdip)= 1 Dy= 1km\n"
                    "#Lat. Lon. depth slip rake strike dip t_rup t_ris t_fal mo\n 0 0 5 100 0 0 90 0 1\n", {},
         "d.param:4: 9 fields where a row has 11 (Lat Lon depth slip rake strike dip t_rup t_ris t_fal mo)"},
    };
    for (const Bad& c : cases) {
        TempDir dir;
        write_file(dir.file(c.file), c.text);
        std::vector<std::string> args = c.args;
        args.push_back(c.file);
        const Outcome result = rupture(dir.path(), args);
        EXPECT_EQ(result.status, 65) << c.message << "\n" << result.err;
        EXPECT_EQ(result.err, "exp-slipv: " + c.message + "\n");
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(testing_support::directory_entries(dir.path()).size(), 1u) << c.message;
    }
}

}  // namespace
