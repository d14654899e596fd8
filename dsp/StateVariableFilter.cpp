#include "dsp/StateVariableFilter.h"

#include "dsp/BlockKernels.h"
#include "dsp/PairKernels.h"

#include <algorithm>
#include <cmath>

using enum GenericFilter::Response;
using enum GenericFilter::Slope;

namespace {

constexpr float kEpsilon = 1.1920929e-7f;
// Damping scale of bell and shelves by slope.
constexpr float kShelfDamping[4] = {0.2125f, 0.425f, 0.6375f, 0.85f};
// log2(44100): the frequency axis position of the rate the cubic term is tuned at.
constexpr float kLog2Of44100 = 15.428491f;
// ln(10) / 20: a level in dB times this is the natural log of its gain.
constexpr double kNepersPerDecibel = 0.1151292546497023;
// ln(10): 10^x = exp(x ln 10).
constexpr double kLn10 = 2.302585092994046;
// 1/40: a moved shelf divides (low) or multiplies (high) its frequency by
// sqrt(10^((L - P) / 40)), L the level and P the range in dB.
constexpr double kShelfMoveExponent = 0.025;
// The frequency coefficient's upper limit, which keeps a section below the
// rate where its recursion turns unstable.
constexpr float kMaxFrequencyCoefficient = 0.95f;

bool isBellOrShelf(int response) {
    return response >= kBell && response <= kHighShelfMoved;
}

} // namespace

StateVariableFilter::StateVariableFilter(wave::Environment& environment, const ClipTable* clipTable,
                                         StateVariableFilter* partner)
    : ParallelFilterUnit(environment), bellRange(this, 20.0f), oversampling(this, kOversamplingOff),
      shelfRange(this, 20.0f), tables_(FilterTables::shared()),
      clipTable_(clipTable != nullptr ? clipTable : &tables_.clip),
      maxBlock_(std::max(environment.maxBlockSize(), environment.getMaxChunkSize())) {
    if (partner != nullptr && partner->maxBlock_ >= maxBlock_) {
        work_ = partner->work_;
        maxBlock_ = partner->maxBlock_;
    } else {
        ownWork_.resize(kWorkBlockRows * maxBlock_);
        work_ = ownWork_.data();
    }
    band_.resize(kMaxStages * kLanes);
    low_.resize(kMaxStages * kLanes);
}

StateVariableFilter::~StateVariableFilter() = default;

void StateVariableFilter::setClipTable(const ClipTable* table) noexcept {
    clipTable_ = table != nullptr ? table : &tables_.clip;
}

StateVariableFilter::Arrays StateVariableFilter::arrays() const noexcept {
    const int m = maxBlock_;
    float* w = work_;
    return Arrays{w,          w + 4 * m,  w + 20 * m, w + 24 * m, w + 28 * m,
                  w + 32 * m, w + 36 * m, w + 40 * m, w + 52 * m, w + 56 * m};
}

bool StateVariableFilter::supportsSlope(int s) const {
    return s != 0 || isBellOrShelf(response.getValue());
}

void StateVariableFilter::clearState() noexcept {
    band_.clear();
    low_.clear();
}

void StateVariableFilter::resetLane(int lane) noexcept {
    for (int s = 0; s < kMaxStages; ++s) {
        band_[s * kLanes + lane] = 0.0f;
        low_[s * kLanes + lane] = 0.0f;
    }
}

void StateVariableFilter::prepareBlock() noexcept {
    const float rate = getEnvironment().getSampleRate();
    if (rate != lastSampleRate_) {
        lastSampleRate_ = rate;
        log2SampleRate_ = std::log2(rate);
    }
    const int s = slope.getValue();
    if (s <= kSlope12 || isBellOrShelf(response.getValue()))
        stages_ = 1;
    else if (s == kSlope24)
        stages_ = 2;
    else
        stages_ = 4;
    drive_ = driveFactor();
}

void StateVariableFilter::shapeResonance(float, float peak, float& resonance, float& cubic,
                                         float& clipLevel) noexcept {
    resonance = std::min(peak, 0.999f);
    cubic = 0.0f;
    clipLevel = 0.1f;
}

