#pragma once

// The plug-in model as its undo history and A/B compare see it
// (GenericPluginSnapshots.h): the stores copy its whole state into
// snapshots, give a snapshot back, and reach each other through it. The
// model (GenericPlugin) implements it. Main or editor thread only.

class CompareStates;
class UndoHistory;
struct PluginSnapshot;

class GenericSnapshotOwner {
public:
    virtual ~GenericSnapshotOwner() = default;

    // Fills the record with the current state (all but its name).
    virtual void captureSnapshot(PluginSnapshot& record) const = 0;
    // Makes the record's state the current one.
    virtual void restoreSnapshot(const PluginSnapshot& record) = 0;
    // The stores (null before start-up made them).
    virtual UndoHistory* getUndoHistory() const = 0;
    virtual CompareStates* getCompareStates() const = 0;
};
