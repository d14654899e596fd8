#include "plugin/PresetCache.h"

#include "foundation/AtomicFile.h"
#include "foundation/BinaryData.h"
#include "foundation/FilePaths.h"
#include "foundation/Files.h"
#include "foundation/StringUtils.h"
#include "plugin/PresetMetadata.h"
#include "plugin/TextLineEnding.h"

#include <algorithm>
#include <sstream>

namespace {

constexpr char kMagic[] = "ztPC";
constexpr uint32_t kMaxTags = 65536;
constexpr size_t kMaxFavoritesFileSize = 16u * 1024u * 1024u;

const char kHeader[] = "# == Zentor Preset Favorites File ==\n"
                       "# This file contains all favorites in this folder and its subfolders.\n"
                       "# Each file must be a valid relative *nix path (for example \"Bass/Test.ztp\").\n"
                       "# Note: Paths are case sensitive across all operating systems.\n"
                       "# Lines starting with a '#' will be ignored.\n\n";

std::string withBackslash(std::string path) {
    if (!path.empty() && path.back() != '\\') path += '\\';
    return path;
}

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

// The file's lines (any line end); false when missing or too large.
bool readLines(const std::string& path, std::vector<std::string>& lines) {
    lines.clear();
    if (!fileExists(path)) return false;
    auto stream = openFileStream(path, std::ios::in | std::ios::binary);
    std::string bytes;
    char buffer[65536];
    while (stream->good()) {
        stream->read(buffer, sizeof buffer);
        bytes.append(buffer, static_cast<size_t>(stream->gcount()));
        if (bytes.size() > kMaxFavoritesFileSize) return false;
    }
    std::istringstream text(bytes, std::ios::in | std::ios::binary);
    while (text.peek() != std::char_traits<char>::eof())
        lines.push_back(readLine(text));
    return true;
}

std::string platformText(const std::string& text) {
    const std::string_view ending = textFileLineEnding();
    return ending == "\n" ? text : replaceAll(text, "\n", ending);
}

} // namespace

const char* favoritesFileHeader() {
    return kHeader;
}

void readFavoritesFile(const std::string& path, std::vector<std::string>& out) {
    std::vector<std::string> lines;
    if (folderExists(path) || !readLines(path, lines)) return;
    const std::string folder = getDirectoryPath(path);
    for (const std::string& line : lines)
        if (!line.empty() && line[0] != '#') out.push_back(appendRelativePath(line, folder));
}

uint64_t PresetCache::hashKey(const std::string& text) {
    uint64_t hash = 0xcbf29ce484222325ull;
    for (char c : text) {
        hash ^= static_cast<uint8_t>(c);
        hash *= 0x100000001b3ull;
    }
    return hash;
}

PresetCache::PresetCache(std::string path) : path_(std::move(path)), queue_(AsyncEventQueue::create()) {
    if (queue_) queue_->event().setHandler(NotifyEvent::bind(this, &PresetCache::dispatch));
    if (fileExists(path_)) load();
}

PresetCache::~PresetCache() {
    workerState_.store(kStopRequested);
    if (worker_.joinable()) worker_.join();
}

void PresetCache::dispatch(void* argument) {
    switch (static_cast<AsyncEventQueue*>(argument)->code()) {
    case kRebuildStateChanged:
        rebuildStateChanged.notify(this);
        break;
    case kEntriesChanged:
        entriesChanged.notify(this);
        break;
    case kFavoritesChanged:
        favoritesChanged.notify(this);
        break;
    default:
        break;
    }
}

void PresetCache::post(int32_t code) {
    if (queue_) queue_->post(code, 0);
}

// --- Index

void PresetCache::indexEntry(Entry* entry) {
    auto add = [&](const std::string& word, int32_t kind) {
        const uint64_t key = hashKey(word);
        words_.push_back({key, entry, kind});
        wordTexts_.emplace(key, word);
    };
    add(entry->name, kNameOrFolder);
    if (!entry->author.empty()) add(entry->author, kAuthor);
    if (!entry->description.empty()) add(entry->description, kDescription);
    for (const std::string& tag : entry->tags)
        add(tag, kTag);
    const std::string folder = folderOf(entry->path);
    if (!folder.empty()) add(folder, kNameOrFolder);
}

std::string PresetCache::folderOf(const std::string& path) const {
    const std::string directory = getDirectoryPath(path);
    for (const std::string& folder : folders_) {
        const std::string root = withBackslash(folder);
        if (startsWith(directory, root)) return directory.substr(root.size());
    }
    return directory;
}

bool PresetCache::underFolder(const std::string& path) const {
    for (const std::string& folder : folders_)
        if (startsWith(path, withBackslash(folder))) return true;
    return false;
}

