#include "plugin/ChannelLayouts.h"
#include "plugin/GenericPluginProcessor.h"
#include "plugin/tests/TestProcessor.h"

#include "foundation/SharedMemory.h"

#include <gtest/gtest.h>

#include <xmmintrin.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace {

using test::HostBlock;
using test::ProcessorLog;
using test::TestAdapter;
using test::TestProcessor;

constexpr float kRate = 48000.0f;
constexpr int kRampSamples = 2400; // 50 ms at 48 kHz

// A processor at 48 kHz that has run one quiet-free block, so later
// parameter changes glide instead of jumping after the start reset.
struct Running {
    explicit Running(TestProcessor::Options options = {}) : processor(options) {
        processor.setAdapter(&adapter);
        processor.activate(kRate);
        processor.reset();
    }
    TestAdapter adapter;
    TestProcessor processor;
};

void pushMidi(GenericPluginProcessor& processor, uint8_t status, uint8_t data1, uint8_t data2,
              int32_t offset) {
    ASSERT_TRUE(processor.getMidiQueue().push(MidiEvent::make(status, data1, data2, offset)));
}

TEST(ChannelLayouts, CountsOfAllLayouts) {
    const int32_t firstEight[] = {1, 2, 3, 4, 4, 5, 6, 6};
    for (int32_t layout = 0; layout < 8; ++layout)
        EXPECT_EQ(channelCountOfLayout(layout), firstEight[layout]) << layout;
    EXPECT_EQ(kNumChannelLayouts, 29);
    EXPECT_EQ(channelCountOfLayout(16), 16);
    EXPECT_EQ(channelCountOfLayout(17), 8);
    EXPECT_EQ(channelCountOfLayout(28), 16);
    EXPECT_EQ(channelCountOfLayout(29), 0);
    EXPECT_EQ(channelCountOfLayout(-1), 0);
    for (int32_t layout = 0; layout < kNumChannelLayouts; ++layout)
        EXPECT_LE(channelCountOfLayout(layout), kMaxLayoutChannels);
    EXPECT_EQ(portTypeOfLayout(0), ChannelPortType::kMono);
    EXPECT_EQ(portTypeOfLayout(1), ChannelPortType::kStereo);
    EXPECT_EQ(portTypeOfLayout(2), ChannelPortType::kSurround);
}

// Host blocks are cut at 128 samples and at every queued event; an event is
// decoded before the audio at its offset, and one beyond the block after it.
TEST(Processor, CutsHostBlocksIntoPieces) {
    struct Case {
        int frames;
        std::vector<int32_t> eventOffsets; // note-on key = position in this list
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {300, {}, {"piece 128", "piece 128", "piece 44"}},
        {64, {40}, {"piece 40", "noteOn 0", "piece 24"}},
        {64, {100}, {"piece 64", "noteOn 0"}},
        {64, {0}, {"noteOn 0", "piece 64"}},
        {64, {-5}, {"noteOn 0", "piece 64"}},
        {256, {40, 200}, {"piece 40", "noteOn 0", "piece 128", "piece 32", "noteOn 1", "piece 56"}},
        {200, {10, 10}, {"piece 10", "noteOn 0", "noteOn 1", "piece 128", "piece 62"}},
        {0, {0}, {"noteOn 0"}},
    };
    for (const Case& c : cases) {
        Running running;
        TestProcessor& processor = running.processor;
        processor.log.entries.clear();
        for (size_t i = 0; i < c.eventOffsets.size(); ++i)
            pushMidi(processor, 0x90, static_cast<uint8_t>(i), 100, c.eventOffsets[i]);
        HostBlock block(c.frames);
        block.run(processor);
        std::vector<std::string> log = processor.log.text();
        log.erase(std::remove(log.begin(), log.end(), "tempo"), log.end());
        EXPECT_EQ(log, c.expected) << c.frames << " frames";
    }
}

