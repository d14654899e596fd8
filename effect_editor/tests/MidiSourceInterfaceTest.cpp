#include "effect_editor/MidiSourceInterface.h"

#include "effect_editor/tests/SourcePanelRig.h"
#include "gui/IntValueButton.h"
#include "gui/SelectButton.h"
#include "modulation/MidiModSource.h"

#include <gtest/gtest.h>

using MidiSourceInterfaceTest = test::SourcePanelTest;

// The controller number button is enabled only for the Controller input;
// the source name is the MIDI source's label.
TEST_F(MidiSourceInterfaceTest, MidiControllerNumberFollowsTheInput) {
    setActive(model->midiSources, 1);
    MidiSourceInterface* midi = panelsOf<MidiSourceInterface>().at(0);
    MidiSourceParameterSet& set = model->midiSources[0];
    EXPECT_EQ(midi->width.getValue(), 122.0f);
    EXPECT_EQ(midi->controllerButton()->y.getValue(), 60.0f);
    EXPECT_EQ(midi->controllerButton()->width.getValue(), 98.0f);
    EXPECT_EQ(midi->controllerButton()->textOffsetX.getValue(), -5.0f);
    EXPECT_EQ(midi->controllerButton()->controlId.getValue(), set.controllerNumber.getIndex());
    EXPECT_EQ(midi->curveButton()->controlId.getValue(), set.responseCurve.getIndex());
    const int32_t controller = static_cast<int32_t>(MidiModSource::MidiInput::kController);
    for (int32_t input = 0; input <= static_cast<int32_t>(set.input.getMax()); ++input) {
        SCOPED_TRACE(input);
        EXPECT_TRUE(automate(set.input, static_cast<float>(input)));
        const bool on = input == controller;
        EXPECT_EQ(midi->controllerButton()->enabled.getValue(), on);
        EXPECT_EQ(midi->controllerButton()->opacity.getValue(), on ? 255 : 128);
        EXPECT_EQ(midi->sourceName(), set.getSourceLabel());
    }
    automate(set.input, static_cast<float>(controller));
    automate(set.controllerNumber, 74.0f);
    EXPECT_EQ(midi->sourceName(), "MIDI Source 1 (74)");
}
