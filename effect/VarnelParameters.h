#pragma once

// Every parameter of the effect, declared in its stored order, shared as a
// base by the plug-in model and the processor (each builds its own copy, so
// both have the same parameters at the same indices). The order is a stored
// format: it fixes each parameter's index in the "ZTBS" state block and in
// presets. Never reorder; add new parameters only at the end.
//
// How to reach things (p is a VarnelParameters):
//   p.delay[d].time / offset / sync / feedback / crossFeedback /
//     feedbackInvert / pan                       d = 0, 1  (indices 0-13)
//   p.feedbackLink (14), p.delayLink (15), p.delayBufferReadStyle (16),
//   p.delayFreeze (17)
//   p.filter[f].freq / pan / peak / characteristic / response / slope /
//     enabled                                    f = 0, 1  (18-31)
//   p.filterRouting (32), p.inputLevel (33), p.dryLevel (34), p.dryPan (35),
//   p.wetLevel (36), p.wetPan (37), p.channelMode (38)
//   p.xyControllers[k].hor / ver (list, count at 39)
//   p.xlfos[k].frequency ... snap, p.xlfos[k].steps[i].value ... random
//     (count at 48)
//   p.egs[k].hold ... release (count 487), p.efs[k].input / attack /
//     release (count 536), p.midiSources[k].input / controllerNumber /
//     responseCurve (count 549)
//   p.receiveMidi (580), p.slots (count 581; slot sets via
//     p.slots.getSet(i) or getSlotSet(i)), p.autoMuteSelfOsc (702),
//   p.auditionSignal (703), p.dryEnabled (704)
//   p.filterLinkFreq, p.filterLinkPeak: MIDI-learnable virtual parameters
//     (no state index) moving both filters' Freq / Peak.
//   A list's count: p.xlfos.getNumActiveParameter(); its sets: p.xlfos[k].
//   Modulation numbers: VarnelModulation (effect/VarnelModulation.h).
//
// Construction: the owner (the model or the processor) passes itself as
// parameter owner, plug-in base and modulation-matrix owner; the
// constructor fills the plug-in info and the matrix layout, registers every
// parameter, the filter link targets and "Receive Midi" as the MIDI state
// parameter. The owner then calls setupParameterInfo() once.
//
// Decisions where the declarations leave a choice:
//   - Feedback runs 0..1 through the seven-point map (its modulation group
//     holds it in 0..1); Cross Feedback 0..2.
//   - "Receive Midi" keeps the framework's values (0 lets MIDI through) and
//     shows them as "Enabled,Disabled".
//   - Filter Pan: -3.5..3.5 octaves. EG Threshold: linear gain 0..1 through
//     the seven-point map, shown in dB, default 0.1 (-20 dB). EG Sustain:
//     -60..0 dB. EF Attack 10 ms, Release 250 ms. XLFO Frequency 1 Hz.
//     MIDI Controller Number 1.
//   - Every list's count runs 0..its number of sets, default 0; XLFO steps
//     2..16, default 2. Switches and choices start at index 0, "Dry Enabled"
//     at 1.
//
// Threading: built and set up on the owner's thread; afterwards as the
// parameters themselves (PluginParameter.h).

#include "dsp/DelayLine.h"
#include "effect/DelayParameterSet.h"
#include "effect/EFParameterSet.h"
#include "effect/EGParameterSet.h"
#include "effect/FilterParameterSet.h"
#include "effect/MidiSourceParameterSet.h"
#include "effect/VarnelModulation.h"
#include "effect/VarnelParameterTypes.h"
#include "effect/XLFOParameterSet.h"
#include "effect/XYParameterSet.h"
#include "modulation/ModulationMatrixOwner.h"
#include "modulation/ModulationSlotParameterSetList.h"
#include "modulation/ModulationTargetParameterBase.h"
#include "plugin/GenericPluginBase.h"
#include "plugin/PluginParameterSet.h"

#include <cstdint>

using DelayParameterSetArray = ParameterSetArray<DelayParameterSet>;
using FilterParameterSetArray = ParameterSetArray<FilterParameterSet>;

class VarnelParameters {
    // Fills the plug-in info and the matrix layout before any member needs
    // them (the slot list reads the layout's sizes).
    struct Preparation {
        Preparation(GenericPluginBase& pluginBase, ModulationMatrixOwner& matrixOwner);
    };
    Preparation preparation_;

public:
    using TargetParameter = ModulationTargetParameterBase<FloatPluginParameter>;

    // Parameter counts and landmark indices.
    static constexpr std::int32_t kNumParameters = 705;
    static constexpr std::int32_t kFeedbackLinkIndex = 14;
    static constexpr std::int32_t kDelayFreezeIndex = 17;
    static constexpr std::int32_t kFirstFilterIndex = 18;
    static constexpr std::int32_t kFilterRoutingIndex = 32;
    static constexpr std::int32_t kInputLevelIndex = 33;
    static constexpr std::int32_t kChannelModeIndex = 38;
    static constexpr std::int32_t kNumActiveXYIndex = 39;
    static constexpr std::int32_t kNumActiveXLFOsIndex = 48;
    static constexpr std::int32_t kParametersPerXLFO = 73;
    static constexpr std::int32_t kNumActiveEGsIndex = 487;
    static constexpr std::int32_t kNumActiveEFsIndex = 536;
    static constexpr std::int32_t kNumActiveMidiSourcesIndex = 549;
    static constexpr std::int32_t kReceiveMidiIndex = 580;
    static constexpr std::int32_t kNumActiveSlotsIndex = 581;
    static constexpr std::int32_t kAutoMuteSelfOscIndex = 702;
    static constexpr std::int32_t kAuditionSignalIndex = 703;
    static constexpr std::int32_t kDryEnabledIndex = 704;

    static constexpr float kMinimumInputDb = -36.0f;
    static constexpr float kMaximumInputDb = 36.0f;

    VarnelParameters(GenericParameterOwner& owner, GenericPluginBase& pluginBase,
                     ModulationMatrixOwner& matrixOwner);
    VarnelParameters(const VarnelParameters&) = delete;
    VarnelParameters& operator=(const VarnelParameters&) = delete;
    ~VarnelParameters();

    // Ranges, defaults, value names and help texts of every parameter (the
    // values become the defaults). Once, after construction.
    void setupParameterInfo();

    DelayParameterSetArray delay;
    IndexedPluginParameter<DelayLinkState> feedbackLink;
    IndexedPluginParameter<DelayLinkState> delayLink;
    IndexedPluginParameter<DelayLine::ReadType> delayBufferReadStyle;
    IndexedPluginParameter<bool> delayFreeze;
    FilterParameterSetArray filter;
    IndexedPluginParameter<FilterRouting> filterRouting;
    TargetParameter inputLevel;
    TargetParameter dryLevel;
    TargetParameter dryPan;
    TargetParameter wetLevel;
    TargetParameter wetPan;
    IndexedPluginParameter<ChannelMode> channelMode;
    XYParameterSetList xyControllers;
    XLFOParameterSetList xlfos;
    EGParameterSetList egs;
    EFParameterSetList efs;
    MidiSourceParameterSetList midiSources;
    IndexedPluginParameter<GenericPluginBase::MidiState> receiveMidi;
    ModulationSlotParameterSetList slots;
    IndexedPluginParameter<bool> autoMuteSelfOsc;
    IndexedPluginParameter<AuditionSignal> auditionSignal;
    IndexedPluginParameter<bool> dryEnabled;
    MidiMultiVirtualPluginParameter filterLinkFreq;
    MidiMultiVirtualPluginParameter filterLinkPeak;
};
