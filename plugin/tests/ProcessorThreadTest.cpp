#include "plugin/GenericPluginProcessor.h"
#include "plugin/tests/TestProcessor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <sstream>
#include <thread>
#include <vector>

namespace {

using test::HostBlock;
using test::TestProcessor;

// Keeps the keys of the notes it receives, in order (audio thread only).
class NoteProcessor : public TestProcessor {
public:
    NoteProcessor(Options options, size_t capacity) : TestProcessor(options) { keys.reserve(capacity); }
    void midiNoteOn(int32_t key, float) override {
        if (keys.size() < keys.capacity()) keys.push_back(key);
    }
    std::vector<int32_t> keys;
};

// The audio thread processes while one thread sets parameter values and
// pushes MIDI, and another takes display snapshots: every note arrives once
// and in order, the last parameter value wins, and the snapshot reads only
// what may be read across threads.
TEST(ProcessorThreads, ParametersMidiAndSnapshotsFromOtherThreads) {
    constexpr int kNotes = 20000;
    TestProcessor::Options options;
    options.flags = GenericPluginInfo::kFlagEditorMidiQueue;
    NoteProcessor processor(options, kNotes + 1);
    processor.activate(48000.0f);
    processor.reset();

    std::atomic<bool> sending{true};
    std::atomic<bool> snapshotting{true};
    std::thread sender([&] {
        for (int i = 0; i < kNotes; ++i) {
            while (!processor.getMidiQueue().push(MidiEvent::make(0x90, uint8_t(i & 0x7F), 1, i % 64)))
                std::this_thread::yield();
            processor.gain.setValue(float(i % 100) * 0.01f, kParameterChangeNotToHost);
            processor.getEditorMidiQueue()->push(MidiEvent::make(0x90, uint8_t(i & 0x7F), 1));
        }
        processor.gain.setValue(0.5f, kParameterChangeNotToHost);
        sending.store(false);
    });
    std::thread snapshots([&] {
        while (snapshotting.load()) {
            std::ostringstream stream;
            processor.writeProcessorState(stream);
        }
    });

    HostBlock block(64);
    block.fillInputs(1.0f);
    int round = 0;
    while (sending.load() || round < 2) {
        processor.setTransport(120.0f, float(round), 0, round % 3 != 0);
        block.run(processor);
        if (!sending.load()) ++round;
    }
    sender.join();
    snapshotting.store(false);
    snapshots.join();

    const std::vector<int32_t>& keys = processor.keys;
    ASSERT_EQ(keys.size(), size_t(kNotes));
    for (int i = 0; i < kNotes; ++i)
        ASSERT_EQ(keys[size_t(i)], i & 0x7F) << i;
    EXPECT_EQ(block.out[0][63], 0.5f);
}

} // namespace
