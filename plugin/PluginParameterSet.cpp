#include "plugin/PluginParameterSet.h"

#include <algorithm>

// PluginParameterSet

PluginParameterSet::PluginParameterSet(GenericParameterOwner* owner, std::string name)
    : name_(std::move(name)), owner_(owner) {
    if (owner != nullptr) setNumber_ = owner->getNameIndex(this->name_);
}

PluginParameterSet::~PluginParameterSet() = default;

void PluginParameterSet::beginUpdate() {
    if (owner_ != nullptr) owner_->beginUpdate();
}

void PluginParameterSet::addRegistered(AbstractPluginParameter* parameter) {
    if (owner_ != nullptr) owner_->addRegistered(parameter);
}

void PluginParameterSet::endUpdate() {
    if (owner_ != nullptr) owner_->endUpdate();
}

void PluginParameterSet::setParameterValue(int32_t index, float value, int32_t flags) {
    if (owner_ != nullptr) owner_->setParameterValue(index, value, flags);
}

void PluginParameterSet::addParameterAlias(AbstractPluginParameter* parameter, const std::string& alias) {
    if (owner_ != nullptr) owner_->addParameterAlias(parameter, alias);
}

int32_t PluginParameterSet::getNameIndex(const std::string& groupName) {
    return owner_ != nullptr ? owner_->getNameIndex(groupName) : 0;
}

void PluginParameterSet::requestLightReset() {
    if (owner_ != nullptr) owner_->requestLightReset();
}

void PluginParameterSet::requestFullReset() {
    if (owner_ != nullptr) owner_->requestFullReset();
}

int32_t PluginParameterSet::getNumParameters() const {
    return static_cast<int32_t>(parameters_.size());
}

AbstractPluginParameter* PluginParameterSet::getParameter(int32_t position) const {
    if (position < 0 || position >= getNumParameters()) return nullptr;
    return parameters_[static_cast<size_t>(position)];
}

int32_t PluginParameterSet::addParameter(AbstractPluginParameter* parameter) {
    parameters_.push_back(parameter);
    return owner_ != nullptr ? owner_->addParameter(parameter) : -1;
}

void PluginParameterSet::setupParameterInfo() {}

void PluginParameterSet::copyValuesFrom(const PluginParameterSet& other) {
    const size_t count = std::min(parameters_.size(), other.parameters_.size());
    for (size_t k = 0; k < count; ++k)
        parameters_[k]->setValue(other.parameters_[k]->getValue(), 0);
}

void PluginParameterSet::resetToDefaults() {
    for (AbstractPluginParameter* parameter : parameters_)
        parameter->setValue(parameter->getDefault(), 0);
}

int32_t PluginParameterSet::firstParameterIndex() const {
    return parameters_.empty() ? -1 : parameters_.front()->getIndex();
}

int32_t PluginParameterSet::lastParameterIndex() const {
    return parameters_.empty() ? -1 : parameters_.back()->getIndex();
}

// AbstractParameterSetArray

AbstractParameterSetArray::~AbstractParameterSetArray() = default;

void AbstractParameterSetArray::registerWith(GenericParameterOwner& owner) {
    for (int32_t s = 0; s < getNumSets(); ++s) {
        for (AbstractPluginParameter* parameter : getSet(s)->getParameters())
            owner.addRegistered(parameter);
    }
}

bool AbstractParameterSetArray::hasParameters() const {
    for (int32_t s = 0; s < getNumSets(); ++s) {
        if (getSet(s)->getNumParameters() > 0) return true;
    }
    return false;
}

int32_t AbstractParameterSetArray::firstParameterIndex() const {
    const PluginParameterSet* first = getSet(0);
    return first != nullptr ? first->firstParameterIndex() : -1;
}

int32_t AbstractParameterSetArray::lastParameterIndex() const {
    const PluginParameterSet* last = getSet(getNumSets() - 1);
    if (last != nullptr && last->getNumParameters() > 0) return last->lastParameterIndex();
    return firstParameterIndex();
}

