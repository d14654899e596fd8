#include "dsp/tests/GraphFixtures.h"

#include "dsp/FloatParameter.h"

#include "dsp/wave/Environment.h"
#include "dsp/wave/Producer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using test::CountingComponent;
using test::CountingSource;
using wave::Environment;

TEST(SignalGraph, ComputesOncePerBlockWhateverTheConsumers) {
    Environment e;
    CountingSource p(e);
    for (int block = 1; block <= 3; ++block) {
        e.nextBlock();
        const wave::BasicBlock<float>& first = p.pull(64);
        const wave::BasicBlock<float>& second = p.pull(64);
        EXPECT_EQ(&first, &second);
        EXPECT_EQ(p.computed, block);
        EXPECT_EQ(first.data()[63], static_cast<float>(block));
        e.process(64, 0);
        EXPECT_EQ(p.computed, block) << "an unscheduled producer is only computed when pulled";
    }
    EXPECT_EQ(p.modes, (std::vector<int>{0, 0, 0}));
}

TEST(SignalGraph, OrderZeroIsComputedAgainWhenPulledOrderOneIsNot) {
    Environment e;
    CountingSource first(e), later(e), unpulled(e);
    first.setOrder(0);
    later.setOrder(1);
    unpulled.setOrder(1);
    e.nextBlock();
    first.pull(32);
    later.pull(32);
    e.process(32, 0);
    EXPECT_EQ(first.modes, (std::vector<int>{Environment::kPulled, Environment::kScheduledFirst}));
    EXPECT_EQ(later.modes, (std::vector<int>{Environment::kPulled}));
    EXPECT_EQ(unpulled.modes, (std::vector<int>{Environment::kScheduled}));
    EXPECT_EQ(e.getSamplePosition(), 32u);
}

TEST(SignalGraph, ProcessingListKeepsItsInsertionOrder) {
    Environment e;
    CountingSource a(e), b(e), c(e), d(e), f(e), g(e);
    a.setOrder(2);
    b.setOrder(1);
    c.setOrder(0);
    d.setOrder(1);
    f.setOrder(0);
    g.setOrder(7);
    // Order 0 in front (newest first), then the newest order 1 first, then the rest appended.
    std::vector<wave::Producer*> expected{&f, &c, &d, &b, &a, &g};
    EXPECT_EQ(e.getProcessingList(), expected);
    EXPECT_EQ(e.getOrderZeroCount(), 2);

    // Moving a producer from order 0 to order 1 keeps the groups consistent.
    f.setOrder(1);
    expected = {&c, &f, &d, &b, &a, &g};
    EXPECT_EQ(e.getProcessingList(), expected);
    EXPECT_EQ(e.getOrderZeroCount(), 1);
}

TEST(SignalGraph, DeactivationDestructionAndReactivation) {
    Environment e;
    CountingSource kept(e);
    kept.setOrder(3);
    {
        CountingSource temporary(e);
        temporary.setOrder(0);
        EXPECT_EQ(e.getProcessingList().size(), 2u);
    }
    EXPECT_EQ(e.getProcessingList(), (std::vector<wave::Producer*>{&kept}));
    EXPECT_EQ(e.getOrderZeroCount(), 0);

    kept.setActive(false);
    EXPECT_TRUE(e.getProcessingList().empty());
    e.nextBlock();
    e.process(16, 0);
    EXPECT_EQ(kept.computed, 0);

    // An inactive producer only stores its order.
    kept.setOrder(0);
    EXPECT_TRUE(e.getProcessingList().empty());
    kept.setActive(true);
    EXPECT_EQ(e.getProcessingList(), (std::vector<wave::Producer*>{&kept}));
    EXPECT_EQ(e.getOrderZeroCount(), 1);
    EXPECT_EQ(kept.resets, 0) << "only registered producers are reset on activation";

    struct Registered : CountingSource {
        explicit Registered(Environment& e) : CountingSource(e) { registerComponent(); }
    } registered(e);
    registered.setActive(false);
    registered.setActive(true);
    EXPECT_EQ(registered.resets, 1);
}

TEST(SignalGraph, SkipFlagOnlyAdvancesTime) {
    Environment e;
    CountingSource p(e);
    p.setOrder(0);
    e.nextBlock();
    e.process(100, Environment::kSkipProcessing);
    EXPECT_EQ(p.computed, 0);
    EXPECT_EQ(e.getSamplePosition(), 100u);
}

TEST(SignalGraph, TeardownSkipsListUpkeep) {
    Environment e;
    auto p = std::make_unique<CountingSource>(e);
    p->setOrder(1);
    e.beginTeardown();
    p.reset();
    EXPECT_EQ(e.getProcessingList().size(), 1u) << "the list is left for the environment to drop";
}

