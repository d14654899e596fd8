#pragma once

// The nodes of the pull graph.
//
// Component: anything that belongs to an environment and takes resets. A
// component that registers joins the environment's component list and then
// gets reset() on full resets and sample-rate changes, and isIdle() when the
// owner asks whether the graph has gone quiet.
//
// Producer: yields one block per block number. Pulling (pull()) computes the
// producer at most once per block number and caches the block, so any number
// of consumers may read it. A producer with an order number is scheduled: the
// environment computes it in its processing list whether or not somebody
// pulled it. Order 0 is special: the environment computes it again even when
// it was pulled this block, with mode kScheduledFirst. It is meant only for
// producers whose produce() treats that call as "the block is over" (the
// deferred write of DelayFilterBase); every other scheduled producer takes
// order 1 or higher, or its state would advance twice in a block.
//
// Two shortcuts spare a pull the call to produce() where its block cannot
// differ from what produce() would give:
// - a held block: a producer whose block is a settled value's (see hold())
//   hands it on for pulls of up to the held count, noting the render the way
//   the value's own advance would (a value that takes every change at once
//   needs no note), until released; a producer whose block follows from
//   such unnoted held inputs alone holds it on them (holdOn()), and a
//   release of any of them releases it;
// - a forward: a producer that only passes another producer's block on
//   (a switch settled on one input) names it with setForward(); a pull then
//   pulls that producer and takes its block. The forwarding producer counts
//   as computed for the block before the inner pull, so a forward that leads
//   back hands on the block it held instead of recursing.
// Either way the producer counts as computed for the block.
//
// A pull that reaches a producer whose produce() is running is a cycle
// without a delay in it: a programming error. Debug builds assert; release
// builds hand the inner consumer the zero block instead of recursing.
//
// Threading: audio thread, except construction and destruction (main thread).

#include "dsp/wave/Block.h"
#include "dsp/wave/Environment.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace wave {

class Component {
public:
    Component(const Component&) = delete;
    Component& operator=(const Component&) = delete;
    virtual ~Component();

    // Clears internal state; no allocation.
    virtual void reset() {}
    // False while the component still has a tail to play out.
    virtual bool isIdle() const { return true; }
    // Mode kResetActive resets only active components; a component that is
    // not a producer is always active.
    virtual bool isActive() const { return true; }

    Environment& getEnvironment() const { return *environment_; }
    bool isRegistered() const { return registered_; }

protected:
    explicit Component(Environment& environment);
    // Joins (leaves) the environment's component list; no-op when already in (out).
    void registerComponent();
    void unregisterComponent();

private:
    Environment* environment_;
    bool registered_ = false;
};

class alignas(64) Producer : public Component {
public:
    // Constructor flags: bit 0 = no own output block (the producer points its
    // current block at some other block).
    static constexpr int kNoOwnBlock = 1;

    explicit Producer(Environment& environment, int flags = 0);
    ~Producer() override;

    // The first sample of the current block.
    virtual float currentValue() const;
    bool isIdle() const override { return true; }
    bool isActive() const override { return active_; }
    virtual void setActive(bool active);
    // Computes count samples into block (the own block, null without one);
    // mode tells how it was asked (see ProduceMode).
    virtual void produce(BasicBlock<float>* block, int count, ProduceMode mode) noexcept = 0;

    void setOrder(std::uint32_t order) noexcept;
    std::uint32_t getOrder() const { return order_; }
    bool isScheduled() const { return scheduled_; }
    void resetIfActive() noexcept;

    // The pull rule: computes the producer when it has not been computed for
    // the current block number, then returns its current block.
    const BasicBlock<float>& pull(int count) noexcept {
        const Environment& e = getEnvironment();
        const std::uint32_t block = e.getBlockCounter();
        if (lastComputed_ == block) return *current_;
        if (count <= heldFor_) {
            lastComputed_ = block;
            if (heldRenderMark_ != nullptr)
                *heldRenderMark_ = e.getSamplePosition() + static_cast<std::uint64_t>(count);
            return *current_;
        }
        if (forward_ != nullptr) {
            lastComputed_ = block;
            current_ = &forward_->pull(count);
            return *current_;
        }
        return computeForPull(count);
    }
    // Pulls input, or gives the zero block when there is none.
    static const BasicBlock<float>& pull(Producer* input, Environment& environment, int count) noexcept {
        return input != nullptr ? input->pull(count) : environment.getZeroBlock();
    }

