#include "model/line_reader.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "model/model_error.hpp"

namespace exp_slipv {

namespace {

constexpr std::size_t buffer_size = 64 * 1024;
constexpr std::string_view byte_order_mark = "\xEF\xBB\xBF";

std::string system_reason(const char* what, const std::string& path, int error) {
    return std::string(what) + " '" + path + "': " + std::strerror(error);
}

}  // namespace

LineReader::LineReader(std::string path) : path_(std::move(path)), buffer_(buffer_size) {
    do {
        fd_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0) throw ModelReadFailure{system_reason("cannot open", path_, errno)};
    struct stat status {};
    if (::fstat(fd_, &status) == 0 && S_ISDIR(status.st_mode)) {
        ::close(fd_);
        throw ModelReadFailure{system_reason("cannot read", path_, EISDIR)};
    }
}

LineReader::~LineReader() {
    if (fd_ >= 0) ::close(fd_);
}

bool LineReader::fill() {
    if (eof_) return false;
    if (begin_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    const std::size_t before = end_;
    for (;;) {
        const ssize_t count = ::read(fd_, buffer_.data() + end_, buffer_.size() - end_);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) throw ModelReadFailure{system_reason("cannot read", path_, errno)};
        if (count == 0) {
            eof_ = true;
            break;
        }
        end_ += static_cast<std::size_t>(count);
        if (!started_ && end_ < byte_order_mark.size()) continue;  // the mark may come in pieces
        break;
    }
    if (!started_) {
        started_ = true;
        if (std::string_view(buffer_.data(), end_).starts_with(byte_order_mark)) begin_ = byte_order_mark.size();
    }
    return end_ > before;
}

std::string_view LineReader::head() {
    if (!started_) fill();
    return {buffer_.data() + begin_, end_ - begin_};
}

bool LineReader::next(std::string_view& line) {
    long_line_.clear();
    const auto too_long = [&] {
        return ModelError{line_number_ + 1, "a line longer than " + std::to_string(max_line_length) + " bytes"};
    };
    if (!started_) fill();
    for (;;) {
        const char* start = buffer_.data() + begin_;
        const void* found = std::memchr(start, '\n', end_ - begin_);
        if (found != nullptr) {
            const auto length = static_cast<std::size_t>(static_cast<const char*>(found) - start);
            if (long_line_.size() + length > max_line_length) throw too_long();
            ++line_number_;
            begin_ += length + 1;
            if (long_line_.empty()) {
                line = {start, length};
            } else {
                long_line_.append(start, length);
                line = long_line_;
            }
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            return true;
        }
        // No line end in the buffer: keep what there is and read on.
        long_line_.append(start, end_ - begin_);
        begin_ = end_;
        if (long_line_.size() > max_line_length) throw too_long();
        if (!fill()) {
            if (long_line_.empty()) return false;
            ++line_number_;  // the last line, without its end
            line = long_line_;
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            return true;
        }
    }
}

}  // namespace exp_slipv
