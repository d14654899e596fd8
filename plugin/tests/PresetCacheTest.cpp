#include "plugin/PresetCache.h"
#include "plugin/tests/FileBytes.h"

#include "foundation/Files.h"
#include "foundation/StringUtils.h"
#include "foundation/tests/TestFiles.h"
#include "plugin/PresetManager.h"
#include "plugin/PresetMetadata.h"
#include "plugin/TextLineEnding.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

using test::TemporaryFolder;

using test::str;
using test::u32;

std::string platformText(const std::string& text) {
    return replaceAll(text, "\n", textFileLineEnding());
}

std::string preset(const std::string& author) {
    return "TsPl" + u32(1) + u32(0) + "CuSV" + u32(1) + u32(1) + str("AUTHOR") + str(author);
}

struct Fixture {
    Fixture() {
        createDirectories(root.path() + "\\Bass");
        test::writeWholeFile(root / "Bass\\Deep.ztp", preset("Ann"));
        test::writeWholeFile(root / "Lead.ztp", preset("Bob"));
    }
    void rebuild(PresetCache& cache) {
        PresetManager manager(root.path(), ".ztp");
        manager.refresh(root.path());
        manager.setCache(&cache);
        manager.update();
        cache.waitForWorker();
    }
    TemporaryFolder root{"cache-presets"};
    TemporaryFolder data{"cache-data"};
    std::string file = data / "PresetCache.dat";
};

TEST(PresetCache, RebuildReadsMetadataAndIndexesWords) {
    Fixture f;
    PresetCache cache(f.file);
    int entriesEvents = 0;
    cache.entriesChanged.addHandler(NotifyEvent::bind([&](void*) { ++entriesEvents; }));
    f.rebuild(cache);
    EXPECT_EQ(cache.getWorkerState(), PresetCache::kIdle);
    PresetCache::Entry entry("");
    ASSERT_TRUE(cache.findEntry(f.root / "Bass\\Deep.ztp", entry));
    EXPECT_EQ(entry.author, "Ann");
    EXPECT_EQ(entry.bank, 0);
    EXPECT_EQ(cache.getWords(entry.path),
              (std::vector<std::pair<std::string, int32_t>>{{"Deep", 0}, {"Ann", 1}, {"Bass\\", 0}}));
    // Events fire only when the queue is pumped on this thread.
    EXPECT_EQ(entriesEvents, 0);
    cache.getEventQueue()->deliverPending();
    EXPECT_GT(entriesEvents, 0);

    // Saved in path order; a new cache reads the same entries.
    PresetCache again(f.file);
    EXPECT_EQ(again.getEntries().size(), 2u);
    const std::string bytes = readFileToString(f.file);
    EXPECT_EQ(bytes.substr(0, 8), "ztPC" + u32(4));
}

TEST(PresetCache, UnchangedFilesAreNotReadAgain) {
    Fixture f;
    PresetCache cache(f.file);
    f.rebuild(cache);
    // Same size and modification time: a rebuild keeps the cached metadata.
    const std::string lead = f.root / "Lead.ztp";
    auto before = std::filesystem::last_write_time(test::fsPath(lead));
    test::writeWholeFile(lead, preset("Cyd"));
    std::filesystem::last_write_time(test::fsPath(lead), before);
    f.rebuild(cache);
    PresetCache::Entry entry("");
    ASSERT_TRUE(cache.findEntry(lead, entry));
    EXPECT_EQ(entry.author, "Bob");
    // Another folder set rereads everything.
    TemporaryFolder other("cache-other");
    PresetManager manager(f.root.path(), ".ztp");
    manager.addExtraFolder(std::make_unique<PresetFolder>(other.path(), ".ztp", 2500));
    manager.setCache(&cache);
    manager.update();
    cache.waitForWorker();
    ASSERT_TRUE(cache.findEntry(lead, entry));
    EXPECT_EQ(entry.author, "Cyd");
}

TEST(PresetCache, FavouritesGoToTextFilesAndSurviveSkippedFolders) {
    Fixture f;
    PresetCache cache(f.file);
    f.rebuild(cache);
    PresetCache::Entry deep(f.root / "Bass\\Deep.ztp");
    cache.addFavorite(deep);
    EXPECT_TRUE(cache.isFavorite(deep));
    const std::string favorites = f.root / "Favorites.txt";
    EXPECT_EQ(readFileToString(favorites),
              platformText(std::string(favoritesFileHeader()) + "Bass/Deep.ztp\n"));

    // A scan that ran out of time lists no entries: the favourite stays.
    cache.startRebuild({f.root.path()}, {});
    cache.waitForWorker();
    EXPECT_TRUE(cache.isFavorite(deep));
    EXPECT_EQ(readFileToString(favorites),
              platformText(std::string(favoritesFileHeader()) + "Bass/Deep.ztp\n"));

    // A vanished preset loses its favourite.
    std::filesystem::remove(test::fsPath(deep.path));
    f.rebuild(cache);
    EXPECT_FALSE(cache.isFavorite(deep));
    EXPECT_EQ(readFileToString(favorites), platformText(favoritesFileHeader()));

    // Lines written by hand with either separator are read.
    test::writeWholeFile(favorites, "# mine\nLead.ztp\n\n");
    std::vector<std::string> paths;
    readFavoritesFile(favorites, paths);
    EXPECT_EQ(paths, (std::vector<std::string>{f.root / "Lead.ztp"}));
    PresetCache reloaded(f.file);
    EXPECT_EQ(reloaded.getFavoritePaths(), (std::vector<std::string>{f.root / "Lead.ztp"}));
}