TEST(SignalGraph, SampleRateChanges) {
    Environment e;
    Environment child(e, 2);
    EXPECT_EQ(child.getSampleRate(), 88200.0f);
    CountingSource active(e), inactive(e);
    CountingComponent component(e), childComponent(child);
    struct Registered : CountingSource {
        explicit Registered(Environment& e) : CountingSource(e) { registerComponent(); }
    } registeredActive(e), registeredInactive(e);
    registeredInactive.setActive(false);

    std::vector<std::string> calls;
    e.sampleRateChanged.setHandler(NotifyEvent::bind([&](void* arg) {
        EXPECT_EQ(arg, &e);
        calls.push_back("primary");
    }));
    e.sampleRateChanged.addHandler(NotifyEvent::bind([&] { calls.push_back("first added"); }));
    e.sampleRateChanged.addHandler(NotifyEvent::bind([&] { calls.push_back("last added"); }));

    e.nextBlock();
    e.process(50, 0);

    e.setSampleRate(44100.0f + 1e-8f);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(component.resets, 0);
    EXPECT_EQ(e.getFullResetMark(), 0u);

    e.setSampleRate(48000.0f);
    EXPECT_EQ(e.getSampleRate(), 48000.0f);
    EXPECT_EQ(child.getSampleRate(), 96000.0f);
    EXPECT_EQ(calls, (std::vector<std::string>{"primary", "last added", "first added"}));
    EXPECT_EQ(component.resets, 1);
    EXPECT_EQ(registeredActive.resets, 1);
    EXPECT_EQ(registeredInactive.resets, 1) << "a rate change reaches every registered component";
    EXPECT_EQ(active.resets, 0) << "unregistered producers are not reached";
    EXPECT_EQ(childComponent.resets, 2) << "its own rate change, then the parent's reset(1)";
    EXPECT_EQ(e.getResetMark(), 50u);
    EXPECT_EQ(e.getFullResetMark(), 50u);
}

