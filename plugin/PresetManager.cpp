#include "plugin/PresetManager.h"

#include "plugin/PresetCache.h"

PresetManager::PresetManager(const std::string& path, const std::string& filePattern)
    : PresetFolder(path, filePattern, static_cast<int32_t>(PresetScanBudget::kDefaultLimit)),
      filePatternCopy_(filePattern) {}

PresetManager::PresetManager(const std::string& path, const std::string& filePattern,
                             PresetScanBudget& budget)
    : PresetFolder(path, filePattern, budget), filePatternCopy_(filePattern) {}

PresetManager::~PresetManager() = default;

void PresetManager::collectEntries(std::vector<PresetCacheEntry*>& out) {
    out.clear();
    collect(out);
    ownEntryCount_ = static_cast<int32_t>(out.size());
    for (const auto& folder : extraFolders_)
        folder->collect(out);
}

PresetCacheEntry* PresetManager::findPresetByName(const std::string& name, int32_t scope) {
    std::vector<PresetCacheEntry*> list;
    collectEntries(list);
    const size_t end = scope == kOwnTree ? static_cast<size_t>(ownEntryCount_) : list.size();
    for (size_t i = 0; i < end; ++i)
        if (list[i]->name == name) return list[i];
    return nullptr;
}

PresetCacheEntry* PresetManager::getAdjacentPreset(const std::string& path, int32_t direction) {
    std::vector<PresetCacheEntry*> list;
    collectEntries(list);
    const int64_t n = static_cast<int64_t>(list.size());
    const int64_t m = ownEntryCount_;
    int64_t i = -1;
    for (int64_t k = 0; k < n; ++k)
        if (list[static_cast<size_t>(k)]->path == path) {
            i = k;
            break;
        }
    if (i < 0) return nullptr;
    int64_t j = i;
    if (direction == kPrevious)
        j = (i - 1 + n) % n;
    else if (direction == kNext)
        j = (i + 1) % n;
    if (i < m && j >= m) j = direction == kNext ? 0 : m - 1;
    return list[static_cast<size_t>(j)];
}

void PresetManager::number() {
    std::vector<PresetCacheEntry*> list;
    collectEntries(list);
    for (size_t k = 0; k < list.size(); ++k)
        list[k]->setMenuPosition(static_cast<int32_t>(k / 128), static_cast<int32_t>(k % 128));
}

void PresetManager::refresh(const std::string& path) {
    PresetScanBudget budget;
    refresh(path, budget);
}

void PresetManager::refresh(const std::string& path, PresetScanBudget& budget) {
    scan(path, budget);
    number();
}

void PresetManager::refreshAll() {
    refresh(getPath());
    for (auto& folder : extraFolders_) {
        const std::string name = folder->getName();
        folder->scan(folder->getPath(), static_cast<int32_t>(PresetScanBudget::kDefaultLimit));
        folder->setName(name);
    }
    number();
    update();
}

void PresetManager::update() {
    if (cache_ == nullptr) return;
    std::vector<PresetCacheEntry*> list;
    collectEntries(list);
    std::vector<std::string> folders{getPath()};
    for (const auto& folder : extraFolders_)
        folders.push_back(folder->getPath());
    cache_->startRebuild(folders, list);
}

void PresetManager::addExtraFolder(std::unique_ptr<PresetFolder> folder) {
    extraFolders_.push_back(std::move(folder));
}
