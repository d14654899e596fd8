#pragma once

// One folder of a preset tree: its subfolders and its preset files, both
// sorted, rebuilt from the disk by every scan. A folder name may start with
// a sort prefix ("_2 Leads"): folders sort by that number (10000 without a
// prefix), then by name in any case, and show the name without it.
//
// Scans run on the calling thread within a time budget (PresetScanBudget):
// every folder whose scan starts in time is listed completely unless the
// budget runs out inside a long listing; folders reached later are present
// but empty. Recursion stops at PresetScanBudget::kMaxDepth.
//
// Paths use '\' and always end with one. Entry pointers are invalid after a
// rescan.

#include "plugin/PresetCacheEntry.h"
#include "plugin/PresetScanBudget.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class PresetFolder {
public:
    // Stores the pattern (the extension with its dot) and scans at once.
    PresetFolder(const std::string& path, std::string filePattern, int32_t budgetMs);
    PresetFolder(const std::string& path, std::string filePattern, PresetScanBudget& budget,
                 int32_t depth = 0);
    PresetFolder(const PresetFolder&) = delete;
    PresetFolder& operator=(const PresetFolder&) = delete;
    virtual ~PresetFolder();

    void scan(const std::string& path, int32_t budgetMs);
    void scan(const std::string& path, PresetScanBudget& budget, int32_t depth = 0);

    // Subfolders' entries (recursively, in order), then this folder's own.
    void collect(std::vector<PresetCacheEntry*>& out) const;

    const std::string& getName() const { return name_; }
    void setName(std::string name) { name_ = std::move(name); }
    const std::string& getPath() const { return path_; }
    const std::string& getFilePattern() const { return filePattern_; }
    int32_t getSortKey() const { return sortKey_; }
    const std::vector<std::unique_ptr<PresetFolder>>& getSubfolders() const { return subfolders_; }
    const std::vector<std::unique_ptr<PresetCacheEntry>>& getEntries() const { return entries_; }

    // Folder order: sort key, then name in any case.
    static bool lessBySortKey(const PresetFolder& a, const PresetFolder& b);

protected:
    void clear();

private:
    std::vector<std::unique_ptr<PresetFolder>> subfolders_;
    std::string name_;
    std::string filePattern_;
    std::vector<std::unique_ptr<PresetCacheEntry>> entries_;
    int32_t sortKey_ = 10000;
    std::string path_;
};
