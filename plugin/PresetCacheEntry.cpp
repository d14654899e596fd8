#include "plugin/PresetCacheEntry.h"

#include "foundation/FilePaths.h"
#include "foundation/StringUtils.h"

#include <utility>

PresetCacheEntry::PresetCacheEntry(std::string filePath)
    : path(std::move(filePath)), name(getFileTitle(path)) {}

void PresetCacheEntry::setMenuPosition(int32_t newBank, int32_t newProgram) {
    bank = newBank;
    program = newProgram;
    menuTitle = "(" + std::to_string(bank) + "/" + std::to_string(program) + ") " + name;
}

bool PresetCacheEntry::lessByName(const PresetCacheEntry& a, const PresetCacheEntry& b) {
    return compareNoCase(a.name, b.name) < 0;
}
