#pragma once

// Ends the test program with a failure when the scope it guards is still
// running after the limit, so that a test waiting on other threads fails
// rather than hangs. It asserts nothing about real time.

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace test {

class Watchdog {
public:
    // what: the failure it reports.
    explicit Watchdog(std::chrono::seconds limit, const char* what = "the test hung")
        : thread_([this, limit, what] {
              std::unique_lock<std::mutex> lock(mutex_);
              if (!done_changed_.wait_for(lock, limit, [this] { return done_; })) {
                  std::fprintf(stderr, "watchdog: %s\n", what);
                  std::fflush(stderr);
                  std::_Exit(3);
              }
          }) {}
    ~Watchdog() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            done_ = true;
        }
        done_changed_.notify_all();
        thread_.join();
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    std::mutex mutex_;
    std::condition_variable done_changed_;
    bool done_ = false;
    std::thread thread_;
};

} // namespace test