// A control change mapped to the gain acts from the piece after its event;
// the change is reported to the host, and the controller number goes to
// the adapter once the block is done.
TEST(Processor, AParameterSetByMidiActsFromTheNextPiece) {
    Running running;
    TestProcessor& processor = running.processor;
    processor.getControllerMapping().assign(7, static_cast<uint32_t>(processor.gain.getIndex()));
    HostBlock block(128);
    block.fillInputs(0.5f);
    pushMidi(processor, 0xB0, 7, 0, 64);
    block.run(processor);
    for (int i = 0; i < 128; ++i)
        EXPECT_EQ(block.out[0][i], i < 64 ? 0.5f : 0.0f) << i;
    EXPECT_EQ(processor.gain.getValue(), 0.0f);
    EXPECT_EQ(running.adapter.changedParameters, std::vector<int32_t>{processor.gain.getIndex()});
    EXPECT_EQ(running.adapter.controllersSeen, std::vector<int32_t>{7});

    // A block without MIDI reports nothing; one with a note reports -1.
    block.run(processor);
    pushMidi(processor, 0x90, 60, 1, 3);
    block.run(processor);
    EXPECT_EQ(running.adapter.controllersSeen, (std::vector<int32_t>{7, -1}));
}

TEST(Processor, MidiStateOneSendsANoteOffAndProgramChangesGoToTheAdapter) {
    Running running;
    TestProcessor& processor = running.processor;
    processor.log.entries.clear();
    processor.midiState.setValue(1.0f, 0);
    HostBlock block(16);
    block.run(processor);
    EXPECT_EQ(processor.getMidiStateValue(), 1);
    ASSERT_FALSE(processor.log.entries.empty());
    EXPECT_EQ(processor.log.entries[0].kind, ProcessorLog::kNoteOff);
    EXPECT_EQ(processor.log.entries[0].a, 0.0f);
    EXPECT_EQ(processor.log.entries[0].b, 1.0f);

    pushMidi(processor, 0xB0, 0, 1, 0);
    pushMidi(processor, 0xB0, 32, 5, 0);
    pushMidi(processor, 0xC0, 7, 0, 0);
    block.run(processor);
    EXPECT_EQ(running.adapter.programs, (std::vector<std::pair<int32_t, int32_t>>{{133, 7}}));
}

TEST(Processor, TransportTempoClockAndStart) {
    Running running;
    TestProcessor& processor = running.processor;
    HostBlock block(128);

    struct Case {
        float tempo;
        float expected;
    };
    const Case tempos[] = {{0.0f, 120.0f},
                           {1e-8f, 120.0f},
                           {std::numeric_limits<float>::quiet_NaN(), 120.0f},
                           {90.0f, 90.0f},
                           {-60.0f, -60.0f}};
    for (const Case& c : tempos) {
        processor.setTransport(c.tempo, 4.0f, 0, true);
        processor.log.entries.clear();
        EXPECT_EQ(processor.getTempo(), c.expected);
        block.run(processor);
        // tempoChanged runs once per call with the processor's clock.
        ASSERT_EQ(processor.log.entries.front().kind, ProcessorLog::kTempo);
        EXPECT_EQ(processor.log.entries.front().a, c.expected);
        EXPECT_EQ(processor.log.entries.front().b, 4.0f);
    }

    // Stopped at an unchanged position, the clock runs on by
    // frames * tempo / 60 / rate beats per call and wraps at 256 beats.
    processor.setTransport(120.0f, 255.0f, 0, false);
    EXPECT_EQ(processor.getClockPosition(), 255.0);
    HostBlock second(48000);
    second.run(processor); // one second = two beats at 120
    processor.setTransport(120.0f, 255.0f, 0, false);
    EXPECT_NEAR(processor.getClockPosition(), 1.0, 1e-9);
    block.run(processor);
    processor.setTransport(120.0f, 255.0f, 0, false);
    EXPECT_NEAR(processor.getClockPosition(), 1.0 + 128.0 * 2.0 / 48000.0, 1e-9);

    // transportStarted fires only from stopped to playing.
    processor.log.entries.clear();
    processor.setTransport(120.0f, 8.0f, 0, true);
    processor.setTransport(120.0f, 8.5f, 0, true);
    processor.setTransport(120.0f, 8.5f, 0, false);
    processor.setTransport(120.0f, 9.0f, 0, true);
    int started = 0;
    for (const auto& e : processor.log.entries)
        started += e.kind == ProcessorLog::kTransportStarted ? 1 : 0;
    EXPECT_EQ(started, 2);
    EXPECT_EQ(processor.getClockPosition(), 9.0);
}

