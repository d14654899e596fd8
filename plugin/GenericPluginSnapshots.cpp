#include "plugin/GenericPluginSnapshots.h"

// --- SnapshotList

GenericPlugin::SnapshotList::SnapshotList(GenericPlugin& owner, int32_t count)
    : owner_(owner), records_(static_cast<size_t>(count)) {}

void GenericPlugin::SnapshotList::storeSnapshot(int32_t i, const std::string& name) {
    if (i < 0 || i >= size()) return;
    Snapshot& record = records_[static_cast<size_t>(i)];
    record.name = name;
    record.preset = owner_.currentPreset_.values();
    record.compareIndex = owner_.compareStates_ ? owner_.compareStates_->getActive() : 0;
    owner_.mainCollection_.getValues(record.values);
    record.extraValues = owner_.extraValues_;
    record.settings = owner_.settingsMap_;
}

// --- Restoring

void GenericPlugin::restoreSnapshot(const Snapshot& record) {
    beginUpdate();
    mainCollection_.setValues(record.values);
    requestLightReset();
    endUpdate();
    const bool otherPreset = record.preset.path != currentPreset_.getPath();
    currentPreset_.assign(record.preset);
    if (otherPreset) {
        if (adapter_ != nullptr) adapter_->stateChanged(Adapter::kPresetChanged);
        notifyListener(kCurrentPresetChanged, 0);
    }
    extraValues_ = record.extraValues;
    notifyListener(kExtraValuesRestored, 0);
    settingsMap_ = record.settings;
    notifyListener(kCustomSettingsChanged, 0);
}

void GenericPlugin::initSnapshotsForEditor() {
    if (undoHistory_) undoHistory_->initialize();
    if (compareStates_ && !compareStates_->isInitialized()) compareStates_->initialize();
}

// --- CompareStates

GenericPlugin::CompareStates::CompareStates(GenericPlugin& owner) : owner_(owner), list_(owner, 2) {}

void GenericPlugin::CompareStates::copyToOther() {
    list_.storeSnapshot((active_ + 1) % 2, std::string());
    changed_ = false;
}

void GenericPlugin::CompareStates::setActive(int32_t slot) {
    if (slot == active_ || slot < 0 || slot > 1) return;
    list_.storeSnapshot(active_, std::string());
    active_ = slot;
}

void GenericPlugin::CompareStates::toggle() {
    setActive((active_ + 1) % 2);
    owner_.restoreSnapshot(list_.get(active_));
    if (UndoHistory* history = owner_.getUndoHistory()) history->push(std::string());
}

void GenericPlugin::CompareStates::initialize() {
    list_.storeSnapshot(active_, std::string());
    copyToOther();
    initialized_ = true;
}

// --- UndoHistory

GenericPlugin::UndoHistory::UndoHistory(GenericPlugin& owner) : owner_(owner), list_(owner, kUndoRecords) {}

void GenericPlugin::UndoHistory::step(int32_t n) {
    const int32_t count = list_.size();
    index_ = ((index_ + n) % count + count) % count;
    const Snapshot& record = list_.get(index_);
    CompareStates* compare = owner_.getCompareStates();
    if (compare != nullptr) compare->setActive(record.compareIndex);
    owner_.restoreSnapshot(record);
    if (compare != nullptr) compare->setChanged(true);
}

void GenericPlugin::UndoHistory::push(const std::string& name) {
    index_ = (index_ + 1) % list_.size();
    list_.storeSnapshot(index_, name);
    redoCount_ = 0;
    undoCount_ = std::min(undoCount_ + 1, kMaxSteps);
}

bool GenericPlugin::UndoHistory::undo() {
    if (undoCount_ < 1) return false;
    step(-1);
    --undoCount_;
    redoCount_ = std::min(redoCount_ + 1, kMaxSteps);
    return true;
}

bool GenericPlugin::UndoHistory::redo() {
    if (redoCount_ < 1) return false;
    step(1);
    undoCount_ = std::min(undoCount_ + 1, kMaxSteps);
    --redoCount_;
    return true;
}

void GenericPlugin::UndoHistory::initialize() {
    if (index_ == 0 && undoCount_ == 0 && redoCount_ == 0) list_.storeSnapshot(0, "Initial state");
}
