// Work shared between the cores.  The helpers block the stop signals while
// they start a thread, so that an interrupt is always taken by the main
// thread, which acts on it at its next statement.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <thread>

namespace exp_slipv {

// The threads a run uses: --threads, or every core.
int default_thread_count();

// A thread running body, started with the stop signals blocked.
std::jthread start_thread(std::function<void()> body);

// Runs task(0) .. task(count - 1), task(0) on this thread, the others each
// on a thread of its own, and returns when all are done; an exception of
// any task is thrown here.
void run_tasks(int count, const std::function<void(int)>& task);

// Texts made on `threads` threads and consumed in order on this one, while
// the next ones are being made: produce(i, text) fills text for item i (on
// any thread), consume(i, text) takes them in the order i = 0, 1, ...  At
// most a few texts a thread wait at a time.  An exception of produce is
// thrown here.
void ordered_pipeline(std::size_t count, int threads, const std::function<void(std::size_t, std::string&)>& produce,
                      const std::function<void(std::size_t, const std::string&)>& consume);

// The index range [begin, end) of part `part` of `parts` about equal parts.
struct IndexRange {
    std::size_t begin, end;
};
IndexRange part_of(std::size_t size, int part, int parts);

}  // namespace exp_slipv
