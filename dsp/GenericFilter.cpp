#include "dsp/GenericFilter.h"

#include "dsp/PairKernels.h"
#include "dsp/Simd.h"

#include <algorithm>
#include <bit>
#include <cmath>

// -------------------------------------------------------------- FilterUnit

GenericFilter::FilterUnit::FilterUnit(wave::Environment& environment)
    : wave::Component(environment), response(this, kLowPass), slope(this, kSlope12),
      segments_(std::size_t(std::max(environment.maxBlockSize(), environment.getMaxChunkSize())), 0) {}

GenericFilter::FilterUnit::~FilterUnit() = default;

void GenericFilter::FilterUnit::checkContinuity(int count) noexcept {
    const wave::Environment& e = getEnvironment();
    if (endPosition_ == e.getResetMark() || endPosition_ != e.getSamplePosition()) clearState();
    endPosition_ = e.getSamplePosition() + std::uint64_t(count);
}

// ------------------------------------------------------ ParallelFilterUnit

GenericFilter::ParallelFilterUnit::ParallelFilterUnit(wave::Environment& environment)
    : FilterUnit(environment) {
    filters_.reserve(kLanes);
    for (auto& block : laneOutput_) {
        block = std::make_unique<wave::BasicBlock<float>>(environment);
        block->setConstant(false);
    }
    laneInput_.fill(environment.getZeroBlock().data());
}

GenericFilter::ParallelFilterUnit::~ParallelFilterUnit() {
    for (GenericFilter* filter : filters_)
        filter->shared_ = nullptr;
    pairWith(nullptr);
    if (first_ != nullptr) first_->pairWith(nullptr);
}

void GenericFilter::ParallelFilterUnit::setCoefficients(int segment, float frequency, float peak,
                                                        float gain) noexcept {
    laneCount_ = 1;
    computeCoefficients(0, segment, frequency, peak, gain);
}

void GenericFilter::ParallelFilterUnit::pairWith(ParallelFilterUnit* second) noexcept {
    if (second_ != nullptr) second_->first_ = nullptr;
    second_ = second;
    if (second_ != nullptr) second_->first_ = this;
}

bool GenericFilter::ParallelFilterUnit::canRunWith(const ParallelFilterUnit&) const noexcept {
    return false;
}

void GenericFilter::ParallelFilterUnit::processTogether(ParallelFilterUnit&, int, int,
                                                        const ChainMix[]) noexcept {}

// ----------------------------------------------------------- GenericFilter

GenericFilter::GenericFilter(wave::Environment& environment)
    : wave::Filter(environment), frequency(environment, 20.0f), gain(environment, 1.0f),
      mix(environment, 1.0f), peak(environment, 0.0f), peakMultiplierEnabled(this, false),
      response(this, kLowPass), slope(this, kSlope12) {
    gain.getParameter().setLimits(0.0f, 63.095734f);
    mix.getParameter().setLimits(0.0f, 1.0f);
    peak.getParameter().setLimits(-1.0f, 1.0f);
    registerComponent();
}

GenericFilter::~GenericFilter() {
    leaveSharedUnit();
}

void GenericFilter::leaveSharedUnit() {
    if (shared_ == nullptr) return;
    auto& list = shared_->filters_;
    auto it = std::find(list.begin(), list.end(), this);
    if (it != list.end()) {
        // The filters after it move down a lane: their new lanes start clean.
        for (auto lane = std::size_t(it - list.begin()); lane < ParallelFilterUnit::kLanes; ++lane)
            shared_->laneWasActive_[lane] = false;
        list.erase(it);
    }
    shared_ = nullptr;
}

void GenericFilter::setUnit(FilterUnit* unit) {
    leaveSharedUnit();
    unit_ = unit;
}

