#include "effect/VarnelParameters.h"

#include "dsp/wave/Environment.h"
#include "effect/tests/VarnelOwnerFixture.h"
#include "foundation/tests/AllocationCounter.h"
#include "modulation/ModulationMatrix.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace {

using test::VarnelTestOwner;
using TargetParameter = VarnelParameters::TargetParameter;

std::string nameAt(VarnelTestOwner& owner, int32_t index) {
    AbstractPluginParameter* p = owner.getParameter(index);
    return p != nullptr ? p->getName() : std::string("<none>");
}

TEST(VarnelParameters, DeclaresEveryParameterInItsStoredOrder) {
    VarnelTestOwner owner;
    EXPECT_EQ(owner.getNumParameters(), 705);
    struct Landmark {
        int32_t index;
        const char* name;
    };
    const Landmark landmarks[] = {
        {0, "Delay 1 Time"},
        {6, "Delay 1 Pan"},
        {7, "Delay 2 Time"},
        {13, "Delay 2 Pan"},
        {14, "Feedback Link"},
        {15, "Delay Link"},
        {16, "Delay Buffer Read Style"},
        {17, "Delay Freeze"},
        {18, "Filter 1 Freq"},
        {24, "Filter 1 Enabled"},
        {31, "Filter 2 Enabled"},
        {32, "Filter Routing"},
        {33, "Input Level"},
        {34, "Dry Level"},
        {35, "Dry Pan"},
        {36, "Wet Level"},
        {37, "Wet Pan"},
        {38, "Channel Mode"},
        {39, "Num Active XY Controllers"},
        {40, "XY Controller 1 Hor"},
        {47, "XY Controller 4 Ver"},
        {48, "Num Active XLFOs"},
        {49, "XLFO 1 Frequency"},
        {56, "XLFO 1 Snap"},
        {57, "Num Active XLFO 1 Steps"},
        {58, "XLFO 1 Step 1 Value"},
        {61, "XLFO 1 Step 1 Random"},
        {121, "XLFO 1 Step 16 Random"},
        {122, "XLFO 2 Frequency"},
        {486, "XLFO 6 Step 16 Random"},
        {487, "Num Active EGs"},
        {488, "EG 1 Hold"},
        {490, "EG 1 Threshold"},
        {495, "EG 1 Release"},
        {535, "EG 6 Release"},
        {536, "Num Active EFs"},
        {537, "EF 1Input"},
        {548, "EF 4 Release"},
        {549, "Num Active MIDI Sources"},
        {550, "MIDI Source 1 Input"},
        {551, "MIDI Source 1 Controller Number"},
        {579, "MIDI Source 10 Response Curve"},
        {580, "Receive Midi"},
        {581, "Num Active Slots"},
        {582, "Slot 1 Source"},
        {701, "Slot 24 Target"},
        {702, "Auto Mute Self-Osc"},
        {703, "Audition Signal"},
        {704, "Dry Enabled"},
    };
    for (const Landmark& l : landmarks)
        EXPECT_EQ(nameAt(owner, l.index), l.name) << "index " << l.index;
    for (int32_t i = 0; i < owner.getNumParameters(); ++i)
        EXPECT_EQ(owner.getParameter(i)->getIndex(), i);
}

