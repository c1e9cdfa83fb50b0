#include "rupture/rupture_command_line.hpp"

#include <algorithm>
#include <variant>

#include "option_parsing.hpp"
#include "option_values.hpp"
#include "parallel/parallel.hpp"

namespace exp_slipv {

namespace {

enum OptionId : int {
    opt_help = 'h',
    opt_shape = 256,
    opt_dt,
    opt_rigidity,
    opt_export,
    opt_output_dir,
    opt_report,
    opt_threads,
    opt_version,
    opt_no_pause,
    opt_rupture_velocity,
    first_shape_option = 512,
};

const option fixed_options[] = {
    {"shape", required_argument, nullptr, opt_shape},
    {"dt", required_argument, nullptr, opt_dt},
    {"rigidity", required_argument, nullptr, opt_rigidity},
    {"export", required_argument, nullptr, opt_export},
    {"output-dir", required_argument, nullptr, opt_output_dir},
    {"report", no_argument, nullptr, opt_report},
    {"threads", required_argument, nullptr, opt_threads},
    {"help", no_argument, nullptr, opt_help},
    {"version", no_argument, nullptr, opt_version},
    // Taken and ignored: this mode never pauses, and scripts that always
    // pass it run both modes alike.
    {"no-pause", no_argument, nullptr, opt_no_pause},
    {"rupture-velocity", required_argument, nullptr, opt_rupture_velocity},
};

const option* long_options() {
    static const std::vector<option> table = with_shape_options(fixed_options, first_shape_option);
    return table.data();
}

constexpr const char* short_options = ":h";
constexpr std::string_view default_layout = "srf";

std::string layout_names() {
    std::string names;
    for (const SrfLayout* layout : srf_layouts()) { if (!names.empty()) names += ", "; names += layout->name; }
    return names;
}

// Adds the layouts of a comma-separated list, each once; a reason when a
// name is unknown or empty.
std::string add_layouts(std::string_view list, std::vector<const SrfLayout*>& layouts) {
    for (;;) {
        const std::size_t comma = list.find(',');
        const std::string_view name = list.substr(0, comma);
        if (name.empty()) return "an empty format name; the formats are " + layout_names();
        const SrfLayout* layout = find_srf_layout(name);
        if (layout == nullptr) return "unknown format '" + std::string(name) + "'; the formats are " + layout_names();
        if (std::find(layouts.begin(), layouts.end(), layout) == layouts.end()) layouts.push_back(layout);
        if (comma == std::string_view::npos) return {};
        list.remove_prefix(comma + 1);
    }
}

// A word of the command line as a shell would read it back.
std::string quoted(std::string_view word) {
    const bool plain = !word.empty() && std::all_of(word.begin(), word.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || std::string_view("-_=.,/:+@%").find(c) != std::string_view::npos;
    });
    if (plain) return std::string(word);
    std::string text = "'";
    for (char c : word) {
        if (c == '\'') {
            text += "'\\''";
        } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            text += '?';  // a provenance line stays one line
        } else {
            text += c;
        }
    }
    return text + "'";
}

}  // namespace

