#pragma once

// Test support: runs one call on several threads released at the same moment,
// so that they race for whatever the call makes or replaces.

#include <functional>
#include <latch>
#include <thread>
#include <vector>

namespace test {

// call(i) for i in [0, count), each on its own thread; the results in order.
inline std::vector<bool> runOnThreadsAtOnce(int count, const std::function<bool(int)>& call) {
    std::vector<char> results(static_cast<size_t>(count), 0);
    std::latch start(count);
    std::vector<std::thread> threads;
    for (int i = 0; i < count; ++i)
        threads.emplace_back([&, i] {
            start.arrive_and_wait();
            results[static_cast<size_t>(i)] = call(i) ? 1 : 0;
        });
    for (std::thread& thread : threads)
        thread.join();
    return std::vector<bool>(results.begin(), results.end());
}

} // namespace test
