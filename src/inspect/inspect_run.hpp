// The inspector: exp-slipv inspect [OPTION]... FILE.srf.
#pragma once

namespace exp_slipv {

// argv[0] is the mode's word, "inspect".
int inspect_main(int argc, char** argv);

}  // namespace exp_slipv
