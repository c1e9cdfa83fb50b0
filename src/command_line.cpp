#include "command_line.hpp"

#include <getopt.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>
#include <variant>

#include "export/export_format.hpp"
#include "option_values.hpp"
#include "source/shape.hpp"

#ifndef EXP_SLIPV_VERSION
#error "EXP_SLIPV_VERSION must be defined by the build"
#endif

namespace exp_slipv {

namespace {

enum OptionId : int {
    opt_help = 'h',
    opt_shape = 256,
    opt_dt,
    opt_samples,
    opt_output_dir,
    opt_no_pause,
    opt_version,
    opt_export,
    opt_quantity,
    opt_report,
    opt_fmax,
    first_shape_option = 512,  // the shapes' options, in the order of shape_option_names()
};

const option fixed_options[] = {
    {"shape", required_argument, nullptr, opt_shape},
    {"dt", required_argument, nullptr, opt_dt},
    {"samples", required_argument, nullptr, opt_samples},
    {"output-dir", required_argument, nullptr, opt_output_dir},
    {"no-pause", no_argument, nullptr, opt_no_pause},
    {"export", required_argument, nullptr, opt_export},
    {"quantity", required_argument, nullptr, opt_quantity},
    {"report", no_argument, nullptr, opt_report},
    {"fmax", required_argument, nullptr, opt_fmax},
    {"help", no_argument, nullptr, opt_help},
    {"version", no_argument, nullptr, opt_version},
};

// Every option some shape takes, each once, in the order of the shapes.
const std::vector<std::string>& shape_option_names() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> list;
        for (const Shape* shape : shapes())
            for (const ShapeOption& o : shape->options())
                if (std::find(list.begin(), list.end(), o.name) == list.end()) list.push_back(o.name);
        return list;
    }();
    return names;
}

// The table getopt_long reads: the fixed options, then the shapes'.
const option* long_options() {
    static const std::vector<option> table = [] {
        std::vector<option> list(std::begin(fixed_options), std::end(fixed_options));
        const std::vector<std::string>& names = shape_option_names();
        for (std::size_t i = 0; i < names.size(); ++i)
            list.push_back({names[i].c_str(), required_argument, nullptr, first_shape_option + static_cast<int>(i)});
        list.push_back({nullptr, 0, nullptr, 0});
        return list;
    }();
    return table.data();
}

// A leading ':' makes getopt_long tell a missing value (':') from an unknown
// option ('?'); its own messages are off, since they name argv[0].
constexpr const char* short_options = ":h";

const option* find_long(int id) {
    for (const option* o = long_options(); o->name != nullptr; ++o)
        if (o->val == id) return o;
    return nullptr;
}

std::string refused(const char* name, std::string_view value, const std::string& reason) {
    return "invalid value '" + std::string(value) + "' for --" + name + ": " + reason;
}

std::string unusable_option(int code, char** argv) {
    // optind has moved past the word that held the option.
    const std::string_view word = argv[optind - 1];
    if (optopt != 0) {
        const option* o = find_long(optopt);
        if (code == ':') {
            if (o != nullptr) return "option '--" + std::string(o->name) + "' requires a value";
            return "option '-" + std::string(1, static_cast<char>(optopt)) + "' requires a value";
        }
        if (o != nullptr) return "option '--" + std::string(o->name) + "' takes no value";
        return "unrecognized option '-" + std::string(1, static_cast<char>(optopt)) + "'";
    }
    return "unrecognized option '" + std::string(word.substr(0, word.find('='))) + "'";
}

// The names of the known formats, "sw4, specfem3d, ...".
std::string format_names() {
    std::string names;
    for (const ExportFormat* format : export_formats()) {
        if (!names.empty()) names += ", ";
        names += format->name();
    }
    return names;
}

// Adds the formats of a comma-separated list, each once; a reason when a
// name is unknown or empty.
std::string add_exports(std::string_view list, std::vector<std::string>& exports) {
    for (;;) {
        const std::size_t comma = list.find(',');
        const std::string_view name = list.substr(0, comma);
        if (name.empty()) return "an empty format name; the formats are " + format_names();
        if (find_export_format(name) == nullptr)
            return "unknown format '" + std::string(name) + "'; the formats are " + format_names();
        if (std::find(exports.begin(), exports.end(), name) == exports.end()) exports.emplace_back(name);
        if (comma == std::string_view::npos) return {};
        list.remove_prefix(comma + 1);
    }
}

