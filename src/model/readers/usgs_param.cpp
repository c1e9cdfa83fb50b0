// The USGS ".param" finite-fault model: segments of nx x ny rows
//   Lat Lon depth slip rake strike dip t_rup t_ris t_fal mo
// (depth km, slip cm, times s, mo dyne cm), each the centre of a subfault
// of Dx by Dy km, slipping with an asymmetric cosine of rise t_ris and fall
// t_fal.
#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "model/header_fields.hpp"
#include "model/model_error.hpp"
#include "model/model_reader.hpp"
#include "source/shapes/asymmetric_cosine.hpp"

namespace exp_slipv {

namespace {

constexpr std::string_view first_words = "#Total number of fault_segments";
constexpr double m_per_cm = 0.01;
constexpr double m2_per_km2 = 1e6;
constexpr double nm_per_dyne_cm = 1e-7;
constexpr std::size_t row_fields = 11;
constexpr double max_segment_cells = 1e7;
constexpr double max_segments = 1e4;

enum Field { lat, lon, depth, slip, rake, strike, dip, t_rup, t_ris, t_fal, moment };

std::string_view without_leading_blanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    return text;
}

struct SegmentHeader {
    long nx = 0, ny = 0;
    double dx_km = 0.0, dy_km = 0.0;
};

double field_number(const std::vector<HeaderField>& fields, std::string_view key, std::int64_t line) {
    const std::optional<std::string> text = field_value(fields, key);
    if (!text) throw ModelError{line, "no " + std::string(key) + " on the segment's line"};
    const std::optional<double> v = leading_number(*text);
    if (!v) throw ModelError{line, std::string(key) + " '" + *text + "': not a number"};
    return *v;
}

class UsgsParamReader final : public ModelReader {
public:
    std::string_view name() const override { return "USGS .param"; }
    int rank() const override { return 5; }
    bool recognises(std::string_view head) const override {
        std::size_t i = 0;
        while (i < head.size() && (head[i] == ' ' || head[i] == '\t' || head[i] == '\r' || head[i] == '\n')) ++i;
        return head.substr(i).starts_with(first_words);
    }

    RuptureModel read(LineReader& lines, const ModelDefaults& defaults) const override {
        RuptureModel model;
        std::string_view line;
        long declared_segments = -1;
        std::optional<SegmentHeader> segment;  // the one whose rows come
        long rows_left = 0;
        int segment_number = 0;
        bool in_rows = false;
        std::int64_t segment_line = 0;
        std::size_t zero_rise = 0, zero_fall = 0;
        while (lines.next(line)) {
            const std::int64_t number = lines.line_number();
            const std::string_view text = without_leading_blanks(line);
            if (text.empty()) continue;
            if (text.front() == '#') {
                const std::vector<HeaderField> fields = header_fields(text);
                const std::string key = normal_key(words(text)[0]);
                if (text.starts_with(first_words)) {
                    const double declared = field_number(fields, "FAULT_SEGMENTS", number);
                    if (!(declared >= 1.0 && declared <= max_segments && declared == std::floor(declared)))
                        throw ModelError{number, "the number of fault segments must be a whole number from 1 to 10000"};
                    declared_segments = static_cast<long>(declared);
                } else if (key == "FAULT_SEGMENT") {
                    if (rows_left > 0) throw_cut(segment_line, segment_number, rows_left);
                    SegmentHeader h;
                    const double nx = field_number(fields, "NX", number), ny = field_number(fields, "NY", number);
                    if (!(nx >= 1 && ny >= 1 && nx * ny <= max_segment_cells && nx == std::floor(nx) && ny == std::floor(ny)))
                        throw ModelError{number, "nx and ny must be whole numbers from 1, at most 1e7 cells"};
                    h.nx = static_cast<long>(nx);
                    h.ny = static_cast<long>(ny);
                    h.dx_km = field_number(fields, "DX", number);
                    h.dy_km = field_number(fields, "DY", number);
                    if (!(h.dx_km > 0.0 && h.dy_km > 0.0)) throw ModelError{number, "Dx and Dy must be above 0"};
                    segment = h;
                    ++segment_number;
                    segment_line = number;
                    in_rows = false;
                } else if (segment && key == "LAT." && !in_rows) {
                    // "#Lat. Lon. depth slip ...": the rows come.
                    in_rows = true;
                    rows_left = segment->nx * segment->ny;
                }
                continue;
            }
            if (!in_rows) {
                // The boundary's corners, and anything else between the headers.
                if (segment_number == 0) throw ModelError{number, "a line before the first #Fault_segment line"};
                continue;
            }
            if (rows_left == 0) throw ModelError{number, "more rows than segment " + std::to_string(segment_number) + " declares"};
            model.subfaults.push_back(read_row(text, number, *segment, segment_number, defaults, zero_rise, zero_fall));
            --rows_left;
        }
        if (declared_segments < 0) throw ModelError{1, "no '#Total number of fault_segments' line"};
        if (rows_left > 0) throw_cut(segment_line, segment_number, rows_left);
        if (segment_number < declared_segments)
            throw ModelError{lines.line_number(), std::to_string(declared_segments) + " segments declared, " + std::to_string(segment_number) +
                                                      " given: the file is cut short"};
        if (model.subfaults.empty()) throw ModelError{lines.line_number(), "no subfault"};
        model.pulse_notes.push_back("asymmetric cosine of each row's t_ris and t_fal");
        if (zero_rise > 0) model.pulse_notes.push_back(std::to_string(zero_rise) + " subfaults with t_ris = 0: the fall alone");
        if (zero_fall > 0) model.pulse_notes.push_back(std::to_string(zero_fall) + " subfaults with t_fal = 0: the rise alone");
        model.pulse_notes.push_back("mu = mo / (area slip) where there is slip, so the SRF's moment is the model's");
        return model;
    }

private:
    [[noreturn]] static void throw_cut(std::int64_t line, int segment, long left) {
        throw ModelError{line, "segment " + std::to_string(segment) + " lacks " + std::to_string(left) + " of its rows: the file is cut short"};
    }

