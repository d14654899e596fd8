#pragma once

// The demo's test signal, the same on every machine (its noise comes from a
// fixed seed through integer arithmetic): stereo at 48 kHz, a lone
// drum-like click at kLoneClickStart, kSilenceAfterClick of silence, then a
// short pattern of clicks panned from the seed, a tone, and silence for the
// echoes to ring out.

#include <cstdint>
#include <vector>

struct DemoSignal {
    static constexpr double kSampleRate = 48000.0;
    static constexpr uint32_t kSeed = 20261210;
    static constexpr uint32_t kLoneClickStart = 12000;     // 0.25 s
    static constexpr uint32_t kClickLength = 480;          // 10 ms
    static constexpr uint32_t kSilenceAfterClick = 144000; // 3 s
    static constexpr uint32_t kPatternClicks = 8;
    static constexpr uint32_t kPatternSpacing = 12000; // 250 ms
    static constexpr double kToneFrequency = 440.0;
    static constexpr uint32_t kToneLength = 48000; // 1 s
    static constexpr uint32_t kRingOut = 144000;   // 3 s

    std::vector<float> left, right;

    uint32_t frames() const { return static_cast<uint32_t>(left.size()); }
};

// The signal of the demo.
DemoSignal makeDemoSignal();
// One click: a burst of seeded noise over a low thump, both decaying within
// kClickLength samples; peak below `amplitude`.
std::vector<float> makeClick(uint32_t seed, float amplitude);