void StateVariableFilter::computeCoefficients(int lane, int segment, float frequency, float peak,
                                              float gain) noexcept {
    if (std::isnan(frequency)) frequency = 0.0f;
    if (std::isnan(peak)) peak = 0.0f;
    if (std::isnan(gain)) gain = 0.0f;
    const int r = response.getValue();
    const int lanes = laneCount();
    const std::size_t index = std::size_t(segment * lanes + lane);
    const float x = frequency - log2SampleRate_;

    // 1. Several stages of high-pass or band-pass limit the peak.
    if (stages_ > 1 && (r == kHighPass || r == kBandPass)) peak = std::min(peak, tables_.peakLimit.lookup(x));
    // 2. Bell and shelves: a signed level; others: a resonance from 0.
    float p;
    if (isBellOrShelf(r)) {
        p = peak > -1.0f ? (peak < 1.0f ? peak : 1.0f) : -1.0f;
        peak = p;
        if (r != kBell && peak < 0.0f) peak *= -0.75f;
        if (r == kBell && peak <= 0.1f) peak = 0.1f;
    } else {
        peak = peak > 0.0f ? peak : 0.0f;
        p = peak;
    }
    // 3. The characteristic.
    float resonance, cubic, clipLevel;
    shapeResonance(frequency, peak, resonance, cubic, clipLevel);
    // 4. Damping scale.
    float k = 1.0f;
    if (isBellOrShelf(r))
        k = 0.5f * kShelfDamping[std::clamp(int(slope.getValue()), 0, 3)];
    else if (r == kNotch || r == kAllPass)
        k = 0.25f;
    // 5. Frequency coefficient; the cubic term keeps its 44.1 kHz strength.
    float f = tables_.freq.lookup(x);
    if (lastSampleRate_ > 44100.0f) cubic = cubic * f / tables_.freq.lookup(frequency - kLog2Of44100);
    // 6. Level of bell and shelves.
    float g = 1.0f;
    if (isBellOrShelf(r)) {
        const float range = r == kBell ? bellRange.getValue() : shelfRange.getValue();
        const float level = (p + 1.0f) * range - range;
        g = float(std::exp(double(level) * kNepersPerDecibel));
        if (r == kBell) clipLevel *= 0.9f;
        if (r == kLowShelfMoved || r == kHighShelfMoved) {
            float move = std::sqrt(float(std::exp(double(level - range) * kShelfMoveExponent * kLn10)));
            f = r == kLowShelfMoved ? f / move : f * move;
        }
    }
    // 7. The frequency coefficient stays within its stable range.
    f = std::min(f, kMaxFrequencyCoefficient);
    // 8. Input gain and the clip stage.
    const Arrays a = arrays();
    const float s = drive_;
    float inputGain = s;
    float scale = 0.0f;
    float level = 0.0f;
    if (gain > kEpsilon) {
        float denominator;
        if (gain <= 1.0f) {
            level = clipLevel * gain;
            denominator = clipLevel * gain * s;
        } else {
            inputGain = gain * s;
            level = clipLevel;
            denominator = clipLevel * ((std::sqrt(gain) - 1.0f) * 2.15f + 1.0f) * s;
        }
        scale = denominator > 0.0f ? 1.0f / denominator : 0.0f;
    }
    a.inputGain[index] = inputGain;
    a.clipScale[std::size_t(lane * maxBlock_ + segment)] = scale;
    a.clipLevel[std::size_t(lane * maxBlock_ + segment)] = level;
    a.cubic[index] = cubic;
    a.f[index] = f;
    // 9. First stage damping.
    const float q = std::min(tables_.damp.lookup(k * resonance), tables_.dampLimit.lookup(f));
    a.q[index] = q;
    // 10. Output weights.
    const float e = q - f;
    float wl = 0.0f, wb = 0.0f, wh = 0.0f;
    switch (r) {
    case kLowPass:
        wl = 1.0f;
        break;
    case kHighPass:
        wh = 1.0f;
        break;
    case kBandPass:
        wb = 1.0f;
        break;
    case kNotch:
        wl = wh = 1.0f;
        break;
    case kBell:
        wl = wh = 1.0f;
        wb = g * e;
        break;
    case kLowShelf:
    case kLowShelfMoved:
        wl = g;
        wb = e;
        wh = 1.0f;
        break;
    case kHighShelf:
    case kHighShelfMoved:
        wl = 1.0f;
        wb = e;
        wh = g;
        break;
    default: // AllPass
        wl = wh = 1.0f;
        wb = 0.0f - e;
        break;
    }
    a.low[index] = wl;
    a.band[index] = wb;
    a.high[index] = wh;
    // 11. Further stages.
    const std::size_t stride = std::size_t(maxBlock_ * lanes);
    for (int st = 1; st < stages_; ++st) {
        const float limit = st == 1 ? tables_.dampLimit2.lookup(f) : tables_.dampLimit.lookup(f);
        a.q[std::size_t(st) * stride + index] =
            std::min(tables_.damp.lookup(float(4 - st) * 0.035f * p), limit);
    }
}

