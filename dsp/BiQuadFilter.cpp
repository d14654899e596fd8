#include "dsp/BiQuadFilter.h"

#include "dsp/PairKernels.h"

#include <algorithm>
#include <cmath>
#include <numbers>

using enum GenericFilter::Response;
using enum GenericFilter::Slope;

namespace {

// The prototype kind of each response, in response order.
constexpr int kKinds[10] = {AnalogFilterPrototype::kLowPass,
                            AnalogFilterPrototype::kHighPass,
                            AnalogFilterPrototype::kBandPass,
                            AnalogFilterPrototype::kBandStop,
                            AnalogFilterPrototype::kBell,
                            AnalogFilterPrototype::kLowShelf,
                            AnalogFilterPrototype::kLowShelfCentred,
                            AnalogFilterPrototype::kHighShelf,
                            AnalogFilterPrototype::kHighShelfCentred,
                            AnalogFilterPrototype::kAllPass};
constexpr float kShelfQuality[4] = {0.5f, 1.0f, 2.0f, 4.0f};

bool isBellOrShelf(int response) {
    return response >= kBell && response <= kHighShelfMoved;
}
bool isBandKind(int kind) {
    return kind >= AnalogFilterPrototype::kBell && kind <= AnalogFilterPrototype::kBandStop;
}

} // namespace

BiQuadFilter::BiQuadFilter(wave::Environment& environment)
    : ParallelFilterUnit(environment), peakMode(this, kLimitedPeak),
      maxBlock_(std::max(environment.maxBlockSize(), environment.getMaxChunkSize())),
      single_(std::size_t(kMaxStages * maxBlock_)), parallel_(std::size_t(kMaxStages * maxBlock_)) {
    // Shared by several filters, each lane still computes what its filter
    // computes on a biquad of its own.
    setLaneSegments(LaneSegments::kOwn);
}

BiQuadFilter::~BiQuadFilter() = default;

int BiQuadFilter::prototypeKind(int response) noexcept {
    return kKinds[std::clamp(response, 0, 9)];
}

bool BiQuadFilter::supportsSlope(int s) const {
    const int r = response.getValue();
    return s != 0 || isBellOrShelf(r) || !isBandKind(prototypeKind(r));
}

void BiQuadFilter::clearState() noexcept {
    std::fill(std::begin(s1_), std::end(s1_), 0.0f);
    std::fill(std::begin(s2_), std::end(s2_), 0.0f);
}

void BiQuadFilter::resetLane(int lane) noexcept {
    for (int st = 0; st < kMaxStages; ++st) {
        s1_[st * kLanes + lane] = 0.0f;
        s2_[st * kLanes + lane] = 0.0f;
    }
}

void BiQuadFilter::prepareBlock() noexcept {
    const int s = slope.getValue();
    if (s <= kSlope12 || isBellOrShelf(response.getValue()))
        sections_ = 1;
    else if (s == kSlope24)
        sections_ = 2;
    else
        sections_ = 4;
}

float BiQuadFilter::sectionQuality(int stage, float p) const noexcept {
    const int r = response.getValue();
    if (isBellOrShelf(r)) return 0.70710677f * 2.0f * kShelfQuality[std::clamp(int(slope.getValue()), 0, 3)];
    const int kind = prototypeKind(r);
    if (kind != AnalogFilterPrototype::kBandPass && kind != AnalogFilterPrototype::kBandStop &&
        kind != AnalogFilterPrototype::kAllPass) {
        if (stage > 0) {
            if (peakMode.getValue() == kScaledPeak)
                p *= float(4 - stage) * 0.1f;
            else if (peakMode.getValue() == kLimitedPeak)
                p = std::min(p, 0.8f);
        }
        return 1.0f / (1.4142135f - 1.3942136f * p);
    }
    const float u = 2.0f - p;
    return kind == AnalogFilterPrototype::kBandPass ? 2.0f / u : 2.0f / (u * u);
}

