#include "editor/ComponentDisplay.h"

#include "editor/DynamicInterface.h"
#include "editor/SectionContainer.h"
#include "gui/Animator.h"
#include "gui/BarAnimation.h"
#include "gui/ControlBar.h"
#include "gui/ScrollArea.h"
#include "gui/UserInterface.h"

#include <algorithm>

ComponentDisplay::ComponentDisplay(gui::UserInterface& userInterface, GenericPluginInterfaceBase& interface,
                                   gui::Button::Style* backwardStyle, gui::Button::Style* forwardStyle)
    : gui::ScrollStrip(userInterface, backwardStyle, forwardStyle), singleUnfold(this, true),
      interface_(&interface), bar_(new gui::ControlBar(userInterface)),
      sectionBitmap_(std::make_unique<gui::Bitmap>(userInterface.deviceBacking())) {
    // The bar follows its content, so the area sees every change of its length.
    bar_->fitToContent.setValue(true);
    scrollArea()->setContent(bar_);
}

ComponentDisplay::~ComponentDisplay() {
    for (const Record& record : components_)
        if (record.control != nullptr) unlink(record.control);
    // The buttons forget the display now: its children, buttons among them,
    // die after its records.
    const std::vector<gui::Control*> buttons = std::move(buttons_);
    buttons_.clear();
    for (gui::Control* button : buttons) {
        unlink(button);
        button->componentDeleted(this);
    }
}

void ComponentDisplay::addButton(gui::Control* button) {
    if (button == nullptr || std::find(buttons_.begin(), buttons_.end(), button) != buttons_.end()) return;
    buttons_.push_back(button);
    link(button);
}

void ComponentDisplay::removeButton(gui::Control* button) {
    const auto at = std::find(buttons_.begin(), buttons_.end(), button);
    if (at == buttons_.end()) return;
    buttons_.erase(at);
    unlink(button);
}

float ComponentDisplay::lengthOf(const gui::Control& container) const {
    const gui::Control* panel = container.children().empty() ? nullptr : container.children().front();
    if (panel == nullptr) return 0.0f;
    return bar_->isHorizontal() ? panel->width.getValue() : panel->height.getValue();
}

void ComponentDisplay::addFixedPanel(gui::Control* panel) {
    if (panel == nullptr) return;
    const gui::Rect size = panel->bounds.getValue();
    const int opacity = panel->opacity.getValue();
    bar_->insertControl(0, panel, scrollArea());
    if (gui::Animator* animator = bar_->animator()) animator->stopAnimations(panel);
    panel->setSize(size.width(), size.height());
    panel->opacity.setValue(opacity);
}

int ComponentDisplay::addSectionContainer(float offset, DynamicInterface* panel) {
    auto* container = new SectionContainer(userInterface(), *this, *sectionBitmap_, offset);
    // Folded: the container has no length along the bar yet.
    const float across = bar_->isHorizontal() ? bar_->height.getValue() : bar_->width.getValue();
    if (bar_->isHorizontal())
        container->setSize(0.0f, panel != nullptr ? panel->height.getValue() : across);
    else
        container->setSize(panel != nullptr ? panel->width.getValue() : across, 0.0f);
    if (panel != nullptr) panel->parent.setValue(container);
    const int index = int(components_.size());
    components_.push_back(Record{container, index, false});
    link(container);
    bar_->insertControl(int(bar_->children().size()), container, scrollArea());
    return index;
}

void ComponentDisplay::showAllParts(gui::Control&) {}

void ComponentDisplay::fold(Record& record) {
    record.unfolded = false;
    bar_->resizeControl(record.control);
}

void ComponentDisplay::toggleComponent(int index, bool animate) {
    if (index < 0 || index >= int(components_.size())) return;
    Record& record = components_[std::size_t(index)];
    gui::Control* container = record.control;
    if (container == nullptr) return;
    record.unfolded = !record.unfolded;
    if (!record.unfolded) {
        fold(record);
        componentToggledEvent.notify(this);
        return;
    }
    if (!container->children().empty()) showAllParts(*container->children().front());
    const float length = lengthOf(*container);
    finishInsertion(*container);
    if (animate && bar_->animator() != nullptr) {
        bar_->animateControl(*container, gui::BarAnimation::Kind::kExpand, length, nullptr, scrollArea());
    } else if (bar_->isHorizontal()) {
        container->setSize(length, container->height.getValue());
    } else {
        container->setSize(container->width.getValue(), length);
    }
    if (singleUnfold.getValue()) {
        for (std::size_t i = 0; i < components_.size(); ++i) {
            Record& other = components_[i];
            if (int(i) != index && other.unfolded && other.control != nullptr) fold(other);
        }
    }
    componentToggledEvent.notify(this);
}

void ComponentDisplay::finishInsertion(gui::Control& container) {
    // The insertion's fade-in would otherwise go on over an immediate
    // unfolding and shrink it back to what the container had when it came
    // (nothing), and an expansion would replace it halfway, leaving the
    // container faded.
    if (gui::Animator* animator = bar_->animator()) {
        animator->stopAnimations(&container);
        container.opacity.setValue(255);
    }
}

void ComponentDisplay::componentDeleted(gui::Component* component) {
    gui::ScrollStrip::componentDeleted(component);
    for (Record& record : components_)
        if (static_cast<gui::Component*>(record.control) == component) record.control = nullptr;
    buttons_.erase(
        std::remove_if(buttons_.begin(), buttons_.end(),
                       [component](gui::Control* c) { return static_cast<gui::Component*>(c) == component; }),
        buttons_.end());
}

void ComponentDisplay::boundsChanged() {
    gui::ScrollStrip::boundsChanged();
    // The bar spans the strip across its axis.
    const gui::Rect& b = bounds.getValue();
    if (bar_->isHorizontal())
        bar_->height.setValue(b.height());
    else
        bar_->width.setValue(b.width());
}