void GenericFilter::setParallelUnit(ParallelFilterUnit* shared) {
    if (shared == shared_) return;
    leaveSharedUnit();
    shared_ = shared;
    if (shared_ != nullptr) {
        if (shared_->filters_.size() < ParallelFilterUnit::kLanes)
            shared_->laneWasActive_[shared_->filters_.size()] = false;
        shared_->filters_.push_back(this);
    }
}

void GenericFilter::reset() {
    if (shared_ != nullptr)
        shared_->clearState();
    else if (unit_ != nullptr)
        unit_->clearState();
    active_ = false;
}

int GenericFilter::Controls::segmentEnd(int start, int limit) const {
    if (frequencyConstant && peakConstant) return limit;
    const float f0 = frequencyAt(start);
    const float p0 = peakAt(start);
    // Four samples at a time: the first sample whose frequency or peak has
    // moved too far, as the one-by-one test below finds it.
    using L = simd::Native;
    const L::F fv = L::splat(f0), pv = L::splat(p0);
    const L::F ft = L::splat(kFrequencyTolerance), pt = L::splat(kPeakTolerance);
    int i = start + 1;
    for (; i + 4 <= limit; i += 4) {
        int moved = 0;
        if (!frequencyConstant) moved |= simd::bits(abs(L::load(frequency + i) - fv) > ft);
        if (!peakConstant) moved |= simd::bits(abs(L::load(peak + i) - pv) > pt);
        if (moved != 0) return i + std::countr_zero(unsigned(moved));
    }
    for (; i < limit; ++i) {
        if (!frequencyConstant && std::fabs(frequency[i] - f0) > kFrequencyTolerance) return i;
        if (!peakConstant && std::fabs(peak[i] - p0) > kPeakTolerance) return i;
    }
    return limit;
}

void GenericFilter::gatherControls(int count) {
    Controls& c = controls_;
    const wave::BasicBlock<float>& f = frequency.pull(count);
    const wave::BasicBlock<float>& p = peak.pull(count);
    const wave::BasicBlock<float>& g = gain.pull(count);
    c.frequency = f.data();
    c.peak = p.data();
    c.gain = g.data();
    c.frequencyConstant = f.isConstant();
    c.peakConstant = p.isConstant();
    c.gainConstant = g.isConstant();
    c.multiplier = nullptr;
    bool multiplierConstant = true;
    if (peakMultiplierEnabled.getValue() && peakMultiplier_ != nullptr) {
        const wave::BasicBlock<float>& m = peakMultiplier_->pull(count);
        c.multiplier = m.data();
        multiplierConstant = m.isConstant();
    }
    c.allConstant = c.frequencyConstant && c.peakConstant && c.gainConstant && multiplierConstant;
    const wave::BasicBlock<float>& m = mix.pull(count);
    c.mix = m.data();
    c.mixConstant = m.isConstant();
    c.active = !(c.mixConstant && std::fabs(c.mix[0]) <= kEpsilon);
}

void GenericFilter::produce(wave::BasicBlock<float>* block, int count, wave::ProduceMode mode) noexcept {
    if (shared_ != nullptr) {
        const std::uint32_t now = getEnvironment().getBlockCounter();
        if (!shared_->ranIn(now))
            processShared(count);
        else if (mixed_ != nullptr && mixedBlock_ == now)
            setCurrentBlock(*mixed_); // computed by another filter's pull
        else
            setCurrentBlock(pullInput(count)); // joined after this block's run
        pulled_ = true;
        pulledBlock_ = now;
        return;
    }
    wave::Filter::produce(block, count, mode);
}

void GenericFilter::process(const wave::BasicBlock<float>& in, wave::BasicBlock<float>* out, int count,
                            wave::ProduceMode) noexcept {
    processOwn(in, out, count);
}

