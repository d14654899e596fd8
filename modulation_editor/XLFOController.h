#pragma once

// XLFOController: the step editor of one XLFO inside its source panel. One
// vertical slider per step (all 16 made at once; those beyond the step count
// are 0 wide), the curve each draws through its step, the phase offset
// slider, and a step panel that slides in at the right while steps are
// selected. Its width follows the number of steps, eased by a resize
// animation when the editor has an animator.
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
// Threading: GUI thread only; draw runs under the root lock.

#include "foundation/Property.h"
#include "gui/BasicRect.h"
#include "gui/Color.h"
#include "gui/Control.h"
#include "gui/Switch.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class AbstractParameterSetList;
class AbstractPluginParameter;
class ModulationMatrixPluginInterface;

namespace gui {
class Bitmap;
}

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
    // The area of the shown steps.
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
