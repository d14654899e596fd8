// Reads arbitrary bytes as a parameter state block into a plug-in base with
// float, indexed and index-table parameters. Whatever the bytes, every value
// ends within its parameter's range, an index-table parameter holds one of
// its table's values, batches stay balanced, and a refused tag changes
// nothing.

#include "fuzz/FuzzCheck.h"
#include "plugin/GenericPluginBase.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace {

using fuzz::check;

enum class Mode : int32_t { off = 3, low = 7, high = 11, full = 19 };

class FuzzBase : public GenericPluginBase {
public:
    FuzzBase() : GenericPluginBase(collection) {
        gain.setRange(-60.0f, 12.0f);
        gain.setDefault(0.0f);
        time.setRange(0.001f, 5000.0f);
        time.setDefault(250.0f);
        steps.setRange(-3, 9);
        steps.setDefault(2);
        mode.setIndexTable({3, 7, 11, 19}, 1);
        mode.setRange(1, 4);
        mode.setDefault(2);
        flag.setValueNames("Off,On");
        single.setRange(5, 5);
        single.setDefault(5);
    }

    void beginUpdate() override { ++depth; }
    void endUpdate() override { --depth; }
    int32_t getSetNumber() const override { return 0; }
    std::string getName() const override { return {}; }
    void setParameterValue(int32_t, float, int32_t flags) override {
        check(flags == kParameterChangeNotToHost);
    }
    void addParameterAlias(AbstractPluginParameter*, const std::string&) override {}
    int32_t getNameIndex(const std::string&) override { return 0; }
    void requestLightReset() override { ++lightResets; }
    void requestFullReset() override { check(false); }

    std::vector<float> values() const {
        std::vector<float> result;
        collection.getValues(result);
        return result;
    }

    ParameterCollection collection;
    FloatPluginParameter gain{this, "Gain"};
    FloatPluginParameter time{this, "Time"};
    IndexedPluginParameter<int> steps{this, "Steps"};
    IndexedPluginParameter<Mode> mode{this, "Mode"};
    IndexedPluginParameter<bool> flag{this, "Flag"};
    IndexedPluginParameter<int> single{this, "Single"};
    int depth = 0;
    int lightResets = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzBase base;
    const std::vector<float> before = base.values();
    std::istringstream stream(std::string(reinterpret_cast<const char*>(data), size));
    const bool ok = base.readParameterState(stream);

    check(base.depth == 0);
    const bool tagged = size >= 4 && std::memcmp(data, "ZTBS", 4) == 0;
    if (!tagged) {
        check(!ok);
        check(base.values() == before);
        check(base.lightResets == 0);
    } else {
        check(base.lightResets == 1);
    }
    if (ok) check(size >= 12);

    for (int32_t i = 0; i < base.getNumParameters(); ++i) {
        const AbstractPluginParameter* parameter = base.getParameter(i);
        const float value = parameter->getValue();
        check(!std::isnan(value));
        check(value >= parameter->getMin() && value <= parameter->getMax());
    }
    const Mode mode = base.mode.getTypedValue();
    check(mode == Mode::off || mode == Mode::low || mode == Mode::high || mode == Mode::full);
    check(base.single.getValue() == 5.0f);
    return 0;
}
