#pragma once

// The root of one preset tree (the plug-in's presets, or one kind of
// component preset) with extra folders listed after it. It gives the menus a
// flat, numbered list of entries: each folder's subfolders (recursively)
// before its own files, the own tree first, then each extra folder. The k-th
// entry is numbered bank k / 128, program k % 128 for MIDI program changes.
//
// Main thread only; a catalogue cache (when set) gets copies of the list and
// refreshes its metadata on its own worker.

#include "plugin/PresetFolder.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class PresetCache;

class PresetManager : public PresetFolder {
public:
    enum Direction : int32_t { kPrevious = 0, kNext = 2 };
    enum Scope : int32_t { kWholeList = 0, kOwnTree = 1 };

    // Scanned with a budget of 2500 ms (or within the given budget).
    PresetManager(const std::string& path, const std::string& filePattern);
    PresetManager(const std::string& path, const std::string& filePattern, PresetScanBudget& budget);
    ~PresetManager() override;

    // Own tree, then each extra folder; sets the own entry count.
    void collectEntries(std::vector<PresetCacheEntry*>& out);
    // The first entry of that exact name, in the own tree (kOwnTree) or the
    // whole list.
    PresetCacheEntry* findPresetByName(const std::string& name, int32_t scope);
    // Previous or next entry from the one with that path; stepping from the
    // own tree stays in the own tree. Null for an unknown path.
    PresetCacheEntry* getAdjacentPreset(const std::string& path, int32_t direction);

    // Rescans the own tree from path and numbers the list.
    void refresh(const std::string& path);
    void refresh(const std::string& path, PresetScanBudget& budget);
    // The own tree, then every extra folder (keeping its name), then update.
    void refreshAll();
    // Hands the list to the catalogue cache for a metadata refresh (with a
    // cache only).
    void update();
    PresetCache* getCache() const { return cache_; }
    void setCache(PresetCache* cache) { cache_ = cache; }

    // Takes ownership.
    void addExtraFolder(std::unique_ptr<PresetFolder> folder);
    const std::vector<std::unique_ptr<PresetFolder>>& getExtraFolders() const { return extraFolders_; }
    int32_t getOwnEntryCount() const { return ownEntryCount_; }

private:
    void number();

    std::vector<std::unique_ptr<PresetFolder>> extraFolders_;
    std::string filePatternCopy_;
    int32_t ownEntryCount_ = 0;
    PresetCache* cache_ = nullptr;
};
