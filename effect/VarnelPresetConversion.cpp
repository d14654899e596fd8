// The conversion of presets of versions 1 to 4 (VarnelPresetLoader): delay
// times whose range changed, the combined feedback of version 1, the fixed
// LFOs and MIDI sources of versions 1 and 2, the old numbering of sources
// and targets, and the modulation amounts whose scale changed.

#include "effect/VarnelModulation.h"
#include "effect/VarnelPresetLoader.h"
#include "modulation/ModMatrixParamController.h"
#include "modulation/ModulationMatrixOwner.h"
#include "modulation/ModulationValueMaps.h"
#include "plugin/PluginParameterSet.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace {

using M = VarnelModulation;

// Targets the conversion moves or rescales.
constexpr int32_t kDelay1Feedback = M::kFirstDelayTarget + M::kDelayFeedback;           // 2
constexpr int32_t kDelay2Feedback = kDelay1Feedback + M::kDelayTargetsPerSet;           // 7
constexpr int32_t kDelay1CrossFeedback = M::kFirstDelayTarget + M::kDelayCrossFeedback; // 3
constexpr int32_t kFilter1Freq = M::kFirstFilterTarget + M::kFilterFreq;                // 10
constexpr int32_t kFilter2Freq = kFilter1Freq + M::kFilterTargetsPerSet;                // 13

// Old source numbers (version 1: 2 LFOs, 2 MIDI; version 2: 2 LFOs, an EG,
// 5 MIDI) to today's.
constexpr std::array<int32_t, 4> kVersion1Sources = {8, 9, 24, 25};
constexpr std::array<int32_t, 8> kVersion2Sources = {8, 9, 14, 24, 25, 26, 27, 28};
// Old target numbers below the old slot levels; -1: no such target today.
constexpr std::array<int32_t, 21> kVersion1Targets = {0,  1,  5,  6,  2,  -1, 3,  -1, 10, 11, 12,
                                                      13, 14, 15, 16, 19, 78, 79, 80, 81, 82};
constexpr std::array<int32_t, 27> kVersion2Targets = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13,
                                                      14, 15, 16, 19, 36, 37, 38, 39, 78, 79, 80, 81, 82};

// Old delay-time ranges: ms = curve(value) x span + minimum.
constexpr float kVersion1TimeSpan = 2475.0f;
constexpr float kVersion1TimeMinimum = 25.0f;
constexpr float kVersion2TimeSpan = 4990.0f;
constexpr float kVersion2TimeMinimum = 10.0f;

// The XLFO frequency offset of the old LFO's half and double speeds: log2
// of 2/3 and of 3/2.
constexpr float kSlowerOffset = -0.5849624f;
constexpr float kFasterOffset = 0.5849625f;

// MIDI source inputs.
enum MidiInput : int32_t { kModWheel = 0, kPitchBend = 1, kVelocity = 2, kAftertouch = 3, kKBTrack = 4 };

// The scale corrections of the MIDI sources: group (-1 all), factor a / b.
struct MidiCorrection {
    int32_t group;
    float a;
    float b;
};
struct MidiCorrections {
    MidiInput input;
    std::vector<MidiCorrection> rows;
};

const std::vector<MidiCorrections>& midiCorrections() {
    static const std::vector<MidiCorrections> table = {
        {kVelocity, {{-1, 1.0f, 2.0f}, {0, 2.0f, 1.0f}, {6, 2.0f, 1.0f}, {5, 5.0f, 7.0f}}},
        {kPitchBend,
         {{16, 1.0f, 2.0f}, {5, 10.0f, 7.0f}, {11, 1.0f, 2.0f}, {12, 1.0f, 2.0f}, {13, 1.0f, 2.0f}}},
        {kKBTrack,
         {{0, 1.5126051f, 1.0f},
          {16, 5.042017f, 2.0f},
          {6, 60.5042f, 25.0f},
          {5, 5.0f, 7.0f},
          {11, 3.0252099f, 1.5f},
          {12, 5.0420165f, 2.5f},
          {13, 5.0420165f, 2.5f}}},
        {kModWheel, {{5, 10.0f, 7.0f}}},
    };
    return table;
}

// A stored number as an integer, truncated toward zero; 0 for what no
// release wrote (not finite, or far beyond any item).
int32_t truncated(float x) {
    return std::fabs(x) < 1.0e6f ? static_cast<int32_t>(x) : 0;
}

float finiteOrZero(float x) {
    return std::isfinite(x) ? x : 0.0f;
}

std::string setName(const char* base, int32_t number) {
    return base + std::to_string(number);
}

