#include "report/report_json.hpp"

#include <nlohmann/json.hpp>

#include "report/report_text.hpp"

namespace exp_slipv {

namespace {

using Json = nlohmann::ordered_json;

Json band(const BandEdge& edge, const RunReport& r) {
    Json j;
    j["tolerance"] = edge.tolerance;
    switch (edge.kind) {
        case BandEdge::Kind::none: j["status"] = "none"; break;
        case BandEdge::Kind::limited: j["status"] = "limited"; break;
        case BandEdge::Kind::nyquist: j["status"] = "to_nyquist"; break;
        case BandEdge::Kind::unjudged: j["status"] = "none"; break;
    }
    if (edge.kind == BandEdge::Kind::unjudged) {
        j["highest_hz"] = nullptr;
        j["fraction_of_nyquist"] = nullptr;
        j["reason"] = r.bins == 0 ? "no_bins" : "below_floor";
    } else if (edge.kind == BandEdge::Kind::none) {
        j["highest_hz"] = nullptr;
        j["fraction_of_nyquist"] = nullptr;
        j["reason"] = r.record_truncated() ? "record_too_short" : "dt_too_coarse";
    } else {
        j["highest_hz"] = edge.highest_hz;
        j["fraction_of_nyquist"] = edge.fraction_of_nyquist;
    }
    if (edge.kind == BandEdge::Kind::none || edge.kind == BandEdge::Kind::limited) {
        j["first_departure_hz"] = edge.first_departure_hz;
        j["first_departure"] = edge.first_departure;
    }
    return j;
}

template <typename T>
Json optional_value(const std::optional<T>& value) {
    return value ? Json(*value) : Json(nullptr);
}

}  // namespace

std::string report_json(const RunReport& r) {
    Json j;
    Json parameters = Json::object();
    for (const SourceParameter& p : r.parameters) parameters[p.name + "_" + p.unit] = p.value;
    j["source"] = {{"shape", r.shape},
                   {"parameters", parameters},
                   {"half_amplitude_frequency_hz", r.closed.half_amplitude_frequency},
                   {"peak_time_s", r.closed.peak_time},
                   {"peak_velocity_per_s", r.closed.peak_velocity},
                   {"centroid_time_s", r.closed.centroid_time},
                   {"rise_time_95_s", r.closed.rise_time_95}};
    for (const SourceNote& note : r.notes) j["source"][note.key] = note.value;
    j["sampling"] = {{"dt_s", r.dt},
                     {"samples", r.samples},
                     {"transform_length", r.transform_length},
                     {"record_duration_s", r.record_duration},
                     {"nyquist_hz", r.nyquist_hz}};
    j["sampled"] = {{"peak_velocity_per_s", r.peak_velocity},
                    {"peak_time_s", r.peak_time},
                    {"centroid_time_s", r.centroid_time},
                    {"time_to_95_percent_s", optional_value(r.time_to_95)},
                    {"final_slip_trapezoid", r.final_slip_trapezoid},
                    {"final_slip_exact", r.final_slip_exact},
                    {"max_trapezoid_error", r.max_slip_error},
                    {"max_trapezoid_error_time_s", r.max_slip_error_time}};
    const bool ratio_given = r.bins > 0 && r.last_bin_judged;
    j["band"] = {{"bins", r.bins},
                 {"judged_floor", judged_floor},
                 {"bins_below_floor", r.unjudged_bins},
                 {"first_below_floor_hz", r.unjudged_bins > 0 ? Json(r.first_unjudged_hz) : Json(nullptr)},
                 {"within_1_percent", band(r.fine, r)},
                 {"within_10_percent", band(r.coarse, r)},
                 {"last_bin_hz", r.bins > 0 ? Json(r.last_bin_hz) : Json(nullptr)},
                 {"ratio_at_last_bin", ratio_given ? Json(r.ratio_at_last_bin) : Json(nullptr)},
                 {"ratio_at_last_bin_not_given",
                  r.bins == 0 ? Json("no_bins") : ratio_given ? Json(nullptr) : Json(unjudged_ratio(r.ratio_at_last_bin).key)}};
    j["transform_error"] = {{"judged_floor", judged_floor},
                            {"max_relative", r.max_transform_error},
                            {"max_relative_hz", r.max_transform_error_hz},
                            {"max_absolute", r.max_transform_abs_error},
                            {"max_absolute_hz", r.max_transform_abs_error_hz},
                            {"tolerance", transform_tolerance},
                            {"reference", r.transform_reference},
                            {"bins_over_tolerance", r.bins_over_tolerance},
                            {"first_over_tolerance_hz",
                             r.bins_over_tolerance > 0 ? Json(r.first_over_tolerance_hz) : Json(nullptr)}};
    if (r.export_names.empty()) {
        j["exports"] = nullptr;
    } else {
        j["exports"] = {{"formats", r.export_names},
                        {"quantity", r.export_quantity},
                        {"rate_area", r.export_figures.rate_area},
                        {"last_value", r.export_figures.last_value},
                        {"largest_step", r.export_figures.largest_step}};
    }
    if (r.target) {
        const TargetBand& t = *r.target;
        j["target"] = {{"fmax_hz", t.fmax_hz},
                       {"above_nyquist", t.above_nyquist},
                       {"max_deviation", t.max_deviation},
                       {"max_deviation_hz", t.max_deviation_hz},
                       {"tolerance", target_tolerance},
                       {"largest_dt_s", optional_value(t.largest_dt)},
                       {"smallest_dt_tried_s", t.smallest_dt_tried}};
    } else {
        j["target"] = nullptr;
    }
    return j.dump(2) + "\n";
}

}  // namespace exp_slipv
