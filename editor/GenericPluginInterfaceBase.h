#pragma once

// GenericPluginInterfaceBase: the product-neutral editor between one model
// and one user interface. It binds controls to parameters (it is the control
// change manager), owns the value display and the animator, keeps the undo
// history in step with the user's gestures, and loads, saves, copies and
// pastes presets. It listens to the user interface's message channel: the
// model's parameter notifications (GenericPlugin::kParameterChanged with an
// index, or -1 for several) refresh the controls, and kStoreUndoStep stores
// an undo step after a preset load.
// Every other code goes to handleCommand, a slot for the editor's commands.
//
// Closing (prepareForClosing, run by the editor host before it deletes the
// editor, else by the destructor), in this order:
//   1. detach from the model and wait until no model call is in the editor;
//   2. release the mouse capture (a running gesture ends through the live
//      manager) and end the wheel gesture;
//   3. end every host gesture still open;
//   4. stop the timers and edits;
//   5. under the root lock: delete the value display, then the root's
//      children (their destructors still find the animator and the manager);
//   6. remove every listener and handler this editor installed.
// After it the editor touches nothing of the user interface again.
//
// Threading: GUI thread. Notifications of the frame list may arrive on the render
// thread under the root lock: their handlers only change the tree.

#include "editor/ControlChangeManager.h"
#include "foundation/NotifyEvent.h"
#include "gui/BasicRect.h"
#include "gui/MessageChannel.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class ComponentPresetHandler;
class HotspotButton;

namespace gui {
class Animator;
class Control;
class UserInterface;
} // namespace gui

class GenericPluginInterfaceBase : public ControlChangeManager, public gui::MessageChannel::Listener {
public:
    GenericPluginInterfaceBase(gui::UserInterface& userInterface, GenericPlugin& plugin);
    ~GenericPluginInterfaceBase() override;

    // Fired (sender: this) by parametersChanged after the listeners.
    NotifyEvent parametersChangedEvent;

    // --- Slots of the control change manager.
    void setParameterFromControl(gui::ValueControl* control, AbstractPluginParameter* parameter, int phase,
                                 int delta) override;
    void parametersChanged() override;

    // --- Further slots.
    virtual ComponentPresetHandler* getComponentPresetHandler(int32_t kind, int32_t index);
    virtual bool isMidiLearnActive() { return false; }
    // Pushes the current state as an undo step and marks the A/B state
    // changed.
    virtual void storeUndoStep(int32_t index);
    // The values an undo step holds (the main parameter collection's), for
    // a surface to take when a press begins ...
    std::vector<float> undoValues() const;
    // ... and, when the press ends, one undo step only when it changed any
    // of them: a press that changed no value leaves the history as it was.
    // True when it stored.
    bool storeUndoStepIfChanged(const std::vector<float>& before, int32_t index = -1);
    // The editor's idle call into the model (on the user interface's tick).
    virtual void idle();
    virtual void showValueDisplayFor(gui::ValueControl* control);
    virtual void hideValueDisplay();
    // The context menu of the parameter bound to the control (its own
    // controlId); an unbound control gets none.
    virtual void showParameterContextMenu(gui::ValueControl* control);
    // The menu itself (made by the editor's menus); empty here.
    virtual void openParameterContextMenu(int32_t index, gui::ValueControl* control);
    // The first control's rectangle in root coordinates, united with the
    // second's when both have a positive size.
    virtual gui::Rect unionBounds(const gui::Control* first, const gui::Control* second);
    virtual gui::Rect getReferenceRectangle() { return {}; }
    virtual void refreshAll();
    // A notification code this layer does not answer (the editor's commands
    // and the model's other codes); empty here.
    virtual void handleCommand(int32_t code, int32_t argument);
    // The shown preset's name or state may have changed; empty here.
    virtual void updatePresetDisplay() {}
    // A hot spot around a knob was clicked; empty here.
    virtual void hotspotClicked(HotspotButton& button) { (void)button; }

    // --- The value display's triggers: enter and gesture begin show it for
    // the control; leave, and an end outside the control, start its hide.
    void listenToControl(gui::ValueControl* control);

    // --- Presets. Errors reach the user through showError.
    bool loadPresetFile(const std::string& path);
    bool savePresetFile(const std::string& path);
    void copyPresetToClipboard();
    // True when a preset was loaded; otherwise the error text (when asked).
    bool pastePresetFromClipboard(std::string* error = nullptr);
    // The message, a line break and the details (when any) in an
    // information box; okAction runs when the user answers OK.
    void showError(const std::string& message, const std::string& details,
                   std::function<void()> okAction = {});
    // Where the preset dialogs start: the current preset's folder, else the
    // main preset folder.
    std::string presetDialogFolder() const;

    // --- Closing.
    void prepareForClosing();
    bool isClosed() const { return closed_; }

    // --- Owned parts.
    // Takes ownership of the display (deleted under the root lock when the
    // editor closes) in place of any held before, and tells the manager of
    // it. The attached editor makes one at construction.
    void adoptValueDisplay(std::unique_ptr<ValueDisplay> display);
    void adoptAnimator(std::unique_ptr<gui::Animator> animator);
    gui::Animator* animator() const { return animator_.get(); }

    gui::UserInterface& userInterface() const { return userInterface_; }

    // --- gui::MessageChannel::Listener
    void notification(std::uint32_t code, std::uint32_t argument) override;

protected:
    // Closing steps for derived layers: detach from the model (step 1) and
    // stop their timers and edits (step 4) and remove their handlers (6).
    virtual void detachFromModel() {}
    virtual void stopTimersAndEdits() {}
    virtual void removeHandlers() {}

private:
    void tick();
    bool undoStepDiffers() const;
    // After a load that reported an error: one undo step when it changed
    // the values anyway.
    void storeUndoStepAfterFailedLoad(const std::vector<float>& before);

    gui::UserInterface& userInterface_;
    std::unique_ptr<ValueDisplay> valueDisplay_;
    std::unique_ptr<gui::Animator> animator_;
    bool closed_ = false;
};
