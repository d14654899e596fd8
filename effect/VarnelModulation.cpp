#include "effect/VarnelModulation.h"

#include "foundation/StringUtils.h"
#include "modulation/ModulationMatrixParameterSet.h"

#include <cstddef>
#include <cstdio>
#include <utility>

namespace {
std::string numbered(const char* base, std::int32_t number) {
    char text[32];
    std::snprintf(text, sizeof text, "%s %d", base, static_cast<int>(number));
    return text;
}

struct GroupRow {
    float defaultScale;
    float maxFactor;
    float minFactor;
    std::vector<std::pair<std::int32_t, float>> sourceScales;
};

// The 18 target groups: how far each kind of source moves a target, and the
// range the modulated value is held in.
std::vector<GroupRow> groupRows() {
    using V = VarnelModulation;
    return {
        {1.0f, 1.0f, 0.0f, {{V::kSourceTypeEF, 2.0f}}}, // levels, feedback, peak
        {4995.0f,
         5000.0f,
         5.0f,
         {{V::kSourceTypeXLFO, 500.0f},
          {V::kSourceTypeEG, 1000.0f},
          {V::kSourceTypeEF, 2000.0f}}},                                             // delay time (ms)
        {1.0f, 2.0f, -0.5f, {{V::kSourceTypeXLFO, 0.5f}, {V::kSourceTypeEF, 2.0f}}}, // delay offset
        {2.0f, 2.0f, 0.0f, {{V::kSourceTypeEF, 4.0f}}},                              // cross feedback
        {10.0f,
         16.2064f,
         2.2666f,
         {{V::kSourceTypeXLFO, 4.2f},
          {V::kSourceTypeSnappedXLFO, 1.0f},
          {V::kSourceTypeEF, 20.0f}}},                           // filter freq (log2 Hz)
        {7.0f, 3.5f, -3.5f, {{V::kSourceTypeEF, 14.0f}}},        // filter pan (octaves)
        {25.0f, 500.0f, 0.02f, {{V::kSourceTypeEF, 50.0f}}},     // XLFO freq (Hz)
        {2.0f, 1.0f, -1.0f, {{V::kSourceTypeEF, 4.0f}}},         // XLFO glide
        {1.0f, 100.0f, -100.0f, {{V::kSourceTypeEF, 1.0f}}},     // XLFO phase offset
        {9.5f, 19.0f, 0.0f, {{V::kSourceTypeEF, 19.0f}}},        // EG hold (s)
        {2.5f, 5.0f, 0.0f, {{V::kSourceTypeEF, 5.0f}}},          // EG delay (s)
        {1.5f, 3.0f, 0.0014512470f, {{V::kSourceTypeEF, 3.0f}}}, // EG attack (s)
        {2.5f, 5.0f, 0.0014512470f, {{V::kSourceTypeEF, 5.0f}}}, // EG decay (s)
        {2.5f, 5.0f, 0.0014512470f, {{V::kSourceTypeEF, 5.0f}}}, // EG release (s)
        {0.4995f, 1.0f, 0.001f, {{V::kSourceTypeEF, 0.999f}}},   // EF attack (s)
        {2.475f, 5.0f, 0.05f, {{V::kSourceTypeEF, 4.95f}}},      // EF release (s)
        {2.0f, 1.0f, -1.0f, {{V::kSourceTypeEF, 4.0f}}},         // pans
        {63.0798874f, 63.0957336f, 0.0158489f, {}},              // input level (gain)
    };
}

// The group of every target.
std::vector<std::int32_t> groupOfTargets() {
    using V = VarnelModulation;
    std::vector<std::int32_t> group(static_cast<std::size_t>(V::kNumTargets), -1);
    auto set = [&group](std::int32_t target, std::int32_t g) { group[static_cast<std::size_t>(target)] = g; };
    for (std::int32_t d = 0; d < 2; ++d) {
        set(V::delayTarget(d, V::kDelayTime), 1);
        set(V::delayTarget(d, V::kDelayOffset), 2);
        set(V::delayTarget(d, V::kDelayFeedback), 0);
        set(V::delayTarget(d, V::kDelayCrossFeedback), 3);
        set(V::delayTarget(d, V::kDelayPan), 16);
    }
    for (std::int32_t f = 0; f < 2; ++f) {
        set(V::filterTarget(f, V::kFilterFreq), 4);
        set(V::filterTarget(f, V::kFilterPan), 5);
        set(V::filterTarget(f, V::kFilterPeak), 0);
    }
    for (std::int32_t k = 0; k < V::kNumXLFOs; ++k) {
        set(V::xlfoTarget(k, V::kXLFOFreq), 6);
        set(V::xlfoTarget(k, V::kXLFOGlide), 7);
        set(V::xlfoTarget(k, V::kXLFOPhaseOffset), 8);
    }
    for (std::int32_t k = 0; k < V::kNumEGs; ++k) {
        set(V::egTarget(k, V::kEGHold), 9);
        set(V::egTarget(k, V::kEGDelay), 10);
        set(V::egTarget(k, V::kEGAttack), 11);
        set(V::egTarget(k, V::kEGDecay), 12);
        set(V::egTarget(k, V::kEGSustain), 0);
        set(V::egTarget(k, V::kEGRelease), 13);
    }
    for (std::int32_t k = 0; k < V::kNumEFs; ++k) {
        set(V::efTarget(k, V::kEFAttack), 14);
        set(V::efTarget(k, V::kEFRelease), 15);
    }
    set(V::kInputLevelTarget, 17);
    set(V::kDryLevelTarget, 0);
    set(V::kDryPanTarget, 16);
    set(V::kWetLevelTarget, 0);
    set(V::kWetPanTarget, 16);
    for (std::int32_t s = 0; s < V::kNumSlots; ++s)
        set(V::kFirstSlotLevelTarget + s, 0);
    return group;
}
} // namespace

