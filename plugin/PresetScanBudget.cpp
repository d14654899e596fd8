#include "plugin/PresetScanBudget.h"

#include <mutex>
#include <utility>

namespace {
std::mutex clockMutex;
IntervalTimer::Clock injectedClock;
} // namespace

PresetScanBudget::PresetScanBudget(int32_t limitMs) : limit_(limitMs) {
    IntervalTimer::Clock clock;
    {
        std::lock_guard<std::mutex> hold(clockMutex);
        clock = injectedClock;
    }
    timer_ = clock ? IntervalTimer::create(std::move(clock)) : IntervalTimer::create();
}

bool PresetScanBudget::hasTime() const {
    return limit_ >= 1 && timer_->elapsed() < static_cast<uint32_t>(limit_);
}

void PresetScanBudget::setClock(IntervalTimer::Clock clock) {
    std::lock_guard<std::mutex> hold(clockMutex);
    injectedClock = std::move(clock);
}
