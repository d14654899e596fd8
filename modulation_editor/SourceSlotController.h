#pragma once

// SourceSlotController: the slot list shown as slot panels in a scroll
// strip. With no filter it lists every slot in use in slot order; with a
// filter it lists the matching slots and, with each, the slots that
// modulate its level (and so on down the chain). Panel k shows listed slot
// k; a panel is reassigned only when its slot changed, so a refresh during
// a drag of a slot's control keeps that control's gesture.
//
// Panels are made by the product's factory and owned by the tree: by the
// strip's content, laid out in columns of slotsPerColumn() rows, or, with a
// source host, by the source container of each slot's source, under the
// source's drag button. The controller watches every panel and forgets one
// that dies with its container.
//
// Threading: GUI thread only.

#include "modulation_editor/AbstractSlotController.h"

#include <functional>
#include <memory>
#include <vector>

class ModulationScrollStrip;
class SlotInterface;
class SourceHost;

class SourceSlotController : public AbstractSlotController {
public:
    using PanelFactory = std::function<SlotInterface*()>;

    explicit SourceSlotController(ModulationMatrixPluginInterface& interface);
    ~SourceSlotController() override;

    gui::Control* panelAt(int32_t position) override;
    int32_t listedCount() const override { return static_cast<int32_t>(listed_.size()); }
    void sortSlots() override;
    void rebuildList(int32_t count, uint32_t changedSlot) override;

    // The strip the panels live in (not owned: a control of the tree) and
    // the product's panel factory.
    void setStrip(ModulationScrollStrip* strip);
    ModulationScrollStrip* strip() const { return strip_; }
    void setPanelFactory(PanelFactory factory) { factory_ = std::move(factory); }
    // With a source host the panels stand under their sources' drag buttons
    // in the source containers (a slot whose source has no panel is hidden);
    // without one, in the strip. Not owned; null returns to the strip.
    void setSourceHost(SourceHost* host) { host_ = host; }

    const std::vector<int32_t>& listedSlots() const { return listed_; }
    // Rows per column: the strip's height over the panel height, at least 1.
    int32_t slotsPerColumn() const;

    Property<float> panelWidth{nullptr, 120.0f};
    Property<float> panelHeight{nullptr, 24.0f};

private:
    void buildListing(int32_t count);
    void layoutPanels();
    void layoutInContainers();
    SlotInterface* makePanel(gui::Control* parent);
    class StripWatch;
    void stripDeleted();

    std::vector<int32_t> listed_;
    std::vector<SlotInterface*> panels_;
    std::vector<int32_t> sortScratch_;
    ModulationScrollStrip* strip_ = nullptr;
    gui::Control* content_ = nullptr;
    PanelFactory factory_;
    SourceHost* host_ = nullptr;
    std::unique_ptr<StripWatch> watch_;
};
