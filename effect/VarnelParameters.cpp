#include "effect/VarnelParameters.h"

#include "dsp/ValueMaps.h"
#include "effect/VarnelInit.h"
#include "effect/VarnelValueMaps.h"

#include <memory>

namespace {
using V = VarnelModulation;

const char* const kDryHelp =
    "The combined Dry Level/Pan knobs are used to adjust the amount of the dry signal that "
    "passes through. The outer ring sets the panning, the inner knob the overall level. "
    "Both are modulation targets.\n\nThe dry signal is only passed through when the Dry "
    "Enabled switch is active.";
const char* const kWetHelp =
    "The combined Wet Level/Pan knobs are used to adjust the amount of the delayed (wet) "
    "signal that passes through. The outer ring sets the panning, the inner knob the overall "
    "level. Both are modulation targets.";

template <class T>
void setupSwitch(IndexedPluginParameter<T>& p, std::int32_t highest, const char* names, std::int32_t value,
                 const char* help) {
    p.setRange(0, highest);
    p.setValueNames(names);
    p.setDefault(value);
    p.initValue(value);
    p.setHelpText(help);
}

void setupLevel(FloatPluginParameter& p, const char* help) {
    p.setRange(0.0f, 1.0f);
    p.setCurve(levelFromPosition, positionFromLevel);
    p.setDisplayMap(gainToDb, dbToGain);
    p.setUnit(&ParameterUnits::dB);
    p.setDefault(1.0f);
    p.initValue(1.0f);
    p.setHelpText(help);
}

void setupPan(FloatPluginParameter& p, const char* help) {
    p.setRange(-1.0f, 1.0f);
    p.setNumberFormat("%.2f");
    p.setDefault(0.0f);
    p.initValue(0.0f);
    p.setHelpText(help);
}

template <class List> void setupSets(List& list) {
    for (std::int32_t i = 0; i < list.getNumSets(); ++i)
        list[i].setupParameterInfo();
}
} // namespace

VarnelParameters::Preparation::Preparation(GenericPluginBase& pluginBase,
                                           ModulationMatrixOwner& matrixOwner) {
    VarnelInit::fillPluginInfo(pluginBase);
    V::fillLayout(matrixOwner.getLayout());
}

VarnelParameters::VarnelParameters(GenericParameterOwner& owner, GenericPluginBase& pluginBase,
                                   ModulationMatrixOwner& matrixOwner)
    : preparation_(pluginBase, matrixOwner),
      delay(2, [&](std::int32_t i) { return std::make_unique<DelayParameterSet>(&owner, &matrixOwner, i); }),
      feedbackLink(&owner, "Feedback Link"), delayLink(&owner, "Delay Link"),
      delayBufferReadStyle(&owner, "Delay Buffer Read Style"), delayFreeze(&owner, "Delay Freeze"),
      filter(2,
             [&](std::int32_t i) { return std::make_unique<FilterParameterSet>(&owner, &matrixOwner, i); }),
      filterRouting(&owner, "Filter Routing"),
      inputLevel(&owner, "Input Level", &matrixOwner, V::kInputLevelTarget),
      dryLevel(&owner, "Dry Level", &matrixOwner, V::kDryLevelTarget),
      dryPan(&owner, "Dry Pan", &matrixOwner, V::kDryPanTarget),
      wetLevel(&owner, "Wet Level", &matrixOwner, V::kWetLevelTarget),
      wetPan(&owner, "Wet Pan", &matrixOwner, V::kWetPanTarget), channelMode(&owner, "Channel Mode"),
      xyControllers(
          &owner, "XY Controllers", V::kNumXY,
          [&](std::int32_t i) { return std::make_unique<XYParameterSet>(&owner, i); }, &matrixOwner,
          SourceSetNumbering{V::kFirstXYSource, V::kSourcesPerXY, 0, 0}),
      xlfos(
          &owner, "XLFOs", V::kNumXLFOs,
          [&](std::int32_t i) { return std::make_unique<XLFOParameterSet>(&owner, &matrixOwner, i); },
          &matrixOwner,
          SourceSetNumbering{V::kFirstXLFOSource, 1, V::kFirstXLFOTarget, V::kXLFOTargetsPerSet}),
      egs(
          &owner, "EGs", V::kNumEGs,
          [&](std::int32_t i) { return std::make_unique<EGParameterSet>(&owner, &matrixOwner, i); },
          &matrixOwner, SourceSetNumbering{V::kFirstEGSource, 1, V::kFirstEGTarget, V::kEGTargetsPerSet}),
      efs(
          &owner, "EFs", V::kNumEFs,
          [&](std::int32_t i) { return std::make_unique<EFParameterSet>(&owner, &matrixOwner, i); },
          &matrixOwner, SourceSetNumbering{V::kFirstEFSource, 1, V::kFirstEFTarget, V::kEFTargetsPerSet}),
      midiSources(
          &owner, "MIDI Sources", V::kNumMidiSources,
          [&](std::int32_t i) { return std::make_unique<MidiSourceParameterSet>(&owner, i); }, &matrixOwner,
          SourceSetNumbering{V::kFirstMidiSource, 1, 0, 0}),
      receiveMidi(&owner, "Receive Midi"),
      slots(&owner, &matrixOwner, "Slots", V::sourceNames(), V::targetNames()),
      autoMuteSelfOsc(&owner, "Auto Mute Self-Osc"), auditionSignal(&owner, "Audition Signal"),
      dryEnabled(&owner, "Dry Enabled"), filterLinkFreq(pluginBase, "Filter Link Freq"),
      filterLinkPeak(pluginBase, "Filter Link Peak") {
    for (std::int32_t f = 0; f < filter.getNumSets(); ++f) {
        filterLinkFreq.addParameter(&filter[f].freq);
        filterLinkPeak.addParameter(&filter[f].peak);
    }
    pluginBase.setMidiStateParameter(&receiveMidi);
    dryEnabled.initValue(true);
}

