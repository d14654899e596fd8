#pragma once

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

#include "foundation/Property.h"
#include "gui/Switch.h"
#include "modulation_editor/XLFOController.h"
#include "modulation_editor/XLFOControllerStepCurve.h"

#include <cstdint>
#include <memory>

namespace gui {
class Text;
}

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
