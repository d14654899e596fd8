// Every source type drives a target through all 24 slots while slots, MIDI
// and trigger levels change: after the graph is built, nothing allocates.

#include "foundation/tests/AllocationCounter.h"
#include "modulation/EnvelopeFollower.h"
#include "modulation/EnvelopeGenerator.h"
#include "modulation/LevelPanTarget.h"
#include "modulation/MidiModSource.h"
#include "modulation/Mixer.h"
#include "modulation/Router.h"
#include "modulation/StaticMixer.h"
#include "modulation/Trigger.h"
#include "modulation/XLFO.h"
#include "modulation/XLFOFreqController.h"
#include "modulation/tests/MatrixFixture.h"
#include "modulation/tests/SlotOwnerFixture.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(ModulationAllocation, SourcesSlotsAndRoutingAllocateNothing) {
    test::SlotOwnerFixture f(true);
    wave::Environment& e = f.e;
    e.setSampleRate(48000.0f);
    ModulationMatrix& matrix = *f.matrix;

    long loudUntil = 0;
    test::FunctionSource audio(e, [&loudUntil](long i) {
        return (i < loudUntil ? 0.9f : 0.001f) * float(std::sin(double(i) * 0.05));
    });
    XLFO lfo(e);
    XLFOFreqController rate(e, lfo);
    test::ConstantSource hz(e, 7.0f);
    rate.setRateInput(&hz);
    lfo.freq.setSource(&rate);
    for (int i = 0; i < 16; ++i) {
        lfo.getStep(i).value.setValue(float(i % 5) * 0.4f - 0.8f);
        lfo.getStep(i).glide.setValue(0.3f);
        lfo.getStep(i).random.setValue(i % 3 == 0);
    }
    EnvelopeFollower follower(e);
    follower.setInput(&audio);
    Trigger trigger(e);
    trigger.setInput(&follower);
    trigger.threshold.setValue(0.5f);
    EnvelopeGenerator eg(e);
    eg.setTrigger(&trigger);
    eg.attackTime.setValue(0.01f);
    eg.sustainLevel.setValue(0.5f);
    eg.releaseTime.setValue(0.05f);
    MidiModSource::Cache cache;
    MidiModSource midi(e, cache);
    midi.midiInput.setValue(MidiModSource::MidiInput::kController);
    midi.controller.setValue(11);

    matrix.setSourceProducer(0, &lfo, 0);
    matrix.setSourceProducer(1, &eg, 0);
    matrix.setSourceProducer(2, &follower, 0);
    matrix.setSourceProducer(3, &midi, 0);
    ModMatrixParamController& slots = f.controller();
    for (int s = 0; s < 24; ++s) {
        slots.setSource(s, s % 4);
        slots.setTarget(s, 5);
        slots.setLevel(s, 0.05f);
    }
    LevelPanTarget levelPan(matrix, 5, 6, false);
    auto& gains = levelPan.getVoiceController();
    Mixer mixer(e, 3);
    mixer.setInputSignal(0, matrix.targetProducer(5));
    mixer.setInputSignal(1, &audio);
    mixer.setInputSignal(2, &lfo);
    StaticMixer sum(e);
    sum.addPair(1.0f, &audio);
    sum.addPair(0.5f, &follower);
    Router router(e, 2);
    router.setInputProducer(0, &sum);
    router.setInputProducer(1, &mixer);

    auto block = [&](int n) {
        e.nextBlock();
        float x = matrix.targetProducer(5)->pull(n).data()[0];
        x += gains.getOutput(0).pull(n).data()[0] + gains.getOutput(1).pull(n).data()[0];
        x += router.pull(n).data()[0];
        e.process(n, 0);
        return x;
    };
    block(128); // first pull of every producer

    test::AllocationCounter counter;
    float total = 0.0f;
    for (int b = 0; b < 400; ++b) {
        int n = b % 3 == 0 ? 37 : 128;
        if (b % 50 == 10) loudUntil = long(e.getSamplePosition()) + 4800;
        cache.controlChange(11, b % 128, float(b % 128) / 127.0f);
        cache.noteOn(40 + b % 40, 0.7f);
        int s = b % 24;
        switch (b % 6) {
        case 0:
            slots.setTarget(s, 83 + (s + 1) % 24);
            break;
        case 1:
            slots.setTarget(s, 5);
            break;
        case 2:
            slots.setInverted(s, b % 4 == 2);
            break;
        case 3:
            slots.setBypassed(s, b % 4 == 3);
            break;
        case 4:
            slots.setLevel(s, float(b % 10) * 0.01f);
            break;
        default:
            slots.setSource(s, (s + b) % 4);
            break;
        }
        if (b % 40 == 0) router.selectedInput.setValue((b / 40) % 2);
        if (b % 70 == 0) mixer.operation.setValue(static_cast<Mixer::Operation>((b / 70) % 9));
        if (b % 90 == 0) eg.noteOff();
        (void)matrix.getController().isSlotEffective(s);
        total += block(n);
    }
    EXPECT_EQ(counter.allocations(), 0u);
    EXPECT_TRUE(std::isfinite(total));
}

// Every slot may aim at one target: its list has room for all of them, and
// the searches of the loop check need no room of their own.
TEST(ModulationAllocation, AllSlotsOntoOneTargetAllocateNothing) {
    test::MatrixFixture f;
    auto& c = f.matrix->getController();
    test::AllocationCounter counter;
    for (int s = 0; s < 24; ++s) {
        c.setSource(s, s % 4);
        c.setTarget(s, 9);
        c.setLevel(s, 0.01f);
    }
    for (int s = 0; s < 24; ++s)
        c.setTarget(s, 83 + (s + 1) % 24); // every slot on the next one's level
    for (int s = 0; s < 24; ++s)
        (void)c.isSlotEffective(s);
    EXPECT_EQ(counter.allocations(), 0u);
    EXPECT_EQ(f.matrix->getTarget(9).slots.size(), 0u);
}
