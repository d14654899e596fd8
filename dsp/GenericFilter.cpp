#include "dsp/GenericFilter.h"

#include <algorithm>
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
}

void GenericFilter::ParallelFilterUnit::setCoefficients(int segment, float frequency, float peak,
                                                        float gain) noexcept {
    laneCount_ = 1;
    computeCoefficients(0, segment, frequency, peak, gain);
}

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
    for (int i = start + 1; i < limit; ++i) {
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
        processShared(count);
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
    u.setLaneCount(ParallelFilterUnit::kLanes);

    const wave::BasicBlock<float>& zero = getEnvironment().getZeroBlock();
    const std::size_t attached = u.filters_.size();
    const wave::BasicBlock<float>* inputs[ParallelFilterUnit::kLanes];
    bool anyActive = false;
    bool allConstant = true;
    for (int lane = 0; lane < ParallelFilterUnit::kLanes; ++lane) {
        const auto i = std::size_t(lane);
        GenericFilter* f = i < attached ? u.filters_[i] : nullptr;
        bool active = false;
        inputs[i] = &zero;
        if (f != nullptr && !(f->muteController_ != nullptr && f->muteController_->isMuted())) {
            inputs[i] = &f->pullInput(count);
            f->gatherControls(count);
            active = f->controls_.active;
        } else if (f != nullptr) {
            f->controls_.active = false;
        }
        if (f != nullptr) f->active_ = active;
        u.laneInput_[i] = inputs[i]->data();
        u.laneActive_[i] = active;
        if (active && !u.laneWasActive_[i]) u.resetLane(lane);
        u.laneWasActive_[i] = active;
        if (active) {
            anyActive = true;
            allConstant = allConstant && f->controls_.allConstant;
        }
    }

    if (anyActive) {
        int* segments = u.segments();
        int n = 0;
        if (allConstant) {
            segments[n++] = count;
        } else {
            for (int start = 0; start < count; ++n) {
                int end = std::min(start + kMaxSegmentLength, count);
                for (std::size_t i = 0; i < ParallelFilterUnit::kLanes; ++i)
                    if (u.laneActive_[i]) end = u.filters_[i]->controls_.segmentEnd(start, end);
                segments[n] = end - start;
                start = end;
            }
        }
        u.setSegmentCount(n);
        u.checkContinuity(count);
        u.prepareBlock();
        for (int s = 0, start = 0; s < n; start += segments[s], ++s) {
            for (int lane = 0; lane < ParallelFilterUnit::kLanes; ++lane) {
                if (!u.laneActive_[std::size_t(lane)]) continue;
                const Controls& c = u.filters_[std::size_t(lane)]->controls_;
                u.computeCoefficients(lane, s, c.frequencyAt(start), c.shapedPeakAt(start), c.gainAt(start));
            }
        }
        u.processParallel(count);
    }

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
        f->markComputed();
    }
}
