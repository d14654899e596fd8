#pragma once

// ModulationIndicatorManager: owns the modulation indicators of one editor
// and keeps what they show up to date.
//
// Counts: after every refresh of the slot list it counts, per source, the
// slots in use that read it (slots without a source count nowhere) and
// collects, per target, the set of source kinds whose slots aim at it
// (bypassed and looping slots included); then every indicator updates.
//
// Indicators come from the interface's target changes: a control bound as
// a target (0) extends the most recent indicator (while collecting, or
// when it is a ring around the most recent one's control with the target
// just before its range) or gets a new one; a control moved to another
// target (1) moves its indicator's range; a replaced (2) or unbound (3)
// control leaves its indicator, and an indicator left with no control
// hides and deletes itself through a posted message. Panels may also make
// indicators for controls that are no value controls (createIndicator).
//
// Ownership: the manager owns its indicators and their style; an indicator
// stands in its control's parent, and the tree may delete it first (it
// then leaves the manager). The manager registers with the slot
// controller, the interface and the device backing, and unregisters in its
// destructor: it must die before the slot controller and the interface.
//
// Tints: with a colour table, each kind's segment is drawn from copies of
// the style's bitmaps multiplied by the kind's colour (rebuilt on a scale
// change); without one, the style's own bitmaps are drawn.
//
// Threading: GUI thread only; indicators draw under the root lock from
// what the GUI thread prepared.

#include "foundation/NotifyEvent.h"
#include "foundation/Property.h"
#include "gui/BasicPoint.h"
#include "gui/Button.h"
#include "gui/Color.h"
#include "gui/Component.h"
#include "gui/DeviceBacking.h"
#include "gui/Enumerations.h"
#include "modulation_editor/AbstractSlotController.h"
#include "modulation_editor/ModulationIndicator.h"
#include "modulation_editor/ModulationMatrixPluginInterface.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class ModulationIndicatorManager : public gui::Component,
                                   public AbstractSlotController::Listener,
                                   public ModulationMatrixPluginInterface::TargetListener,
                                   public gui::DeviceBacking::BackingScaleListener,
                                   private ModulationIndicator::Host {
public:
    // The style's bitmaps: prefix + "Normal.png", "Active.png" and
    // "Overlay.png" (a missing one stays empty).
    static constexpr const char* kDefaultStylePrefix = "ModulationIndicator";
    static constexpr int32_t kMaxKinds = ModulationIndicator::kMaxKinds;
    using Segment = ModulationIndicator::Segment;

    ModulationIndicatorManager(ModulationMatrixPluginInterface& interface, AbstractSlotController& slots,
                               const std::string& stylePrefix = kDefaultStylePrefix);
    ~ModulationIndicatorManager() override;

    // How new indicators sit on their controls.
    Property<gui::Alignment> alignment;
    Property<gui::Layout> layout;
    Property<gui::Point> offset;
    // Whether the modulation section is shown; a click on an indicator
    // while it is not fires showSectionEvent (sender: the manager) instead.
    Property<bool> sectionShown;
    // The mark a shown indicator puts on each control it watches.
    Property<gui::Color> markColor;
    NotifyEvent showSectionEvent;

    // An indicator on the control for count targets from first; it becomes
    // the most recent one.
    ModulationIndicator* createIndicator(gui::Control* control, uint32_t first, uint32_t count);
    // While collecting, the control joins the most recent indicator.
    // Otherwise it joins it when that indicator covers at most two targets
    // beginning right after the target, and the control lies inside the
    // indicator's placing control (same parent, not the same rect). True
    // when the control was taken.
    bool extendIndicator(gui::Control* control, uint32_t target);
    void beginCollecting() { collecting_ = true; }
    void endCollecting() { collecting_ = false; }
    bool isCollecting() const { return collecting_; }

    // One colour per source kind (empty: no tint).
    void setColorTable(std::vector<gui::Color> colors);
    const std::vector<gui::Color>& colorTable() const { return colors_; }

    // --- AbstractSlotController::Listener: the counts and every indicator.
    void slotsRefreshed(int32_t count) override;
    // --- ModulationMatrixPluginInterface::TargetListener
    void targetChanged(AbstractPluginParameter* parameter, gui::Control* control, uint32_t targetIndex,
                       int32_t change) override;
    // --- gui::DeviceBacking::BackingScaleListener: the tints follow once
    // the style's bitmaps have their new pixels (a posted message).
    void backingScaleChanged() override;
    void handleMessage(int code) override;
    // Rebuilds the tinted bitmaps.
    void scaleChanged();

    // The slots in use that read a source (0 outside the table).
    int32_t sourceSlotCount(int32_t source) const;
    // The kinds aimed at a target (0 outside the table).
    uint32_t targetKinds(int32_t target) const;
    // The union over a range of targets, held to the table.
    uint32_t kindsOf(uint32_t first, uint32_t count) const override;
    // The indicator whose range holds the target (the latest made), or null.
    ModulationIndicator* indicatorOf(uint32_t target) const;
    const std::vector<ModulationIndicator*>& indicators() const { return indicators_; }
    ModulationIndicator* mostRecent() const { return mostRecent_; }
    // The indicator that watches the control, or null.
    ModulationIndicator* indicatorWatching(const gui::Control* control) const;

    gui::Button::Style& style() { return *style_; }
    // A kind's segment bitmap: its tinted copy, else the style's own.
    gui::Bitmap& segmentBitmap(int32_t kind, Segment segment) override;
    // The style's bitmap of a segment.
    gui::Bitmap& styleBitmap(Segment segment) override;
    AbstractSlotController& slotController() const override { return slots_; }
    ModulationMatrixPluginInterface& interface() const { return interface_; }

private:
    enum Message : int { kRebuildTints = 1 };

    // --- ModulationIndicator::Host
    gui::Button::Style& indicatorStyle() override { return *style_; }
    gui::Color indicatorMarkColor() const override { return markColor.getValue(); }
    bool askForHiddenSection() override;
    void indicatorChanged(ModulationIndicator& indicator) override;
    void indicatorEmptied(ModulationIndicator& indicator) override;
    void indicatorDying(ModulationIndicator& indicator) override;

    ModulationIndicator* makeIndicator(uint32_t first, uint32_t count);
    void rebuildTargetTable();
    int32_t kindOfSource(int32_t source) const;

    ModulationMatrixPluginInterface& interface_;
    AbstractSlotController& slots_;
    std::unique_ptr<gui::Button::Style> style_;
    std::vector<ModulationIndicator*> indicators_;
    ModulationIndicator* mostRecent_ = nullptr;
    std::vector<ModulationIndicator*> targetIndicators_;
    std::vector<int32_t> sourceCounts_;
    std::vector<uint32_t> targetKinds_;
    std::vector<gui::Color> colors_;
    std::vector<std::array<std::unique_ptr<gui::Bitmap>, ModulationIndicator::kNumSegments>> tints_;
    bool collecting_ = false;
    bool destroying_ = false;
};
