// Fuzz target: typed parameter text and host-given values.
//
// Input: byte 0 picks a parameter (one per unit kind, plus indexed ones with
// value names, an index table and key ranges), byte 1 picks the mode:
//   even: the rest is typed text for textToValue;
//   odd:  the rest is read as floats, each given to every value operation.
// After every input each accepted value is finite and, except for a typed
// note name (left unclamped on purpose), within [min, max]; after setValue
// the parameter's value always is; every text operation returns.

#include "dsp/ValueMaps.h"
#include "fuzz/FuzzCheck.h"
#include "plugin/PluginParameter.h"
#include "plugin/PluginParameterUnit.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Fixture {
    std::vector<std::unique_ptr<AbstractPluginParameter>> parameters;
    // Parameters whose typed note names may lie outside the range.
    std::vector<bool> readsNotes;

    FloatPluginParameter& addFloat(float minimum, float maximum, const FloatPluginParameterUnit* unit,
                                   bool notes = false) {
        auto p = std::make_unique<FloatPluginParameter>(nullptr, "Float");
        p->setRange(minimum, maximum);
        p->setDefault(minimum);
        p->setUnit(unit);
        FloatPluginParameter& ref = *p;
        parameters.push_back(std::move(p));
        readsNotes.push_back(notes);
        return ref;
    }

    template <class T> IndexedPluginParameter<T>& addIndexed(int32_t minimum, int32_t maximum) {
        auto p = std::make_unique<IndexedPluginParameter<T>>(nullptr, "Indexed");
        p->setRange(minimum, maximum);
        p->setDefault(minimum);
        IndexedPluginParameter<T>& ref = *p;
        parameters.push_back(std::move(p));
        readsNotes.push_back(false);
        return ref;
    }

    Fixture() {
        addFloat(0.0f, 1.0f, &ParameterUnits::expFreq, true)
            .setDisplayRange(std::log2(20.0f), std::log2(20000.0f));
        addFloat(-6.0f, 15.0f, &ParameterUnits::expFreqWithZero, true);
        addFloat(0.0f, 1.0f, &ParameterUnits::hz, true).setDisplayRange(20.0f, 20000.0f);
        addFloat(1.0f, 5000.0f, &ParameterUnits::ms);
        addFloat(0.001f, 1.0f, &ParameterUnits::sec);
        addFloat(-36.0f, 36.0f, &ParameterUnits::dB);
        addFloat(0.0f, 1.0f, &ParameterUnits::dBTP).setDisplayMap(gainToDb, nullptr);
        addFloat(0.0f, 1.0f, &ParameterUnits::dBRange).setDisplayRange(-60.0f, 0.0f);
        addFloat(-2.0f, 2.0f, &ParameterUnits::semitones);
        addFloat(0.0f, 100.0f, &ParameterUnits::percent);
        addFloat(1.0f, 20.0f, &ParameterUnits::ratio);
        addFloat(6.0f, 48.0f, &ParameterUnits::slope);
        addFloat(0.0f, 10.0f, nullptr).setPrefix("~");

        addIndexed<int>(0, 2).setValueNames("LP,HP,BP");
        addIndexed<int>(1, 4).setIndexTable({10, 20, 30, 40}, 1);
        addIndexed<bool>(0, 1).setValueNames("Off,On");
        IndexedPluginParameter<int>& keyed = addIndexed<int>(0, 16);
        keyed.addRange(4, 1);
        keyed.addRange(8, 2);
        keyed.addRange(8, 3);
        keyed.setValueNames("Zero,One,Two");
    }
};

using fuzz::check;

bool inRange(const AbstractPluginParameter& p, float value) {
    return std::isfinite(value) && value >= p.getMin() && value <= p.getMax();
}

void typedText(AbstractPluginParameter& p, bool readsNotes, const std::string& text) {
    float value = 0.0f;
    const float current = p.getValue();
    if (p.textToValue(text, value)) {
        check(std::isfinite(value));
        if (!readsNotes) check(inRange(p, value));
    } else {
        check(value == current);
    }
    p.setValue(value, 0);
    check(inRange(p, p.getValue()));

    // The text of the new value reads back to a value in range, or is refused.
    const std::string shown = p.formatValue(p.getValue());
    float again = 0.0f;
    if (p.textToValue(shown, again)) {
        check(std::isfinite(again));
        if (!readsNotes) check(inRange(p, again));
    }
    const int32_t maxLength = static_cast<int32_t>(text.size() % 12);
    check(maxLength == 0 || p.valueToText(p.getValue(), maxLength).size() <= static_cast<size_t>(maxLength));
}

void hostValue(AbstractPluginParameter& p, float x) {
    (void)p.formatValue(x);
    (void)p.valueToText(x, 8);
    (void)p.normalizedToPlain(x);
    (void)p.normalizedToInternal(x);
    (void)p.internalToNormalized(x);
    (void)p.rescale(x, x * 0.5f, 0.25f);
    if (p.isStepped()) {
        const float position = p.toLinearNormalized(x);
        check(position >= 0.0f && position <= 1.0f);
        check(inRange(p, p.fromLinearNormalized(x)));
        for (int32_t key = 0; key < 5; ++key) {
            const float inRangePosition = p.toLinearNormalizedInRange(x, key);
            check(inRangePosition >= 0.0f && inRangePosition <= 1.0f);
            float value = -1.0f;
            (void)p.fromLinearNormalizedInRange(x, key, value);
            check(inRange(p, value));
        }
    }
    p.setValue(x, 0);
    check(inRange(p, p.getValue()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Fixture fixture;
    if (size < 2) return 0;
    const size_t which = data[0] % fixture.parameters.size();
    AbstractPluginParameter& p = *fixture.parameters[which];
    p.setValue(p.getDefault(), 0);

    if ((data[1] & 1) == 0) {
        const std::string text(reinterpret_cast<const char*>(data + 2), size - 2);
        typedText(p, fixture.readsNotes[which], text);
    } else {
        for (size_t pos = 2; pos + sizeof(float) <= size; pos += sizeof(float)) {
            float x = 0.0f;
            std::memcpy(&x, data + pos, sizeof(float));
            hostValue(p, x);
        }
    }
    return 0;
}
