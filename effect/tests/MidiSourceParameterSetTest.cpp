#include "effect/MidiSourceParameterSet.h"

#include "effect/tests/VarnelOwnerFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using test::VarnelTestOwner;

TEST(MidiSourceParameterSet, NamesChoicesAndDefaults) {
    VarnelTestOwner owner;
    MidiSourceParameterSet& m = owner.p().midiSources[9];
    EXPECT_EQ(m.getName(), "MIDI Source 10");
    EXPECT_EQ(m.getShortName(), "MS 10");
    EXPECT_EQ(m.input.getName(), "MIDI Source 10 Input");
    EXPECT_EQ(m.controllerNumber.getName(), "MIDI Source 10 Controller Number");
    EXPECT_EQ(m.responseCurve.getName(), "MIDI Source 10 Response Curve");
    EXPECT_EQ(m.input.getValueNames(), (std::vector<std::string>{"Mod Wheel", "Pitch Bend", "Velocity",
                                                                 "Aftertouch", "KB Track", "Controller"}));
    EXPECT_EQ(m.responseCurve.getValueNames(),
              (std::vector<std::string>{"Linear", "Exp", "Log", "Sqr", "Sqrt", "Sine"}));
    EXPECT_EQ(m.input.getTypedValue(), MidiModSource::MidiInput::kModWheel);
    EXPECT_EQ(m.responseCurve.getTypedValue(), MidiModSource::ResponseCurve::kLinear);
    EXPECT_EQ(m.controllerNumber.getMin(), 0.0f);
    EXPECT_EQ(m.controllerNumber.getMax(), 127.0f);
    EXPECT_EQ(m.controllerNumber.getDefault(), 1.0f);
    EXPECT_EQ(m.controllerNumber.getTypedValue(), 1);
    float value = 0.0f;
    ASSERT_TRUE(m.controllerNumber.textToValue("74", value));
    EXPECT_EQ(value, 74.0f);
    EXPECT_FALSE(m.controllerNumber.textToValue("128", value));
    for (const AbstractPluginParameter* p : m.getParameters())
        EXPECT_FALSE(p->getHelpText().empty()) << p->getName();
}

TEST(MidiSourceParameterSet, LabelNamesTheInputOrTheController) {
    VarnelTestOwner owner;
    MidiSourceParameterSet& m = owner.p().midiSources[0];
    EXPECT_EQ(m.getSourceLabel(), "MIDI Source 1 (Mod Wheel)");
    m.input.setValue(2.0f, 0);
    EXPECT_EQ(m.getSourceLabel(), "MIDI Source 1 (Velocity)");
    m.input.setValue(5.0f, 0);
    m.controllerNumber.setValue(74.0f, 0);
    EXPECT_EQ(m.getSourceLabel(), "MIDI Source 1 (74)");
}

} // namespace
