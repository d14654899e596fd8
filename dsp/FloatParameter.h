#pragma once

// Smoothed control values for the signal graph.
//
// A FloatParameter turns a value that changes now and then into a block of
// samples, gliding linearly from the old value to a new one so that changes
// never click. The glide time follows the size of the change relative to the
// span: a change of 30 % of the span or more takes the large-change time
// (20 ms), a tiny one almost the small-change time (150 ms), quadratically in
// between. A value set while the parameter was not rendered in the block that
// just ended, or after any reset of the environment, jumps instead.
//
// Values are clamped into [minimum, maximum] first: NaN becomes the minimum
// and infinities the nearest limit, so no NaN ever glides into the graph. The
// limits and the span (the size a change is measured against, normally
// maximum - minimum) can be changed; a target moved by new limits jumps.
//
// Each parameter is advanced once per block by the one producer that renders
// it (advanceBlock); skipped time advances a running glide. A producer that
// hands the value's block on as its own renders it with advanceHeld: while
// the value is settled that producer holds the block, and its pulls note the
// render without computing until the value changes (wave::Producer::hold).
//
// Threading: audio thread (setValue, advanceBlock, fillBlock and applyGain
// never allocate); construction on the main thread.

#include "dsp/wave/Producer.h"
#include "foundation/Property.h"

#include <cstdint>

class FloatParameter : public wave::Component, public ValueAssignable<float> {
public:
    FloatParameter(wave::Environment& environment, float initialValue);
    ~FloatParameter() override;

    // Sets the target with the automatic glide time.
    void setValue(float value) override { setValue(value, -1.0f); }
    // time in milliseconds; negative asks for the automatic time.
    void setValue(float value, float timeMs) noexcept;

    // Advances the glide by one block of count samples and returns the block.
    // A settled value whose block already holds count samples only notes the
    // render.
    const wave::BasicBlock<float>& advanceBlock(int count) noexcept {
        if (!isSettledFor(count)) return advanceRamp(count);
        lastRenderPosition_ = getEnvironment().getSamplePosition() + static_cast<std::uint64_t>(count);
        return block_;
    }
    // advanceBlock for holder, the one producer whose block this is: while
    // settled, holder keeps the block until the value changes. A second
    // producer renders without holding.
    const wave::BasicBlock<float>& advanceHeld(wave::Producer& holder, int count) noexcept {
        const wave::BasicBlock<float>& block = advanceBlock(count);
        if (!isRamping() && (holder_ == nullptr || holder_ == &holder)) {
            holder_ = &holder;
            holder.hold(fillCount_, takesChangesAtOnce() ? nullptr : &lastRenderPosition_);
        }
        return block;
    }
    // Counts the block that just ended as rendered (for an owner that handed
    // the settled value's block on without advancing it).
    void noteRenderedUntilNow() noexcept { lastRenderPosition_ = getEnvironment().getSamplePosition(); }
    // Called by a holder going away before the parameter.
    void detachHolder(const wave::Producer& holder) noexcept {
        if (holder_ == &holder) holder_ = nullptr;
    }
    // Writes the value block without accounting for skipped time.
    const wave::BasicBlock<float>& fillBlock(int count) noexcept;
    const wave::BasicBlock<float>& getBlock() const { return block_; }

    float getTarget() const { return target_; }
    float getMinimum() const { return minimum_; }
    float getMaximum() const { return maximum_; }
    float getSpan() const { return span_; }
    bool isRamping() const { return rampPosition_ < static_cast<std::uint32_t>(rampLength_); }
    int getRampLength() const { return rampLength_; }

    // New limits with span = maximum - minimum; the target is clamped into
    // them, and when that moved it the glide is cancelled (it jumps).
    void setLimits(float minimum, float maximum);
    void setLimits(float minimum, float maximum, float span);
    // A span not above 0 counts every change as large.
    void setSpan(float span) { span_ = span; }

    // Both change times 0: a change without a time of its own takes effect
    // at once whether or not the value was rendered, so a settled value's
    // render needs no note (the times are set before it is rendered).
    bool takesChangesAtOnce() const {
        return smallChangeTime.getValue() == 0.0f && largeChangeTime.getValue() == 0.0f;
    }

