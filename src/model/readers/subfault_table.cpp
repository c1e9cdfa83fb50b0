// The subfault table: CSV, a header line of column names in any order, one
// row per subfault in SI units with the unit in the name; '#' lines and
// blank lines skipped.
#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "model/model_error.hpp"
#include "model/model_reader.hpp"
#include "option_values.hpp"

namespace exp_slipv {

namespace {

enum Column : int {
    lon, lat, depth, strike, dip, rake, area, slip, onset,  // required
    vs, density, segment, shape,                            // optional
    first_shape_column,
};

struct ColumnName {
    std::string_view column;
    std::string_view option;  // the shape option it gives, or empty
};

// In the order of the enumeration; the shape columns after it.
constexpr std::array<ColumnName, 22> column_names{{
    {"lon_deg", ""}, {"lat_deg", ""}, {"depth_km", ""}, {"strike_deg", ""}, {"dip_deg", ""}, {"rake_deg", ""},
    {"area_m2", ""}, {"slip_m", ""}, {"onset_s", ""}, {"vs_m_s", ""}, {"density_kg_m3", ""}, {"segment", ""},
    {"shape", ""}, {"tau_s", "tau"}, {"rise_time_s", "rise-time"}, {"duration_s", "duration"},
    {"peak_ratio", "peak-ratio"}, {"sigma_s", "sigma"}, {"delay_s", "delay"}, {"rise_s", "rise"},
    {"smoothing_s", "smoothing"}, {"fall_s", "fall"},
}};
constexpr int required_columns = onset + 1;
constexpr int column_count = static_cast<int>(column_names.size());
constexpr int max_segment = 1000000;

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

bool skipped(std::string_view line) {
    const std::string_view text = trimmed(line);
    return text.empty() || text.front() == '#';
}

// The comma-separated fields, trimmed.
void split(std::string_view line, std::vector<std::string_view>& fields) {
    fields.clear();
    for (;;) {
        const std::size_t comma = line.find(',');
        fields.push_back(trimmed(line.substr(0, comma)));
        if (comma == std::string_view::npos) return;
        line.remove_prefix(comma + 1);
    }
}

std::string all_column_names() {
    std::string list;
    for (const ColumnName& c : column_names) { if (!list.empty()) list += ", "; list += c.column; }
    return list;
}

std::string shape_names() {
    std::string list;
    for (const Shape* s : shapes()) { if (!list.empty()) list += ", "; list += s->name(); }
    return list;
}

// Where each column is in the rows: position[column], -1 when absent.
struct Header {
    std::array<int, column_count> position{};
    std::size_t fields = 0;
};

Header read_header(std::string_view line, std::int64_t number) {
    Header header;
    header.position.fill(-1);
    std::vector<std::string_view> fields;
    split(line, fields);
    header.fields = fields.size();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        int found = -1;
        for (int c = 0; c < column_count; ++c)
            if (column_names[c].column == fields[i]) found = c;
        if (found < 0)
            throw ModelError{number, "unknown column '" + std::string(fields[i]) + "'; the columns are " + all_column_names()};
        if (header.position[found] >= 0) throw ModelError{number, "column '" + std::string(fields[i]) + "' given twice"};
        header.position[found] = static_cast<int>(i);
    }
    std::string missing;
    for (int c = 0; c < required_columns; ++c)
        if (header.position[c] < 0) { if (!missing.empty()) missing += ", "; missing += column_names[c].column; }
    if (!missing.empty()) throw ModelError{number, "missing column(s) " + missing};
    if ((header.position[vs] < 0) != (header.position[density] < 0))
        throw ModelError{number, header.position[vs] < 0 ? "density_kg_m3 without vs_m_s: give both or neither"
                                                          : "vs_m_s without density_kg_m3: give both or neither"};
    return header;
}

class RowReader {
public:
    RowReader(const Header& header, std::int64_t line, const std::vector<std::string_view>& fields)
        : header_(header), line_(line), fields_(fields) {}

    // The cell of a column; empty when the column is absent.
    std::string_view cell(int column) const {
        const int at = header_.position[column];
        return at < 0 ? std::string_view{} : fields_[static_cast<std::size_t>(at)];
    }
    std::string_view name(int column) const { return column_names[column].column; }

