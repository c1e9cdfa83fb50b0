#include <cstdlib>

#include "exp_slipv.hpp"
#include "textio/run_frame.hpp"

int main(int argc, char** argv) {
    textio::start_up(argc, argv);
    exp_slipv::run();
    return EXIT_SUCCESS;
}
