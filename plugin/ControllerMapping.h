#pragma once

// The MIDI learn table: for each controller number 0..127 the identifier it
// drives: a parameter index, a MIDI virtual parameter (virtualBase plus its
// position), or none (all bits set).
//
// A parameter is driven by at most one controller: assign unmaps every other
// controller of the identifier first. Changes set the modified flag and fire
// the change event once per batch (a read, a clear, an assign), with this
// object as argument.
//
// Chunk ("MidiControllerMap.ztm"), little-endian: "ZTCM", version 1, then 128
// uint32 identifiers, 520 bytes in all. read applies a chunk only when all of
// it could be read; otherwise the table is left as it was.
//
// Threading: one process-wide table lives on the main and editor threads.
// Each processor keeps a private copy that its audio thread reads through
// getParameter while the main thread refreshes it with read; entries are
// atomic words for that. Everything else belongs to the writing thread.

#include "foundation/BinaryData.h"
#include "foundation/NotifyEvent.h"
#include "foundation/UpdatedObject.h"

#include <array>
#include <atomic>
#include <cstdint>

class ControllerMapping : public UpdatedObject {
public:
    static constexpr int32_t numControllers = 128;
    static constexpr uint32_t none = 0xFFFFFFFF;
    static constexpr uint32_t virtualBase = 0x100000;
    static constexpr int32_t chunkSize = 8 + 4 * numControllers;

    ControllerMapping();
    ~ControllerMapping() override;

    // The identifier controller drives; none for an unmapped controller or a
    // number outside 0..127. Safe on the audio thread.
    uint32_t getParameter(int32_t controller) const;
    // The first controller that drives the identifier, or -1.
    int32_t findController(uint32_t parameter) const;

    bool write(BinaryDataWriter& writer) const;
    // False for a wrong tag or a short chunk, the table unchanged.
    bool read(BinaryDataReader& reader);
    void clear();
    // Maps controller to parameter after unmapping the parameter's other
    // controllers. Controller -1 only unmaps the parameter; parameter none
    // unmaps the controller. Other controllers outside 0..127 are ignored.
    void assign(int32_t controller, uint32_t parameter);

    bool isModified() const { return modified_; }
    void setModified(bool value) { modified_ = value; }
    NotifyEvent& getChangeEvent() { return changeEvent_; }

private:
    void store(int32_t controller, uint32_t parameter);

    std::array<std::atomic<uint32_t>, numControllers> entries_;
    bool modified_ = false;
    NotifyEvent changeEvent_;
    PendingNotification changeRecord_;
};
