#pragma once

// XLFOController: the step editor of one XLFO inside its source panel. One
// vertical slider per step (all 16 made at once; those beyond the step count
// are 0 wide), the curve each draws through its step, the phase offset
// slider, and a step panel that slides in at the right while steps are
// selected. Its width follows the number of steps, eased by a resize
// animation when the editor has an animator.
//
// Layout from the top: the phase offset slider is a strip as high as its
// handle along the shown steps (as wide as they are, so its handle marks
// the phase over them); the step sliders stand below it, down to the
// bottom. The step panel takes the whole height at the right.
//
// Values live in the XLFO's parameters: the controller only links its
// controls to them (through the modulation editor) and moves values when a
// step is added or removed. A step's parameters are reached by their
// position inside the step's parameter set, so the layout is the product's.
//
// Selection: the selected steps share one value-control link group, so a
// drag of one moves them all by the same amount (they follow without the
// link modifier). The last selected step is the highest selected index; the
// step panel shows it.
//
// Ownership: the sliders, the phase offset slider and the adopted step
// panel are children (deleted with the controller); the controller is
// linked to each and forgets one that dies first. The slider style and the
// step background bitmap belong to the product.
//
// Its parts (the nested classes below) each have their own source file.
//
// Threading: GUI thread only; draw runs under the root lock.

#include "foundation/Property.h"
#include "gui/Animation.h"
#include "gui/BasicRect.h"
#include "gui/Color.h"
#include "gui/Control.h"
#include "gui/Curve.h"
#include "gui/Switch.h"
#include "gui/ValueControl.h"
#include "modulation/XLFO.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class AbstractParameterSetList;
class AbstractPluginParameter;
class ModulationMatrixPluginInterface;

namespace gui {
class Bitmap;
class Text;
} // namespace gui

class XLFOController : public gui::Control {
public:
    class StepSlider;
    class StepCurve;
    class PhaseOffsetSlider;
    class StepInterface;
    class ResizeAnimation;

    // The roles of a step's parameters (also the step panel's controls).
    enum StepRole : int32_t { kValue = 0, kGlide = 1, kGlideFunction = 2, kRandom = 3, kNumRoles = 4 };

    // Where the XLFO's parameters are: each role's position inside one
    // step's parameter set (-1: absent), and the plug-in indices of the step
    // count, "Snap" and "Phase Offset" (-1: absent).
    struct StepLayout {
        AbstractParameterSetList* steps = nullptr;
        int32_t offsets[kNumRoles] = {-1, -1, -1, -1};
        int32_t parametersPerStep = 0;
        int32_t stepCountIndex = -1;
        int32_t snapIndex = -1;
        int32_t phaseOffsetIndex = -1;
    };

    static constexpr int32_t kMaxSteps = 16;
    // Snap: a step value on the engine's grid -1 + k / 12 (k = 0..24) is a
    // control position on a multiple of 36000 / 24.
    static constexpr int32_t kSnapSteps = 24;
    static constexpr int32_t kSnapPositions = 1500;
    static constexpr int kResizeDuration = 300; // ms
    // The phase offset strip's height when nothing else is set: its handle's.
    static constexpr float kPhaseOffsetHeight = 12.0f;
    static constexpr const char* kPhaseOffsetHelp =
        "The Phase Offset slider shifts the point where the XLFO starts within its steps. Dragging past "
        "either end wraps around.";
    static constexpr const char* kStepHelp =
        "The Step slider sets the value of a specified step. It ranges from -1 at the bottom to 1 at the "
        "top. "
        "\n\nClick the slider to select the step so you can adjust it with the step interface. Ctrl-click to "
        "select multiple steps; Shift-click to select a range of steps. Click outside the slider to deselect "
        "all steps.\n\nTip: Resetting a step value to 0 (middle position) is easy: select the step and "
        "Ctrl-click the Value knob in the step interface.";

    // sliderStyle: shared by the 16 sliders (the product's; a
    // StepSlider::Style adds the selected, random and dot bitmaps);
    // stepPanel: adopted as a child at x 0 (may be null); backgroundName: a
    // bitmap resource (empty: none).
    XLFOController(ModulationMatrixPluginInterface& interface, gui::Switch::Style* sliderStyle,
                   StepInterface* stepPanel, const std::string& backgroundName);
    ~XLFOController() override;

