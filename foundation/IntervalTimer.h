#pragma once
// A millisecond stopwatch on a wrapping 32-bit clock. elapsed() is the
// unsigned difference now - start, so it stays right across the wrap of the
// clock (every 49.7 days). The timer starts at construction.

#include <cstdint>
#include <functional>
#include <memory>

// Milliseconds on the platform's monotonic millisecond clock, wrapping at 2^32.
std::uint32_t systemMilliseconds();

class IntervalTimer {
public:
    using Clock = std::function<std::uint32_t()>;

    virtual ~IntervalTimer() = default;
    // Milliseconds since construction or the last restart.
    virtual std::uint32_t elapsed() const = 0;
    // Starts again; returns the new start time.
    virtual std::uint32_t restart() = 0;

    // A timer on the platform clock; the caller owns it.
    static std::unique_ptr<IntervalTimer> create();
    // A timer on the given clock (tests drive time by hand).
    static std::unique_ptr<IntervalTimer> create(Clock clock);
};