TEST(Processor, InstanceTrackingTakesSequenceNumbersFromTheProcessBlock) {
    Running running;
    TestProcessor& processor = running.processor;
    auto* block = static_cast<uint32_t*>(openSharedInstanceMemory("ZentorProcess2", 32));
    ASSERT_NE(block, nullptr);
    std::atomic_ref<uint32_t> sequence(block[0]);

    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(processor.getInstanceTrackingEntry(i), ~uint64_t(0));
    std::vector<uint32_t> numbers;
    for (int call = 0; call < 5; ++call) {
        processor.setTransport(120.0f, float(call), 0, true);
        numbers.push_back(sequence.load());
    }
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(processor.getInstanceTrackingEntry(i), uint64_t(numbers[size_t(i)]) << 32 | 0xFFFFFFFEu)
            << i;
    EXPECT_EQ(numbers[4], numbers[3] + 1) << "every call counts, even with no entry free";

    processor.setTransport(120.0f, 5.0f, 0, false);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(processor.getInstanceTrackingEntry(i), ~uint64_t(0));

    // Emptied, the entries are taken from the first one again.
    processor.setTransport(120.0f, 6.0f, 0, true);
    EXPECT_EQ(processor.getInstanceTrackingEntry(0), uint64_t(sequence.load()) << 32 | 0xFFFFFFFEu);
    for (int i = 1; i < 4; ++i)
        EXPECT_EQ(processor.getInstanceTrackingEntry(i), ~uint64_t(0)) << i;
}

TEST(Processor, LightAndFullResetsMoveTheirMarks) {
    Running running;
    TestProcessor& processor = running.processor;
    wave::Environment& environment = processor.getEnvironment();
    HostBlock block(256);
    block.run(processor);
    const int resetsBefore = processor.producer(0).resets;
    const uint64_t fullMark = environment.getFullResetMark();

    processor.requestLightReset();
    block.run(processor);
    EXPECT_EQ(environment.getResetMark(), 256u);
    EXPECT_EQ(environment.getFullResetMark(), fullMark);
    EXPECT_EQ(processor.producer(0).resets, resetsBefore);

    processor.requestFullReset();
    block.run(processor);
    EXPECT_EQ(environment.getResetMark(), 512u);
    EXPECT_EQ(environment.getFullResetMark(), 512u);
    EXPECT_EQ(processor.producer(0).resets, resetsBefore + 1);

    // The start of processing resets too, and puts the clock to 0.
    processor.setTransport(120.0f, 30.0f, 0, true);
    processor.reset();
    EXPECT_EQ(environment.getFullResetMark(), 768u);
    EXPECT_EQ(processor.producer(0).resets, resetsBefore + 2);
    EXPECT_EQ(processor.getClockPosition(), 0.0);
}

// Counts deliveries of a forwarded value.
class CountingForwarder : public EventForwarderList::Forwarder {
public:
    void deliver(double value) override {
        ++deliveries;
        last = value;
    }
    int deliveries = 0;
    double last = 0.0;
};

