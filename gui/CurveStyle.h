#pragma once

// What drawCurve draws: up to two layers, each a curve with its line and the
// colours on both sides of it, over fills above and below. The record is
// built by the caller and only read by the drawing back ends; curves and
// gradients are not owned.

#include "gui/Color.h"
#include "gui/Curve.h"
#include "gui/Gradient.h"

namespace gui {

struct CurveStyle {
    struct Layer {
        const ICurve* curve = nullptr;
        Color colorJustAbove;
        Color lineColor;
        const IGradient* lineGradient = nullptr; // replaces lineColor when set
        Color colorJustBelow;
        float lineWidth = 0.0f; // logical units
        float softWidth = 0.0f; // fade band on both sides of the line, logical units
    };

    Color colorAbove;
    int layerCount = 0; // 0 to 2
    Layer layers[2];
    Color colorBelow;
    const IGradient* fadeGradient = nullptr; // only its alpha is used
};

} // namespace gui
