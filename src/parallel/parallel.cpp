#include "parallel/parallel.hpp"

#include <pthread.h>
#include <signal.h>

#include <condition_variable>
#include <exception>
#include <mutex>
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

std::jthread start_thread(std::function<void()> body) {
    const SignalsBlocked blocked;
    return std::jthread(std::move(body));
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

void ordered_pipeline(std::size_t count, int threads, const std::function<void(std::size_t, std::string&)>& produce,
                      const std::function<void(std::size_t, const std::string&)>& consume) {
    if (threads <= 1) {
        std::string text;
        for (std::size_t i = 0; i < count; ++i) {
            text.clear();
            produce(i, text);
            consume(i, text);
        }
        return;
    }
    struct Slot {
        std::string text;
        bool ready = false;
    };
    const std::size_t ring = 2 * static_cast<std::size_t>(threads);
    std::vector<Slot> slots(ring);
    std::mutex mutex;
    std::condition_variable made, taken;
    std::size_t next = 0, consumed = 0;
    bool failed = false;
    std::exception_ptr error;
    const auto work = [&] {
        std::string text;
        for (;;) {
            std::size_t i = 0;
            {
                std::unique_lock lock(mutex);
                taken.wait(lock, [&] { return failed || next >= count || next < consumed + ring; });
                if (failed || next >= count) return;
                i = next++;
            }
            text.clear();
            try {
                produce(i, text);
            } catch (...) {
                const std::lock_guard lock(mutex);
                failed = true;
                if (!error) error = std::current_exception();
                made.notify_all();
                taken.notify_all();
                return;
            }
            {
                const std::lock_guard lock(mutex);
                slots[i % ring].text.swap(text);
                slots[i % ring].ready = true;
            }
            made.notify_all();
        }
    };
    std::vector<std::jthread> workers;
    {
        const SignalsBlocked blocked;
        for (int t = 0; t < threads; ++t) workers.emplace_back(work);
    }
    const auto stop = [&] {
        {
            const std::lock_guard lock(mutex);
            failed = true;
        }
        taken.notify_all();
        for (std::jthread& w : workers) w.join();
    };
    for (std::size_t i = 0; i < count; ++i) {
        Slot& slot = slots[i % ring];
        {
            std::unique_lock lock(mutex);
            made.wait(lock, [&] { return failed || slot.ready; });
            if (!slot.ready) break;
        }
        try {
            consume(i, slot.text);
        } catch (...) {
            stop();
            throw;
        }
        {
            const std::lock_guard lock(mutex);
            slot.ready = false;
            ++consumed;
        }
        taken.notify_all();
    }
    for (std::jthread& w : workers) w.join();
    if (error) std::rethrow_exception(error);
}

IndexRange part_of(std::size_t size, int part, int parts) {
    const std::size_t p = static_cast<std::size_t>(part), n = static_cast<std::size_t>(parts);
    return {size * p / n, size * (p + 1) / n};
}

}  // namespace exp_slipv