// Forwards every gain value it is given; the first time, it also queues
// another change and drains again from inside the drain.
class ForwardingListener : public ValueAssignable<float> {
public:
    ForwardingListener(TestProcessor& processor, CountingForwarder* forwarder)
        : processor(processor), forwarder(forwarder) {}
    void setValue(float value) override {
        ++applied;
        deliveriesSeen = forwarder->deliveries;
        processor.getEventForwarders().forward(forwarder, value);
        if (applied == 1) {
            processor.gain.setValue(0.125f, 1);
            processor.drainParameterQueue();
        }
    }
    TestProcessor& processor;
    CountingForwarder* forwarder;
    int applied = 0;
    int deliveriesSeen = 0;
};

TEST(Processor, SuspendedChangesStayQueuedAndDeferredUpdatesRunOnce) {
    Running running;
    TestProcessor& processor = running.processor;
    HostBlock block(32);
    block.fillInputs(1.0f);

    processor.beginUpdate();
    processor.beginUpdate();
    processor.gain.setValue(0.5f, 1);
    block.run(processor);
    EXPECT_EQ(block.out[0][0], 1.0f) << "nothing applied while suspended";
    processor.endUpdate();
    block.run(processor);
    EXPECT_EQ(block.out[0][0], 1.0f);
    processor.endUpdate();
    block.run(processor);
    EXPECT_EQ(block.out[0][0], 0.5f);

    auto* forwarder =
        static_cast<CountingForwarder*>(processor.getEventForwarders().addForwarder(new CountingForwarder));
    ForwardingListener listener(processor, forwarder);
    processor.gain.addValueListener(&listener);
    processor.gain.setValue(0.25f, 1);
    block.run(processor);
    EXPECT_EQ(listener.applied, 2) << "both values applied, the second by the inner drain";
    EXPECT_EQ(listener.deliveriesSeen, 0) << "nothing delivered before the outermost drain ended";
    EXPECT_EQ(forwarder->deliveries, 1);
    EXPECT_EQ(forwarder->last, 0.125);
    processor.gain.removeValueListener(&listener);
}

// A producer always finds flush-to-zero and denormals-are-zero, whatever the
// caller's register holds, and the caller gets its register back.
TEST(Processor, ProcessRunsWithFlushToZeroAndRestoresTheCallersRegister) {
    Running running;
    TestProcessor& processor = running.processor;
    HostBlock block(64);
    const unsigned saved = _mm_getcsr();
    const unsigned callers[] = {0x1F80u, 0x1F80u | 0x6000u};
    for (unsigned caller : callers) {
        _mm_setcsr(caller);
        block.run(processor);
        const unsigned inside = processor.producer(0).lastControlWord;
        const unsigned after = _mm_getcsr();
        _mm_setcsr(saved);
        // Bits 0-5 are exception flags that any arithmetic may raise.
        EXPECT_EQ(inside & 0x8040u, 0x8040u) << std::hex << caller;
        EXPECT_EQ(inside & 0x6000u, 0u) << "round to nearest";
        EXPECT_EQ(after & ~0x3Fu, caller & ~0x3Fu) << std::hex << caller;
    }
}

