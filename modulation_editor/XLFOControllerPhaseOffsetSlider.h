#pragma once

// XLFOController::PhaseOffsetSlider: a horizontal slider of the XLFO's phase
// offset with a handle 6 units wide, kept inside [0, width - 6]. A press
// within 6 units of the handle's centre grabs it; elsewhere the value jumps
// to the press. A drag wraps around (the value is taken modulo the range,
// with a non-negative modulo): past either end it continues from the other,
// as the phase itself does.
//
// Threading: GUI thread only; draw runs under the root lock.

#include "foundation/Property.h"
#include "gui/Color.h"
#include "gui/ValueControl.h"
#include "modulation_editor/XLFOController.h"

#include <cstdint>

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

    // The handle's left edge for the current value.
    float handleX() const;
    // A position taken modulo the range (non-negative), from the minimum.
    int wrapped(int64_t position) const;

private:
    float travel() const;

    bool dragging_ = false;
    float pressX_ = 0.0f;
    int startValue_ = 0;
};
