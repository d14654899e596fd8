#pragma once

// XLFOController::StepInterface: the step panel of the XLFO step editor,
// made concrete by the product (its look, title and positions). It holds up
// to four step controls (value, glide, glide function, random; the
// product's, as children) and the Hide, Remove Step and Add Step buttons,
// whose clicks run the controller's actions.
//
// update(step) links the glide, glide function and random controls to the
// parameters of the last selected step (through the editor); for the step
// already shown it does nothing, so a refresh in the middle of a drag of one
// of them keeps the control's link and its one host gesture. The value
// control is not linked: the step's slider holds that parameter's one link.
// Instead a gesture of the value control gives every selected step its
// value, each step's parameter in its own host gesture begun and ended with
// the control's, and stores one undo step when something changed; update
// shows the last selected step's value in it. While "Snap" is on the value
// control's position is taken in 24 steps, so its value lands on the
// engine's grid.
//
// Lifetime: the panel is linked to its controls and buttons and forgets one
// that dies; its subscriptions to them are made once and removed in the
// destructor.
//
// Threading: GUI thread only.

#include "foundation/Property.h"
#include "gui/Control.h"
#include "modulation_editor/XLFOController.h"

#include <array>
#include <cstdint>
#include <vector>

namespace gui {
class ValueControl;
}

class XLFOController::StepInterface : public gui::Control {
public:
    enum ButtonKind : int32_t { kHide = 0, kRemoveStep = 1, kAddStep = 2, kNumButtons = 3 };
    static constexpr const char* kHideHelp =
        "The Hide button hides the XLFO step interface and deselect all steps.";
    static constexpr const char* kRemoveStepHelp =
        "The Remove Step button removes the currently selected steps from the XLFO. If no step is selected, "
        "the last step is removed.";
    static constexpr const char* kAddStepHelp =
        "The Add Step button adds a new step to the XLFO. The new step copies most of its settings from the "
        "currently selected or previous step. It is inserted after the last selected step, or at the end of "
        "all steps. A maximum of 16 steps can be created.";

    explicit StepInterface(gui::UserInterface& userInterface);
    ~StepInterface() override;

    // The panel's width while steps are selected.
    Property<float> expandedWidth;

    void componentDeleted(gui::Component* component) override;

    // A control of a step role (XLFOController::StepRole); becomes a child.
    void setStepControl(int32_t role, gui::ValueControl* control);
    gui::ValueControl* stepControl(int32_t role) const;
    // A button; becomes a child and gets its help text.
    void setButton(int32_t kind, gui::Control* button);
    gui::Control* button(int32_t kind) const;

    // Relinks the step controls to the step (the last selected; -1 unlinks
    // them); nothing for the step already shown. Shows the step's value in
    // the value control unless it is held. (It takes the step so that it
    // never stands for the control's own update of its hold.)
    using gui::Control::update;
    virtual void update(int32_t step);

    // The step the controls are linked to, -1 when none.
    int32_t shownStep() const { return shownStep_; }
    // Snap for the value control (the controller sets it from "Snap").
    void setSnapped(bool on);
    XLFOController* controller() const { return controller_; }

private:
    friend class XLFOController;

    void setController(XLFOController* controller) { controller_ = controller; }
    void unlinkControls();
    void buttonClicked(void* sender);
    void valueBegan();
    void valueChanged();
    void valueEnded();
    void endFollowers();
    void showValue();

    std::array<gui::ValueControl*, kNumRoles> controls_{};
    std::array<AbstractPluginParameter*, kNumRoles> linked_{};
    std::array<gui::Control*, kNumButtons> buttons_{};
    XLFOController* controller_ = nullptr;
    int32_t shownStep_ = -1;
    // The value parameters that a gesture of the value control moves (every
    // selected step's), with their values at its begin.
    std::vector<int32_t> followers_;
    std::vector<float> followerStart_;
    bool snapped_ = false;
};