const BiQuadFilter::CachedDesign& BiQuadFilter::design(CachedDesign& cache, int kind, double order, double q,
                                                       double gain) noexcept {
    if (cache.kind == kind && cache.order == order && cache.q == q && cache.gain == gain) return cache;
    const int count = std::min(prototype_.design(kind, order, q, gain), int(kMaxStages));
    cache.kind = kind;
    cache.order = order;
    cache.q = q;
    cache.gain = gain;
    cache.count = count;
    for (int i = 0; i < count; ++i) {
        const auto& s = prototype_.section(i);
        cache.sections[i] = AnalogSection{s.b2, s.b1, s.b0, s.a2, s.a1, s.a0};
    }
    return cache;
}

TptSection BiQuadFilter::mapSection(const AnalogSection& s, double t) noexcept {
    double w0, twoR, low, band, high;
    if (s.a2 != 0.0 || s.b2 != 0.0) {
        if (!(s.a0 > 0.0 && s.a2 > 0.0)) return TptSection{0.0f, 2.0f, 0.0f, 0.0f, 1.0f};
        const double root = std::sqrt(s.a0 * s.a2);
        w0 = std::sqrt(s.a0 / s.a2);
        twoR = s.a1 / root;
        high = s.b2 / s.a2;
        band = s.b1 / root;
        low = s.b0 / s.a0;
    } else {
        if (!(s.a0 > 0.0 && s.a1 > 0.0)) return TptSection{0.0f, 2.0f, 0.0f, 0.0f, 1.0f};
        w0 = s.a0 / s.a1;
        twoR = 2.0;
        low = s.b0 / s.a0;
        high = s.b1 / s.a1;
        band = low + high;
    }
    const double g = t * w0;
    return TptSection{float(g), float(twoR + g), float(low), float(band), float(high)};
}

void BiQuadFilter::store(int lane, int segment, int stage, const TptSection& c) noexcept {
    const std::size_t at = std::size_t(stage * maxBlock_ + segment);
    if (laneCount() == 1) {
        single_[at] = c;
        return;
    }
    TptSection4& p = parallel_[at];
    p.g[lane] = c.g;
    p.k[lane] = c.k;
    p.low[lane] = c.low;
    p.band[lane] = c.band;
    p.high[lane] = c.high;
}

TptSection BiQuadFilter::section(int lane, int segment, int stage) const noexcept {
    const std::size_t at = std::size_t(stage * maxBlock_ + segment);
    if (laneCount() == 1) return single_[at];
    const TptSection4& p = parallel_[at];
    return TptSection{p.g[lane], p.k[lane], p.low[lane], p.band[lane], p.high[lane]};
}

void BiQuadFilter::computeCoefficients(int lane, int segment, float frequency, float peak,
                                       float gain) noexcept {
    const double rate = getEnvironment().getSampleRate();
    const double top = std::log2(0.49 * rate);
    double f = frequency >= 1.0f ? double(frequency) : 1.0;
    if (f > top) f = top;
    const double w = std::min(2.0 * std::numbers::pi * std::exp2(f) / rate, 3.1315928);
    const double t = std::tan(w * 0.5);

    const int r = response.getValue();
    const int kind = prototypeKind(r);
    if (std::isnan(peak)) peak = 0.0f;
    double sectionGain = 1.0;
    if (isBellOrShelf(r)) {
        const float p = std::clamp(peak, -1.0f, 1.0f);
        const double level = (double(p) + 1.0) * 20.0 - 20.0;
        sectionGain = std::pow(10.0, level / 20.0);
    } else {
        peak = std::clamp(peak, 0.0f, 1.0f);
    }
    const bool firstOrder = slope.getValue() == kSlope6 && !isBandKind(kind);
    const double order = firstOrder ? 1.0 : 2.0;

    TptSection mapped[kMaxStages];
    if (peakMode.getValue() == kWholeOrder &&
        (kind == AnalogFilterPrototype::kLowPass || kind == AnalogFilterPrototype::kHighPass)) {
        const CachedDesign& d = design(wholeDesign_, kind, firstOrder ? 1.0 : 2.0 * sections_,
                                       sectionQuality(0, peak), sectionGain);
        for (int st = 0; st < sections_; ++st)
            mapped[st] = mapSection(d.sections[std::min(st, d.count - 1)], t);
    } else {
        for (int st = 0; st < sections_; ++st) {
            const CachedDesign& d =
                design(stageDesigns_[st], kind, order, sectionQuality(st, peak), sectionGain);
            mapped[st] = mapSection(d.sections[0], t);
        }
    }
    // The gain input, as a linear gain on the first section's outputs.
    const float g = std::isfinite(gain) ? gain : 0.0f;
    mapped[0].low *= g;
    mapped[0].band *= g;
    mapped[0].high *= g;
    for (int st = 0; st < sections_; ++st)
        store(lane, segment, st, mapped[st]);
}