std::vector<std::string> VarnelModulation::sourceNames() {
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(kNumSources));
    for (std::int32_t k = 1; k <= kNumXY; ++k) {
        names.push_back(numbered("XY", k) + " Hor");
        names.push_back(numbered("XY", k) + " Ver");
    }
    for (std::int32_t k = 1; k <= kNumXLFOs; ++k)
        names.push_back(numbered("XLFO", k));
    for (std::int32_t k = 1; k <= kNumEGs; ++k)
        names.push_back(numbered("EG", k));
    for (std::int32_t k = 1; k <= kNumEFs; ++k)
        names.push_back(numbered("EF", k));
    for (std::int32_t k = 1; k <= kNumMidiSources; ++k)
        names.push_back(numbered("MIDI", k));
    return names;
}

std::string VarnelModulation::targetNameList() {
    std::string out;
    buildNumberedNameList(out, "Delay", 2, {"Time", "Offset", "Feedback", "Cross Feedback", "Pan"});
    buildNumberedNameList(out, "Filter", 2, {"Freq", "Pan", "Peak"});
    buildNumberedNameList(out, "XLFO", kNumXLFOs, {"Freq", "Glide", "Phase Offset"});
    buildNumberedNameList(out, "EG", kNumEGs, {"Hold", "Delay", "Attack", "Decay", "Sustain", "Release"});
    buildNumberedNameList(out, "EF", kNumEFs, {"Attack", "Release"});
    out += ",Input Level,Dry Level,Dry Pan,Wet Level,Wet Pan";
    for (std::int32_t s = 1; s <= kNumSlots; ++s)
        out += "," + numbered("Slot", s) + " Level";
    return out;
}

std::vector<std::string> VarnelModulation::targetNames() {
    std::vector<std::string> names;
    splitAtCommas(targetNameList(), names);
    return names;
}

std::string VarnelModulation::sourceNameList() {
    std::string out;
    for (const std::string& name : sourceNames()) {
        if (!out.empty()) out += ',';
        out += name;
    }
    return out;
}

void VarnelModulation::fillLayout(ModulationMatrixLayout& layout) {
    initModulationMatrixLayout(layout);
    layout.firstSlotTarget = static_cast<std::uint32_t>(kFirstSlotLevelTarget);

    for (std::int32_t s = 0; s < kNumSources; ++s) {
        ModulationMatrixLayout::Source& source = layout.sources[static_cast<std::size_t>(s)];
        source.targets.clear();
        if (s < kFirstXLFOSource) {
            source.type = kSourceTypeXY;
        } else if (s < kFirstEGSource) {
            source.type = kSourceTypeXLFO;
            for (std::int32_t i = 0; i < kXLFOTargetsPerSet; ++i)
                source.targets.push_back(xlfoTarget(s - kFirstXLFOSource, i));
        } else if (s < kFirstEFSource) {
            source.type = kSourceTypeEG;
            for (std::int32_t i = 0; i < kEGTargetsPerSet; ++i)
                source.targets.push_back(egTarget(s - kFirstEGSource, i));
        } else if (s < kFirstMidiSource) {
            source.type = kSourceTypeEF;
            for (std::int32_t i = 0; i < kEFTargetsPerSet; ++i)
                source.targets.push_back(efTarget(s - kFirstEFSource, i));
        } else {
            source.type = kSourceTypeMidi;
        }
    }

    const std::vector<GroupRow> rows = groupRows();
    for (std::size_t g = 0; g < rows.size() && g < layout.targetGroups.size(); ++g) {
        ModulationMatrixLayout::TargetGroup& group = layout.targetGroups[g];
        group = ModulationMatrixLayout::TargetGroup{};
        group.defaultScale = rows[g].defaultScale;
        group.maxFactor = rows[g].maxFactor;
        group.minFactor = rows[g].minFactor;
        group.sourceScales = rows[g].sourceScales;
    }
    const std::vector<std::int32_t> groups = groupOfTargets();
    for (std::size_t t = 0; t < groups.size() && t < layout.targetGroupOf.size(); ++t)
        layout.targetGroupOf[t] = &layout.targetGroups[static_cast<std::size_t>(groups[t])];
}
