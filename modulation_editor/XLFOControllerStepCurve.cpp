#include "modulation_editor/XLFOController.h"

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
    return glideCurveValue(base_, amount_, glide_, function_, x * scale_) * heightScale_ + yOffset_;
}
