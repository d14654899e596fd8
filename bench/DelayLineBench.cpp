// Delay lines, the signal smoother and the gain adjuster on stereo audio at
// 48 kHz.
//
// Each case runs one graph per channel (two delay lines, two limiters) over
// one host block of stereo audio per iteration (128 or 512 frames), cut into
// graph chunks of at most 128 frames, under flush-to-zero and
// denormals-are-zero as on the audio thread.
//
// Delay cases: a steady time (the whole-block fast path), and each read
// style under a moving time (a 0.5 Hz sine of +-20 ms around 300 ms, with the
// 5 Hz time smoother on, as the effect runs it). The limiter is the effect's
// feedback level limit: two rectifying 5 Hz smoothers and a gain adjuster
// taking the ratio of their levels.

#include "bench/BenchSupport.h"
#include "bench/StereoCase.h"
#include "dsp/DelayLine.h"
#include "dsp/GainAdjuster.h"
#include "dsp/SignalSmoother.h"
#include "dsp/Simd.h"
#include "dsp/wave/Environment.h"
#include "dsp/wave/Producer.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace {

constexpr float kRate = 48000.0f;

using bench::Stereo;

// A delay time in milliseconds read from a table of one second, sample by
// sample (a moving time), or a constant block (a steady one).
class TimeTable : public wave::Source {
public:
    TimeTable(wave::Environment& e, bool moving, float phase) : wave::Source(e), moving_(moving) {
        table_.resize(static_cast<std::size_t>(kRate));
        for (std::size_t i = 0; i < table_.size(); ++i)
            table_[i] =
                300.0f + 20.0f * std::sin(6.2831853f * (static_cast<float>(i) / kRate * 0.5f + phase));
    }
    void produce(wave::BasicBlock<float>* block, int count, wave::ProduceMode) noexcept override {
        float* out = block->data();
        if (!moving_) {
            std::fill(out, out + count, 300.0f);
            block->setConstant(true);
            return;
        }
        for (int i = 0; i < count; ++i) {
            out[i] = table_[position_];
            if (++position_ == table_.size()) position_ = 0;
        }
        block->setConstant(false);
    }

private:
    bool moving_;
    std::vector<float> table_;
    std::size_t position_ = 0;
};

using Work = bench::StereoWork;
using Case = bench::StereoCase;

void runCase(benchmark::State& state, const Case& c) {
    // Fill the lines' rings and settle the smoothers first.
    bench::runStereoCase(state, c, 400);
}

// One delay line per channel fed from the host audio.
struct DelayGraph {
    wave::Environment e;
    wave::Input left{e}, right{e};
    TimeTable timeLeft, timeRight;
    DelayLine lineLeft{e}, lineRight{e};

    DelayGraph(bool moving, DelayLine::ReadType type)
        : timeLeft(e, moving, 0.0f), timeRight(e, moving, 0.25f) {
        e.setSampleRate(kRate);
        for (auto [line, in, time] :
             {std::tuple{&lineLeft, &left, &timeLeft}, std::tuple{&lineRight, &right, &timeRight}}) {
            line->setInput(in);
            line->readType.setValue(type);
            line->timeInput.setSource(time);
        }
    }
};

Work delayWork(bool moving, DelayLine::ReadType type) {
    auto g = std::make_shared<DelayGraph>(moving, type);
    return [g](Stereo& a, int o, int n) {
        g->left.setSource(a.left.data() + o, n);
        g->right.setSource(a.right.data() + o, n);
        g->e.nextBlock();
        std::memcpy(a.outLeft.data() + o, g->lineLeft.pull(n).data(),
                    static_cast<std::size_t>(n) * sizeof(float));
        std::memcpy(a.outRight.data() + o, g->lineRight.pull(n).data(),
                    static_cast<std::size_t>(n) * sizeof(float));
        g->e.process(n, 0);
    };
}

// The feedback limiter per channel: the delayed signal's level over the
// filtered signal's level limits the filtered signal.
struct LimiterGraph {
    struct Channel {
        wave::Input delayed, filtered;
        SignalSmoother delayedLevel, filteredLevel;
        GainAdjuster gain;
        explicit Channel(wave::Environment& e)
            : delayed(e), filtered(e), delayedLevel(e), filteredLevel(e), gain(e) {
            for (SignalSmoother* s : {&delayedLevel, &filteredLevel})
                s->smoothMethod.setValue(SignalSmoother::kRectify);
            delayedLevel.setInput(&delayed);
            filteredLevel.setInput(&filtered);
            gain.setInput(&filtered);
            gain.setNumeratorLevel(&delayedLevel);
            gain.setDenominatorLevel(&filteredLevel);
        }
    };
    wave::Environment e;
    Channel left{e}, right{e};
    LimiterGraph() { e.setSampleRate(kRate); }
};

Work limiterWork() {
    auto g = std::make_shared<LimiterGraph>();
    return [g](Stereo& a, int o, int n) {
        g->left.delayed.setSource(a.left.data() + o, n);
        g->left.filtered.setSource(a.right.data() + o, n);
        g->right.delayed.setSource(a.right.data() + o, n);
        g->right.filtered.setSource(a.left.data() + o, n);
        g->e.nextBlock();
        std::memcpy(a.outLeft.data() + o, g->left.gain.pull(n).data(),
                    static_cast<std::size_t>(n) * sizeof(float));
        std::memcpy(a.outRight.data() + o, g->right.gain.pull(n).data(),
                    static_cast<std::size_t>(n) * sizeof(float));
        g->e.process(n, 0);
    };
}

std::vector<Case> cases() {
    std::vector<Case> list;
    list.push_back(
        {"copy", [] { return Work([](Stereo& a, int o, int n) { bench::copyStereo(a, o, n); }); }});
    list.push_back({"delay steady", [] { return delayWork(false, DelayLine::kTape); }});
    list.push_back({"delay moving tape", [] { return delayWork(true, DelayLine::kTape); }});
    list.push_back({"delay moving stretch", [] { return delayWork(true, DelayLine::kStretch); }});
    list.push_back({"delay moving crossfade", [] { return delayWork(true, DelayLine::kChangeCrossfade); }});
    list.push_back({"delay moving allpass", [] { return delayWork(true, DelayLine::kAllpass); }});
    list.push_back({"feedback limiter", [] { return limiterWork(); }});
    return list;
}

} // namespace

int main(int argc, char** argv) {
    static const std::vector<::Case> all = ::cases();
    bench::registerCases(all, ::runCase);
    return bench::runAndSummarize(argc, argv, {{"block"}});
}
