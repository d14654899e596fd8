#include "plugin/ParameterCollection.h"

#include "plugin/PluginParameter.h"

#include <algorithm>

ParameterCollection::~ParameterCollection() = default;

int32_t ParameterCollection::add(AbstractPluginParameter* parameter) {
    parameters_.push_back(parameter);
    return static_cast<int32_t>(parameters_.size()) - 1;
}

AbstractPluginParameter* ParameterCollection::get(int32_t index) const {
    if (index < 0 || index >= size()) return nullptr;
    return parameters_[static_cast<size_t>(index)];
}

void ParameterCollection::setValues(const std::vector<float>& values) {
    const size_t count = std::min(values.size(), parameters_.size());
    for (size_t k = 0; k < count; ++k)
        parameters_[k]->setValue(values[k], 0);
}

void ParameterCollection::getValues(std::vector<float>& values) const {
    values.resize(parameters_.size());
    for (size_t k = 0; k < parameters_.size(); ++k)
        values[k] = parameters_[k]->getValue();
}