TEST(VarnelParameters, MembersSitAtTheirIndices) {
    VarnelTestOwner owner;
    VarnelParameters& p = owner.p();
    EXPECT_EQ(p.delay[1].crossFeedback.getIndex(), 11);
    EXPECT_EQ(p.feedbackLink.getIndex(), VarnelParameters::kFeedbackLinkIndex);
    EXPECT_EQ(p.delayFreeze.getIndex(), VarnelParameters::kDelayFreezeIndex);
    EXPECT_EQ(p.filter[0].freq.getIndex(), VarnelParameters::kFirstFilterIndex);
    EXPECT_EQ(p.filterRouting.getIndex(), VarnelParameters::kFilterRoutingIndex);
    EXPECT_EQ(p.inputLevel.getIndex(), VarnelParameters::kInputLevelIndex);
    EXPECT_EQ(p.channelMode.getIndex(), VarnelParameters::kChannelModeIndex);
    EXPECT_EQ(p.xyControllers.getNumActiveParameter().getIndex(), VarnelParameters::kNumActiveXYIndex);
    EXPECT_EQ(p.xlfos.getNumActiveParameter().getIndex(), VarnelParameters::kNumActiveXLFOsIndex);
    EXPECT_EQ(p.egs.getNumActiveParameter().getIndex(), VarnelParameters::kNumActiveEGsIndex);
    EXPECT_EQ(p.efs.getNumActiveParameter().getIndex(), VarnelParameters::kNumActiveEFsIndex);
    EXPECT_EQ(p.midiSources.getNumActiveParameter().getIndex(), VarnelParameters::kNumActiveMidiSourcesIndex);
    EXPECT_EQ(p.receiveMidi.getIndex(), VarnelParameters::kReceiveMidiIndex);
    EXPECT_EQ(p.slots.getNumActiveParameter().getIndex(), VarnelParameters::kNumActiveSlotsIndex);
    EXPECT_EQ(p.autoMuteSelfOsc.getIndex(), VarnelParameters::kAutoMuteSelfOscIndex);
    EXPECT_EQ(p.auditionSignal.getIndex(), VarnelParameters::kAuditionSignalIndex);
    EXPECT_EQ(p.dryEnabled.getIndex(), VarnelParameters::kDryEnabledIndex);
    for (int32_t k = 0; k < p.xlfos.getNumSets(); ++k)
        EXPECT_EQ(p.xlfos[k].getNumParameters(), VarnelParameters::kParametersPerXLFO);
    EXPECT_EQ(p.egs[0].getNumParameters(), 8);
    EXPECT_EQ(p.efs[0].getNumParameters(), 3);
    EXPECT_EQ(p.midiSources[0].getNumParameters(), 3);
    EXPECT_EQ(p.delay.getNumSets(), 2);
    EXPECT_EQ(p.filter.getNumSets(), 2);
    EXPECT_EQ(p.slots.getNumSets(), 24);
    EXPECT_EQ(p.midiSources[9].getShortName(), "MS 10");
}

TEST(VarnelParameters, StateBlockHoldsEveryValue) {
    VarnelTestOwner owner;
    std::ostringstream out;
    ASSERT_TRUE(owner.writeParameterState(out));
    const std::string bytes = out.str();
    EXPECT_EQ(bytes.size(), 2832u);
    EXPECT_EQ(bytes.substr(0, 4), "ZTBS");

    // A second owner reads it back to the same values.
    owner.p().delay[0].feedback.setValue(0.7f, 0);
    owner.p().dryEnabled.setValue(0.0f, 0);
    owner.p().xlfos[2].steps.getNumActiveParameter().setValue(9.0f, 0);
    std::ostringstream changed;
    ASSERT_TRUE(owner.writeParameterState(changed));
    VarnelTestOwner other;
    std::istringstream in(changed.str());
    ASSERT_TRUE(other.readParameterState(in));
    for (int32_t i = 0; i < owner.getNumParameters(); ++i)
        EXPECT_EQ(other.getParameter(i)->getValue(), owner.getParameter(i)->getValue()) << nameAt(owner, i);
}

TEST(VarnelParameters, DescribesThePlugInAndRecordsMidiStateAndFilterLinks) {
    VarnelTestOwner owner;
    EXPECT_EQ(owner.pluginKind, 3u);
    EXPECT_EQ(owner.pluginFlags, 0x1008u);
    EXPECT_EQ(owner.pluginId, "ZVms");
    EXPECT_EQ(owner.pluginName, "Varnel");
    EXPECT_TRUE(owner.hasFlag(GenericPluginInfo::kFlagSideChainInput));

    VarnelParameters& p = owner.p();
    EXPECT_EQ(owner.getMidiStateParameter(), &p.receiveMidi);

    ASSERT_EQ(owner.getNumMidiVirtualParameters(), 2);
    EXPECT_EQ(owner.getMidiVirtualParameter(0), &p.filterLinkFreq);
    EXPECT_EQ(owner.getMidiVirtualParameter(1), &p.filterLinkPeak);
    EXPECT_EQ(p.filterLinkFreq.getName(), "Filter Link Freq");
    EXPECT_EQ(p.filterLinkFreq.getIndex(), MidiVirtualPluginParameter::kIndexBase);
    ASSERT_EQ(p.filterLinkFreq.getTargets().size(), 2u);
    EXPECT_EQ(p.filterLinkFreq.getTargets()[0], &p.filter[0].freq);
    EXPECT_EQ(p.filterLinkFreq.getTargets()[1], &p.filter[1].freq);
    ASSERT_EQ(p.filterLinkPeak.getTargets().size(), 2u);
    EXPECT_EQ(p.filterLinkPeak.getTargets()[1], &p.filter[1].peak);

    // A controller moves both peaks together.
    p.filterLinkPeak.setValue(0.5f);
    EXPECT_FLOAT_EQ(p.filter[0].peak.getValue(), 0.5f);
    EXPECT_FLOAT_EQ(p.filter[1].peak.getValue(), 0.5f);
}