void PresetCache::unindexEntry(const Entry* entry) {
    words_.erase(
        std::remove_if(words_.begin(), words_.end(), [&](const WordRow& row) { return row.entry == entry; }),
        words_.end());
}

void PresetCache::clearAll() {
    words_.clear();
    wordTexts_.clear();
    entries_.clear();
}

// --- Entries

void PresetCache::addEntry(Entry* entry) {
    std::unique_ptr<Entry> owned(entry);
    ScopedLock hold(*this);
    const uint64_t key = hashKey(entry->path);
    auto it = entries_.find(key);
    if (it != entries_.end()) {
        unindexEntry(it->second.get());
        entries_.erase(it);
    }
    indexEntry(entry);
    entries_[key] = std::move(owned);
    seenInRebuild_.insert(key);
    if (workerState_.load() == kRunning && std::this_thread::get_id() != workerId_)
        removedDuringRebuild_.erase(key);
    if (workerState_.load() != kStopRequested) post(kEntriesChanged);
    requestUpdate();
}

void PresetCache::removeEntry(Entry* entry) {
    ScopedLock hold(*this);
    const uint64_t key = hashKey(entry->path);
    auto it = entries_.find(key);
    if (it != entries_.end()) {
        unindexEntry(it->second.get());
        entries_.erase(it);
        if (workerState_.load() != kStopRequested) post(kEntriesChanged);
        requestUpdate();
    } else if (workerState_.load() == kRunning && std::this_thread::get_id() != workerId_) {
        removedDuringRebuild_.insert(key);
    }
}

std::vector<PresetCache::Entry> PresetCache::getEntries() {
    ScopedLock hold(*this);
    std::vector<Entry> list;
    for (const auto& item : entries_)
        list.push_back(*item.second);
    std::sort(list.begin(), list.end(), [](const Entry& a, const Entry& b) { return a.path < b.path; });
    return list;
}

bool PresetCache::findEntry(const std::string& path, Entry& out) {
    ScopedLock hold(*this);
    auto it = entries_.find(hashKey(path));
    if (it == entries_.end()) return false;
    out = *it->second;
    return true;
}

std::set<std::string> PresetCache::getFolders() {
    ScopedLock hold(*this);
    return folders_;
}

