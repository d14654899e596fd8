#pragma once

// ModulationIndicator: the small button on a modulated control (a knob, a
// component button, an envelope display) that shows which kinds of source
// drive its targets, one overlapping segment per kind, and narrows the slot
// list to those targets when clicked (a second click shows every slot).
//
// It watches its controls: each knows the target it was bound to (none for
// a control given with an explicit range), and the indicator's range covers
// the explicit range and every watched target. It stands in the parent of
// its placing control (the first watched one) and follows its bounds,
// visibility and opacity. While shown, each watched control carries a mark
// (a disabled child drawn along its bottom edge).
//
// Lifetime: made and owned by its host (the indicator manager); deleted by
// the host, by the tree (it leaves the host), or by the message it posts to itself when
// its last control left, so that it may go from inside its own handlers.
// A watched control that dies is dropped without being touched.
//
// Threading: GUI thread only; draw runs under the root lock.

#include "foundation/Property.h"
#include "gui/BasicPoint.h"
#include "gui/Button.h"
#include "gui/Enumerations.h"

#include <cstdint>
#include <vector>

class AbstractSlotController;

class ModulationIndicator : public gui::Button {
public:
    enum State : int32_t { kNotModulated = 0, kModulated = 1, kSelected = 2 };
    // The bitmaps of a kind's segment.
    enum Segment : int32_t { kSegmentNormal = 0, kSegmentActive = 1, kSegmentOverlay = 2, kNumSegments = 3 };
    // Kinds an indicator can show (its kind set is 16 bits wide).
    static constexpr int32_t kMaxKinds = 16;
    static constexpr uint32_t kNoTarget = ~0u;
    static constexpr int kHitThreshold = 32;
    static constexpr const char* kHelpText =
        "The modulation indicator lets you know that a knob, a component button or an envelope generator is "
        "being modulated. Click the button to highlight the sources and slots responsible for this "
        "modulation.";

    // What an indicator needs of its owner (the indicator manager).
    class Host {
    public:
        virtual ~Host() = default;
        virtual gui::Button::Style& indicatorStyle() = 0;
        // A kind's segment bitmap (tinted or the style's own).
        virtual gui::Bitmap& segmentBitmap(int32_t kind, Segment segment) = 0;
        virtual gui::Bitmap& styleBitmap(Segment segment) = 0;
        // The kinds aimed at a range of targets.
        virtual uint32_t kindsOf(uint32_t first, uint32_t count) const = 0;
        virtual AbstractSlotController& slotController() const = 0;
        virtual gui::Color indicatorMarkColor() const = 0;
        // True when the modulation section was hidden (the owner asks for
        // it instead of a filter).
        virtual bool askForHiddenSection() = 0;
        // The indicator's range or its controls changed.
        virtual void indicatorChanged(ModulationIndicator& indicator) = 0;
        // Its last control left.
        virtual void indicatorEmptied(ModulationIndicator& indicator) = 0;
        virtual void indicatorDying(ModulationIndicator& indicator) = 0;
    };

    // first and count: an explicit range (count 0: none). The host adds
    // the first control.
    ModulationIndicator(gui::UserInterface& userInterface, Host& host, uint32_t first, uint32_t count,
                        gui::Alignment alignment, gui::Layout layout, gui::Point offset);
    ~ModulationIndicator() override;

    Property<gui::Alignment> alignment;
    // Whether the indicator follows its placing control's moves.
    Property<bool> follow;
    Property<int> placingIndex;
    Property<gui::Layout> layout;
    Property<gui::Point> offset;

    uint32_t firstTarget() const { return first_; }
    uint32_t targetCount() const { return count_; }
    State state() const { return state_; }
    // The kinds shown (bit k: kind k).
    uint16_t kinds() const { return kinds_; }
    size_t watchedCount() const { return watches_.size(); }
    gui::Control* watchedControl(size_t index) const;
    bool watches(const gui::Control* control) const;
    gui::Control* placingControl() const;
    // Whether the control carries the mark of a shown indicator.
    bool isMarked(const gui::Control* control) const;

    // --- The manager's operations.
    // Adds a watched control, first in the list or last.
    void addControl(gui::Control* control, uint32_t target, bool atFront);
    // Drops a watched control without touching it (it may be dying).
    // False when it was not watched.
    bool dropControl(gui::Control* control);
    // The control's target moved.
    void moveControl(gui::Control* control, uint32_t target);
    // Reads the kinds and the filter; resizes, places and shows or hides.
    void updateState();
    void place();

    void propertyChanged(AbstractProperty& property) override;
    void handleMessage(int code) override;
    void componentDeleted(gui::Component* component) override;
    void fireEvent5() override;
    void paintContents(gui::Canvas& canvas) override;
    void childChanged(gui::Control* child, ChildChange code) override;

private:
    class Mark;
    struct Watch {
        gui::Control* control = nullptr;
        uint32_t target = kNoTarget;
        Mark* mark = nullptr;
    };
    enum Message : int { kDeleteSelf = 1 };

    void recomputeRange();
    void updateVisibility();
    void addMarks();
    void removeMarks();
    void fitMark(Watch& watch);
    int findWatch(const gui::Control* control) const;

    Host* host_;
    std::vector<Watch> watches_;
    uint32_t explicitFirst_ = 0;
    uint32_t explicitCount_ = 0;
    uint32_t first_ = 0;
    uint32_t count_ = 0;
    State state_ = kNotModulated;
    uint16_t kinds_ = 0;
    bool sized_ = false;
    bool deletePosted_ = false;
};
