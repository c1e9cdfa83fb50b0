// libFuzzer target: any bytes as an SRF for the inspector.  A file is
// hostile until read: whatever the bytes, the reader and the inspection
// end with their figures or a ModelError, never crash, hang or grow
// without bound.  The first byte chooses a small chunk size (and now and
// then a second thread), so that fields, lines and CRLF are cut between
// chunks at every place.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "inspect/inspection.hpp"
#include "model/model_error.hpp"
#include "srf/reading/srf_reader.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t chunk_size = 1 + (data[0] & 0x3f);
    const int threads = (data[0] & 0xc0) == 0xc0 ? 2 : 1;
    const char* text = reinterpret_cast<const char*>(data + 1);
    std::size_t left = size - 1;
    exp_slipv::ReadBytes read = [&](char* into, std::size_t capacity) {
        // A few bytes at a time, as a pipe gives them.
        const std::size_t n = std::min({left, capacity, std::size_t{7}});
        std::memcpy(into, text, n);
        text += n;
        left -= n;
        return n;
    };
    exp_slipv::Inspection inspection(3e10, 0.0);
    try {
        exp_slipv::TextChunks chunks(read, threads, chunk_size);
        exp_slipv::read_srf(chunks, inspection);
        const exp_slipv::MomentRate rate = std::move(inspection).moment_rate();
        if (rate.rate.empty() || rate.rate.size() != rate.moment.size()) __builtin_trap();
    } catch (const exp_slipv::ModelError& error) {
        if (error.what.empty()) __builtin_trap();  // every refusal says what is wrong
    }
    return 0;
}
