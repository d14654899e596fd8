#include "modulation_editor/XLFOController.h"

#include <algorithm>

void XLFOController::StepCurve::set(float base, float next, float glide, XLFO::GlideCurve function,
                                    float width, float height) {
    base_ = base;
    amount_ = next - base;
    glide_ = glide;
    function_ = function;
    scale_ = width > 0.0f ? 1.0f / width : 0.0f;
    heightScale_ = -0.5f * height;
    yOffset_ = 0.5f * height;
}

float XLFOController::StepCurve::valueAt(float x) const {
    // A device column that the step's edge cuts samples a little past either
    // end; the curve holds its end values there (past the end a step without
    // glide has no value: the glide's share of nothing).
    const float position = std::clamp(x * scale_, 0.0f, 1.0f);
    return glideCurveValue(base_, amount_, glide_, function_, position) * heightScale_ + yOffset_;
}
