#pragma once

// AbstractSlotController: decides which modulation slots the slot list shows
// and in which order: all slots, only those of a range of sources (after a
// click on a source's drag button), or only those aimed at a range of
// targets (after a press on a target control or a component button). It
// holds the filter and the refresh logic; a derived controller fills and
// lays out the list.
//
// Target controls: the controller hears every bind (0), move (1),
// replacement (2) and unbind (3) from the interface. A bound control is
// subscribed once (a rebind of the same control keeps the one
// subscription); a replaced or unbound control is unsubscribed, and the
// destructor unsubscribes the rest. A press on a subscribed control runs
// the target selection.
//
// Threading: GUI thread only.

#include "foundation/Property.h"
#include "gui/BasicRect.h"
#include "modulation_editor/ModulationMatrixPluginInterface.h"

#include <cstdint>
#include <vector>

namespace gui {
class Bitmap;
class Control;
} // namespace gui

class AbstractSlotController : public ModulationMatrixPluginInterface::TargetListener {
public:
    // What a click on a source's panel shows first (the product keeps the
    // source).
    enum class ActivateMode : int32_t { kShowSource = 0, kShowTarget = 1 };
    enum SlotState : int32_t { kNotListed = 0, kListed = 1, kCandidate = 2 };

    class Listener {
    public:
        virtual ~Listener() = default;
        // The slot list was refreshed; count: the slots in use.
        virtual void slotsRefreshed(int32_t count) = 0;
    };

    explicit AbstractSlotController(ModulationMatrixPluginInterface& interface);
    ~AbstractSlotController() override;
    AbstractSlotController(const AbstractSlotController&) = delete;
    AbstractSlotController& operator=(const AbstractSlotController&) = delete;

    // --- TargetListener
    void targetChanged(AbstractPluginParameter* parameter, gui::Control* control, uint32_t targetIndex,
                       int32_t change) override;

    virtual void setSourceFilter(int32_t first, int32_t count);
    virtual void setTargetFilter(const gui::Rect& rect, int32_t first, int32_t count);
    // The panel at a display position, null beyond the list.
    virtual gui::Control* panelAt(int32_t position) = 0;
    virtual int32_t listedCount() const = 0;
    // Reorders the slots (by source, then target, the empty ones last) as
    // one undo step.
    virtual void sortSlots() = 0;
    virtual void addListener(Listener* listener);
    void removeListener(Listener* listener);
    virtual void listChanged(bool filterChanged) { (void)filterChanged; }
    // Builds the list for the slots in use; changedSlot: the slot whose
    // parameter changed, ~0 for none.
    virtual void rebuildList(int32_t count, uint32_t changedSlot) = 0;

    // -1: everything. Parameters outside the slot group's used part do
    // nothing.
    void refreshSlots(int32_t parameterIndex);
    // The slot a parameter belongs to, ~0 outside the slots in use.
    uint32_t slotOfParameter(int32_t parameterIndex) const;
    bool matchesFilter(int32_t slot) const;
    // Removes a slot in use as the slot list removes a set (the slots that
    // modulate its level go too and later levels are retargeted), refreshes
    // the list and the controls and stores one undo step.
    void removeSlot(int32_t slot);
    // Removes both filters and refreshes (nothing when neither is on).
    void clearFilter();
    // The press on a target control.
    void selectTarget(gui::Control* control);

    void setChained(AbstractSlotController* chained) { chained_ = chained; }
    void setWarningBitmap(gui::Bitmap* bitmap) { warningBitmap_ = bitmap; }
    gui::Bitmap* warningBitmap() const { return warningBitmap_; }

    int32_t sourceFilterFirst() const { return sourceFirst_; }
    int32_t sourceFilterCount() const { return sourceCount_; }
    int32_t targetFilterFirst() const { return targetFirst_; }
    int32_t targetFilterCount() const { return targetCount_; }
    const gui::Rect& highlightRect() const { return highlight_; }
    bool hasFilter() const { return sourceCount_ != 0 || targetCount_ != 0; }
    int32_t slotState(int32_t slot) const;
    size_t subscribedCount() const { return subscribed_.size(); }
    ModulationMatrixPluginInterface& interface() const { return interface_; }

    Property<ActivateMode> activateMode{nullptr, ActivateMode::kShowSource};

protected:
    // Passes the filter down the chain until a controller already has it.
    void passFilterOn();

    std::vector<int32_t> slotStates_;

private:
    void subscribe(gui::Control* control);
    void unsubscribe(gui::Control* control, bool touchControl);
    void controlPressed(void* sender);

    gui::Rect highlight_;
    int32_t sourceFirst_ = -1;
    int32_t sourceCount_ = 0;
    int32_t targetFirst_ = -1;
    int32_t targetCount_ = 0;
    int32_t excludedFirst_ = 0;
    int32_t excludedCount_ = 0;
    ModulationMatrixPluginInterface& interface_;
    std::vector<Listener*> listeners_;
    AbstractSlotController* chained_ = nullptr;
    gui::Bitmap* warningBitmap_ = nullptr;
    std::vector<gui::Control*> subscribed_;
};
