#pragma once

// A switch that also drives float receivers: its value listeners get the
// enumeration, its float listeners the entry of a float table at the
// selected index (a feedback sign: "Normal" +1, "Inverted" -1, say). A float
// receiver that smooths (FloatParameter) glides to the new value with its
// own default smoothing. applyValue never allocates.

#include "foundation/Property.h"
#include "plugin/PluginParameter.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

template <class T> class ToggleFloatPluginParameter : public IndexedPluginParameter<T> {
public:
    ToggleFloatPluginParameter(GenericParameterOwner* owner, std::string name)
        : IndexedPluginParameter<T>(owner, std::move(name)) {}

    // The float of each index; an index past the table gives 0.
    void setFloatTable(std::vector<float> table) { floatTable_ = std::move(table); }
    const std::vector<float>& getFloatTable() const { return floatTable_; }
    float floatOfIndex(int32_t index) const {
        return index >= 0 && static_cast<std::size_t>(index) < floatTable_.size()
                   ? floatTable_[static_cast<std::size_t>(index)]
                   : 0.0f;
    }

    void addFloatListener(ValueAssignable<float>* listener) {
        if (listener != nullptr) floatListeners_.push_back(listener);
    }
    void removeFloatListener(ValueAssignable<float>* listener) {
        floatListeners_.erase(std::remove(floatListeners_.begin(), floatListeners_.end(), listener),
                              floatListeners_.end());
    }

    void applyValue(float value) override {
        IndexedPluginParameter<T>::applyValue(value);
        const float f = floatOfIndex(this->range_.clampIndex(value));
        for (ValueAssignable<float>* listener : floatListeners_)
            listener->setValue(f);
    }

private:
    std::vector<float> floatTable_;
    std::vector<ValueAssignable<float>*> floatListeners_;
};
