#include "inspect/inspect_command_line.hpp"

#include <variant>

#include "parallel/parallel.hpp"

namespace exp_slipv {

namespace {

enum OptionId : int {
    opt_help = 'h',
    opt_dt = 256,
    opt_rigidity,
    opt_output_dir,
    opt_report,
    opt_threads,
    opt_version,
    opt_no_pause,
};

const option long_options[] = {
    {"dt", required_argument, nullptr, opt_dt},
    {"rigidity", required_argument, nullptr, opt_rigidity},
    {"output-dir", required_argument, nullptr, opt_output_dir},
    {"report", no_argument, nullptr, opt_report},
    {"threads", required_argument, nullptr, opt_threads},
    {"help", no_argument, nullptr, opt_help},
    {"version", no_argument, nullptr, opt_version},
    // Taken and ignored, as the rupture mode does: scripts run every mode alike.
    {"no-pause", no_argument, nullptr, opt_no_pause},
    {nullptr, 0, nullptr, 0},
};

constexpr const char* short_options = ":h";

}  // namespace

InspectCommandLine parse_inspect_command_line(int argc, char** argv) {
    InspectCommandLine line;
    InspectOptions& o = line.options;
    o.threads = default_thread_count();
    const auto fail = [&](std::string error) {
        line.action = InspectCommandLine::Action::usage_error;
        line.error = std::move(error);
        return line;
    };
    opterr = 0;
    optind = 0;
    for (;;) {
        const int code = ::getopt_long(argc, argv, short_options, long_options, nullptr);
        if (code == -1) break;
        if (code == '?' || code == ':') return fail(unusable_option(code, argv, long_options));
        if (code == opt_help) {
            line.action = InspectCommandLine::Action::help;
            return line;
        }
        if (code == opt_version) {
            line.action = InspectCommandLine::Action::version;
            return line;
        }
        const char* name = find_option(long_options, code)->name;
        const std::string_view value = optarg != nullptr ? optarg : "";
        switch (code) {
            case opt_dt: {
                const Checked<double> dt = seconds(value);
                if (const Refusal* r = std::get_if<Refusal>(&dt)) return fail(refused(name, value, r->reason));
                o.dt = std::get<double>(dt);
                break;
            }
            case opt_rigidity: {
                const Checked<double> mu = rigidity_option(value);
                if (const Refusal* r = std::get_if<Refusal>(&mu)) return fail(refused(name, value, r->reason));
                o.rigidity_pa = std::get<double>(mu);
                break;
            }
            case opt_output_dir:
                if (value.empty()) return fail(refused(name, value, "the value is empty"));
                o.output_dir = value;
                if (const std::string problem = directory_problem(o.output_dir); !problem.empty())
                    return fail(refused(name, value, problem));
                break;
            case opt_report: o.report = true; break;
            case opt_no_pause: break;
            case opt_threads: {
                const Checked<int> n = thread_option(value);
                if (const Refusal* r = std::get_if<Refusal>(&n)) return fail(refused(name, value, r->reason));
                o.threads = std::get<int>(n);
                break;
            }
            default: return fail("unexpected option code " + std::to_string(code));
        }
    }
    if (optind >= argc) return fail("missing the SRF file operand");
    if (argc - optind > 1) return fail("unexpected operand '" + std::string(argv[optind + 1]) + "'");
    o.srf_path = argv[optind];
    if (o.srf_path.empty()) return fail("the SRF file operand is empty");
    return line;
}

std::string inspect_help_text() {
    return R"(Usage: exp-slipv inspect [OPTION]... FILE.srf
Check an SRF file (1.0 or 2.0) made by any program: print the rupture's
figures, what the file holds that a reader may mishandle (with its lines),
and what SW4, SeisSol and Instaseis will each make of it; write the
moment-rate function (Exp_MomentRate.csv) and its sampled amplitude spectrum
(Exp_MomentRate_Amp.csv).  Every file is written whole or not at all.

      --dt=SECONDS              step of the moment-rate function (default: the
                                DT of the first point)
      --rigidity=PA             mu where a point gives no VS and DEN (default
                                3.0e10)
      --output-dir=DIR          write the files into DIR, which must exist
      --report                  also write the figures, findings and verdicts
                                to Exp_Report.json
      --threads=N               read on N threads (default: every core); the
                                files are the same for any N
  -h, --help                    show this help and end
      --version                 show the version and end

Exit status: 0 the file was read, whatever was found in it; 1 interrupt or
termination request; 2 fatal I/O report; 64 unusable command line; 65 a file
that cannot be read as SRF.
)";
}

}  // namespace exp_slipv
