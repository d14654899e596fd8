#include "modulation_editor/SourceSlotController.h"

#include "gui/Component.h"
#include "gui/ScrollArea.h"
#include "modulation/ModulationMatrixController.h"
#include "modulation_editor/ModulationScrollStrip.h"
#include "modulation_editor/SlotInterface.h"
#include "modulation_editor/SourceContainer.h"
#include "modulation_editor/SourceHost.h"
#include "modulation_editor/SourceInterface.h"

#include <algorithm>
#include <array>
#include <cmath>

// Forgets the strip and its panels when the tree deletes them.
class SourceSlotController::StripWatch : public gui::Component {
public:
    StripWatch(gui::UserInterface& userInterface, SourceSlotController& owner)
        : Component(userInterface), owner_(owner) {}
    void componentDeleted(gui::Component* component) override {
        Component::componentDeleted(component);
        if (component == static_cast<gui::Component*>(owner_.strip_)) owner_.stripDeleted();
        auto& panels = owner_.panels_;
        panels.erase(std::remove_if(panels.begin(), panels.end(),
                                    [component](SlotInterface* p) {
                                        return static_cast<gui::Component*>(p) == component;
                                    }),
                     panels.end());
    }

private:
    SourceSlotController& owner_;
};

SourceSlotController::SourceSlotController(ModulationMatrixPluginInterface& interface)
    : AbstractSlotController(interface),
      watch_(std::make_unique<StripWatch>(interface.userInterface(), *this)) {}

SourceSlotController::~SourceSlotController() {
    if (strip_ != nullptr) watch_->unlink(strip_);
}

void SourceSlotController::setStrip(ModulationScrollStrip* strip) {
    if (strip_ != nullptr) watch_->unlink(strip_);
    strip_ = strip;
    panels_.clear();
    content_ = nullptr;
    if (strip_ == nullptr) return;
    watch_->link(strip_);
    content_ = new gui::Control(interface().userInterface());
    strip_->scrollArea()->setContent(content_);
}

void SourceSlotController::stripDeleted() {
    // Its panels leave the list as they die.
    strip_ = nullptr;
    content_ = nullptr;
}

gui::Control* SourceSlotController::panelAt(int32_t position) {
    if (position < 0 || position >= listedCount() || static_cast<size_t>(position) >= panels_.size())
        return nullptr;
    return panels_[static_cast<size_t>(position)];
}

void SourceSlotController::buildListing(int32_t count) {
    ModulationMatrixController& controller = interface().matrixController();
    count = std::clamp(count, 0, static_cast<int32_t>(slotStates_.size()));
    listed_.clear();
    std::fill(slotStates_.begin(), slotStates_.end(), kNotListed);
    if (!hasFilter()) {
        for (int32_t s = 0; s < count; ++s) {
            listed_.push_back(s);
            slotStates_[static_cast<size_t>(s)] = kListed;
        }
        return;
    }
    // Candidates: the matching slots first, then the others, each ascending.
    std::vector<int32_t> candidates;
    candidates.reserve(static_cast<size_t>(count));
    for (int32_t s = 0; s < count; ++s) {
        slotStates_[static_cast<size_t>(s)] = kCandidate;
        if (matchesFilter(s)) candidates.push_back(s);
    }
    for (int32_t s = 0; s < count; ++s)
        if (!matchesFilter(s)) candidates.push_back(s);

    const auto firstLevel = static_cast<int32_t>(interface().firstSlotTarget());
    std::vector<int32_t> chain;
    for (int32_t candidate : candidates) {
        if (slotStates_[static_cast<size_t>(candidate)] == kListed) continue;
        // The candidate and the slots whose levels it feeds, in turn.
        chain.assign(1, candidate);
        bool take = matchesFilter(candidate);
        for (int32_t current = candidate;;) {
            const int32_t next = controller.getTarget(current) - firstLevel;
            if (next < 0 || next >= count || std::find(chain.begin(), chain.end(), next) != chain.end())
                break;
            chain.push_back(next);
            if (matchesFilter(next) || slotStates_[static_cast<size_t>(next)] == kListed) take = true;
            current = next;
        }
        if (!take) continue;
        for (int32_t s : chain) {
            if (slotStates_[static_cast<size_t>(s)] == kListed) continue;
            slotStates_[static_cast<size_t>(s)] = kListed;
            listed_.push_back(s);
        }
    }
    for (int32_t& state : slotStates_)
        if (state == kCandidate) state = kNotListed;
}

int32_t SourceSlotController::slotsPerColumn() const {
    const float height = panelHeight.getValue();
    if (strip_ == nullptr || !(height > 0.0f)) return 1;
    const float rows = std::floor(strip_->localRect().height() / height);
    return std::max(1, std::isfinite(rows) ? static_cast<int32_t>(std::min(rows, 1.0e6f)) : 1);
}

