#pragma once

// Test support: runs one call on several threads released at the same moment,
// so that they race for whatever the call makes or replaces.

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace test {

// call(i) for i in [0, count), each on its own thread; the results in order.
// The gate is a mutex and a condition variable (every platform's threads
// support them alike).
inline std::vector<bool> runOnThreadsAtOnce(int count, const std::function<bool(int)>& call) {
    std::vector<char> results(static_cast<size_t>(count), 0);
    std::mutex mutex;
    std::condition_variable ready;
    int waiting = 0;
    std::vector<std::thread> threads;
    for (int i = 0; i < count; ++i)
        threads.emplace_back([&, i] {
            {
                std::unique_lock lock(mutex);
                if (++waiting == count)
                    ready.notify_all();
                else
                    ready.wait(lock, [&] { return waiting == count; });
            }
            results[static_cast<size_t>(i)] = call(i) ? 1 : 0;
        });
    for (std::thread& thread : threads)
        thread.join();
    return std::vector<bool>(results.begin(), results.end());
}

} // namespace test
