#include "exp_slipv.hpp"

#include <complex>
#include <string>

#include "export/export_content.hpp"
#include "export/export_format.hpp"
#include "report/report_console.hpp"
#include "report/report_json.hpp"
#include "report/run_report.hpp"
#include "slip_file.hpp"
#include "source/shape.hpp"
#include "spectrum_file.hpp"
#include "textio/byte_output.hpp"
#include "textio/list_output.hpp"
#include "textio/pause.hpp"
#include "textio/run_frame.hpp"
#include "textio/units.hpp"
#include "working_arrays.hpp"

namespace exp_slipv {

namespace {

using textio::write_line;

// The export formats of the run, in the order given.
std::vector<const ExportFormat*> exports_of(const Parameters& p) {
    std::vector<const ExportFormat*> formats;
    for (const std::string& name : p.exports) formats.push_back(find_export_format(name));
    return formats;
}

int export_unit(std::size_t index) { return first_export_unit + static_cast<int>(index); }

std::string export_path(const Parameters& p, const ExportFormat& format) {
    return output_path(p, format.file_name());
}

// The Brune pulse shows its tau alone, as it always has; another shape
// shows its name first.
void announce_source(const Source& source) {
    if (source.name() != default_shape) write_line(console_out, " Shape = " + source.name());
    for (const SourceParameter& parameter : source.parameters()) write_line(console_out, parameter.label, parameter.value);
}

void announce_files(const Parameters& p, const std::vector<const ExportFormat*>& exports) {
    write_line(console_out, " Slip functions are stored in " + output_path(p, slip_file_name));
    write_line(console_out, " Fourier spectrum is stored in " + output_path(p, spectrum_file_name));
    for (const ExportFormat* format : exports)
        write_line(console_out, " " + std::string(format->solver()) + " source time function (" +
                                    std::string(quantity_description(p.quantity)) + ") is stored in " +
                                    export_path(p, *format));
    if (p.report) write_line(console_out, " The report is stored in " + output_path(p, report_file_name));
}

// Every file is known to be writable before the first one changes, so that
// a run that fails on one never leaves a mixed set of two runs.
void check_files_writable(const Parameters& p, const std::vector<const ExportFormat*>& exports) {
    textio::check_line_output(slip_unit, output_path(p, slip_file_name));
    textio::check_line_output(spectrum_unit, output_path(p, spectrum_file_name));
    for (std::size_t i = 0; i < exports.size(); ++i)
        textio::check_replacing_output(export_unit(i), export_path(p, *exports[i]));
    if (p.report) textio::check_replacing_output(report_unit, output_path(p, report_file_name));
}

// Each export is written whole into a temporary file, renamed over the
// earlier one only when complete.
void write_exports(const Parameters& p, const Source& source, const std::vector<const ExportFormat*>& exports) {
    const StfSeries series{source, p.quantity, p.dt, p.nt};
    for (std::size_t i = 0; i < exports.size(); ++i) {
        textio::open_unit_replacing(export_unit(i), export_path(p, *exports[i]));
        exports[i]->write(export_unit(i), series);
        textio::close_unit(export_unit(i));
    }
}

// The report on the console, and the same figures, whole or not at all, in
// the report file.
void report_run(const Parameters& p, const Source& source, const WorkingArrays& arrays, double dom, std::int32_t nom) {
    const RunReport report = analyse_run(p, source, arrays.svwave.get(), arrays.svamp.get(), dom, nom);
    write_console_report(console_out, report);
    textio::open_unit_replacing(report_unit, output_path(p, report_file_name));
    textio::write_bytes(report_unit, report_json(report));
    textio::close_unit(report_unit);
}

}  // namespace

std::string output_path(const Parameters& parameters, std::string_view file_name) {
    std::string path = parameters.output_dir;
    if (!path.empty() && path.back() != '/') path += '/';
    return path += file_name;
}

void check_capacity(std::int32_t nfast, std::int32_t mom) {
    if (nfast > mom - 1) {
        write_line(console_out, "from Triangle: nfast > MOM !", nfast, mom);
        textio::stop(status_capacity_exceeded);
    }
}

void run(const Parameters& p) {
    const WorkingArrays arrays = allocate_working_arrays(p.nt);
    const Source& source = *p.source;
    const std::vector<const ExportFormat*> exports = exports_of(p);

    write_line(console_out);
    write_line(console_out, "Slip Velocity Function using Exponential Function");
    write_line(console_out);
    write_line(console_out, " dt,nt=", p.dt, p.nt);
    announce_source(source);
    write_line(console_out);
    announce_files(p, exports);
    check_files_writable(p, exports);

    write_slip_file(arrays.svwave.get(), p, source);

    // The transform pads the record with zeros to a power of two, and the
    // spectral parameters describe the padded transform.
    const std::int32_t nfast = transform_length(p.nt);
    const double dur = static_cast<double>(nfast) * p.dt;
    const double dom = (pai + pai) / dur;
    const std::int32_t nom = nfast / 2;
    const double eom = static_cast<double>(nom) * dom;

    write_line(console_out);
    write_line(console_out, " DUR,DOM,NOM,EOM=", dur, dom, nom, eom);
    write_line(console_out, " Highest Frequency (hz)=", eom / two_pi_literal);

    check_capacity(nfast, arrays.mom);
    transform_velocity(arrays.svwave.get(), arrays.svamp.get(), p.nt, nfast, arrays.mom);
    write_spectrum_file(arrays.svamp.get(), dom, nom, p, source);

    write_exports(p, source, exports);
    if (p.report) report_run(p, source, arrays, dom, nom);

    if (p.pause) {
        write_line(console_out);
        write_line(console_out, "Hit any key to stop");
        textio::pause_read();
    }
    textio::stop();
}

}  // namespace exp_slipv
