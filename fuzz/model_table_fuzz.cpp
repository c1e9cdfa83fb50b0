// libFuzzer target: any bytes as a rupture model.  A model is hostile until
// read: whatever the bytes, the reader returns a model or a ModelError,
// never crashes, hangs or grows without bound.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "model/model_error.hpp"
#include "model/model_reader.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const int fd = ::memfd_create("model", 0);
    if (fd < 0) return 0;
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    exp_slipv::ModelDefaults defaults;
    defaults.pulse.shape = exp_slipv::find_shape(exp_slipv::default_shape);
    try {
        const exp_slipv::RuptureModel model = exp_slipv::read_model("/proc/self/fd/" + std::to_string(fd), defaults);
        if (model.subfaults.empty()) __builtin_trap();  // a model always has a subfault
    } catch (const exp_slipv::ModelError& error) {
        if (error.what.empty()) __builtin_trap();  // every refusal says what is wrong
    } catch (const exp_slipv::ModelReadFailure&) {
    }
    ::close(fd);
    return 0;
}
