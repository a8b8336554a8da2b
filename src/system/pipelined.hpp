// Two stages of work on a sequence of pieces, overlapped on two cores: while
// the caller's thread works on piece n, a thread of its own makes piece n + 1.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <thread>

namespace voxmill {

// Runs produce(n) for n = 0 to count - 1 in order on a thread of its own, and
// consume(n) in order on the caller's thread once produce(n) is done.
// produce(n + 2) waits for consume(n), so two pieces are in hand at most and
// each stage can use two buffers in turn. The first exception of either
// stage stops both; it is rethrown here once the thread has ended.
template <typename Produce, typename Consume>
void pipelined(std::size_t count, Produce produce, Consume consume)
{
    std::mutex mutex;
    std::condition_variable changed;
    std::size_t produced = 0, consumed = 0;
    bool stopped = false;
    std::exception_ptr failure;
    const auto stop = [&](std::exception_ptr cause) {
        {
            const std::lock_guard lock(mutex);
            if (!failure) failure = cause;
            stopped = true;
        }
        changed.notify_all();
    };
    const auto advance = [&](std::size_t& done, std::size_t n) {
        {
            const std::lock_guard lock(mutex);
            done = n + 1;
        }
        changed.notify_all();
    };
    {
        const std::jthread producer([&] {
            for (std::size_t n = 0; n < count; ++n) {
                {
                    std::unique_lock lock(mutex);
                    changed.wait(lock, [&] { return stopped || n < consumed + 2; });
                    if (stopped) return;
                }
                try {
                    produce(n);
                } catch (...) {
                    return stop(std::current_exception());
                }
                advance(produced, n);
            }
        });
        for (std::size_t n = 0; n < count; ++n) {
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return stopped || n < produced; });
                if (stopped) break;
            }
            try {
                consume(n);
            } catch (...) {
                stop(std::current_exception());
                break;
            }
            advance(consumed, n);
        }
    }
    if (failure) std::rethrow_exception(failure);
}

}  // namespace voxmill
