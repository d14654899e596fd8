#include "modulation_editor/SourceContainer.h"

#include "gui/Canvas.h"
#include "modulation/ModulationMatrixController.h"
#include "modulation_editor/AbstractSlotController.h"
#include "modulation_editor/ModulationMatrixPluginInterface.h"
#include "modulation_editor/SourceDragButton.h"
#include "modulation_editor/SourceHost.h"
#include "modulation_editor/SourceInterface.h"

#include <algorithm>
#include <cmath>

SourceContainer::SourceContainer(SourceHost& controller, SourceInterface* panel)
    : gui::Control(controller.interface().userInterface()), controller_(controller), panel_(panel) {
    if (panel_ == nullptr) return;
    panel_->parent.setValue(this);
    link(panel_);
    panelWidth_ = panel_->width.getValue();
    panel_->boundsEvent.addHandler(NotifyEvent::bind(this, &SourceContainer::panelBoundsChanged));
    const int32_t outputs = panel_->outputCount();
    for (int32_t output = 0; output < outputs; ++output) {
        gui::Control* button = controller.createButton(SourceHost::kAddSlotButton);
        addSlotButtons_.push_back(button);
        if (button == nullptr) continue;
        button->parent.setValue(this);
        button->helpText.setValue(SourceHost::kAddSlotHelp);
        link(button);
        button->clickEvent.setHandler(NotifyEvent::bind([this, output] {
            if (panel_ != nullptr)
                controller_.addSlot(panel_->firstSourceIndex() + static_cast<uint32_t>(output));
        }));
    }
}

// The panel and the buttons go with the container.
SourceContainer::~SourceContainer() {
    if (panel_ != nullptr) panel_->boundsEvent.removeHandler(this, &SourceContainer::panelBoundsChanged);
    deleteChildren();
}

void SourceContainer::componentDeleted(gui::Component* component) {
    gui::Control::componentDeleted(component);
    if (component == panel_) panel_ = nullptr;
    for (gui::Control*& button : addSlotButtons_)
        if (static_cast<gui::Component*>(button) == component) button = nullptr;
}

float SourceContainer::preferredWidth(bool last) const {
    if (panel_ == nullptr) return 0.0f;
    if (!controller_.showModulation.getValue() && !panel_->isAlwaysVisible()) return 0.0f;
    return std::max(panel_->width.getValue(), minWidth) + (last ? 0.0f : 1.0f);
}

void SourceContainer::layoutSlots() {
    centres_.clear();
    slotCounts_.clear();
    if (panel_ == nullptr) return;
    last_ =
        getParent() != nullptr && !getParent()->children().empty() && getParent()->children().back() == this;
    const int32_t outputs = panel_->outputCount();
    for (SourceDragButton* button : panel_->dragButtons()) {
        const gui::Rect b = button != nullptr ? button->bounds.getValue() : gui::Rect();
        centres_.push_back(std::trunc((b.right - b.left) * 0.5f + b.left));
    }
    // Each output's listed slots.
    ModulationMatrixPluginInterface& interface = controller_.interface();
    AbstractSlotController& slots = controller_.slotController();
    ModulationMatrixController& matrix = interface.matrixController();
    const int32_t inUse = interface.slotsInUse();
    for (int32_t output = 0; output < outputs; ++output) {
        const auto source = static_cast<int32_t>(panel_->firstSourceIndex()) + output;
        int32_t count = 0;
        for (int32_t s = 0; s < inUse; ++s)
            if (slots.slotState(s) == AbstractSlotController::kListed && matrix.getSource(s) == source)
                ++count;
        slotCounts_.push_back(count);
    }
    const float pitch = controller_.slotPanelWidth.getValue() + controller_.slotSpacing.getValue();
    const float room = height.getValue() - slotAreaTop() - controller_.slotSpacing.getValue();
    const float perColumn =
        pitch > 0.0f && outputs > 0 ? std::trunc(room / (static_cast<float>(outputs) * pitch)) : 1.0f;
    slotsPerColumn_ =
        std::isfinite(perColumn) ? static_cast<int32_t>(std::clamp(perColumn, 1.0f, 1.0e6f)) : 1;
    // The state: dimmed while the slot list is filtered.
    state_ = slots.hasFilter() ? kDimmed : kNormal;
    int32_t columns = 1;
    for (int32_t output = 0; output < outputs; ++output) {
        const int32_t count = slotCounts_[static_cast<size_t>(output)];
        columns = std::max(columns, count / slotsPerColumn_ + 1);
        if (gui::Control* button = addSlotButtons_[static_cast<size_t>(output)]) {
            const gui::Point at = addSlotPosition(output);
            button->setX(at.x);
            button->setY(at.y);
        }
    }
    const float needed = controller_.margin.getValue() +
                         static_cast<float>(columns) * (slotWidth + controller_.columnSpacing.getValue());
    if (std::fabs(needed - minWidth) > 0.001f) {
        minWidth = needed;
        setSize(preferredWidth(last_), height.getValue());
    }
    // The lines follow the new layout.
    invalidateRect(localRect());
}

float SourceContainer::slotAreaTop() const {
    return (panel_ != nullptr ? panel_->height.getValue() : 0.0f) + controller_.slotAreaOffset.getValue();
}

gui::Point SourceContainer::slotPosition(int32_t output, int32_t index) const {
    const float pitch = controller_.slotPanelWidth.getValue() + controller_.slotSpacing.getValue();
    const int32_t rows = std::max(1, slotsPerColumn_);
    const int32_t column = std::max(0, index) / rows;
    const int32_t row = output * rows + std::max(0, index) % rows;
    return gui::Point(controller_.margin.getValue() +
                          static_cast<float>(column) * (slotWidth + controller_.columnSpacing.getValue()),
                      slotAreaTop() + static_cast<float>(row) * pitch);
}

gui::Point SourceContainer::addSlotPosition(int32_t output) const {
    const int32_t count = slotCounts_.at(static_cast<size_t>(output));
    gui::Point at = slotPosition(output, count);
    if (count >= std::max(1, slotsPerColumn_)) at.x += std::max(0.0f, -controller_.columnSpacing.getValue());
    return at;
}

void SourceContainer::panelBoundsChanged() {
    if (panel_ == nullptr || std::fabs(panel_->width.getValue() - panelWidth_) <= 0.001f) return;
    panelWidth_ = panel_->width.getValue();
    setSize(preferredWidth(last_), height.getValue());
}

void SourceContainer::boundsChanged() {
    gui::Control::boundsChanged();
}

void SourceContainer::draw(gui::Canvas& canvas) {
    if (panel_ == nullptr) return;
    const gui::Color line = controller_.lineColor.getValue();
    const float top = panel_->height.getValue();
    for (size_t output = 0; output < centres_.size(); ++output) {
        if (slotCounts_.size() <= output || slotCounts_[output] == 0) continue;
        const float x = centres_[output];
        canvas.fillRect(gui::Rect(x, top, x + 1.0f, height.getValue()), line);
        // Joined to the output's first column when that lies to the left,
        // along the top of the output's first slot.
        const gui::Point first = slotPosition(static_cast<int32_t>(output), 0);
        if (first.x < x) canvas.fillRect(gui::Rect(first.x, first.y - 1.0f, x + 1.0f, first.y), line);
    }
    if (!last_ && controller_.separatorWidth.getValue() > 0.0f) {
        const float w = width.getValue();
        canvas.fillRect(gui::Rect(w - controller_.separatorWidth.getValue(), 0.0f, w, height.getValue()),
                        controller_.separatorColor.getValue());
    }
}