RuptureCommandLine parse_rupture_command_line(int argc, char** argv) {
    RuptureCommandLine line;
    RuptureOptions& o = line.options;
    o.threads = default_thread_count();
    o.defaults.rigidity_pa = default_rigidity_pa;
    o.command = "exp-slipv";
    for (int i = 0; i < argc; ++i) o.command += " " + quoted(argv[i]);
    const auto fail = [&](std::string error) {
        line.action = RuptureCommandLine::Action::usage_error;
        line.error = std::move(error);
        return line;
    };

    const Shape* shape = find_shape(default_shape);
    bool shape_given = false;
    ShapeValues shape_values;
    opterr = 0;
    optind = 0;
    for (;;) {
        const int code = ::getopt_long(argc, argv, short_options, long_options(), nullptr);
        if (code == -1) break;
        if (code == '?' || code == ':') return fail(unusable_option(code, argv, long_options()));
        if (code == opt_help) {
            line.action = RuptureCommandLine::Action::help;
            return line;
        }
        if (code == opt_version) {
            line.action = RuptureCommandLine::Action::version;
            return line;
        }
        const char* name = find_option(long_options(), code)->name;
        const std::string_view value = optarg != nullptr ? optarg : "";
        switch (code) {
            case opt_shape:
                shape_given = true;
                shape = find_shape(value);
                if (shape == nullptr) return fail(refused(name, value, "unknown shape; the shapes are " + shape_names()));
                break;
            case opt_dt: {
                const Checked<double> dt = seconds(value);
                if (const Refusal* r = std::get_if<Refusal>(&dt)) return fail(refused(name, value, r->reason));
                o.dt = std::get<double>(dt);
                break;
            }
            case opt_rigidity: {
                const Checked<double> mu = rigidity_option(value);
                if (const Refusal* r = std::get_if<Refusal>(&mu)) return fail(refused(name, value, r->reason));
                o.defaults.rigidity_pa = std::get<double>(mu);
                break;
            }
            case opt_export:
                if (const std::string problem = add_layouts(value, o.layouts); !problem.empty())
                    return fail(refused(name, value, problem));
                break;
            case opt_output_dir:
                if (value.empty()) return fail(refused(name, value, "the value is empty"));
                o.output_dir = value;
                if (const std::string problem = directory_problem(o.output_dir); !problem.empty())
                    return fail(refused(name, value, problem));
                break;
            case opt_report: o.report = true; break;
            case opt_no_pause: break;
            case opt_rupture_velocity: {
                const Checked<double> vr = positive_decimal(value);
                if (const Refusal* r = std::get_if<Refusal>(&vr)) return fail(refused(name, value, r->reason));
                const double m_s = std::get<double>(vr);
                if (!(m_s >= min_rupture_velocity && m_s <= max_rupture_velocity))
                    return fail(refused(name, value, "outside 1 to 1e5 m/s"));
                o.defaults.rupture_velocity_m_s = m_s;
                break;
            }
            case opt_threads: {
                const Checked<int> n = thread_option(value);
                if (const Refusal* r = std::get_if<Refusal>(&n)) return fail(refused(name, value, r->reason));
                o.threads = std::get<int>(n);
                break;
            }
            default:
                if (code < first_shape_option) return fail("unexpected option code " + std::to_string(code));
                shape_values.set(name, value);
                break;
        }
    }
    if (optind >= argc) return fail("missing the model file operand");
    if (argc - optind > 1) return fail("unexpected operand '" + std::string(argv[optind + 1]) + "'");
    o.model_path = argv[optind];
    if (o.model_path.empty()) return fail("the model file operand is empty");
    // The command line's pulse must be one in its own right: it is the
    // pulse of every subfault the model gives none for.
    MadeSource source = make_source(*shape, shape_values);
    if (const Refusal* r = std::get_if<Refusal>(&source)) return fail(r->reason);
    o.defaults.pulse = {shape, shape_values, shape_given};
    if (o.layouts.empty()) o.layouts.push_back(find_srf_layout(default_layout));
    return line;
}

std::string rupture_help_text() {
    std::string layouts;
    for (const SrfLayout* layout : srf_layouts()) {
        std::string entry = "                                  " + std::string(layout->name);
        entry.resize(50, ' ');
        layouts += entry + std::string(layout->file_name) + " (" + std::string(layout->reader) + ")\n";
    }
    return R"(Usage: exp-slipv rupture [OPTION]... MODEL
Turn a rupture model, a subfault table (CSV), into SRF files for solvers, and
write the rupture's moment-rate function (Exp_MomentRate.csv) and its sampled
and closed-form amplitude spectra (Exp_MomentRate_Amp.csv).  Every file is
written whole or not at all.

The pulse of subfaults the model gives none for (default: brune, tau = 1 s);
a model's shape and shape parameters win over these:
      --shape=NAME              the pulse shape, one of:
)" + shape_help() + R"(Sampling and medium:
      --dt=SECONDS              sampling interval of the SRF samples and the
                                moment-rate function (default 0.01)
      --rigidity=PA             mu where the model gives no vs and density
                                (default 3.0e10)
      --rupture-velocity=M/S    onsets from the distance to the hypocentre
                                where a published model gives none (it wins
                                over the model's average)
Output:
      --export=FORMAT[,FORMAT...]  the SRF files (default srf):
)" + layouts + R"(      --output-dir=DIR          write the files into DIR, which must exist
      --report                  also write the figures to Exp_Report.json
      --threads=N               work on N threads (default: every core); the
                                files are the same for any N
  -h, --help                    show this help and end
      --version                 show the version and end

The subfault table: a header line of column names in any order, then one
row per subfault; '#' lines and blank lines are skipped.  Required columns:
lon_deg, lat_deg, depth_km (the subfault's centre), strike_deg, dip_deg,
rake_deg, area_m2, slip_m, onset_s.  Optional: vs_m_s with density_kg_m3,
segment, shape, and tau_s, rise_time_s, duration_s, peak_ratio, sigma_s,
delay_s, rise_s, smoothing_s, fall_s.

Exit status: 0 normal end; 1 interrupt or termination request; 2 fatal I/O
report; 64 unusable command line; 65 a model that cannot be used.
)";
}

}  // namespace exp_slipv
