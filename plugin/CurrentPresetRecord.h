#pragma once

// Which preset the plug-in holds: its name, its file's path (empty when the
// preset is not in the main preset manager) and whether it was changed
// since it was loaded. The modified flag is atomic: host automation sets it
// on the audio thread. Name and path belong to the main thread.

#include <atomic>
#include <string>

// The record as a plain value (snapshots keep copies).
struct PresetRecordValues {
    std::string name;
    std::string path;
    bool modified = false;
};

class CurrentPresetRecord {
public:
    CurrentPresetRecord() = default;
    CurrentPresetRecord(const CurrentPresetRecord&) = delete;
    CurrentPresetRecord& operator=(const CurrentPresetRecord&) = delete;

    const std::string& getName() const { return name_; }
    const std::string& getPath() const { return path_; }
    bool isModified() const { return modified_.load(std::memory_order_relaxed); }

    void setName(std::string name) { name_ = std::move(name); }
    void setPath(std::string path) { path_ = std::move(path); }
    // Returns the previous flag.
    bool setModified(bool modified) { return modified_.exchange(modified, std::memory_order_relaxed); }

    PresetRecordValues values() const { return {name_, path_, isModified()}; }
    void assign(const PresetRecordValues& values) {
        name_ = values.name;
        path_ = values.path;
        setModified(values.modified);
    }

private:
    std::string name_;
    std::string path_;
    std::atomic<bool> modified_{false};
};
