#include "tools/demo/DemoSignal.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

// xorshift32: the same sequence from the same seed on every platform.
class Noise {
public:
    explicit Noise(uint32_t seed) : state_(seed != 0 ? seed : 1) {}
    // Uniform in [-1, 1).
    float next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return static_cast<float>(static_cast<double>(state_) / 2147483648.0 - 1.0);
    }

private:
    uint32_t state_;
};

void addAt(std::vector<float>& channel, uint32_t start, const std::vector<float>& sound, float gain) {
    for (size_t i = 0; i < sound.size() && start + i < channel.size(); ++i)
        channel[start + i] += gain * sound[i];
}

} // namespace

std::vector<float> makeClick(uint32_t seed, float amplitude) {
    Noise noise(seed);
    std::vector<float> click(DemoSignal::kClickLength);
    const double rate = DemoSignal::kSampleRate;
    for (uint32_t n = 0; n < DemoSignal::kClickLength; ++n) {
        const double t = n / rate;
        // The stick: noise decaying with 1 ms; the body: 200 Hz with 2.5 ms.
        const double stick = 0.55 * noise.next() * std::exp(-t / 0.001);
        const double body = 0.45 * std::cos(2.0 * kPi * 200.0 * t) * std::exp(-t / 0.0025);
        // A 1 ms fade at the end so the burst stops at 0.
        const double fade = std::min(1.0, (DemoSignal::kClickLength - 1 - n) / (0.001 * rate));
        click[n] = static_cast<float>(amplitude * (stick + body) * fade);
    }
    return click;
}

DemoSignal makeDemoSignal() {
    DemoSignal signal;
    const uint32_t patternStart =
        DemoSignal::kLoneClickStart + DemoSignal::kClickLength + DemoSignal::kSilenceAfterClick;
    const uint32_t toneStart = patternStart + DemoSignal::kPatternClicks * DemoSignal::kPatternSpacing;
    const uint32_t frames = toneStart + DemoSignal::kToneLength + DemoSignal::kRingOut;
    signal.left.assign(frames, 0.0f);
    signal.right.assign(frames, 0.0f);

    const std::vector<float> lone = makeClick(DemoSignal::kSeed, 0.8f);
    addAt(signal.left, DemoSignal::kLoneClickStart, lone, 1.0f);
    addAt(signal.right, DemoSignal::kLoneClickStart, lone, 1.0f);

    Noise choices(DemoSignal::kSeed ^ 0x9E3779B9u);
    for (uint32_t i = 0; i < DemoSignal::kPatternClicks; ++i) {
        const float amplitude = 0.5f + 0.2f * (choices.next() + 1.0f);
        const float pan = 0.5f * (choices.next() + 1.0f); // 0 left .. 1 right
        const std::vector<float> click = makeClick(DemoSignal::kSeed + 1 + i, amplitude);
        const uint32_t start = patternStart + i * DemoSignal::kPatternSpacing;
        addAt(signal.left, start, click, std::cos(0.5f * static_cast<float>(kPi) * pan));
        addAt(signal.right, start, click, std::sin(0.5f * static_cast<float>(kPi) * pan));
    }

    // The tone: 440 Hz at -10 dBFS with 20 ms fades, a little wider on the right.
    const double fadeFrames = 0.02 * DemoSignal::kSampleRate;
    for (uint32_t n = 0; n < DemoSignal::kToneLength; ++n) {
        const double t = n / DemoSignal::kSampleRate;
        const double envelope = std::min({1.0, n / fadeFrames, (DemoSignal::kToneLength - n) / fadeFrames});
        const double value = 0.316 * envelope * std::sin(2.0 * kPi * DemoSignal::kToneFrequency * t);
        signal.left[toneStart + n] += static_cast<float>(value);
        signal.right[toneStart + n] += static_cast<float>(0.8 * value);
    }
    return signal;
}
