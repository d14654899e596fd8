#include "modulation_editor/XLFOController.h"

#include "gui/ValueControl.h"
#include "modulation_editor/ModulationMatrixPluginInterface.h"
#include "plugin/GenericPlugin.h"
#include "plugin/PluginParameter.h"

#include <algorithm>
#include <cmath>

namespace {

// The value control's position map while snapped: 24 steps over the range.
float snapFraction(float t) {
    const float k = std::clamp(std::round(t * static_cast<float>(XLFOController::kSnapSteps)), 0.0f,
                               static_cast<float>(XLFOController::kSnapSteps));
    return k / static_cast<float>(XLFOController::kSnapSteps);
}

} // namespace

XLFOController::StepInterface::StepInterface(gui::UserInterface& userInterface)
    : gui::Control(userInterface), expandedWidth(this, 0.0f) {}

XLFOController::StepInterface::~StepInterface() {
    endFollowers();
    if (gui::ValueControl* value = controls_[kValue]) {
        value->gestureBeginEvent.removeHandler(this, &StepInterface::valueBegan);
        value->valueChangedEvent.removeHandler(this, &StepInterface::valueChanged);
        value->gestureEndEvent.removeHandler(this, &StepInterface::valueEnded);
    }
    for (gui::Control* b : buttons_)
        if (b != nullptr) b->clickEvent.removeHandler(this, &StepInterface::buttonClicked);
    if (controller_ != nullptr && controller_->stepPanel_ == this) controller_->stepPanel_ = nullptr;
    deleteChildren();
}

void XLFOController::StepInterface::componentDeleted(gui::Component* component) {
    for (size_t i = 0; i < controls_.size(); ++i) {
        if (component != controls_[i]) continue;
        if (i == kValue) endFollowers();
        controls_[i] = nullptr;
        linked_[i] = nullptr;
    }
    for (gui::Control*& b : buttons_)
        if (component == b) b = nullptr;
    gui::Control::componentDeleted(component);
}

void XLFOController::StepInterface::setStepControl(int32_t role, gui::ValueControl* control) {
    if (role < 0 || role >= kNumRoles) return;
    const size_t i = static_cast<size_t>(role);
    if (controls_[i] == control) return;
    if (controls_[i] != nullptr) {
        // The old control keeps its place in the tree but leaves the panel.
        if (controller_ != nullptr && linked_[i] != nullptr && role != kValue)
            controller_->interface().unlinkControl(linked_[i], controls_[i]);
        if (role == kValue) {
            endFollowers();
            controls_[i]->gestureBeginEvent.removeHandler(this, &StepInterface::valueBegan);
            controls_[i]->valueChangedEvent.removeHandler(this, &StepInterface::valueChanged);
            controls_[i]->gestureEndEvent.removeHandler(this, &StepInterface::valueEnded);
            controls_[i]->valueToPosition = nullptr;
        }
        unlink(controls_[i]);
        linked_[i] = nullptr;
    }
    controls_[i] = control;
    if (control == nullptr) return;
    if (control->getParent() != this) control->parent.setValue(this);
    link(control);
    if (role == kValue) {
        control->gestureBeginEvent.addHandler(NotifyEvent::bind(this, &StepInterface::valueBegan));
        control->valueChangedEvent.addHandler(NotifyEvent::bind(this, &StepInterface::valueChanged));
        control->gestureEndEvent.addHandler(NotifyEvent::bind(this, &StepInterface::valueEnded));
        control->valueToPosition = snapped_ ? &snapFraction : nullptr;
    }
    // Linked at the next update.
    shownStep_ = -1;
}

gui::ValueControl* XLFOController::StepInterface::stepControl(int32_t role) const {
    return role >= 0 && role < kNumRoles ? controls_[static_cast<size_t>(role)] : nullptr;
}

void XLFOController::StepInterface::setButton(int32_t kind, gui::Control* button) {
    if (kind < 0 || kind >= kNumButtons) return;
    gui::Control*& slot = buttons_[static_cast<size_t>(kind)];
    if (slot == button) return;
    if (slot != nullptr) {
        slot->clickEvent.removeHandler(this, &StepInterface::buttonClicked);
        unlink(slot);
    }
    slot = button;
    if (button == nullptr) return;
    static constexpr const char* kHelp[kNumButtons] = {kHideHelp, kRemoveStepHelp, kAddStepHelp};
    if (button->getParent() != this) button->parent.setValue(this);
    button->helpText.setValue(kHelp[kind]);
    button->clickEvent.addHandler(NotifyEvent::bind(this, &StepInterface::buttonClicked));
    link(button);
}

