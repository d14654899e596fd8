#include "foundation/IntervalTimer.h"

#include <utility>

namespace {

class ClockIntervalTimer final : public IntervalTimer {
public:
    explicit ClockIntervalTimer(Clock clock) : clock_(std::move(clock)), start_(clock_()) {}

    std::uint32_t elapsed() const override { return clock_() - start_; }
    std::uint32_t restart() override { return start_ = clock_(); }

private:
    Clock clock_;
    std::uint32_t start_;
};

} // namespace

std::unique_ptr<IntervalTimer> IntervalTimer::create() {
    return create(&systemMilliseconds);
}

std::unique_ptr<IntervalTimer> IntervalTimer::create(Clock clock) {
    if (!clock) clock = &systemMilliseconds;
    return std::make_unique<ClockIntervalTimer>(std::move(clock));
}