TEST(PresetCache, OlderFileMovesItsFavouritesIntoTextFiles) {
    Fixture f;
    const std::string lead = f.root / "Lead.ztp";
    const std::string folder = f.root.path() + "\\";
    const std::string v3 = "ztPC" + u32(3) + u32(1) + str(folder) + u32(1) + str(lead) + u32(7) + u32(0) +
                           str("Lead") + u32(0) + u32(0) + str("Bob") + str("") + u32(1) + str("t") + u32(1) +
                           str(lead);
    ASSERT_TRUE(test::writeWholeFile(f.file, v3));
    PresetCache cache(f.file);
    EXPECT_EQ(cache.getFavoritePaths(), (std::vector<std::string>{lead}));
    EXPECT_EQ(readFileToString(f.root / "Favorites.txt"),
              platformText(std::string(favoritesFileHeader()) + "Lead.ztp\n"));
    const std::string v4 = readFileToString(f.file);
    EXPECT_EQ(v4, "ztPC" + u32(4) + u32(1) + str(folder) + u32(1) + str(lead) + u32(7) + u32(0) +
                      str("Lead") + u32(0) + u32(0) + str("Bob") + str("") + u32(1) + str("t"));
}

TEST(PresetCache, HostileFilesLoadEmpty) {
    Fixture f;
    const std::string lead = f.root / "Lead.ztp";
    const std::string good = "ztPC" + u32(4) + u32(1) + str("C:\\") + u32(1) + str(lead) + u32(7) + u32(0) +
                             str("Lead") + u32(0) + u32(0) + str("Bob") + str("") + u32(1) + str("t");
    std::vector<std::string> cases;
    for (size_t cut = 0; cut < good.size(); ++cut)
        cases.push_back(good.substr(0, cut));
    cases.push_back("ztPX" + good.substr(4));
    cases.push_back("ztPC" + u32(5) + good.substr(8));
    cases.push_back("ztPC" + u32(4) + u32(0xFFFFFFFF));                   // folder count
    cases.push_back("ztPC" + u32(4) + u32(0) + u32(0xFFFFFFFF));          // entry count
    cases.push_back("ztPC" + u32(2) + u32(0) + u32(0xFFFFFFFF) + "xxxx"); // favourite count
    cases.push_back(good.substr(0, good.size() - 9) + u32(0xFFFFFFFF));   // tag count
    for (const std::string& bytes : cases) {
        ASSERT_TRUE(test::writeWholeFile(f.file, bytes));
        PresetCache cache(f.file);
        EXPECT_TRUE(cache.getEntries().empty());
        EXPECT_FALSE(cache.load());
        EXPECT_EQ(readFileToString(f.file), bytes);
    }
    ASSERT_TRUE(test::writeWholeFile(f.file, good));
    PresetCache cache(f.file);
    EXPECT_EQ(cache.getEntries().size(), 1u);
}

TEST(PresetCache, WorkerAgainstFavouritesAndRestarts) {
    Fixture f;
    for (int i = 0; i < 60; ++i)
        test::writeWholeFile(f.root / ("P" + std::to_string(i) + ".ztp"), preset("A" + std::to_string(i)));
    PresetManager manager(f.root.path(), ".ztp");
    manager.refresh(f.root.path());
    std::vector<PresetCacheEntry*> list;
    manager.collectEntries(list);
    PresetCache cache(f.file);
    std::atomic<bool> stop{false};
    std::thread editor([&] {
        int i = 0;
        while (!stop) {
            PresetCache::Entry entry(f.root / ("P" + std::to_string(i % 60) + ".ztp"));
            if (i % 2 == 0)
                cache.addFavorite(entry);
            else
                cache.removeFavorite(entry);
            cache.isFavorite(entry);
            ++i;
        }
    });
    for (int round = 0; round < 5; ++round) {
        cache.startRebuild({f.root.path()}, list);
        manager.refresh(f.root.path()); // the worker holds copies
        manager.collectEntries(list);
    }
    cache.waitForWorker();
    stop = true;
    editor.join();
    EXPECT_EQ(cache.getEntries().size(), 62u);
    cache.getEventQueue()->deliverPending();
}

} // namespace
