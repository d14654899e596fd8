#include "plugin/GenericPluginSnapshots.h"

#include "plugin/tests/TestPlugin.h"

#include <gtest/gtest.h>

namespace {

using test::PluginRig;
using test::PluginTest;
using test::RecordingListener;

class GenericPluginSnapshotsTest : public PluginTest {};

TEST_F(GenericPluginSnapshotsTest, UndoNeverLandsOnTheCurrentState) {
    auto plugin = makePlugin();
    GenericPlugin::UndoHistory& history = *plugin->getUndoHistory();
    plugin->initSnapshotsForEditor();
    for (int i = 1; i <= 150; ++i) {
        plugin->gain.setValue(i / 1000.0f, 0);
        history.push("step " + std::to_string(i));
    }
    EXPECT_EQ(history.getUndoCount(), 99);
    int undone = 0;
    float previous = plugin->gain.getValue();
    while (history.undo()) {
        ++undone;
        EXPECT_LT(plugin->gain.getValue(), previous) << undone;
        previous = plugin->gain.getValue();
    }
    EXPECT_EQ(undone, 99);
    EXPECT_FLOAT_EQ(plugin->gain.getValue(), 0.051f);
    EXPECT_EQ(history.getRedoCount(), 99);
    EXPECT_TRUE(history.redo());
    EXPECT_FLOAT_EQ(plugin->gain.getValue(), 0.052f);
}

TEST_F(GenericPluginSnapshotsTest, StepWrapsAndRestoresEverything) {
    auto plugin = makePlugin();
    GenericPlugin::UndoHistory& history = *plugin->getUndoHistory();
    plugin->initSnapshotsForEditor();
    EXPECT_EQ(history.getList().get(0).name, "Initial state");
    history.step(-1);
    EXPECT_EQ(history.getIndex(), 99);
    history.step(1);
    EXPECT_EQ(history.getIndex(), 0);

    plugin->gain.setValue(0.9f, 0);
    plugin->setCustomSetting("K", "v");
    plugin->getExtraValues() = {1.0f, 2.0f};
    history.push("change");
    plugin->gain.setValue(0.1f, 0);
    plugin->clearSettings();
    plugin->getExtraValues().clear();
    history.step(0);
    EXPECT_FLOAT_EQ(plugin->gain.getValue(), 0.9f);
    EXPECT_EQ(plugin->getSettingsMap().at("K"), "v");
    EXPECT_EQ(plugin->getExtraValues(), (std::vector<float>{1.0f, 2.0f}));
}

TEST_F(GenericPluginSnapshotsTest, UndoAfterToggleReturnsToTheEarlierSlot) {
    PluginRig rig(name_);
    test::TestPlugin& model = *rig.model;
    GenericPlugin::CompareStates& compare = *model.getCompareStates();
    GenericPlugin::UndoHistory& history = *model.getUndoHistory();
    model.initSnapshotsForEditor();
    rig.model->gain.setValue(0.2f, 0); // A
    history.push("A edit");
    compare.toggle(); // to B, which holds the initial state
    EXPECT_EQ(compare.getActive(), 1);
    EXPECT_FLOAT_EQ(rig.model->gain.getValue(), 0.5f);
    rig.model->gain.setValue(0.7f, 0);
    history.push("B edit");

    ASSERT_TRUE(history.undo()); // back to the toggle's state
    EXPECT_FLOAT_EQ(rig.model->gain.getValue(), 0.5f);
    ASSERT_TRUE(history.undo()); // before the toggle: A active
    EXPECT_EQ(compare.getActive(), 0);
    EXPECT_FLOAT_EQ(rig.model->gain.getValue(), 0.2f);
    EXPECT_TRUE(compare.isChanged());
}

TEST_F(GenericPluginSnapshotsTest, OnlyAnotherPresetTellsTheHost) {
    PluginRig rig(name_);
    test::TestPlugin& model = *rig.model;
    RecordingListener listener;
    model.setInterface(&listener);
    GenericPlugin::CompareStates& compare = *model.getCompareStates();
    model.getCurrentPreset().setPath("same");
    compare.initialize();
    model.gain.setValue(0.9f, 0);
    rig.host.states.clear();
    listener.clear();
    compare.setActive(1);
    model.restoreSnapshot(compare.getList().get(0));
    EXPECT_TRUE(rig.host.states.empty());
    EXPECT_EQ(listener.count(GenericPlugin::kCurrentPresetChanged), 0);

    model.getCurrentPreset().setPath("other");
    model.restoreSnapshot(compare.getList().get(0));
    EXPECT_EQ(rig.host.states, (std::vector<int32_t>{0}));
    EXPECT_EQ(model.getCurrentPreset().getPath(), "same");
    model.setInterface(nullptr);
}

} // namespace