SlotInterface* SourceSlotController::makePanel(gui::Control* parent) {
    SlotInterface* panel = factory_ ? factory_() : nullptr;
    if (panel == nullptr) return nullptr;
    panel->parent.setValue(parent);
    panel->removeEvent.setHandler(NotifyEvent::bind([this, panel] { removeSlot(panel->slot()); }));
    watch_->link(panel);
    panels_.push_back(panel);
    return panel;
}

void SourceSlotController::layoutInContainers() {
    ModulationMatrixController& controller = interface().matrixController();
    const int32_t containers = host_->containerCount();
    for (int32_t c = 0; c < containers; ++c)
        if (SourceContainer* container = host_->containerAt(c)) {
            container->slotWidth = panelWidth.getValue();
            container->layoutSlots();
        }
    std::vector<std::vector<int32_t>> next(static_cast<size_t>(std::max(0, containers)));
    size_t used = 0;
    for (int32_t slot : listed_) {
        const int32_t source = controller.getSource(slot);
        SourceContainer* home = nullptr;
        int32_t output = 0;
        for (int32_t c = 0; c < containers && home == nullptr; ++c) {
            SourceContainer* container = host_->containerAt(c);
            if (container == nullptr || container->panel() == nullptr) continue;
            const auto [first, count] = host_->panelRange(*container->panel());
            if (source >= static_cast<int32_t>(first) && source < static_cast<int32_t>(first) + count) {
                home = container;
                output = source - static_cast<int32_t>(first);
                auto& counters = next[static_cast<size_t>(c)];
                if (counters.size() < static_cast<size_t>(count))
                    counters.resize(static_cast<size_t>(count), 0);
            }
        }
        if (home == nullptr) continue;
        SlotInterface* panel = used < panels_.size() ? panels_[used] : makePanel(home);
        if (panel == nullptr) break;
        ++used;
        int32_t index = 0;
        for (int32_t c = 0; c < containers; ++c)
            if (host_->containerAt(c) == home)
                index = next[static_cast<size_t>(c)][static_cast<size_t>(output)]++;
        if (panel->getParent() != home) panel->parent.setValue(home);
        const gui::Point at = home->slotPosition(output, index);
        panel->setBoundsXYWH(at.x, at.y, panelWidth.getValue(), panelHeight.getValue());
        panel->assignSlot(slot);
        panel->updateLoopWarning();
        panel->visible.setValue(true);
    }
    for (size_t k = used; k < panels_.size(); ++k) {
        panels_[k]->assignSlot(-1);
        panels_[k]->visible.setValue(false);
    }
}

void SourceSlotController::layoutPanels() {
    if (host_ != nullptr) {
        layoutInContainers();
        return;
    }
    if (content_ == nullptr) return;
    const size_t listed = listed_.size();
    while (panels_.size() < listed && makePanel(content_) != nullptr) {
    }
    const int32_t rows = slotsPerColumn();
    const float width = panelWidth.getValue();
    const float height = panelHeight.getValue();
    for (size_t k = 0; k < panels_.size(); ++k) {
        SlotInterface* panel = panels_[k];
        if (k < listed) {
            const auto position = static_cast<int32_t>(k);
            panel->setBoundsXYWH(static_cast<float>(position / rows) * width,
                                 static_cast<float>(position % rows) * height, width, height);
            panel->assignSlot(listed_[k]);
            panel->updateLoopWarning();
            panel->visible.setValue(true);
        } else {
            panel->assignSlot(-1);
            panel->visible.setValue(false);
        }
    }
    const auto columns =
        static_cast<int32_t>((listed + static_cast<size_t>(rows) - 1) / static_cast<size_t>(rows));
    content_->setBoundsXYWH(0.0f, 0.0f, static_cast<float>(columns) * width,
                            static_cast<float>(std::min<size_t>(listed, static_cast<size_t>(rows))) * height);
    if (strip_ != nullptr) {
        strip_->scrollArea()->contentWidth.setValue(static_cast<float>(columns) * width);
        strip_->scrollArea()->updateLayout();
    }
}

void SourceSlotController::rebuildList(int32_t count, uint32_t) {
    buildListing(count);
    layoutPanels();
}

void SourceSlotController::sortSlots() {
    ModulationMatrixController& controller = interface().matrixController();
    const int32_t count = interface().slotsInUse();
    auto snapshot = [&controller, count] {
        std::vector<std::array<float, 5>> slots;
        for (int32_t s = 0; s < count; ++s)
            slots.push_back({static_cast<float>(controller.getSource(s)),
                             static_cast<float>(controller.getTarget(s)), controller.getLevel(s),
                             controller.isBypassed(s) ? 1.0f : 0.0f, controller.isInverted(s) ? 1.0f : 0.0f});
        return slots;
    };
    const auto before = snapshot();
    ModulationMatrixController::sortSlots(controller, count, nullptr);
    refreshSlots(-1);
    interface().refreshControls(-1);
    if (snapshot() != before) interface().storeUndoStep(-1);
}
