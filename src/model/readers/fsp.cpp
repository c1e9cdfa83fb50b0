// FSP, the finite-source models of SRCMOD and the USGS: '%' header lines of
// "KEY = value" fields, optional "% SEGMENT" blocks, an optional velocity
// and density structure, a column line (LAT LON ... SLIP ...) and one row of
// numbers per subfault.  Sentinels (-99, 999, and 0 where 0 cannot be meant)
// count as "not given".
#include <algorithm>
#include <cctype>
#include <cmath>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

#include "model/header_fields.hpp"
#include "model/model_error.hpp"
#include "model/model_reader.hpp"
#include "source/windowed_source.hpp"

namespace exp_slipv {

namespace {

using std::numbers::pi;

constexpr double km_per_degree = pi * 6371.0 / 180.0;
constexpr double m_per_km = 1000.0;
constexpr double m2_per_km2 = 1e6;
constexpr double kg_m3_per_g_cm3 = 1000.0;
constexpr double same_rake_degrees = 1e-6;

// -99 (varies) and 999 (not known) are never values; 0 is "does not apply"
// where zero cannot be meant (a length, a time, a velocity).
bool sentinel(double v) { return v == -99.0 || v == 999.0; }
std::optional<double> given(std::optional<double> v, bool zero_is_sentinel) {
    if (!v || sentinel(*v) || (zero_is_sentinel && *v == 0.0)) return std::nullopt;
    return v;
}

std::string upper(std::string_view text) {
    std::string s(text);
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// A whole word as a number.
std::optional<double> number_word(std::string_view word) {
    const std::optional<double> v = leading_number(word);
    if (!v) return std::nullopt;
    // leading_number takes a prefix: the word must be all number.
    std::size_t i = 0;
    while (i < word.size() && (std::isdigit(static_cast<unsigned char>(word[i])) || std::string_view("+-.eE").find(word[i]) != std::string_view::npos)) ++i;
    if (i != word.size()) return std::nullopt;
    return v;
}

struct Segment {
    std::optional<double> strike, dip, dx_km, dz_km;
    std::optional<long> declared;  // Nsbfs
    std::int64_t line = 0;         // where it begins
    std::vector<std::string> columns;
    std::int64_t column_line = 0;
    std::size_t rows = 0;
    std::int64_t last_row_line = 0;
};

struct Layer {
    double top_km, vs_km_s, density_g_cm3;
};

// What the header states, read as the lines come.
struct Header {
    std::optional<double> hypo_lat, hypo_lon, hypo_depth;
    std::optional<double> stated_moment;
    std::optional<double> strike, dip, rake;
    std::optional<double> av_rise, av_velocity_km_s;
    std::optional<double> nx, nz, dx_km, dz_km;
    std::optional<double> windows, window_length, window_shift;
    std::string svf;
    std::int64_t svf_line = 0;
    bool top_centre = false;
    // The velocity structure.
    bool in_structure = false;
    std::optional<long> layer_count;
    std::vector<std::string> layer_columns;
    std::vector<Layer> layers;
};

std::optional<double> header_number(const std::vector<HeaderField>& fields, std::string_view key, std::int64_t line) {
    const std::optional<std::string> text = field_value(fields, key);
    if (!text || text->empty()) return std::nullopt;
    const std::optional<double> v = leading_number(*text);
    if (!v) throw ModelError{line, std::string(key) + " '" + *text + "': not a number"};
    return v;
}

// The pulse the model names for a rise time, or why there is none.
struct PulseChoice {
    const Shape* shape = nullptr;
    std::string why;  // the transcript's note
    std::string problem;
};

bool contains(const std::string& text, std::string_view part) { return text.find(part) != std::string::npos; }

// A count the header declares: a whole number within reason.
constexpr double max_count = 1e8;
constexpr double max_windows = 1000.0;
long count_of(double value, std::int64_t line, const char* what, double most = max_count) {
    if (!(value >= 0.0 && value <= most && value == std::floor(value)))
        throw ModelError{line, std::string(what) + " " + short_number(value) + ": not a whole number from 0 to " + short_number(most)};
    return static_cast<long>(value);
}

PulseChoice choose_pulse(const Header& h, const ModelDefaults& d) {
    const std::string svf = upper(h.svf);
    if (d.pulse.shape_given)
        return {d.pulse.shape, "--shape=" + std::string(d.pulse.shape->name()) + " wins over the model's SVF '" + h.svf + "'", {}};
    if (contains(svf, "TRIANG")) return {find_shape("triangle"), "SVF '" + h.svf + "': triangle, RISE its duration", {}};
    if (contains(svf, "BOXCAR")) return {find_shape("boxcar"), "SVF '" + h.svf + "': boxcar, RISE its duration", {}};
    if (contains(svf, "COS") && contains(svf, "ASYM"))
        return {find_shape("asymmetric-cosine"), "SVF '" + h.svf + "': asymmetric cosine, rise = fall = RISE/2", {}};
    if (contains(svf, "KOSTROV")) {
        if (d.pulse.values.find("smoothing") == nullptr)
            return {nullptr, {}, "SVF '" + h.svf + "' is read as the regularized Yoffe function: give its --smoothing (and --shape=yoffe)"};
        return {find_shape("yoffe"), "SVF '" + h.svf + "': regularized Yoffe function, RISE its rise tauR", {}};
    }
    return {nullptr, {}, "SVF '" + h.svf + "' is no pulse this program has: give --shape"};
}

// A rise time as the chosen shape takes it.
ShapeValues rise_values(const Shape& shape, double rise) {
    ShapeValues values;
    const std::string text = short_number(rise);
    const auto takes = [&](std::string_view name) {
        for (const ShapeOption& o : shape.options())
            if (o.name == name) return true;
        return false;
    };
    if (shape.name() == "asymmetric-cosine") {
        const std::string half = short_number(rise / 2.0);
        values.set("rise", half);
        values.set("fall", half);
    } else if (shape.name() == "yoffe") {
        values.set("rise", text);
    } else if (takes("duration")) {
        values.set("duration", text);
    } else if (takes("rise-time")) {
        values.set("rise-time", text);
    }
    return values;
}

class FspReader final : public ModelReader {
public:
    std::string_view name() const override { return "FSP"; }
    int rank() const override { return 10; }
    // The first line that is not blank begins with '%'.
    bool recognises(std::string_view head) const override {
        for (std::size_t i = 0; i < head.size(); ++i) {
            const char c = head[i];
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
            return c == '%';
        }
        return false;
    }

    RuptureModel read(LineReader& lines, const ModelDefaults& defaults) const override {
        Header h;
        std::vector<Segment> segments;
        std::vector<std::vector<double>> rows;  // numbers of every row
        std::vector<std::int64_t> row_lines;
        std::vector<std::size_t> row_segment;
        std::string_view line;
        while (lines.next(line)) {
            const std::int64_t number = lines.line_number();
            std::size_t start = 0;
            while (start < line.size() && (line[start] == ' ' || line[start] == '\t')) ++start;
            if (start == line.size()) continue;
            if (line[start] != '%') {
                read_row(line, number, segments, rows, row_lines, row_segment);
                continue;
            }
            read_header_line(line.substr(start + 1), number, h, segments);
        }
        if (segments.empty() || rows.empty()) throw ModelError{std::max<std::int64_t>(lines.line_number(), 1), "no subfault rows"};
        for (std::size_t k = 0; k < segments.size(); ++k) check_count(segments[k], k, segments.size(), h);
        return build(h, segments, rows, row_lines, row_segment, defaults);
    }

private:
    static void read_header_line(std::string_view body, std::int64_t number, Header& h, std::vector<Segment>& segments) {
        const std::vector<std::string_view> w = words(body);
        if (w.empty()) return;
        const std::string text = upper(body);
        if (contains(text, "TOP-CENT") || contains(text, "TOP CENT")) h.top_centre = true;
        if (contains(text, "VELOCITY-DENSITY STRUCTURE") || contains(text, "VELOCITY DENSITY STRUCTURE")) {
            h.in_structure = true;
            return;
        }
        // A column line: LAT and LON among its words.
        const auto has_word = [&](std::string_view word) {
            return std::any_of(w.begin(), w.end(), [&](std::string_view x) { return upper(x) == word; });
        };
        // "X==EW" names a column; a single '=' gives a value.
        std::string without_pairs(body);
        for (std::size_t at; (at = without_pairs.find("==")) != std::string::npos;) without_pairs.erase(at, 2);
        if (has_word("LAT") && has_word("LON") && without_pairs.find('=') == std::string::npos) {
            if (segments.empty()) segments.push_back({});
            Segment& s = segments.back();
            // The rows read so far hold the earlier line's columns.
            if (s.rows > 0)
                throw ModelError{number, "a second column line in segment " + std::to_string(segments.size()) + ", after its rows"};
            s.columns.clear();
            for (std::string_view x : w) s.columns.push_back(upper(x));
            s.column_line = number;
            h.in_structure = false;
            return;
        }
        if (h.in_structure) {
            if (has_word("DEPTH") && (has_word("S-VEL") || has_word("S_VEL"))) {
                h.layer_columns.clear();
                for (std::string_view x : w) h.layer_columns.push_back(normal_key(x));
                return;
            }
            if (number_word(w[0]) && !h.layer_columns.empty()) {
                read_layer(w, number, h);
                return;
            }
        }
        const std::vector<HeaderField> f = header_fields(body);
        const std::string tag = normal_key(w[0]);
        if (tag == "SEGMENT" || tag.rfind("SEGMENT", 0) == 0) {
            Segment s;
            s.line = number;
            s.strike = given(header_number(f, "STRIKE", number), false);
            s.dip = given(header_number(f, "DIP", number), false);
            segments.push_back(s);
            return;
        }
        if (tag == "LOC") {
            h.hypo_lat = header_number(f, "LAT", number);
            h.hypo_lon = header_number(f, "LON", number);
            h.hypo_depth = header_number(f, "DEP", number);
        } else if (tag == "SIZE") {
            h.stated_moment = given(header_number(f, "MO", number), true);
        } else if (tag == "MECH") {
            h.strike = given(header_number(f, "STRK", number), false);
            h.dip = given(header_number(f, "DIP", number), false);
            h.rake = given(header_number(f, "RAKE", number), false);
        } else if (tag == "RUPT") {
            h.av_rise = given(header_number(f, "AVTR", number), true);
            h.av_velocity_km_s = given(header_number(f, "AVVR", number), true);
        } else if (tag == "INVS") {
            if (auto v = header_number(f, "NX", number)) h.nx = static_cast<double>(count_of(*v, number, "Nx"));
            if (auto v = header_number(f, "NZ", number)) h.nz = static_cast<double>(count_of(*v, number, "Nz"));
            if (auto v = given(header_number(f, "DX", number), true)) h.dx_km = v;
            if (auto v = given(header_number(f, "DZ", number), true)) h.dz_km = v;
            if (auto v = header_number(f, "NTW", number)) h.windows = static_cast<double>(count_of(*v, number, "Ntw", max_windows));
            if (auto v = given(header_number(f, "LEN", number), true)) h.window_length = v;
            if (auto v = given(header_number(f, "SHF", number), true)) h.window_shift = v;
        } else if (tag == "SVF") {
            const std::size_t colon = body.find(':');
            const std::vector<std::string_view> after = words(colon == std::string_view::npos ? body.substr(w[0].size()) : body.substr(colon + 1));
            h.svf.clear();
            // The name: the words before a parenthesised remark.
            for (std::string_view x : after) {
                if (x.front() == '(') break;
                { if (!h.svf.empty()) h.svf += " "; h.svf += x; }
            }
            h.svf_line = number;
        } else if (!segments.empty() && segments.back().columns.empty()) {
            // A segment block's own lines.
            Segment& s = segments.back();
            if (auto v = given(header_number(f, "DX", number), true)) s.dx_km = v;
            if (auto v = given(header_number(f, "DZ", number), true)) s.dz_km = v;
        }
        if (auto v = header_number(f, "NSBFS", number)) {
            if (segments.empty() || !segments.back().columns.empty()) segments.push_back({});
            segments.back().declared = count_of(*v, number, "Nsbfs");
        }
        if (contains(text, "NO. OF LAYERS")) {
            const std::vector<std::string_view> after = words(body.substr(body.find('=') == std::string_view::npos ? body.size() : body.find('=') + 1));
            if (!after.empty())
                if (const std::optional<double> v = leading_number(after[0])) h.layer_count = count_of(*v, number, "No. of layers");
        }
    }

    static void read_layer(const std::vector<std::string_view>& w, std::int64_t number, Header& h) {
        const auto column = [&](std::initializer_list<std::string_view> names) -> std::optional<std::size_t> {
            for (std::size_t i = 0; i < h.layer_columns.size(); ++i)
                for (std::string_view n : names)
                    if (h.layer_columns[i] == n) return i;
            return std::nullopt;
        };
        const auto depth = column({"DEPTH"}), vs = column({"S_VEL"}), density = column({"DENS", "DENSITY"});
        if (!depth || !vs || !density) throw ModelError{number, "a velocity structure without DEPTH, S-VEL and DENS columns"};
        const std::size_t need = std::max({*depth, *vs, *density}) + 1;
        if (w.size() < need) throw ModelError{number, "a layer with " + std::to_string(w.size()) + " fields where the structure has " + std::to_string(need)};
        const auto value = [&](std::size_t i) {
            const std::optional<double> v = number_word(w[i]);
            if (!v) throw ModelError{number, "layer value '" + std::string(w[i]) + "': not a number"};
            return *v;
        };
        if (h.layer_count && static_cast<long>(h.layers.size()) >= *h.layer_count) return;
        const Layer layer{value(*depth), value(*vs), value(*density)};
        if (!(layer.vs_km_s > 0.0) || !(layer.density_g_cm3 > 0.0)) throw ModelError{number, "a layer with S-VEL or DENS not above 0"};
        h.layers.push_back(layer);
    }

    static void read_row(std::string_view line, std::int64_t number, std::vector<Segment>& segments,
                         std::vector<std::vector<double>>& rows, std::vector<std::int64_t>& row_lines,
                         std::vector<std::size_t>& row_segment) {
        if (segments.empty() || segments.back().columns.empty())
            throw ModelError{number, "a row before the column line (% LAT LON ... SLIP ...)"};
        Segment& s = segments.back();
        const std::vector<std::string_view> w = words(line);
        if (w.size() < s.columns.size())
            throw ModelError{number, std::to_string(w.size()) + " fields where the column line has " + std::to_string(s.columns.size())};
        std::vector<double> values;
        values.reserve(s.columns.size());
        for (std::size_t i = 0; i < s.columns.size(); ++i) {
            const std::optional<double> v = number_word(w[i]);
            if (!v) throw ModelError{number, s.columns[i] + " '" + std::string(w[i]) + "': not a number"};
            values.push_back(*v);
        }
        rows.push_back(std::move(values));
        row_lines.push_back(number);
        row_segment.push_back(segments.size() - 1);
        ++s.rows;
        s.last_row_line = number;
    }

    static void check_count(const Segment& s, std::size_t k, std::size_t count, const Header& h) {
        std::optional<long> declared = s.declared;
        // The global Nx and Nz describe the first segment.
        if (!declared && k == 0 && h.nx && h.nz) declared = count_of(*h.nx * *h.nz, s.column_line, "Nx Nz");
        const std::int64_t where = s.last_row_line > 0 ? s.last_row_line : s.column_line;
        if (s.columns.empty()) throw ModelError{s.line, "segment " + std::to_string(k + 1) + " has no column line"};
        if (declared && static_cast<long>(s.rows) < *declared)
            throw ModelError{where, "segment " + std::to_string(k + 1) + " declares " + std::to_string(*declared) + " subfaults and has " +
                                        std::to_string(s.rows) + ": the file is cut short"};
        if (declared && static_cast<long>(s.rows) > *declared && count > 1)
            throw ModelError{where, "segment " + std::to_string(k + 1) + " declares " + std::to_string(*declared) + " subfaults and has " +
                                        std::to_string(s.rows)};
    }

    static RuptureModel build(const Header& h, const std::vector<Segment>& segments, const std::vector<std::vector<double>>& rows,
                              const std::vector<std::int64_t>& row_lines, const std::vector<std::size_t>& row_segment,
                              const ModelDefaults& d) {
        RuptureModel model;
        if (h.stated_moment) model.stated_moment_nm = *h.stated_moment;
        PulseMaker pulses(d.pulse);
        const PulseChoice choice = choose_pulse(h, d);

        // Onsets from the hypocentre where no row gives one.
        const double vr_m_s = d.rupture_velocity_m_s > 0.0 ? d.rupture_velocity_m_s
                              : h.av_velocity_km_s     ? *h.av_velocity_km_s * m_per_km
                                                       : 0.0;
        bool any_onset = false, any_rise = false;
        for (std::size_t r = 0; r < rows.size(); ++r) {
            const Segment& s = segments[row_segment[r]];
            const auto at = [&](std::string_view c) { return std::find(s.columns.begin(), s.columns.end(), c) != s.columns.end(); };
            if (at("TRUP")) {
                const double v = rows[r][static_cast<std::size_t>(std::find(s.columns.begin(), s.columns.end(), "TRUP") - s.columns.begin())];
                // A column of zeros is "not applicable", unless it is a single
                // subfault's onset.
                if ((v != 0.0 || rows.size() == 1) && !sentinel(v)) any_onset = true;
            }
            if (at("RISE")) {
                const double v = rows[r][static_cast<std::size_t>(std::find(s.columns.begin(), s.columns.end(), "RISE") - s.columns.begin())];
                if (v != 0.0 && !sentinel(v)) any_rise = true;
            }
        }
        const double windows = h.windows ? *h.windows : 1.0;
        if (windows > 1.0 && !(h.window_length && h.window_shift))
            throw ModelError{segments.front().column_line, "Ntw = " + short_number(windows) + " time windows without their LEN and SHF"};
        if (!choice.problem.empty()) throw ModelError{h.svf_line > 0 ? h.svf_line : segments.front().column_line, choice.problem};
        model.pulse_notes.push_back(choice.why);
        if (windows > 1.0)
            model.pulse_notes.push_back(short_number(windows) + " time windows of " + short_number(*h.window_length) + " s, " +
                                        short_number(*h.window_shift) + " s apart, each with its own slip");
        else if (any_rise)
            model.pulse_notes.push_back("rise times from the RISE column" + std::string(h.av_rise ? ", avTr where a row has none" : ""));
        else if (h.av_rise)
            model.pulse_notes.push_back("rise time avTr = " + short_number(*h.av_rise) + " s for every subfault");
        else
            model.pulse_notes.push_back("no rise time in the model: the command line's shape options");
        if (!any_onset) {
            if (!(vr_m_s > 0.0) || !h.hypo_lat || !h.hypo_lon || !h.hypo_depth)
                throw ModelError{segments.front().column_line,
                                 "no onsets (no TRUP values): give --rupture-velocity, and the header's Loc line the hypocentre"};
            model.pulse_notes.push_back("onsets: distance to the hypocentre / " + short_number(vr_m_s) + " m/s" +
                                        (d.rupture_velocity_m_s > 0.0 ? " (--rupture-velocity)" : " (the header's avVr)"));
        }
        model.pulse_notes.push_back(h.top_centre ? "positions: top-centres, moved to the subfaults' centres"
                                                 : "positions: the subfaults' centres");

        for (std::size_t r = 0; r < rows.size(); ++r) {
            const Segment& s = segments[row_segment[r]];
            const std::int64_t number = row_lines[r];
            const auto column = [&](std::string_view c) -> std::optional<double> {
                const auto it = std::find(s.columns.begin(), s.columns.end(), c);
                if (it == s.columns.end()) return std::nullopt;
                return rows[r][static_cast<std::size_t>(it - s.columns.begin())];
            };
            const auto need = [&](std::optional<double> v, const char* what) {
                if (!v) throw ModelError{number, std::string("no ") + what + " for this subfault"};
                return *v;
            };
            Subfault sub;
            sub.line = number;
            sub.segment = static_cast<int>(row_segment[r]) + 1;
            double lat = need(column("LAT"), "LAT"), lon = need(column("LON"), "LON");
            double depth = need(column("Z"), "Z (depth)");
            sub.strike_deg = need(s.strike ? s.strike : h.strike, "strike (the segment's STRIKE or the header's STRK)");
            sub.dip_deg = need(s.dip ? s.dip : h.dip, "dip (the segment's DIP or the header's DIP)");
            const double dx = need(s.dx_km ? s.dx_km : h.dx_km, "Dx (the segment's or the header's)");
            const double dz = need(s.dz_km ? s.dz_km : h.dz_km, "Dz (the segment's or the header's)");
            if (!(sub.dip_deg >= 0.0 && sub.dip_deg <= 90.0)) throw ModelError{number, "dip " + short_number(sub.dip_deg) + " outside 0 to 90"};
            if (h.top_centre) {
                // Half the down-dip width along the dip direction, strike + 90 degrees.
                const double delta = sub.dip_deg * pi / 180.0, phi = sub.strike_deg * pi / 180.0;
                const double horizontal = dz / 2.0 * std::cos(delta);
                depth += dz / 2.0 * std::sin(delta);
                lat += -horizontal * std::sin(phi) / km_per_degree;
                lon += horizontal * std::cos(phi) / (km_per_degree * std::cos(lat * pi / 180.0));
            }
            sub.lat_deg = lat;
            sub.lon_deg = lon;
            sub.depth_km = depth;
            if (!(lat >= -90.0 && lat <= 90.0) || !(depth >= 0.0))
                throw ModelError{number, "a position outside the earth (LAT " + short_number(lat) + ", Z " + short_number(depth) + " km)"};
            sub.area_m2 = dx * dz * m2_per_km2;
            if (!(sub.area_m2 > 0.0)) throw ModelError{number, "Dx Dz not above 0"};

            // Slip and rake: the windows' own where there are several.
            std::vector<double> weights;
            double rake = 0.0;
            if (windows > 1.0) {
                double total = 0.0;
                std::optional<double> common;
                for (int k = 1; k <= static_cast<int>(windows); ++k) {
                    const std::optional<double> slip = column("TW" + std::to_string(k));
                    if (!slip) throw ModelError{s.column_line, "no TW" + std::to_string(k) + " column for time window " + std::to_string(k)};
                    weights.push_back(std::max(0.0, *slip));
                    total += weights.back();
                    if (const std::optional<double> rk = column("RKTW" + std::to_string(k)); rk && *slip > 0.0) {
                        if (common && std::fabs(std::remainder(*rk - *common, 360.0)) > same_rake_degrees)
                            throw ModelError{number, "time windows with different rakes (" + short_number(*common) + " and " + short_number(*rk) +
                                                         "): not read yet"};
                        if (!common) common = rk;
                    }
                }
                sub.slip_m = total;
                rake = common ? *common : need(given(column("RAKE"), false) ? given(column("RAKE"), false) : h.rake, "rake");
                if (total > 0.0)
                    for (double& w : weights) w /= total;
            } else {
                sub.slip_m = need(column("SLIP"), "SLIP");
                rake = need(given(column("RAKE"), false) ? given(column("RAKE"), false) : h.rake, "rake (RAKE or the header's)");
            }
            if (!(sub.slip_m >= 0.0)) throw ModelError{number, "negative slip " + short_number(sub.slip_m)};
            sub.rake_deg = rake;

            // The onset.
            const std::optional<double> trup = column("TRUP");
            if (any_onset && trup && !sentinel(*trup)) {
                sub.onset_s = *trup;
            } else {
                if (!(vr_m_s > 0.0) || !h.hypo_lat || !h.hypo_lon || !h.hypo_depth)
                    throw ModelError{number, "no onset for this subfault (its TRUP is not given): give --rupture-velocity, "
                                             "and the header's Loc line the hypocentre"};
                const double north = (sub.lat_deg - *h.hypo_lat) * km_per_degree;
                const double east = std::remainder(sub.lon_deg - *h.hypo_lon, 360.0) * km_per_degree * std::cos(*h.hypo_lat * pi / 180.0);
                const double down = sub.depth_km - *h.hypo_depth;
                sub.onset_s = std::sqrt(north * north + east * east + down * down) * m_per_km / vr_m_s;
            }
            if (!(sub.onset_s >= 0.0)) throw ModelError{number, "negative onset " + short_number(sub.onset_s)};

            // The medium.
            if (!h.layers.empty()) {
                const Layer* layer = &h.layers.front();
                for (const Layer& l : h.layers)
                    if (l.top_km <= sub.depth_km) layer = &l;
                sub.vs_m_s = layer->vs_km_s * m_per_km;
                sub.density_kg_m3 = layer->density_g_cm3 * kg_m3_per_g_cm3;
                sub.rigidity_pa = sub.density_kg_m3 * sub.vs_m_s * sub.vs_m_s;
            } else {
                sub.rigidity_pa = d.rigidity_pa;
                sub.density_kg_m3 = assumed_density_kg_m3;
                sub.vs_m_s = std::sqrt(sub.rigidity_pa / assumed_density_kg_m3);
            }

            // The pulse.
            const std::optional<double> row_rise = given(column("RISE"), true);
            const std::optional<double> rise = windows > 1.0 ? h.window_length : row_rise ? row_rise : h.av_rise;
            ShapeValues values;
            if (rise) values = rise_values(*choice.shape, *rise);
            MadeSource made = pulses.make(choice.shape, values);
            if (const Refusal* refusal = std::get_if<Refusal>(&made)) throw ModelError{number, "the pulse: " + refusal->reason};
            std::shared_ptr<const Source> pulse = std::get<std::shared_ptr<const Source>>(std::move(made));
            if (windows > 1.0 && sub.slip_m > 0.0) pulse = std::make_shared<const WindowedSource>(pulse, weights, *h.window_shift);
            sub.source = std::move(pulse);
            model.subfaults.push_back(std::move(sub));
        }
        return model;
    }
};

const FspReader reader;
const bool registered = register_model_reader(reader);

}  // namespace

}  // namespace exp_slipv
