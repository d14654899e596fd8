#include "plugin/PresetManager.h"

#include "foundation/FilePaths.h"
#include "foundation/Files.h"
#include "foundation/tests/TestFiles.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>

namespace {

using test::TemporaryFolder;

void touch(const std::string& path) {
    createDirectories(getDirectoryPath(path));
    test::writeWholeFile(path, "TsPl");
}

std::vector<std::string> names(PresetManager& manager) {
    std::vector<PresetCacheEntry*> list;
    manager.collectEntries(list);
    std::vector<std::string> result;
    for (const PresetCacheEntry* entry : list)
        result.push_back(entry->name);
    return result;
}

TEST(PresetManager, FoldersSortByPrefixThenName) {
    TemporaryFolder root("presets");
    touch(root / "_10 Bass\\b.ztp");
    touch(root / "_2 Leads\\l.ztp");
    touch(root / "Pads\\p.ztp");
    touch(root / "_ First\\f.ztp");
    touch(root / "ignored.txt");
    PresetManager manager(root.path(), ".ztp");
    std::vector<std::string> folders;
    for (const auto& folder : manager.getSubfolders())
        folders.push_back(folder->getName() + ":" + std::to_string(folder->getSortKey()));
    EXPECT_EQ(folders, (std::vector<std::string>{"First:0", "Leads:2", "Bass:10", "Pads:10000"}));
    EXPECT_EQ(names(manager), (std::vector<std::string>{"f", "l", "b", "p"}));
}

TEST(PresetManager, CollectsChildrenFirstAndNumbersInBanks) {
    TemporaryFolder root("presets");
    touch(root / "R.ztp");
    touch(root / "A\\A.ztp");
    touch(root / "A\\A1\\A1.ztp");
    touch(root / "B\\B.ztp");
    touch(root / "B\\B1\\B1.ztp");
    touch(root / "B\\B2\\B2.ztp");
    PresetManager manager(root.path(), ".ztp");
    EXPECT_EQ(names(manager), (std::vector<std::string>{"A1", "A", "B1", "B2", "B", "R"}));

    for (int i = 0; i < 130; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "Many\\M%03d.ztp", i);
        touch(root / name);
    }
    manager.refresh(root.path());
    std::vector<PresetCacheEntry*> list;
    manager.collectEntries(list);
    ASSERT_GT(list.size(), 129u);
    EXPECT_EQ(list[128]->bank, 1);
    EXPECT_EQ(list[128]->program, 0);
    EXPECT_EQ(list[128]->menuTitle, "(1/0) " + list[128]->name);
    EXPECT_EQ(list[127]->menuTitle, "(0/127) " + list[127]->name);
}

TEST(PresetManager, SteppingStaysInTheOwnTree) {
    TemporaryFolder root("presets");
    TemporaryFolder extra("extra");
    touch(root / "a.ztp");
    touch(root / "b.ztp");
    touch(extra / "x.ztp");
    touch(extra / "y.ztp");
    PresetManager manager(root.path(), ".ztp");
    manager.addExtraFolder(std::make_unique<PresetFolder>(extra.path(), ".ztp", 2500));
    auto step = [&](const std::string& path, int32_t direction) {
        PresetCacheEntry* entry = manager.getAdjacentPreset(path, direction);
        return entry != nullptr ? entry->name : std::string("null");
    };
    const std::string a = root / "a.ztp", b = root / "b.ztp", x = extra / "x.ztp", y = extra / "y.ztp";
    EXPECT_EQ(step(b, PresetManager::kNext), "a");
    EXPECT_EQ(step(a, PresetManager::kPrevious), "b");
    EXPECT_EQ(step(a, PresetManager::kNext), "b");
    EXPECT_EQ(step(x, PresetManager::kPrevious), "b");
    EXPECT_EQ(step(y, PresetManager::kNext), "a");
    EXPECT_EQ(step(y, 1), "y");
    EXPECT_EQ(step(root / "missing.ztp", PresetManager::kNext), "null");
    EXPECT_EQ(step(root / "missing.ztp", PresetManager::kPrevious), "null");
    EXPECT_EQ(manager.findPresetByName("x", PresetManager::kOwnTree), nullptr);
    ASSERT_NE(manager.findPresetByName("x", PresetManager::kWholeList), nullptr);
}

TEST(PresetManager, ScansShareOneDeadline) {
    TemporaryFolder root("presets");
    for (int i = 0; i < 40; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "F%02d\\p.ztp", i);
        touch(root / name);
    }
    std::string deep = root / "Z";
    for (int i = 0; i < 20; ++i)
        deep += "\\d";
    touch(deep + "\\deep.ztp");

    // Every look at the clock costs 100 ms.
    std::atomic<uint32_t> now{0};
    PresetScanBudget::setClock([&] { return now.fetch_add(100); });
    PresetScanBudget budget;
    PresetManager first(root.path(), ".ztp", budget);
    PresetManager second(root.path(), ".ztp", budget);
    PresetScanBudget::setClock(nullptr);

    ASSERT_EQ(first.getSubfolders().size(), 41u);
    size_t listed = 0;
    for (const auto& folder : first.getSubfolders())
        listed += folder->getEntries().size();
    EXPECT_GT(listed, 0u);
    EXPECT_LT(listed, 40u);
    // The second scan started after the shared deadline: present, empty.
    EXPECT_TRUE(second.getSubfolders().empty());

    PresetManager unhurried(root.path(), ".ztp");
    EXPECT_EQ(names(unhurried).size(), 40u); // the deep preset lies below the depth limit
}

} // namespace
