#include "rupture/parallel.hpp"

#include <pthread.h>
#include <signal.h>

#include <exception>
#include <thread>
#include <vector>

namespace exp_slipv {

namespace {

constexpr int max_threads = 64;

// Blocks every signal the run acts on while it lives; threads started
// meanwhile inherit the mask.
class SignalsBlocked {
public:
    SignalsBlocked() {
        sigset_t all;
        sigfillset(&all);
        sigdelset(&all, SIGFPE);
        sigdelset(&all, SIGSEGV);
        sigdelset(&all, SIGBUS);
        sigdelset(&all, SIGILL);
        sigdelset(&all, SIGABRT);
        pthread_sigmask(SIG_BLOCK, &all, &previous_);
    }
    ~SignalsBlocked() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    SignalsBlocked(const SignalsBlocked&) = delete;
    SignalsBlocked& operator=(const SignalsBlocked&) = delete;

private:
    sigset_t previous_;
};

}  // namespace

int default_thread_count() {
    const unsigned cores = std::thread::hardware_concurrency();
    if (cores == 0) return 1;
    return cores > max_threads ? max_threads : static_cast<int>(cores);
}

void run_tasks(int count, const std::function<void(int)>& task) {
    if (count <= 1) {
        task(0);
        return;
    }
    std::vector<std::exception_ptr> errors(static_cast<std::size_t>(count));
    std::vector<std::jthread> threads;
    threads.reserve(static_cast<std::size_t>(count - 1));
    {
        const SignalsBlocked blocked;
        for (int i = 1; i < count; ++i)
            threads.emplace_back([&, i] {
                try {
                    task(i);
                } catch (...) {
                    errors[static_cast<std::size_t>(i)] = std::current_exception();
                }
            });
    }
    try {
        task(0);
    } catch (...) {
        errors[0] = std::current_exception();
    }
    for (std::jthread& t : threads) t.join();
    for (const std::exception_ptr& error : errors)
        if (error) std::rethrow_exception(error);
}

IndexRange part_of(std::size_t size, int part, int parts) {
    const std::size_t p = static_cast<std::size_t>(part), n = static_cast<std::size_t>(parts);
    return {size * p / n, size * (p + 1) / n};
}

}  // namespace exp_slipv
