#pragma once

// DesignFilter: a state-variable filter whose resonance, cubic bending and
// clip level come from a characteristic (DesignFilter::Style) as functions of
// cut-off frequency and peak, and whose output clip curve and drive factor
// are the style's. In manual mode (State 0) three properties give them
// instead.
//
// The style is not owned; it may be swapped between blocks (a pointer swap:
// the clip curve and drive factor follow, the filter state stays). A change
// of one of the filter's own properties clears its state.
//
// The peak row is clamped to the table, so a peak above 1 reads the last row
// (instead of interpolating towards the zero row beyond it).

#include "dsp/DesignFilterStyle.h"
#include "dsp/StateVariableFilter.h"
#include "foundation/Property.h"

class DesignFilter : public StateVariableFilter {
public:
    using Style = DesignFilterStyle;

    enum State : std::int32_t { kManual = 0, kCharacteristic = 1 };

    // style: may be null (then the plain filter's shaping, clip curve a = 1).
    DesignFilter(wave::Environment& environment, const Style* style, StateVariableFilter* partner = nullptr);
    ~DesignFilter() override;

    LimitedProperty<float> manualClipLevel; // [0.1, 10], 0.1
    LimitedProperty<float> manualCubic;     // [0, 0.1], 0
    LimitedProperty<float> manualResonance; // [0, 5], 0
    Property<State> state;                  // Characteristic

    void setStyle(const Style* style) noexcept;
    const Style* style() const noexcept { return style_; }

    void shapeResonance(float frequency, float peak, float& resonance, float& cubic,
                        float& clipLevel) noexcept override;
    float driveFactor() const noexcept override { return style_ != nullptr ? style_->driveFactor() : 1.0f; }

    float lastFrequency() const noexcept { return lastFrequency_; }
    float lastPeak() const noexcept { return lastPeak_; }

    void propertyChanged(AbstractProperty& property) override;

private:
    const Style* style_;
    float lastFrequency_ = 0.0f;
    float lastPeak_ = 0.0f;
};