gui::Control* XLFOController::StepInterface::button(int32_t kind) const {
    return kind >= 0 && kind < kNumButtons ? buttons_[static_cast<size_t>(kind)] : nullptr;
}

void XLFOController::StepInterface::buttonClicked(void* sender) {
    if (controller_ == nullptr) return;
    if (sender == buttons_[kHide])
        controller_->hideStepPanel();
    else if (sender == buttons_[kRemoveStep])
        controller_->removeSteps();
    else if (sender == buttons_[kAddStep])
        controller_->addStep();
}

void XLFOController::StepInterface::unlinkControls() {
    for (size_t i = 0; i < controls_.size(); ++i) {
        if (controller_ != nullptr && i != kValue && controls_[i] != nullptr && linked_[i] != nullptr)
            controller_->interface().unlinkControl(linked_[i], controls_[i]);
        linked_[i] = nullptr;
    }
}

void XLFOController::StepInterface::update(int32_t step) {
    if (controller_ == nullptr) return;
    bool same = step == shownStep_;
    for (size_t i = 0; same && i < controls_.size(); ++i)
        same = controls_[i] == nullptr ||
               linked_[i] == controller_->stepParameter(step, static_cast<int32_t>(i));
    if (!same) {
        unlinkControls();
        shownStep_ = step;
        for (size_t i = 0; step >= 0 && i < controls_.size(); ++i) {
            AbstractPluginParameter* parameter = controller_->stepParameter(step, static_cast<int32_t>(i));
            if (controls_[i] == nullptr || parameter == nullptr) continue;
            linked_[i] = parameter;
            if (i == kValue)
                controller_->interface().setControlFromParameter(controls_[i], parameter);
            else
                controller_->interface().linkControl(parameter, controls_[i],
                                                     ModulationMatrixPluginInterface::kNoTarget);
        }
    }
    showValue();
}

void XLFOController::StepInterface::showValue() {
    gui::ValueControl* control = controls_[kValue];
    const AbstractPluginParameter* parameter = linked_[kValue];
    if (control == nullptr || parameter == nullptr || control->inGesture()) return;
    control->setNormalizedValue(parameter->toLinearNormalized(parameter->getValue()));
}

void XLFOController::StepInterface::setSnapped(bool on) {
    snapped_ = on;
    if (gui::ValueControl* value = controls_[kValue]) value->valueToPosition = on ? &snapFraction : nullptr;
}

// --- The value control moves every selected step.

void XLFOController::StepInterface::valueBegan() {
    endFollowers();
    if (controller_ == nullptr || shownStep_ < 0 || linked_[kValue] == nullptr) return;
    for (int32_t step : controller_->selectedSteps()) {
        if (AbstractPluginParameter* p = controller_->stepParameter(step, kValue)) {
            followers_.push_back(p->getIndex());
            followerStart_.push_back(p->getValue());
        }
    }
    for (int32_t index : followers_)
        controller_->interface().setLinkedParameterValue(gui::kGestureBegin, index, 0.0f, 0);
}

void XLFOController::StepInterface::valueChanged() {
    gui::ValueControl* control = controls_[kValue];
    AbstractPluginParameter* head = linked_[kValue];
    if (followers_.empty() || controller_ == nullptr || control == nullptr || head == nullptr) return;
    // The value as the change manager computes it for a linked control.
    const int low = control->minimum.getValue();
    const int high = control->maximum.getValue();
    float fraction = static_cast<float>(control->value.getValue() - low) / static_cast<float>(high - low);
    if (control->valueToPosition != nullptr) fraction = control->valueToPosition(fraction);
    const float plain = head->fromLinearNormalized(fraction);
    ModulationMatrixPluginInterface& interface = controller_->interface();
    for (int32_t index : followers_) {
        interface.setLinkedParameterValue(gui::kGestureChange, index, plain, 0);
        interface.refreshControl(index); // the step's slider shows it at once
    }
}

void XLFOController::StepInterface::valueEnded() {
    if (controller_ == nullptr) return;
    bool changed = false;
    GenericPlugin& plugin = controller_->interface().plugin();
    for (size_t i = 0; i < followers_.size() && !changed; ++i)
        if (const AbstractPluginParameter* p = plugin.getParameter(followers_[i]))
            changed = std::fabs(p->getValue() - followerStart_[i]) > ControlChangeManager::kValueTolerance;
    endFollowers();
    if (changed) controller_->interface().storeUndoStep(-1);
}

void XLFOController::StepInterface::endFollowers() {
    std::vector<int32_t> followers;
    followers.swap(followers_);
    followerStart_.clear();
    if (controller_ == nullptr) return;
    for (int32_t index : followers)
        controller_->interface().setLinkedParameterValue(gui::kGestureEnd, index, 0.0f, 0);
}
