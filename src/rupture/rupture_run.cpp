#include "rupture/rupture_run.hpp"

#include <unistd.h>

#include <unordered_map>

#include "command_line.hpp"
#include "file_mode_parts.hpp"
#include "model/model_error.hpp"
#include "program_messages.hpp"
#include "rupture/moment_rate.hpp"
#include "moment/moment_rate_files.hpp"
#include "rupture/pulse_plan.hpp"
#include "rupture/rupture_report.hpp"
#include "rupture/srf_output.hpp"
#include "source/shape.hpp"
#include "srf/plane_geometry.hpp"
#include "textio/byte_output.hpp"
#include "textio/run_frame.hpp"
#include "textio/units.hpp"

#ifndef EXP_SLIPV_VERSION
#error "EXP_SLIPV_VERSION must be defined by the build"
#endif

namespace exp_slipv {

namespace {

constexpr int console = textio::output_unit;
constexpr int first_srf_unit = 31;
constexpr int moment_rate_unit = 41;
constexpr int moment_spectrum_unit = 42;
// The pulses the transcript names one by one; the rest are counted.
constexpr std::size_t pulses_named = 8;

void say(const std::string& line) { textio::write_bytes(console, line + "\n"); }

std::string path_of(const RuptureOptions& o, std::string_view file) { return output_path(o.output_dir, file); }

[[noreturn]] void refuse_model(const RuptureOptions& o, const ModelError& error) {
    refuse_file(o.model_path, error, status_bad_model);
}


void announce_model(const RuptureOptions& o, const RuptureModel& model) {
    std::size_t with_slip = 0;
    // In order of first use; a model may give every subfault a pulse of
    // its own, so each is found by its index, not by a search.
    std::vector<std::pair<const Source*, std::size_t>> pulses;
    std::unordered_map<const Source*, std::size_t> index;
    for (const Subfault& s : model.subfaults) {
        with_slip += s.slip_m > 0.0;
        const auto [at, added] = index.emplace(s.source.get(), pulses.size());
        if (added) pulses.emplace_back(s.source.get(), 0);
        ++pulses[at->second].second;
    }
    say("");
    say(" Rupture from " + o.model_path + " (" + model.format + ")");
    say("");
    say(" Subfaults = " + std::to_string(model.subfaults.size()) + ", with slip = " + std::to_string(with_slip) +
        ", segments = " + std::to_string(model.segments.size()));
    for (std::size_t i = 0; i < pulses.size() && i < pulses_named; ++i)
        say(" Pulse " + describe_pulse(*pulses[i].first) + ": " + std::to_string(pulses[i].second) + " subfaults");
    if (pulses.size() > pulses_named)
        say(" ... and " + std::to_string(pulses.size() - pulses_named) + " other pulses");
    for (const std::string& note : model.pulse_notes) say(" " + note);
    say(" dt(s) = " + short_number(o.dt));
    say("");
}

struct OutputFile {
    int unit;
    std::string path;
};

std::vector<OutputFile> srf_files(const RuptureOptions& o) {
    std::vector<OutputFile> files;
    for (std::size_t i = 0; i < o.layouts.size(); ++i)
        files.push_back({first_srf_unit + static_cast<int>(i), path_of(o, o.layouts[i]->file_name)});
    return files;
}

void announce_files(const RuptureOptions& o) {
    const std::vector<OutputFile> srf = srf_files(o);
    for (std::size_t i = 0; i < srf.size(); ++i)
        say(" SRF for " + std::string(o.layouts[i]->reader) + " is stored in " + srf[i].path);
    say(" Moment-rate function is stored in " + path_of(o, moment_rate_file_name));
    say(" Its amplitude spectrum is stored in " + path_of(o, moment_spectrum_file_name));
    if (o.report) say(" The report is stored in " + path_of(o, report_file_name));
    say("");
}

// Every file is known to be writable before the first one changes.
void check_files_writable(const RuptureOptions& o) {
    for (const OutputFile& f : srf_files(o)) textio::check_replacing_output(f.unit, f.path);
    textio::check_replacing_output(moment_rate_unit, path_of(o, moment_rate_file_name));
    textio::check_replacing_output(moment_spectrum_unit, path_of(o, moment_spectrum_file_name));
    if (o.report) textio::check_replacing_output(report_unit, path_of(o, report_file_name));
}

SrfContent srf_content(const RuptureOptions& o, const RuptureModel& model, const PulsePlans& plans) {
    SrfContent content;
    content.model = &model;
    content.dt = o.dt;
    const std::span<const Subfault> all(model.subfaults);
    std::size_t begin = 0;
    for (std::size_t i = 1; i <= all.size(); ++i)
        if (i == all.size() || all[i].segment != all[begin].segment) {
            content.planes.push_back(describe_segment(all.subspan(begin, i - begin)));
            begin = i;
        }
    content.provenance = {"written by exp-slipv " EXP_SLIPV_VERSION, "command: " + o.command};
    content.samples = [&plans, &model](std::size_t point, std::vector<double>& samples) {
        plans.samples(model.subfaults[point], samples);
    };
    return content;
}

}  // namespace

int rupture_main(int argc, char** argv) {
    const RuptureCommandLine line = parse_rupture_command_line(argc, argv);
    switch (line.action) {
        case RuptureCommandLine::Action::help: return print_information(rupture_help_text());
        case RuptureCommandLine::Action::version: return print_information(version_text());
        case RuptureCommandLine::Action::usage_error: return report_usage_error(line.error);
        case RuptureCommandLine::Action::run: break;
    }
    const RuptureOptions& o = line.options;
    textio::start_up(argc, argv);

    RuptureModel model;
    try {
        model = read_model(o.model_path, o.defaults);
    } catch (const ModelError& error) {
        refuse_model(o, error);
    } catch (const ModelReadFailure& failure) {
        fail_reading(failure);
    }
    std::optional<PulsePlans> plans;
    try {
        plans.emplace(model, o.dt, o.threads);
    } catch (const ModelError& error) {
        refuse_model(o, error);
    }

    announce_model(o, model);
    announce_files(o);
    check_files_writable(o);

    const SrfContent content = srf_content(o, model, *plans);
    const std::vector<OutputFile> srf = srf_files(o);
    for (std::size_t i = 0; i < srf.size(); ++i) write_srf(srf[i].unit, srf[i].path, content, *o.layouts[i], *plans, o.threads);

    const MomentRate rate = moment_rate(model, *plans, o.threads);
    write_moment_rate_file(moment_rate_unit, path_of(o, moment_rate_file_name), rate);
    const MomentSpectrum spectrum = moment_spectrum(model, rate, o.threads);
    write_moment_spectrum_file(moment_spectrum_unit, path_of(o, moment_spectrum_file_name), spectrum);

    const RuptureFigures figures = rupture_figures(model, *plans, moment_figures(model, *plans, rate), spectrum);
    for (const std::string& text : rupture_console_lines(figures)) say(text);
    if (o.report) {
        textio::open_unit_replacing(report_unit, path_of(o, report_file_name));
        textio::write_bytes(report_unit, rupture_json(figures));
        textio::close_unit(report_unit);
    }
    textio::stop();
}

}  // namespace exp_slipv
