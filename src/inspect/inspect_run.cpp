#include "inspect/inspect_run.hpp"

#include "command_line.hpp"
#include "file_mode_parts.hpp"
#include "inspect/inspect_command_line.hpp"
#include "inspect/inspect_report.hpp"
#include "inspect/inspection.hpp"
#include "inspect/srf_file.hpp"
#include "model/model_error.hpp"
#include "moment/moment_rate_files.hpp"
#include "parallel/progress.hpp"
#include "parameters.hpp"
#include "program_messages.hpp"
#include "srf/reading/srf_reader.hpp"
#include "textio/byte_output.hpp"
#include "textio/run_frame.hpp"
#include "textio/units.hpp"

namespace exp_slipv {

namespace {

constexpr int console = textio::output_unit;
constexpr int moment_rate_unit = 41;
constexpr int moment_spectrum_unit = 42;
constexpr int status_unreadable_srf = 65;

void say(const std::string& line) { textio::write_bytes(console, line + "\n"); }

std::string path_of(const InspectOptions& o, std::string_view file) { return output_path(o.output_dir, file); }

[[noreturn]] void refuse_srf(const InspectOptions& o, const ModelError& error) {
    refuse_file(o.srf_path, error, status_unreadable_srf);
}

// Progress by the bytes read, on a terminal.
class ReadingProgress final {
public:
    explicit ReadingProgress(std::uint64_t size) : size_(size), shown_("reading the SRF") {}
    void update(std::uint64_t bytes) { shown_.update(static_cast<double>(bytes), static_cast<double>(size_)); }

private:
    std::uint64_t size_;
    Progress shown_;
};

class ShowingInspection final : public SrfVisitor {
public:
    ShowingInspection(Inspection& inner, ReadingProgress& progress) : inner_(inner), progress_(progress) {}
    void version(const std::string& t, std::int64_t l) override { inner_.version(t, l); }
    void plane(std::int64_t s, std::int64_t l) override { inner_.plane(s, l); }
    void points_block(std::int64_t d, std::int64_t l) override { inner_.points_block(d, l); }
    void block_end(std::int64_t d, std::int64_t f, std::int64_t l) override { inner_.block_end(d, f, l); }
    void point(const SrfPoint& p) override { inner_.point(p); }
    void truncated(std::int64_t l) override { inner_.truncated(l); }
    void comment_line(std::int64_t l) override { inner_.comment_line(l); }
    void blank_at_line_end(std::int64_t l) override { inner_.blank_at_line_end(l); }
    void long_line(std::int64_t l, std::uint64_t c) override { inner_.long_line(l, c); }
    void leading_zero(std::int64_t l, const std::string& f) override { inner_.leading_zero(l, f); }
    void progress(std::uint64_t bytes) override { progress_.update(bytes); }

private:
    Inspection& inner_;
    ReadingProgress& progress_;
};

}  // namespace

int inspect_main(int argc, char** argv) {
    const InspectCommandLine line = parse_inspect_command_line(argc, argv);
    switch (line.action) {
        case InspectCommandLine::Action::help: return print_information(inspect_help_text());
        case InspectCommandLine::Action::version: return print_information(version_text());
        case InspectCommandLine::Action::usage_error: return report_usage_error(line.error);
        case InspectCommandLine::Action::run: break;
    }
    const InspectOptions& o = line.options;
    textio::start_up(argc, argv);

    // Read the file in one pass: facts, findings, moment and moment rate.
    Inspection inspection(o.rigidity_pa, o.dt);
    // A refusal is reported while the chunks' threads still live: one may
    // wait on a pipe that never ends, and the run must not wait for it.
    try {
        SrfFile file(o.srf_path);
        ReadingProgress progress(file.size());
        TextChunks chunks(file.reader(), o.threads);
        ShowingInspection showing(inspection, progress);
        try {
            read_srf(chunks, showing);
        } catch (const ModelError& error) {
            refuse_srf(o, error);
        } catch (const ModelReadFailure& failure) {
            fail_reading(failure);
        }
    } catch (const ModelReadFailure& failure) {
        fail_reading(failure);
    }

    InspectFigures figures;
    figures.file = o.srf_path;
    figures.rigidity_pa = o.rigidity_pa;
    figures.facts = inspection.facts();
    figures.moment = inspection.moment();
    figures.mw = moment_magnitude(figures.moment.total_nm);
    const MomentRate rate = std::move(inspection).moment_rate();
    figures.dt = rate.dt;
    figures.series = series_figures(rate);
    for (const SolverReader* reader : solver_readers()) figures.verdicts.emplace_back(reader, reader->judge(figures.facts));

    say("");
    say(" SRF file " + o.srf_path);
    say("");
    for (const std::string& text : inspect_console_lines(figures)) say(text);
    say("");
    say(" Moment-rate function is stored in " + path_of(o, moment_rate_file_name));
    say(" Its amplitude spectrum is stored in " + path_of(o, moment_spectrum_file_name));
    if (o.report) say(" The report is stored in " + path_of(o, report_file_name));
    say("");

    // Every file is known to be writable before the first one changes.
    textio::check_replacing_output(moment_rate_unit, path_of(o, moment_rate_file_name));
    textio::check_replacing_output(moment_spectrum_unit, path_of(o, moment_spectrum_file_name));
    if (o.report) textio::check_replacing_output(report_unit, path_of(o, report_file_name));

    write_moment_rate_file(moment_rate_unit, path_of(o, moment_rate_file_name), rate);
    write_moment_spectrum_file(moment_spectrum_unit, path_of(o, moment_spectrum_file_name), sampled_moment_spectrum(rate));
    if (o.report) {
        textio::open_unit_replacing(report_unit, path_of(o, report_file_name));
        textio::write_bytes(report_unit, inspect_json(figures));
        textio::close_unit(report_unit);
    }
    textio::stop();
}

}  // namespace exp_slipv
