#pragma once

// A slot controller that lists nothing (no per-source slots) and counts the
// list's rebuilds.

#include "modulation_editor/AbstractSlotController.h"

namespace test {

class ListlessSlotController : public AbstractSlotController {
public:
    using AbstractSlotController::AbstractSlotController;
    gui::Control* panelAt(int32_t) override { return nullptr; }
    int32_t listedCount() const override { return 0; }
    void sortSlots() override {}
    void rebuildList(int32_t, uint32_t) override { ++rebuilds; }
    int rebuilds = 0;
};

} // namespace test
