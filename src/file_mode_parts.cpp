#include "file_mode_parts.hpp"

#include "command_line.hpp"
#include "textio/byte_output.hpp"
#include "textio/run_frame.hpp"
#include "textio/units.hpp"

namespace exp_slipv {

std::string output_path(const std::string& dir, std::string_view file) {
    std::string path = dir;
    if (!path.empty() && path.back() != '/') path += '/';
    return path += file;
}

void refuse_file(const std::string& path, const ModelError& error, int status) {
    std::string where = path;
    if (error.line > 0) where += ":" + std::to_string(error.line);
    textio::write_bytes(textio::error_unit, std::string(program_name) + ": " + where + ": " + error.what + "\n");
    textio::stop(status);
}

void fail_reading(const ModelReadFailure& failure) {
    textio::write_bytes(textio::error_unit, std::string(program_name) + ": " + failure.what + "\n");
    textio::stop(textio::status_fatal_report);
}

}  // namespace exp_slipv
