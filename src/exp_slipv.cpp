#include "exp_slipv.hpp"

#include <complex>
#include <string>

#include "slip_file.hpp"
#include "spectrum_file.hpp"
#include "textio/list_output.hpp"
#include "textio/pause.hpp"
#include "textio/run_frame.hpp"
#include "working_arrays.hpp"

namespace exp_slipv {

namespace {

using textio::write_line;

}  // namespace

std::string output_path(const Parameters& parameters, const char* file_name) {
    const std::string& dir = parameters.output_dir;
    if (dir.empty()) return file_name;
    return dir.back() == '/' ? dir + file_name : dir + "/" + file_name;
}

void check_capacity(std::int32_t nfast, std::int32_t mom) {
    if (nfast > mom - 1) {
        write_line(console_out, "from Triangle: nfast > MOM !", nfast, mom);
        textio::stop(status_capacity_exceeded);
    }
}

void run(const Parameters& p) {
    const WorkingArrays arrays = allocate_working_arrays(p.nt);

    write_line(console_out);
    write_line(console_out, "Slip Velocity Function using Exponential Function");
    write_line(console_out);
    write_line(console_out, " dt,nt=", p.dt, p.nt);
    write_line(console_out, " Tau(s) =", p.tau);
    write_line(console_out);
    write_line(console_out, " Slip functions are stored in " + output_path(p, slip_file_name));
    write_line(console_out, " Fourier spectrum is stored in " + output_path(p, spectrum_file_name));

    // Every file is known to be writable before the first one changes, so
    // that a run that fails on one never leaves a mixed set of two runs.
    textio::check_line_output(slip_unit, output_path(p, slip_file_name));
    textio::check_line_output(spectrum_unit, output_path(p, spectrum_file_name));

    write_slip_file(arrays.svwave.get(), p);

    const double dur = static_cast<double>(p.nt) * p.dt;
    const double dom = (pai + pai) / dur;
    const std::int32_t nom = p.nt / 2;
    const double eom = static_cast<double>(nom) * dom;

    write_line(console_out);
    write_line(console_out, " DUR,DOM,NOM,EOM=", dur, dom, nom, eom);
    write_line(console_out, " Highest Frequency (hz)=", eom / two_pi_literal);

    const std::int32_t nfast = p.nt;
    check_capacity(nfast, arrays.mom);
    transform_velocity(arrays.svwave.get(), arrays.svamp.get(), p.nt, nfast, arrays.mom);
    write_spectrum_file(arrays.svamp.get(), dom, nom, p);

    if (p.pause) {
        write_line(console_out);
        write_line(console_out, "Hit any key to stop");
        textio::pause_read();
    }
    textio::stop();
}

}  // namespace exp_slipv