StateVariableFilter::Coefficients StateVariableFilter::coefficients(int lane, int segment) const noexcept {
    const Arrays a = arrays();
    const int lanes = laneCount();
    const std::size_t index = std::size_t(segment * lanes + lane);
    Coefficients c{};
    c.f = a.f[index];
    for (int st = 0; st < kMaxStages; ++st)
        c.q[st] = a.q[std::size_t(st * maxBlock_ * lanes) + index];
    c.low = a.low[index];
    c.band = a.band[index];
    c.high = a.high[index];
    c.cubic = a.cubic[index];
    c.inputGain = a.inputGain[index];
    c.clipScale = a.clipScale[std::size_t(lane * maxBlock_ + segment)];
    c.clipLevel = a.clipLevel[std::size_t(lane * maxBlock_ + segment)];
    return c;
}

void StateVariableFilter::clipLane(int lane, const float* in, float* out, int count,
                                   bool threefold) noexcept {
    const Arrays a = arrays();
    const FunctionTable& t = clipTable_->table();
    TableLookup lookup{t.values(),
                       t.size() - 1,
                       0 - t.indexOffsetWhole(),
                       t.indexScale(),
                       t.indexOffsetFraction(),
                       a.clipScale + lane * maxBlock_,
                       a.clipLevel + lane * maxBlock_};
    if (threefold)
        Kernels::lookupDecimate3(in, out, count, segments(), lookup);
    else
        Kernels::lookup(in, out, count, segments(), lookup);
}

void StateVariableFilter::process(const float* in, float* out, int count) noexcept {
    const Arrays a = arrays();
    const int* seg = segments();
    const bool over = oversampling.getValue() != kOversamplingOff;
    float* threefold = a.oversampled;
    OversampledSvfCoefficients c{a.f, a.q, a.low, a.band, a.high, a.inputGain, a.cubic};
    if (over && stages_ == 1)
        Kernels::svfSaturating3(in, threefold, count, seg, c, band_[0], low_[0]);
    else
        Kernels::svfSaturating(in, out, count, seg, c, band_[0], low_[0]);
    for (int st = 1; st < stages_; ++st) {
        OversampledSvfCoefficients cs{a.f, a.q + st * maxBlock_, a.low, a.band, a.high};
        if (over && st == stages_ - 1)
            Kernels::svfLinear3(out, threefold, count, seg, cs, band_[st * kLanes], low_[st * kLanes]);
        else
            Kernels::svfLinear(out, out, count, seg, cs, band_[st * kLanes], low_[st * kLanes]);
    }
    clipLane(0, over ? threefold : out, out, count, over);
}

void StateVariableFilter::neutralizeInactiveLanes() noexcept {
    const Arrays a = arrays();
    const int segmentsInBlock = segmentCount();
    for (int lane = 0; lane < kLanes; ++lane) {
        if (isLaneActive(lane)) continue;
        for (int s = 0; s < segmentsInBlock; ++s) {
            const std::size_t index = std::size_t(s * kLanes + lane);
            a.f[index] = 0.0f;
            a.low[index] = a.band[index] = a.high[index] = 0.0f;
            a.cubic[index] = 0.0f;
            a.inputGain[index] = 0.0f;
            for (int st = 0; st < kMaxStages; ++st)
                a.q[std::size_t(st * maxBlock_ * kLanes) + index] = 2.0f;
        }
    }
}

