// An SRF file opened for reading, as the text chunks read it.
#pragma once

#include <cstdint>
#include <string>

#include "srf/reading/text_chunks.hpp"

namespace exp_slipv {

class SrfFile {
public:
    // ModelReadFailure when it cannot be opened or is a directory.
    explicit SrfFile(std::string path);
    ~SrfFile();
    SrfFile(const SrfFile&) = delete;
    SrfFile& operator=(const SrfFile&) = delete;

    // Reads from the file; a failure is a ModelReadFailure.
    ReadBytes reader();
    // Its size where it is a regular file, else 0.
    std::uint64_t size() const { return size_; }

private:
    std::string path_;
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

}  // namespace exp_slipv