    // Keeps the current block for later pulls of up to samples samples
    // without computing: each such pull writes the end of its block into
    // *renderMark (none when null). Only for a block that stays the same
    // whatever the block number (a settled value's); whoever can change it
    // calls release(). Any compute releases it first.
    void hold(int samples, std::uint64_t* renderMark) noexcept {
        if (!getEnvironment().areShortcutsAllowed()) return;
        if (heldInputCount_ > 0) detachFromInputs();
        heldFor_ = samples;
        heldRenderMark_ = renderMark;
    }
    // Holds the current block, for pulls of up to samples samples, on
    // inputs (null ones aside): only for a block that follows from their
    // blocks alone. Each must be held without a render mark (its pulls note
    // nothing, so none is missed when this one is pulled instead). False,
    // holding nothing, when one is not, or has no room for another dependant.
    bool holdOn(int samples, Producer* const* inputs, int count) noexcept;
    // Ends the hold; producers held on this one are released with it.
    void release() noexcept {
        heldFor_ = -1;
        if (heldInputCount_ > 0 || dependantCount_ > 0) releaseLinks();
    }
    bool isHeld() const { return heldFor_ >= 0; }
    int getHeldCount() const { return heldFor_; }
    // Null computes again.
    void setForward(Producer* producer) noexcept {
        forward_ = getEnvironment().areShortcutsAllowed() ? producer : nullptr;
    }
    Producer* getForward() const { return forward_; }

    const BasicBlock<float>& getCurrentBlock() const { return *current_; }
    std::uint32_t getLastComputed() const { return lastComputed_; }
    bool isComputedThisBlock() const { return lastComputed_ == getEnvironment().getBlockCounter(); }

protected:
    BasicBlock<float>* getOwnBlock() const { return own_.get(); }
    void setCurrentBlock(const BasicBlock<float>& block) { current_ = &block; }
    // Records the current block number as computed (for producers that are
    // computed as a side effect of another one, and for the deferred write).
    void markComputed() { lastComputed_ = getEnvironment().getBlockCounter(); }

private:
    friend class Environment;
    friend class MultiProducer;
    // Inline, so that a pull's computing half stays one call.
    void compute(int count, ProduceMode mode) noexcept {
        release();
        if (own_) current_ = own_.get();
        computing_ = true;
        produce(own_.get(), count, mode);
        computing_ = false;
        lastComputed_ = getEnvironment().getBlockCounter();
    }
    // The pull rule's computing half (kept out of line, so a pull of a block
    // already computed stays a compare).
    const BasicBlock<float>& computeForPull(int count) noexcept;
    void releaseLinks() noexcept;
    void detachFromInputs() noexcept;

    static constexpr int kMaxHeldInputs = 2;
    static constexpr int kMaxDependants = 4;

    // What a pull reads first, together after the environment pointer.
    std::uint32_t lastComputed_ = 0;
    int heldFor_ = -1;
    const BasicBlock<float>* current_;
    Producer* forward_ = nullptr;
    std::uint64_t* heldRenderMark_ = nullptr;
    std::unique_ptr<BasicBlock<float>> own_;
    std::uint32_t order_ = 0;
    bool active_ = true;
    bool scheduled_ = false;
    bool computing_ = false;
    // The inputs a hold rests on, and the producers held on this one.
    std::uint8_t heldInputCount_ = 0;
    std::uint8_t dependantCount_ = 0;
    Producer* heldInputs_[kMaxHeldInputs] = {};
    Producer* dependants_[kMaxDependants] = {};
};

// A producer without inputs.
class Source : public Producer {
public:
    using Producer::Producer;
};

// Marks classes that read producers without being one.
class Consumer {
public:
    virtual ~Consumer() = default;
};

// A producer with one input producer (not owned; none reads as silence).
class FilterBase : public Producer {
public:
    using Producer::Producer;
    Producer* getInput() const { return input_; }
    void setInput(Producer* input) { input_ = input; }

protected:
    const BasicBlock<float>& pullInput(int count) { return pull(input_, getEnvironment(), count); }

private:
    Producer* input_ = nullptr;
};

