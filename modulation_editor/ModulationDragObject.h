#pragma once

// ModulationDragObject: what a source drag carries: the modulation source
// index (the matrix's numbering, one index per source output) and the stage
// that shows the drag.
//
// Threading: GUI thread.

#include "gui/DragAndDrop.h"

#include <cstdint>

class ModulationDragObject : public gui::DragObject {
public:
    ModulationDragObject(gui::DragStage* stage, std::uint32_t sourceIndex);

    gui::DragStage* stage() const { return stage_; }
    std::uint32_t sourceIndex() const { return sourceIndex_; }

private:
    gui::DragStage* stage_;
    std::uint32_t sourceIndex_;
};