TEST(VarnelParameters, AFreshOwnerHasDryEnabledOnAndEveryOtherSwitchAtIndexZero) {
    VarnelTestOwner owner;
    VarnelParameters& p = owner.p();
    EXPECT_EQ(p.dryEnabled.getValue(), 1.0f);
    EXPECT_EQ(p.dryEnabled.getDefault(), 1.0f);
    EXPECT_TRUE(p.dryEnabled.getTypedValue());
    for (AbstractPluginParameter* s : std::initializer_list<AbstractPluginParameter*>{
             &p.feedbackLink, &p.delayLink, &p.delayBufferReadStyle, &p.delayFreeze, &p.filterRouting,
             &p.channelMode, &p.receiveMidi, &p.autoMuteSelfOsc, &p.auditionSignal}) {
        EXPECT_EQ(s->getValue(), 0.0f) << s->getName();
        EXPECT_EQ(s->getDefault(), 0.0f) << s->getName();
    }
    EXPECT_EQ(p.receiveMidi.getTypedValue(), GenericPluginBase::kMidiReceived);
    EXPECT_EQ(p.delayBufferReadStyle.getTypedValue(), DelayLine::kTape);
    for (int32_t d = 0; d < 2; ++d) {
        EXPECT_EQ(p.delay[d].sync.getTypedValue(), DelaySync::kFree);
        EXPECT_EQ(p.delay[d].feedbackInvert.getTypedValue(), FeedbackInvert::kNormal);
        EXPECT_EQ(p.filter[d].enabled.getTypedValue(), false);
        EXPECT_EQ(p.filter[d].characteristic.getTypedValue(), FilterCharacteristic::kZentorPrime);
    }
}

TEST(VarnelParameters, InputDryAndWetLevels) {
    VarnelTestOwner owner;
    VarnelParameters& p = owner.p();
    // Input Level: decibels, the engine gets the gain.
    EXPECT_EQ(p.inputLevel.getMin(), -36.0f);
    EXPECT_EQ(p.inputLevel.getMax(), 36.0f);
    EXPECT_EQ(p.inputLevel.getValue(), 0.0f);
    EXPECT_NEAR(p.inputLevel.normalizedToInternal(36.0f), 63.0957336f, 1e-4f);
    EXPECT_NEAR(p.inputLevel.normalizedToInternal(-36.0f), 0.0158489f, 1e-7f);
    EXPECT_FLOAT_EQ(p.inputLevel.normalizedToInternal(0.0f), 1.0f);
    EXPECT_EQ(p.inputLevel.formatValue(36.0f), "+36.00 dB");
    EXPECT_EQ(p.inputLevel.getTargetIndex(), 78);

    // Dry and Wet Level: the level curve, shown in decibels.
    for (TargetParameter* level : {&p.dryLevel, &p.wetLevel}) {
        EXPECT_EQ(level->getValue(), 1.0f);
        EXPECT_EQ(level->getDefault(), 1.0f);
        EXPECT_FLOAT_EQ(level->normalizedToInternal(1.0f), 1.0f);
        EXPECT_NEAR(level->normalizedToInternal(0.05f), 0.05f * 0.23988324f, 1e-8f);
        EXPECT_EQ(level->formatValue(1.0f), "0.00 dB");
        EXPECT_EQ(level->formatValue(0.1f), "-32.40 dB");
        float value = 0.0f;
        ASSERT_TRUE(level->textToValue("-32.4 dB", value));
        EXPECT_NEAR(value, 0.1f, 1e-5f);
    }
    for (TargetParameter* pan : {&p.dryPan, &p.wetPan}) {
        EXPECT_EQ(pan->getMin(), -1.0f);
        EXPECT_EQ(pan->getMax(), 1.0f);
        EXPECT_EQ(pan->getValue(), 0.0f);
    }
    EXPECT_EQ(p.dryLevel.getTargetIndex(), 79);
    EXPECT_EQ(p.wetPan.getTargetIndex(), 82);
    EXPECT_EQ(p.dryLevel.getHelpText(), p.dryPan.getHelpText());
    EXPECT_NE(p.dryLevel.getHelpText().find("\n\nThe dry signal is only passed through"), std::string::npos);
}

