#pragma once

// Undo history and A/B compare: two stores of whole snapshots of the
// plug-in's state (parameter values, the current-preset record, the extra
// values and the custom settings), taken from and given back to their
// owner, the model (GenericSnapshotOwner). The undo history is a ring of 100
// records; the compare pair holds the A and B states. The model knows them
// as GenericPlugin::UndoHistory, ::CompareStates and ::Snapshot, makes both
// stores at start-up and releases them at shutdown.
//
// Undo and redo counts stop at 99: one record of the ring always holds the
// state an undo returns to, so the oldest step is never the current one.
// Main or editor thread only.

#include "plugin/CurrentPresetRecord.h"
#include "plugin/GenericSnapshotOwner.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct PluginSnapshot {
    std::string name;
    PresetRecordValues preset;
    int32_t compareIndex = 0;
    std::vector<float> values;
    std::vector<float> extraValues;
    std::map<std::string, std::string> settings;
};

class SnapshotList {
public:
    SnapshotList(GenericSnapshotOwner& owner, int32_t count);
    virtual ~SnapshotList() = default;

    // Fills record i from the owner's current state.
    void storeSnapshot(int32_t i, const std::string& name);
    const PluginSnapshot& get(int32_t i) const { return records_[static_cast<size_t>(i)]; }
    int32_t size() const { return static_cast<int32_t>(records_.size()); }

private:
    GenericSnapshotOwner& owner_;
    std::vector<PluginSnapshot> records_;
};

class CompareStates {
public:
    CompareStates(GenericSnapshotOwner& owner);
    virtual ~CompareStates() = default;

    // Stores the current state into the inactive slot.
    void copyToOther();
    // Stores the current state into the active slot and switches (nothing
    // is restored).
    void setActive(int32_t slot);
    // Switches to the other slot, restores it and pushes an undo step.
    void toggle();
    // Both slots hold the current state (the editor's first attach).
    void initialize();

    int32_t getActive() const { return active_; }
    bool isChanged() const { return changed_; }
    void setChanged(bool changed) { changed_ = changed; }
    bool isInitialized() const { return initialized_; }
    const SnapshotList& getList() const { return list_; }

private:
    GenericSnapshotOwner& owner_;
    int32_t active_ = 0;
    bool changed_ = false;
    bool initialized_ = false;
    SnapshotList list_;
};

class UndoHistory {
public:
    static constexpr int32_t kRecords = 100;
    static constexpr int32_t kMaxSteps = kRecords - 1;

    explicit UndoHistory(GenericSnapshotOwner& owner);
    virtual ~UndoHistory() = default;

    // Moves by n records (wrapping) and restores that record.
    void step(int32_t n);
    void push(const std::string& name);
    // False when there is nothing to undo or redo.
    bool undo();
    bool redo();
    // "Initial state" into record 0 while the history is untouched.
    void initialize();

    int32_t getUndoCount() const { return undoCount_; }
    int32_t getRedoCount() const { return redoCount_; }
    int32_t getIndex() const { return index_; }
    const SnapshotList& getList() const { return list_; }

private:
    int32_t redoCount_ = 0;
    int32_t undoCount_ = 0;
    int32_t index_ = 0;
    GenericSnapshotOwner& owner_;
    SnapshotList list_;
};