    double number(int column) const {
        const std::string_view text = cell(column);
        const Checked<double> value = decimal(text);
        if (const Refusal* r = std::get_if<Refusal>(&value)) fail(column, text, r->reason);
        return std::get<double>(value);
    }
    std::optional<double> optional_number(int column) const {
        if (cell(column).empty()) return std::nullopt;
        return number(column);
    }
    [[noreturn]] void fail(int column, std::string_view text, const std::string& reason) const {
        throw ModelError{line_, std::string(name(column)) + " '" + std::string(text) + "': " + reason};
    }
    void require(bool holds, int column, const char* reason) const {
        if (!holds) fail(column, cell(column), reason);
    }
    std::int64_t line() const { return line_; }

private:
    const Header& header_;
    std::int64_t line_;
    const std::vector<std::string_view>& fields_;
};

// "--rise-time" in a refusal becomes the column that gave it, "rise_time_s".
std::string in_column_terms(std::string reason, const ShapeValues& given) {
    for (const ColumnName& c : column_names) {
        if (c.option.empty() || given.find(c.option) == nullptr) continue;
        const std::string option = "--" + std::string(c.option);
        for (std::size_t at = reason.find(option); at != std::string::npos; at = reason.find(option, at)) {
            const std::size_t end = at + option.size();
            if (end < reason.size() && (std::isalnum(static_cast<unsigned char>(reason[end])) || reason[end] == '-')) {
                at = end;
                continue;
            }
            reason.replace(at, option.size(), c.column);
            at += c.column.size();
        }
    }
    return reason;
}

Subfault read_row(const RowReader& row, PulseMaker& pulses, const ModelDefaults& defaults) {
    Subfault s;
    s.line = row.line();
    s.lon_deg = row.number(lon);
    row.require(s.lon_deg >= -360.0 && s.lon_deg <= 360.0, lon, "outside -360 to 360 degrees");
    s.lat_deg = row.number(lat);
    row.require(s.lat_deg >= -90.0 && s.lat_deg <= 90.0, lat, "outside -90 to 90 degrees");
    s.depth_km = row.number(depth);
    row.require(s.depth_km >= 0.0, depth, "negative depth");
    s.strike_deg = row.number(strike);
    s.dip_deg = row.number(dip);
    row.require(s.dip_deg >= 0.0 && s.dip_deg <= 90.0, dip, "outside 0 to 90 degrees");
    s.rake_deg = row.number(rake);
    s.area_m2 = row.number(area);
    row.require(s.area_m2 > 0.0, area, "not positive");
    s.slip_m = row.number(slip);
    row.require(s.slip_m >= 0.0, slip, "negative slip");
    s.onset_s = row.number(onset);
    row.require(s.onset_s >= 0.0, onset, "negative onset");

    const std::optional<double> given_vs = row.optional_number(vs);
    const std::optional<double> given_density = row.optional_number(density);
    if (given_vs.has_value() != given_density.has_value())
        throw ModelError{row.line(), given_vs ? "vs_m_s without density_kg_m3 in this row" : "density_kg_m3 without vs_m_s in this row"};
    if (given_vs) {
        row.require(*given_vs > 0.0, vs, "not positive");
        row.require(*given_density > 0.0, density, "not positive");
        s.vs_m_s = *given_vs;
        s.density_kg_m3 = *given_density;
        s.rigidity_pa = s.density_kg_m3 * s.vs_m_s * s.vs_m_s;
    } else {
        s.rigidity_pa = defaults.rigidity_pa;
        s.density_kg_m3 = assumed_density_kg_m3;
        s.vs_m_s = std::sqrt(s.rigidity_pa / assumed_density_kg_m3);
    }

    if (const std::optional<double> number = row.optional_number(segment)) {
        row.require(*number == std::floor(*number), segment, "not a whole number");
        row.require(*number >= 0.0 && *number <= max_segment, segment, "outside 0 to 1000000");
        s.segment = static_cast<int>(*number);
    }

    const Shape* shape_given = nullptr;
    if (const std::string_view name = row.cell(shape); !name.empty()) {
        shape_given = find_shape(name);
        if (shape_given == nullptr) row.fail(shape, name, "unknown shape; the shapes are " + shape_names());
    }
    ShapeValues values;
    for (int c = first_shape_column; c < column_count; ++c)
        if (const std::string_view text = row.cell(c); !text.empty()) values.set(column_names[c].option, text);
    MadeSource made = pulses.make(shape_given, values);
    if (const Refusal* r = std::get_if<Refusal>(&made)) throw ModelError{row.line(), in_column_terms(r->reason, values)};
    s.source = std::get<std::shared_ptr<const Source>>(std::move(made));
    return s;
}

class SubfaultTable final : public ModelReader {
public:
    std::string_view name() const override { return "subfault table"; }
    // Asked last: anything that is no other format is read as a table.
    int rank() const override { return 1000; }
    bool recognises(std::string_view) const override { return true; }

    RuptureModel read(LineReader& lines, const ModelDefaults& defaults) const override {
        RuptureModel model;
        PulseMaker pulses(defaults.pulse);
        std::string_view line;
        std::optional<Header> header;
        std::vector<std::string_view> fields;
        while (lines.next(line)) {
            if (skipped(line)) continue;
            if (!header) {
                header = read_header(line, lines.line_number());
                continue;
            }
            split(line, fields);
            if (fields.size() != header->fields)
                throw ModelError{lines.line_number(), std::to_string(fields.size()) + " fields where the header has " +
                                                          std::to_string(header->fields)};
            model.subfaults.push_back(read_row(RowReader(*header, lines.line_number(), fields), pulses, defaults));
        }
        if (!header) throw ModelError{std::max<std::int64_t>(lines.line_number(), 1), "no header line: the table is empty"};
        if (model.subfaults.empty()) throw ModelError{lines.line_number(), "the table has no subfault"};
        return model;
    }
};

const SubfaultTable reader;
const bool registered = register_model_reader(reader);

}  // namespace

}  // namespace exp_slipv
