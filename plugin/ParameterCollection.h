#pragma once

// The flat, indexed list of all parameters of one owner (the plug-in model
// or the processor). A parameter's position in it is its index. The
// collection does not own the parameters.

#include <cstdint>
#include <vector>

class AbstractPluginParameter;

class ParameterCollection {
public:
    ParameterCollection() = default;
    ParameterCollection(const ParameterCollection&) = delete;
    ParameterCollection& operator=(const ParameterCollection&) = delete;
    virtual ~ParameterCollection();

    // Appends a parameter; returns its index.
    virtual int32_t add(AbstractPluginParameter* parameter);

    int32_t size() const { return static_cast<int32_t>(parameters_.size()); }
    // The parameter at an index, null outside the collection.
    AbstractPluginParameter* get(int32_t index) const;
    const std::vector<AbstractPluginParameter*>& getParameters() const { return parameters_; }

    // Sets the first min(count, size) parameters (flags 0).
    void setValues(const std::vector<float>& values);
    // Every parameter's value in index order.
    void getValues(std::vector<float>& values) const;

protected:
    std::vector<AbstractPluginParameter*> parameters_;
};