VarnelParameters::~VarnelParameters() = default;

void VarnelParameters::setupParameterInfo() {
    setupSets(delay);
    setupSwitch(
        feedbackLink, 1, "Separate,Linked", 0,
        "When active, the Feedback Link switch synchronizes the left and right feedback and cross-feedback "
        "settings. In this case, the feedback controls for the right delay line are dimmed and the controls "
        "for the left delay line are used for both delay lines.");
    setupSwitch(
        delayLink, 1, "Separate,Linked", 0,
        "When active, the Delay Link switch synchronizes the delay time of the left and right delay lines. "
        "In this case, the right delay line controls are dimmed and the controls for the left delay line are "
        "used for both delay lines.");
    setupSwitch(
        delayBufferReadStyle, 1, "Tape,Stretch", 0,
        "The Delay Style switch toggles between classic tape delay behavior, and time-stretching behavior. "
        "In Tape mode, the pitch changes when you change the delay time, for example enabling scratch "
        "effects. In Stretch mode, the pitch is kept constant and Varnel 2 will slow down or speed up the "
        "delayed sound instead.");
    setupSwitch(
        delayFreeze, 1, "Off,On", 0,
        "When the Delay Freeze button is active, the delay lines keep repeating the sound that is currently "
        "in the buffer. No new sound will be added via the input or feedback lines as long as Freeze is "
        "active. You can still vary the delay time, which will alter the sound in the buffer, and of course "
        "you can filter the output signal.");
    setupSets(filter);
    setupSwitch(
        filterRouting, 2, "Serial,Parallel,Per Channel", 0,
        "The Filter Routing button sets the internal routing of the two filters. They can be routed in "
        "serial mode (one after another), parallel (input signal to both filters and then added), or per "
        "channel (left delay line to filter 1 and right delay line to filter 2).");

    inputLevel.setRange(kMinimumInputDb, kMaximumInputDb);
    inputLevel.setCurve(dbToGain, gainToDb);
    inputLevel.setDisplayMap(gainToDb, dbToGain);
    inputLevel.setUnit(&ParameterUnits::dB);
    inputLevel.setDefault(0.0f);
    inputLevel.initValue(0.0f);
    inputLevel.setHelpText("The Input Gain knob controls the level of the incoming signal before it is fed "
                           "to the left and right delay "
                           "lines. Because the filters have a clipping level (depending on the "
                           "characteristic), this controls the "
                           "amount of distortion. For example, to get maximum distortion, select the Raw "
                           "filter characteristic, set "
                           "Input Gain to +36 dB and adjust the Wet Level knob accordingly.");
    setupLevel(dryLevel, kDryHelp);
    setupPan(dryPan, kDryHelp);
    setupLevel(wetLevel, kWetHelp);
    setupPan(wetPan, kWetHelp);
    setupSwitch(
        channelMode, 1, "Left/Right,Mid/Side", 0,
        "The Channel Mode option selects how the two channels in Varnel 2 are used: in normal stereo mode "
        "(Left/Right) or in Mid/Side mode. Mid/Side mode lets you create a wide variety of stereo effects "
        "that are otherwise not possible.");

    setupSets(xyControllers);
    setupSets(xlfos);
    setupSets(egs);
    setupSets(efs);
    setupSets(midiSources);
    xyControllers.getNumActiveParameter().setHelpText("The number of XY controllers in use.");
    xlfos.getNumActiveParameter().setHelpText("The number of XLFOs in use.");
    egs.getNumActiveParameter().setHelpText("The number of envelope generators in use.");
    efs.getNumActiveParameter().setHelpText("The number of envelope followers in use.");
    midiSources.getNumActiveParameter().setHelpText("The number of MIDI sources in use.");

    // Value 0 lets MIDI through (the framework's MIDI state), so index 0 is
    // named "Enabled"; stored values stay as they are.
    setupSwitch(receiveMidi, 1, "Enabled,Disabled", 0,
                "Enabled lets the plug-in receive MIDI: notes, controllers and program changes for the MIDI "
                "sources, envelopes and MIDI learn. Disabled ignores all incoming MIDI.");

    for (std::int32_t i = 0; i < slots.getNumSets(); ++i)
        slots.getSet(i)->setupParameterInfo();
    slots.getNumActiveParameter().setHelpText("The number of modulation slots in use.");

    setupSwitch(
        autoMuteSelfOsc, 1, "Off,On", 0,
        "The Auto Mute Self-Oscillation switch controls if self-oscillation is muted when there is no input "
        "signal. Depending on the selected filter characteristic, the filters can self-oscillate with "
        "extreme "
        "peak settings, even when there is no input signal. If Auto Mute Self-Oscillation is set to On, the "
        "self-oscillation is muted in that case, to make sure Varnel 2 only produces sound when there is an "
        "input signal.");
    setupSwitch(
        auditionSignal, 2, "Output,Input,Side Chain", 0,
        "The Audition button selects the signal you listen to: either the output signal (normal operation), "
        "the input signal (in effect bypassing the plug-in), or the side-chain signal. The side-chain signal "
        "can be used as a trigger signal by the EG and EF modulation sources.");
    setupSwitch(
        dryEnabled, 1, "Disabled,Enabled", 1,
        "The Dry Enabled switch enables or disables the dry signal altogether. Disabling the dry signal is "
        "useful when you use Varnel 2 as a send effect. Because the Dry Enabled switch is not saved or "
        "loaded "
        "with presets, you can then try different presets (each with their own dry settings) while still "
        "hearing only the wet signal.");
}
