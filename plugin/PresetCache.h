#pragma once

// The per-process catalogue of preset metadata: one entry per preset file of
// the preset folders with author, description and tags, a word index for the
// preset browser, and the favourite presets. It loads "PresetCache.dat" at
// construction and is refreshed by a worker thread whenever the folders were
// rescanned. Favourites live in one "Favorites.txt" per folder (text mode:
// the platform's line ends), one path per line relative to that folder,
// with '/' between components.
//
// "PresetCache.dat", little-endian, strings as u32 length and bytes:
//   "ztPC", u32 version (written 4), u32 folder count + folders (version 3
//   on), u32 entry count, per entry: path, i64 modification time, name
//   (ignored on reading), i32 bank, i32 program, author, description, u32
//   tag count + tags; versions 2 and 3 then carry u32 + favourite paths.
// Entries are written in ascending path order. A file with another magic,
// an unknown version or any read that fails loads as an empty cache (and is
// not rewritten by the favourites migration).
//
// Threads: the creating (main) thread runs startRebuild, the favourites and
// the event dispatch; one worker at a time reads metadata. Every access to
// the maps takes the cache lock; the worker holds it per entry. Events fire
// only on the creating thread, from codes posted to the cache's queue
// (0 rebuild state, 1 entries, 2 favourites).
//
// A rebuild drops a cached entry it did not meet only when its file is gone
// or lies under no folder of the set: folders a scan skipped for lack of
// time keep their entries and favourites.

#include "foundation/AsyncEventQueue.h"
#include "foundation/Lock.h"
#include "foundation/NotifyEvent.h"
#include "foundation/UpdatedObject.h"
#include "plugin/PresetCacheEntry.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class PresetCache : public UpdatedObject, public LockedObject {
public:
    using Entry = PresetCacheEntry;

    enum WorkerState : uint32_t { kStopRequested = 0, kRunning = 1, kIdle = 2 };
    enum Code : int32_t { kRebuildStateChanged = 0, kEntriesChanged = 1, kFavoritesChanged = 2 };
    enum WordKind : int32_t { kNameOrFolder = 0, kAuthor = 1, kDescription = 2, kTag = 3 };

    static constexpr uint32_t kVersion = 4;
    static constexpr size_t kMaxFileSize = 64u * 1024u * 1024u;
    static constexpr const char* kFileName = "PresetCache.dat";
    static constexpr const char* kFavoritesFile = "Favorites.txt";

    struct WordRow {
        uint64_t key;
        Entry* entry;
        int32_t kind;
    };

    // What the worker reads of a scanned entry (copies: the folders may be
    // rescanned while it runs).
    struct Scanned {
        std::string path;
        int64_t modificationTime;
        int32_t bank;
        int32_t program;
    };

    // What a cache file holds.
    struct FileContents {
        std::set<std::string> folders;
        std::vector<std::unique_ptr<Entry>> entries;
        std::vector<std::string> favorites;
    };

    // Loads the file when it exists.
    explicit PresetCache(std::string path);
    ~PresetCache() override;

    // False when the file could not be read as a cache (the cache is empty).
    bool load();
    bool save();
    void update() override;

    // Main thread: stops and joins a running worker, then starts one over
    // the folders and copies of the entries.
    void startRebuild(const std::vector<std::string>& folders, const std::vector<Entry*>& entries);
    // Joins a running worker (tests, shutdown).
    void waitForWorker();
    uint32_t getWorkerState() const { return workerState_.load(); }

    bool isFavorite(const Entry& entry);
    void addFavorite(const Entry& entry);
    void removeFavorite(const Entry& entry);
    // Worker side: takes ownership.
    void addEntry(Entry* entry);
    void removeEntry(Entry* entry);

    // Copies, under the lock.
    std::vector<Entry> getEntries();
    bool findEntry(const std::string& path, Entry& out);
    std::set<std::string> getFolders();
    std::vector<std::string> getFavoritePaths();
    std::vector<std::pair<std::string, int32_t>> getWords(const std::string& path);

    AsyncEventQueue* getEventQueue() const { return queue_.get(); }
    const std::string& getPath() const { return path_; }

    NotifyEvent entriesChanged;
    NotifyEvent rebuildStateChanged;
    NotifyEvent favoritesChanged;

    // Reads a whole cache file; false (contents unusable) for another magic,
    // an unknown version or any read that fails.
    static bool parseFile(const std::string& bytes, FileContents& out);
    // 64-bit FNV-1a of the bytes.
    static uint64_t hashKey(const std::string& text);

private:
    void dispatch(void* queue);
    void post(int32_t code);
    void indexEntry(Entry* entry);
    void unindexEntry(const Entry* entry);
    void clearAll();
    void rebuildWorker(std::vector<Scanned> scanned, bool forceReread);
    bool underFolder(const std::string& path) const;
    std::string folderOf(const std::string& path) const;
    bool saveLocked();

    std::string path_;
    std::atomic<uint32_t> workerState_{kIdle};
    std::unordered_set<uint64_t> removedDuringRebuild_;
    std::unique_ptr<AsyncEventQueue> queue_;
    std::thread worker_;
    std::thread::id workerId_;
    std::unordered_map<uint64_t, std::unique_ptr<Entry>> entries_;
    std::set<std::string> folders_;
    std::vector<WordRow> words_;
    std::unordered_set<uint64_t> seenInRebuild_;
    std::unordered_map<uint64_t, std::string> wordTexts_;
    std::unordered_set<uint64_t> favorites_;
};

// The full paths of the favourites listed in a favourites file (comments
// and empty lines skipped); nothing when the file is missing or too large.
void readFavoritesFile(const std::string& path, std::vector<std::string>& out);
// The five header lines of a new favourites file, with '\n' line ends.
const char* favoritesFileHeader();
