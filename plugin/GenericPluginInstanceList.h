#pragma once

// The plug-in instances of the process: hands out instance indices, keeps
// them unique when a host restores saved ones, and finds instances by name
// so that automatic instance names stay unique.
//
// One list exists per process: the first instance creates it, the last one
// removes itself and deletes it. Every operation that reads or changes the
// list holds its re-entrant lock; callers that search and rename hold it
// across both (lock/unlock). removeInstance leaves the lock before the list
// deletes itself.
//
// Instances are kept sorted by name (natural order, digit runs as numbers,
// ties broken byte-wise) so that findByName is a binary search: an instance
// that changes its name calls sort() before it leaves the lock.

#include "foundation/Lock.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// What the list asks of an instance.
class IGenericPluginInstance {
public:
    virtual const std::string& getInstanceName() const = 0;
    // True when the instance holds that index (0xFFFFFFFF is never held).
    virtual bool isInstance(uint32_t index) const = 0;

protected:
    ~IGenericPluginInstance() = default;
};

class GenericPluginInstanceList : public ILock {
public:
    // Enters the first instance.
    explicit GenericPluginInstanceList(IGenericPluginInstance* first);
    GenericPluginInstanceList(const GenericPluginInstanceList&) = delete;
    GenericPluginInstanceList& operator=(const GenericPluginInstanceList&) = delete;
    virtual ~GenericPluginInstanceList();

    void lock() override { section_->enter(); }
    void unlock() override { section_->leave(); }

    // Inserts at the front (sort() restores the order).
    void addInstance(IGenericPluginInstance* instance);
    // The instance with exactly that name, else null.
    IGenericPluginInstance* findByName(const std::string& name);
    IGenericPluginInstance* getInstance(int32_t i);
    int32_t getCount();
    // The next free index, counted on.
    uint32_t allocateIndex();
    // False when an instance holds the index or the index cannot be counted
    // on from (0x7FFFFFFF and above); else the next free index moves past it.
    bool claimIndex(uint32_t index);
    void sort();
    // Erases every entry of the instance. True when the list is empty
    // afterwards; the list then deletes itself (the caller forgets it).
    bool removeInstance(IGenericPluginInstance* instance);

    // Natural order of names, then byte order.
    static bool nameLess(const std::string& a, const std::string& b);

private:
    std::vector<IGenericPluginInstance*> instances_;
    int32_t nextIndex_ = 0;
    std::unique_ptr<CriticalSection> section_;
};
