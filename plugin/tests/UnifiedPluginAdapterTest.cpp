#include "plugin/UnifiedPluginAdapter.h"

#include "plugin/ChannelLayouts.h"
#include "plugin/tests/TestPlugin.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using test::PluginRig;
using test::PluginTest;
using test::RecordingListener;
using test::TestHost;
using test::TestPluginOptions;
using test::TestPluginProcessor;

std::vector<ParameterChange> drain(GenericPluginProcessor& processor) {
    std::vector<ParameterChange> changes;
    ParameterChange change;
    while (processor.getParameterQueue().pop(change))
        changes.push_back(change);
    return changes;
}

class UnifiedPluginAdapterTest : public PluginTest {};

TEST_F(UnifiedPluginAdapterTest, ResyncCodesReachProcessorAndHost) {
    PluginRig rig(name_);
    rig.model->gain.setValue(0.8f, kParameterChangeNotToHost);
    rig.model->pan.setValue(0.1f, kParameterChangeNotToHost);
    drain(*rig.processor);
    rig.host.sent.clear();

    rig.host.parameterChanged(GenericPlugin::kResyncLightReset);
    EXPECT_FLOAT_EQ(rig.processor->gain.getValue(), 0.8f);
    EXPECT_FLOAT_EQ(rig.processor->pan.getValue(), 0.1f);
    const std::vector<ParameterChange> queued = drain(*rig.processor);
    ASSERT_FALSE(queued.empty());
    EXPECT_EQ(queued.back().index, GenericPluginProcessor::kLightResetIndex);
    EXPECT_EQ(rig.host.sent, (std::vector<TestHost::Value>{{0, 0.8f}, {1, 0.1f}}));

    rig.host.sent.clear();
    rig.host.parameterChanged(1);
    EXPECT_EQ(rig.host.sent, (std::vector<TestHost::Value>{{1, 0.1f}}));
}

TEST_F(UnifiedPluginAdapterTest, BlockedMidiStillFeedsTheEditor) {
    TestPluginOptions options;
    options.midiState = true;
    options.flags = GenericPluginInfo::kFlagEditorMidiQueue;
    PluginRig rig(name_, options);
    const MidiEvent note = MidiEvent::make(0x90, 60, 100);
    MidiEvent out;

    rig.model->receiveMidi(note);
    EXPECT_TRUE(rig.processor->getMidiQueue().pop(out));
    EXPECT_TRUE(rig.processor->getEditorMidiQueue()->pop(out));

    rig.processor->midiState->setValue(1.0f, kParameterChangeNotToHost);
    rig.model->receiveMidi(note);
    EXPECT_FALSE(rig.processor->getMidiQueue().pop(out));
    ASSERT_TRUE(rig.processor->getEditorMidiQueue()->pop(out));
    EXPECT_EQ(out.message, note.message);
}

TEST_F(UnifiedPluginAdapterTest, UnchangedLayoutTakesNoLock) {
    PluginRig rig(name_);
    std::atomic<bool> held{false};
    std::atomic<bool> release{false};
    std::thread holder([&] {
        ScopedLock hold(rig.host.getLock());
        held = true;
        while (!release)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    while (!held)
        std::this_thread::yield();
    rig.host.setChannelLayout(rig.model->getChannelLayout()); // would wait forever on the lock
    release = true;
    holder.join();
}

TEST_F(UnifiedPluginAdapterTest, NewLayoutBuildsANewProcessor) {
    PluginRig rig(name_);
    RecordingListener listener;
    rig.model->setInterface(&listener);
    rig.model->gain.setValue(0.3f, kParameterChangeNotToHost);
    int built = 0;
    rig.host.setProcessorFactory([&](int32_t) {
        ++built;
        return new TestPluginProcessor();
    });
    rig.host.setChannelLayout(0);
    EXPECT_EQ(built, 1);
    EXPECT_EQ(rig.model->getChannelLayout(), 0);
    EXPECT_EQ(listener.count(GenericPlugin::kChannelLayoutChanged), 1);
    EXPECT_NE(&rig.host.getProcessor(), rig.processor);
    EXPECT_FLOAT_EQ(rig.host.getProcessor().getParameter(0)->getValue(), 0.3f);
    rig.model->setInterface(nullptr);
}

TEST_F(UnifiedPluginAdapterTest, MidiLearnMovesModelProcessorAndHost) {
    PluginRig rig(name_);
    RecordingListener listener;
    rig.model->setInterface(&listener);
    // A learned controller sets the processor's parameter on the audio thread.
    rig.processor->gain.setValue(0.9f, 0);
    EXPECT_FLOAT_EQ(rig.model->gain.getValue(), 0.9f);
    EXPECT_FLOAT_EQ(rig.processor->gain.getValue(), 0.9f);
    EXPECT_EQ(rig.host.sent, (std::vector<TestHost::Value>{{0, 0.9f}}));

    rig.host.midiControllerSeen(21);
    EXPECT_EQ(listener.calls.back(), std::make_pair(int32_t(GenericPlugin::kMidiControllerSeen), 21));
    rig.model->setInterface(nullptr);
}

TEST_F(UnifiedPluginAdapterTest, ControllerMappingChangesReachTheProcessorCopy) {
    PluginRig rig(name_);
    RecordingListener listener;
    rig.model->setInterface(&listener);
    GenericPlugin::getControllerMapping()->assign(7, 1);
    EXPECT_EQ(rig.processor->getControllerMapping().getParameter(7), 1u);
    EXPECT_EQ(listener.count(GenericPlugin::kControllerMappingChanged), 1);
    rig.model->setInterface(nullptr);
}

TEST_F(UnifiedPluginAdapterTest, DisplayExchangeCarriesLevelsAndRequests) {
    TestPluginOptions options;
    options.levelsPerChannel = 2;
    PluginRig rig(name_, options);
    ASSERT_EQ(rig.processor->levels.size(), 4u); // stereo
    rig.model->getLevelRecord(1)->requestBit0();
    rig.model->getLevelRecord(3)->requestBit1();
    rig.host.exchangeDisplayData();
    EXPECT_EQ(rig.processor->levels[1]->bit0, 1);
    EXPECT_EQ(rig.processor->levels[3]->bit1, 1);
    EXPECT_EQ(rig.processor->levels[0]->bit0 + rig.processor->levels[0]->bit1, 0);
    ASSERT_NE(rig.model->getChannelRecord(1, 1), nullptr);
    EXPECT_FLOAT_EQ(rig.model->getChannelRecord(1, 1)->level(2), 42.0f);
    EXPECT_EQ(rig.model->getChannelRecord(1, 1)->info(), 40);
    EXPECT_EQ(rig.model->getChannelRecord(2, 0), nullptr);
    EXPECT_EQ(rig.model->getProcessorDisplayValue(0), rig.processor->getInstanceTrackingEntry(0));
    // Requests are taken once.
    rig.host.exchangeDisplayData();
    EXPECT_EQ(rig.processor->levels[1]->bit0, 1);
}

} // namespace
