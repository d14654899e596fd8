#include "tools/testhost/MainThreadDispatcher.h"

#include <atomic>
#include <utility>

namespace {

class PosixMainThreadDispatcher final : public MainThreadDispatcher {
public:
    explicit PosixMainThreadDispatcher(std::function<void()> callback) : callback_(std::move(callback)) {}

    void post() override { pending_.store(true, std::memory_order_release); }

    int pump() override {
        if (!pending_.exchange(false, std::memory_order_acq_rel)) return 0;
        callback_();
        return 1;
    }

private:
    std::function<void()> callback_;
    std::atomic<bool> pending_{false};
};

} // namespace

std::unique_ptr<MainThreadDispatcher> MainThreadDispatcher::create(std::function<void()> callback) {
    return std::make_unique<PosixMainThreadDispatcher>(std::move(callback));
}
