#include "dsp/DesignFilter.h"

#include <cmath>

DesignFilter::DesignFilter(wave::Environment& environment, const Style* style, StateVariableFilter* partner)
    : StateVariableFilter(environment, style != nullptr ? &style->clipTable() : nullptr, partner),
      manualClipLevel(this, 0.1f, 10.0f, 0.1f), manualCubic(this, 0.0f, 0.1f, 0.0f),
      manualResonance(this, 0.0f, 5.0f, 0.0f), state(this, kCharacteristic), style_(style) {}

DesignFilter::~DesignFilter() = default;

void DesignFilter::setStyle(const Style* style) noexcept {
    style_ = style;
    setClipTable(style != nullptr ? &style->clipTable() : nullptr);
}

void DesignFilter::propertyChanged(AbstractProperty& property) {
    if (&property == &manualClipLevel || &property == &manualCubic || &property == &manualResonance ||
        &property == &state)
        clearState();
}

void DesignFilter::shapeResonance(float frequency, float peak, float& resonance, float& cubic,
                                  float& clipLevel) noexcept {
    lastFrequency_ = frequency;
    lastPeak_ = peak;
    if (state.getValue() == kManual) {
        clipLevel = manualClipLevel.getValue();
        resonance = manualResonance.getValue();
        cubic = resonance >= 0.1f ? manualCubic.getValue() : 0.0f;
        return;
    }
    if (style_ == nullptr) {
        StateVariableFilter::shapeResonance(frequency, peak, resonance, cubic, clipLevel);
        return;
    }
    const Style& s = *style_;
    const float last = float(s.size.getValue() - 1);
    float column = (frequency - s.low.getValue()) * s.indexScale();
    column = column > 0.0f ? (column < last ? column : last) : 0.0f;
    float row = last * peak;
    row = row > 0.0f ? (row < last ? row : last) : 0.0f;
    const FilterSettingTable& levels = s.clipLevelTable();
    const FilterSettingTable& cubics = s.cubicTable();
    const FilterSettingTable& resonances = s.resonanceTable();
    float level;
    if (levels.n() == cubics.n() && levels.n() == resonances.n()) {
        const FilterSettingTable::Position at = FilterSettingTable::position(column, row, levels.n());
        level = levels.value(at);
        cubic = cubics.value(at);
        resonance = resonances.value(at);
    } else {
        level = levels.value(column, row);
        cubic = cubics.value(column, row);
        resonance = resonances.value(column, row);
    }
    clipLevel = level > 0.1f ? level : 0.1f;
}
