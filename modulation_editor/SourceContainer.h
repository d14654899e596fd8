#pragma once

// SourceContainer: the place of one source panel on the source bar. It
// owns the panel (its child), and per output an Add Slot button (from the
// controller's listener; clicking it adds an empty slot of that output),
// the centre x of the output's drag button and the output's slot count,
// and it draws the lines from each drag button down to its slots (an
// output with listed slots: a vertical line 1 unit wide below the panel,
// and, when the output's first column lies to its left, a horizontal line
// 1 unit high from that column to it, just above the output's first slot)
// and the separator at its right edge (every container but the last). A
// panel that changes its width (an XLFO panel whose step panel opens) takes
// its container, and so the bar's layout, with it.
//
// Threading: GUI thread only.

#include "gui/Control.h"

#include <cstdint>
#include <vector>

class SourceHost;
class SourceInterface;

class SourceContainer : public gui::Control {
public:
    enum State : int32_t { kNormal = 0, kHighlighted = 1, kDimmed = 2 };

    SourceContainer(SourceHost& controller, SourceInterface* panel);
    ~SourceContainer() override;

    SourceInterface* panel() const { return panel_; }
    // The container's width: 0 while modulation is hidden (unless the
    // panel is always visible), else the panel's width or the minimum width
    // when larger, plus 1 when it is not the last container.
    float preferredWidth(bool last) const;
    // Recomputes the drag-button centres, the outputs' listed slot counts,
    // the slots per column and the state (dimmed while the slot list is
    // filtered), places the Add Slot buttons after each output's slots and
    // widens the container to its columns.
    void layoutSlots();
    // Where listed slot index of an output stands: outputs one above the
    // other from the slot area's top (the panel's height plus the slot area
    // offset), each with slotsPerColumn rows of (slot panel width + slot
    // spacing), a new column every slotsPerColumn slots.
    gui::Point slotPosition(int32_t output, int32_t index) const;
    // Where an output's Add Slot button stands: after its last slot, in that
    // slot's place. Columns of slot panels may overlap (a negative column
    // spacing lays their shadows over each other); a button that starts a
    // new column steps right by that overlap, so that the column before it
    // never covers it.
    gui::Point addSlotPosition(int32_t output) const;

    float minWidth = 0.0f;
    // The width of one slot panel (the slot list's), for the columns.
    float slotWidth = 0.0f;
    int32_t state() const { return state_; }
    int32_t slotsPerColumn() const { return slotsPerColumn_; }
    const std::vector<float>& buttonCentres() const { return centres_; }
    const std::vector<int32_t>& slotCounts() const { return slotCounts_; }
    const std::vector<gui::Control*>& addSlotButtons() const { return addSlotButtons_; }

    void draw(gui::Canvas& canvas) override;
    void boundsChanged() override;
    void componentDeleted(gui::Component* component) override;

private:
    float slotAreaTop() const;
    void panelBoundsChanged();

    SourceHost& controller_;
    SourceInterface* panel_;
    std::vector<gui::Control*> addSlotButtons_;
    std::vector<float> centres_;
    std::vector<int32_t> slotCounts_;
    int32_t state_ = kNormal;
    int32_t slotsPerColumn_ = 1;
    bool last_ = false;
    float panelWidth_ = 0.0f;
};
