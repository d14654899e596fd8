#include "effect_editor/FrequencyDisplay.h"

#include "gui/Canvas.h"
#include "gui/UserInterface.h"

#include <algorithm>
#include <cmath>

FrequencyDisplay::FrequencyDisplay(gui::UserInterface& userInterface)
    : gui::AnimatedControl(userInterface), leftMargin(this, 0.0f), rightMargin(this, 0.0f),
      bottomMargin(this, 0.0f), gridColor(this, gui::Color(128, 128, 128, 128)),
      maximum(this, 0.0f, kLimit, kDefaultMaximum), minimum(this, 0.0f, kLimit, kDefaultMinimum) {}

FrequencyDisplay::~FrequencyDisplay() = default;

void FrequencyDisplay::propertyChanged(AbstractProperty& property) {
    if (&property == &minimum || &property == &maximum || &property == &gridColor) {
        gridCacheValid_ = false;
        invalidateRect(localRect());
        return;
    }
    if (&property == &leftMargin || &property == &rightMargin || &property == &bottomMargin) {
        invalidateRect(localRect());
        return;
    }
    gui::AnimatedControl::propertyChanged(property);
}

float FrequencyDisplay::axisLength() const {
    return width.getValue() - (2.0f * leftMargin.getValue() + rightMargin.getValue() + 1.0f);
}

float FrequencyDisplay::frequencyToX(float frequency) const {
    const float span = maximum.getValue() - minimum.getValue();
    if (!(std::fabs(span) > 0.0f)) return leftMargin.getValue();
    return leftMargin.getValue() + (std::log2(frequency) - minimum.getValue()) * axisLength() / span;
}

float FrequencyDisplay::xToFrequency(float x) const {
    const float length = axisLength();
    if (!(std::fabs(length) > 0.0f)) return std::exp2(minimum.getValue());
    return std::exp2(minimum.getValue() +
                     (x - leftMargin.getValue()) * (maximum.getValue() - minimum.getValue()) / length);
}

const std::vector<float>& FrequencyDisplay::gridFrequencies() {
    const bool narrow = width.getValue() < kFullGridWidth;
    if (gridCacheValid_ && narrow == gridCacheNarrow_) return gridCache_;
    gridCache_.clear();
    for (float decade = 10.0f; decade <= 10000.0f; decade *= 10.0f) {
        if (narrow) {
            for (float m : {1.0f, 3.0f, 5.0f, 7.0f, 8.5f})
                gridCache_.push_back(m * decade);
        } else {
            for (int m = 1; m <= 9; ++m)
                gridCache_.push_back(static_cast<float>(m) * decade);
        }
    }
    gridCacheValid_ = true;
    gridCacheNarrow_ = narrow;
    return gridCache_;
}

gui::Color FrequencyDisplay::lineColor() {
    gui::Color c = gridColor.getValue();
    const float scale = userInterface().deviceBacking().getScale();
    const float alpha = static_cast<float>(c.a) * std::sqrt(scale);
    c.a = static_cast<std::uint8_t>(std::clamp(alpha, 0.0f, 255.0f));
    return c;
}

void FrequencyDisplay::draw(gui::Canvas& canvas) {
    drawGrid(canvas);
}

void FrequencyDisplay::drawGrid(gui::Canvas& canvas) {
    for (float f : gridFrequencies())
        drawFrequencyLine(canvas, f);
}

void FrequencyDisplay::drawFrequencyLine(gui::Canvas& canvas, float frequency) {
    const float x = frequencyToX(frequency);
    const float pixel = 1.0f / userInterface().deviceBacking().getScale();
    canvas.fillRect(gui::Rect(x, 0.0f, x + pixel, height.getValue() - bottomMargin.getValue()), lineColor());
}
