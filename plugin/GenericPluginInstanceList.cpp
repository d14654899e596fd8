#include "plugin/GenericPluginInstanceList.h"

#include "foundation/StringUtils.h"

#include <algorithm>

GenericPluginInstanceList::GenericPluginInstanceList(IGenericPluginInstance* first)
    : section_(CriticalSection::create()) {
    if (first != nullptr) instances_.push_back(first);
}

GenericPluginInstanceList::~GenericPluginInstanceList() = default;

bool GenericPluginInstanceList::nameLess(const std::string& a, const std::string& b) {
    const int natural = compareNatural(a, b);
    if (natural != 0) return natural < 0;
    return a < b;
}

void GenericPluginInstanceList::addInstance(IGenericPluginInstance* instance) {
    ScopedLock hold(*this);
    instances_.insert(instances_.begin(), instance);
}

IGenericPluginInstance* GenericPluginInstanceList::findByName(const std::string& name) {
    ScopedLock hold(*this);
    auto it = std::lower_bound(instances_.begin(), instances_.end(), name,
                               [](IGenericPluginInstance* instance, const std::string& key) {
                                   return nameLess(instance->getInstanceName(), key);
                               });
    // Equal names in natural order may differ in bytes: look through the run.
    for (; it != instances_.end(); ++it) {
        const std::string& candidate = (*it)->getInstanceName();
        if (candidate == name) return *it;
        if (compareNatural(candidate, name) != 0) break;
    }
    return nullptr;
}

IGenericPluginInstance* GenericPluginInstanceList::getInstance(int32_t i) {
    ScopedLock hold(*this);
    if (i < 0 || static_cast<size_t>(i) >= instances_.size()) return nullptr;
    return instances_[static_cast<size_t>(i)];
}

int32_t GenericPluginInstanceList::getCount() {
    ScopedLock hold(*this);
    return static_cast<int32_t>(instances_.size());
}

uint32_t GenericPluginInstanceList::allocateIndex() {
    ScopedLock hold(*this);
    return static_cast<uint32_t>(nextIndex_++);
}

bool GenericPluginInstanceList::claimIndex(uint32_t index) {
    // index + 1 must stay a valid signed next index.
    if (index >= 0x7FFFFFFFu) return false;
    ScopedLock hold(*this);
    for (IGenericPluginInstance* instance : instances_)
        if (instance->isInstance(index)) return false;
    nextIndex_ = std::max(nextIndex_, static_cast<int32_t>(index) + 1);
    return true;
}

void GenericPluginInstanceList::sort() {
    ScopedLock hold(*this);
    std::stable_sort(instances_.begin(), instances_.end(),
                     [](IGenericPluginInstance* a, IGenericPluginInstance* b) {
                         return nameLess(a->getInstanceName(), b->getInstanceName());
                     });
}

bool GenericPluginInstanceList::removeInstance(IGenericPluginInstance* instance) {
    bool empty = false;
    {
        ScopedLock hold(*this);
        instances_.erase(std::remove(instances_.begin(), instances_.end(), instance), instances_.end());
        empty = instances_.empty();
    }
    if (empty) delete this;
    return empty;
}
