#pragma once

// The shape of a modulation matrix: how many slots, sources, targets and
// channels it has, which targets are parameters of which source, and the
// target groups that give targets their range, wrap period, kind and
// per-source-type scale.
//
// The product fills a layout once on the main thread; the matrix and the
// slot controllers only read it. targetGroupOf points into targetGroups, so
// a layout is neither copied nor moved once filled.

#include <cstdint>
#include <utility>
#include <vector>

struct ModulationMatrixLayout {
    // A source: its type (-1 while fresh) and the targets that are its own
    // parameters (an XLFO's rate, say).
    struct Source {
        std::int32_t type = -1;
        std::vector<std::int32_t> targets;
    };

    struct TargetGroup {
        float period = 0.0f;
        float defaultScale = 1.0f;
        float rangeSpan = 0.0f;
        // 1: an audio target (summed without base and without clamping).
        std::int32_t kind = 0;
        float maxFactor = 1.0f;
        float minFactor = 0.0f;
        std::int32_t channel = 0;
        // (source type, scale) pairs overriding defaultScale.
        std::vector<std::pair<std::int32_t, float>> sourceScales;
    };

    static constexpr std::int32_t kAudioTarget = 1;

    ModulationMatrixLayout() = default;
    ModulationMatrixLayout(const ModulationMatrixLayout&) = delete;
    ModulationMatrixLayout& operator=(const ModulationMatrixLayout&) = delete;

    std::int32_t numSources() const { return static_cast<std::int32_t>(sources.size()); }
    // The group of a target, or null (also for an index outside the layout).
    const TargetGroup* groupOf(std::int32_t target) const {
        if (target < 0 || target >= static_cast<std::int32_t>(targetGroupOf.size())) return nullptr;
        return targetGroupOf[static_cast<std::size_t>(target)];
    }
    // The level target of a slot.
    std::int32_t levelTargetOf(std::int32_t slot) const {
        return static_cast<std::int32_t>(firstSlotTarget) + slot;
    }

    std::uint32_t firstSlotTarget = 0;
    std::int32_t numSlots = 0;
    std::int32_t numChannels = 1;
    std::int32_t numTargets = 0;
    std::vector<Source> sources;
    std::vector<TargetGroup> targetGroups;
    std::vector<TargetGroup*> targetGroupOf;
};

// The product's sizes: 24 slots, 1 channel, 107 targets, 34 fresh sources,
// 18 default target groups and no target in a group. firstSlotTarget and the
// contents are the caller's.
void initModulationMatrixLayout(ModulationMatrixLayout& layout);