bool AbstractParameterSetArray::containsParameterIndex(int32_t index) const {
    if (hasParameters() && (index == -1 || (index >= firstParameterIndex() && index <= lastParameterIndex())))
        return true;
    for (const AbstractParameterSetArray* linked : linkedLists_) {
        if (linked->containsParameterIndex(index)) return true;
    }
    return false;
}

int32_t AbstractParameterSetArray::setIndexOfParameter(int32_t index) const {
    const PluginParameterSet* first = getSet(0);
    if (first != nullptr && first->getNumParameters() > 0) {
        const int64_t offset = static_cast<int64_t>(index) - first->firstParameterIndex();
        // A negative offset lies before set 0; dividing it would truncate
        // toward zero and put it into set 0.
        if (offset >= 0) {
            const int64_t set = offset / first->getNumParameters();
            if (set < getNumSets()) return static_cast<int32_t>(set);
        }
    }
    for (const AbstractParameterSetArray* linked : linkedLists_) {
        const int32_t set = linked->setIndexOfParameter(index);
        if (set != -1) return set;
    }
    return -1;
}

void AbstractParameterSetArray::resetToDefaults() {
    for (int32_t s = 0; s < getNumSets(); ++s)
        getSet(s)->resetToDefaults();
    for (AbstractParameterSetArray* linked : linkedLists_)
        linked->resetToDefaults();
}

void AbstractParameterSetArray::removeSet(int32_t) {}

void AbstractParameterSetArray::addLinkedList(AbstractParameterSetArray* list) {
    if (list != nullptr && list != this) linkedLists_.push_back(list);
}

// AbstractParameterSetList

AbstractParameterSetList::NumActiveParameter::NumActiveParameter(GenericParameterOwner* owner,
                                                                 const std::string& listName,
                                                                 AbstractParameterSetList& list)
    : IndexedPluginParameter<int>(owner, "Num Active " + listName), list_(list) {}

void AbstractParameterSetList::NumActiveParameter::applyValue(float value) {
    IndexedPluginParameter<int>::applyValue(value);
    const int32_t count = range_.storedOfIndex(range_.clampIndex(value));
    const int32_t maxCount = range_.maximum;
    for (const std::vector<ValueAssignable<bool>*>& row : list_.activationTable_) {
        const int32_t positions = std::min(maxCount, static_cast<int32_t>(row.size()));
        for (int32_t j = 0; j < positions; ++j) {
            if (ValueAssignable<bool>* entry = row[static_cast<size_t>(j)]) entry->setValue(j < count);
        }
    }
}

AbstractParameterSetList::AbstractParameterSetList(GenericParameterOwner* owner, const std::string& name,
                                                   int32_t maxCount)
    : numActive_(owner, name, *this), owner_(owner) {
    numActive_.setRange(0, maxCount);
}

void AbstractParameterSetList::registerWith(GenericParameterOwner& registrar) {
    registrar.addRegistered(&numActive_);
    AbstractParameterSetArray::registerWith(registrar);
}

int32_t AbstractParameterSetList::firstParameterIndex() const {
    return numActive_.getIndex();
}

void AbstractParameterSetList::removeSet(int32_t i) {
    const int32_t count = getNumActive();
    if (i < 0 || i >= count || count == numActive_.getMin()) return;
    const int32_t newCount = count - 1;
    if (owner_ != nullptr) owner_->beginUpdate();
    numActive_.setValue(static_cast<float>(newCount), 0);

    auto shiftDown = [i, newCount](const AbstractParameterSetArray& sets) {
        for (int32_t j = i; j < newCount; ++j) {
            PluginParameterSet* to = sets.getSet(j);
            const PluginParameterSet* from = sets.getSet(j + 1);
            if (to != nullptr && from != nullptr) to->copyValuesFrom(*from);
        }
        if (PluginParameterSet* freed = sets.getSet(newCount)) freed->resetToDefaults();
    };
    shiftDown(*this);
    for (const AbstractParameterSetArray* linked : linkedLists_)
        shiftDown(*linked);

    if (owner_ != nullptr) owner_->endUpdate();
}

void AbstractParameterSetList::addActivationRow(std::vector<ValueAssignable<bool>*> row) {
    activationTable_.push_back(std::move(row));
}
