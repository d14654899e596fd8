#include "plugin/ControllerMapping.h"

ControllerMapping::ControllerMapping() {
    for (std::atomic<uint32_t>& entry : entries_)
        entry.store(none, std::memory_order_relaxed);
    changeRecord_.event = &changeEvent_;
    changeRecord_.argument = this;
    addPendingNotification(changeRecord_);
}

ControllerMapping::~ControllerMapping() {
    removePendingNotification(changeRecord_);
}

uint32_t ControllerMapping::getParameter(int32_t controller) const {
    if (controller < 0 || controller >= numControllers) return none;
    return entries_[controller].load(std::memory_order_relaxed);
}

int32_t ControllerMapping::findController(uint32_t parameter) const {
    for (int32_t c = 0; c < numControllers; ++c) {
        if (entries_[c].load(std::memory_order_relaxed) == parameter) return c;
    }
    return -1;
}

void ControllerMapping::store(int32_t controller, uint32_t parameter) {
    if (entries_[controller].load(std::memory_order_relaxed) == parameter) return;
    entries_[controller].store(parameter, std::memory_order_relaxed);
    modified_ = true;
    postNotification(changeRecord_);
}

bool ControllerMapping::write(BinaryDataWriter& writer) const {
    writer.writeHeader("ZTCM", 1);
    for (const std::atomic<uint32_t>& entry : entries_)
        writer.writeUInt32(entry.load(std::memory_order_relaxed));
    return writer.isGood();
}

bool ControllerMapping::read(BinaryDataReader& reader) {
    if (!reader.checkSignature("ZTCM")) return false;
    std::array<uint32_t, numControllers> values;
    for (uint32_t& value : values)
        value = reader.readUInt32();
    if (!reader.isGood()) return false;
    Hold hold(*this);
    for (int32_t c = 0; c < numControllers; ++c)
        store(c, values[c]);
    return true;
}

void ControllerMapping::clear() {
    Hold hold(*this);
    for (int32_t c = 0; c < numControllers; ++c)
        store(c, none);
}

void ControllerMapping::assign(int32_t controller, uint32_t parameter) {
    if (controller != -1 && (controller < 0 || controller >= numControllers)) return;
    // Only real changes are stored and reported, so assigning what the
    // table already holds fires nothing.
    Hold hold(*this);
    if (parameter != none) {
        for (int32_t c = 0; c < numControllers; ++c) {
            if (c != controller && entries_[c].load(std::memory_order_relaxed) == parameter) store(c, none);
        }
    }
    if (controller != -1) store(controller, parameter);
}
