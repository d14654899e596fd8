#include "modulation/ModulationMatrixLayout.h"

namespace {
constexpr std::int32_t kProductSlots = 24;
constexpr std::int32_t kProductTargets = 107;
constexpr std::size_t kProductSources = 34;
constexpr std::size_t kProductTargetGroups = 18;
} // namespace

void initModulationMatrixLayout(ModulationMatrixLayout& layout) {
    layout.numSlots = kProductSlots;
    layout.numChannels = 1;
    layout.numTargets = kProductTargets;
    layout.sources.assign(kProductSources, ModulationMatrixLayout::Source{});
    layout.targetGroups.assign(kProductTargetGroups, ModulationMatrixLayout::TargetGroup{});
    layout.targetGroupOf.assign(static_cast<std::size_t>(kProductTargets), nullptr);
}