// Output = input through the graph; outputs beyond the layout are left
// alone, inputs beyond those given read as silence, and a channel without
// an output producer gives silence instead of failing.
TEST(Processor, OutputsBeyondTheLayoutAndMissingBuffers) {
    Running running;
    TestProcessor& processor = running.processor;
    HostBlock block(200, 2, 4);
    for (int i = 0; i < 200; ++i) {
        block.in[0][i] = float(i);
        block.in[1][i] = -float(i);
    }
    for (int c = 2; c < 4; ++c)
        std::fill(block.out[c].begin(), block.out[c].end(), 7.0f);
    block.run(processor);
    EXPECT_EQ(block.out[0], block.in[0]);
    EXPECT_EQ(block.out[1], block.in[1]);
    EXPECT_EQ(block.out[2], std::vector<float>(200, 7.0f));
    EXPECT_EQ(block.out[3], std::vector<float>(200, 7.0f));

    // One input only: channel 1 reads silence, live and bypassed.
    float* outputs[2] = {block.outputs[0], block.outputs[1]};
    processor.process(block.inputs.data(), 1, outputs, 2, 200, nullptr);
    EXPECT_EQ(block.out[0], block.in[0]);
    EXPECT_EQ(block.out[1], std::vector<float>(200, 0.0f));

    processor.getChannels()[1]->setOutput(nullptr);
    block.run(processor);
    EXPECT_EQ(block.out[0], block.in[0]);
    EXPECT_EQ(block.out[1], std::vector<float>(200, 0.0f));

    processor.bypass.setValue(1.0f, 1);
    HostBlock longer(kRampSamples + 256);
    longer.run(processor); // the ramp to the dry signal completes
    processor.process(block.inputs.data(), 1, outputs, 2, 200, nullptr);
    EXPECT_EQ(block.out[0], block.in[0]);
    EXPECT_EQ(block.out[1], std::vector<float>(200, 0.0f));
}

// Bypass on: out = (dry - processed) * mix + processed, the mix gliding from
// 0 to 1 in 50 ms; then no producer runs while the output is the input.
TEST(Processor, BypassOnRampsToTheDrySignal) {
    Running running;
    TestProcessor& processor = running.processor;
    processor.gain.setValue(0.0f, 1);
    HostBlock block(kRampSamples + 512);
    block.fillInputs(1.0f);
    block.run(processor);
    EXPECT_EQ(block.out[0][100], 0.0f);

    processor.bypass.setValue(1.0f, 0);
    EXPECT_EQ(running.adapter.changedParameters.back(), processor.bypass.getIndex());
    block.run(processor);
    const std::vector<float>& out = block.out[0];
    EXPECT_EQ(out[0], 0.0f);
    EXPECT_NEAR(out[kRampSamples / 2], 0.5f, 1e-4f);
    for (int i = 1; i < kRampSamples; ++i)
        ASSERT_GT(out[i], out[i - 1]) << i;
    EXPECT_LT(out[kRampSamples - 1], 1.0f);
    for (int i = kRampSamples; i < block.frames; ++i)
        ASSERT_EQ(out[i], 1.0f) << i;
    EXPECT_EQ(block.out[1], out);

    const int runs = processor.totalRuns();
    block.run(processor);
    EXPECT_EQ(processor.totalRuns(), runs) << "no producer runs while fully bypassed";
    EXPECT_EQ(block.out[0], block.in[0]);
}

// Bypass off with a latency of 64: the graph is reset at once, the dry path
// plays on for one piece (the wait counts whole pieces), then the mix glides
// back to the processed signal in 50 ms. Without latency it is the same: a
// glide started at the reset's position would end at once (a jump).
TEST(Processor, BypassOffResetsWaitsAndRampsBack) {
    for (int32_t latency : {64, 0}) {
        SCOPED_TRACE(latency);
        TestProcessor::Options options;
        options.latency = latency;
        Running running(options);
        TestProcessor& processor = running.processor;
        processor.gain.setValue(0.0f, 1);
        processor.bypass.setValue(1.0f, 1);
        HostBlock block(kRampSamples + 512);
        block.fillInputs(1.0f);
        block.run(processor);
        block.run(processor);
        ASSERT_EQ(block.out[0].back(), 1.0f);
        const int resets = processor.producer(0).resets;

        processor.bypass.setValue(0.0f, 1);
        block.run(processor);
        EXPECT_EQ(processor.producer(0).resets, resets + 1);
        const std::vector<float>& out = block.out[0];
        for (int i = 0; i <= 128; ++i)
            ASSERT_EQ(out[i], 1.0f) << i;
        EXPECT_NEAR(out[128 + kRampSamples / 2], 0.5f, 1e-4f);
        for (int i = 129; i < 128 + kRampSamples; ++i)
            ASSERT_LT(out[i], out[i - 1]) << i;
        for (int i = 128 + kRampSamples; i < block.frames; ++i)
            ASSERT_EQ(out[i], 0.0f) << i;
    }
}