void GenericFilter::processOwn(const wave::BasicBlock<float>& in, wave::BasicBlock<float>* out, int count) {
    gatherControls(count);
    active_ = controls_.active && unit_ != nullptr && out != nullptr;
    if (active_) {
        FilterUnit& u = *unit_;
        u.slope.setValue(slope.getValue());
        u.response.setValue(response.getValue());
        u.checkContinuity(count);
        u.prepareBlock();
        const Controls& c = controls_;
        int* segments = u.segments();
        int n = 0;
        if (c.allConstant) {
            segments[n++] = count;
            u.setCoefficients(0, c.frequency[0], c.shapedPeakAt(0), c.gain[0]);
        } else {
            for (int start = 0; start < count; ++n) {
                int end = c.segmentEnd(start, std::min(start + kMaxSegmentLength, count));
                segments[n] = end - start;
                u.setCoefficients(n, c.frequencyAt(start), c.shapedPeakAt(start), c.gainAt(start));
                start = end;
            }
        }
        u.setSegmentCount(n);
        u.process(in.data(), out->data(), count);
        out->setConstant(false);
    }
    applyMix(in, active_ ? *out : in, out, count);
}

void GenericFilter::applyMix(const wave::BasicBlock<float>& in, const wave::BasicBlock<float>& filtered,
                             wave::BasicBlock<float>* out, int count) {
    const Controls& c = controls_;
    if (!active_) {
        setCurrentBlock(in);
        return;
    }
    if (c.mixConstant && std::fabs(c.mix[0] - 1.0f) <= kEpsilon) {
        setCurrentBlock(filtered);
        return;
    }
    // (The pair kernels compute the same mix as they go: ChainMix.)
    const float* x = in.data();
    const float* y = filtered.data();
    float* o = out->data();
    if (c.mixConstant) {
        const float m = c.mix[0];
        for (int i = 0; i < count; ++i)
            o[i] = (y[i] - x[i]) * m + x[i];
    } else {
        for (int i = 0; i < count; ++i)
            o[i] = (y[i] - x[i]) * c.mix[i] + x[i];
    }
    out->setConstant(false);
    setCurrentBlock(*out);
}

void GenericFilter::processShared(int count) {
    ParallelFilterUnit& u = *shared_;
    u.slope.setValue(slope.getValue());
    u.response.setValue(response.getValue());
    LaneInputs inputs{};
    if (gatherLanes(u, count, inputs)) {
        prepareLanes(u, count);
        u.processParallel(count);
    }
    finishLanes(u, inputs, count);
}

bool GenericFilter::gatherLanes(ParallelFilterUnit& u, int count, LaneInputs& inputs, const int* feeders) {
    u.setLaneCount(ParallelFilterUnit::kLanes);
    const wave::BasicBlock<float>& zero = u.getEnvironment().getZeroBlock();
    const std::size_t attached = u.filters_.size();
    const std::uint32_t previous = u.getEnvironment().getBlockCounter() - 1u;
    const bool ownLanes = u.laneSegments_ == ParallelFilterUnit::LaneSegments::kOwn;
    bool anyActive = false;
    for (int lane = 0; lane < ParallelFilterUnit::kLanes; ++lane) {
        const auto i = std::size_t(lane);
        GenericFilter* f = i < attached ? u.filters_[i] : nullptr;
        bool active = false;
        inputs[i] = &zero;
        if (f != nullptr && !(f->muteController_ != nullptr && f->muteController_->isMuted())) {
            if (feeders == nullptr || feeders[i] < 0) inputs[i] = &f->pullInput(count);
            f->gatherControls(count);
            active = f->controls_.active;
        } else if (f != nullptr) {
            f->controls_.active = false;
        }
        if (f != nullptr) f->active_ = active;
        u.laneInput_[i] = inputs[i]->data();
        u.laneActive_[i] = active;
        bool continued = u.laneWasActive_[i];
        // With own lanes, a filter nobody pulled in the previous block had a gap.
        if (ownLanes && f != nullptr && !(f->pulled_ && f->pulledBlock_ == previous)) continued = false;
        if (active && !continued) u.resetLane(lane);
        u.laneWasActive_[i] = active;
        anyActive = anyActive || active;
    }
    return anyActive;
}