TEST(VarnelParameters, SwitchValueNames) {
    VarnelTestOwner owner;
    VarnelParameters& p = owner.p();
    struct Case {
        const AbstractPluginParameter* parameter;
        std::vector<std::string> names;
    };
    auto namesOf = [](const AbstractPluginParameter* a) {
        std::vector<std::string> out;
        for (float v = a->getMin(); v <= a->getMax(); v += 1.0f)
            out.push_back(a->formatValue(v));
        return out;
    };
    const Case cases[] = {
        {&p.feedbackLink, {"Separate", "Linked"}},
        {&p.delayLink, {"Separate", "Linked"}},
        {&p.delayBufferReadStyle, {"Tape", "Stretch"}},
        {&p.delayFreeze, {"Off", "On"}},
        {&p.filterRouting, {"Serial", "Parallel", "Per Channel"}},
        {&p.channelMode, {"Left/Right", "Mid/Side"}},
        {&p.receiveMidi, {"Enabled", "Disabled"}},
        {&p.autoMuteSelfOsc, {"Off", "On"}},
        {&p.auditionSignal, {"Output", "Input", "Side Chain"}},
        {&p.dryEnabled, {"Disabled", "Enabled"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(namesOf(c.parameter), c.names) << c.parameter->getName();
        EXPECT_FALSE(c.parameter->getHelpText().empty()) << c.parameter->getName();
    }
    // "Receive Midi" keeps the framework's values: index 0 lets MIDI through.
    p.receiveMidi.setValue(1.0f, 0);
    EXPECT_EQ(p.receiveMidi.getTypedValue(), GenericPluginBase::kMidiBlocked);
    EXPECT_EQ(p.receiveMidi.formatValue(p.receiveMidi.getValue()), "Disabled");
    EXPECT_EQ(p.delayBufferReadStyle.formatValue(static_cast<float>(DelayLine::kStretch)), "Stretch");
}

TEST(VarnelParameters, SlotsAreTheOwnersGrowingListWithLevelsFromZeroToOne) {
    VarnelTestOwner owner;
    VarnelParameters& p = owner.p();
    EXPECT_EQ(owner.getSlotSetList(), &p.slots);
    EXPECT_EQ(owner.getParameterSet(), &p.slots);
    ModulationSlotParameterSet& slot = *p.slots.getSet(23);
    EXPECT_EQ(slot.level.getName(), "Slot 24 Level");
    EXPECT_EQ(slot.level.getTargetIndex(), 106);
    EXPECT_EQ(slot.level.getMin(), 0.0f);
    EXPECT_EQ(slot.level.getMax(), 1.0f);
    EXPECT_EQ(slot.level.getValue(), 0.5f);
    // 34 sources and 107 targets, each with the "none" entry in front.
    EXPECT_EQ(slot.source.getMax(), 34.0f);
    EXPECT_EQ(slot.target.getMax(), 107.0f);
    EXPECT_EQ(slot.source.formatValue(25.0f), "MIDI 1");
    EXPECT_EQ(slot.target.formatValue(1.0f), "Delay 1 Time");
    EXPECT_EQ(slot.target.formatValue(107.0f), "Slot 24 Level");

    EXPECT_EQ(owner.getController().findFreeSlot(), 0);
    EXPECT_EQ(owner.getController().findFreeSlot(), 1);
    EXPECT_EQ(p.slots.getNumActive(), 2);
}

TEST(VarnelParameters, TwoOwnersDeclareTheSameParameters) {
    VarnelTestOwner model;
    VarnelTestOwner processor(true);
    ASSERT_EQ(model.getNumParameters(), processor.getNumParameters());
    for (int32_t i = 0; i < model.getNumParameters(); ++i) {
        const AbstractPluginParameter* a = model.getParameter(i);
        const AbstractPluginParameter* b = processor.getParameter(i);
        EXPECT_EQ(a->getName(), b->getName());
        EXPECT_EQ(a->getDefault(), b->getDefault()) << a->getName();
        EXPECT_EQ(a->getValue(), a->getDefault()) << a->getName();
        EXPECT_EQ(a->getHostName(), a->getName());
    }
}

TEST(VarnelParameters, HostileStateBlocksLeaveEveryValueInRange) {
    VarnelTestOwner owner;
    std::ostringstream out;
    ASSERT_TRUE(owner.writeParameterState(out));
    std::string bytes = out.str();
    const float hostile[] = {std::numeric_limits<float>::quiet_NaN(),
                             std::numeric_limits<float>::infinity(),
                             -std::numeric_limits<float>::infinity(),
                             1e30f,
                             -1e30f,
                             -3.0f,
                             200.5f};
    for (size_t i = 12; i + 4 <= bytes.size(); i += 4) {
        const float v = hostile[(i / 4) % std::size(hostile)];
        std::memcpy(&bytes[i], &v, 4);
    }
    for (size_t length : {bytes.size(), bytes.size() - 2, size_t{1000}, size_t{13}}) {
        VarnelTestOwner other;
        std::istringstream in(bytes.substr(0, length));
        other.readParameterState(in);
        for (int32_t i = 0; i < other.getNumParameters(); ++i) {
            const AbstractPluginParameter* a = other.getParameter(i);
            const float v = a->getValue();
            EXPECT_TRUE(std::isfinite(v)) << a->getName();
            EXPECT_GE(v, a->getMin()) << a->getName();
            EXPECT_LE(v, a->getMax()) << a->getName();
        }
    }
}

// On the processor side a changed target parameter reaches the matrix as
// the engine value: milliseconds, gains, hertz, seconds, octaves.
TEST(VarnelParameters, TargetsReachTheMatrixInEngineUnits) {
    VarnelTestOwner owner(true);
    wave::Environment environment;
    ModulationMatrix matrix(environment, owner.getLayout());
    owner.setModulationMatrix(&matrix);
    VarnelParameters& p = owner.p();
    struct Case {
        TargetParameter* parameter;
        float value; // the parameter's value
        float amount;
    };
    const Case cases[] = {
        {&p.delay[0].time, p.delay[0].time.internalToNormalized(375.0f), 375.0f},
        {&p.delay[1].feedback, 1.0f, 1.0f},
        {&p.delay[1].crossFeedback, 1.0f, 2.0f},
        {&p.filter[0].freq, 10.0f, 10.0f},
        {&p.filter[1].pan, -2.0f, -2.0f},
        {&p.xlfos[5].frequency, 0.8f, 0.02f + 0.1f * 499.98f},
        {&p.egs[2].sustain, -20.0f, 0.1f},
        {&p.efs[3].release, 1.0f, 5.0f},
        {&p.inputLevel, 36.0f, 63.0957336f},
        {&p.dryLevel, 0.1f, 0.023988324f},
        {p.slots.getSet(4) != nullptr ? &p.slots.getSet(4)->level : nullptr, 0.7f, 0.36f},
    };
    for (const Case& c : cases) {
        ASSERT_NE(c.parameter, nullptr);
        c.parameter->setValue(c.value, 0);
        EXPECT_NEAR(matrix.getTarget(c.parameter->getTargetIndex()).amount, c.amount,
                    1e-4f * std::fabs(c.amount))
            << c.parameter->getName();
    }
    owner.setModulationMatrix(nullptr);
}

// The processor's queue drain applies values on the audio thread: applying
// every parameter at its extremes allocates nothing.
TEST(VarnelParameters, ApplyingValuesAllocatesNothing) {
    VarnelTestOwner owner(true);
    wave::Environment environment;
    ModulationMatrix matrix(environment, owner.getLayout());
    owner.setModulationMatrix(&matrix);
    VarnelParameters& p = owner.p();
    test::AllocationCounter counter;
    for (int round = 0; round < 2; ++round)
        for (int32_t i = 0; i < owner.getNumParameters(); ++i) {
            AbstractPluginParameter* a = owner.getParameter(i);
            a->applyValue(round == 0 ? a->getMax() : a->getMin());
        }
    // All 24 slots from XLFO 1 onto "Delay 1 Time".
    for (int32_t s = 0; s < p.slots.getNumSets(); ++s) {
        p.slots.getSet(s)->source.applyValue(1.0f + static_cast<float>(VarnelModulation::kFirstXLFOSource));
        p.slots.getSet(s)->target.applyValue(1.0f);
    }
    EXPECT_EQ(counter.allocations(), 0u);
    owner.setModulationMatrix(nullptr);
}

} // namespace
