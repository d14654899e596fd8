#pragma once

// ModulationHoverItem: a hover-only control of a source drag (a source
// button, a component button, a scroll button). Resting on it while a
// source is dragged makes it show what it stands for (the drag stage tells
// the control as it tells every target: fireEvent6 with kTargetDragStarted,
// kTargetRested, kTargetDragEnded); a drop on it fills the connection's targets from what
// it offers, which may be nothing.
//
// Threading: GUI thread only.

#include <cstdint>
#include <vector>

class ModulationHoverItem {
public:
    virtual ~ModulationHoverItem() = default;
    // Appends the targets that a drop on the item connects; none here.
    virtual void offeredTargets(std::vector<std::uint32_t>& targets) { (void)targets; }
};