void GenericFilter::prepareLanes(ParallelFilterUnit& u, int count) {
    constexpr int kLanes = ParallelFilterUnit::kLanes;
    const Controls* controls[kLanes] = {};
    bool allConstant = true;
    for (int lane = 0; lane < kLanes; ++lane) {
        if (!u.laneActive_[std::size_t(lane)]) continue;
        controls[lane] = &u.filters_[std::size_t(lane)]->controls_;
        allConstant = allConstant && controls[lane]->allConstant;
    }
    int* segments = u.segments();
    int n = 0;
    if (allConstant || u.laneSegments_ == ParallelFilterUnit::LaneSegments::kCommon) {
        if (allConstant) {
            segments[n++] = count;
        } else {
            for (int start = 0; start < count; ++n) {
                int end = std::min(start + kMaxSegmentLength, count);
                for (const Controls* c : controls)
                    if (c != nullptr) end = c->segmentEnd(start, end);
                segments[n] = end - start;
                start = end;
            }
        }
        u.setSegmentCount(n);
        u.checkContinuity(count);
        u.prepareBlock();
        for (int s = 0, start = 0; s < n; start += segments[s], ++s) {
            for (int lane = 0; lane < kLanes; ++lane) {
                if (const Controls* c = controls[lane])
                    u.computeCoefficients(lane, s, c->frequencyAt(start), c->shapedPeakAt(start),
                                          c->gainAt(start));
            }
        }
        return;
    }
    // Each lane's own segments, as processOwn cuts them: its coefficients
    // come from the start of its own segment (ownStart) until its next cut.
    u.checkContinuity(count);
    u.prepareBlock();
    auto ownEnd = [count](const Controls& c, int start) {
        return c.allConstant ? count : c.segmentEnd(start, std::min(start + kMaxSegmentLength, count));
    };
    int ownStart[kLanes] = {};
    int ownStop[kLanes] = {};
    for (int lane = 0; lane < kLanes; ++lane)
        if (const Controls* c = controls[lane]) ownStop[lane] = ownEnd(*c, 0);
    for (int start = 0; start < count; ++n) {
        int end = count;
        for (int lane = 0; lane < kLanes; ++lane)
            if (controls[lane] != nullptr) end = std::min(end, ownStop[lane]);
        segments[n] = end - start;
        for (int lane = 0; lane < kLanes; ++lane) {
            const Controls* c = controls[lane];
            if (c == nullptr) continue;
            const int at = ownStart[lane];
            u.computeCoefficients(lane, n, c->frequencyAt(at), c->shapedPeakAt(at), c->gainAt(at));
            if (ownStop[lane] == end && end < count) {
                ownStart[lane] = end;
                ownStop[lane] = ownEnd(*c, end);
            }
        }
        start = end;
    }
    u.setSegmentCount(n);
}

void GenericFilter::finishLanes(ParallelFilterUnit& u, const LaneInputs& inputs, int count) {
    const std::size_t attached = u.filters_.size();
    u.ran_ = true;
    u.ranBlock_ = u.getEnvironment().getBlockCounter();
    const bool markAll = u.laneSegments_ == ParallelFilterUnit::LaneSegments::kCommon;
    for (std::size_t i = 0; i < attached; ++i) {
        GenericFilter* f = u.filters_[i];
        if (i >= ParallelFilterUnit::kLanes) {
            // More filters than lanes: the extra ones pass their input.
            f->active_ = false;
            f->setCurrentBlock(f->pullInput(count));
        } else {
            wave::BasicBlock<float>& lane = u.laneOutput(int(i));
            lane.setConstant(false);
            f->applyMix(*inputs[i], lane, f->getOwnBlock(), count);
        }
        f->mixed_ = &f->getCurrentBlock();
        f->mixedBlock_ = u.ranBlock_;
        if (markAll) f->markComputed();
    }
}

