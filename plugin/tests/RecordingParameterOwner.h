#pragma once

// A parameter owner for tests: numbers parameters through a collection,
// keeps a list of group names, and records every call in order.

#include "plugin/GenericParameterOwner.h"
#include "plugin/ParameterCollection.h"
#include "plugin/PluginParameter.h"

#include <algorithm>
#include <string>
#include <vector>

namespace test {

class RecordingParameterOwner : public GenericParameterOwner {
public:
    struct Change {
        int32_t index;
        float value;
        int32_t flags;
    };

    void beginUpdate() override {
        ++depth;
        ++beginCount;
        log.push_back("begin");
    }
    void addRegistered(AbstractPluginParameter* parameter) override { registered.push_back(parameter); }
    void endUpdate() override {
        --depth;
        ++endCount;
        log.push_back("end");
    }
    int32_t getNumParameters() const override { return collection.size(); }
    AbstractPluginParameter* getParameter(int32_t index) const override { return collection.get(index); }
    int32_t getSetNumber() const override { return 0; }
    std::string getName() const override { return {}; }
    void setParameterValue(int32_t index, float value, int32_t flags) override {
        changes.push_back({index, value, flags});
        log.push_back(depth > 0 ? "set in batch" : "set outside batch");
    }
    int32_t addParameter(AbstractPluginParameter* parameter) override { return collection.add(parameter); }
    void addParameterAlias(AbstractPluginParameter*, const std::string&) override {}
    int32_t getNameIndex(const std::string& name) override {
        auto found = std::find(groupNames.begin(), groupNames.end(), name);
        if (found != groupNames.end()) return static_cast<int32_t>(found - groupNames.begin());
        groupNames.push_back(name);
        return static_cast<int32_t>(groupNames.size()) - 1;
    }
    void requestLightReset() override { ++lightResets; }
    void requestFullReset() override { ++fullResets; }

    void clearRecords() {
        changes.clear();
        log.clear();
        beginCount = 0;
        endCount = 0;
    }

    ParameterCollection collection;
    std::vector<std::string> groupNames;
    std::vector<AbstractPluginParameter*> registered;
    std::vector<Change> changes;
    std::vector<std::string> log;
    int depth = 0;
    int beginCount = 0;
    int endCount = 0;
    int lightResets = 0;
    int fullResets = 0;
};

} // namespace test
