#pragma once

// The editor's test model: a plug-in with continuous parameters on [0, 1],
// [-1, 1], [20, 20000] and [-60, 12], stepped ones on 2..5 and 0..127, one
// settings parameter and, on request, further continuous ones on [0, 1]; and
// a recording adapter that logs every gesture begin, value and end that
// reaches the host, and sets the model's value as the host binding does.

#include "plugin/GenericPlugin.h"
#include "plugin/PluginParameter.h"
#include "plugin/tests/TestPlugin.h"

#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace test {

class EditorModel : public GenericPlugin {
public:
    // Indices of the parameters.
    enum Index : int32_t { kUnit = 0, kBipolar, kFrequency, kLevel, kSteps, kNote, kZoom, kFirstExtra };

    // flags: the plug-in flags (0x100 keeps the preset catalogue cache);
    // components: one component kind ("Section", ".ztsec") with two indices,
    // the first holding Unit and Level, the second Bipolar.
    explicit EditorModel(const std::string& name, int32_t extra = 0, uint32_t flags = 0,
                         bool components = false)
        : components_(components) {
        pluginFlags = flags;
        pluginKind = kDelay;
        pluginId = "TsEd";
        pluginName = name;
        unit.setDefault(0.5f);
        unit.initValue(0.5f);
        bipolar.setRange(-1.0f, 1.0f);
        frequency.setRange(20.0f, 20000.0f);
        frequency.setDefault(1000.0f);
        frequency.initValue(1000.0f);
        level.setRange(-60.0f, 12.0f);
        level.setDefault(-12.0f);
        level.initValue(-12.0f);
        steps.setRange(2, 5);
        steps.setDefault(3);
        steps.initValue(3);
        note.setRange(0, 127);
        note.setDefault(60);
        note.initValue(60);
        addSettingsParameter(&zoom);
        for (int32_t i = 0; i < extra; ++i) {
            extras.push_back(std::make_unique<FloatPluginParameter>(this, "Extra " + std::to_string(i)));
        }
        if (components_) {
            createParameterCollections(0, 2);
            getParameterCollection(0, 0)->add(&unit);
            getParameterCollection(0, 0)->add(&level);
            getParameterCollection(0, 1)->add(&bipolar);
        }
        initHistoryAndSources();
    }
    ~EditorModel() override { shutdown(); }
    static constexpr const char* kComponentExtension = ".ztsec";

    FloatPluginParameter unit{this, "Unit"};
    FloatPluginParameter bipolar{this, "Bipolar"};
    FloatPluginParameter frequency{this, "Frequency"};
    FloatPluginParameter level{this, "Level"};
    IndexedPluginParameter<int32_t> steps{this, "Steps"};
    IndexedPluginParameter<int32_t> note{this, "Note"};
    FloatPluginParameter zoom{this, "Zoom"};
    std::vector<std::unique_ptr<FloatPluginParameter>> extras;

protected:
    void createPresetManager() override {
        GenericPlugin::createPresetManager();
        if (components_) createComponentPresetFolder("Section", kComponentExtension);
    }

private:
    bool components_;
};

// What reached the host, in order.
class RecordingAdapter : public GenericPlugin::Adapter {
public:
    enum class Kind { kBegin, kValue, kEnd };
    struct Entry {
        Kind kind;
        int32_t index;
        float value;
    };

    explicit RecordingAdapter(GenericPlugin& model) : model_(model) { model.setAdapter(this); }
    ~RecordingAdapter() override { model_.setAdapter(nullptr); }

    void parameterValueToHost(int32_t index, float value) override {
        log.push_back({Kind::kValue, index, value});
        if (AbstractPluginParameter* p = model_.getParameter(index))
            p->setValue(value, kParameterChangeNotToHost);
    }
    void beginGesture(int32_t index) override { log.push_back({Kind::kBegin, index, 0.0f}); }
    void endGesture(int32_t index) override { log.push_back({Kind::kEnd, index, 0.0f}); }
    void controllerMappingChanged() override {}
    void synchronize() override {}
    void requestRestart() override {}
    void forwardMidi(const MidiEvent&) override {}
    void parameterChanged(int32_t) override {}
    void stateChanged(int32_t) override {}
    void exchangeDisplayData() override {}
    void setProcessorParameter(int32_t, float) override {}
    void sendParameterValue(int32_t index, float value) override { parameterValueToHost(index, value); }

    // Empty when every index got begin, values and end in that order, with
    // no value outside a gesture and nothing left open; else what broke.
    std::string gestureFaults() const {
        std::map<int32_t, bool> open;
        std::ostringstream faults;
        for (const Entry& e : log) {
            bool& isOpen = open[e.index];
            if (e.kind == Kind::kBegin && isOpen) faults << "second begin " << e.index << "; ";
            if (e.kind != Kind::kBegin && !isOpen)
                faults << (e.kind == Kind::kValue ? "value" : "end") << " outside a gesture " << e.index
                       << "; ";
            isOpen = e.kind != Kind::kEnd;
            if (e.kind == Kind::kValue) isOpen = true;
        }
        for (const auto& [index, isOpen] : open)
            if (isOpen) faults << "left open " << index << "; ";
        return faults.str();
    }
    // The kinds logged for one index: "b", "v", "e" in order.
    std::string kindsOf(int32_t index) const {
        std::string kinds;
        for (const Entry& e : log)
            if (e.index == index) kinds += e.kind == Kind::kBegin ? 'b' : e.kind == Kind::kValue ? 'v' : 'e';
        return kinds;
    }
    std::vector<float> valuesOf(int32_t index) const {
        std::vector<float> values;
        for (const Entry& e : log)
            if (e.index == index && e.kind == Kind::kValue) values.push_back(e.value);
        return values;
    }

    std::vector<Entry> log;

private:
    GenericPlugin& model_;
};

} // namespace test