// The names of the shapes, "brune, smoothed-brune, ...".
std::string shape_names() {
    std::string names;
    for (const Shape* shape : shapes()) {
        if (!names.empty()) names += ", ";
        names += shape->name();
    }
    return names;
}

// "--tau, --corner-frequency or --rise-time".
std::string option_list(const Shape& shape) {
    const std::vector<ShapeOption> options = shape.options();
    std::string list;
    for (std::size_t i = 0; i < options.size(); ++i) {
        if (i > 0) list += i + 1 == options.size() ? " or " : ", ";
        list += "--" + options[i].name;
    }
    return list;
}

// The source of the shape for the given values; every value must be one the
// shape takes.
MadeSource make_source(const Shape& shape, const ShapeValues& values) {
    const std::vector<ShapeOption> options = shape.options();
    for (const auto& entry : values.given()) {
        const std::string& name = entry.first;
        const std::string& value = entry.second;
        const auto taken = std::find_if(options.begin(), options.end(), [&](const ShapeOption& o) { return o.name == name; });
        if (taken == options.end())
            return Refusal{"--" + name + "=" + value + " cannot be used with --shape=" + std::string(shape.name()) +
                           ", which takes " + option_list(shape)};
    }
    return shape.make(values);
}

std::string directory_problem(const std::string& dir) {
    struct stat status {};
    if (::stat(dir.c_str(), &status) != 0) return std::strerror(errno);
    if (!S_ISDIR(status.st_mode)) return "not a directory";
    return {};
}

}  // namespace

CommandLine parse_command_line(int argc, char** argv) {
    CommandLine line;
    Parameters& p = line.parameters;
    const auto fail = [&](std::string error) {
        line.action = CommandLine::Action::usage_error;
        line.error = std::move(error);
        return line;
    };

    const Shape* shape = find_shape(default_shape);
    ShapeValues shape_values;
    opterr = 0;
    optind = 0;  // a full reset, also of getopt's internal state
    for (;;) {
        const int code = ::getopt_long(argc, argv, short_options, long_options(), nullptr);
        if (code == -1) break;
        if (code == '?' || code == ':') return fail(unusable_option(code, argv));
        if (code == opt_help) {
            line.action = CommandLine::Action::help;
            return line;
        }
        if (code == opt_version) {
            line.action = CommandLine::Action::version;
            return line;
        }
        const char* name = find_long(code)->name;
        const std::string_view value = optarg != nullptr ? optarg : "";
        switch (code) {
            case opt_shape: {
                shape = find_shape(value);
                if (shape == nullptr)
                    return fail(refused(name, value, "unknown shape; the shapes are " + shape_names()));
                break;
            }
            case opt_dt: {
                const Checked<double> dt = seconds(value);
                if (const Refusal* r = std::get_if<Refusal>(&dt)) return fail(refused(name, value, r->reason));
                p.dt = std::get<double>(dt);
                break;
            }
            case opt_samples: {
                const Checked<std::int32_t> nt = sample_count(value);
                if (const Refusal* r = std::get_if<Refusal>(&nt)) return fail(refused(name, value, r->reason));
                p.nt = std::get<std::int32_t>(nt);
                break;
            }
            case opt_output_dir: {
                if (value.empty()) return fail(refused(name, value, "the value is empty"));
                p.output_dir = value;
                if (const std::string problem = directory_problem(p.output_dir); !problem.empty())
                    return fail(refused(name, value, problem));
                break;
            }
            case opt_no_pause: p.pause = false; break;
            case opt_export: {
                if (const std::string problem = add_exports(value, p.exports); !problem.empty())
                    return fail(refused(name, value, problem));
                break;
            }
            case opt_report: p.report = true; break;
            case opt_fmax: {
                const Checked<double> fmax = frequency(value);
                if (const Refusal* r = std::get_if<Refusal>(&fmax)) return fail(refused(name, value, r->reason));
                p.fmax = std::get<double>(fmax);
                p.report = true;
                break;
            }
            case opt_quantity: {
                if (value == "cumulative") {
                    p.quantity = Quantity::cumulative;
                } else if (value == "rate") {
                    p.quantity = Quantity::rate;
                } else {
                    return fail(refused(name, value, "the quantities are cumulative and rate"));
                }
                break;
            }
            default:
                if (code < first_shape_option) return fail("unexpected option code " + std::to_string(code));
                shape_values.set(name, value);
                break;
        }
    }
    if (optind < argc) return fail("unexpected operand '" + std::string(argv[optind]) + "'");
    MadeSource source = make_source(*shape, shape_values);
    if (const Refusal* r = std::get_if<Refusal>(&source)) return fail(r->reason);
    p.source = std::get<std::shared_ptr<const Source>>(std::move(source));
    // A format's own bound on the samples, whichever option came first.
    for (const std::string& name : p.exports) {
        const ExportFormat* format = find_export_format(name);
        if (p.nt < format->min_samples())
            return fail("--export=" + name + " cannot be used with --samples=" + std::to_string(p.nt) + ": " +
                        std::string(format->min_samples_reason()));
    }
    return line;
}

