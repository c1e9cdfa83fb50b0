#include "exp_slipv.hpp"

#include <complex>

#include "parameters.hpp"
#include "slip_file.hpp"
#include "spectrum_file.hpp"
#include "textio/list_output.hpp"
#include "textio/pause.hpp"
#include "textio/run_frame.hpp"

namespace exp_slipv {

namespace {

using textio::write_line;

// The working arrays: static, zero-filled, indexed from 0 here.
double svwave[mom];
std::complex<double> svamp[mom];

}  // namespace

void check_capacity(std::int32_t nfast) {
    if (nfast > mom - 1) {
        write_line(console_out, "from Triangle: nfast > MOM !", nfast, mom);
        textio::stop(status_capacity_exceeded);
    }
}

void run() {
    const double tau2 = tau * tau;

    write_line(console_out);
    write_line(console_out, "Slip Velocity Function using Exponential Function");
    write_line(console_out);
    write_line(console_out, " dt,nt=", dt, nt);
    write_line(console_out, " Tau(s) =", tau);
    write_line(console_out);
    write_line(console_out, " Slip functions are stored in Exp_Slip.csv");
    write_line(console_out, " Fourier spectrum is stored in Exp_Amp.csv");

    write_slip_file(svwave, tau2);

    const double dur = static_cast<double>(nt) * dt;
    const double dom = (pai + pai) / dur;
    const std::int32_t nom = nt / 2;
    const double eom = static_cast<double>(nom) * dom;

    write_line(console_out);
    write_line(console_out, " DUR,DOM,NOM,EOM=", dur, dom, nom, eom);
    write_line(console_out, " Highest Frequency (hz)=", eom / two_pi_literal);

    const std::int32_t nfast = nt;
    check_capacity(nfast);
    transform_velocity(svwave, svamp, nfast);
    write_spectrum_file(svamp, dom, nom);

    write_line(console_out);
    write_line(console_out, "Hit any key to stop");
    textio::pause_read();
    textio::stop();
}

}  // namespace exp_slipv