    // Settled (not gliding) with its block holding count samples of the
    // value: advanceBlock would only note the render.
    bool isSettledFor(int count) const { return !isRamping() && fillCount_ >= count; }

    // 0 = none; a periodic value glides the short way round.
    Property<float> wrapPeriod{nullptr, 0.0f};
    Property<float> smallChangeTime{nullptr, 150.0f};
    Property<float> largeChangeTime{nullptr, 20.0f};

private:
    class ValueBlock : public wave::BasicBlock<float> {
    public:
        ValueBlock(wave::Environment& environment, FloatParameter& owner)
            : wave::BasicBlock<float>(environment), owner_(&owner) {}
        void maxBlockSizeChanged() override {
            wave::BasicBlock<float>::maxBlockSizeChanged();
            owner_->fillCount_ = 0;
            owner_->releaseHolder();
        }

    private:
        FloatParameter* owner_;
    };

    float clampToLimits(float value) const;
    void releaseHolder() noexcept {
        if (holder_ != nullptr) holder_->release();
    }
    const wave::BasicBlock<float>& advanceRamp(int count) noexcept;

    ValueBlock block_;
    int fillCount_ = 0;
    std::uint32_t rampPosition_ = 0;
    int rampLength_ = 0;
    float rampStart_;
    float rampStep_ = 0.0f;
    float maximum_;
    float minimum_;
    float span_;
    std::uint64_t lastRenderPosition_ = 0;
    float target_;
    wave::Producer* holder_ = nullptr;
};

// A producer that owns a FloatParameter; assigning sets it.
class FloatParameterSource : public wave::Source, public ValueAssignable<float> {
public:
    FloatParameterSource(wave::Environment& environment, float initialValue);
    void setValue(float value) override { parameter_.setValue(value); }
    FloatParameter& getParameter() { return parameter_; }
    void produce(wave::BasicBlock<float>* block, int count, wave::ProduceMode mode) noexcept override;

private:
    FloatParameter parameter_;
};

// A producer rendering a FloatParameter owned elsewhere.
class FloatParameterForwarder : public wave::Source {
public:
    FloatParameterForwarder(wave::Environment& environment, FloatParameter& parameter);
    float currentValue() const override { return parameter_->getTarget(); }
    FloatParameter& getParameter() { return *parameter_; }
    void produce(wave::BasicBlock<float>* block, int count, wave::ProduceMode mode) noexcept override;

private:
    FloatParameter* parameter_;
};

// A gain (or control) input: by default its own FloatParameterSource, which
// the owner may replace by any producer. Assigning sets the own parameter.
class FloatParameterBus : public ValueAssignable<float> {
public:
    FloatParameterBus(wave::Environment& environment, float initialValue);
    void setValue(float value) override { ownSource_.setValue(value); }

    FloatParameter& getParameter() { return ownSource_.getParameter(); }
    FloatParameterSource& getOwnSource() { return ownSource_; }
    wave::Producer* getSource() const { return source_; }
    // Null restores the own source.
    void setSource(wave::Producer* source) {
        source_ = source != nullptr ? source : &ownSource_;
        if (listener_ != nullptr) listener_->sourceChanged(*this);
    }

    // Told of every setSource (one listener: an owner that keeps the source
    // at hand).
    class SourceListener {
    public:
        virtual void sourceChanged(FloatParameterBus& bus) = 0;

    protected:
        ~SourceListener() = default;
    };
    void setSourceListener(SourceListener* listener) { listener_ = listener; }

    // The source's block for this block (the pull rule).
    const wave::BasicBlock<float>& pull(int count) { return source_->pull(count); }
    // out = in * gain. Returns false, writing nothing, when the gain is a
    // constant 1 (within 1.1920929e-7).
    bool applyGain(const float* in, float* out, int count) noexcept;

private:
    FloatParameterSource ownSource_;
    wave::Producer* source_;
    SourceListener* listener_ = nullptr;
};