// Fully bypassed, the output is the input delayed by the latency and the
// graph does not run.
TEST(Processor, FullyBypassedOutputIsTheInputDelayedByTheLatency) {
    for (int32_t latency : {0, 1, 64, 300}) {
        TestProcessor::Options options;
        options.latency = latency;
        Running running(options);
        TestProcessor& processor = running.processor;
        processor.bypass.setValue(1.0f, 1);
        HostBlock warmup(kRampSamples + 128);
        warmup.run(processor);
        processor.reset();
        const int runs = processor.totalRuns();

        std::vector<float> input;
        std::vector<float> output;
        int sample = 0;
        for (int frames : {100, 128, 37, 500, 3}) {
            HostBlock block(frames);
            for (int i = 0; i < frames; ++i) {
                block.in[0][i] = float(++sample);
                block.in[1][i] = -float(sample);
            }
            block.run(processor);
            input.insert(input.end(), block.in[0].begin(), block.in[0].end());
            output.insert(output.end(), block.out[0].begin(), block.out[0].end());
            for (int i = 0; i < frames; ++i)
                ASSERT_EQ(block.out[1][i], -block.out[0][i]);
        }
        for (size_t i = 0; i < output.size(); ++i)
            ASSERT_EQ(output[i], i < size_t(latency) ? 0.0f : input[i - size_t(latency)])
                << latency << " at " << i;
        EXPECT_EQ(processor.totalRuns(), runs) << latency;
    }
}

// The latency delays are built where the latency is set and at activation;
// while active, a new latency waits for the next activation.
TEST(Processor, LatencyChangesApplyAtActivation) {
    Running running;
    TestProcessor& processor = running.processor;
    processor.bypass.setValue(1.0f, 1);
    HostBlock warmup(kRampSamples + 128);
    warmup.run(processor);
    processor.setLatency(32);
    EXPECT_EQ(processor.getLatency(), 32);
    EXPECT_EQ(processor.getBypassProcessor()->getBuiltLatency(), 0);

    processor.deactivate();
    processor.activate(kRate);
    processor.reset();
    EXPECT_EQ(processor.getBypassProcessor()->getBuiltLatency(), 32);
    HostBlock block(64);
    for (int i = 0; i < 64; ++i)
        block.in[0][i] = float(i + 1);
    block.run(processor);
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ(block.out[0][i], i < 32 ? 0.0f : float(i - 31)) << i;

    processor.deactivate();
    processor.setLatency(0);
    EXPECT_EQ(processor.getBypassProcessor()->getBuiltLatency(), 0);
}

// A bypass switched off in the middle of a block (here by a controller) must
// not shift what the graph reads: its inputs follow the block position even
// over pieces in which the graph was skipped.
TEST(Processor, GraphReadsTheRightSamplesAfterSkippedPieces) {
    Running running;
    TestProcessor& processor = running.processor;
    processor.getControllerMapping().assign(20, static_cast<uint32_t>(processor.bypass.getIndex()));
    processor.bypass.setValue(1.0f, 1);
    HostBlock warmup(kRampSamples + 128);
    warmup.run(processor);

    HostBlock block(512);
    for (int i = 0; i < 512; ++i) {
        block.in[0][i] = float(i + 1);
        block.in[1][i] = float(1000 + i);
    }
    pushMidi(processor, 0xB0, 20, 0, 200);
    const int runs = processor.totalRuns();
    block.run(processor);
    EXPECT_GT(processor.totalRuns(), runs);
    EXPECT_EQ(block.out[0], block.in[0]);
    EXPECT_EQ(block.out[1], block.in[1]);
}

