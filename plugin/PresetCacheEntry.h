#pragma once

// The record of one preset file, passed around by the preset folders, the
// preset loaders, the catalogue cache and the host's preset discovery:
// metadata (author, description, tags), the file's path and modification
// time, its name and its menu position (bank, program and the title built
// from them). Entries are plain values; whoever holds one owns it.

#include <cstdint>
#include <string>
#include <vector>

class PresetCacheEntry {
public:
    // The path is stored, the name derived from it; bank and program -1,
    // time 0, every other text empty.
    explicit PresetCacheEntry(std::string path);

    // Stores both numbers and rebuilds the menu title "(bank/program) name".
    void setMenuPosition(int32_t bank, int32_t program);

    // Entry orders: by name, case-insensitive.
    static bool lessByName(const PresetCacheEntry& a, const PresetCacheEntry& b);

    std::string author;
    std::string description;
    std::string path;
    int64_t modificationTime = 0;
    std::string name;
    std::string menuTitle;
    int32_t bank = -1;
    int32_t program = -1;
    std::vector<std::string> tags;
};
