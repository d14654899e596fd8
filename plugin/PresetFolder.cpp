#include "plugin/PresetFolder.h"

#include "foundation/FileEnumerator.h"
#include "foundation/StringUtils.h"

#include <algorithm>

PresetFolder::PresetFolder(const std::string& path, std::string filePattern, int32_t budgetMs)
    : filePattern_(std::move(filePattern)) {
    scan(path, budgetMs);
}

PresetFolder::PresetFolder(const std::string& path, std::string filePattern, PresetScanBudget& budget,
                           int32_t depth)
    : filePattern_(std::move(filePattern)) {
    scan(path, budget, depth);
}

PresetFolder::~PresetFolder() = default;

void PresetFolder::clear() {
    subfolders_.clear();
    entries_.clear();
}

bool PresetFolder::lessBySortKey(const PresetFolder& a, const PresetFolder& b) {
    if (a.sortKey_ != b.sortKey_) return a.sortKey_ < b.sortKey_;
    return compareNoCase(a.name_, b.name_) < 0;
}

void PresetFolder::scan(const std::string& path, int32_t budgetMs) {
    PresetScanBudget budget(budgetMs);
    scan(path, budget, 0);
}

void PresetFolder::scan(const std::string& path, PresetScanBudget& budget, int32_t depth) {
    clear();
    path_ = path;
    if (!path_.empty() && path_.back() != '\\') path_ += '\\';
    std::string last = path_.empty() ? std::string() : path_.substr(0, path_.size() - 1);
    const size_t slash = last.find_last_of('\\');
    name_ = slash == std::string::npos ? last : last.substr(slash + 1);
    sortKey_ = takeSortPrefix(name_);
    if (path_.empty() || !budget.hasTime() || depth >= PresetScanBudget::kMaxDepth) return;

    int32_t seen = 0;
    auto folders = FileEnumerator::create(path_ + "*", FileEnumerator::Folders);
    while (folders->next()) {
        if (++seen % PresetScanBudget::kEntriesPerCheck == 0 && !budget.hasTime()) break;
        const std::string folderName = folders->name();
        if (folderName == "." || folderName == "..") continue;
        subfolders_.push_back(
            std::make_unique<PresetFolder>(path_ + folderName, filePattern_, budget, depth + 1));
    }
    std::stable_sort(subfolders_.begin(), subfolders_.end(),
                     [](const std::unique_ptr<PresetFolder>& a, const std::unique_ptr<PresetFolder>& b) {
                         return lessBySortKey(*a, *b);
                     });

    auto files = FileEnumerator::create(path_ + "*" + filePattern_, FileEnumerator::Files);
    while (files->next()) {
        if (++seen % PresetScanBudget::kEntriesPerCheck == 0 && !budget.hasTime()) break;
        auto entry = std::make_unique<PresetCacheEntry>(path_ + files->name());
        entry->modificationTime = files->modificationTime();
        entries_.push_back(std::move(entry));
    }
    std::stable_sort(
        entries_.begin(), entries_.end(),
        [](const std::unique_ptr<PresetCacheEntry>& a, const std::unique_ptr<PresetCacheEntry>& b) {
            return PresetCacheEntry::lessByName(*a, *b);
        });
}

void PresetFolder::collect(std::vector<PresetCacheEntry*>& out) const {
    for (const auto& folder : subfolders_)
        folder->collect(out);
    for (const auto& entry : entries_)
        out.push_back(entry.get());
}
