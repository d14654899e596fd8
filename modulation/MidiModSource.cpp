#include "modulation/MidiModSource.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {
// Key numbers: key / 120, with key 48 at 0.4.
constexpr float kKeyScale = 0.008333334f;
// ln(10) / 20.
constexpr float kDbToExponent = 0.1151292546497023f;
// 1 / ln(11).
constexpr float kInvLn11 = 0.417032390832901f;
// The straight piece of the exponential curve meets the decibel piece at 0.1.
constexpr float kExpLinearSlope = 0.23988324f;
// Output changes of 0.15 and more count as large: the span is 0.5.
constexpr float kOutputSpan = 0.5f;

float magnitudeCurve(MidiModSource::ResponseCurve curve, float a) {
    switch (curve) {
    case MidiModSource::ResponseCurve::kExp:
        return a <= 0.1f ? a * kExpLinearSlope : std::exp((a - 1.0f) * 36.0f * kDbToExponent);
    case MidiModSource::ResponseCurve::kLog:
        return std::log(10.0f * a + 1.0f) * kInvLn11;
    case MidiModSource::ResponseCurve::kSqr:
        return a * a;
    case MidiModSource::ResponseCurve::kSqrt:
        return std::sqrt(a);
    case MidiModSource::ResponseCurve::kSine:
        return (std::sin((a - 0.5f) * std::numbers::pi_v<float>) + 1.0f) * 0.5f;
    default:
        return a;
    }
}
} // namespace

// ------------------------------------------------------------------- Cache --

MidiModSource::Cache::Cache() {
    listeners_.reserve(16);
}

void MidiModSource::Cache::addListener(MidiModSource* source) {
    if (source != nullptr) listeners_.push_back(source);
}

void MidiModSource::Cache::removeListener(MidiModSource* source) {
    listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), source), listeners_.end());
}

void MidiModSource::Cache::notify(std::int32_t c) {
    float value = cells_[std::size_t(c)];
    for (MidiModSource* source : listeners_)
        source->onMidiValue(c, value);
}

void MidiModSource::Cache::channelPressure(float value) {
    cells_[kPressureCell] = value;
    notify(kPressureCell);
}

void MidiModSource::Cache::keyPressure(int32_t key, float value) {
    if (!passesFilter(key)) return;
    cells_[kPressureCell] = value;
    notify(kPressureCell);
}

void MidiModSource::Cache::controlChange(int32_t number, int32_t, float normalised) {
    if (number < 0 || number > 127) return;
    cells_[std::size_t(number)] = normalised;
    notify(number);
}

void MidiModSource::Cache::modWheel(float value) {
    cells_[kModWheelCell] = value;
    notify(kModWheelCell);
}

void MidiModSource::Cache::noteOn(int32_t key, float velocity) {
    if (!passesFilter(key)) return;
    cells_[kVelocityCell] = velocity;
    notify(kVelocityCell);
    cells_[kKeyCell] = float(key);
    notify(kKeyCell);
}

void MidiModSource::Cache::pitchBend(float value) {
    cells_[kPitchBendCell] = value;
    notify(kPitchBendCell);
}

// ------------------------------------------------------------------ Source --

float MidiModSource::curveValue(ResponseCurve curve, float x) {
    if (x == 0.0f || std::isnan(x)) return 0.0f;
    float g = magnitudeCurve(curve, std::fabs(x));
    return x < 0.0f ? -g : g;
}

MidiModSource::MidiModSource(wave::Environment& environment, Cache& cache)
    : wave::Source(environment), gain(environment, 1.0f), cache_(&cache), output_(environment, 0.0f) {
    output_.setLimits(-1.0f, 1.0f, kOutputSpan);
    cache.addListener(this);
    registerComponent();
}

MidiModSource::~MidiModSource() {
    cache_->removeListener(this);
}

void MidiModSource::onMidiValue(std::int32_t cell, float v) noexcept {
    std::int32_t input = cell >= 128 ? cell - 128 : static_cast<std::int32_t>(MidiInput::kController);
    if (input != static_cast<std::int32_t>(midiInput.getValue())) return;
    if (input == static_cast<std::int32_t>(MidiInput::kController) && cell != controller.getValue()) return;
    resetFlag_ = false;
    Range r = range.getValue();
    float result;
    bool note = false;
    switch (cell) {
    case Cache::kPitchBendCell:
        result = curve(2.0f * v);
        break;
    case Cache::kVelocityCell:
        result = curve(v);
        result = r == Range::kBipolar ? 2.0f * result - 1.0f : r == Range::kNegative ? result - 1.0f : result;
        note = true;
        break;
    case Cache::kKeyCell:
        result = curve(std::trunc(v) * kKeyScale);
        result = r == Range::kBipolar    ? result - curve(48.0f * kKeyScale)
                 : r == Range::kNegative ? result - 1.0f
                                         : result;
        note = true;
        break;
    default:
        result = curve(v);
        break;
    }
    if (!note) {
        setOutput(result, -1.0f);
    } else if (cache_->noteValueMode == 1) {
        pendingNoteValue_ = result;
    } else {
        setOutput(result, noteRampTime_);
    }
}

void MidiModSource::propertyChanged(AbstractProperty& property) {
    if (&property == &resetToZero) {
        reset();
    } else if (&property == &responseCurve) {
        auto item = static_cast<std::int32_t>(responseCurve.getValue());
        curve_ = item >= 1 && item <= 5 ? responseCurve.getValue() : ResponseCurve::kLinear;
    } else if (&property == &controller) {
        // Keep the controller inside the cells.
        std::int32_t clamped = std::clamp(controller.getValue(), 0, 127);
        if (clamped != controller.getValue()) {
            controller.setValue(clamped);
            return;
        }
    } else if (&property == &midiInput) {
        auto input = static_cast<std::int32_t>(midiInput.getValue());
        if (input < 0 || input > static_cast<std::int32_t>(MidiInput::kController)) {
            midiInput.setValue(MidiInput::kModWheel);
            return;
        }
    }
    if (resetFlag_) return;
    std::int32_t cell = midiInput.getValue() == MidiInput::kController
                            ? controller.getValue()
                            : static_cast<std::int32_t>(midiInput.getValue()) + 128;
    onMidiValue(cell, cache_->getCell(cell));
}

float MidiModSource::currentValue() const {
    return output_.getTarget() * gain.getSource()->currentValue();
}

void MidiModSource::produce(wave::BasicBlock<float>* block, int count, wave::ProduceMode) noexcept {
    const wave::BasicBlock<float>& value = output_.advanceBlock(count);
    if (!gain.applyGain(value.data(), block->data(), count)) {
        setCurrentBlock(value);
        return;
    }
    block->setConstant(value.isConstant() && gain.getSource()->getCurrentBlock().isConstant());
}

void MidiModSource::reset() {
    MidiInput input = midiInput.getValue();
    if (resetToZero.getValue() &&
        (input == MidiInput::kVelocity || input == MidiInput::kAftertouch || input == MidiInput::kKeyTrack)) {
        // A set to the value already targeted would leave a running glide
        // alone; passing through another value lands on 0 at once.
        setOutput(1.0f, 0.0f);
        setOutput(0.0f, 0.0f);
        resetFlag_ = true;
    }
}
