#include "inspect/srf_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

#include "model/model_error.hpp"
#include "textio/signals.hpp"

namespace exp_slipv {

namespace {

std::string system_reason(const char* what, const std::string& path, int error) {
    return std::string(what) + " '" + path + "': " + std::strerror(error);
}

}  // namespace

SrfFile::SrfFile(std::string path) : path_(std::move(path)) {
    do {
        fd_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0) throw ModelReadFailure{system_reason("cannot open", path_, errno)};
    struct stat status {};
    if (::fstat(fd_, &status) != 0) {
        const int error = errno;
        ::close(fd_);
        throw ModelReadFailure{system_reason("cannot read", path_, error)};
    }
    if (S_ISDIR(status.st_mode)) {
        ::close(fd_);
        throw ModelReadFailure{system_reason("cannot read", path_, EISDIR)};
    }
    if (S_ISREG(status.st_mode)) size_ = static_cast<std::uint64_t>(status.st_size);
}

SrfFile::~SrfFile() {
    if (fd_ >= 0) ::close(fd_);
}

ReadBytes SrfFile::reader() {
    const std::thread::id main_thread = std::this_thread::get_id();
    return [this, main_thread](char* into, std::size_t capacity) -> std::size_t {
        const bool on_main_thread = std::this_thread::get_id() == main_thread;
        for (;;) {
            // A pipe or FIFO may keep the main thread waiting: there an
            // interrupt must end the wait.  Other threads block the stop
            // signals; the main thread acts on them.
            if (on_main_thread && textio::wait_for(fd_, POLLIN) == textio::Wait::interrupted) textio::check_stop_request();
            const ssize_t count = ::read(fd_, into, capacity);
            if (count >= 0) return static_cast<std::size_t>(count);
            if (errno != EINTR) throw ModelReadFailure{system_reason("cannot read", path_, errno)};
            if (on_main_thread) textio::check_stop_request();
        }
    };
}

}  // namespace exp_slipv
