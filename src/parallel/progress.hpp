// A progress line on standard error for long work, shown only on a
// terminal and only once the work has taken a couple of seconds; the line
// is cleared when the work is done.
#pragma once

#include <chrono>
#include <string>

namespace exp_slipv {

class Progress {
public:
    explicit Progress(std::string what);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // done of total units of the work.
    void update(double done, double total);

private:
    std::string what_;
    bool terminal_ = false;
    bool shown_ = false;
    int last_percent_ = -1;
    std::chrono::steady_clock::time_point start_;
};

}  // namespace exp_slipv