template <size_t N> int32_t renumbered(const std::array<int32_t, N>& table, int32_t old) {
    return old >= 0 && static_cast<size_t>(old) < N ? table[static_cast<size_t>(old)] : -1;
}

} // namespace

void VarnelPresetLoader::convertOlderVersion(int32_t version) {
    if (version < kFirstVersion || version >= kCurrentVersion) return;
    for (float* holding :
         {&oldFeedback_, &oldFeedbackBalance_, &oldCrossFeedback_, &oldCrossFeedbackBalance_})
        *holding = finiteOrZero(*holding);
    for (auto& record : oldXLFO_)
        for (float& field : record)
            field = finiteOrZero(field);

    convertFeedbackAndTime(version);
    if (version >= 3) {
        rescaleChangedAmounts();
        return;
    }
    convertOldXLFO(0);
    convertOldXLFO(1);
    set("Num Active EGs", version == 1 ? 0.0f : 1.0f);
    if (version == 2 && truncated(value("EG 1 Triggering")) == 1) set("EG 1 Triggering", 2.0f);
    set("Num Active MIDI Sources", version == 1 ? 2.0f : 5.0f);
    const std::vector<MidiInput> inputs =
        version == 1 ? std::vector<MidiInput>{kPitchBend, kModWheel}
                     : std::vector<MidiInput>{kPitchBend, kModWheel, kVelocity, kAftertouch, kKBTrack};
    for (size_t m = 0; m < inputs.size(); ++m)
        set(setName("MIDI Source ", static_cast<int32_t>(m) + 1) + " Input", static_cast<float>(inputs[m]));
    renumberSlots(version);
    compactSlots(legacySlots_);
    for (const auto& [countName, first] :
         {std::pair<const char*, int32_t>{"Num Active XLFOs", M::kFirstXLFOSource},
          {"Num Active EGs", M::kFirstEGSource},
          {"Num Active MIDI Sources", M::kFirstMidiSource}})
        if (AbstractParameterSetList* sets = list(countName)) removeUnusedSourceSets(*sets, first);
    if (version == 1) duplicateFeedbackSlots();
    correctMidiRanges();
}

void VarnelPresetLoader::convertFeedbackAndTime(int32_t version) {
    if (version == 1) {
        // One feedback amount and a balance between the lines: a positive
        // balance takes from delay 1, a negative one from delay 2.
        auto share = [](int32_t d, float balance) {
            return d == 1 ? 1.0f - std::max(balance, 0.0f) : 1.0f + std::min(balance, 0.0f);
        };
        for (int32_t d = 1; d <= 2; ++d) {
            const std::string delay = setName("Delay ", d);
            set(delay + " Feedback", oldFeedback_ * share(d, oldFeedbackBalance_));
            set(delay + " Cross Feedback", oldCrossFeedback_ * share(d, oldCrossFeedbackBalance_));
        }
    }
    if (version > 3) return;
    const float span = version == 1 ? kVersion1TimeSpan : kVersion2TimeSpan;
    const float minimum = version == 1 ? kVersion1TimeMinimum : kVersion2TimeMinimum;
    for (int32_t d = 1; d <= 2; ++d) {
        AbstractPluginParameter* time = parameter(setName("Delay ", d) + " Time");
        if (time == nullptr) continue;
        const float ms = mapByTable7(time->getValue()) * span + minimum;
        time->setValue(time->plainToNormalized(ms), 0);
    }
}

void VarnelPresetLoader::rescaleChangedAmounts() {
    ModMatrixParamController& c = matrixOwner_.getController();
    const ModulationMatrixLayout& layout = c.getLayout();
    std::vector<int32_t> found;
    // Envelope followers on feedback: the feedback range doubled.
    for (int32_t target : {kDelay1Feedback, kDelay2Feedback}) {
        c.findSlotsByTarget(target, found);
        for (int32_t s : found) {
            const int32_t source = c.getSource(s);
            if (c.isSource(source) && layout.sources[static_cast<size_t>(source)].type == M::kSourceTypeEF)
                rescaleSlotAmount(s, 1.0f, 2.0f);
        }
    }
    // Snapping XLFOs on a filter frequency.
    for (int32_t k = 1; k <= M::kNumXLFOs; ++k) {
        if (truncated(value(setName("XLFO ", k) + " Snap")) == 0) continue;
        for (int32_t target : {kFilter1Freq, kFilter2Freq}) {
            c.findSlotsByTarget(target, found);
            for (int32_t s : found)
                if (c.getSource(s) == M::kFirstXLFOSource + k - 1) rescaleSlotAmount(s, 4.2f, 1.0f);
        }
    }
}

