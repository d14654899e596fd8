#include "plugin/GenericPluginSnapshots.h"

#include <algorithm>

// --- SnapshotList

SnapshotList::SnapshotList(GenericSnapshotOwner& owner, int32_t count)
    : owner_(owner), records_(static_cast<size_t>(count)) {}

void SnapshotList::storeSnapshot(int32_t i, const std::string& name) {
    if (i < 0 || i >= size()) return;
    PluginSnapshot& record = records_[static_cast<size_t>(i)];
    record.name = name;
    owner_.captureSnapshot(record);
}

// --- CompareStates

CompareStates::CompareStates(GenericSnapshotOwner& owner) : owner_(owner), list_(owner, 2) {}

void CompareStates::copyToOther() {
    list_.storeSnapshot((active_ + 1) % 2, std::string());
    changed_ = false;
}

void CompareStates::setActive(int32_t slot) {
    if (slot == active_ || slot < 0 || slot > 1) return;
    list_.storeSnapshot(active_, std::string());
    active_ = slot;
}

void CompareStates::toggle() {
    setActive((active_ + 1) % 2);
    owner_.restoreSnapshot(list_.get(active_));
    if (UndoHistory* history = owner_.getUndoHistory()) history->push(std::string());
}

void CompareStates::initialize() {
    list_.storeSnapshot(active_, std::string());
    copyToOther();
    initialized_ = true;
}

// --- UndoHistory

UndoHistory::UndoHistory(GenericSnapshotOwner& owner) : owner_(owner), list_(owner, kRecords) {}

void UndoHistory::step(int32_t n) {
    const int32_t count = list_.size();
    index_ = ((index_ + n) % count + count) % count;
    const PluginSnapshot& record = list_.get(index_);
    CompareStates* compare = owner_.getCompareStates();
    if (compare != nullptr) compare->setActive(record.compareIndex);
    owner_.restoreSnapshot(record);
    if (compare != nullptr) compare->setChanged(true);
}

void UndoHistory::push(const std::string& name) {
    index_ = (index_ + 1) % list_.size();
    list_.storeSnapshot(index_, name);
    redoCount_ = 0;
    undoCount_ = std::min(undoCount_ + 1, kMaxSteps);
}

bool UndoHistory::undo() {
    if (undoCount_ < 1) return false;
    step(-1);
    --undoCount_;
    redoCount_ = std::min(redoCount_ + 1, kMaxSteps);
    return true;
}

bool UndoHistory::redo() {
    if (redoCount_ < 1) return false;
    step(1);
    undoCount_ = std::min(undoCount_ + 1, kMaxSteps);
    --redoCount_;
    return true;
}

void UndoHistory::initialize() {
    if (index_ == 0 && undoCount_ == 0 && redoCount_ == 0) list_.storeSnapshot(0, "Initial state");
}
