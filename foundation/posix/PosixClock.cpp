#include "foundation/IntervalTimer.h"

#include <chrono>

std::uint32_t systemMilliseconds() {
    auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}