// Status bit 1 (output silent) with bit 0 (input quiet) on entry: reported
// once the tail has run out on a silent, idle graph; never for a class whose
// isSilent says no; a latency keeps it off until the dry path is silent too.
TEST(Processor, StatusReportsASilentOutputOnceTheTailHasRunOut) {
    struct Step {
        bool quiet;
        float input;
        int32_t expected;
    };
    struct Case {
        const char* name;
        int32_t latency;
        bool neverSilent;
        bool bypassed;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        {"after the start", 0, false, false, {{true, 0.0f, 3}, {true, 0.0f, 3}}},
        {"loud, then quiet", 0, false, false, {{false, 0.5f, 0}, {true, 0.0f, 3}, {true, 0.0f, 3}}},
        {"quiet flag on sound", 0, false, false, {{false, 0.5f, 0}, {true, 0.5f, 1}, {true, 0.5f, 1}}},
        {"never silent",
         0,
         true,
         false,
         {{false, 0.5f, 0}, {true, 0.0f, 1}, {true, 0.0f, 1}, {true, 0.0f, 1}}},
        {"latency 64", 64, false, false, {{false, 0.5f, 0}, {true, 0.0f, 1}, {true, 0.0f, 3}}},
        {"bypassed with latency", 64, false, true, {{false, 0.5f, 0}, {true, 0.0f, 1}, {true, 0.0f, 3}}},
    };
    for (const Case& c : cases) {
        TestProcessor::Options options;
        options.latency = c.latency;
        options.neverSilent = c.neverSilent;
        Running running(options);
        TestProcessor& processor = running.processor;
        if (c.bypassed) {
            processor.bypass.setValue(1.0f, 1);
            HostBlock warmup(kRampSamples + 128);
            warmup.run(processor);
        }
        HostBlock block(128);
        for (size_t s = 0; s < c.steps.size(); ++s) {
            block.fillInputs(c.steps[s].input);
            EXPECT_EQ(block.run(processor, c.steps[s].quiet), c.steps[s].expected) << c.name << " step " << s;
        }
    }
}

// The side chain reads the host's side-chain channels only with flag 8, the
// side chain enabled and the host's side-chain channels connected.
TEST(Processor, SideChainIsSilentUnlessSupportedEnabledAndConnected) {
    for (int bits = 0; bits < 8; ++bits) {
        const bool supported = (bits & 1) != 0;
        const bool enabled = (bits & 2) != 0;
        const bool connected = (bits & 4) != 0;
        TestProcessor::Options options;
        options.flags = supported ? uint32_t(GenericPluginInfo::kFlagSideChainInput) : 0u;
        Running running(options);
        TestProcessor& processor = running.processor;
        processor.producer(0).readSideChain = true;
        processor.producer(1).readSideChain = true;
        processor.setSideChainFlag(enabled);
        processor.setSideChainConnected(connected);
        HostBlock block(64, 4, 2);
        for (int c = 0; c < 4; ++c)
            std::fill(block.in[c].begin(), block.in[c].end(), float(c + 1));
        block.run(processor);
        const bool audible = supported && enabled && connected;
        EXPECT_EQ(block.out[0][10], audible ? 3.0f : 0.0f) << bits;
        EXPECT_EQ(block.out[1][10], audible ? 4.0f : 0.0f) << bits;
    }
}