void BiQuadFilter::process(const float* in, float* out, int count) noexcept {
    static_assert(kMaxStages <= Kernels::kMaxCascade);
    const TptSection* c[kMaxStages];
    float s1[kMaxStages], s2[kMaxStages];
    for (int st = 0; st < sections_; ++st) {
        c[st] = &single_[std::size_t(st * maxBlock_)];
        s1[st] = s1_[st * kLanes];
        s2[st] = s2_[st * kLanes];
    }
    Kernels::tptSvfCascade(in, out, count, segments(), c, sections_, s1, s2);
    for (int st = 0; st < sections_; ++st) {
        s1_[st * kLanes] = s1[st];
        s2_[st * kLanes] = s2[st];
    }
}

void BiQuadFilter::neutralizeInactiveLanes() noexcept {
    const int segmentsInBlock = segmentCount();
    for (int lane = 0; lane < kLanes; ++lane) {
        if (isLaneActive(lane)) continue;
        for (int st = 0; st < sections_; ++st) {
            for (int s = 0; s < segmentsInBlock; ++s) {
                TptSection4& p = parallel_[std::size_t(st * maxBlock_ + s)];
                p.g[lane] = 0.0f;
                p.k[lane] = 2.0f;
                p.low[lane] = p.band[lane] = p.high[lane] = 0.0f;
            }
        }
    }
}

void BiQuadFilter::describe(CascadeLanes& r) noexcept {
    for (int lane = 0; lane < kLanes; ++lane) {
        r.in[lane] = laneInput(lane);
        r.out[lane] = laneOutput(lane).data();
    }
    for (int st = 0; st < sections_; ++st)
        r.sections[st] = &parallel_[std::size_t(st * maxBlock_)];
    r.lanes = TptCascadeLanes{r.in, r.out, segments(), r.sections, sections_, s1_, s2_};
}

void BiQuadFilter::processParallel(int count) noexcept {
    neutralizeInactiveLanes();
    CascadeLanes r;
    describe(r);
    Kernels::tptSvfCascade4(r.lanes, count);
}

bool BiQuadFilter::canRunWith(const ParallelFilterUnit& other) const noexcept {
    const auto* partner = dynamic_cast<const BiQuadFilter*>(&other);
    return partner != nullptr && partner != this;
}

void BiQuadFilter::processTogether(ParallelFilterUnit& other, int count, int trail,
                                   const ChainMix mixes[kLanes]) noexcept {
    auto& partner = static_cast<BiQuadFilter&>(other);
    neutralizeInactiveLanes();
    partner.neutralizeInactiveLanes();
    CascadeLanes mine, theirs;
    describe(mine);
    partner.describe(theirs);
    mine.lanes.mixes = mixes;
    PairKernels::active().tptCascades(mine.lanes, theirs.lanes, count, trail);
}