TEST(SignalGraph, ResetModes) {
    struct Case {
        int mode;
        bool fullMarkMoves;
        int activeResets, inactiveResets;
        bool childMarkMoves;
        int childResets;
    };
    const Case cases[] = {
        {Environment::kResetActive, true, 1, 0, true, 1},
        {Environment::kResetAll, true, 1, 1, true, 1},
        {Environment::kResetLight, false, 0, 0, true, 0},
        {Environment::kResetActiveHere, true, 1, 0, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        Environment e;
        Environment child(e, 1);
        struct Registered : CountingSource {
            explicit Registered(Environment& e) : CountingSource(e) { registerComponent(); }
        } active(e), inactive(e);
        inactive.setActive(false);
        int inactiveBefore = inactive.resets;
        CountingComponent childComponent(child);
        e.nextBlock();
        e.process(40, 0);
        e.reset(c.mode);
        EXPECT_EQ(e.getResetMark(), 40u);
        EXPECT_EQ(e.getFullResetMark(), c.fullMarkMoves ? 40u : 0u);
        EXPECT_EQ(active.resets, c.activeResets);
        EXPECT_EQ(inactive.resets - inactiveBefore, c.inactiveResets);
        EXPECT_EQ(child.getResetMark(), c.childMarkMoves ? 40u : 0u);
        EXPECT_EQ(childComponent.resets, c.childResets);
    }
}

TEST(SignalGraph, IdleOnlyWhenEveryComponentAndChildIs) {
    Environment e;
    Environment child(e, 1);
    struct Registered : CountingSource {
        explicit Registered(Environment& e) : CountingSource(e) { registerComponent(); }
    } a(e), c(child);
    EXPECT_TRUE(e.isIdle());
    a.idle = false;
    EXPECT_FALSE(e.isIdle());
    a.idle = true;
    c.idle = false;
    EXPECT_FALSE(e.isIdle());
}

TEST(SignalGraph, ChildEnvironmentsFollowTheirParent) {
    Environment e;
    Environment child(e, 3);
    e.nextBlock();
    e.nextBlock();
    e.setDisplayActive(true);
    e.process(10, 0);
    EXPECT_EQ(child.getBlockCounter(), 2u);
    EXPECT_TRUE(child.isDisplayActive());
    EXPECT_EQ(child.getSamplePosition(), 10u);
    e.beginTeardown();
    EXPECT_TRUE(child.isTearingDown());

    // A child that outlives its parent forgets it.
    auto parent = std::make_unique<Environment>();
    Environment orphan(*parent, 2);
    parent.reset();
    EXPECT_EQ(orphan.getParent(), nullptr);
}

class TwoOutputs : public wave::MultiProducer {
public:
    explicit TwoOutputs(Environment& e) : wave::MultiProducer(e, 2) {}
    void processAll(const wave::BasicBlock<float>** outputs, int count, wave::ProduceMode) noexcept override {
        ++computed;
        for (int i = 0; i < count; ++i) {
            getOutputBlock(0).data()[i] = 1.0f;
            getOutputBlock(1).data()[i] = 2.0f;
        }
        // Output 1 may also be handed another block.
        if (shareZero) outputs[1] = &getEnvironment().getZeroBlock();
    }
    int computed = 0;
    bool shareZero = false;
};

TEST(SignalGraph, MultiProducerComputesAllOutputsOnOnePull) {
    Environment e;
    TwoOutputs m(e);
    m.getOutput(0).setOrder(2);
    e.nextBlock();
    EXPECT_EQ(m.getOutput(1).pull(8).data()[7], 2.0f);
    EXPECT_EQ(m.getOutput(0).pull(8).data()[7], 1.0f);
    e.process(8, 0);
    EXPECT_EQ(m.computed, 1);
    EXPECT_EQ(m.getOutput(0).currentValue(), 1.0f);

    m.shareZero = true;
    e.nextBlock();
    EXPECT_EQ(&m.getOutput(1).pull(8), &e.getZeroBlock());
    EXPECT_EQ(m.computed, 2);
}

// Twice a value in both outputs, whole blocks of it; held on the value.
class Doubled : public wave::MultiProducer {
public:
    Doubled(Environment& e, wave::Producer& value) : wave::MultiProducer(e, 2), value_(&value) {}
    void processAll(const wave::BasicBlock<float>**, int count, wave::ProduceMode) noexcept override {
        ++computed;
        const float v = 2.0f * value_->pull(count).data()[0];
        for (int k = 0; k < 2; ++k) {
            wave::BasicBlock<float>& out = getOutputBlock(k);
            std::fill(out.begin(), out.end(), v);
            out.setConstant(true);
        }
        holdOutputsOn(value_, nullptr, static_cast<int>(getOutputBlock(0).size()));
    }
    int computed = 0;

private:
    wave::Producer* value_;
};

// Outputs that follow from a held value alone hold on it while its pulls
// need no render note (its changes take effect at once); a change releases
// them. A value that glides keeps them computing every block.
TEST(SignalGraph, OutputsHeldOnASettledValueFollowItsChanges) {
    for (bool atOnce : {true, false}) {
        SCOPED_TRACE(atOnce);
        Environment e;
        e.setSampleRate(48000.0f);
        FloatParameterSource value(e, 1.0f);
        if (atOnce) {
            value.getParameter().smallChangeTime.setValue(0.0f);
            value.getParameter().largeChangeTime.setValue(0.0f);
        }
        Doubled doubled(e, value);
        auto block = [&] {
            e.nextBlock();
            const float first = doubled.getOutput(0).pull(16).data()[0];
            EXPECT_EQ(doubled.getOutput(1).pull(16).data()[15], first);
            e.process(16, 0);
            return first;
        };
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(block(), 2.0f);
        EXPECT_EQ(doubled.computed, atOnce ? 1 : 3);
        value.setValue(0.25f);
        const float changed = block();
        EXPECT_EQ(doubled.computed, atOnce ? 2 : 4);
        if (atOnce)
            EXPECT_EQ(changed, 0.5f);
        else
            EXPECT_GT(changed, 0.5f) << "the change glides";
    }
}

TEST(SignalGraph, InputReadsAHostBlockAcrossChunksAndNeverPastIt) {
    Environment e;
    wave::Input in(e);
    std::vector<float> host(300);
    for (int i = 0; i < 300; ++i)
        host[i] = static_cast<float>(i + 1);
    in.setSource(host.data(), 300);
    int position = 0;
    for (int chunk : {128, 128, 44}) {
        e.nextBlock();
        const float* out = in.pull(chunk).data();
        for (int i = 0; i < chunk; ++i)
            ASSERT_EQ(out[i], host[position + i]) << position + i;
        position += chunk;
        e.process(chunk, 0);
    }
    EXPECT_EQ(in.getRemaining(), 0);

    // A chunk beyond the declared samples is silence, not an over-read.
    in.setSource(host.data() + 290, 10);
    e.nextBlock();
    const wave::BasicBlock<float>& out = in.pull(16);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(out.data()[i], host[290 + i]);
    for (int i = 10; i < 16; ++i)
        EXPECT_EQ(out.data()[i], 0.0f);
    e.process(16, 0);

    in.setSource(nullptr, 128);
    e.nextBlock();
    const wave::BasicBlock<float>& silent = in.pull(128);
    EXPECT_TRUE(silent.isConstant());
    EXPECT_EQ(silent.data()[127], 0.0f);
}

// A producer that pulls another one, which pulls it back: a cycle without a delay.
class Loop : public wave::Source {
public:
    explicit Loop(Environment& e) : wave::Source(e) {}
    void produce(wave::BasicBlock<float>* block, int count, wave::ProduceMode) noexcept override {
        const wave::BasicBlock<float>& in = Producer::pull(other, getEnvironment(), count);
        for (int i = 0; i < count; ++i)
            block->data()[i] = in.data()[i] + 1.0f;
    }
    wave::Producer* other = nullptr;
};

TEST(SignalGraphDeathTest, CycleWithoutDelayIsCaught) {
    Environment e;
    Loop a(e), b(e);
    a.other = &b;
    b.other = &a;
    e.nextBlock();
#ifdef NDEBUG
    // Release builds break the cycle with silence instead of recursing.
    EXPECT_EQ(a.pull(4).data()[0], 2.0f);
#else
    EXPECT_DEATH(a.pull(4), "cycle");
#endif
}

} // namespace
