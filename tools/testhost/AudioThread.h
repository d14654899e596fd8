#pragma once

// The test host's audio thread: one worker that runs the host's audio-thread
// calls (start_processing, process, flush while active, ...) one task at a
// time. run() waits for the task; start() and wait() let the main thread work
// beside a long task (a stream of blocks), as a host's main thread does.
// Handing a task over allocates nothing on the worker, so tests can count the
// allocations a plug-in makes there.

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class AudioThread {
public:
    AudioThread();
    ~AudioThread();
    AudioThread(const AudioThread&) = delete;
    AudioThread& operator=(const AudioThread&) = delete;

    // Runs `task` on the worker and returns when it is done.
    void run(const std::function<void()>& task);
    // Starts `task` on the worker (after any task still running) and returns;
    // `task` must live until wait() returns.
    void start(const std::function<void()>& task);
    // Returns when the worker has no task.
    void wait();

    bool isCurrent() const { return std::this_thread::get_id() == id_; }

private:
    void loop();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    const std::function<void()>* task_ = nullptr;
    bool stop_ = false;
    std::thread::id id_;
    std::thread thread_;
};
