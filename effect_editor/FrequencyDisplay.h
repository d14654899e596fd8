#pragma once

// FrequencyDisplay: an animated control with a logarithmic frequency axis
// and the grid of lines drawn on it. The axis runs from 2^minimum Hz at the
// left margin to 2^maximum Hz one pixel short of the width less twice the
// left margin and the right margin.
//
// Threading: GUI thread; draw runs under the root lock.

#include "foundation/Property.h"
#include "gui/Animator.h"
#include "gui/Color.h"

#include <vector>

namespace gui {
class Canvas;
}

class FrequencyDisplay : public gui::AnimatedControl {
public:
    // The axis limits' defaults: log2 of about 4.81 Hz and 75.6 kHz.
    static constexpr float kDefaultMinimum = 2.2666f;
    static constexpr float kDefaultMaximum = 16.2064f;
    static constexpr float kLimit = 17.0f;
    // Narrower displays draw every second grid line.
    static constexpr float kFullGridWidth = 300.0f;

    explicit FrequencyDisplay(gui::UserInterface& userInterface);
    ~FrequencyDisplay() override;

    Property<float> leftMargin;
    Property<float> rightMargin;
    Property<float> bottomMargin;
    Property<gui::Color> gridColor;
    LimitedProperty<float> maximum;
    LimitedProperty<float> minimum;

    void propertyChanged(AbstractProperty& property) override;
    void draw(gui::Canvas& canvas) override;
    virtual void drawGrid(gui::Canvas& canvas);
    // A line one device pixel wide at the frequency (Hz), from the top to
    // the bottom margin.
    virtual void drawFrequencyLine(gui::Canvas& canvas, float frequency);

    // The axis: x of a frequency in Hz, and the frequency at an x.
    float frequencyToX(float frequency) const;
    float xToFrequency(float x) const;
    // The frequencies of the grid lines at the current width.
    const std::vector<float>& gridFrequencies();

protected:
    // The grid colour with its alpha scaled for the backing (held in 0..255).
    gui::Color lineColor();
    float axisLength() const;

private:
    std::vector<float> gridCache_;
    bool gridCacheValid_ = false;
    bool gridCacheNarrow_ = false;
};
