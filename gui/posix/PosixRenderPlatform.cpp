// The render loop's service on POSIX: events and a thread of the standard
// library, the steady clock, and no compositor (the loop paces itself).

#include "gui/RenderPlatform.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace gui {

namespace {

class PosixEvent final : public RenderPlatform::Event {
public:
    void set() override {
        std::lock_guard<std::mutex> lock(mutex_);
        set_ = true;
        changed_.notify_all();
    }
    void reset() override {
        std::lock_guard<std::mutex> lock(mutex_);
        set_ = false;
    }
    bool wait(int milliseconds) override {
        std::unique_lock<std::mutex> lock(mutex_);
        if (milliseconds < 0) {
            changed_.wait(lock, [this] { return set_; });
            return true;
        }
        return changed_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return set_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool set_ = false;
};

class PosixThread final : public RenderPlatform::Thread {
public:
    explicit PosixThread(std::function<void()> body) : thread_(std::move(body)) {}
    ~PosixThread() override { join(); }
    void join() override {
        if (thread_.joinable()) thread_.join();
    }

private:
    std::thread thread_;
};

class PosixRenderPlatform final : public RenderPlatform {
public:
    std::unique_ptr<Event> createEvent() override { return std::make_unique<PosixEvent>(); }
    std::unique_ptr<Thread> startThread(std::function<void()> body) override {
        try {
            return std::make_unique<PosixThread>(std::move(body));
        } catch (const std::system_error&) {
            return nullptr;
        }
    }
    bool compositorTiming(CompositorTiming&) override { return false; }
    double now() override {
        using Milliseconds = std::chrono::duration<double, std::milli>;
        return Milliseconds(std::chrono::steady_clock::now().time_since_epoch()).count();
    }
    void sleep(int milliseconds) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
};

} // namespace

std::unique_ptr<RenderPlatform> RenderPlatform::create() {
    return std::make_unique<PosixRenderPlatform>();
}

} // namespace gui