// A filter whose produce() pulls the input and hands its block to process().
class Filter : public FilterBase {
public:
    using FilterBase::FilterBase;
    void produce(BasicBlock<float>* block, int count, ProduceMode mode) noexcept override;
    // Computes out from in; may instead point the current block elsewhere.
    virtual void process(const BasicBlock<float>& in, BasicBlock<float>* out, int count,
                         ProduceMode mode) noexcept = 0;
};

// Fed from outside: each produce copies the next count samples of the
// buffer the owner set for this host block. It never reads past the samples
// the owner declared; what is missing (or everything, with no buffer) is
// silence.
class Input : public Producer {
public:
    explicit Input(Environment& environment) : Producer(environment) {}
    void setSource(const float* samples, int count);
    int getRemaining() const { return remaining_; }
    void produce(BasicBlock<float>* block, int count, ProduceMode mode) noexcept override;

private:
    const float* source_ = nullptr;
    int remaining_ = 0;
};

// A consumer-side tap with one input producer (not owned).
class Output : public Consumer {
public:
    explicit Output(Environment& environment) : environment_(&environment) {}
    Environment& getEnvironment() const { return *environment_; }
    Producer* getInput() const { return input_; }
    void setInput(Producer* input) { input_ = input; }
    const BasicBlock<float>& pullInput(int count) { return Producer::pull(input_, *environment_, count); }

private:
    Environment* environment_;
    Producer* input_ = nullptr;
};

// Asked once per block by units that can skip work while their control
// source is silent.
class MuteController {
public:
    virtual bool isMuted() const = 0;

protected:
    ~MuteController() = default;
};

// A unit with several outputs computed together: pulling any one output
// computes all of them once for the block.
class MultiProducer : public Component {
public:
    class Output : public Producer {
    public:
        Output(MultiProducer& owner, int index);
        float currentValue() const override;
        void reset() override;
        void produce(BasicBlock<float>* block, int count, ProduceMode mode) noexcept override;
        int getIndex() const { return index_; }

    private:
        friend class MultiProducer;
        MultiProducer* owner_;
        int index_;
    };

    MultiProducer(Environment& environment, int outputCount);
    ~MultiProducer() override;

    int getOutputCount() const { return outputCount_; }
    Output& getOutput(int index) { return *outputs_[index]; }
    virtual float currentValue(int index) const;
    // Computes every output. outputs[i] starts as output i's own block (write
    // it through getOutputBlock(i)); an implementation may point it at another
    // block instead, which then becomes that output's current block.
    virtual void processAll(const BasicBlock<float>** outputs, int count, ProduceMode mode) noexcept = 0;

protected:
    // Makes the output blocks and producers (called by the constructor).
    void createOutputs();
    BasicBlock<float>& getOutputBlock(int index) { return *slots_[index].block; }
    // From processAll: every output just computed follows from these inputs'
    // blocks alone; each output then holds its block on them for pulls of
    // up to samples samples (Producer::holdOn), where they allow it.
    void holdOutputsOn(Producer* first, Producer* second, int samples) noexcept {
        holdInputs_[0] = first;
        holdInputs_[1] = second;
        holdSamples_ = samples;
    }

private:
    void produceAll(int count, ProduceMode mode) noexcept;

    int outputCount_;
    // Each output beside its own block, for the per-block pass.
    struct Slot {
        Output* output;
        BasicBlock<float>* block;
    };

    std::vector<std::unique_ptr<BasicBlock<float>>> blocks_;
    std::vector<std::unique_ptr<Output>> outputs_;
    std::vector<Slot> slots_;
    std::vector<const BasicBlock<float>*> scratch_;
    Producer* holdInputs_[2] = {};
    int holdSamples_ = -1;
};

// A MultiProducer with one input per output.
class MultiFilter : public MultiProducer {
public:
    MultiFilter(Environment& environment, int count);

    Producer* getInput(int index) const { return inputs_[index]; }
    void setInput(int index, Producer* input) { inputs_[index] = input; }

    void processAll(const BasicBlock<float>** outputs, int count, ProduceMode mode) noexcept override;
    virtual void process(const BasicBlock<float>** inputs, const BasicBlock<float>** outputs, int count,
                         ProduceMode mode) noexcept = 0;

private:
    std::vector<Producer*> inputs_;
    std::vector<const BasicBlock<float>*> inputBlocks_;
};

} // namespace wave