void GenericFilter::computeTogether(GenericFilter& next, int count) noexcept {
    ParallelFilterUnit* a = shared_;
    ParallelFilterUnit* b = next.shared_;
    if (a == nullptr || b == nullptr || a->second_ != b) return;
    const std::uint32_t now = getEnvironment().getBlockCounter();
    if (a->ranIn(now) || b->ranIn(now) || !a->canRunWith(*b)) return;
    // Which lanes of b read a filter of a; a's lanes must not read b.
    int feeders[ParallelFilterUnit::kLanes] = {-1, -1, -1, -1};
    for (std::size_t i = 0; i < b->filters_.size(); ++i) {
        const wave::Producer* input = b->filters_[i]->getInput();
        for (std::size_t j = 0; j < a->filters_.size(); ++j) {
            if (input != a->filters_[j]) continue;
            if (i >= ParallelFilterUnit::kLanes || j >= ParallelFilterUnit::kLanes) return;
            feeders[i] = int(j);
        }
    }
    for (const GenericFilter* f : a->filters_)
        for (const GenericFilter* g : b->filters_)
            if (f->getInput() == g) return;
    a->slope.setValue(slope.getValue());
    a->response.setValue(response.getValue());
    b->slope.setValue(next.slope.getValue());
    b->response.setValue(next.response.getValue());
    processPair(*a, *b, feeders, count);
}

void GenericFilter::processPair(ParallelFilterUnit& a, ParallelFilterUnit& b, const int* feeders, int count) {
    constexpr int kLanes = ParallelFilterUnit::kLanes;
    LaneInputs inputsA{}, inputsB{};
    const bool runA = gatherLanes(a, count, inputsA);
    const bool runB = gatherLanes(b, count, inputsB, feeders);
    // A lane of b fed by a filter of a reads that filter's output: its input
    // while it does not run, its lane output at mix 1, else its mix, which
    // the pass writes into the filter's own block as it goes.
    bool trailing = false;
    ChainMix mixes[kLanes] = {};
    for (int i = 0; i < kLanes; ++i) {
        const int j = feeders[i];
        if (j < 0) continue;
        GenericFilter& g = *a.filters_[std::size_t(j)];
        const Controls& c = g.controls_;
        const float* input = inputsA[std::size_t(j)]->data();
        if (g.active_) {
            trailing = trailing || b.laneActive_[std::size_t(i)];
            if (c.mixConstant && std::fabs(c.mix[0] - 1.0f) <= kEpsilon) {
                input = a.laneOutput(j).data();
            } else {
                input = g.getOwnBlock()->data();
                mixes[j] = ChainMix{g.getOwnBlock()->data(), inputsA[std::size_t(j)]->data(),
                                    c.mixConstant ? nullptr : c.mix, c.mix[0]};
            }
        }
        b.laneInput_[std::size_t(i)] = input;
    }
    if (runA) prepareLanes(a, count);
    if (runB) prepareLanes(b, count);
    if (runA && runB)
        a.processTogether(b, count, trailing ? PairKernels::kTrail : 0, mixes);
    else if (runA)
        a.processParallel(count);
    else if (runB)
        b.processParallel(count);
    finishLanes(a, inputsA, count);
    const std::uint32_t now = a.getEnvironment().getBlockCounter();
    for (int i = 0; i < kLanes; ++i) {
        const int j = feeders[i];
        if (j < 0) continue;
        GenericFilter& g = *a.filters_[std::size_t(j)];
        inputsB[std::size_t(i)] = g.mixed_;
        // Its reader would have pulled it (see gatherLanes).
        const GenericFilter& reader = *b.filters_[std::size_t(i)];
        if (!(reader.muteController_ != nullptr && reader.muteController_->isMuted())) {
            g.pulled_ = true;
            g.pulledBlock_ = now;
        }
    }
    finishLanes(b, inputsB, count);
}