    Property<gui::Color> curveColor;     // the curve's line, opaque white
    Property<gui::Color> curveFillColor; // below the curve, black at opacity 15
    Property<int> wideStepWidth;         // the width of one step alone
    Property<int> narrowStepWidth;       // the width of each of 16 steps
    Property<float> panelGap;            // between the last step and the step panel
    Property<float> phaseOffsetHeight;   // the phase offset strip above the step sliders

    void propertyChanged(AbstractProperty& property) override;
    void componentDeleted(gui::Component* component) override;
    void boundsChanged() override;
    void draw(gui::Canvas& canvas) override;

    // Stores the layout, links the phase offset slider (with its modulation
    // target) and every step slider to its step's value, reads "Snap" and
    // deselects every step (the selection named the previous XLFO's steps).
    void linkParameters(const StepLayout& layout, uint32_t phaseOffsetTarget);
    // A new step count: deselects the steps from n on and lays out again
    // (animated). Nothing when n is shown already.
    void setNumSteps(int32_t n);
    // The same, laid out at once.
    void layoutForNumSteps(int32_t n);
    // Recomputes the last selected step, tells the step panel, reads
    // "Snap" again and redraws the sliders.
    void selectionChanged();
    // The step panel's actions; each refreshes the editor's controls and
    // stores one undo step when it changed something.
    void addStep();
    void removeSteps();
    void hideStepPanel();

    // The width of one step when n are shown.
    int32_t stepWidth(int32_t n) const;
    int32_t numSteps() const { return shownSteps_; }
    // The area of the shown steps (below the phase offset strip).
    gui::Rect curveArea() const;

    // --- Selection (indices beyond the shown steps cannot be selected).
    void setStepSelected(int32_t step, bool on);
    bool isStepSelected(int32_t step) const;
    void deselectAll();
    // Selects only this step.
    void selectOnly(int32_t step);
    // Selects from..to (both included, either order) and nothing else.
    void selectRange(int32_t from, int32_t to);
    // The highest selected index, -1 when none.
    int32_t lastSelected() const { return lastSelected_; }
    std::vector<int32_t> selectedSteps() const;
    bool anySelected() const;

    // --- Parts.
    StepSlider* slider(int32_t step) const;
    PhaseOffsetSlider* phaseOffsetSlider() const { return phaseSlider_; }
    StepInterface* stepPanel() const { return stepPanel_; }
    ResizeAnimation* resizeAnimation() const { return resizeAnimation_; }
    gui::Bitmap& background() const { return *background_; }
    // The bitmap drawn under each shown step (the product's; null: none).
    void setStepBackground(gui::Bitmap* bitmap);
    ModulationMatrixPluginInterface& interface() const { return interface_; }
    const StepLayout& layout() const { return layout_; }
    bool isSnapped() const { return snapped_; }

    // A step's parameter of a role, null when absent.
    AbstractPluginParameter* stepParameter(int32_t step, int32_t role) const;
    // A step's value for drawing (-1..1): its slider's position.
    float stepDisplayValue(int32_t step) const;
    bool isRandomStep(int32_t step) const;

private:
    friend class StepSlider;
    friend class ResizeAnimation;

    struct Geometry {
        int32_t width = 0;
        int32_t panelX = 0;
        int32_t panelWidth = 0;
        std::vector<int32_t> sliderWidths;
    };

    Geometry targetGeometry() const;
    void applyGeometry(const Geometry& geometry);
    // The phase offset strip's height, inside the controller's.
    float stripHeight() const;
    // The step sliders below the strip, the strip as high as it is set.
    void placeSlidersBelowStrip();
    void relayout();
    void storeNumSteps(int32_t n);
    void readSnap();
    // The selection of one slider changed (its property handler).
    void sliderSelectionChanged(int32_t step);
    // The slider of the value just changed: its neighbour's curve ends there.
    void stepValueShown(int32_t step);
    // While a selected step is dragged: the step panel's value control shows
    // the last selected step.
    void showLastSelectedValue();
    void animationGone(ResizeAnimation* animation);
    // Every value of the step list (with its count), for the undo check.
    std::vector<float> stepSnapshot() const;
    void finishStepChange(const std::vector<float>& before);