std::string usage_error_text(const std::string& error) {
    return std::string(program_name) + ": " + error + "\nTry '" + program_name + " --help' for more information.\n";
}

std::string version_text() { return std::string(program_name) + " " EXP_SLIPV_VERSION "\n"; }

namespace {

// "      --NAME=VALUE" and the text from the help's second column.
std::string help_entry(const std::string& left, const std::string& text) {
    constexpr std::size_t text_column = 32;
    std::string line = left;
    if (line.size() + 1 > text_column) {
        line += "\n";
        line.append(text_column, ' ');
    } else {
        line.resize(text_column, ' ');
    }
    return line + text + "\n";
}

std::string shape_help() {
    std::string text;
    for (const Shape* shape : shapes()) {
        text += help_entry("  " + std::string(shape->name()), std::string(shape->formula()));
        for (const ShapeOption& o : shape->options()) text += help_entry("      --" + o.name + "=" + o.value_name, o.help);
    }
    return text;
}

}  // namespace

std::string help_text() {
    std::string formats;
    for (const ExportFormat* format : export_formats()) {
        std::string entry = "                                  " + std::string(format->name());
        entry.resize(46, ' ');
        formats += entry + std::string(format->file_name()) + "\n";
    }
    return R"(Usage: exp-slipv [OPTION]...
Sample a slip-velocity pulse of unit final slip, by default the exponential
(Brune) function v(t) = (t/tau^2) exp(-t/tau), derive the slip (trapezoidal
rule) and the slip acceleration (backward difference) and write the three
histories to Exp_Slip.csv; transform the velocity and write its sampled and
closed-form amplitude spectra, and those of the acceleration, to Exp_Amp.csv.
Both files are created or replaced.  At the end the program waits for one
line of input (Enter).

The pulse (default: brune, tau = 1 s); each shape takes the options below it,
and a time scale only one way:
      --shape=NAME              the pulse shape, one of:
)" + shape_help() + R"(Sampling:
      --dt=SECONDS              sampling interval (default 0.01)
      --samples=N               number of samples, 2 to 16777216
                                (default 8192); the transform pads the
                                record with zeros to a power of two
Source time functions for solvers (written whole or not at all):
      --export=FORMAT[,FORMAT...]  also write the pulse in each FORMAT:
)" + formats + R"(      --quantity=QUANTITY       what the exports hold: cumulative (default), the
                                slip s(t) from 0 to 1; or rate, v(t), of unit
                                integral
The report (how faithful the sampled pulse is):
      --report                  show the closed form's and the samples' figures,
                                the band where the sampled spectrum stays within
                                1 % and 10 % of the closed form, and the
                                transform's own error; also in Exp_Report.json
      --fmax=HZ                 a target band (implies --report): the largest
                                deviation up to HZ and the largest dt that keeps
                                the sampled pulse within 1 % up to HZ
Output:
      --output-dir=DIR          write the files into DIR, which must exist
                                (default: the current directory)
      --no-pause                end without waiting for input, for scripts
  -h, --help                    show this help and end
      --version                 show the version and end

Every time (tau, dt, a duration, a width) must lie between 1e-9 and 1e9
seconds.  Values are decimal numbers such as 0.01, 1e-3 or .5.

Exit status: 0 normal end; 1 interrupt or termination request; 2 fatal I/O
report; 3 capacity guard; 64 unusable command line; 129 hang-up; 134, 136
abort or floating-point exception report.
)";
}

}  // namespace exp_slipv
