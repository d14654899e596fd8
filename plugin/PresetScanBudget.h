#pragma once

// The time a preset-folder scan may take. A budget starts when it is made
// and runs out limit milliseconds later; scans check it as each folder starts
// and every 64 entries inside a listing. Several scans may share one budget
// (the start-up scans of the first instance share 2500 ms), so a start blocks
// its host for at most about the limit.
//
// The clock is the platform's millisecond clock unless a test injects its
// own through setClock (process-wide; set it back to null afterwards).

#include "foundation/IntervalTimer.h"

#include <cstdint>
#include <memory>

class PresetScanBudget {
public:
    static constexpr uint32_t kDefaultLimit = 2500;
    // Recursion stops here (link loops).
    static constexpr int32_t kMaxDepth = 16;
    static constexpr int32_t kEntriesPerCheck = 64;

    explicit PresetScanBudget(int32_t limitMs = kDefaultLimit);

    // True while the limit has not passed (a limit below 1 is spent at once).
    bool hasTime() const;
    uint32_t elapsed() const { return timer_->elapsed(); }

    static void setClock(IntervalTimer::Clock clock);

private:
    std::unique_ptr<IntervalTimer> timer_;
    int32_t limit_;
};
