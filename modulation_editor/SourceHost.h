#pragma once

// SourceHost: what the source panels, their containers, drag buttons and
// the selection bar see of the source controller that holds them: its
// layout properties (owned by the controller's control, which hears their
// changes) and the operations they ask of it. The controller is the only
// implementation; the parts below it include this header, never the
// controller's.
//
// Threading: GUI thread only.

#include "foundation/Property.h"
#include "gui/Color.h"
#include "modulation_editor/SourceId.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class AbstractSlotController;
class ModulationMatrixPluginInterface;
class ModulationScrollStrip;
class SourceContainer;
class SourceInterface;

namespace gui {
class Bitmap;
class Control;
} // namespace gui

class SourceHost {
public:
    enum ButtonKind : int32_t {
        kAddSourceButton = 0,
        kAddModulationLabel = 1,
        kAddSlotButton = 2,
        kCompanion = 3
    };
    static constexpr const char* kAddSlotHelp =
        "The Add Slot button creates a new and empty modulation slot. However, the easiest way to create and "
        "fill modulation slots, is to drag the Source Drag button in a modulation source interface to a "
        "modulation target in the interface!";

    explicit SourceHost(PropertyOwner* owner)
        : margin(owner, 0.0f), addLabelLimit(owner, 0),
          dragHint(owner, "Drag and drop a source to a target knob to create modulation connections"),
          addHint(owner, "Click the Add Source button to create new modulation sources"),
          showModulation(owner, true), layoutA(owner, 0.0f), layoutB(owner, 0.0f),
          lineColor(owner, gui::Color(0, 0, 0, 255)), singleSelection(owner, true),
          slotPanelWidth(owner, 0.0f), columnSpacing(owner, 0.0f), panelSize(owner, 0.0f),
          slotAreaOffset(owner, 0.0f), slotSpacing(owner, 0.0f),
          separatorColor(owner, gui::Color(0, 0, 0, 0)), separatorWidth(owner, 0.0f),
          rightMargin(owner, 0.0f) {}
    virtual ~SourceHost() = default;
    SourceHost(const SourceHost&) = delete;
    SourceHost& operator=(const SourceHost&) = delete;

    Property<float> margin;
    Property<int> addLabelLimit;
    Property<std::string> dragHint;
    Property<std::string> addHint;
    Property<bool> showModulation;
    Property<float> layoutA;
    Property<float> layoutB;
    Property<gui::Color> lineColor;
    Property<bool> singleSelection;
    Property<float> slotPanelWidth;
    Property<float> columnSpacing;
    Property<float> panelSize;
    Property<float> slotAreaOffset;
    Property<float> slotSpacing;
    Property<gui::Color> separatorColor;
    Property<float> separatorWidth;
    Property<float> rightMargin;

    virtual ModulationMatrixPluginInterface& interface() const = 0;
    virtual AbstractSlotController& slotController() const = 0;
    virtual bool perSourceSlots() const = 0;
    virtual ModulationScrollStrip& strip() const = 0;
    // The panels' background bitmap, or null.
    virtual gui::Bitmap* panelBackground() const = 0;
    // (first modulation-source index, output count); empty outside the table.
    virtual std::pair<std::uint32_t, std::int32_t> getSourceParameterRange(SourceId id) const = 0;
    // The product's controls (null when it supplies none).
    virtual gui::Control* createButton(std::int32_t kind) = 0;
    virtual gui::Control* createSourceHeader(SourceInterface& panel) = 0;
    virtual void removeSource(SourceInterface& panel) = 0;
    virtual void addSlot(std::uint32_t source) = 0;
    virtual void updateSourceBar() = 0;
    virtual void deselectAll(SourceInterface* except) = 0;
    virtual std::vector<SourceInterface*> panels() const = 0;
    virtual SourceContainer* containerAt(std::int32_t position) const = 0;
    virtual std::int32_t containerCount() const = 0;
    // The width of the bar of containers.
    virtual float sourceBarWidth() const = 0;
    // The source range of a panel (a SourceInterface) and its slots shown.
    virtual std::pair<std::uint32_t, std::int32_t> panelRange(const gui::Control& panel) const = 0;
    virtual void showPanelSlots(gui::Control& panel) = 0;
};