void StateVariableFilter::processParallel(int count) noexcept {
    const Arrays a = arrays();
    const int* seg = segments();
    neutralizeInactiveLanes();
    const bool over = oversampling.getValue() != kOversamplingOff;
    const float* in[kLanes];
    float* out[kLanes];
    float* threefold[kLanes];
    for (int lane = 0; lane < kLanes; ++lane) {
        in[lane] = laneInput(lane);
        out[lane] = laneOutput(lane).data();
        threefold[lane] = a.oversampled + lane * 3 * maxBlock_;
    }
    OversampledSvfCoefficients c{a.f, a.q, a.low, a.band, a.high, a.inputGain, a.cubic};
    if (!over && stages_ > 1) {
        // Every stage and the clip in one pass over the block (a single
        // stage has no other recurrence to overlap with and runs faster alone).
        ChainLanes r;
        describe(r);
        Kernels::svfChain4(r.in, r.out, count, seg, r.stages, stages_, &band_[0], &low_[0], r.clip);
        return;
    }
    if (over && stages_ == 1)
        Kernels::svfSaturating3x4(in, threefold, count, seg, c, &band_[0], &low_[0]);
    else
        Kernels::svfSaturating4(in, out, count, seg, c, &band_[0], &low_[0]);
    for (int st = 1; st < stages_; ++st) {
        OversampledSvfCoefficients cs{a.f, a.q + st * maxBlock_ * kLanes, a.low, a.band, a.high};
        const float* const* stageIn = out;
        if (over && st == stages_ - 1)
            Kernels::svfLinear3x4(stageIn, threefold, count, seg, cs, &band_[st * kLanes],
                                  &low_[st * kLanes]);
        else
            Kernels::svfLinear4(stageIn, out, count, seg, cs, &band_[st * kLanes], &low_[st * kLanes]);
    }
    for (int lane = 0; lane < kLanes; ++lane) {
        if (isLaneActive(lane)) clipLane(lane, over ? threefold[lane] : out[lane], out[lane], count, over);
    }
}

bool StateVariableFilter::canRunWith(const ParallelFilterUnit& other) const noexcept {
    const auto* partner = dynamic_cast<const StateVariableFilter*>(&other);
    return partner != nullptr && partner != this && partner->work_ != work_ &&
           oversampling.getValue() == kOversamplingOff &&
           partner->oversampling.getValue() == kOversamplingOff;
}

void StateVariableFilter::describe(ChainLanes& r) noexcept {
    const Arrays a = arrays();
    const std::size_t stride = std::size_t(maxBlock_ * kLanes);
    r.stages[0] = OversampledSvfCoefficients{a.f, a.q, a.low, a.band, a.high, a.inputGain, a.cubic};
    for (int st = 1; st < stages_; ++st)
        r.stages[st] = OversampledSvfCoefficients{a.f, a.q + std::size_t(st) * stride, a.low, a.band, a.high};
    const FunctionTable& t = clipTable_->table();
    r.clip = ClipLookup4{{t.values(), t.size() - 1, 0 - t.indexOffsetWhole(), t.indexScale(),
                          t.indexOffsetFraction(), nullptr, nullptr},
                         {},
                         {},
                         {}};
    for (int lane = 0; lane < kLanes; ++lane) {
        r.in[lane] = laneInput(lane);
        r.out[lane] = laneOutput(lane).data();
        r.clip.scales[lane] = a.clipScale + lane * maxBlock_;
        r.clip.gains[lane] = a.clipLevel + lane * maxBlock_;
        r.clip.active[lane] = isLaneActive(lane);
    }
    r.lanes = SvfChainLanes{r.in, r.out, segments(), r.stages, stages_, &band_[0], &low_[0], &r.clip};
}

void StateVariableFilter::processTogether(ParallelFilterUnit& other, int count, int trail,
                                          const ChainMix mixes[kLanes]) noexcept {
    auto& partner = static_cast<StateVariableFilter&>(other);
    neutralizeInactiveLanes();
    partner.neutralizeInactiveLanes();
    ChainLanes mine, theirs;
    describe(mine);
    partner.describe(theirs);
    mine.lanes.mixes = mixes;
    PairKernels::active().svfChains(mine.lanes, theirs.lanes, count, trail);
}
