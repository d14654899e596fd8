#include "foundation/tests/AllocationCounter.h"
#include "plugin/GenericPluginProcessor.h"
#include "plugin/tests/TestProcessor.h"

#include <gtest/gtest.h>

namespace {

using test::HostBlock;
using test::TestAdapter;
using test::TestProcessor;

// After activation, the audio thread's work allocates nothing: resets,
// transport updates, and process with MIDI (notes, mapped controllers,
// program changes), parameter values, bypass switching with a latency,
// quiet-input status bits, and both queues growing past their first node
// counts.
TEST(ProcessorAllocation, NothingAllocatesAfterActivation) {
    TestProcessor::Options options;
    options.latency = 64;
    options.flags = GenericPluginInfo::kFlagEditorMidiQueue | GenericPluginInfo::kFlagSideChainInput;
    TestAdapter adapter;
    TestProcessor processor(options);
    processor.setAdapter(&adapter);
    processor.getControllerMapping().assign(7, static_cast<uint32_t>(processor.gain.getIndex()));
    processor.getControllerMapping().assign(8, static_cast<uint32_t>(processor.bypass.getIndex()));
    processor.setSideChainConnected(true);
    processor.activate(48000.0f);
    HostBlock block(512, 4, 2);
    HostBlock small(100, 4, 2);
    block.fillInputs(0.25f);
    const uint32_t firstParameterNodes = processor.getParameterQueue().getPool().getNodeCount();
    const uint32_t firstMidiNodes = processor.getMidiQueue().getPool().getNodeCount();

    test::AllocationCounter counter;
    processor.reset();
    for (int round = 0; round < 40; ++round) {
        processor.setTransport(round % 7 == 0 ? 0.0f : 128.0f, float(round / 3), 0, round % 5 != 0);
        for (int e = 0; e < 32; ++e) {
            const int32_t offset = e * 16;
            switch (e % 4) {
            case 0:
                processor.getMidiQueue().push(MidiEvent::make(0x90, uint8_t(40 + e), 100, offset));
                break;
            case 1:
                processor.getMidiQueue().push(MidiEvent::make(0xB0, 7, uint8_t(e * 4), offset));
                break;
            case 2:
                processor.getMidiQueue().push(MidiEvent::make(0x80, uint8_t(40 + e), 0, offset));
                break;
            default:
                processor.getMidiQueue().push(MidiEvent::make(0xC0, uint8_t(e), 0, offset));
                break;
            }
        }
        if (round % 6 == 2)
            processor.getMidiQueue().push(MidiEvent::make(0xB0, 8, round % 12 == 2 ? 127 : 0, 300));
        processor.gain.setValue(0.1f * float(round % 10), round % 2);
        processor.midiState.setValue(float(round % 9 == 4), 0);
        if (round % 10 == 5) processor.requestLightReset();
        if (round % 13 == 6) processor.requestFullReset();
        processor.getEditorMidiQueue()->push(MidiEvent::make(0x90, 1, 2));
        block.fillInputs(round % 4 == 3 ? 0.0f : 0.25f);
        block.run(processor, round % 4 == 3);
        small.run(processor, round % 4 == 3);
        if (round == 20) processor.reset();
    }

    // Both queues grow past their first node counts, and the driver drains them.
    for (int i = 0; i < 9000; ++i)
        processor.gain.setValue(float(i % 2), 1);
    for (int i = 0; i < 1500; ++i)
        processor.getMidiQueue().push(MidiEvent::make(0x90, uint8_t(i & 0x7F), 1, i % 512));
    block.run(processor);
    block.run(processor, true);

    const size_t allocations = counter.allocations();
    EXPECT_EQ(allocations, 0u);
    EXPECT_GT(processor.getParameterQueue().getPool().getNodeCount(), firstParameterNodes);
    EXPECT_GT(processor.getMidiQueue().getPool().getNodeCount(), firstMidiNodes);
    EXPECT_GT(processor.totalRuns(), 0);
    EXPECT_FALSE(adapter.controllersSeen.empty());
    EXPECT_FALSE(adapter.programs.empty());
}

} // namespace
