#include "modulation_editor/ModulationDragObject.h"

ModulationDragObject::ModulationDragObject(gui::DragStage* stage, std::uint32_t sourceIndex)
    : stage_(stage), sourceIndex_(sourceIndex) {}
