#include "command_line.hpp"

#include <getopt.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <string_view>
#include <variant>

#include "export/export_format.hpp"
#include "option_parsing.hpp"
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
    opt_length,
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
    {"length", required_argument, nullptr, opt_length},
    {"output-dir", required_argument, nullptr, opt_output_dir},
    {"no-pause", no_argument, nullptr, opt_no_pause},
    {"export", required_argument, nullptr, opt_export},
    {"quantity", required_argument, nullptr, opt_quantity},
    {"report", no_argument, nullptr, opt_report},
    {"fmax", required_argument, nullptr, opt_fmax},
    {"help", no_argument, nullptr, opt_help},
    {"version", no_argument, nullptr, opt_version},
};

const option* long_options() {
    static const std::vector<option> table = with_shape_options(fixed_options, first_shape_option);
    return table.data();
}

// A leading ':' makes getopt_long tell a missing value (':') from an unknown
// option ('?'); its own messages are off, since they name argv[0].
constexpr const char* short_options = ":h";

const option* find_long(int id) { return find_option(long_options(), id); }

std::string unusable_option(int code, char** argv) { return exp_slipv::unusable_option(code, argv, long_options()); }

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
    bool samples_given = false;
    std::optional<double> length;  // --length: the samples follow from dt, whichever came first
    std::string length_text;
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
                samples_given = true;
                break;
            }
            case opt_length: {
                const Checked<double> seconds_given = seconds(value);
                if (const Refusal* r = std::get_if<Refusal>(&seconds_given)) return fail(refused(name, value, r->reason));
                length = std::get<double>(seconds_given);
                length_text = value;
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
    if (length) {
        if (samples_given) return fail("--length=" + length_text + " cannot be used with --samples: each sets the samples");
        const Checked<std::int32_t> nt = samples_covering(*length, p.dt);
        if (const Refusal* r = std::get_if<Refusal>(&nt)) return fail(refused("length", length_text, r->reason));
        p.nt = std::get<std::int32_t>(nt);
    }
    MadeSource source = make_source(*shape, shape_values);
    if (const Refusal* r = std::get_if<Refusal>(&source)) return fail(r->reason);
    p.source = std::get<std::shared_ptr<const Source>>(std::move(source));
    // A format's own bound on the samples, whichever option came first.
    for (const std::string& name : p.exports) {
        const ExportFormat* format = find_export_format(name);
        if (p.nt < format->min_samples())
            return fail("--export=" + name + " cannot be used with " +
                        (length ? "--length=" + length_text + " (" + std::to_string(p.nt) + " samples)"
                                : "--samples=" + std::to_string(p.nt)) +
                        ": " + std::string(format->min_samples_reason()));
    }
    return line;
}

std::string usage_error_text(const std::string& error) {
    return std::string(program_name) + ": " + error + "\nTry '" + program_name + " --help' for more information.\n";
}

std::string version_text() { return std::string(program_name) + " " EXP_SLIPV_VERSION "\n"; }


std::string help_text() {
    std::string formats;
    for (const ExportFormat* format : export_formats()) {
        std::string entry = "                                  " + std::string(format->name());
        entry.resize(46, ' ');
        formats += entry + std::string(format->file_name()) + "\n";
    }
    return R"(Usage: exp-slipv [OPTION]...
  or:  exp-slipv rupture [OPTION]... MODEL   (a whole rupture: see
       exp-slipv rupture --help)
  or:  exp-slipv inspect [OPTION]... FILE.srf   (check an SRF: see
       exp-slipv inspect --help)
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
      --length=SECONDS          as many samples as cover 0 to SECONDS at dt
                                (60 s at dt 0.004: 15001), in place of
                                --samples and within its limits
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
