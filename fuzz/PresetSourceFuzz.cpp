// Preset sources: any text either applies, leaving every value inside its
// parameter's range, or fails with a line number and changes nothing.

#include "plugin/PluginParameter.h"
#include "plugin/PresetParameterCollection.h"
#include "tools/factorypresets/PresetSource.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

struct Parameters {
    Parameters() {
        time.setRange(5.0f, 5000.0f);
        time.setUnit(&ParameterUnits::ms);
        time.setDefault(350.0f);
        frequency.setRange(2.2666f, 16.2064f);
        frequency.setUnit(&ParameterUnits::expFreq);
        level.setRange(-36.0f, 36.0f);
        level.setUnit(&ParameterUnits::dB);
        characteristic.setValueNames("Prime,Gentle,Raw,Tube");
        characteristic.setRange(0, 3);
        count.setRange(2, 16);
        collection.add(&time);
        collection.add(&frequency);
        collection.add(&level);
        collection.add(&characteristic);
        collection.add(&count);
    }
    FloatPluginParameter time{nullptr, "Delay 1 Time"};
    FloatPluginParameter frequency{nullptr, "Filter 1 Freq"};
    FloatPluginParameter level{nullptr, "Input Level"};
    IndexedPluginParameter<int> characteristic{nullptr, "Filter 1 Characteristic"};
    IndexedPluginParameter<int> count{nullptr, "Num Active XLFO 1 Steps"};
    PresetParameterCollection collection{nullptr, nullptr};
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Parameters parameters;
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<float> before;
    parameters.collection.getValues(before);
    std::string error;
    if (applyPresetSource(parameters.collection, text, error)) {
        for (AbstractPluginParameter* p : parameters.collection.getParameters())
            if (!(p->getValue() >= p->getMin() && p->getValue() <= p->getMax())) std::abort();
    } else {
        std::vector<float> after;
        parameters.collection.getValues(after);
        if (error.compare(0, 5, "line ") != 0 || after != before) std::abort();
    }
    return 0;
}
