#pragma once

// The interface that parameters and parameter sets talk to. The plug-in
// model, the processor and every PluginParameterSet implement it; a set
// forwards almost everything to its own owner.

#include <cstdint>
#include <string>

class AbstractPluginParameter;

class GenericParameterOwner {
public:
    virtual ~GenericParameterOwner() = default;

    // Nest a batch of changes; the end of the outermost batch lets the owner
    // act once for all of them.
    virtual void beginUpdate() = 0;
    virtual void addRegistered(AbstractPluginParameter* parameter) = 0;
    virtual void endUpdate() = 0;

    virtual int32_t getNumParameters() const = 0;
    virtual AbstractPluginParameter* getParameter(int32_t index) const = 0;
    // The set number (0 for an owner that is no set) and a name.
    virtual int32_t getSetNumber() const = 0;
    virtual std::string getName() const = 0;

    // Told after a parameter stored a new value. Flags bit 0: the change is
    // not reported to the host.
    virtual void setParameterValue(int32_t index, float value, int32_t flags) = 0;
    // Registers a parameter; returns its index.
    virtual int32_t addParameter(AbstractPluginParameter* parameter) = 0;
    virtual void addParameterAlias(AbstractPluginParameter* parameter, const std::string& name) = 0;
    // The number of a group name, appended to the owner's list when new.
    virtual int32_t getNameIndex(const std::string& name) = 0;

    virtual void requestLightReset() = 0;
    virtual void requestFullReset() = 0;
};