std::vector<std::string> PresetCache::getFavoritePaths() {
    ScopedLock hold(*this);
    std::vector<std::string> paths;
    for (uint64_t key : favorites_) {
        auto it = entries_.find(key);
        if (it != entries_.end()) paths.push_back(it->second->path);
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

std::vector<std::pair<std::string, int32_t>> PresetCache::getWords(const std::string& path) {
    ScopedLock hold(*this);
    std::vector<std::pair<std::string, int32_t>> result;
    auto it = entries_.find(hashKey(path));
    if (it == entries_.end()) return result;
    for (const WordRow& row : words_)
        if (row.entry == it->second.get()) result.emplace_back(wordTexts_[row.key], row.kind);
    return result;
}

// --- Favourites

bool PresetCache::isFavorite(const Entry& entry) {
    ScopedLock hold(*this);
    return favorites_.count(hashKey(entry.path)) != 0;
}

void PresetCache::addFavorite(const Entry& entry) {
    ScopedLock hold(*this);
    const uint64_t key = hashKey(entry.path);
    if (!favorites_.insert(key).second) return;
    auto it = entries_.find(key);
    if (it != entries_.end()) writePresetMetadata(*it->second);
    post(kFavoritesChanged);
    requestUpdate();
}

void PresetCache::removeFavorite(const Entry& entry) {
    ScopedLock hold(*this);
    const uint64_t key = hashKey(entry.path);
    if (favorites_.erase(key) == 0) return;
    auto it = entries_.find(key);
    if (it != entries_.end()) writePresetMetadata(*it->second);
    post(kFavoritesChanged);
    requestUpdate();
}

// --- Rebuild

void PresetCache::update() {
    UpdatedObject::update();
    if (workerState_.load() == kIdle) save();
}

void PresetCache::waitForWorker() {
    if (worker_.joinable()) worker_.join();
}

void PresetCache::startRebuild(const std::vector<std::string>& folders, const std::vector<Entry*>& entries) {
    uint32_t running = kRunning;
    workerState_.compare_exchange_strong(running, kStopRequested);
    if (worker_.joinable()) worker_.join();
    workerState_.store(kRunning);
    post(kRebuildStateChanged);

    std::vector<Scanned> scanned;
    scanned.reserve(entries.size());
    for (const Entry* entry : entries)
        scanned.push_back({entry->path, entry->modificationTime, entry->bank, entry->program});

    ScopedLock hold(*this);
    seenInRebuild_.clear();
    removedDuringRebuild_.clear();
    std::set<std::string> list;
    for (const std::string& folder : folders)
        list.insert(withBackslash(folder));
    const bool changed = list != folders_;
    if (changed) folders_ = std::move(list);
    worker_ = std::thread(
        [this, work = std::move(scanned), changed]() mutable { rebuildWorker(std::move(work), changed); });
    workerId_ = worker_.get_id();
}

void PresetCache::rebuildWorker(std::vector<Scanned> scanned, bool forceReread) {
    bool changed = false;
    for (const Scanned& item : scanned) {
        if (workerState_.load() == kStopRequested) return;
        ScopedLock hold(*this);
        const uint64_t key = hashKey(item.path);
        seenInRebuild_.insert(key);
        auto it = entries_.find(key);
        if (it != entries_.end()) {
            Entry& cached = *it->second;
            if (!forceReread && cached.modificationTime == item.modificationTime) {
                if (cached.bank != item.bank || cached.program != item.program) {
                    cached.setMenuPosition(item.bank, item.program);
                    changed = true;
                }
                continue;
            }
            removeEntry(&cached);
        }
        changed = true;
        if (fileExists(item.path)) {
            auto entry = std::make_unique<Entry>(item.path);
            readPresetMetadata(item.path, *entry);
            entry->setMenuPosition(item.bank, item.program);
            entry->modificationTime = item.modificationTime;
            addEntry(entry.release());
        }
    }
    ScopedLock hold(*this);
    for (auto it = entries_.begin(); it != entries_.end();) {
        if (workerState_.load() == kStopRequested) return;
        const uint64_t key = it->first;
        const Entry& entry = *it->second;
        const bool unseen = seenInRebuild_.count(key) == 0;
        const bool drop = removedDuringRebuild_.count(key) != 0 ||
                          (unseen && (!fileExists(entry.path) || !underFolder(entry.path)));
        if (!drop) {
            ++it;
            continue;
        }
        favorites_.erase(key);
        unindexEntry(&entry);
        it = entries_.erase(it);
        changed = true;
    }
    workerState_.store(kIdle);
    post(kRebuildStateChanged);
    if (changed) saveLocked();
}

// --- Files

bool PresetCache::parseFile(const std::string& bytes, FileContents& out) {
    out = FileContents();
    std::istringstream stream(bytes, std::ios::in | std::ios::binary);
    BinaryDataReader reader(stream);
    char magic[4];
    if (!reader.readBytes(magic, 4) || std::string(magic, 4) != kMagic) return false;
    const uint32_t version = reader.readUInt32();
    if (!reader.isGood() || version < 1 || version > kVersion) return false;

    if (version >= 3) {
        const uint32_t count = reader.readUInt32();
        for (uint32_t i = 0; i < count; ++i) {
            std::string folder = reader.readString();
            if (!reader.isGood()) return false;
            out.folders.insert(std::move(folder));
        }
    }
    const uint32_t count = reader.readUInt32();
    for (uint32_t i = 0; i < count && reader.isGood(); ++i) {
        std::string path = reader.readString();
        if (!reader.isGood()) return false;
        if (path.empty()) break;
        auto entry = std::make_unique<Entry>(std::move(path));
        const uint64_t low = reader.readUInt32();
        entry->modificationTime = static_cast<int64_t>(low | uint64_t(reader.readUInt32()) << 32);
        reader.readString();
        const int32_t bank = reader.readInt32();
        const int32_t program = reader.readInt32();
        entry->setMenuPosition(bank, program);
        entry->author = reader.readString();
        entry->description = reader.readString();
        const uint32_t tags = reader.readUInt32();
        if (!reader.isGood() || tags > kMaxTags) return false;
        for (uint32_t t = 0; t < tags; ++t) {
            entry->tags.push_back(reader.readString());
            if (!reader.isGood()) return false;
        }
        out.entries.push_back(std::move(entry));
    }
    if (!reader.isGood()) return false;
    if (version == 2 || version == 3) {
        const uint32_t favorites = reader.readUInt32();
        for (uint32_t i = 0; i < favorites; ++i) {
            out.favorites.push_back(reader.readString());
            if (!reader.isGood()) return false;
        }
    }

    return true;
}

bool PresetCache::load() {
    ScopedLock hold(*this);
    clearAll();
    favorites_.clear();
    std::string bytes;
    {
        auto stream = openFileStream(path_, std::ios::in | std::ios::binary);
        char buffer[65536];
        while (stream->good()) {
            stream->read(buffer, sizeof buffer);
            bytes.append(buffer, static_cast<size_t>(stream->gcount()));
            if (bytes.size() > kMaxFileSize) return false;
        }
    }
    FileContents contents;
    if (!parseFile(bytes, contents)) return false;
    std::set<std::string>& folders = contents.folders;
    std::vector<std::unique_ptr<Entry>>& list = contents.entries;
    std::vector<std::string>& storedFavorites = contents.favorites;

    folders_ = std::move(folders);
    for (auto& entry : list) {
        const uint64_t key = hashKey(entry->path);
        Entry* raw = entry.get();
        if (entries_.count(key) != 0) continue;
        entries_[key] = std::move(entry);
        indexEntry(raw);
    }
    for (const std::string& path : storedFavorites)
        if (entries_.count(hashKey(path)) != 0) favorites_.insert(hashKey(path));
    for (const std::string& folder : folders_) {
        std::vector<std::string> paths;
        readFavoritesFile(withBackslash(folder) + kFavoritesFile, paths);
        for (const std::string& path : paths)
            if (entries_.count(hashKey(path)) != 0) favorites_.insert(hashKey(path));
    }
    if (!storedFavorites.empty()) saveLocked();
    return true;
}

bool PresetCache::save() {
    ScopedLock hold(*this);
    return saveLocked();
}

bool PresetCache::saveLocked() {
    std::vector<const Entry*> sorted;
    for (const auto& item : entries_)
        sorted.push_back(item.second.get());
    std::sort(sorted.begin(), sorted.end(), [](const Entry* a, const Entry* b) { return a->path < b->path; });
    std::ostringstream bytes(std::ios::out | std::ios::binary);
    BinaryDataWriter writer(bytes);
    writer.writeBytes(kMagic, 4);
    writer.writeUInt32(kVersion);
    writer.writeUInt32(static_cast<uint32_t>(folders_.size()));
    for (const std::string& folder : folders_)
        writer.writeString(folder);
    writer.writeUInt32(static_cast<uint32_t>(sorted.size()));
    for (const Entry* entry : sorted) {
        writer.writeString(entry->path);
        writer.writeUInt32(static_cast<uint32_t>(static_cast<uint64_t>(entry->modificationTime)));
        writer.writeUInt32(static_cast<uint32_t>(static_cast<uint64_t>(entry->modificationTime) >> 32));
        writer.writeString(entry->name);
        writer.writeInt32(entry->bank);
        writer.writeInt32(entry->program);
        writer.writeString(entry->author);
        writer.writeString(entry->description);
        writer.writeUInt32(static_cast<uint32_t>(entry->tags.size()));
        for (const std::string& tag : entry->tags)
            writer.writeString(tag);
    }
    bool ok = writer.isGood() && createDirectories(getDirectoryPath(path_)) &&
              writeFileAtomically(path_, bytes.str());

    // Favourites: existing files keep their comments and the lines that
    // still name a favourite; new favourites go to the first folder that
    // holds them.
    std::map<std::string, std::vector<std::string>> content;
    std::set<std::string> existing;
    std::unordered_set<uint64_t> written;
    for (const std::string& folder : folders_) {
        const std::string file = withBackslash(folder) + kFavoritesFile;
        std::vector<std::string> lines;
        if (!readLines(file, lines)) continue;
        existing.insert(folder);
        std::vector<std::string>& kept = content[folder];
        for (const std::string& line : lines) {
            if (line.empty() || line[0] == '#') {
                kept.push_back(line);
                continue;
            }
            const uint64_t key = hashKey(appendRelativePath(line, withBackslash(folder)));
            if (favorites_.count(key) != 0 && entries_.count(key) != 0) {
                kept.push_back(line);
                written.insert(key);
            }
        }
    }
    std::map<std::string, std::vector<std::string>> added;
    for (uint64_t key : favorites_) {
        if (written.count(key) != 0) continue;
        auto it = entries_.find(key);
        if (it == entries_.end()) continue;
        for (const std::string& folder : folders_) {
            const std::string root = withBackslash(folder);
            if (!startsWith(it->second->path, root)) continue;
            std::string relative = it->second->path.substr(root.size());
            std::replace(relative.begin(), relative.end(), '\\', '/');
            added[folder].push_back(relative);
            break;
        }
    }
    for (auto& [folder, lines] : added) {
        std::sort(lines.begin(), lines.end());
        auto& target = content[folder];
        target.insert(target.end(), lines.begin(), lines.end());
    }
    for (const auto& [folder, lines] : content) {
        std::string text = existing.count(folder) != 0 ? std::string() : std::string(kHeader);
        for (const std::string& line : lines)
            text += line + "\n";
        ok = writeFileAtomically(withBackslash(folder) + kFavoritesFile, platformText(text)) && ok;
    }
    return ok;
}
