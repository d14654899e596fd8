#pragma once

// The effect's modulation numbering, names and layout.
//
// Sources (34): XY 1 Hor .. XY 4 Ver (0-7), XLFO 1-6 (8-13), EG 1-6
// (14-19), EF 1-4 (20-23), MIDI 1-10 (24-33).
// Targets (107): per delay line Time, Offset, Feedback, Cross Feedback, Pan
// (0-9); per filter Freq, Pan, Peak (10-15); per XLFO Freq, Glide, Phase
// Offset (16-33); per EG Hold, Delay, Attack, Decay, Sustain, Release
// (34-69); per EF Attack, Release (70-77); Input Level, Dry Level, Dry Pan,
// Wet Level, Wet Pan (78-82); Slot 1-24 Level (83-106).
//
// The name lists have no "none" entry; the slot parameters add their own.
// fillLayout runs on the main thread while the owner is built.

#include "modulation/ModulationMatrixLayout.h"

#include <cstdint>
#include <string>
#include <vector>

struct VarnelModulation {
    // Source kinds as the layout and the processor's display values use them.
    static constexpr std::int32_t kSourceTypeXY = 0;
    static constexpr std::int32_t kSourceTypeXLFO = 1;
    static constexpr std::int32_t kSourceTypeEG = 2;
    static constexpr std::int32_t kSourceTypeEF = 3;
    static constexpr std::int32_t kSourceTypeMidi = 4;
    // An XLFO whose "Snap" is on.
    static constexpr std::int32_t kSourceTypeSnappedXLFO = 5;

    // Sets and sources per set of each source list.
    static constexpr std::int32_t kNumXY = 4;
    static constexpr std::int32_t kSourcesPerXY = 2;
    static constexpr std::int32_t kNumXLFOs = 6;
    static constexpr std::int32_t kNumEGs = 6;
    static constexpr std::int32_t kNumEFs = 4;
    static constexpr std::int32_t kNumMidiSources = 10;

    // First source of each list.
    static constexpr std::int32_t kFirstXYSource = 0;
    static constexpr std::int32_t kFirstXLFOSource = kFirstXYSource + kNumXY * kSourcesPerXY; // 8
    static constexpr std::int32_t kFirstEGSource = kFirstXLFOSource + kNumXLFOs;              // 14
    static constexpr std::int32_t kFirstEFSource = kFirstEGSource + kNumEGs;                  // 20
    static constexpr std::int32_t kFirstMidiSource = kFirstEFSource + kNumEFs;                // 24
    static constexpr std::int32_t kNumSources = kFirstMidiSource + kNumMidiSources;           // 34

    // Targets: the first of each group and the targets per set.
    static constexpr std::int32_t kDelayTargetsPerSet = 5;
    static constexpr std::int32_t kDelayTime = 0;
    static constexpr std::int32_t kDelayOffset = 1;
    static constexpr std::int32_t kDelayFeedback = 2;
    static constexpr std::int32_t kDelayCrossFeedback = 3;
    static constexpr std::int32_t kDelayPan = 4;
    static constexpr std::int32_t kFirstDelayTarget = 0;

    static constexpr std::int32_t kFilterTargetsPerSet = 3;
    static constexpr std::int32_t kFilterFreq = 0;
    static constexpr std::int32_t kFilterPan = 1;
    static constexpr std::int32_t kFilterPeak = 2;
    static constexpr std::int32_t kFirstFilterTarget = 10;

    static constexpr std::int32_t kXLFOTargetsPerSet = 3;
    static constexpr std::int32_t kXLFOFreq = 0;
    static constexpr std::int32_t kXLFOGlide = 1;
    static constexpr std::int32_t kXLFOPhaseOffset = 2;
    static constexpr std::int32_t kFirstXLFOTarget = 16;

    static constexpr std::int32_t kEGTargetsPerSet = 6;
    static constexpr std::int32_t kEGHold = 0;
    static constexpr std::int32_t kEGDelay = 1;
    static constexpr std::int32_t kEGAttack = 2;
    static constexpr std::int32_t kEGDecay = 3;
    static constexpr std::int32_t kEGSustain = 4;
    static constexpr std::int32_t kEGRelease = 5;
    static constexpr std::int32_t kFirstEGTarget = 34;

    static constexpr std::int32_t kEFTargetsPerSet = 2;
    static constexpr std::int32_t kEFAttack = 0;
    static constexpr std::int32_t kEFRelease = 1;
    static constexpr std::int32_t kFirstEFTarget = 70;

    static constexpr std::int32_t kInputLevelTarget = 78;
    static constexpr std::int32_t kDryLevelTarget = 79;
    static constexpr std::int32_t kDryPanTarget = 80;
    static constexpr std::int32_t kWetLevelTarget = 81;
    static constexpr std::int32_t kWetPanTarget = 82;

    static constexpr std::int32_t kNumSlots = 24;
    static constexpr std::int32_t kFirstSlotLevelTarget = 83;
    static constexpr std::int32_t kNumTargets = kFirstSlotLevelTarget + kNumSlots; // 107
    static constexpr std::int32_t kNumTargetGroups = 18;

    static std::int32_t delayTarget(std::int32_t line, std::int32_t item) {
        return kFirstDelayTarget + kDelayTargetsPerSet * line + item;
    }
    static std::int32_t filterTarget(std::int32_t filter, std::int32_t item) {
        return kFirstFilterTarget + kFilterTargetsPerSet * filter + item;
    }
    static std::int32_t xlfoTarget(std::int32_t xlfo, std::int32_t item) {
        return kFirstXLFOTarget + kXLFOTargetsPerSet * xlfo + item;
    }
    static std::int32_t egTarget(std::int32_t eg, std::int32_t item) {
        return kFirstEGTarget + kEGTargetsPerSet * eg + item;
    }
    static std::int32_t efTarget(std::int32_t ef, std::int32_t item) {
        return kFirstEFTarget + kEFTargetsPerSet * ef + item;
    }

    // "XY 1 Hor", ..., "MIDI 10" (34 names) and "Delay 1 Time", ...,
    // "Slot 24 Level" (107 names).
    static std::vector<std::string> sourceNames();
    static std::vector<std::string> targetNames();
    // The same joined with ",".
    static std::string sourceNameList();
    static std::string targetNameList();

    // Sizes, first slot-level target, source records and target groups.
    static void fillLayout(ModulationMatrixLayout& layout);
};