    ModulationMatrixPluginInterface& interface_;
    ResizeAnimation* resizeAnimation_ = nullptr;
    std::unique_ptr<gui::Bitmap> background_;
    int32_t shownSteps_ = 0;
    gui::Bitmap* stepBackground_ = nullptr;
    PhaseOffsetSlider* phaseSlider_ = nullptr;
    StepLayout layout_;
    std::vector<StepSlider*> sliders_;
    StepInterface* stepPanel_ = nullptr;
    int32_t lastSelected_ = -1;
    int32_t selectionHold_ = 0;
    bool selectionDirty_ = false;
    bool snapped_ = false;
};

// XLFOController::StepCurve: the curve of one XLFO step across its slider,
// in the slider's own units: from the step's value, gliding into the next
// step's value over the glide part of the step with the step's glide
// function (the engine's glide curve), scaled so that value 1 is at the top
// and -1 at the bottom.

class XLFOController::StepCurve : public gui::Curve {
public:
    // base, next: the step's and the next step's values (-1..1); glide: the
    // glide part of the step (0..1); width, height: the slider's size.
    void set(float base, float next, float glide, XLFO::GlideCurve function, float width, float height);

    // y for x in 0..width: glide value at (x x scale) x height scale + y
    // offset; outside 0..width the value at the nearer end.
    float valueAt(float x) const override;

    float scale() const { return scale_; }
    float heightScale() const { return heightScale_; }
    float yOffset() const { return yOffset_; }

private:
    float base_ = 0.0f;
    float amount_ = 0.0f;
    float glide_ = 0.0f;
    XLFO::GlideCurve function_ = XLFO::GlideCurve::kLinear;
    float scale_ = 0.0f;
    float heightScale_ = 0.0f;
    float yOffset_ = 0.0f;
};

// XLFOController::StepSlider: the vertical slider of one XLFO step, -1 at
// the bottom to 1 at the top, drawing its part of the step curve and its
// number. Its value area (the bar that the handle bitmap draws, and where a
// press selects) follows the value, or stands centred for a random step.
//
// Press with Ctrl toggles the step's selection, with Shift selects a range
// from the last selected step; such a press never drags. A plain click (no
// move of more than 2 units) inside the value area sets the value at its
// height and selects only this step; outside it deselects every step. A
// selected slider drags the whole selection (its link group) without the
// link modifier.
//
// Snap: while snapped, the value moves on multiples of kSnapPositions
// (the engine's grid), also when it follows another selected step; the
// wheel's small steps add up before they round.
//
// Threading: GUI thread only; draw runs under the root lock.

class XLFOController::StepSlider : public gui::Switch {
public:
    // The switch style with the bitmaps of a selected step's bar, a random
    // step's bar and the curve dot (each empty until loaded or filled).
    class Style : public gui::Switch::Style {
    public:
        explicit Style(gui::UserInterface& userInterface);
        ~Style() override;
        gui::Bitmap& selectedHandle() { return *selectedHandle_; }
        gui::Bitmap& randomHandle() { return *randomHandle_; }
        gui::Bitmap& curveDot() { return *curveDot_; }

    private:
        std::unique_ptr<gui::Bitmap> selectedHandle_;
        std::unique_ptr<gui::Bitmap> randomHandle_;
        std::unique_ptr<gui::Bitmap> curveDot_;
    };

    // Made by the controller, as its child.
    StepSlider(XLFOController& controller, int32_t index, gui::Switch::Style* style);
    ~StepSlider() override;

    Property<bool> selected;

    void propertyChanged(AbstractProperty& property) override;
    int hitAlpha(const gui::Point& point) override;
    void mouseDown(int button, const gui::Point& point, int modifiers) override;
    void mouseMove(const gui::Point& point, int modifiers) override;
    void mouseUp(int button, const gui::Point& point, int modifiers) override;
    void draw(gui::Canvas& canvas) override;
    void valueControlPropertyChanged(AbstractProperty& property) override;
    int stepGesture(int phase, int channel, int delta, int flags) override;
    void updateLinkFromModifiers(int modifiers) override;
    bool mouseWheel(int phase, const gui::Point& point, int modifiers, const gui::Point& firstDelta,
                    const gui::Point& secondDelta) override;
    // The value area.
    bool handleHit(const gui::Point& point) override;
    void updateRolloverAt(const gui::Point& point) override;

