#pragma once

// The signal environment: one per processor. It holds the sample rate, the
// block counter (the cache key of every producer), the running sample
// position and the reset marks, the list of scheduled producers and the list
// of registered components.
//
// One chunk of audio, as the owner runs it:
//   nextBlock();                 // new block number
//   ... pull the outputs ...     // each producer computes once, then caches
//   process(count, flags);       // scheduled producers, then time advances
//
// Threading: building and destroying producers, blocks and environments and
// setSampleRate (whose handlers re-size delay lines) run on the main thread.
// nextBlock, process, reset, pulls and the list changes that setOrder and
// setActive make run on the audio thread and never allocate: every producer
// constructor reserves room in both lists beforehand.
//
// The environment outlives everything registered with it. Its owner calls
// beginTeardown before destroying the graph, so that producers going away do
// not edit lists that are about to go too.

#include "dsp/wave/Block.h"
#include "foundation/NotifyEvent.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace wave {

class Component;
class Producer;

// How a producer is asked for its block (handed to Producer::produce).
enum ProduceMode : int {
    kPulled = 0,        // a consumer pulled the producer
    kScheduled = 1,     // the processing list, order 1 and above
    kScheduledFirst = 2 // the processing list, order 0 (always computed)
};

class Environment {
public:
    // process flags: bit 0 advances time without computing anything.
    static constexpr int kSkipProcessing = 1;

    // reset modes.
    enum ResetMode {
        kResetActive = 0,     // full reset of active components, children too
        kResetAll = 1,        // full reset of every component, children too
        kResetLight = 2,      // only the reset mark moves (parameters jump)
        kResetActiveHere = 3, // as kResetActive, children left alone
    };

    // The producer modes, also as Environment::kPulled and so on.
    using enum ProduceMode;

    Environment();
    // A child environment running inside parent at rateFactor times its rate.
    // Nothing in the product creates one; the recursion is kept for completeness.
    Environment(Environment& parent, int rateFactor);
    virtual ~Environment();
    Environment(const Environment&) = delete;
    Environment& operator=(const Environment&) = delete;

    // Allocation block size of every block (never changes here).
    virtual int maxBlockSize() const;
    virtual void addMaxBlockSizeListener(DynamicMaxBlockSizeListener* listener);
    virtual void removeMaxBlockSizeListener(DynamicMaxBlockSizeListener* listener);

    // Fired with the environment as argument after a real sample-rate change.
    NotifyEvent sampleRateChanged;

    // The largest count a chunk may have (128 unless lowered). A graph with
    // a feedback loop through a delay lowers it when its shortest delay is
    // shorter than 128 samples (a loop closes one chunk later). Never above
    // the allocation block size; no allocation.
    int getMaxChunkSize() const { return maxChunkSize_; }
    void setMaxChunkSize(int count) noexcept {
        maxChunkSize_ = count < 1 ? 1 : (count > allocationBlockSize_ ? allocationBlockSize_ : count);
    }
    float getSampleRate() const { return sampleRate_; }
    void setSampleRate(float rate);

    void nextBlock() noexcept;
    void process(int count, int flags) noexcept;
    void reset(int mode) noexcept;
    bool isIdle() const noexcept;
    void beginTeardown();
    bool isTearingDown() const { return tearingDown_; }
    void setDisplayActive(bool active);
    bool isDisplayActive() const { return displayActive_; }
    // Whether producers may hold blocks and forward pulls (see Producer);
    // off, every pull computes, which gives the same samples. For tests that
    // compare the two; set before processing starts.
    void setShortcutsAllowed(bool allowed) { shortcutsAllowed_ = allowed; }
    bool areShortcutsAllowed() const { return shortcutsAllowed_; }

    std::uint32_t getBlockCounter() const { return blockCounter_; }
    std::uint64_t getSamplePosition() const { return samplePosition_; }
    std::uint64_t getResetMark() const { return resetMark_; }
    std::uint64_t getFullResetMark() const { return fullResetMark_; }

    BasicBlock<float>& getScratchBlock(int index) { return index == 0 ? *scratch0_ : *scratch1_; }
    const ConstValueBlock& getZeroBlock() const { return *zeroBlock_; }

    Environment* getParent() const { return parent_; }
    int getRateFactor() const { return rateFactor_; }

    // Bookkeeping used by components and producers.
    void addProducer();
    void insertProducer(Producer& producer, std::uint32_t order) noexcept;
    void removeProducer(Producer& producer) noexcept;
    void registerComponent(Component& component);
    void unregisterComponent(Component& component);
    const std::vector<Producer*>& getProcessingList() const { return processing_; }
    int getOrderZeroCount() const { return orderZeroCount_; }

private:
    void reserveLists();

    int maxChunkSize_ = 128;
    std::vector<Producer*> processing_;
    bool tearingDown_ = false;
    bool displayActive_ = false;
    bool shortcutsAllowed_ = true;
    int allocationBlockSize_ = 128;
    int producerCount_ = 0;
    int orderZeroCount_ = 0;
    std::uint64_t resetMark_ = 0;
    std::vector<Component*> components_;
    std::uint64_t fullResetMark_ = 0;
    std::uint64_t samplePosition_ = 0;
    float sampleRate_ = 44100.0f;
    std::vector<Environment*> children_;
    Environment* parent_ = nullptr;
    int rateFactor_ = 1;
    std::unique_ptr<BasicBlock<float>> scratch0_;
    std::unique_ptr<BasicBlock<float>> scratch1_;
    std::uint32_t blockCounter_ = 0;
    std::unique_ptr<ConstValueBlock> zeroBlock_;
};

} // namespace wave
