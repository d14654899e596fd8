#pragma once

// XLFOController::StepCurve: the curve of one XLFO step across its slider,
// in the slider's own units: from the step's value, gliding into the next
// step's value over the glide part of the step with the step's glide
// function (the engine's glide curve), scaled so that value 1 is at the top
// and -1 at the bottom.

#include "gui/Curve.h"
#include "modulation/XLFO.h"
#include "modulation_editor/XLFOController.h"

class XLFOController::StepCurve : public gui::Curve {
public:
    // base, next: the step's and the next step's values (-1..1); glide: the
    // glide part of the step (0..1); width, height: the slider's size.
    void set(float base, float next, float glide, XLFO::GlideCurve function, float width, float height);

    // y for x in 0..width: glide value at (x x scale) x height scale + y offset.
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
