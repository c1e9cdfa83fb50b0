#include "parallel/progress.hpp"

#include <unistd.h>

namespace exp_slipv {

namespace {

constexpr auto quiet_time = std::chrono::seconds(2);

void show(const std::string& text) {
    ssize_t ignored = ::write(STDERR_FILENO, text.data(), text.size());
    (void)ignored;  // a progress line that cannot be shown is no failure
}

}  // namespace

Progress::Progress(std::string what)
    : what_(std::move(what)), terminal_(::isatty(STDERR_FILENO) == 1), start_(std::chrono::steady_clock::now()) {}

Progress::~Progress() {
    if (shown_) show("\r" + std::string(what_.size() + 24, ' ') + "\r");
}

void Progress::update(double done, double total) {
    if (!terminal_ || total <= 0.0) return;
    const int percent = static_cast<int>(100.0 * done / total);
    if (percent == last_percent_) return;
    if (!shown_ && std::chrono::steady_clock::now() - start_ < quiet_time) return;
    shown_ = true;
    last_percent_ = percent;
    show("\rexp-slipv: " + what_ + ": " + std::to_string(percent) + " %");
}

}  // namespace exp_slipv
