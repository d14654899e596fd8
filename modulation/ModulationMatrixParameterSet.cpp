#include "modulation/ModulationMatrixParameterSet.h"

#include "modulation/ModulationMatrixOwner.h"

#include <cstdio>

namespace {
std::vector<std::string> withNone(const char* none, const std::vector<std::string>& names) {
    if (names.empty()) std::fputs("release_assert failed\n", stderr);
    std::vector<std::string> list;
    list.reserve(names.size() + 1);
    list.emplace_back(none);
    list.insert(list.end(), names.begin(), names.end());
    return list;
}
} // namespace

ModulationMatrixParameterSet::ModulationMatrixParameterSet(GenericParameterOwner* parent,
                                                           ModulationMatrixOwner* matrixOwner,
                                                           const std::vector<std::string>& sourceNames,
                                                           const std::vector<std::string>& targetNames)
    : ModulationMatrixParameterSet(parent, matrixOwner, sourceNames, targetNames, SlotSets::kCreate) {}

ModulationMatrixParameterSet::ModulationMatrixParameterSet(GenericParameterOwner* parent,
                                                           ModulationMatrixOwner* matrixOwner,
                                                           const std::vector<std::string>& sourceNames,
                                                           const std::vector<std::string>& targetNames,
                                                           SlotSets sets)
    : firstSlotTarget_(matrixOwner != nullptr ? matrixOwner->getLayout().firstSlotTarget : 0),
      matrixOwner_(matrixOwner), parent_(parent), sourceNames_(withNone("< Source >", sourceNames)),
      targetNames_(withNone("< Target >", targetNames)) {
    std::int32_t slots = matrixOwner != nullptr ? matrixOwner->getLayout().numSlots : 0;
    for (std::int32_t i = 0; sets == SlotSets::kCreate && i < slots; ++i) {
        ownedSets_.push_back(std::make_unique<ModulationSlotParameterSet>(
            parent, i, static_cast<std::int32_t>(firstSlotTarget_) + i, matrixOwner, &sourceNames_,
            &targetNames_));
        slotSets_.push_back(ownedSets_.back().get());
    }
    if (matrixOwner != nullptr) matrixOwner->registerParameterSet(this);
}

ModulationMatrixParameterSet::~ModulationMatrixParameterSet() = default;

void buildNumberedNameList(std::string& out, const std::string& baseName, std::int32_t count,
                           const std::vector<std::string>& itemNames) {
    for (std::int32_t k = 1; k <= count; ++k) {
        std::string prefix = baseName;
        if (baseName.size() >= 2) prefix += ' ';
        if (count > 1) prefix += std::to_string(k) + ' ';
        for (const std::string& item : itemNames) {
            if (!out.empty()) out += ',';
            out += prefix + item;
        }
    }
}