std::string hexOf(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (unsigned char b : bytes) {
        if (!text.empty()) text += ' ';
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    return text;
}

TEST(Processor, DisplaySnapshotOfAnEmptyProcessor) {
    TestProcessor::Options options;
    options.flags = GenericPluginInfo::kFlagEditorMidiQueue;
    Running running(options);
    TestProcessor& processor = running.processor;
    auto* block = static_cast<uint32_t*>(openSharedInstanceMemory("ZentorProcess2", 32));
    ASSERT_NE(block, nullptr);
    processor.setTransport(120.0f, 0.0f, 0, true);
    const uint32_t n = std::atomic_ref<uint32_t>(block[0]).load();
    ASSERT_NE(processor.getEditorMidiQueue(), nullptr);
    processor.getEditorMidiQueue()->push(MidiEvent::make(0x90, 60, 100));
    processor.getEditorMidiQueue()->push(MidiEvent::make(0xB0, 7, 5));

    std::ostringstream stream;
    EXPECT_TRUE(processor.writeProcessorState(stream));
    std::string expected = "00 00 F0 42 FE FF FF FF";
    for (int i = 0; i < 4; ++i) {
        char word[12];
        std::snprintf(word, sizeof word, " %02X", (n >> (8 * i)) & 0xFF);
        expected += word;
    }
    for (int i = 0; i < 24; ++i)
        expected += " FF";
    expected += " 01 90 3C 64 01 B0 07 05 00";
    EXPECT_EQ(hexOf(stream.str()), expected);

    // Without flag 64 the snapshot ends after the tracking words.
    Running plain;
    std::ostringstream plainStream;
    EXPECT_TRUE(plain.processor.writeProcessorState(plainStream));
    EXPECT_EQ(plainStream.str().size(), 36u);
    EXPECT_EQ(plain.processor.getEditorMidiQueue(), nullptr);
}

// Fetching the snapshot zeroes the processed-sample counter, so displays
// compute for one second of samples afterwards.
TEST(Processor, DisplaysRunForOneSecondAfterASnapshot) {
    Running running;
    TestProcessor& processor = running.processor;
    HostBlock block(128);
    block.run(processor);
    EXPECT_FALSE(processor.producer(0).displayActive);
    EXPECT_EQ(processor.getProcessedSamples(), GenericPluginProcessor::kProcessedSamplesLimit);

    std::ostringstream stream;
    processor.writeProcessorState(stream);
    EXPECT_EQ(processor.getProcessedSamples(), 0u);
    int activeBlocks = 0;
    for (int i = 0; i < 400; ++i) {
        block.run(processor);
        activeBlocks += processor.producer(0).displayActive ? 1 : 0;
    }
    EXPECT_EQ(activeBlocks, 374) << "48000 / 128 = 375: the block reaching one second is not";
    EXPECT_EQ(processor.getProcessedSamples(), 400u * 128u);
}

// The first processor of the process runs the first-instance hook; when
// the last is gone, the release hook runs, and a new first one starts over.
TestProcessor::Options deferredInit() {
    TestProcessor::Options options;
    options.deferInit = true;
    return options;
}

class HookedProcessor : public TestProcessor {
public:
    HookedProcessor() : TestProcessor(deferredInit()) { initProcessing(); }
    ~HookedProcessor() override { lowerProcessorCount(); }
    void firstInstanceInit() override { ++firsts; }
    void lastInstanceReleased() override { ++releases; }
    static inline int firsts = 0;
    static inline int releases = 0;
};

TEST(Processor, FirstAndLastInstanceHooks) {
    ASSERT_EQ(GenericPluginProcessor::getProcessorCount(), 0);
    HookedProcessor::firsts = 0;
    HookedProcessor::releases = 0;
    {
        auto first = std::make_unique<HookedProcessor>();
        auto second = std::make_unique<HookedProcessor>();
        EXPECT_EQ(GenericPluginProcessor::getProcessorCount(), 2);
        EXPECT_EQ(HookedProcessor::firsts, 1);
        first.reset();
        EXPECT_EQ(HookedProcessor::releases, 0);
        second.reset();
        EXPECT_EQ(HookedProcessor::releases, 1);
        EXPECT_EQ(GenericPluginProcessor::getProcessorCount(), 0);
    }
    { HookedProcessor again; }
    EXPECT_EQ(HookedProcessor::firsts, 2);
    EXPECT_EQ(HookedProcessor::releases, 2);
}

} // namespace