    void setSnapped(bool on) { snapped_ = on; }
    bool snapped() const { return snapped_; }
    int32_t index() const { return index_; }
    // The press moved more than 2 units from its point.
    bool moved() const { return moved_; }
    gui::Rect valueArea();
    // The control position whose bar centre stands at a local height.
    int positionAtHeight(float y);
    // The curve as drawn now (from this step's value to the next step's).
    StepCurve& curve();
    gui::Text& numberLabel() const { return *label_; }

private:
    // A position on the snap grid (nearest, clamped into the range).
    int snapPosition(int64_t position) const;

    bool snapped_ = false;
    gui::Point pressPoint_;
    int pressModifiers_ = 0;
    bool moved_ = false;
    bool pressedInValueArea_ = false;
    bool following_ = false;
    bool wheeling_ = false;
    // The wheel gesture's position before rounding to the grid.
    int64_t wheelPosition_ = 0;
    int32_t index_;
    XLFOController& controller_;
    StepCurve curve_;
    std::unique_ptr<gui::Text> label_;
};

// XLFOController::PhaseOffsetSlider: a horizontal slider of the XLFO's phase
// offset with a handle 6 units wide, kept inside [0, width - 6]. A press
// within 6 units of the handle's centre grabs it; elsewhere the value jumps
// to the press. A drag wraps around (the value is taken modulo the range,
// with a non-negative modulo): past either end it continues from the other,
// as the phase itself does.
//
// Drawing: a faint track, and the handle: the product's handle bitmap (its
// pressed one while a press holds it), else a plain dark mark.
//
// Threading: GUI thread only; draw runs under the root lock.

class XLFOController::PhaseOffsetSlider : public gui::ValueControl {
public:
    static constexpr float kHandleWidth = 6.0f;

    explicit PhaseOffsetSlider(gui::UserInterface& userInterface);
    ~PhaseOffsetSlider() override;

    Property<gui::Color> trackColor;
    Property<gui::Color> handleColor;

    void mouseDown(int button, const gui::Point& point, int modifiers) override;
    void mouseMove(const gui::Point& point, int modifiers) override;
    void mouseUp(int button, const gui::Point& point, int modifiers) override;
    void draw(gui::Canvas& canvas) override;
    void valueControlPropertyChanged(AbstractProperty& property) override;

    // The handle's bitmaps at rest and while pressed (the product's; either
    // may be null or empty).
    void setHandleBitmaps(gui::Bitmap* normal, gui::Bitmap* pressed);
    // The handle's left edge for the current value.
    float handleX() const;
    // A position taken modulo the range (non-negative), from the minimum.
    int wrapped(int64_t position) const;
    // A press holds the handle.
    bool pressed() const { return dragging_; }

private:
    float travel() const;

    gui::Bitmap* handle_ = nullptr;
    gui::Bitmap* pressedHandle_ = nullptr;
    bool dragging_ = false;
    float pressX_ = 0.0f;
    int startValue_ = 0;
};

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

// XLFOController::ResizeAnimation: eases the step editor from the geometry
// it had when the animation was made to the target of its step count and
// selection: the controller's width, the step panel's x and width and every
// slider's width, each start + (target - start) x (3 - 2t) t^2 truncated to
// an integer, the sliders placed from x 0 at the running sum of their eased
// widths. Keyed by the controller, so a new relayout replaces it (the
// controller then points at the new one); its end clears the controller's
// pointer to it.
//
// Threading: GUI thread only (stepped by the animator).

class XLFOController::ResizeAnimation : public gui::ControlAnimation {
public:
    ResizeAnimation(gui::Animator& animator, XLFOController& controller);

    void apply(float progress) override;

private:
    XLFOController& controller_;
    int32_t startWidth_ = 0;
    int32_t startPanelX_ = 0;
    int32_t startPanelWidth_ = 0;
    std::vector<int32_t> startSliderWidths_;
    Geometry target_;
};