    static Subfault read_row(std::string_view text, std::int64_t number, const SegmentHeader& h, int segment,
                             const ModelDefaults& defaults, std::size_t& zero_rise, std::size_t& zero_fall) {
        const std::vector<std::string_view> w = words(text);
        if (w.size() < row_fields)
            throw ModelError{number, std::to_string(w.size()) + " fields where a row has " + std::to_string(row_fields) +
                                         " (Lat Lon depth slip rake strike dip t_rup t_ris t_fal mo)"};
        double v[row_fields];
        static const char* const names[row_fields] = {"Lat", "Lon", "depth", "slip", "rake", "strike", "dip", "t_rup", "t_ris", "t_fal", "mo"};
        for (std::size_t i = 0; i < row_fields; ++i) {
            const std::optional<double> value = leading_number(w[i]);
            if (!value || *value != *value) throw ModelError{number, std::string(names[i]) + " '" + std::string(w[i]) + "': not a number"};
            v[i] = *value;
        }
        Subfault s;
        s.line = number;
        s.segment = segment;
        s.lat_deg = v[lat];
        s.lon_deg = v[lon];
        s.depth_km = v[depth];
        s.slip_m = v[slip] * m_per_cm;
        s.rake_deg = v[rake];
        s.strike_deg = v[strike];
        s.dip_deg = v[dip];
        s.onset_s = v[t_rup];
        s.area_m2 = h.dx_km * h.dy_km * m2_per_km2;
        const auto check = [&](bool holds, const char* what) {
            if (!holds) throw ModelError{number, what};
        };
        check(s.lat_deg >= -90.0 && s.lat_deg <= 90.0, "Lat outside -90 to 90");
        check(s.lon_deg >= -360.0 && s.lon_deg <= 360.0, "Lon outside -360 to 360");
        check(s.depth_km >= 0.0, "negative depth");
        check(s.slip_m >= 0.0, "negative slip");
        check(s.dip_deg >= 0.0 && s.dip_deg <= 90.0, "dip outside 0 to 90");
        check(s.onset_s >= 0.0, "negative t_rup");
        check(v[t_ris] >= 0.0 && v[t_fal] >= 0.0, "negative t_ris or t_fal");
        check(v[t_ris] > 0.0 || v[t_fal] > 0.0, "t_ris and t_fal both 0: no pulse");
        check(v[t_ris] <= 1e9 && v[t_fal] <= 1e9, "t_ris or t_fal above 1e9 s");
        zero_rise += v[t_ris] == 0.0;
        zero_fall += v[t_fal] == 0.0;
        const double mo_nm = v[moment] * nm_per_dyne_cm;
        if (s.slip_m > 0.0 && mo_nm > 0.0) {
            s.rigidity_pa = mo_nm / (s.area_m2 * s.slip_m);
        } else {
            s.rigidity_pa = defaults.rigidity_pa;
        }
        s.density_kg_m3 = assumed_density_kg_m3;
        s.vs_m_s = std::sqrt(s.rigidity_pa / assumed_density_kg_m3);
        s.source = make_asymmetric_cosine(v[t_ris], v[t_fal]);
        return s;
    }
};

const UsgsParamReader reader;
const bool registered = register_model_reader(reader);

}  // namespace

}  // namespace exp_slipv