void VarnelPresetLoader::convertOldXLFO(int32_t record) {
    if (record < 0 || record >= static_cast<int32_t>(oldXLFO_.size())) return;
    const auto& f = oldXLFO_[static_cast<size_t>(record)];
    const int32_t n = activeCount("Num Active XLFOs");
    if (n >= M::kNumXLFOs) return;
    set("Num Active XLFOs", static_cast<float>(n + 1));
    const std::string xlfo = setName("XLFO ", n + 1);
    const std::string step1 = xlfo + " Step 1";
    const std::string step2 = xlfo + " Step 2";
    const int32_t syncMode = truncated(f[4]);

    set(xlfo + " Frequency", f[0]);
    set(xlfo + " Sync Mode", syncMode != 0 ? static_cast<float>(truncated(f[3]) + 1) : 0.0f);
    set(xlfo + " Frequency Offset", syncMode == 2 ? kSlowerOffset : syncMode == 3 ? kFasterOffset : 0.0f);
    set(xlfo + " Balance", f[2]);
    set("Num Active " + xlfo + " Steps", 2.0f);
    set(step1 + " Value", -1.0f);
    set(step2 + " Value", 1.0f);
    set(xlfo + " Glide", 1.0f);
    set(xlfo + " MIDI Trigger", f[5] != 0.0f ? 1.0f : 0.0f);
    set(step1 + " Glide function", 0.0f);
    set(step2 + " Glide function", 0.0f);

    // The old waveform: 1 ramp, 2 sine, 3 random glide, 4 random steps;
    // anything else the triangle the two steps already make.
    constexpr float kSine = 3.0f;
    constexpr float kRandom = 1.0f;
    switch (truncated(f[1])) {
    case 1:
        set(xlfo + " Glide", 0.0f);
        set(step1 + " Value", 0.0f);
        break;
    case 2:
        set(step1 + " Glide function", kSine);
        set(step2 + " Glide function", kSine);
        break;
    case 3:
        set(step1 + " Random", kRandom);
        set(step2 + " Random", kRandom);
        break;
    case 4:
        set(xlfo + " Glide", 0.0f);
        set(step1 + " Random", kRandom);
        set(step2 + " Random", kRandom);
        break;
    default:
        break;
    }
}

void VarnelPresetLoader::renumberSlots(int32_t version) {
    ModMatrixParamController& c = matrixOwner_.getController();
    const int32_t oldSlotTargets = version == 1 ? static_cast<int32_t>(kVersion1Targets.size())
                                                : static_cast<int32_t>(kVersion2Targets.size());
    c.beginChange();
    for (int32_t s = 0; s < c.numSlots(); ++s) {
        const int32_t source = c.getSource(s);
        if (source != -1)
            c.setSource(s, version == 1 ? renumbered(kVersion1Sources, source)
                                        : renumbered(kVersion2Sources, source));
        const int32_t target = c.getTarget(s);
        if (target == -1) continue;
        int32_t now = -1;
        if (target < oldSlotTargets)
            now = version == 1 ? renumbered(kVersion1Targets, target) : renumbered(kVersion2Targets, target);
        else if (target - oldSlotTargets < legacySlots_)
            now = M::kFirstSlotLevelTarget + (target - oldSlotTargets);
        c.setTarget(s, now);
    }
    c.endChange();
}

void VarnelPresetLoader::duplicateFeedbackSlots() {
    // Version 1 had one feedback control for both lines: its slots now
    // drive delay 1, and a copy of each drives delay 2.
    ModMatrixParamController& c = matrixOwner_.getController();
    const int32_t n = activeCount("Num Active Slots");
    for (int32_t s = 0; s < n; ++s) {
        const int32_t target = c.getTarget(s);
        if (target != kDelay1Feedback && target != kDelay1CrossFeedback) continue;
        const int32_t copy = duplicateSlotScaled(s, 1.0f);
        if (copy != -1) c.setTarget(copy, target + M::kDelayTargetsPerSet);
    }
    const int32_t count = activeCount("Num Active Slots");
    if (count > n) ModMatrixParamController::sortSlots(c, count, nullptr);
}

void VarnelPresetLoader::correctMidiRanges() {
    const int32_t active = activeCount("Num Active MIDI Sources");
    for (const MidiCorrections& corrections : midiCorrections()) {
        int32_t position = -1;
        for (int32_t m = 0; m < active && position < 0; ++m)
            if (truncated(value(setName("MIDI Source ", m + 1) + " Input")) == corrections.input)
                position = m;
        if (position < 0) continue;
        for (const MidiCorrection& row : corrections.rows)
            rescaleSlotsForTarget(row.group, M::kFirstMidiSource + position, row.a, row.b);
    }
}
