// Work shared between the cores.  The helpers block the stop signals while
// they start a thread, so that an interrupt is always taken by the main
// thread, which acts on it at its next statement.
#pragma once

#include <cstddef>
#include <functional>

namespace exp_slipv {

// The threads a run uses: --threads, or every core.
int default_thread_count();

// Runs task(0) .. task(count - 1), task(0) on this thread, the others each
// on a thread of its own, and returns when all are done; an exception of
// any task is thrown here.
void run_tasks(int count, const std::function<void(int)>& task);

// The index range [begin, end) of part `part` of `parts` about equal parts.
struct IndexRange {
    std::size_t begin, end;
};
IndexRange part_of(std::size_t size, int part, int parts);

}  // namespace exp_slipv
